#include "platform/ui/text/TextSelection.h"

#include <algorithm>
#include <cmath>

#include <unicode/utf16.h>

#include "platform/intl/GraphemeClusters.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/ClusterLimit.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

const Color kCaretColor = Color::rgba8(66, 107, 242);
const Color kHighlightColor = Color::rgba8(180, 206, 250);
const Color kDeepHighlightColor = Color::rgba8(38, 74, 128);
constexpr float kReadableRatio = 4.5f;

// The characters of `text` a line layout keeps (see TextMetrics: what ClusterLimit keeps, bad
// bytes as U+FFFD), as UTF-8, and for each of its characters the UTF-16 offset in `text` where
// it stands.
struct Kept {
  std::string utf8;
  std::vector<size_t> byteAt;  // the kept character's first byte in `utf8`
  std::vector<size_t> unitAt;  // its UTF-16 offset in `text`
};
Kept keptOf(const std::string& text) {
  Kept kept;
  ClusterLimit limit;
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    const char32_t c = StringUtil::decodeNext(text, i);
    if (limit.keeps(c)) {
      kept.byteAt.push_back(kept.utf8.size());
      kept.unitAt.push_back(units);
      StringUtil::appendUtf8(kept.utf8, c);
    }
    units += c > 0xFFFF ? 2 : 1;
  }
  return kept;
}

TextLines lineSpans(const std::string& text, const std::vector<std::string>& lines) {
  // The lines are found in the text as they were made of it, one after the other, so the whole
  // text is searched once.
  const Kept kept = keptOf(text);
  const std::string& shown = kept.utf8;
  const size_t length = StringUtil::utf16Length(text);
  // A byte of `shown` to the UTF-16 offset in `text` of the first kept character at or after it
  // (the characters left out before it belong to the line before).
  size_t at = 0;
  auto unitsAt = [&](size_t byte) {
    while (at < kept.byteAt.size() && kept.byteAt[at] < byte) ++at;
    return at < kept.unitAt.size() ? kept.unitAt[at] : length;
  };
  TextLines spans;
  spans.starts.reserve(lines.size() + 1);
  spans.ends.reserve(lines.size());
  size_t byte = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    // A line after the first begins past the one newline it broke at, and past spaces dropped
    // at a wrap, where its text is found next.
    if (i > 0 && byte < shown.size() && shown[byte] == '\n') ++byte;
    size_t found = lines[i].empty() ? byte : shown.find(lines[i], byte);
    if (found == std::string::npos) found = byte;
    spans.starts.push_back(unitsAt(found));
    byte = found + lines[i].size();
    spans.ends.push_back(std::max(spans.starts.back(), unitsAt(byte)));
  }
  spans.starts.push_back(length);
  return spans;
}

// The lines `laid` holds (at least one), and the empty line a newline at the very end opens,
// where a caret can stand.
std::vector<std::string> caretLines(const std::string& text, const TextMetrics::Layout& laid) {
  std::vector<std::string> lines;
  lines.reserve(laid.lines.size() + 1);
  for (const TextMetrics::Layout::Line& line : laid.lines) lines.push_back(line.text);
  if (lines.empty()) lines.push_back(std::string());
  if (!text.empty() && text.back() == '\n' && !lines.back().empty()) lines.push_back(std::string());
  return lines;
}

}  // namespace

TextRange clampRange(const std::string& text, TextRange range) {
  const size_t length = StringUtil::utf16Length(text);
  range.location = std::min(range.location, length);
  range.length = std::min(range.length, length - range.location);
  return range;
}

std::vector<Rect> selectionRects(const std::string& text, const Font& font, float width, TextRange range) {
  return selectionRects(text, font,
                        TextMetrics::current().layoutIn(text, font, Size{width, 0}, LineBreakMode::WordWrap),
                        range);
}

TextLines textLines(const std::string& text, const TextMetrics::Layout& laid) {
  return lineSpans(text, caretLines(text, laid));
}

size_t lineOfCaret(const TextLines& lines, CaretPlace place) {
  const size_t count = lines.count();
  // The first line whose next one starts after the offset; the last when none does.
  const auto first = lines.starts.begin() + 1;
  const auto after = std::upper_bound(first, lines.starts.begin() + static_cast<std::ptrdiff_t>(count), place.offset);
  size_t line = static_cast<size_t>(after - first);
  // At a wrap with nothing left out, the caret may stand at the end of the line before.
  if (place.atLineEnd && line > 0 && lines.starts[line] == place.offset && lines.ends[line - 1] == place.offset) {
    --line;
  }
  return line;
}

