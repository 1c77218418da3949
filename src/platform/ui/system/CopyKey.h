// CopyKey: what the desktop's Ctrl+C does. While a text entry is edited (the keyboard's first
// responder) it is the entry's copy ("copy:", as the edit menu's 拷贝: its selection to the
// general pasteboard). While none is, it copies the selection a view shows itself
// (View::copySelection), as that view's own copy item does — an article's word selected by a
// long press, as its menu's 复制 — first the view the shown edit menu is for (and the views
// above it), else the first view of the top screen (the window's subview under the screen's
// middle, in the window a touch there reaches), front to back through its shown views, that has
// a selection. The screen host calls press(); main thread only.
#pragma once

namespace zu::ui {

class CopyKey {
 public:
  CopyKey() = delete;
  // True when something was copied (or the copy of a page was asked for).
  static bool press();
};

}  // namespace zu::ui
