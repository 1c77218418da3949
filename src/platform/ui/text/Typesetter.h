// Typesetter: lays an AttributedString out into lines — the phone's framesetter, over the kit's
// TextMetrics (Pango by default, FixedTextMetrics in tests), so what it measures is what labels
// measure and what is drawn. Made once per string (it measures every character then); frames are
// then cheap to make in any shape.
//
// Shapes: a rectangle, or a rectangle whose lines each get their own width (the microblog row's
// text that leaves a band at its top right free for a picture: see band()). Lines are taken in
// order while they fit in the rectangle's height (≤ 0 or infinite: no limit; the first line is
// always taken, as a label keeps one line however low it is); each line breaks
// by the one LineBreaker rule of the kit, in the paragraph style of its paragraph's first
// character (line-break mode, alignment, spacing, fixed line height). A paragraph ends at "\n".
// A justified paragraph's lines, all but its last (and a truncated one), fill the width: the
// room left goes to the spaces between words and to the boundaries beside Chinese (wide)
// characters, never between the letters of a word (a line of one word keeps its width); its
// last line is aligned as natural text is, and so is a line with right-to-left letters (split
// at its spaces, its words would be drawn in the wrong order).
// A line's height is the tallest font's line height on it (or the style's fixed height), its
// spacing is added below it, and the frame's height is the sum. With a truncating line-break
// mode, the last line that fits is shortened with "…" when text would not be shown (clip cuts it
// without "…"); the other modes just stop.
//
// Kept from the phone: suggestFrameSize answers the size of the frame the text needs within the
// constraints and the range that fits; a frame's lines report ranges, origins, metrics, runs,
// index at a position and offset of an index. Ranges past the end of the string are cut to it.
//
// Main thread. The TextMetrics in use when the typesetter was made must outlive it and its
// frames (TextMetrics::current() is, unless a test swaps it meanwhile).
#pragma once

#include <functional>
#include <vector>

#include "platform/ui/text/AttributedString.h"
#include "platform/ui/text/TextFrame.h"

namespace zu::ui {

class Typesetter {
 public:
  // The width of line `index`, whose box starts `top` below the frame's top.
  using LineWidths = std::function<float(size_t index, float top)>;

  explicit Typesetter(AttributedString text, const TextMetrics& metrics = TextMetrics::current());

  const AttributedString& attributedString() const { return text_; }

  // The part `range` of the string (length 0: to the end) in `rect`.
  TextFrame createFrame(TextRange range, const Rect& rect) const;
  // The same with a width per line (the rectangle's height still limits the lines).
  TextFrame createFrame(TextRange range, const Rect& rect, const LineWidths& widths) const;
  // The size the text needs within `constraints` (≤ 0 or infinite: unlimited), and the range
  // that fits when `fitRange` is given.
  Size suggestFrameSize(TextRange range, Size constraints, TextRange* fitRange = nullptr) const;

  // Widths that leave a band at the top right free: every line whose box starts less than
  // `bandHeight` below the top is `bandWidth` wide, the others `fullWidth`.
  static LineWidths band(float fullWidth, float bandHeight, float bandWidth);

 private:
  struct Paragraph {
    size_t begin;  // code point index of its first character
    size_t end;    // of its "\n" (or the string's end)
    std::u32string text;
    std::vector<float> offsets;
  };
  struct Metrics {
    float lineHeight;
    float ascent;
  };

  void measure();
  size_t codePointAt(size_t utf16) const;
  float lineHeightOf(size_t cp) const;
  void finishLine(TextLine& line, float height, float spacing, size_t fallbackAttributes) const;
  void truncate(TextLine& line, const Paragraph& p, size_t from, size_t to, float width,
                LineBreakMode mode, bool textFollows) const;
  void addGlyphs(TextLine& line, const Paragraph& p, size_t from, size_t to, float x) const;
  // Widens the line's gaps so that it fills `width`, where it has any.
  static void justify(TextLine& line, float width);

  AttributedString text_;
  const TextMetrics& metrics_;
  std::vector<char32_t> chars_;
  std::vector<size_t> utf16_;  // UTF-16 index of each code point, and the length at the end
  std::vector<size_t> attributeOf_;
  std::vector<TextAttributes> attributes_;
  std::vector<Metrics> fontMetrics_;  // per attribute entry
  std::vector<Paragraph> paragraphs_;
};

}  // namespace zu::ui
