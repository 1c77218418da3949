// OnScreen: whether a view is there for a key that reaches it without a finger — the Escape key
// pressing a screen's way back (EscapeKey), Tab moving the editing to another entry
// (FocusChain), Ctrl+C copying a page's selection (CopyKey): it shows (neither it nor a view
// above it is hidden or transparent), it and every view above it take touches, and it lies in
// its window, inside the window's bounds. And where such a key starts: the top screen, the one
// under the screen's middle. Main thread, like the views.
#pragma once

#include <memory>

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
  // The view a touch at the screen's middle reaches, in the window that takes it
  // (Application::windowForTouch); null when no window does.
  static std::shared_ptr<View> underMiddle();
  // The top screen: the window's subview that holds underMiddle() (a tab's navigation, a
  // presented screen); null when there is none, or the window itself is what a touch reaches.
  static std::shared_ptr<View> topScreen();
};

}  // namespace zu::ui
