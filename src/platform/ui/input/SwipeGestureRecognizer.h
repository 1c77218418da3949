// SwipeGestureRecognizer: a discrete recogniser of a quick stroke in one of its permitted
// directions (bits: right 1, left 2, up 4, down 8; default right). Main thread.
//
// Our settings (the phone's are not documented): the stroke must cover kMinimumDistance points
// (30) along a permitted direction within kMaximumDuration seconds (0.5, by the injected clock),
// straying at most half as far across it; it recognises as soon as that holds. A stroke that
// is too slow, lifts early, or travels as far in a direction that is not permitted fails.
#pragma once

#include "platform/ui/input/GestureRecognizer.h"

namespace zu::ui {

enum SwipeDirection : unsigned {
  kSwipeDirectionRight = 1,
  kSwipeDirectionLeft = 2,
  kSwipeDirectionUp = 4,
  kSwipeDirectionDown = 8,
};

class SwipeGestureRecognizer : public GestureRecognizer {
 public:
  static constexpr float kMinimumDistance = 30;
  static constexpr double kMaximumDuration = 0.5;

  unsigned direction() const { return direction_; }
  void setDirection(unsigned direction) { direction_ = direction; }
  int numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(int n) { touchesRequired_ = n > 0 ? n : 1; }

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  bool isDiscrete() const override { return true; }

 private:
  unsigned direction_ = kSwipeDirectionRight;
  int touchesRequired_ = 1;
  Point start_;
  double startTime_ = 0;
};

}  // namespace zu::ui
