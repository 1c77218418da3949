// Slider: a control choosing a value between minimumValue and maximumValue by moving a thumb
// along a track. Main thread; std::make_shared.
//
// Kept from the phone: values are clamped into the range; setValue from code sends nothing;
// a finger that takes hold of the thumb (lands on it, or within kThumbReach points beside it)
// moves it, keeping where on the thumb it took hold, the track running from half a thumb in
// from each side; value changed is sent on every change while continuous (default), or once
// when the finger lifts otherwise. The thumb is kThumbSize points wide; the view is 23 points
// high by default. Such a touch is the slider's: a scroll view around it (a table's row) leaves
// it to the slider (keepsTouchFromScrolling) however the finger wanders, so a drag moves the
// thumb to either end, as the phone's scroll view leaves a touch a control tracks to the control.
// Where we differ on purpose: the phone's slider ignores a touch on its track, and its scroll
// view scrolls for a swipe that begins there. Here a touch that lands on the track waits until
// it has moved kDirectionDistance points: sideways, it is the slider's as a thumb's touch is
// (the thumb's middle jumps to it and follows), since a pointer drags along a track as readily
// as from the thumb and a scrolling table has nothing to do with a sideways drag; up or down,
// the slider lets it go and moves nothing, so a scroll view around scrolls for it; lifted
// sooner, it is a tap that sets the value where it lifts.
#pragma once

#include <cstdint>

#include "platform/ui/controls/Control.h"

namespace zu::ui {

class Slider : public Control {
 public:
  static constexpr float kThumbSize = 23;
  // How far beside the thumb a finger still takes hold of it.
  static constexpr float kThumbReach = 6;
  // How far a touch on the track moves before its direction decides whose it is (less than a
  // scroll view's pan moves before it begins, so the slider has decided by then).
  static constexpr float kDirectionDistance = 4;

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
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  // Yes for the touch the slider tracks once it has taken hold of the thumb or moved sideways
  // from the track.
  bool keepsTouchFromScrolling(const Touch& touch) const override;

 protected:
  void beginTracking(Point p) override;
  void continueTracking(Point p) override;
  void endTracking(Point p) override;

 private:
  // How the tracked touch holds the slider.
  enum class Hold {
    Thumb,      // it took hold of the thumb: the slider's, the thumb follows
    Undecided,  // it landed on the track and has not moved far enough to tell
    Sideways,   // from the track, it moved sideways first: the slider's, the thumb follows
    LetGo,      // from the track, it moved up or down first: not the slider's, nothing moves
  };
  // The hold of the tracked touch at `p` (bounds space): an undecided one is decided there
  // once it is far enough from where it landed.
  Hold holdAt(Point p) const;
  float valueAt(Point p) const;
  void track(Point p);

  float value_ = 0;
  float min_ = 0;
  float max_ = 1;
  bool continuous_ = true;
  bool changedWhileTracking_ = false;
  Hold hold_ = Hold::LetGo;
  uint64_t touchId_ = 0;  // the touch the slider tracks or last tracked (0: none yet)
  Point downAt_;          // where it landed, in bounds space
  float grabOffset_ = 0;  // how far right of the thumb's middle it took hold
};

}  // namespace zu::ui
