// PinchGestureRecognizer: a continuous recogniser of two fingers moving apart or together.
// It begins once two touches are down and their distance has changed by kHysteresis points
// (8) from what it was when the second one went down; scale() is the distance now over that
// distance, velocity() its change per second by the clock. It ends when
// either finger lifts; a third finger is not taken. Main thread.
//
// Kept from the phone: scale is relative to the start of the gesture and may be set (setScale,
// usually back to 1 to measure step by step); the location is the midpoint of the fingers.
#pragma once

#include "platform/ui/input/GestureRecognizer.h"

namespace zu::ui {

class PinchGestureRecognizer : public GestureRecognizer {
 public:
  static constexpr float kHysteresis = 8;

  float scale() const { return scale_; }
  void setScale(float scale);
  float velocity() const { return velocity_; }

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;
  bool isDiscrete() const override { return false; }

 private:
  float distance() const;

  float startDistance_ = 0;  // the distance scale 1 stands for
  float scale_ = 1;
  float velocity_ = 0;
  double lastTime_ = 0;
};

}  // namespace zu::ui
