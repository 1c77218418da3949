// Slider: a control choosing a value between minimumValue and maximumValue by moving a thumb
// along a track. Main thread; std::make_shared.
//
// Kept from the phone: values are clamped into the range; setValue from code sends nothing;
// a touch moves the thumb to the finger (the track runs from half a thumb in from each side)
// and sends value changed on every change while continuous (default), or once when the finger
// lifts otherwise. The thumb is kThumbSize points wide; the view is 23 points high by default.
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
