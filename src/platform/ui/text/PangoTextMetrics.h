// PangoTextMetrics: the default TextMetrics — advances measured and lines painted by Pango over
// the installed CJK font (WenQuanYi Micro Hei) at 72 dpi (one point is one unit), with metric
// hinting off so that sizes scale with the canvas and measuring agrees with drawing. The line
// height is the font's ascent plus descent. Main thread (Pango contexts are per thread).
// Where we differ from Pango on purpose: control characters other than tab and newline (C0,
// DEL, C1) stay in the text but are measured and drawn as nothing, not as boxes of hex digits;
// so is what shows nothing past ClusterLimit's run (a megabyte of accents on one letter, or of
// zero-width spaces, is not shaped on every frame).
#pragma once

#include <cstdint>

#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class PangoTextMetrics : public TextMetrics {
 public:
  float lineHeight(const Font& font) const override;
  std::vector<float> offsets(const std::u32string& text, const Font& font) const override;
  // Where Pango puts the strong cursor of each boundary, where a line holds right-to-left text.
  std::vector<float> caretOffsets(const std::u32string& text, const Font& font) const override;
  void drawLine(Canvas& canvas, const std::string& text, Point origin, const Font& font,
                const Color& color) const override;

  // Paints one line with Pango whatever metrics measured it.
  static void paintLine(Canvas& canvas, const std::string& text, Point origin, const Font& font,
                        const Color& color);

  // How many characters this thread has handed to Pango to shape, measuring and painting: what
  // text costs, for tests and benchmarks.
  static uint64_t charactersShaped();
};

}  // namespace zu::ui
