// TextSelection: where a selected range of text lies as text fields and text views draw it, and
// how it is drawn — a caret (an empty range) or a highlight behind the selected text. Free
// functions over the current TextMetrics; main thread, like the views.
//
// The highlight is the phone's light blue behind dark text and a deep blue behind light text (a
// night look's), so the selected text reads on it (4.5:1); a text colour that reads on neither
// (a middle grey) is drawn black on the light blue where it is selected.
//
// The lines are those TextMetrics wraps the text into (word wrap), so the caret follows the same
// breaks as the drawn text; the spaces or newline a line breaks at belong to the end of the line
// before it.
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
std::vector<Rect> selectionRects(const std::string& text, const Font& font,
                                 const TextMetrics::Layout& laid, TextRange range);
// The caret offset (UTF-16) nearest to `point` (from the origin) in `text` laid out as above:
// the line under the point (the first above the text, the last below it), then the place
// between two of its characters nearest the point's x (its start or end beyond them).
size_t caretOffsetAt(const std::string& text, const Font& font, const TextMetrics::Layout& laid, Point point);
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
