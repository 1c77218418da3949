// EditHistory: the undo and redo steps of one text entry (TextField, TextView keep one each), as
// a desktop toolkit groups them: characters typed one after another make one step until the
// caret moves, another kind of edit comes, or a word ends (a blank typed after what is not one
// opens a new step at the next character); Backspaces (or Deletes) one after another make one
// step; each paste, cut, deletion of a selection, word deletion or clearing is a step of its own.
// A step undone can be redone until the next edit. At most kMaxSteps steps and kMaxBytes of
// text are kept; the oldest go first.
//
// The entry records each change it made (record) and asks for the change that undoes or redoes
// the last step through undo and redo, which make it through the entry's own change (what its
// delegate refused leaves the history as it was; what is changed meanwhile is not recorded). Offsets are UTF-16 units. Main
// thread, like the entries; owned by its entry and gone with it.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/text/TextInput.h"

namespace zu::ui {

class EditHistory {
 public:
  static constexpr size_t kMaxSteps = 100;
  static constexpr size_t kMaxBytes = size_t{4} << 20;

  enum class Kind { Typing, DeleteBackward, DeleteForward, Other };

  // The text's `range` (before the change), which held `removed`, became `inserted`, while
  // `selectedBefore` was selected.
  void record(Kind kind, TextRange range, const std::string& removed, const std::string& inserted,
              TextRange selectedBefore);
  // The next edit opens a step of its own (the caret moved).
  void breakGroup() { open_ = false; }
  void clear();

  // A change to make to the entry's text: `range` becomes `text`, then `select` is selected.
  struct Change {
    TextRange range;
    std::string text;
    TextRange select;
  };
  // Undoes (redoes) the last step through `apply`, which changes the entry's text and selects;
  // false when there is no step or `apply` refused the change.
  bool undo(const std::function<bool(const Change&)>& apply);
  bool redo(const std::function<bool(const Change&)>& apply);
  size_t undoCount() const { return undo_.size(); }
  size_t redoCount() const { return redo_.size(); }

 private:
  struct Step {
    Kind kind = Kind::Other;
    size_t location = 0;
    std::string removed;
    std::string inserted;
    TextRange selectedBefore;
  };
  // Adds `inserted` to the last step when it continues it; true when it did.
  bool merge(Kind kind, TextRange range, const std::string& removed, const std::string& inserted,
             TextRange selectedBefore);
  void trim();
  static size_t bytesOf(const Step& step) { return step.removed.size() + step.inserted.size(); }

  std::deque<Step> undo_;
  std::vector<Step> redo_;
  size_t bytes_ = 0;  // of undo_
  bool open_ = false;  // the last step may take the next edit
  bool applying_ = false;  // undo or redo is changing the text
};

}  // namespace zu::ui
