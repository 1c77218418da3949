#include "platform/ui/controls/Slider.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/input/PanGestureRecognizer.h"

namespace zu::ui {

static_assert(Slider::kDirectionDistance < PanGestureRecognizer::kHysteresis,
              "a touch on the track is decided before a scroll view's pan can begin for it");

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
  setValue(valueAt(Point{p.x - grabOffset_, p.y}));
  if (value_ == before) return;
  changedWhileTracking_ = true;
  if (continuous_) sendActionsForControlEvents(kControlEventValueChanged);
}

void Slider::touchesBegan(const TouchSet& touches, const Event& event) {
  if (!touches.empty()) touchId_ = touches.front()->identifier();
  Control::touchesBegan(touches, event);
}

Slider::Hold Slider::holdAt(Point p) const {
  if (hold_ != Hold::Undecided) return hold_;
  const float dx = p.x - downAt_.x;
  const float dy = p.y - downAt_.y;
  if (std::hypot(dx, dy) < kDirectionDistance) return Hold::Undecided;
  return std::fabs(dx) > std::fabs(dy) ? Hold::Sideways : Hold::LetGo;
}

bool Slider::keepsTouchFromScrolling(const Touch& touch) const {
  if (!isTracking() || touch.identifier() != touchId_) return false;
  const Hold hold = holdAt(touch.locationInView(this));
  return hold == Hold::Thumb || hold == Hold::Sideways;
}

void Slider::beginTracking(Point p) {
  changedWhileTracking_ = false;
  downAt_ = p;
  grabOffset_ = 0;
  const Rect thumb = thumbRect();
  if (p.x >= thumb.minX() - kThumbReach && p.x <= thumb.maxX() + kThumbReach) {
    hold_ = Hold::Thumb;
    grabOffset_ = p.x - thumb.midX();
  } else {
    hold_ = Hold::Undecided;
  }
}

void Slider::continueTracking(Point p) {
  hold_ = holdAt(p);
  if (hold_ == Hold::Thumb || hold_ == Hold::Sideways) track(p);
}

void Slider::endTracking(Point p) {
  // An undecided touch that lifts is a tap on the track.
  hold_ = holdAt(p);
  if (hold_ != Hold::LetGo) track(p);
  hold_ = Hold::LetGo;
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