std::vector<Rect> selectionRects(const std::string& text, const Font& font,
                                 const TextMetrics::Layout& laid, TextRange range, bool caretAtLineEnd) {
  const TextMetrics& metrics = TextMetrics::current();
  const float lh = metrics.lineHeight(font);
  range = clampRange(text, range);
  const std::vector<std::string> lines = caretLines(text, laid);
  const TextLines spans = lineSpans(text, lines);
  const std::vector<size_t>& starts = spans.starts;
  const size_t first = range.location;
  const size_t last = range.location + range.length;
  // Offset `at` (within line i's reach) to an x on that line: the width of the text before it.
  auto xOn = [&](size_t i, size_t at) {
    const size_t into = std::min(at, spans.ends[i]);
    if (into <= starts[i]) return 0.f;
    return metrics.widthOf(StringUtil::utf16Substring(text, starts[i], into - starts[i]), font);
  };
  if (range.length == 0) {
    // The caret stands on the line it is inside, or at the end of the last one.
    const size_t i = lineOfCaret(spans, CaretPlace{first, caretAtLineEnd});
    return {Rect(xOn(i, first), lh * static_cast<float>(i), 0, lh)};
  }
  std::vector<Rect> rects;
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t begin = starts[i];
    const size_t end = starts[i + 1];
    const float y = lh * static_cast<float>(i);
    if (last <= begin || first >= end) continue;
    const float x0 = first > begin ? xOn(i, first) : 0;
    const float x1 = last < end ? xOn(i, last) : metrics.widthOf(lines[i], font);
    rects.push_back(Rect(x0, y, std::max(0.f, x1 - x0), lh));
  }
  if (rects.empty()) rects.push_back(Rect(0, 0, 0, lh));
  return rects;
}

Rect caretRect(const std::string& text, const Font& font, const TextMetrics::Layout& laid, CaretPlace place) {
  return selectionRects(text, font, laid, TextRange{place.offset, 0}, place.atLineEnd).front();
}

CaretPlace caretPlaceAt(const std::string& text, const Font& font, const TextMetrics::Layout& laid, Point point) {
  const TextMetrics& metrics = TextMetrics::current();
  const float lh = metrics.lineHeight(font);
  const std::vector<std::string> lines = caretLines(text, laid);
  const TextLines spans = lineSpans(text, lines);
  size_t i = 0;
  if (lh > 0 && point.y > 0) i = std::min(lines.size() - 1, static_cast<size_t>(point.y / lh));
  // The line's characters in the text (the last line reaches the text's end, past blanks its
  // layout drops), measured once as the line layout keeps them: each boundary between two
  // clusters gets the x of the kept characters before it.
  const size_t start = spans.starts[i];
  const std::string line = i + 1 == lines.size()
                               ? StringUtil::utf16SubstringFrom(text, start)
                               : StringUtil::utf16Substring(text, start, spans.ends[i] - start);
  // Boundaries of the whole text: a line may begin or end inside a cluster (a flag's two letters
  // wrapped apart, the CR of a CR LF kept on its line).
  GraphemeClusters clusters(text);
  std::u32string kept;
  std::vector<size_t> keptBefore;  // per character of the line: how many kept ones end at it
  std::vector<size_t> unitsBefore;
  ClusterLimit limit;
  size_t units = 0;
  for (size_t b = 0; b < line.size();) {
    const char32_t c = StringUtil::decodeNext(line, b);
    if (limit.keeps(c)) kept.push_back(c);
    units += c > 0xFFFF ? 2 : 1;
    keptBefore.push_back(kept.size());
    unitsBefore.push_back(units);
  }
  const std::vector<float> x = metrics.offsets(kept, font);
  size_t best = 0;
  float bestDistance = std::abs(point.x);
  for (size_t k = 0; k < keptBefore.size(); ++k) {
    const float distance = std::abs(x[keptBefore[k]] - point.x);
    if (distance < bestDistance && clusters.isBoundary(start + unitsBefore[k])) {
      bestDistance = distance;
      best = unitsBefore[k];
    }
  }
  const size_t offset = clusters.boundaryAtOrBefore(start + best);
  // The end of a line that wraps with nothing left out is the next one's start: the caret stays
  // on this line.
  const bool atLineEnd = i + 1 < lines.size() && offset == spans.ends[i] && offset == spans.starts[i + 1] &&
                         offset > start;
  return CaretPlace{offset, atLineEnd};
}

size_t caretOffsetAt(const std::string& text, const Font& font, const TextMetrics::Layout& laid, Point point) {
  return caretPlaceAt(text, font, laid, point).offset;
}

