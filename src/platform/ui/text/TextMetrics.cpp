#include "platform/ui/text/TextMetrics.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/StringUtil.h"
#include "platform/ui/text/ClusterLimit.h"
#include "platform/ui/text/LineBreaker.h"
#include "platform/ui/text/PangoTextMetrics.h"

namespace zu::ui {

namespace {

std::shared_ptr<const TextMetrics>& installed() {
  static auto* metrics = new std::shared_ptr<const TextMetrics>();  // main thread; never destroyed
  return *metrics;
}

uint64_t gGeneration = 1;  // main thread, like the metrics installed

// Where the characters a layout keeps stand in the text it was made of: for each, its UTF-16
// offset and its first byte, and one more of each for the text's end.
struct Places {
  std::vector<size_t> units;
  std::vector<size_t> bytes;
};

// Decodes UTF-8 (bad bytes become U+FFFD), leaving out what shows nothing past ClusterLimit's
// run: lines are made of what can be seen. One pass that keeps only those characters, so a
// megabyte of marks costs a read of it. Notes in `places`, when given, where each kept
// character stands.
std::u32string decode(std::string_view text, Places* places = nullptr) {
  std::u32string out;
  out.reserve(text.size());
  if (places) {
    places->units.reserve(text.size() + 1);
    places->bytes.reserve(text.size() + 1);
  }
  ClusterLimit limit;
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    const size_t at = i;
    const char32_t c = StringUtil::decodeNext(text, i);
    if (limit.keeps(c)) {
      out.push_back(c);
      if (places) {
        places->units.push_back(units);
        places->bytes.push_back(at);
      }
    }
    units += c > 0xFFFF ? 2 : 1;
  }
  if (places) {
    places->units.push_back(units);
    places->bytes.push_back(text.size());
  }
  return out;
}

std::string encode(const std::u32string& text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) StringUtil::appendUtf8(out, c);
  return out;
}

bool isSpace(char32_t c) { return c == U' ' || c == U'\t'; }

constexpr char32_t kEllipsis = U'\u2026';

}  // namespace

const TextMetrics& TextMetrics::current() {
  if (const auto& m = installed()) return *m;
  static const PangoTextMetrics* pango = new PangoTextMetrics;  // never destroyed
  return *pango;
}

void TextMetrics::setCurrent(std::shared_ptr<const TextMetrics> metrics) {
  installed() = std::move(metrics);
  ++gGeneration;
}

uint64_t TextMetrics::generation() { return gGeneration; }

std::u32string TextMetrics::truncate(const std::u32string& text, const Font& font, float width,
                                     LineBreakMode mode, bool textFollows) const {
  const std::vector<float> off = offsets(text, font);
  const size_t n = text.size();
  // A tail that is followed by text that is not shown ends in "…" even when it fits.
  if (off[n] <= width && !(textFollows && mode == LineBreakMode::TailTruncation)) return text;
  if (mode == LineBreakMode::Clip || mode == LineBreakMode::WordWrap ||
      mode == LineBreakMode::CharacterWrap) {
    size_t k = 0;
    while (k < n && off[k + 1] <= width) ++k;
    return text.substr(0, std::max<size_t>(k, 1));
  }
  const float ellipsis = offsets(std::u32string(1, kEllipsis), font).back();
  const float room = width - ellipsis;
  if (mode == LineBreakMode::TailTruncation) {
    size_t k = 0;
    while (k < n && off[k + 1] <= room) ++k;
    while (k > 0 && isSpace(text[k - 1])) --k;
    return text.substr(0, k) + kEllipsis;
  }
  if (mode == LineBreakMode::HeadTruncation) {
    size_t k = n;
    while (k > 0 && off[n] - off[k - 1] <= room) --k;
    return kEllipsis + text.substr(k);
  }
  // Middle: grow the head and the tail in turn while something still fits.
  size_t head = 0;
  size_t tail = n;
  for (bool grew = true; grew;) {
    grew = false;
    for (bool front : {true, false}) {
      if (head >= tail) break;
      const float used = off[head] + (off[n] - off[tail]);
      const float next = front ? off[head + 1] - off[head] : off[tail] - off[tail - 1];
      if (used + next <= room) {
        if (front) {
          ++head;
        } else {
          --tail;
        }
        grew = true;
      }
    }
  }
  return text.substr(0, head) + kEllipsis + text.substr(tail);
}

