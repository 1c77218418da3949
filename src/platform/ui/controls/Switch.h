// Switch: an on/off control. Main thread; std::make_shared.
//
// Kept from the phone: the view is always 79 × 27 points (a frame of another size keeps only
// its origin); a tap (touch up inside) flips it and sends value changed; setOn from code sends
// nothing.
#pragma once

#include "platform/ui/controls/Control.h"

namespace zu::ui {

class Switch : public Control {
 public:
  explicit Switch(const Rect& frame = Rect());

  bool isOn() const { return on_; }
  void setOn(bool on, bool animated = false);

  Size sizeThatFits(Size size) const override { (void)size; return {79, 27}; }
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override { return on_ ? " on" : " off"; }

 protected:
  void boundsDidChange(const Rect& oldBounds) override;

 private:
  bool on_ = false;
};

}  // namespace zu::ui