namespace {

// A run of a one-line text measured as lines draw it: its characters from UTF-16 offset `from`
// up to `to`, and for each code point boundary in it the UTF-16 offset and the x from `from`.
struct MeasuredRun {
  std::vector<size_t> offsets;
  std::vector<float> x;
};
MeasuredRun measureRun(const std::u16string& text, size_t from, size_t to, const Font& font) {
  MeasuredRun run;
  std::u32string kept;
  std::vector<size_t> keptBefore;
  ClusterLimit limit;
  run.offsets.push_back(from);
  keptBefore.push_back(0);
  for (size_t at = from; at < to;) {
    char32_t c = text[at];
    size_t step = 1;
    if (U16_IS_LEAD(c) && at + 1 < text.size() && U16_IS_TRAIL(text[at + 1])) {
      c = U16_GET_SUPPLEMENTARY(c, text[at + 1]);
      step = 2;
    } else if (U16_IS_SURROGATE(c)) {
      c = 0xFFFD;
    }
    if (limit.keeps(c)) kept.push_back(c);
    at += step;
    run.offsets.push_back(at);
    keptBefore.push_back(kept.size());
  }
  const std::vector<float> x = TextMetrics::current().offsets(kept, font);
  run.x.reserve(keptBefore.size());
  for (size_t k : keptBefore) run.x.push_back(k < x.size() ? x[k] : (x.empty() ? 0.f : x.back()));
  return run;
}

// The first code point boundary at or after `at` (never inside a surrogate pair).
size_t codePointStart(const std::u16string& text, size_t at) {
  if (at > 0 && at < text.size() && U16_IS_TRAIL(text[at]) && U16_IS_LEAD(text[at - 1])) ++at;
  return at;
}

constexpr size_t kFirstWindow = 64;

}  // namespace

size_t lineStartToFit(const std::u16string& text, size_t end, const Font& font, float width) {
  end = std::min(end, text.size());
  // Windows before `end` that double until they are wider than the room or reach the start.
  for (size_t window = kFirstWindow;; window *= 2) {
    const size_t from = end > window ? codePointStart(text, end - window) : 0;
    const MeasuredRun run = measureRun(text, from, end, font);
    const float total = run.x.back();
    if (total <= width && from > 0) continue;
    // The first boundary from which the rest fits, moved on to a cluster's start.
    size_t k = 0;
    while (k + 1 < run.x.size() && total - run.x[k] > width) ++k;
    size_t start = run.offsets[k];
    if (start == 0 || start >= end) return start;
    GraphemeClusters clusters(StringUtil::fromUtf16(std::u16string_view(text).substr(from, end - from)));
    const size_t into = start - from;
    return clusters.isBoundary(into) ? start : std::min(end, from + clusters.following(into));
  }
}

size_t lineOffsetNearest(const std::u16string& text, size_t from, const Font& font, float x) {
  from = std::min(from, text.size());
  if (x <= 0) return from;
  // Windows after `from` that double until they reach past `x` or the end.
  for (size_t window = kFirstWindow;; window *= 2) {
    const size_t to = std::min(text.size(), codePointStart(text, from + window));
    const MeasuredRun run = measureRun(text, from, to, font);
    if (run.x.back() < x && to < text.size()) continue;
    GraphemeClusters clusters(StringUtil::fromUtf16(std::u16string_view(text).substr(from, to - from)));
    size_t best = from;
    float bestDistance = x;
    for (size_t k = 1; k < run.offsets.size(); ++k) {
      const float distance = std::abs(run.x[k] - x);
      if (distance < bestDistance && clusters.isBoundary(run.offsets[k] - from)) {
        bestDistance = distance;
        best = run.offsets[k];
      }
    }
    return best;
  }
}

SelectionLook selectionLook(const Color& textColor) {
  // The text as it shows on a highlight: its alpha lets the highlight through.
  auto ratioOn = [&](const Color& highlight) {
    const float a = std::clamp(textColor.alpha, 0.f, 1.f);
    const Color shown(textColor.red * a + highlight.red * (1 - a), textColor.green * a + highlight.green * (1 - a),
                      textColor.blue * a + highlight.blue * (1 - a));
    return Color::contrastRatio(shown, highlight);
  };
  const float onLight = ratioOn(kHighlightColor);
  const float onDeep = ratioOn(kDeepHighlightColor);
  const bool light = onLight >= onDeep;
  const Color highlight = light ? kHighlightColor : kDeepHighlightColor;
  if (std::max(onLight, onDeep) >= kReadableRatio) return {highlight, textColor};
  return {highlight, light ? Color::blackColor() : Color::whiteColor()};
}

void drawSelection(Canvas& canvas, const Rect& rect, const SelectionLook& look) {
  canvas.save();
  if (rect.size.width <= 0) {
    canvas.setFillColor(kCaretColor);
    canvas.fillRect(Rect(rect.origin.x, rect.origin.y, kCaretWidth, rect.size.height));
  } else {
    canvas.setFillColor(look.highlight);
    canvas.fillRect(rect);
  }
  canvas.restore();
}

}  // namespace zu::ui