std::u32string TextMetrics::truncateLong(const std::u32string& text, const Font& font, float width,
                                         LineBreakMode mode, bool textFollows) const {
  // What a truncated line shows lies within the width from its head, its tail or both: only
  // that much of a long text is measured, in windows that double until they are wider than
  // the line (zero-width characters may need the whole text).
  const bool fromHead = mode != LineBreakMode::HeadTruncation;
  const bool fromTail = mode == LineBreakMode::HeadTruncation || mode == LineBreakMode::MiddleTruncation;
  for (size_t window = kMeasureChunk; 2 * window < text.size(); window *= 2) {
    const bool headWide = !fromHead || widthOf(text.substr(0, window), font) > width;
    const bool tailWide = !fromTail || widthOf(text.substr(text.size() - window), font) > width;
    if (!headWide || !tailWide) continue;
    std::u32string shown;
    if (fromHead) shown += text.substr(0, window);
    if (fromTail) shown += text.substr(text.size() - window);
    return truncate(shown, font, width, mode, true);
  }
  return truncate(text, font, width, mode, textFollows);
}

std::vector<TextMetrics::Line> TextMetrics::layout(std::string_view utf8, const Font& font,
                                                   float width, int maxLines,
                                                   LineBreakMode mode) const {
  return layout(decode(utf8), font, width, maxLines, mode);
}

std::vector<TextMetrics::Line> TextMetrics::layout(const std::u32string& text, const Font& font,
                                                   float width, int maxLines,
                                                   LineBreakMode mode) const {
  const bool limited = width > 0 && std::isfinite(width);
  // With a line limit only the lines shown (and one more, to know that text follows) are laid
  // out, and a long paragraph is measured only as far as those lines reach.
  const bool fewLines = maxLines > 0 && limited;
  std::vector<Line> lines;
  // Where each line starts in `text`, and its paragraph's end, for truncating the last one.
  std::vector<std::pair<size_t, size_t>> spans;

  size_t start = 0;
  while (start <= text.size() && !(fewLines && lines.size() > static_cast<size_t>(maxLines))) {
    size_t end = text.find(U'\n', start);
    if (end == std::u32string::npos) end = text.size();
    size_t paraEnd = end;
    if (paraEnd > start && text[paraEnd - 1] == U'\r') --paraEnd;
    const size_t n = paraEnd - start;
    // The measured part of the paragraph: all of it, or with few lines a prefix that doubles
    // while a line reaches its end (the rest may still change where that line breaks).
    size_t measured = fewLines ? std::min(n, kMeasureChunk) : n;
    std::u32string para = text.substr(start, measured);
    std::vector<float> off = offsets(para, font);
    size_t i = 0;
    do {
      const LineBreaker::Line line =
          LineBreaker::nextLine(para, off, i, limited ? width : 0, mode);
      if (measured < n && line.next >= measured) {
        measured = std::min(n, measured * 2);
        para = text.substr(start, measured);
        off = offsets(para, font);
        continue;
      }
      lines.push_back({para.substr(i, line.end - i), off[line.end] - off[i], start + i, start + line.end});
      spans.emplace_back(start + i, start + n);
      i = line.next;
    } while (i < n && !(fewLines && lines.size() > static_cast<size_t>(maxLines)));
    start = end + 1;
  }

  if (maxLines > 0 && lines.size() > static_cast<size_t>(maxLines)) {
    lines.resize(static_cast<size_t>(maxLines));
    if (mode != LineBreakMode::WordWrap && mode != LineBreakMode::CharacterWrap && limited) {
      // The last line takes the rest of its paragraph and is shortened to fit.
      const auto [from, to] = spans[static_cast<size_t>(maxLines) - 1];
      const std::u32string rest = text.substr(from, to - from);
      const std::u32string shown = truncateLong(
          rest, font, width, mode, text.find_first_not_of(U" \t\r\n", to) != std::u32string::npos);
      lines.back() = {shown, offsets(shown, font).back(), from, to};
    }
  }
  return lines;
}

