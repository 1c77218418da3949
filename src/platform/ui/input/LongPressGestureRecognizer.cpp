#include "platform/ui/input/LongPressGestureRecognizer.h"

#include <cmath>

namespace zu::ui {

void LongPressGestureRecognizer::stopTimer() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}

void LongPressGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&) {
  if (state() != GestureState::Possible) return;
  if (this->touches().size() > static_cast<size_t>(touchesRequired_)) {
    stopTimer();
    setState(GestureState::Failed);
    return;
  }
  if (this->touches().size() != static_cast<size_t>(touchesRequired_)) return;
  start_ = touches.front()->locationInWindow();
  std::weak_ptr<GestureRecognizer> weak =
      std::static_pointer_cast<GestureRecognizer>(shared_from_this());
  timer_ = Timer::scheduled(minimumPressDuration_, false, [weak](Timer&) {
    if (auto self = weak.lock(); self && self->state() == GestureState::Possible) {
      self->setState(GestureState::Began);
    }
  });
}

void LongPressGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&) {
  if (state() == GestureState::Possible) {
    for (const auto& t : touches) {
      const Point p = t->locationInWindow();
      if (std::hypot(p.x - start_.x, p.y - start_.y) > allowableMovement_) {
        stopTimer();
        setState(GestureState::Failed);
        return;
      }
    }
  } else {
    setState(GestureState::Changed);
  }
}

void LongPressGestureRecognizer::touchesEnded(const TouchSet&, const Event&) {
  stopTimer();
  if (state() == GestureState::Possible) {
    setState(GestureState::Failed);
  } else {
    setState(GestureState::Ended);
  }
}

void LongPressGestureRecognizer::reset() { stopTimer(); }

}  // namespace zu::ui
