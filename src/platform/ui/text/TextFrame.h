// TextFrame, TextLine and TextRun: the result of laying an attributed string out with the
// Typesetter — the phone's text frame, line and glyph run. A frame holds its lines in order,
// each with the string range it shows, its origin, its metrics and its runs (stretches of equal
// attributes), and draws them. Plain values made by the Typesetter; main thread (drawing uses
// the view kit's canvas and text metrics).
//
// Coordinates are the kit's (y down): a line's origin is the top-left corner of its box in the
// coordinates the frame's rectangle was given in; its baseline lies `ascent` below. Ranges are
// UTF-16 code units of the laid-out string. A line's range includes the spaces that ended it and
// the "\n" that ended its paragraph, as on the phone; its runs cover only what is drawn. A line
// shortened with "…" has an ellipsis run whose range is empty, placed where the text was cut.
//
// Italic runs (an italic trait, or a font whose name says Italic or Oblique) are drawn with a
// synthesised slant, the installed CJK face having no italic of its own; they measure as upright
// text does. A justified line's runs break where the typesetter widened the line, each drawn at
// its own place.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ui/text/AttributedString.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Canvas;
class TextMetrics;

struct TextRun {
  TextRange range;
  TextAttributes attributes;
  std::string text;  // what is drawn (UTF-8)
  float x = 0;       // from the line's origin
  float width = 0;
  float ascent = 0;
  float descent = 0;
};

class TextLine {
 public:
  TextRange range() const { return range_; }
  Point origin() const { return origin_; }
  float width() const { return width_; }
  float ascent() const { return ascent_; }
  float descent() const { return descent_; }
  // The space below the line before the next one.
  float leading() const { return leading_; }
  float height() const { return ascent_ + descent_; }
  bool isTruncated() const { return truncated_; }
  const std::vector<TextRun>& runs() const { return runs_; }

  // The string index of the character boundary nearest to `x` (from the line's origin).
  size_t indexForPosition(float x) const;
  // The x (from the line's origin) where the character at `index` begins; the line's width for
  // an index at or after its end, 0 before its start.
  float offsetForIndex(size_t index) const;

 private:
  friend class Typesetter;
  struct Glyph {
    size_t index;   // UTF-16 index (the cut position for the ellipsis)
    size_t length;  // UTF-16 units (0 for the ellipsis)
    char32_t c;
    float x;
    float advance;
    size_t attributes;  // into the typesetter's attribute table
    // Justification widened the space after this glyph (its advance includes it).
    bool stretched = false;
  };
  TextRange range_;
  Point origin_;
  float width_ = 0;
  float ascent_ = 0;
  float descent_ = 0;
  float leading_ = 0;
  bool truncated_ = false;
  std::vector<Glyph> glyphs_;
  std::vector<TextRun> runs_;
};

class TextFrame {
 public:
  const std::vector<TextLine>& lines() const { return lines_; }
  // The part of the string that the lines show (the fit range).
  TextRange visibleRange() const { return visible_; }
  // Widest line, and the lines' heights with the spacing below each.
  Size size() const { return size_; }
  const Rect& rect() const { return rect_; }

  // The line whose box holds y (spacing below a line counts as that line's), or -1.
  int lineAt(Point point) const;
  // The string index nearest to the point on its line, or npos off every line.
  size_t indexAtPoint(Point point) const;

  void draw(Canvas& canvas) const;
  // Draws line `index` with its baseline starting at `baselineStart` instead of where the
  // typesetter put it, for a view that spaces the lines its own way and uses only the breaks.
  // Nothing for an index past the last line.
  void drawLine(Canvas& canvas, size_t index, Point baselineStart) const;

 private:
  friend class Typesetter;
  std::vector<TextLine> lines_;
  TextRange visible_;
  Size size_;
  Rect rect_;
  const TextMetrics* metrics_ = nullptr;
};

}  // namespace zu::ui
