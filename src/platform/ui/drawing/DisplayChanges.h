// DisplayChanges: whether the screen's picture may differ from the one last drawn, so that the
// screen's host composites only then and sleeps at rest. Main thread only; one per process
// (DisplayChanges::shared()).
//
// Views mark it when something they show changes: setNeedsDisplay, setNeedsLayout, a changed
// frame, bounds, center, transform, alpha, hidden flag or background colour, and every change of
// the tree. A subclass whose drawing depends on its own state calls setNeedsDisplay when that
// state changes (the kit's classes do). Moving content marks it too: a decelerating scroll view
// sets its offset every frame; a running view animation (AnimationLog::isAnimating) and the
// keyboard's slide (Keyboard::isSliding) keep needsFrame() true until they end, so their frames
// are drawn although their model values are set.
//
// The host installs a wake handler, called on each change from clean to dirty (and when an
// animation is committed), schedules a frame from it, and calls clear() once it has composited.
// Not the phone's: its screen redraws on its own; here the host must be told.
#pragma once

#include <functional>

namespace zu::ui {

class DisplayChanges {
 public:
  static DisplayChanges& shared();

  // Something shown may have changed. Cheap: views call it from their setters.
  void markDirty() {
    if (dirty_) return;
    dirty_ = true;
    if (wake_) wake_();
  }
  bool isDirty() const { return dirty_; }
  // True while a frame may show something new: a change is marked or an animation runs.
  bool needsFrame() const;
  // The host composited the screen: what was marked is shown.
  void clear() { dirty_ = false; }
  // Called on the main thread when the screen becomes dirty; null removes it.
  void setWakeHandler(std::function<void()> handler) { wake_ = std::move(handler); }
  // Wakes the host without a change of its own (an animation was committed).
  void wake() {
    if (wake_) wake_();
  }

 private:
  DisplayChanges() = default;
  bool dirty_ = true;  // nothing has been drawn yet
  std::function<void()> wake_;
};

}  // namespace zu::ui
