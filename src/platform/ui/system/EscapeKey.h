// EscapeKey: what the desktop's Escape key (and Alt+Left) does to the screens: it presses the
// top screen's visible back, cancel or close control, so the screen leaves by its own action and
// keeps its own rules for leaving. The screen host calls press(); main thread only.
//
// In order, the first that applies:
//  - an alert or action sheet on screen (AlertRegistry's top) presses its cancel button; one
//    without a cancel button keeps the key, and nothing happens (alerts lie above the edit
//    menu, so one that came while the menu showed is the first);
//  - a shown edit menu hides (MenuController);
//  - the top screen — the window that takes touches at the screen's middle, and in it the
//    screen (the window's subview) under that point — is searched front to back for the first
//    way back that is on screen: shown (no hidden or transparent view on its way up), taking
//    touches, enabled and inside its window. A way back is a navigation bar's back button, the
//    left button of a navigation bar's top item (the place of back, cancel and close buttons),
//    or a control marked Control::setLeavesScreen. It is pressed as a tap would press it.
// A screen whose way back is hidden or disabled therefore keeps the key: nothing happens.
#pragma once

namespace zu::ui {

class EscapeKey {
 public:
  EscapeKey() = delete;
  // True when something was pressed or hidden.
  static bool press();
};

}  // namespace zu::ui
