// FixedTextMetrics: deterministic TextMetrics for tests that assert exact text sizes. Advances,
// in ems of the font's point size: 0.5 for printable ASCII (space included), 0 for control
// characters, 1 for every other character (CJK, full-width forms, "…"). The line height is
// 1.2 ems. Bold changes nothing. Lines are painted with Pango at the measured positions, so a
// rendered picture is still readable, though glyphs need not fill the measured widths.
#pragma once

#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class FixedTextMetrics : public TextMetrics {
 public:
  float lineHeight(const Font& font) const override { return font.pointSize * 1.2f; }
  std::vector<float> offsets(const std::u32string& text, const Font& font) const override;
  void drawLine(Canvas& canvas, const std::string& text, Point origin, const Font& font,
                const Color& color) const override;

  static float advance(char32_t c, float pointSize);
};

}  // namespace zu::ui
