// PanGestureRecognizer: a continuous recogniser that begins once the fingers have moved
// kHysteresis points (10) from where they went down, then reports changed on every move and
// ended when they lift. translationInView is measured from the touch-down point (or from where
// setTranslation last put it), velocityInView from the last move over the clock's time
// (points per second; 0 when no time passed). Main thread.
#pragma once

#include "platform/ui/input/GestureRecognizer.h"

namespace zu::ui {

class PanGestureRecognizer : public GestureRecognizer {
 public:
  static constexpr float kHysteresis = 10;

  int minimumNumberOfTouches() const { return minTouches_; }
  void setMinimumNumberOfTouches(int n) { minTouches_ = n > 0 ? n : 1; }
  int maximumNumberOfTouches() const { return maxTouches_; }
  void setMaximumNumberOfTouches(int n) { maxTouches_ = n > 0 ? n : 1; }

  Point translationInView(const View* view) const;
  void setTranslation(Point translation, const View* view);
  Point velocityInView(const View* view) const;

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;
  bool isDiscrete() const override { return false; }

 private:
  Point centroid() const;
  // A window-space vector expressed in `view`'s space.
  Point vectorInView(Point v, const View* view) const;

  int minTouches_ = 1;
  int maxTouches_ = 1 << 20;
  Point origin_;         // window point that translation is measured from
  Point last_;           // centroid at the last move
  double lastTime_ = 0;  // clock time of the last move
  Point velocity_;       // window points per second
};

}  // namespace zu::ui
