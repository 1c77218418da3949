// TapGestureRecognizer: a discrete recogniser of numberOfTapsRequired taps (default 1) by
// numberOfTouchesRequired fingers (default 1). Main thread.
//
// Kept from the phone: it recognises when the last required tap lifts; a finger that moves more
// than kAllowableMovement points, more fingers than required, or a pause longer than
// kMaximumTapInterval seconds (by the injected clock) before the next tap makes it fail. So a
// single-tap recogniser told to require a double-tap recogniser's failure fires only after the
// double tap has failed.
#pragma once

#include <memory>

#include "platform/ui/input/GestureRecognizer.h"
#include "platform/ui/system/Timer.h"

namespace zu::ui {

class TapGestureRecognizer : public GestureRecognizer {
 public:
  static constexpr float kAllowableMovement = 10;
  static constexpr double kMaximumTapInterval = 0.35;

  int numberOfTapsRequired() const { return tapsRequired_; }
  void setNumberOfTapsRequired(int n) { tapsRequired_ = n > 0 ? n : 1; }
  int numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(int n) { touchesRequired_ = n > 0 ? n : 1; }

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;
  bool isDiscrete() const override { return true; }

 private:
  void stopWaiting();

  int tapsRequired_ = 1;
  int touchesRequired_ = 1;
  int taps_ = 0;
  size_t fingersThisTap_ = 0;
  Point start_;
  std::shared_ptr<Timer> wait_;
};

}  // namespace zu::ui
