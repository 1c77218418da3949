// Presentation: what the screen shows of a view at one moment, beside the model. Model values
// change at once (see Animations); while an animation of a view's frame, bounds, center,
// transform or alpha runs, the view is drawn at the value the fraction of its curve reached at
// that time between the change's from and to. The renderer makes one Presentation per pass
// (reading the clock once) and asks it for each view's PresentedState and transition.
//
// Kept from the phone's presentation layer: running animations of one view apply oldest first,
// so a later animation of the same property wins; a change taken over by a later animation stops
// showing at once (a frame change taken over only in its position by a later "center" keeps
// animating its size); a delayed animation shows its start value while it waits; autoreverse runs
// back to the start, and at the end the model value shows; a view whose animation has ended
// draws its model values. Hit testing and every getter keep using the model.
// Background colours are drawn along the curve too (a backdrop fading to black while a screen
// flips in front of it), and so are the layer's attributes (corners, border, shadow).
// Where we differ on purpose: scroll offsets change at once here (their changes are recorded,
// and the scroll view moves them frame by frame itself); a freed view's animations are never
// drawn, even on a new view that reuses its address.
//
// Main thread, like the views; a Presentation is a short-lived value of one render pass.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/drawing/Layer.h"
#include "platform/ui/motion/AnimationLog.h"

namespace zu::ui {

class View;

// The geometry, alpha, background colour and layer attributes a view is drawn with.
struct PresentedState {
  Point center;
  Rect bounds;
  Transform transform;
  float alpha = 1;
  std::optional<Color> background;
  LayerStyle layer;

  static PresentedState modelOf(const View& view);
  // The bounding box of the transformed bounds placed at the center, as View::frame().
  Rect frame() const;
  // Sets `property` ("frame", "bounds", "center", "transform", "alpha", "backgroundColor" or a
  // layer attribute) to `value`, as the view's setter would, leaving alone the `skip` parts
  // (PropertyPart) that a later animation took over; other properties and mismatched kinds are
  // ignored.
  void apply(const std::string& property, const AnimatableValue& value, unsigned skip = 0);
  // The current value of `property`, or nullopt for a property that is not presented.
  std::optional<AnimatableValue> valueOf(const std::string& property) const;
};

class Presentation {
 public:
  // The presentation at `time` (seconds on Clock::get()->monotonic()); forgets the animations
  // that are over by then.
  explicit Presentation(double time);
  // At the clock's time now.
  static Presentation now();
  // The model values alone, as if nothing were running.
  static Presentation model();

  double time() const { return time_; }
  // The model values of `view` with its running changes applied.
  PresentedState stateOf(const View& view) const;
  // The newest transition running on `view` and how far along it is, or null.
  const AnimationRecord* transitionOf(const View& view, float& fraction) const;

  // The value `change`'s property of `view` shows at `time`, with the changes `starting` made
  // to the view undone: where an animation that begins from the current state starts. Called
  // before `starting` runs.
  static AnimatableValue currentValue(const View& view, const AnimationRecord& starting,
                                      const PropertyChange& change, double time);

 private:
  Presentation(double time, bool idle) : time_(time), idle_(idle) {}
  void applyRunning(const View& view, PresentedState& state) const;

  double time_;
  bool idle_;
};

}  // namespace zu::ui
