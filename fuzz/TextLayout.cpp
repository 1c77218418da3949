// Fuzz target for laying out text that comes from outside (microblog posts, article summaries):
// any bytes become an attributed string with a few attribute ranges (some past its end) that the
// typesetter lays out in frames of several widths, heights and modes, and the data detector
// scans. Lines must come in order, inside the string and without overlap; found links and
// numbers must lie inside the string, in order.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/intl/DataDetector.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/text/Typesetter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zu::ui;
  if (size < 4) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);
  AttributedString a(text);
  a.setFont(Font::boldSystemFont(static_cast<float>(data[0] % 30)), TextRange{data[1], data[2]});
  a.setUnderlined(true, TextRange{data[2], 1000});
  ParagraphStyle style;
  style.lineBreakMode = static_cast<LineBreakMode>(data[3] % 6);
  style.lineSpacing = static_cast<float>(data[3] % 7);
  a.setParagraphStyle(style, TextRange{0, data[1]});

  static const FixedTextMetrics metrics;
  const Typesetter typesetter(a, metrics);
  for (float width : {0.0f, 3.0f, static_cast<float>(data[0])}) {
    for (float height : {0.0f, static_cast<float>(data[1])}) {
      const TextFrame frame =
          typesetter.createFrame(TextRange{data[2], 0}, Rect(0, 0, width, height),
                                 Typesetter::band(width, static_cast<float>(data[3]), width / 2));
      size_t next = std::min<size_t>(data[2], a.length());
      for (const TextLine& line : frame.lines()) {
        const TextRange r = line.range();
        if (r.location < next || r.location + r.length > a.length()) std::abort();
        next = r.location + r.length;
        (void)line.indexForPosition(width / 2);
        (void)line.offsetForIndex(r.location + 1);
      }
    }
  }

  const zu::DataDetector detector(zu::DataDetector::kLink | zu::DataDetector::kPhoneNumber);
  size_t last = 0;
  for (const auto& found : detector.matches(text)) {
    if (found.range.location < last || found.range.end() > a.length()) std::abort();
    last = found.range.location;
  }
  return 0;
}
