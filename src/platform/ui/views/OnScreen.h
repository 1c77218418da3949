// OnScreen: whether a view is there for a key that reaches it without a finger — the Escape key
// pressing a screen's way back (EscapeKey), Tab moving the editing to another entry
// (FocusChain): it shows (neither it nor a view above it is hidden or transparent), it and
// every view above it take touches, and it lies in its window, inside the window's bounds.
// Main thread, like the views.
#pragma once

namespace zu::ui {

class View;

class OnScreen {
 public:
  OnScreen() = delete;
  // The view itself is shown (not hidden, not transparent) and takes touches.
  static bool takesPart(const View& view);
  // `view` is on screen as said above; with `evenHidden` the view itself need only take
  // touches (a way back that a layout hides but that still leaves).
  static bool holds(const View& view, bool evenHidden = false);
};

}  // namespace zu::ui