Size TextMetrics::measure(const std::vector<Line>& lines, const Font& font) const {
  float w = 0;
  for (const Line& l : lines) w = std::max(w, l.width);
  return {std::ceil(w), std::ceil(static_cast<float>(lines.size()) * lineHeight(font))};
}

Size TextMetrics::sizeOf(std::string_view text, const Font& font) const {
  if (text.empty()) return {0, 0};
  return measure(layout(text, font, 0, 0, LineBreakMode::WordWrap), font);
}

namespace {

int linesFitting(float height, float lineHeight) {
  if (!(height > 0) || !std::isfinite(height) || !(lineHeight > 0)) return 0;
  return std::max(1, static_cast<int>(std::floor(height / lineHeight + 1e-4f)));
}

}  // namespace

Size TextMetrics::sizeOf(std::string_view text, const Font& font, Size constraint,
                         LineBreakMode mode) const {
  if (text.empty()) return {0, 0};
  const int maxLines = linesFitting(constraint.height, lineHeight(font));
  Size s = measure(layout(text, font, constraint.width, maxLines, mode), font);
  if (constraint.width > 0 && s.width > constraint.width) s.width = std::ceil(constraint.width);
  return s;
}

Size TextMetrics::sizeOf(std::string_view text, const Font& font, float width,
                         LineBreakMode mode) const {
  if (text.empty()) return {0, 0};
  Size s = measure(layout(text, font, width, 1, mode), font);
  if (width > 0 && s.width > width) s.width = std::ceil(width);
  return s;
}

std::vector<std::string> TextMetrics::lines(std::string_view text, const Font& font,
                                            Size constraint, LineBreakMode mode) const {
  std::vector<std::string> out;
  if (text.empty()) return out;
  for (const Line& l : layout(text, font, constraint.width,
                              linesFitting(constraint.height, lineHeight(font)), mode)) {
    out.push_back(encode(l.text));
  }
  return out;
}

float TextMetrics::widthOf(std::string_view text, const Font& font) const {
  return offsets(decode(text), font).back();
}

float TextMetrics::widthOf(const std::u32string& text, const Font& font) const {
  return offsets(text, font).back();
}

float TextMetrics::widthWithin(std::string_view utf8, const Font& font, float limit) const {
  const std::u32string text = decode(utf8);
  for (size_t window = kMeasureChunk; window < text.size(); window *= 2) {
    if (widthOf(text.substr(0, window), font) > limit) return limit;
  }
  return std::min(widthOf(text, font), limit);
}

TextMetrics::Layout TextMetrics::layoutIn(std::string_view text, const Font& font, Size size,
                                          LineBreakMode mode) const {
  Layout out;
  if (text.empty()) return out;
  Places places;
  const std::u32string kept = decode(text, &places);
  const auto laid =
      layout(kept, font, size.width, linesFitting(size.height, lineHeight(font)), mode);
  out.size = measure(laid, font);
  out.lines.reserve(laid.size());
  for (const Line& l : laid) {
    out.lines.push_back({encode(l.text), l.width, places.units[l.from],
                         std::max(places.units[l.from], places.units[l.to]), places.bytes[l.from]});
  }
  return out;
}

namespace {

// Whether the newline at byte `at` of `text` ends a paragraph as the whole text's layout sees
// it: ClusterLimit starts afresh after it unless a zero-width joiner before it joins it on.
constexpr std::string_view kJoiner = "\xE2\x80\x8D";
constexpr size_t kJoinerBytes = kJoiner.size();

bool endsParagraph(std::string_view text, size_t at) {
  return text[at] == '\n' && !(at >= kJoinerBytes && text.substr(at - kJoinerBytes, kJoinerBytes) == kJoiner);
}

}  // namespace

