// FocusChain: what Tab and Shift+Tab do — the editing moves from the text entry being edited
// (the keyboard's first responder) to the next or the previous entry of its screen, and from
// the last on to the first (Shift+Tab: from the first to the last). The new entry begins
// editing as a tap on it begins it: its delegate hears of it and the screen answers as it does
// to the tap (a table scrolls the entry into place), with the caret and the selection it kept.
// While no entry is edited, Tab begins editing the first entry of the top screen (the screen
// under the screen's middle, in the window a touch there reaches), Shift+Tab the last, so keys
// typed next go somewhere. Nothing happens when the screen has no entry, nor when its one entry
// is being edited.
//
// The screen's entries and their order: when a controller above the entry (FocusOrder) keeps
// them, its list, in the order its Return key's 下一项 goes — every entry of the screen, those
// whose rows are scrolled away too, each brought into sight before it begins editing. Else the
// screen is the part of the window the entry lies in (the window's subview that holds it: a
// tab's navigation, a presented screen); its entries are the text fields and text views in it
// that are on screen (OnScreen: shown, taking touches, in the window), in reading order, top to
// bottom and left to right (by the top-left corners of their frames in the window): the order
// in which Return's 下一项 goes on through the screens that have it (login's name then
// password), so Tab and Return agree. Either way only entries that could begin editing now
// (enabled, editable) count, and an entry that refuses to begin editing is passed over.
// Main thread only.
#pragma once

#include <memory>
#include <vector>

namespace zu::ui {

class View;

class FocusChain {
 public:
  FocusChain() = delete;
  // The entries of the screen that holds `view`, in order.
  static std::vector<std::shared_ptr<View>> entriesAround(const View& view);
  // Tab (Shift+Tab with `backwards`): true when another entry (or, with none edited, the
  // first or last) now edits.
  static bool advance(bool backwards);
};

}  // namespace zu::ui
