// LineBreaker: where a line of text ends — the one line-breaking rule that labels
// (TextMetrics) and the typesetter share, so a text breaks the same wherever it is shown.
// Pure functions over one paragraph (no "\n") and its measured character offsets; any thread.
//
// Rules, kept from the phone:
//  - Word wrap breaks after spaces and tabs and beside any character outside ASCII (CJK text
//    breaks between characters); a word longer than the line breaks by characters. Character
//    wrap may break anywhere. Spaces at the break hang past the width and are not drawn.
//  - In every mode, Chinese and Japanese line-breaking rules hold: no line begins with closing
//    punctuation ("，" "。" "、" "」" "）" "！" "？" "…" and the like, ASCII "," "." ")" too) and no
//    line ends with opening punctuation ("「" "（" "《" "“" "(" and the like). Such a break
//    moves back to the nearest allowed one, taking the character before the punctuation along
//    to the next line. Only a line with no allowed break at all is cut where the width ends.
//  - A combining mark, a joiner, a variation selector or a skin tone stays with the character
//    before it (they are parts of one visible character).
//  - A line always takes at least one character, however narrow the width.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class LineBreaker {
 public:
  struct Line {
    size_t end;   // end of the characters drawn (trailing spaces excluded)
    size_t next;  // where the next line starts (after the spaces of the break)
  };

  // The line that starts at `start` of `paragraph` within `width` (≤ 0 or infinite: the rest of
  // the paragraph). `offsets` has paragraph.size() + 1 entries, offsets[i] being the x of
  // character i from the paragraph's start.
  static Line nextLine(const std::u32string& paragraph, const std::vector<float>& offsets,
                       size_t start, float width, LineBreakMode mode);

  // Whether a line may begin with c / end with c.
  static bool mayBeginLine(char32_t c);
  static bool mayEndLine(char32_t c);
  static bool isBreakingSpace(char32_t c) { return c == U' ' || c == U'\t'; }
  // A mark, joiner, variation selector or skin tone: part of the visible character before it.
  static bool extendsPrevious(char32_t c);
};

}  // namespace zu::ui
