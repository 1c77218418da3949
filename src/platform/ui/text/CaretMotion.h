// CaretMotion: what the desktop's caret keys do to a text entry's selection — Left and Right by
// one character as a reader sees it (a whole grapheme cluster), Up and Down by a line, Home and
// End to the ends of the line — and how Shift makes each of them extend the selection instead.
// Each entry (TextField, TextView) keeps one and answers for its own lines (Lines); the moves
// are the same in every entry. Main thread, like the entries.
//
// The rules, as desktop entries keep them:
//  - Without Shift the caret moves and a selection ends: Left goes to its start, Right to its
//    end (neither moves further), the other keys move from the end that moved last.
//  - With Shift the end that moved last moves on while the other, the anchor, stays, so one
//    selection can grow and shrink across the anchor. A selection made otherwise (select all,
//    the edit menu, code) is anchored at its start.
//  - Up and Down keep the x they started from: through a short line and on into a long one the
//    caret comes back to the same column. Up on the first line goes to the text's start, Down
//    on the last to its end.
// What it remembers (the anchor, that x) holds only while the entry's selection is the one the
// last move made: typing, a tap or select all forget it without telling.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/ui/text/TextInput.h"
#include "platform/ui/text/TextSelection.h"

namespace zu::ui {

class CaretMotion {
 public:
  // How an entry's lines lie.
  class Lines {
   public:
    virtual ~Lines() = default;
    // The caret's x at `place` on its line.
    virtual float xOf(CaretPlace place) const = 0;
    // The place nearest `x` on the line `delta` lines below the one of `place` (above when
    // negative); none when no line is there.
    virtual std::optional<CaretPlace> placeOnLine(CaretPlace place, int delta, float x) const = 0;
    // The start and the end of the line of `place`.
    virtual CaretPlace lineStart(CaretPlace place) const = 0;
    virtual CaretPlace lineEnd(CaretPlace place) const = 0;
  };

  struct Result {
    TextRange range;
    // Where the end that moved stands (the caret when the range is empty).
    CaretPlace head;
  };

  // The selection after `move` from `selected` (whose moving end stands at the end of its line
  // when `atLineEnd`) in `text`.
  Result move(const std::string& text, TextRange selected, bool atLineEnd, CaretMove move, bool extend,
              const Lines& lines);
  // The end of `selected` that the keys move: the one that moved last, else its end.
  size_t head(TextRange selected) const;
  // The range from `anchor` to `head` (either way round), remembered as if a Shift move had
  // made it: a mouse drag's selection, whose moving end the keys then move on.
  TextRange select(size_t anchor, size_t head);

 private:
  // The anchor and the moving end of `selected` as the last move left them, if it still stands.
  std::pair<size_t, size_t> ends(TextRange selected) const;

  TextRange made_{~size_t{0}, 0};  // the range the last move made
  size_t anchor_ = 0;
  std::optional<float> goalX_;     // the x Up and Down keep, while they follow one another
};

}  // namespace zu::ui
