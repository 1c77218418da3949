#include "platform/ui/text/TextFrame.h"

#include <algorithm>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

size_t TextLine::indexForPosition(float x) const {
  for (const Glyph& g : glyphs_) {
    if (x < g.x + g.advance / 2) return g.index;
  }
  if (glyphs_.empty()) return range_.location;
  return glyphs_.back().index + glyphs_.back().length;
}

float TextLine::offsetForIndex(size_t index) const {
  if (index <= range_.location) return 0;
  for (const Glyph& g : glyphs_) {
    if (g.length > 0 && g.index >= index) return g.x;
  }
  return width_;
}

int TextFrame::lineAt(Point point) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TextLine& line = lines_[i];
    const float top = line.origin().y;
    if (point.y >= top && point.y < top + line.height() + line.leading()) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

size_t TextFrame::indexAtPoint(Point point) const {
  const int i = lineAt(point);
  if (i < 0) return static_cast<size_t>(-1);
  const TextLine& line = lines_[static_cast<size_t>(i)];
  return line.indexForPosition(point.x - line.origin().x);
}

void TextFrame::draw(Canvas& canvas) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TextLine& line = lines_[i];
    drawLine(canvas, i, Point{line.origin().x, line.origin().y + line.ascent()});
  }
}

void TextFrame::drawLine(Canvas& canvas, size_t index, Point baselineStart) const {
  if (!metrics_ || index >= lines_.size()) return;
  const TextLine& line = lines_[index];
  const float baseline = baselineStart.y;
  for (const TextRun& run : line.runs()) {
    const Font font = run.attributes.effectiveFont();
    const Color color = run.attributes.effectiveColor();
    const Point at{baselineStart.x + run.x, baseline - run.ascent};
    metrics_->drawLine(canvas, run.text, at, font, color);
    const int style = run.attributes.underlineStyle;
    if (style <= 0) continue;
    const float thickness = std::max(1.0f, font.pointSize / 14) * (style == 2 ? 2 : 1);
    const float y = baseline + std::max(1.0f, run.descent / 3);
    canvas.setFillColor(color);
    canvas.fillRect(Rect(at.x, y, run.width, thickness));
    if (style == 9) canvas.fillRect(Rect(at.x, y + 2 * thickness, run.width, thickness));
  }
}

}  // namespace zu::ui
