// TextSelection: where a selected range of text lies as text fields and text views draw it, and
// how it is drawn — a caret (an empty range) or a highlight behind the selected text; where a
// caret stands on wrapped lines and where a tap puts it; how far a field's one line (of any
// length) must scroll for a caret to show. Free functions over the current TextMetrics; main
// thread, like the views.
//
// The highlight is the phone's light blue behind dark text and a deep blue behind light text (a
// night look's), so the selected text reads on it (4.5:1); a text colour that reads on neither
// (a middle grey) is drawn black on the light blue where it is selected.
//
// The lines are those TextMetrics wraps the text into (word wrap), so the caret follows the same
// breaks as the drawn text; the spaces or newline a line breaks at belong to the end of the line
// before it. Each laid-out line says where it lies in the text, so a question about the caret
// (its rectangle, a tap's place) measures the one line it is about, whatever the text's length;
// a caret's x is where TextMetrics::caretOffsets puts it on its line as drawn (in right-to-left
// text, Pango's strong cursor), while the keys move it in the text's order.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class Canvas;

inline constexpr float kCaretWidth = 2;

// `range` cut to the text's UTF-16 length.
TextRange clampRange(const std::string& text, TextRange range);
// The rectangles `range` covers in `text` wrapped at `width` from the origin (one per line it
// touches; an empty range gives one of zero width at the caret).
std::vector<Rect> selectionRects(const std::string& text, const Font& font, float width, TextRange range);
// The same over `text` already laid out at that width (TextMetrics::layoutIn, word wrap), so a
// view that keeps its layout measures no more than the caret's line.
// An empty range at a wrap's place stands at the end of the line before with `caretAtLineEnd`.
std::vector<Rect> selectionRects(const std::string& text, const Font& font,
                                 const TextMetrics::Layout& laid, TextRange range, bool caretAtLineEnd = false);
// The wrapped lines of `text` laid out as above (at least one, and the empty line a newline at
// the very end opens), in UTF-16 offsets: where each begins (`starts`, one more: the text's
// length) and where what it shows ends (`ends`). Between a line's end and the next line's start
// lie the blanks or the newline it broke at; where a line wraps with nothing left out, its end
// is the next line's start.
struct TextLines {
  std::vector<size_t> starts;
  std::vector<size_t> ends;
  size_t count() const { return ends.size(); }
};
TextLines textLines(const std::string& text, const TextMetrics::Layout& laid);
// Where a caret stands: its offset, and whether it stands at the end of the line before where
// that offset also begins a line (a line wrapped with nothing left out: the end of one line and
// the start of the next are the same place in the text, but not on the screen).
struct CaretPlace {
  size_t offset = 0;
  bool atLineEnd = false;
  bool operator==(const CaretPlace&) const = default;
};
// The line a caret at `place` stands on: the one it lies inside, or the last one.
size_t lineOfCaret(const TextLines& lines, CaretPlace place);
// The caret's place nearest to `point` (from the origin) in `text` laid out as above: the line
// under the point (the first above the text, the last below it), then the place between two of
// its characters nearest the point's x (its start or end beyond them), never inside a grapheme
// cluster (GraphemeClusters). A place right of a wrapped line's last character stays on it.
CaretPlace caretPlaceAt(const std::string& text, const Font& font, const TextMetrics::Layout& laid, Point point);
// Its offset.
size_t caretOffsetAt(const std::string& text, const Font& font, const TextMetrics::Layout& laid, Point point);
// The caret's rectangle (zero wide) at `place` in `text` laid out as above.
Rect caretRect(const std::string& text, const Font& font, const TextMetrics::Layout& laid, CaretPlace place);

// --- one line (a text field's), of any length, measured only as far as it shows
// The first offset from which `text` (UTF-16) up to `end` fits in `width`: the most of it that
// can show with `end` at the right edge (a cluster boundary, or `end` itself).
size_t lineStartToFit(const std::u16string& text, size_t end, const Font& font, float width);
// The cluster boundary of `text` (UTF-16) nearest to `x`, for the line drawn from `from`.
size_t lineOffsetNearest(const std::u16string& text, size_t from, const Font& font, float x);
// The highlight behind a selection of text drawn in `textColor`, and the colour the selected
// text is drawn in: `textColor` itself wherever it reads on the highlight.
struct SelectionLook {
  Color highlight;
  Color text;
};
SelectionLook selectionLook(const Color& textColor);
// A caret for a rectangle of zero width, the look's highlight for any other.
void drawSelection(Canvas& canvas, const Rect& rect, const SelectionLook& look);

}  // namespace zu::ui
