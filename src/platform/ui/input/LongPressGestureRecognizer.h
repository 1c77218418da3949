// LongPressGestureRecognizer: a continuous recogniser that begins when numberOfTouchesRequired
// fingers (default 1) have stayed down for minimumPressDuration seconds (default 0.5, by the
// injected clock) without moving more than allowableMovement points (default 10); moves then
// report changed, lifting ends it. Lifting or moving too far before the time fails it.
// Main thread.
#pragma once

#include <memory>

#include "platform/ui/input/GestureRecognizer.h"
#include "platform/ui/system/Timer.h"

namespace zu::ui {

class LongPressGestureRecognizer : public GestureRecognizer {
 public:
  double minimumPressDuration() const { return minimumPressDuration_; }
  void setMinimumPressDuration(double seconds) { minimumPressDuration_ = seconds > 0 ? seconds : 0; }
  float allowableMovement() const { return allowableMovement_; }
  void setAllowableMovement(float points) { allowableMovement_ = points; }
  int numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(int n) { touchesRequired_ = n > 0 ? n : 1; }

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;
  bool isDiscrete() const override { return false; }

 private:
  void stopTimer();

  double minimumPressDuration_ = 0.5;
  float allowableMovement_ = 10;
  int touchesRequired_ = 1;
  Point start_;
  std::shared_ptr<Timer> timer_;
};

}  // namespace zu::ui
