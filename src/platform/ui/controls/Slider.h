// Slider: a control choosing a value between minimumValue and maximumValue by moving a thumb
// along a track. Main thread; std::make_shared.
//
// Kept from the phone: values are clamped into the range; setValue from code sends nothing;
// a touch moves the thumb to the finger (the track runs from half a thumb in from each side)
// and sends value changed on every change while continuous (default), or once when the finger
// lifts otherwise. The thumb is kThumbSize points wide; the view is 23 points high by default.
// Inside a scroll view (a table's row) it keeps the touch it tracks: a drag moves the thumb to
// either end however the finger wanders, and no scroll view around it scrolls for it, as the
// phone's scroll view leaves a touch a control already tracks to the control.
// Where we differ on purpose: the phone's scroll view shows its content a touch only after a
// pause that tells a tap from a drag, so a finger that moves at once scrolls even from a
// control. Here a touch reaches the content at once, and a pointer drags a thumb straight away,
// so only a slider keeps its touch from the first move; on a button (which cannot tell a drag
// from a tap yet) a drag still scrolls and cancels the button's touch, as quick fingers do there.
#pragma once

#include "platform/ui/controls/Control.h"

namespace zu::ui {

class Slider : public Control {
 public:
  static constexpr float kThumbSize = 23;

  explicit Slider(const Rect& frame = Rect());

  float value() const { return value_; }
  void setValue(float value, bool animated = false);
  float minimumValue() const { return min_; }
  void setMinimumValue(float v);
  float maximumValue() const { return max_; }
  void setMaximumValue(float v);
  bool isContinuous() const { return continuous_; }
  void setContinuous(bool on) { continuous_ = on; }

  // The thumb's rectangle in the bounds for the current value.
  Rect thumbRect() const;

  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 protected:
  void beginTracking(Point p) override;
  void continueTracking(Point p) override;
  void endTracking(Point p) override;

 private:
  float valueAt(Point p) const;
  void track(Point p);

  float value_ = 0;
  float min_ = 0;
  float max_ = 1;
  bool continuous_ = true;
  bool changedWhileTracking_ = false;
};

}  // namespace zu::ui