void TextMetrics::relayout(Layout& laid, std::string_view before, std::string_view text, const Font& font,
                           float width) const {
  auto full = [&] { laid = layoutIn(text, font, Size{width, 0}, LineBreakMode::WordWrap); };
  if (text.empty() || before.empty() || laid.lines.empty()) return full();
  // The bytes the edit left alone at either end.
  size_t head = 0;
  const size_t shorter = std::min(before.size(), text.size());
  while (head < shorter && before[head] == text[head]) ++head;
  size_t tail = 0;
  while (tail < shorter - head && before[before.size() - 1 - tail] == text[text.size() - 1 - tail]) ++tail;
  // The paragraphs the edit touched: from a newline before it to one after it (each with the
  // character before it untouched, so it ended a paragraph before the edit as it does now).
  size_t from = head;
  while (from > 0 && !endsParagraph(text, from - 1)) --from;
  const size_t unchangedAfter = text.size() - tail;
  size_t to = unchangedAfter + kJoinerBytes;
  while (to < text.size() && !endsParagraph(text, to)) ++to;
  to = std::min(to, text.size());
  const size_t oldTo = to - text.size() + before.size();
  // The lines laid out of them before.
  auto byteAtLeast = [&](size_t byte) {
    return static_cast<size_t>(std::partition_point(laid.lines.begin(), laid.lines.end(),
                                                    [&](const Layout::Line& l) { return l.byte < byte; }) -
                               laid.lines.begin());
  };
  const size_t first = byteAtLeast(from);
  const size_t end = to < text.size() ? byteAtLeast(oldTo + 1) : laid.lines.size();
  if (first >= laid.lines.size() || laid.lines[first].byte != from) return full();
  const size_t unitBase = laid.lines[first].start;
  Places places;
  const std::u32string kept = decode(text.substr(from, to - from), &places);
  std::vector<Line> made = layout(kept, font, width, 0, LineBreakMode::WordWrap);
  std::vector<Layout::Line> lines;
  lines.reserve(made.size());
  for (const Line& l : made) {
    lines.push_back({encode(l.text), l.width, unitBase + places.units[l.from],
                     unitBase + std::max(places.units[l.from], places.units[l.to]), from + places.bytes[l.from]});
  }
  // The lines after keep their text and move by what the edit added or took.
  if (end < laid.lines.size()) {
    const size_t oldUnits = laid.lines[end].start - 1 - unitBase;
    const size_t newUnits = places.units.back();
    for (size_t i = end; i < laid.lines.size(); ++i) {
      Layout::Line& l = laid.lines[i];
      l.start = l.start - oldUnits + newUnits;
      l.end = l.end - oldUnits + newUnits;
      l.byte = text.size() - (before.size() - l.byte);
    }
  }
  laid.lines.erase(laid.lines.begin() + static_cast<std::ptrdiff_t>(first),
                   laid.lines.begin() + static_cast<std::ptrdiff_t>(end));
  laid.lines.insert(laid.lines.begin() + static_cast<std::ptrdiff_t>(first), std::make_move_iterator(lines.begin()),
                    std::make_move_iterator(lines.end()));
  float widest = 0;
  for (const Layout::Line& l : laid.lines) widest = std::max(widest, l.width);
  laid.size = {std::ceil(widest), std::ceil(static_cast<float>(laid.lines.size()) * lineHeight(font))};
}

void TextMetrics::drawLayout(Canvas& canvas, const Layout& laid, const Rect& rect,
                             const Font& font, const Color& color, TextAlignment alignment) const {
  const float lh = lineHeight(font);
  for (size_t i = 0; i < laid.lines.size(); ++i) {
    const Layout::Line& line = laid.lines[i];
    float x = rect.origin.x;
    if (alignment == TextAlignment::Center) x += (rect.size.width - line.width) / 2;
    if (alignment == TextAlignment::Right) x += rect.size.width - line.width;
    drawLine(canvas, line.text, Point{x, rect.origin.y + static_cast<float>(i) * lh}, font, color);
  }
}

Size TextMetrics::draw(Canvas& canvas, std::string_view text, const Rect& rect, const Font& font,
                       const Color& color, LineBreakMode mode, TextAlignment alignment) const {
  if (text.empty()) return {0, 0};
  const Layout laid = layoutIn(text, font, rect.size, mode);
  drawLayout(canvas, laid, rect, font, color, alignment);
  return laid.size;
}

Size TextMetrics::drawAt(Canvas& canvas, std::string_view text, Point point, const Font& font,
                         const Color& color) const {
  return draw(canvas, text, Rect(point, Size{0, 0}), font, color, LineBreakMode::WordWrap,
              TextAlignment::Left);
}

}  // namespace zu::ui
