#include "platform/ui/views/ActivityIndicatorView.h"

#include <cmath>
#include <numbers>

#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

namespace {

float sideOf(ActivityIndicatorStyle style) { return style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20; }

}  // namespace

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(Rect(0, 0, sideOf(style), sideOf(style))), style_(style) {
  setHidden(true);
  setUserInteractionEnabled(false);
}

void ActivityIndicatorView::setStyle(ActivityIndicatorStyle style) {
  style_ = style;
  setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
  hidesWhenStopped_ = hides;
  if (!animating_) setHidden(hides);
}

void ActivityIndicatorView::startAnimating() {
  animating_ = true;
  setHidden(false);
}

void ActivityIndicatorView::stopAnimating() {
  animating_ = false;
  if (hidesWhenStopped_) setHidden(true);
}

Size ActivityIndicatorView::sizeThatFits(Size) const { return {sideOf(style_), sideOf(style_)}; }

void ActivityIndicatorView::draw(Canvas& canvas, const Rect& rect) {
  const Color base = style_ == ActivityIndicatorStyle::Gray ? Color::grayColor() : Color::whiteColor();
  const float radius = std::min(rect.size.width, rect.size.height) / 2;
  const Point c = rect.center();
  canvas.setLineWidth(radius * 0.2f);
  for (int i = 0; i < 12; ++i) {
    const float angle = static_cast<float>(i) * std::numbers::pi_v<float> / 6;
    const float dx = std::cos(angle), dy = std::sin(angle);
    canvas.setStrokeColor(base.withAlpha(0.25f + 0.75f * static_cast<float>(i) / 11));
    canvas.beginPath();
    canvas.moveTo(Point{c.x + dx * radius * 0.45f, c.y + dy * radius * 0.45f});
    canvas.lineTo(Point{c.x + dx * radius * 0.9f, c.y + dy * radius * 0.9f});
    canvas.strokePath();
  }
}

std::string ActivityIndicatorView::dumpDetails() const {
  return animating_ ? " animating" : " stopped";
}

}  // namespace zu::ui
