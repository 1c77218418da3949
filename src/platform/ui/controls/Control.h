// Control: the base of buttons, switches and sliders — enabled / selected / highlighted state
// and target-action per control event, sent from the touches the control receives. Main
// thread; made with std::make_shared like every view.
//
// Kept from the phone:
//  - state() combines the flags: normal 0, highlighted 1, disabled 2, selected 4.
//  - A touch on the control highlights it and sends touch down (plus touch down repeat for a
//    second tap); moves send drag inside / outside and, when crossing, drag enter / exit, with
//    the highlight following; "inside" is the bounds grown by kTouchSlop points on every side.
//    Lifting sends touch up inside or outside and clears the highlight; a cancelled touch sends
//    touch cancel. A disabled control ignores touches. Touches stop at the control (they do not
//    go up the responder chain).
//  - Inside a scroll view a control keeps no touch from it by default: a drag that begins on a
//    button or a switch scrolls and cancels the control's touch, as a quick finger does on the
//    phone. A control whose touch is its own once it tracks it (a slider's thumb) says so in
//    keepsTouchFromScrolling, and the scroll view leaves that touch to it.
//  - Actions run in the order they were added; an action may remove the control (it is kept
//    alive until the actions have run).
//  - leavesScreen marks a control whose action leaves its screen (a back, cancel or close
//    button outside a navigation bar), which the desktop's Escape presses (EscapeKey) while it
//    shows; marked to leave even when hidden, it is the screen's way back for Escape while the
//    screen's layout hides or fades it (a floating back button of a reading layout).
//  - contentHorizontalAlignment (centre by default) places a button's image and title as a group
//    at the left, centre or right of its content area; fill gives the title the rest of the width.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/views/View.h"

namespace zu::ui {

enum class ControlContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };

enum ControlState : unsigned {
  kControlStateNormal = 0,
  kControlStateHighlighted = 1u << 0,
  kControlStateDisabled = 1u << 1,
  kControlStateSelected = 1u << 2,
};

enum ControlEvents : unsigned {
  kControlEventTouchDown = 1u << 0,
  kControlEventTouchDownRepeat = 1u << 1,
  kControlEventTouchDragInside = 1u << 2,
  kControlEventTouchDragOutside = 1u << 3,
  kControlEventTouchDragEnter = 1u << 4,
  kControlEventTouchDragExit = 1u << 5,
  kControlEventTouchUpInside = 1u << 6,
  kControlEventTouchUpOutside = 1u << 7,
  kControlEventTouchCancel = 1u << 8,
  kControlEventValueChanged = 1u << 12,
  kControlEventEditingDidBegin = 1u << 16,
  kControlEventEditingChanged = 1u << 17,
  kControlEventEditingDidEnd = 1u << 18,
  kControlEventEditingDidEndOnExit = 1u << 19,
  kControlEventAllTouchEvents = 0x00000FFFu,
  kControlEventAllEvents = 0xFFFFFFFFu,
};

class Control : public View {
 public:
  using Action = std::function<void(Control& sender)>;
  static constexpr float kTouchSlop = 70;

  explicit Control(const Rect& frame = Rect());

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  bool leavesScreen() const { return leavesScreen_; }
  // `evenWhenHidden`: Escape presses it also while it is hidden or transparent itself (what
  // holds it must still show).
  void setLeavesScreen(bool leaves, bool evenWhenHidden = false) {
    leavesScreen_ = leaves;
    leavesWhenHidden_ = leaves && evenWhenHidden;
  }
  bool leavesScreenWhenHidden() const { return leavesWhenHidden_; }
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted);
  unsigned state() const;
  ControlContentHorizontalAlignment contentHorizontalAlignment() const { return horizontalAlignment_; }
  void setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment);
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }

  // Adds an action for `events` under `key` (usually the target object).
  void addTarget(const void* key, unsigned events, Action action);
  // Removes the key's actions for `events` (all events: every action of the key).
  void removeTarget(const void* key, unsigned events = kControlEventAllEvents);
  // Runs every action registered for any of `events`.
  void sendActionsForControlEvents(unsigned events);
  // Keys and events registered (for tests and dumps).
  size_t actionCount(unsigned events) const;

  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

 protected:
  // Called when enabled, selected or highlighted changed (buttons refresh their content).
  virtual void stateDidChange() {}
  // Tracking hooks for subclasses (sliders follow the finger); the point is in bounds space.
  virtual void beginTracking(Point) {}
  virtual void continueTracking(Point) {}
  virtual void endTracking(Point) {}
  bool insideForTracking(Point p) const;

 private:
  struct Target {
    const void* key;
    unsigned events;
    Action action;
  };
  std::vector<Target> targets_;
  bool enabled_ = true;
  bool leavesScreen_ = false;
  bool leavesWhenHidden_ = false;
  bool selected_ = false;
  bool highlighted_ = false;
  bool tracking_ = false;
  bool touchInside_ = false;
  ControlContentHorizontalAlignment horizontalAlignment_ = ControlContentHorizontalAlignment::Center;
};

}  // namespace zu::ui
