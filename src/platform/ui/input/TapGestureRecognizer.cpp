#include "platform/ui/input/TapGestureRecognizer.h"

#include <cmath>

namespace zu::ui {

namespace {

float distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

void TapGestureRecognizer::stopWaiting() {
  if (wait_) wait_->invalidate();
  wait_.reset();
}

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&) {
  stopWaiting();
  if (fingersThisTap_ == 0 && !touches.empty()) start_ = touches.front()->locationInWindow();
  fingersThisTap_ = std::max(fingersThisTap_, this->touches().size());
  if (fingersThisTap_ > static_cast<size_t>(touchesRequired_)) setState(GestureState::Failed);
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&) {
  for (const auto& t : touches) {
    if (distance(t->locationInWindow(), start_) > kAllowableMovement) {
      setState(GestureState::Failed);
      return;
    }
  }
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const Event&) {
  // Wait until every finger of this tap is up.
  if (this->touches().size() > touches.size()) return;
  if (fingersThisTap_ != static_cast<size_t>(touchesRequired_)) {
    setState(GestureState::Failed);
    return;
  }
  fingersThisTap_ = 0;
  if (++taps_ >= tapsRequired_) {
    setState(kGestureRecognized);
    return;
  }
  std::weak_ptr<GestureRecognizer> weak =
      std::static_pointer_cast<GestureRecognizer>(shared_from_this());
  wait_ = Timer::scheduled(kMaximumTapInterval, false, [weak](Timer&) {
    if (auto self = weak.lock()) self->setState(GestureState::Failed);
  });
}

void TapGestureRecognizer::reset() {
  stopWaiting();
  taps_ = 0;
  fingersThisTap_ = 0;
}

}  // namespace zu::ui
