#include "platform/ui/controls/Slider.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

Slider::Slider(const Rect& frame)
    : Control(Rect(frame.origin, Size{frame.size.width, frame.size.height > 0 ? frame.size.height : 23})) {}

void Slider::setValue(float value, bool) {
  if (!std::isfinite(value)) return;
  value_ = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
  setNeedsDisplay();
}

void Slider::setMinimumValue(float v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  setValue(value_);
}

void Slider::setMaximumValue(float v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  setValue(value_);
}

Rect Slider::thumbRect() const {
  const Rect b = bounds();
  const float span = max_ - min_;
  const float k = span > 0 ? (value_ - min_) / span : 0;
  const float travel = std::max(0.f, b.size.width - kThumbSize);
  return Rect(b.minX() + travel * k, b.midY() - kThumbSize / 2, kThumbSize, kThumbSize);
}

float Slider::valueAt(Point p) const {
  const Rect b = bounds();
  const float travel = b.size.width - kThumbSize;
  if (!(travel > 0)) return min_;
  const float k = std::clamp((p.x - b.minX() - kThumbSize / 2) / travel, 0.f, 1.f);
  return min_ + k * (max_ - min_);
}

void Slider::track(Point p) {
  const float before = value_;
  setValue(valueAt(p));
  if (value_ == before) return;
  changedWhileTracking_ = true;
  if (continuous_) sendActionsForControlEvents(kControlEventValueChanged);
}

void Slider::beginTracking(Point p) {
  changedWhileTracking_ = false;
  track(p);
}

void Slider::continueTracking(Point p) { track(p); }

void Slider::endTracking(Point p) {
  track(p);
  if (!continuous_ && changedWhileTracking_) sendActionsForControlEvents(kControlEventValueChanged);
}

void Slider::draw(Canvas& canvas, const Rect& rect) {
  const Rect thumb = thumbRect();
  const float y = rect.midY();
  canvas.setFillColor(Color::rgba8(0, 127, 234));
  canvas.fillRoundedRect(Rect(rect.minX() + 2, y - 2, thumb.midX() - rect.minX() - 2, 4), 2);
  canvas.setFillColor(Color::white(0.75f));
  canvas.fillRoundedRect(Rect(thumb.midX(), y - 2, rect.maxX() - 2 - thumb.midX(), 4), 2);
  canvas.setFillColor(Color::whiteColor());
  canvas.fillEllipse(thumb.insetBy(1, 1));
  canvas.setStrokeColor(Color::white(0.6f));
  canvas.strokeEllipse(thumb.insetBy(1, 1));
}

std::string Slider::dumpDetails() const {
  char buf[48];
  std::snprintf(buf, sizeof buf, " value=%g", static_cast<double>(value_));
  return buf;
}

}  // namespace zu::ui
