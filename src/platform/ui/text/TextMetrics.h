// TextMetrics: measuring, wrapping, truncating and drawing text — the phone's string sizing and
// drawing calls. Two implementations share the line breaking written here and differ only in the
// advance of each character and in how a line is painted:
//  - PangoTextMetrics (the default): Pango over the installed CJK font, so what is measured is
//    what is drawn;
//  - FixedTextMetrics: documented fixed advances, for tests that assert exact sizes.
// TextMetrics::current() is the one in use; tests install another with setCurrent (and put the
// default back with setCurrent(nullptr)). Main thread.
//
// Line breaking, kept from the phone:
//  - "\n" always breaks; within a paragraph LineBreaker decides (word or character wrap, with
//    the Chinese rules on punctuation at a line's start and end, in every mode).
//  - Clip and the truncation modes wrap by words when more than one line fits; the last line
//    that fits is then cut (clip) or shortened with "…" at its head, middle or tail, so that it
//    fits the width, when text remains after it. A tail-truncated last line whose paragraph fits
//    but is followed by further lines that are not shown still ends in "…".
//  - What shows nothing past ClusterLimit's run (a letter carrying a megabyte of accents, a
//    megabyte of zero-width spaces) is left out of the lines: it is neither measured nor drawn.
//  - Sizes are rounded up to whole points: width = the widest line, height = lines × line height.
//    A height limit keeps at least one line. Empty text measures (0, 0).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Canvas;

enum class LineBreakMode {
  WordWrap = 0,
  CharacterWrap = 1,
  Clip = 2,
  HeadTruncation = 3,
  TailTruncation = 4,
  MiddleTruncation = 5,
};

enum class TextAlignment { Left = 0, Center = 1, Right = 2 };

class TextMetrics {
 public:
  virtual ~TextMetrics() = default;

  static const TextMetrics& current();
  // Null restores the default (Pango).
  static void setCurrent(std::shared_ptr<const TextMetrics> metrics);

  // --- what an implementation provides
  virtual float lineHeight(const Font& font) const = 0;
  // For each character boundary of `text` (one line), its x offset: n + 1 values for n code
  // points, starting at 0, the last being the line's width.
  virtual std::vector<float> offsets(const std::u32string& text, const Font& font) const = 0;
  // For each character boundary of `text` (one line), the x where a caret stands there as the
  // line is drawn: the strong cursor of each boundary, the width of the text before it in
  // left-to-right text (offsets(), the default) and elsewhere in right-to-left and mixed text.
  virtual std::vector<float> caretOffsets(const std::u32string& text, const Font& font) const {
    return offsets(text, font);
  }
  // Paints one line with its top-left corner at `origin`.
  virtual void drawLine(Canvas& canvas, const std::string& text, Point origin, const Font& font,
                        const Color& color) const = 0;

  // --- the phone's measuring calls
  // One line, no wrapping ("\n" still breaks).
  Size sizeOf(std::string_view text, const Font& font) const;
  // Wrapped into `constraint` by `mode`.
  Size sizeOf(std::string_view text, const Font& font, Size constraint, LineBreakMode mode) const;
  // A single line no wider than `width`.
  Size sizeOf(std::string_view text, const Font& font, float width, LineBreakMode mode) const;
  // The lines as they are drawn in `constraint` (width ≤ 0: unlimited; height: line limit).
  std::vector<std::string> lines(std::string_view text, const Font& font, Size constraint,
                                 LineBreakMode mode) const;
  // Width of one line of text.
  float widthOf(std::string_view text, const Font& font) const;
  // widthOf(text), or `limit` when the text is wider: only as much of a long text is measured
  // as it takes to tell (windows from its head that double), so a text of any length costs
  // about what `limit` holds of it.
  float widthWithin(std::string_view text, const Font& font, float limit) const;

  // --- laying out once, drawing often
  // Text laid out for a rectangle of some size: the lines drawn there ("…" included) with their
  // widths, and the size they take (as sizeOf gives it). Only the lines that fit are laid out,
  // and of a long paragraph only as much as they show is measured, so a huge text costs little
  // more than a short one. A label keeps its layout until something that changes the drawing
  // changes.
  struct Layout {
    struct Line {
      std::string text;
      float width = 0;
      // Where the line lies in the text laid out: the UTF-16 offsets of its first character
      // and of the end of what it shows (past that, the blanks or the newline it broke at), and
      // the byte where it starts.
      size_t start = 0;
      size_t end = 0;
      size_t byte = 0;
      bool operator==(const Line&) const = default;
    };
    std::vector<Line> lines;
    Size size;
    bool operator==(const Layout&) const = default;
  };
  // The layout of `text` in a rectangle of `size` (width ≤ 0: unlimited; the height limits the
  // lines), as draw() lays it out.
  Layout layoutIn(std::string_view text, const Font& font, Size size, LineBreakMode mode) const;
  // `laid`, the layout of `before` at `width` by word wrap with no line limit, made that of
  // `text` (what an edit made of `before`): only the paragraphs the edit touched are laid out
  // again, the lines after them kept and moved, so typing into a long text costs about its
  // paragraph. The result is what layoutIn(text) would make.
  void relayout(Layout& laid, std::string_view before, std::string_view text, const Font& font,
                float width) const;
  // Draws a layout made for a rectangle of `rect`'s size into `rect`, each line aligned.
  void drawLayout(Canvas& canvas, const Layout& layout, const Rect& rect, const Font& font,
                  const Color& color, TextAlignment alignment) const;
  // Changes each time setCurrent installs metrics: a layout made under another value was
  // measured by other metrics.
  static uint64_t generation();

  // --- drawing
  // Draws the lines that fit in `rect`, aligned; returns the size used.
  Size draw(Canvas& canvas, std::string_view text, const Rect& rect, const Font& font,
            const Color& color, LineBreakMode mode, TextAlignment alignment) const;
  // One line from `point`, unlimited; returns its size.
  Size drawAt(Canvas& canvas, std::string_view text, Point point, const Font& font,
              const Color& color) const;

 private:
  struct Line {
    std::u32string text;
    float width;
    size_t from;  // its first character and the end of what it shows, in the kept characters
    size_t to;
  };
  std::vector<Line> layout(std::string_view text, const Font& font, float width, int maxLines,
                           LineBreakMode mode) const;
  std::vector<Line> layout(const std::u32string& kept, const Font& font, float width, int maxLines,
                           LineBreakMode mode) const;
  std::u32string truncate(const std::u32string& text, const Font& font, float width,
                          LineBreakMode mode, bool textFollows) const;
  // truncate() of a text of any length, measuring only the ends that can be shown.
  std::u32string truncateLong(const std::u32string& text, const Font& font, float width,
                              LineBreakMode mode, bool textFollows) const;
  float widthOf(const std::u32string& text, const Font& font) const;
  // How many characters of a long paragraph are measured at first when only a few lines are
  // laid out (doubled as needed).
  static constexpr size_t kMeasureChunk = 1024;
  Size measure(const std::vector<Line>& lines, const Font& font) const;
};

}  // namespace zu::ui
