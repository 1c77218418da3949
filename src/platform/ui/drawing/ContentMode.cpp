#include "platform/ui/drawing/ContentMode.h"

#include <algorithm>

namespace zu::ui {

Rect contentRect(ContentMode mode, Size content, const Rect& bounds) {
  const Rect b = bounds.standardized();
  if (content.width <= 0 || content.height <= 0) return Rect(b.origin, Size{0, 0});
  const float w = content.width;
  const float h = content.height;
  switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
      return b;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
      const float sx = b.size.width / w;
      const float sy = b.size.height / h;
      const float s = mode == ContentMode::ScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
      const float cw = w * s;
      const float ch = h * s;
      return Rect(b.midX() - cw / 2, b.midY() - ch / 2, cw, ch);
    }
    case ContentMode::Center:
      return Rect(b.midX() - w / 2, b.midY() - h / 2, w, h);
    case ContentMode::Top:
      return Rect(b.midX() - w / 2, b.minY(), w, h);
    case ContentMode::Bottom:
      return Rect(b.midX() - w / 2, b.maxY() - h, w, h);
    case ContentMode::Left:
      return Rect(b.minX(), b.midY() - h / 2, w, h);
    case ContentMode::Right:
      return Rect(b.maxX() - w, b.midY() - h / 2, w, h);
    case ContentMode::TopLeft:
      return Rect(b.minX(), b.minY(), w, h);
    case ContentMode::TopRight:
      return Rect(b.maxX() - w, b.minY(), w, h);
    case ContentMode::BottomLeft:
      return Rect(b.minX(), b.maxY() - h, w, h);
    case ContentMode::BottomRight:
      return Rect(b.maxX() - w, b.maxY() - h, w, h);
  }
  return b;
}

}  // namespace zu::ui
