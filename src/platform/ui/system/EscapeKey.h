// EscapeKey: what the desktop's Escape key (and Alt+Left) does to the screens: it ends what lies
// over a screen or is being done on it first, and only then presses the top screen's way back,
// so the screen leaves by its own action and keeps its own rules for leaving — one press never
// throws typed text away. The screen host calls press(); main thread only.
//
// In order, the first that applies:
//  - an alert or action sheet on screen (AlertRegistry's top) presses its cancel button; one
//    without a cancel button keeps the key, and nothing happens (alerts lie above the edit
//    menu, so one that came while the menu showed is the first);
//  - a shown edit menu hides (MenuController), and the selection it was for ends
//    (View::endSelection: a text entry's caret stays at the selection's end, a page's word is
//    no longer lit);
//  - the top window — the one a touch at the screen's middle goes to — runs its escape action
//    when it has one (Window::setEscapeAction: an overlay such as a help picture closes as its
//    tap closes it);
//  - a text entry being edited (the keyboard's first responder) stops being edited: it resigns,
//    the keyboard goes and the text stays (a search field resigns alone: it neither searches as
//    its return key does nor ends the search);
//  - the top screen — in the top window, the screen (the window's subview) under the middle —
//    is searched front to back for a search bar showing its cancel button (取消), which is
//    tapped: the search ends;
//  - the top screen is searched front to back for the first way back that is on screen: shown
//    (no hidden or transparent view on its way up), taking touches, enabled and inside its
//    window. A way back is a navigation bar's back button, the left button of a navigation
//    bar's top item (the place of back, cancel and close buttons), or a control marked
//    Control::setLeavesScreen. It is pressed as a tap would press it;
//  - else a control of the top screen marked to leave even when hidden (the way back of a
//    layout that hides its buttons) is pressed, when it is enabled, inside its window and what
//    holds it shows.
// A screen whose way back is hidden (and not so marked) or disabled therefore keeps the key:
// nothing happens.
#pragma once

namespace zu::ui {

class EscapeKey {
 public:
  EscapeKey() = delete;
  // True when something was pressed, hidden, closed or resigned.
  static bool press();
};

}  // namespace zu::ui
