// AnimationLog: the record of every view animation committed, for tests and for reading what a
// screen did. Since model values change at once (see Animations), an animation is nothing but
// this record plus its completion callbacks, which run on the main loop when its time is up.
//
// Each AnimationRecord keeps the block's parameters (name, context, duration, delay, curve,
// repeat, transition kind and view), every property change made inside it (view, property name,
// from → to; a property set twice keeps its first "from" and last "to"), and how it ended.
// Views are held weakly. Property names: "frame", "bounds", "center", "transform", "alpha",
// "backgroundColor", the layer's "cornerRadius", "borderWidth", "borderColor", "shadowColor",
// "shadowOpacity", "shadowOffset" and "shadowRadius", and "contentOffset" for scroll views.
//
// The log keeps the newest kCapacity records, so a long-running process does not grow with
// every animation it ever played. Main thread only. clear() forgets the records (not the
// pending completions, nor what is running).
//
// Beside the records, the log knows which animations are running: those committed with a
// duration while animations were on, from their commit until delay + duration (× repeats) has
// passed on the monotonic clock or their completion has run. The renderer draws their values
// (Presentation); isAnimating(t) tells a screen host whether anything would look different at
// time t than at rest. A running animation whose views have all been freed counts for nothing
// and is dropped when its time is up.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/drawing/Transform.h"

namespace zu::ui {

class Image;
class View;

using AnimatableValue = std::variant<float, Point, Size, Rect, Transform, Color>;

std::string toString(const AnimatableValue& value);
// The value the fraction `f` of the way from `from` to `to` (each field in a straight line, a
// transform through its parts). Values of different kinds give `to`.
AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to, float f);

enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

// Transition kinds of begin/commit animations with the phone's numbers; other numbers given by
// callers are kept as they are. A layer transition (a type and a side) has no number among
// those: the kit gives the one its screens use a number of its own, above them.
enum AnimationTransition : int {
  kAnimationTransitionNone = 0,
  kAnimationTransitionFlipFromLeft = 1,
  kAnimationTransitionFlipFromRight = 2,
  kAnimationTransitionCurlUp = 3,
  kAnimationTransitionCurlDown = 4,
  kAnimationTransitionCrossDissolve = 5,
  // The layer transition that moves the new content in from the top over the old.
  kAnimationTransitionMoveInFromTop = 201,
};

// The parts of a view's model that a property moves: "frame" moves the position and the bounds
// (its size), "center" the position alone, "bounds" and "contentOffset" the bounds; every other
// property is a part of its own. A later animation takes over the parts its changes move.
enum PropertyPart : unsigned {
  kPartPosition = 1u << 0,
  kPartBounds = 1u << 1,
  kPartTransform = 1u << 2,
  kPartAlpha = 1u << 3,
  kPartBackgroundColor = 1u << 4,
  kPartCornerRadius = 1u << 5,
  kPartBorderWidth = 1u << 6,
  kPartBorderColor = 1u << 7,
  kPartShadowColor = 1u << 8,
  kPartShadowOpacity = 1u << 9,
  kPartShadowOffset = 1u << 10,
  kPartShadowRadius = 1u << 11,
  kPartOther = 1u << 31,
};
unsigned partsOf(const std::string& property);

struct PropertyChange {
  std::weak_ptr<View> view;
  const View* viewKey = nullptr;  // identity only; never dereferenced
  std::string property;
  AnimatableValue from;
  AnimatableValue to;
  // The parts of partsOf(property) that later animations of the same view took over (a
  // "center" animation takes the position of an earlier "frame" change, whose size still
  // animates), and whether they took all of them.
  unsigned replacedParts = 0;
  bool replaced = false;
};

struct AnimationRecord {
  uint64_t serial = 0;
  std::string name;
  void* context = nullptr;
  // A block animation (animate/transition) rather than begin/commit.
  bool block = false;
  double duration = 0.2;
  double delay = 0;
  AnimationCurve curve = AnimationCurve::EaseInOut;
  float repeatCount = 0;
  bool autoreverses = false;
  bool beginsFromCurrentState = false;
  unsigned options = 0;
  int transition = kAnimationTransitionNone;
  std::weak_ptr<View> transitionView;
  const View* transitionViewKey = nullptr;  // identity only; never dereferenced
  // The transition view as it looked when the transition was set, for drawing the old content;
  // dropped when the animation stops running. Null for kinds the renderer does not draw.
  std::shared_ptr<Image> before;
  // When it was committed, in seconds on the monotonic clock.
  double beginTime = 0;
  // Animations were switched off when it began: nothing was animated and it ends at once.
  bool disabled = false;
  std::vector<PropertyChange> changes;
  // Set when its completion has run.
  bool completed = false;
  // What the completion was (or will be) told.
  bool finished = true;

  // The change of `property` of `view`, or null.
  const PropertyChange* change(const View* view, const std::string& property) const;
  // beginTime + delay + duration × repeats (× 2 when autoreversing); infinite when it repeats
  // for ever.
  double endTime() const;
  // How far along its curve it is at `time` (0…1; 0 while it waits out its delay, going back
  // down while autoreversing), or nullopt when it shows nothing at that time (over, disabled,
  // or without a duration).
  std::optional<float> fractionAt(double time) const;
};

// One change of a running animation, as the renderer looks it up by view.
struct RunningChange {
  const AnimationRecord* record;
  const PropertyChange* change;
};

class AnimationLog {
 public:
  static constexpr size_t kCapacity = 1024;

  static AnimationLog& shared();

  const std::vector<std::shared_ptr<AnimationRecord>>& records() const { return records_; }
  // Records with that name, oldest first.
  std::vector<std::shared_ptr<AnimationRecord>> named(const std::string& name) const;
  // The newest record, or null.
  std::shared_ptr<AnimationRecord> last() const;
  void clear() { records_.clear(); }

  // Appends, dropping the oldest record when full.
  void add(std::shared_ptr<AnimationRecord> record);

  // --- what is running
  // True when an animation of a view that still exists is running at `time` (seconds on
  // Clock::get()->monotonic()), its delay included: the screen drawn at `time` may differ from
  // the screen at rest. Forgets the animations that are over by then.
  bool isAnimating(double time);
  // Called by Animations: a committed animation starts (a record without a duration, disabled,
  // or without changes or a transition view is ignored), and its completion ran.
  void addRunning(std::shared_ptr<AnimationRecord> record);
  void endRunning(const AnimationRecord& record);
  // Forgets the animations that are over at `time`.
  void prune(double time);
  bool hasRunning() const { return !running_.empty(); }
  // The changes running on `view`, oldest animation first, changes taken over by a later
  // animation left out; null when there are none. Valid until the running set changes.
  const std::vector<RunningChange>* runningChanges(const View& view) const;
  // The newest running transition drawn on `view`, or null.
  const AnimationRecord* runningTransition(const View& view) const;
  // Forgets everything running (between tests).
  void clearRunning();

 private:
  void reindex();

  std::vector<std::shared_ptr<AnimationRecord>> records_;
  std::vector<std::shared_ptr<AnimationRecord>> running_;
  std::unordered_map<const View*, std::vector<RunningChange>> changesByView_;
  std::unordered_map<const View*, const AnimationRecord*> transitionByView_;
};

}  // namespace zu::ui
