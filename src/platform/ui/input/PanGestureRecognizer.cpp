#include "platform/ui/input/PanGestureRecognizer.h"

#include <cmath>

#include "platform/runtime/Clock.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

Point PanGestureRecognizer::centroid() const { return locationInView(nullptr); }

Point PanGestureRecognizer::vectorInView(Point v, const View* view) const {
  if (!view) return v;
  auto own = this->view();
  Window* window = own ? own->window() : nullptr;
  const View* from = window;
  const Point a = view->convertPointFrom(Point{0, 0}, from);
  const Point b = view->convertPointFrom(v, from);
  return {b.x - a.x, b.y - a.y};
}

Point PanGestureRecognizer::translationInView(const View* view) const {
  const Point c = touches().empty() ? last_ : centroid();
  return vectorInView(Point{c.x - origin_.x, c.y - origin_.y}, view);
}

void PanGestureRecognizer::setTranslation(Point translation, const View* view) {
  Point inWindow = translation;
  if (view) {
    auto own = this->view();
    const View* window = own ? own->window() : nullptr;
    const Point a = view->convertPointTo(Point{0, 0}, window);
    const Point b = view->convertPointTo(translation, window);
    inWindow = {b.x - a.x, b.y - a.y};
  }
  const Point c = touches().empty() ? last_ : centroid();
  origin_ = {c.x - inWindow.x, c.y - inWindow.y};
}

Point PanGestureRecognizer::velocityInView(const View* view) const {
  return vectorInView(velocity_, view);
}

void PanGestureRecognizer::touchesBegan(const TouchSet&, const Event&) {
  if (static_cast<int>(touches().size()) > maxTouches_) {
    if (state() == GestureState::Possible) setState(GestureState::Failed);
    return;
  }
  origin_ = centroid();
  last_ = origin_;
  lastTime_ = Clock::get()->monotonic();
  velocity_ = {0, 0};
}

void PanGestureRecognizer::touchesMoved(const TouchSet&, const Event&) {
  const Point c = centroid();
  const double now = Clock::get()->monotonic();
  const double dt = now - lastTime_;
  if (dt > 0) {
    velocity_ = {static_cast<float>((c.x - last_.x) / dt), static_cast<float>((c.y - last_.y) / dt)};
  }
  last_ = c;
  lastTime_ = now;
  if (state() == GestureState::Possible) {
    if (static_cast<int>(touches().size()) < minTouches_) return;
    if (std::hypot(c.x - origin_.x, c.y - origin_.y) >= kHysteresis) setState(GestureState::Began);
  } else {
    setState(GestureState::Changed);
  }
}

void PanGestureRecognizer::touchesEnded(const TouchSet& ended, const Event&) {
  if (touches().size() > ended.size()) return;  // fingers remain
  if (state() == GestureState::Possible) {
    setState(GestureState::Failed);
  } else {
    setState(GestureState::Ended);
  }
}

void PanGestureRecognizer::reset() {
  velocity_ = {0, 0};
}

}  // namespace zu::ui
