#include "platform/ui/input/SwipeGestureRecognizer.h"

#include <cmath>

#include "platform/runtime/Clock.h"

namespace zu::ui {

void SwipeGestureRecognizer::touchesBegan(const TouchSet&, const Event&) {
  if (static_cast<int>(touches().size()) > touchesRequired_) {
    setState(GestureState::Failed);
    return;
  }
  start_ = locationInView(nullptr);
  startTime_ = Clock::get()->monotonic();
}

void SwipeGestureRecognizer::touchesMoved(const TouchSet&, const Event&) {
  if (state() != GestureState::Possible) return;
  if (Clock::get()->monotonic() - startTime_ > kMaximumDuration) {
    setState(GestureState::Failed);
    return;
  }
  if (static_cast<int>(touches().size()) != touchesRequired_) return;
  const Point p = locationInView(nullptr);
  const float dx = p.x - start_.x;
  const float dy = p.y - start_.y;
  struct Candidate {
    unsigned bit;
    float along;
    float across;
  };
  const Candidate candidates[4] = {{kSwipeDirectionRight, dx, std::fabs(dy)},
                                   {kSwipeDirectionLeft, -dx, std::fabs(dy)},
                                   {kSwipeDirectionUp, -dy, std::fabs(dx)},
                                   {kSwipeDirectionDown, dy, std::fabs(dx)}};
  for (const Candidate& c : candidates) {
    if (c.along >= kMinimumDistance && c.across <= c.along / 2) {
      setState((direction_ & c.bit) ? kGestureRecognized : GestureState::Failed);
      return;
    }
  }
}

void SwipeGestureRecognizer::touchesEnded(const TouchSet&, const Event&) {
  if (state() == GestureState::Possible) setState(GestureState::Failed);
}

}  // namespace zu::ui
