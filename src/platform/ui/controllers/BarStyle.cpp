#include "platform/ui/controllers/BarStyle.h"

#include <algorithm>

#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

Color defaultBarTint(BarStyle style) {
  return style == BarStyle::Default ? Color::rgba8(109, 132, 162) : Color::rgba8(20, 20, 20);
}

void fillBarGradient(Canvas& canvas, const Rect& rect, const Color& tint, float top, float bottom) {
  auto shade = [&](float f) {
    return Color(std::min(1.f, tint.red * f), std::min(1.f, tint.green * f), std::min(1.f, tint.blue * f), 1);
  };
  canvas.save();
  canvas.clip(rect);
  canvas.drawLinearGradient({{0, shade(top)}, {1, shade(bottom)}}, Point{0, rect.minY()}, Point{0, rect.maxY()});
  canvas.restore();
}

}  // namespace zu::ui
