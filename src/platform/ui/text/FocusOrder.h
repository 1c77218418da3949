// FocusOrder: a screen that knows its text entries better than its view tree does gives Tab
// (FocusChain) its entries itself. A table makes the cells in sight only, so an entry whose row
// is scrolled away lies in no window, and the tree alone would let Tab reach only the entries in
// sight; the screen lists them all, in the order its Return key's 下一项 goes through them, and
// brings each into sight (its row scrolled in and its cell made) before it begins editing.
//
// Implemented by the screen's controller; FocusChain finds it as the controller of the entry
// being edited or of a view above it (of the view under the screen's middle when nothing is
// edited). Main thread only; nothing is owned.
#pragma once

#include <memory>
#include <vector>

namespace zu::ui {

class View;

class FocusOrder {
 public:
  virtual ~FocusOrder() = default;
  // Every entry of the screen (text fields and text views), in order; FocusChain passes over
  // those that cannot begin editing now.
  virtual std::vector<std::shared_ptr<View>> focusEntries() = 0;
  // Brings `entry` into sight, ready to begin editing where the reader sees it.
  virtual void revealFocusEntry(View& entry) = 0;
};

}  // namespace zu::ui
