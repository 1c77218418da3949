// Animations: the phone's view animation API — begin/commit blocks and block animations with
// completions, transitions, and the global enabled switch — over a headless model in which
// values change at once and an animation is a record (AnimationLog) plus a completion that runs
// on the main run loop after delay + duration (× repeats) by the injected Clock. Main thread
// only; the functions are static, like the phone's class methods.
//
// Kept from the phone:
//  - begin(name, context) … commit() blocks nest; an inner block starts with the outer one's
//    duration and curve; the set* calls apply to the innermost open block; a view property set
//    inside goes to the innermost block.
//  - The did-stop callback gets (name, finished, context); a block animation's completion gets
//    finished. Both run on the main loop, never inside commit().
//  - finished is false when a later animation (with a duration) of the same property of the
//    same view replaced every change of this one before it ended: then its completion runs on
//    the next loop turn instead of at its time. A partly replaced animation ends at its time
//    with finished false.
//  - With animations switched off (setEnabled(false)), property changes are not recorded, and
//    blocks begun while off end at once (next loop turn) with finished true. A zero duration
//    block does the same with its changes recorded.
//  - Nested block animations inherit duration and curve unless the options override them; an
//    infinite repeat count never completes.
//  - While an animation runs, the renderer draws its views at the values along its curve
//    (Presentation): the getters return the model value, the screen shows the presented one.
//    beginsFromCurrentState starts each change from the value shown at the commit (the
//    presentation of a running animation), not from the model value.
//  - A flip or curl transition draws the view's content from before the block (a picture taken
//    when the transition is set) turning into its content now, a move-in from the top brings the
//    content now down over it, and a cross-dissolve and any other kind but none (the numbers the
//    phone kept for its own effects) fade from the one to the other.
//  - A zero or negative duration shows the end value at once; a change taken over by a later
//    animation of the same property stops drawing at once (the later one starts from the model
//    value unless it begins from the current state).
// Where we differ on purpose: an animation of a view freed meanwhile draws nothing, keeps
// nothing of the view alive, and does not count as running; scroll offsets are recorded but
// moved by the scroll view itself; flips are drawn without perspective and the curl as a flat
// fold (TransitionPainter).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/motion/AnimationLog.h"

namespace zu::ui {

class View;

// Options of block animations, with the phone's bit values.
enum AnimationOptions : unsigned {
  kAnimationOptionLayoutSubviews = 1u << 0,
  kAnimationOptionAllowUserInteraction = 1u << 1,
  kAnimationOptionBeginFromCurrentState = 1u << 2,
  kAnimationOptionRepeat = 1u << 3,
  kAnimationOptionAutoreverse = 1u << 4,
  kAnimationOptionOverrideInheritedDuration = 1u << 5,
  kAnimationOptionOverrideInheritedCurve = 1u << 6,
  kAnimationOptionCurveEaseInOut = 0u << 16,
  kAnimationOptionCurveEaseIn = 1u << 16,
  kAnimationOptionCurveEaseOut = 2u << 16,
  kAnimationOptionCurveLinear = 3u << 16,
  kAnimationOptionTransitionNone = 0u << 20,
  kAnimationOptionTransitionFlipFromLeft = 1u << 20,
  kAnimationOptionTransitionFlipFromRight = 2u << 20,
  kAnimationOptionTransitionCurlUp = 3u << 20,
  kAnimationOptionTransitionCurlDown = 4u << 20,
  kAnimationOptionTransitionCrossDissolve = 5u << 20,
};

class Animations {
 public:
  using DidStop = std::function<void(const std::string& name, bool finished, void* context)>;
  using WillStart = std::function<void(const std::string& name, void* context)>;
  using Completion = std::function<void(bool finished)>;

  // --- begin/commit blocks
  static void begin(std::string name = std::string(), void* context = nullptr);
  static void setDuration(double seconds);
  static void setDelay(double seconds);
  static void setCurve(AnimationCurve curve);
  static void setRepeatCount(float count);
  static void setRepeatAutoreverses(bool autoreverses);
  static void setBeginsFromCurrentState(bool fromCurrent);
  // Called on the main loop when the animation starts (after its delay).
  static void setWillStart(WillStart callback);
  static void setDidStop(DidStop callback);
  // `kind`: an AnimationTransition or a raw number. `cache` is accepted and ignored.
  static void setTransition(int kind, const std::shared_ptr<View>& view, bool cache = true);
  // Closes the innermost block: logs it and schedules its end. Without an open block: nothing.
  static void commit();

  // --- block animations
  static void animate(double duration, double delay, unsigned options,
                      const std::function<void()>& animations, Completion completion = {});
  static void animate(double duration, const std::function<void()>& animations,
                      Completion completion = {});
  static void transition(const std::shared_ptr<View>& view, double duration, unsigned options,
                         const std::function<void()>& animations, Completion completion = {});

  // --- the switch
  static void setEnabled(bool enabled);
  static bool areEnabled();

  // Runs `changes` with the animation blocks open now not recording them: the views take the
  // new values and show them at once. Blocks begun inside record as usual. (The phone's
  // performWithoutAnimation; the kit places a screen or a row that is only coming into view
  // with it, so an open block around a push does not grow it from nothing.)
  static void performWithoutAnimation(const std::function<void()>& changes);

  // True inside an open animation block that records (not under performWithoutAnimation).
  static bool isRecording();
  // Called by views' setters: notes the change in the innermost open block (when enabled).
  static void record(View& view, const char* property, const AnimatableValue& from,
                     const AnimatableValue& to);

  // Logs a finished-at-once record for an animation that is not a view block (a scroll view's
  // animated offset): `property` of `view` from → to over `duration`. Returns the record.
  static std::shared_ptr<AnimationRecord> logAnimation(std::string name, double duration, View& view,
                                                       const char* property,
                                                       const AnimatableValue& from,
                                                       const AnimatableValue& to);

  // Drops open blocks and pending completions and switches animations on (between tests).
  static void resetForTesting();
};

}  // namespace zu::ui
