// Fuzz target for where a caret can stand in text that comes from outside (a pasted address, a
// pasted comment): any bytes become a text laid out at a width the first byte gives, and laid
// out again after an edit of it as it would be anew; every line's places, a tap's place at
// points all over it, the caret keys' clusters, Delete's range and a one-line field's scroll
// must stay inside the text, in order, on cluster boundaries.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/intl/GraphemeClusters.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/text/TextSelection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zu::ui;
  if (size < 2) return 0;
  static const bool installed = [] {
    TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
    return true;
  }();
  (void)installed;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  const Font font = Font::systemFont(12);
  const float width = static_cast<float>(data[0]);
  const size_t length = zu::StringUtil::utf16Length(text);
  zu::GraphemeClusters clusters(text);
  if (clusters.length() != length) std::abort();

  const TextMetrics::Layout laid = TextMetrics::current().layoutIn(text, font, Size{width, 0}, LineBreakMode::WordWrap);
  // An edit (at a place the second byte gives, a few bytes replaced by the text's first few)
  // laid out again from the layout before is the layout made anew.
  {
    const size_t cut = data[1] % (text.size() + 1);
    const std::string edited = text.substr(0, cut) + text.substr(0, std::min<size_t>(3, text.size())) +
                               text.substr(std::min(text.size(), cut + data[1] % 5));
    TextMetrics::Layout again = laid;
    TextMetrics::current().relayout(again, text, edited, font, width);
    if (!(again == TextMetrics::current().layoutIn(edited, font, Size{width, 0}, LineBreakMode::WordWrap))) {
      std::abort();
    }
  }
  const TextLines lines = textLines(text, laid);
  if (lines.count() == 0 || lines.starts.size() != lines.count() + 1 || lines.starts.back() != length) std::abort();
  for (size_t i = 0; i < lines.count(); ++i) {
    if (lines.starts[i] > lines.ends[i] || lines.ends[i] > lines.starts[i + 1]) std::abort();
  }
  const float lh = TextMetrics::current().lineHeight(font);
  // Rows half a line apart from above the first line to below the last, at most about 16 of
  // them spread over the text: each ask measures one line, so a long text costs no more asks.
  const size_t rows = 2 * (lines.count() + 2);
  const size_t every = std::max<size_t>(1, rows / 16);
  for (size_t row = 0; row < rows; row += every) {
    const float y = -lh + static_cast<float>(row) * lh / 2;
    for (float x : {-5.f, 0.f, width / 3, width, width + 50}) {
      const CaretPlace place = caretPlaceAt(text, font, laid, Point{x, y});
      if (place.offset > length || !clusters.isBoundary(place.offset)) std::abort();
      if (lineOfCaret(lines, place) >= lines.count()) std::abort();
      const Rect caret = caretRect(text, font, laid, place);
      if (caret.origin.y < 0 || caret.origin.y > lh * static_cast<float>(lines.count())) std::abort();
    }
  }
  // The caret keys step from cluster to cluster; Delete takes one cluster.
  const size_t from = length == 0 ? 0 : data[1] % (length + 1);
  const size_t at = clusters.boundaryAtOrBefore(from);
  const size_t next = clusters.following(at);
  const size_t before = clusters.preceding(at);
  if (next > length || (at < length && next <= at) || before > at || (at > 0 && before >= at)) std::abort();
  const TextRange gone = forwardDeleteRange(text, TextRange{at, 0});
  if (gone.location != at || gone.location + gone.length != next) std::abort();

  // A field's line scrolled to a caret: the text from there to the caret fits the room.
  const std::u16string units = zu::StringUtil::toUtf16(text);
  const size_t start = lineStartToFit(units, at, font, width);
  if (start > at) std::abort();
  const size_t tapped = lineOffsetNearest(units, start, font, width / 2);
  if (tapped < start || tapped > length) std::abort();
  return 0;
}
