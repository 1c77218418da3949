// AnimationLog: the record of every view animation committed, for tests and for reading what a
// screen did. Since model values change at once (see Animations), an animation is nothing but
// this record plus its completion callbacks, which run on the main loop when its time is up.
//
// Each AnimationRecord keeps the block's parameters (name, context, duration, delay, curve,
// repeat, transition kind and view), every property change made inside it (view, property name,
// from → to; a property set twice keeps its first "from" and last "to"), and how it ended.
// Views are held weakly. Property names: "frame", "bounds", "center", "transform", "alpha",
// "backgroundColor", and "contentOffset" for scroll views.
//
// The log keeps the newest kCapacity records, so a long-running process does not grow with
// every animation it ever played. Main thread only. clear() forgets the records (not the
// pending completions).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Transform.h"

namespace zu::ui {

class View;

using AnimatableValue = std::variant<float, Point, Size, Rect, Transform, Color>;

std::string toString(const AnimatableValue& value);

enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

// Transition kinds of begin/commit animations with the phone's numbers; other numbers given by
// callers are kept as they are.
enum AnimationTransition : int {
  kAnimationTransitionNone = 0,
  kAnimationTransitionFlipFromLeft = 1,
  kAnimationTransitionFlipFromRight = 2,
  kAnimationTransitionCurlUp = 3,
  kAnimationTransitionCurlDown = 4,
};

struct PropertyChange {
  std::weak_ptr<View> view;
  const View* viewKey = nullptr;  // identity only; never dereferenced
  std::string property;
  AnimatableValue from;
  AnimatableValue to;
  // A later animation of the same property of the same view took over.
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
  // Animations were switched off when it began: nothing was animated and it ends at once.
  bool disabled = false;
  std::vector<PropertyChange> changes;
  // Set when its completion has run.
  bool completed = false;
  // What the completion was (or will be) told.
  bool finished = true;

  // The change of `property` of `view`, or null.
  const PropertyChange* change(const View* view, const std::string& property) const;
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

 private:
  std::vector<std::shared_ptr<AnimationRecord>> records_;
};

}  // namespace zu::ui
