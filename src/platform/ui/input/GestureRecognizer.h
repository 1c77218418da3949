// GestureRecognizer: the base of the recognisers (tap, long press, pan, swipe). A recogniser is
// attached to a view (View::addGestureRecognizer, which owns it; its view is a weak link), sees
// the touches the window delivers to that view or its subviews before the view does, and moves
// through the phone's states, calling its targets' actions.
//
// Kept from the phone:
//  - States possible → began → changed… → ended / cancelled for continuous gestures, possible →
//    recognized (= ended) for discrete ones, possible → failed. Actions are called on began,
//    changed, ended and cancelled, never on failed. After the touches of a sequence are gone a
//    finished recogniser is reset to possible.
//  - Before leaving possible it asks its delegate's shouldBegin; a recogniser that must wait
//    for another to fail (requireToFail) holds its recognition until that one fails (then it
//    recognises) or recognises (then it fails). Recognising makes every other recogniser in
//    play fail (or this one fail, when the other has already begun) unless one of the two
//    delegates allows simultaneous recognition.
//  - cancelsTouchesInView (default on): once recognised, the view's touches of the gesture are
//    cancelled (touchesCancelled, before the recogniser's actions run) and the view receives no
//    more of them. shouldReceiveTouch lets a
//    delegate keep a touch from the recogniser.
//  - setState may be called by tests directly; it follows the same rules.
// Where we differ on purpose: touches are never delayed (delaysTouchesBegan/Ended are not
// offered). A recogniser whose view is gone calls no action: the window keeps a recogniser that
// tracks a touch until the touch ends, after its view may have been released, and the actions
// are the view's own or were set up for it (closures over the view's raw pointer among them).
// Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/Object.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/input/Touch.h"

namespace zu::ui {

class View;
class GestureRecognizer;

enum class GestureState { Possible = 0, Began = 1, Changed = 2, Ended = 3, Cancelled = 4, Failed = 5 };
inline constexpr GestureState kGestureRecognized = GestureState::Ended;

class GestureRecognizerDelegate {
 public:
  virtual ~GestureRecognizerDelegate() = default;
  virtual bool gestureRecognizerShouldBegin(GestureRecognizer&) { return true; }
  virtual bool shouldReceiveTouch(GestureRecognizer&, const Touch&) { return true; }
  virtual bool shouldRecognizeSimultaneously(GestureRecognizer&, GestureRecognizer&) { return false; }
};

class GestureRecognizer : public Object {
 public:
  using Action = std::function<void(GestureRecognizer&)>;

  GestureRecognizer();
  ~GestureRecognizer() override;

  // Adds an action under a key (usually the target object) for removeTarget.
  void addTarget(const void* key, Action action);
  void removeTarget(const void* key);

  GestureState state() const { return state_; }
  void setState(GestureState state);

  std::shared_ptr<View> view() const { return view_.lock(); }
  bool isEnabled() const { return enabled_; }
  // Switching a recogniser off while it is active cancels it.
  void setEnabled(bool enabled);
  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  void setDelegate(std::weak_ptr<GestureRecognizerDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<GestureRecognizerDelegate> delegate() const { return delegate_.lock(); }
  void requireGestureRecognizerToFail(const std::shared_ptr<GestureRecognizer>& other);

  // The centroid of the recogniser's touches (the last one when they are gone), in `view`.
  Point locationInView(const View* view) const;
  size_t numberOfTouches() const { return touches_.size(); }
  Point locationOfTouch(size_t index, const View* view) const;

  // --- called by the window's dispatcher
  void attach(const std::shared_ptr<View>& view) {
    view_ = view;
    attached_ = view != nullptr;
  }
  // False when the recogniser does not take `touch` (finished, disabled, or refused by the
  // delegate).
  bool accept(const std::shared_ptr<Touch>& touch);
  void deliverBegan(const TouchSet& touches, const Event& event);
  void deliverMoved(const TouchSet& touches, const Event& event);
  void deliverEnded(const TouchSet& touches, const Event& event);
  void deliverCancelled(const TouchSet& touches, const Event& event);
  // Called back when recognition should cancel the view's touches (set by the dispatcher).
  std::function<void(GestureRecognizer&)> onCancelViewTouches;

 protected:
  // What subclasses implement: touches arrive here, already recorded in touches().
  virtual void touchesBegan(const TouchSet&, const Event&) {}
  virtual void touchesMoved(const TouchSet&, const Event&) {}
  virtual void touchesEnded(const TouchSet&, const Event&) {}
  virtual void touchesCancelled(const TouchSet&, const Event&);
  // Back to a fresh possible state (cancel timers, clear counters).
  virtual void reset() {}
  // Continuous recognisers report began/changed; discrete ones go straight to recognized.
  virtual bool isDiscrete() const = 0;

  const TouchSet& touches() const { return touches_; }

 private:
  bool recognize(GestureState target);
  void transition(GestureState state);
  void sendActions();
  void finishIfIdle();
  void resolveDependents(bool recognized);
  bool simultaneousWith(GestureRecognizer& other);
  void removeTouches(const TouchSet& touches);

  GestureState state_ = GestureState::Possible;
  // A recognition held back until a required recogniser fails.
  GestureState pending_ = GestureState::Possible;
  bool inPlay_ = false;
  bool enabled_ = true;
  bool cancelsTouchesInView_ = true;
  std::weak_ptr<View> view_;
  // Attached to a view (which may since have gone).
  bool attached_ = false;
  std::weak_ptr<GestureRecognizerDelegate> delegate_;
  std::vector<std::weak_ptr<GestureRecognizer>> failureRequirements_;
  std::vector<std::pair<const void*, Action>> targets_;
  TouchSet touches_;
  Point lastLocation_;
};

}  // namespace zu::ui
