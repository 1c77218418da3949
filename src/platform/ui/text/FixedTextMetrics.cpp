#include "platform/ui/text/FixedTextMetrics.h"

#include "platform/ui/text/PangoTextMetrics.h"

namespace zu::ui {

float FixedTextMetrics::advance(char32_t c, float pointSize) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return 0;
  if (c < 0x7F) return pointSize / 2;
  return pointSize;
}

std::vector<float> FixedTextMetrics::offsets(const std::u32string& text, const Font& font) const {
  std::vector<float> out(text.size() + 1, 0);
  for (size_t i = 0; i < text.size(); ++i) out[i + 1] = out[i] + advance(text[i], font.pointSize);
  return out;
}

void FixedTextMetrics::drawLine(Canvas& canvas, const std::string& text, Point origin,
                                const Font& font, const Color& color) const {
  PangoTextMetrics::paintLine(canvas, text, origin, font, color);
}

}  // namespace zu::ui
