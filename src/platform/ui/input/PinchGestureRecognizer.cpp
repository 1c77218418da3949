#include "platform/ui/input/PinchGestureRecognizer.h"

#include <cmath>

#include "platform/runtime/Clock.h"

namespace zu::ui {

float PinchGestureRecognizer::distance() const {
  if (touches().size() < 2) return 0;
  const Point a = touches()[0]->locationInWindow();
  const Point b = touches()[1]->locationInWindow();
  return std::hypot(a.x - b.x, a.y - b.y);
}

void PinchGestureRecognizer::setScale(float scale) {
  if (!(scale > 0) || !std::isfinite(scale)) return;
  // Keep the fingers where they are: the distance now stands for `scale` from here on.
  const float now = distance();
  if (now > 0) startDistance_ = now / scale;
  scale_ = scale;
}

void PinchGestureRecognizer::touchesBegan(const TouchSet&, const Event&) {
  if (touches().size() > 2) {
    if (state() == GestureState::Possible) setState(GestureState::Failed);
    return;
  }
  if (touches().size() == 2) {
    startDistance_ = distance();
    scale_ = 1;
    velocity_ = 0;
    lastTime_ = Clock::get()->monotonic();
  }
}

void PinchGestureRecognizer::touchesMoved(const TouchSet&, const Event&) {
  if (touches().size() != 2 || !(startDistance_ > 0)) return;
  const float d = distance();
  if (state() == GestureState::Possible && std::fabs(d - startDistance_) < kHysteresis) return;
  const float next = d / startDistance_;
  const double now = Clock::get()->monotonic();
  if (now > lastTime_) velocity_ = static_cast<float>((next - scale_) / (now - lastTime_));
  lastTime_ = now;
  scale_ = next;
  setState(state() == GestureState::Possible ? GestureState::Began : GestureState::Changed);
}

void PinchGestureRecognizer::touchesEnded(const TouchSet&, const Event&) {
  if (state() == GestureState::Possible) {
    setState(GestureState::Failed);
  } else {
    setState(GestureState::Ended);
  }
}

void PinchGestureRecognizer::reset() {
  startDistance_ = 0;
  scale_ = 1;
  velocity_ = 0;
}

}  // namespace zu::ui
