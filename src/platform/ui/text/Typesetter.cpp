#include "platform/ui/text/Typesetter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <unicode/uchar.h>

#include "platform/runtime/StringUtil.h"
#include "platform/ui/text/LineBreaker.h"

namespace zu::ui {

namespace {

constexpr char32_t kEllipsis = U'\u2026';
// Heights are sums of floats: a line that fits to within this still fits.
constexpr float kSlack = 1e-3f;
// The baseline's place in a line box (the fixed metrics' exact ratio; the installed face's is
// within a point of it at text sizes).
constexpr float kAscentShare = 5.0f / 6.0f;

bool isTruncating(LineBreakMode mode) {
  return mode == LineBreakMode::Clip || mode == LineBreakMode::HeadTruncation ||
         mode == LineBreakMode::TailTruncation || mode == LineBreakMode::MiddleTruncation;
}

bool limited(float v) { return v > 0 && std::isfinite(v); }

// A character set in a square of its own (Chinese, kana, full-width forms): justification may
// widen the boundary beside it, as it may the spaces between words.
bool isWide(char32_t c) {
  const auto width = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH;
}

bool isRightToLeft(char32_t c) {
  const UCharDirection direction = u_charDirection(static_cast<UChar32>(c));
  return direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC;
}

}  // namespace

Typesetter::Typesetter(AttributedString text, const TextMetrics& metrics)
    : text_(std::move(text)), metrics_(metrics) {
  measure();
}

void Typesetter::measure() {
  const std::u16string& s = text_.string();
  for (size_t i = 0; i < s.size();) {
    char32_t c = s[i];
    size_t units = 1;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      units = 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    chars_.push_back(c);
    utf16_.push_back(i);
    i += units;
  }
  utf16_.push_back(s.size());

  for (const AttributedString::Run& run : text_.runs()) {
    attributes_.push_back(run.attributes);
    const Font font = run.attributes.effectiveFont();
    const float lh = metrics_.lineHeight(font);
    fontMetrics_.push_back({lh, lh * kAscentShare});
  }
  if (attributes_.empty()) {
    attributes_.emplace_back();
    const float lh = metrics_.lineHeight(attributes_[0].effectiveFont());
    fontMetrics_.push_back({lh, lh * kAscentShare});
  }
  attributeOf_.resize(chars_.size() + 1, 0);
  size_t run = 0;
  TextRange effective;
  text_.attributesAt(0, &effective);
  for (size_t k = 0; k < chars_.size(); ++k) {
    while (utf16_[k] >= effective.location + effective.length && run + 1 < attributes_.size()) {
      ++run;
      text_.attributesAt(effective.location + effective.length, &effective);
    }
    attributeOf_[k] = run;
  }
  attributeOf_[chars_.size()] = chars_.empty() ? 0 : attributeOf_[chars_.size() - 1];

  // Paragraphs, each measured run by run in its own font.
  size_t begin = 0;
  while (true) {
    size_t nl = begin;
    while (nl < chars_.size() && chars_[nl] != U'\n') ++nl;
    Paragraph p;
    p.begin = begin;
    p.end = nl;
    if (p.end > p.begin && chars_[p.end - 1] == U'\r') --p.end;
    p.text.assign(chars_.begin() + static_cast<std::ptrdiff_t>(p.begin),
                  chars_.begin() + static_cast<std::ptrdiff_t>(p.end));
    p.offsets.assign(p.text.size() + 1, 0);
    for (size_t k = 0; k < p.text.size();) {
      size_t j = k;
      while (j < p.text.size() && attributeOf_[p.begin + j] == attributeOf_[p.begin + k]) ++j;
      const std::vector<float> off = metrics_.offsets(
          p.text.substr(k, j - k), attributes_[attributeOf_[p.begin + k]].effectiveFont());
      for (size_t m = 1; m < off.size(); ++m) p.offsets[k + m] = p.offsets[k] + off[m];
      k = j;
    }
    paragraphs_.push_back(std::move(p));
    if (nl >= chars_.size()) break;
    begin = nl + 1;
  }
}

size_t Typesetter::codePointAt(size_t utf16) const {
  return static_cast<size_t>(std::lower_bound(utf16_.begin(), utf16_.end(), utf16) -
                             utf16_.begin());
}

float Typesetter::lineHeightOf(size_t cp) const {
  return fontMetrics_[attributeOf_[std::min(cp, chars_.size())]].lineHeight;
}

void Typesetter::addGlyphs(TextLine& line, const Paragraph& p, size_t from, size_t to,
                           float x) const {
  for (size_t k = from; k < to; ++k) {
    const size_t cp = p.begin + k;
    line.glyphs_.push_back({utf16_[cp], utf16_[cp + 1] - utf16_[cp], p.text[k],
                            x + p.offsets[k] - p.offsets[from], p.offsets[k + 1] - p.offsets[k],
                            attributeOf_[cp]});
  }
}

void Typesetter::truncate(TextLine& line, const Paragraph& p, size_t from, size_t to, float width,
                          LineBreakMode mode, bool textFollows) const {
  const std::vector<float>& off = p.offsets;
  if (!limited(width)) width = std::numeric_limits<float>::infinity();
  const float total = off[to] - off[from];
  if (total <= width && !(textFollows && mode == LineBreakMode::TailTruncation)) {
    addGlyphs(line, p, from, to, 0);
    return;
  }
  line.truncated_ = true;
  if (mode == LineBreakMode::Clip) {
    size_t k = from + 1;
    while (k < to && off[k + 1] - off[from] <= width) ++k;
    addGlyphs(line, p, from, std::min(k, to), 0);
    return;
  }
  auto ellipsisAt = [&](size_t k, float x) {
    const size_t attr = attributeOf_[p.begin + (k > from ? k - 1 : std::min(k, to))];
    const float w =
        metrics_.offsets(std::u32string(1, kEllipsis), attributes_[attr].effectiveFont()).back();
    line.glyphs_.push_back({utf16_[p.begin + k], 0, kEllipsis, x, w, attr});
    return w;
  };
  const float e = metrics_
                      .offsets(std::u32string(1, kEllipsis),
                               attributes_[attributeOf_[p.begin + from]].effectiveFont())
                      .back();
  const float room = width - e;
  if (mode == LineBreakMode::TailTruncation) {
    size_t k = from;
    while (k < to && off[k + 1] - off[from] <= room) ++k;
    while (k > from && LineBreaker::isBreakingSpace(p.text[k - 1])) --k;
    addGlyphs(line, p, from, k, 0);
    ellipsisAt(k, off[k] - off[from]);
    return;
  }
  if (mode == LineBreakMode::HeadTruncation) {
    size_t k = to;
    while (k > from && off[to] - off[k - 1] <= room) --k;
    const float w = ellipsisAt(k, 0);
    addGlyphs(line, p, k, to, w);
    return;
  }
  // Middle: grow the head and the tail in turn while something still fits.
  size_t head = from;
  size_t tail = to;
  for (bool grew = true; grew;) {
    grew = false;
    for (bool front : {true, false}) {
      if (head >= tail) break;
      const float used = (off[head] - off[from]) + (off[to] - off[tail]);
      const float next = front ? off[head + 1] - off[head] : off[tail] - off[tail - 1];
      if (used + next <= room) {
        front ? ++head : --tail;
        grew = true;
      }
    }
  }
  addGlyphs(line, p, from, head, 0);
  const float w = ellipsisAt(head, off[head] - off[from]);
  addGlyphs(line, p, tail, to, off[head] - off[from] + w);
}

void Typesetter::justify(TextLine& line, float width) {
  std::vector<TextLine::Glyph>& g = line.glyphs_;
  if (g.size() < 2) return;
  const float room = width - (g.back().x + g.back().advance);
  if (!(room > kSlack)) return;
  // Right-to-left words are put in their order by the shaper within a run: split at the gaps
  // they would be drawn in reading order from the left. Such a line keeps its natural width.
  if (std::any_of(g.begin(), g.end(), [](const TextLine::Glyph& glyph) { return isRightToLeft(glyph.c); })) {
    return;
  }
  // The spaces between words (not those that indent the line) and the boundaries beside a
  // Chinese character (never inside a visible character: a mark or a joined emoji stays
  // whole). The letters of a word are never spaced out: a line of one word stays as it is.
  std::vector<size_t> gaps;
  size_t first = 0;
  while (first < g.size() && LineBreaker::isBreakingSpace(g[first].c)) ++first;
  for (size_t k = first; k + 1 < g.size(); ++k) {
    const char32_t c = g[k].c;
    const char32_t after = g[k + 1].c;
    if (LineBreaker::isBreakingSpace(c)) {
      gaps.push_back(k);
    } else if (!LineBreaker::isBreakingSpace(after) && !LineBreaker::extendsPrevious(after) && c != 0x200D &&
               (isWide(c) || isWide(after))) {
      gaps.push_back(k);
    }
  }
  if (gaps.empty()) return;
  const float extra = room / static_cast<float>(gaps.size());
  float shift = 0;
  size_t next = 0;
  for (size_t k = 0; k < g.size(); ++k) {
    g[k].x += shift;
    if (next < gaps.size() && gaps[next] == k) {
      g[k].advance += extra;
      g[k].stretched = true;
      shift += extra;
      ++next;
    }
  }
}

void Typesetter::finishLine(TextLine& line, float height, float spacing,
                            size_t fallbackAttributes) const {
  float ascent = 0;
  for (size_t k = 0; k < line.glyphs_.size(); ++k) {
    const TextLine::Glyph& g = line.glyphs_[k];
    const bool joins = k > 0 && g.attributes == line.glyphs_[k - 1].attributes && g.length > 0 &&
                       line.glyphs_[k - 1].length > 0 && !line.glyphs_[k - 1].stretched &&
                       line.runs_.back().range.location + line.runs_.back().range.length == g.index;
    if (!joins) {
      TextRun run;
      run.range = {g.index, 0};
      run.attributes = attributes_[g.attributes];
      run.x = g.x;
      run.ascent = fontMetrics_[g.attributes].ascent;
      run.descent = fontMetrics_[g.attributes].lineHeight - run.ascent;
      line.runs_.push_back(std::move(run));
    }
    TextRun& run = line.runs_.back();
    run.range.length += g.length;
    run.width = g.x + g.advance - run.x;
    // Tabs and other controls are measured as spaces; draw them as spaces too.
    StringUtil::appendUtf8(run.text, g.c < 0x20 ? U' ' : g.c);
    ascent = std::max(ascent, run.ascent);
  }
  if (line.glyphs_.empty()) ascent = fontMetrics_[fallbackAttributes].ascent;
  if (!line.glyphs_.empty()) line.width_ = line.glyphs_.back().x + line.glyphs_.back().advance;
  line.ascent_ = ascent;
  line.descent_ = height - ascent;
  line.leading_ = spacing;
}

TextFrame Typesetter::createFrame(TextRange range, const Rect& rect) const {
  return createFrame(range, rect, nullptr);
}

TextFrame Typesetter::createFrame(TextRange range, const Rect& rect,
                                  const LineWidths& widths) const {
  TextFrame frame;
  frame.rect_ = rect;
  frame.metrics_ = &metrics_;
  TextRange r = text_.clamp(range);
  if (range.length == 0) r.length = text_.length() - r.location;
  if (r.length == 0) return frame;
  const size_t from = codePointAt(r.location);
  const size_t to = codePointAt(r.location + r.length);
  const bool heightLimited = limited(rect.size.height);
  float y = 0;
  float widest = 0;
  size_t visibleEnd = r.location;
  bool full = false;

  for (size_t pi = 0; pi < paragraphs_.size() && !full; ++pi) {
    const Paragraph& p = paragraphs_[pi];
    // The empty paragraph after a final "\n" makes no line; nor does one past the range.
    if (p.begin >= chars_.size() && pi > 0) break;
    if (p.begin > to || (p.begin == to && to > from)) break;
    const size_t terminator = pi + 1 < paragraphs_.size() ? paragraphs_[pi + 1].begin : p.end;
    if (terminator <= from && pi + 1 < paragraphs_.size()) continue;
    // A range that starts after the paragraph's last character, inside its "\r\n", shows
    // nothing of it.
    if (from > p.end) continue;
    const size_t s = std::max(from, p.begin) - p.begin;
    const size_t e = std::min(to, p.end) - p.begin;
    const size_t length = std::max(s, e);
    const std::u32string text = p.text.substr(0, length);
    const std::vector<float> off(p.offsets.begin(),
                                 p.offsets.begin() + static_cast<std::ptrdiff_t>(length) + 1);
    const ParagraphStyle style =
        attributes_[attributeOf_[p.begin + s]].paragraphStyle.value_or(ParagraphStyle{});
    // Text after this paragraph that the frame would show if there were room.
    const bool later = terminator < to && terminator < chars_.size();
    size_t i = s;
    do {
      const float width = widths ? widths(frame.lines_.size(), y) : rect.size.width;
      const LineBreaker::Line lb = LineBreaker::nextLine(text, off, i, width, style.lineBreakMode);
      float lh = style.lineHeight;
      if (!(lh > 0)) {
        lh = lineHeightOf(p.begin + i);
        for (size_t k = i; k < lb.end; ++k) lh = std::max(lh, lineHeightOf(p.begin + k));
      }
      if (heightLimited && y + lh > rect.size.height + kSlack && !frame.lines_.empty()) {
        full = true;
        break;
      }
      const bool more = lb.next < length || later;
      const bool last =
          heightLimited && more && y + lh + style.lineSpacing + lh > rect.size.height + kSlack;
      TextLine line;
      size_t endCp = lb.next;
      if (last && isTruncating(style.lineBreakMode)) {
        truncate(line, p, i, length, width, style.lineBreakMode, later);
        endCp = length;
      } else {
        addGlyphs(line, p, i, lb.end, 0);
        // Every line of a justified paragraph but its last fills the width.
        if (style.alignment == ParagraphStyle::Alignment::Justified && limited(width) &&
            lb.next < p.text.size()) {
          justify(line, width);
        }
      }
      finishLine(line, lh, style.lineSpacing, attributeOf_[p.begin + i]);
      size_t endIndex = utf16_[p.begin + endCp];
      if (endCp >= length && length == p.text.size() && terminator > p.end) {
        endIndex = utf16_[terminator];  // the paragraph's "\r\n" or "\n" belongs to its last line
      }
      endIndex = std::min(endIndex, r.location + r.length);
      line.range_ = {utf16_[p.begin + i], endIndex - utf16_[p.begin + i]};
      float x = 0;
      if (limited(width)) {
        if (style.alignment == ParagraphStyle::Alignment::Center) x = (width - line.width_) / 2;
        if (style.alignment == ParagraphStyle::Alignment::Right) x = width - line.width_;
      }
      line.origin_ = {rect.origin.x + x, rect.origin.y + y};
      y += line.height() + line.leading_;
      widest = std::max(widest, line.width_);
      visibleEnd = endIndex;
      frame.lines_.push_back(std::move(line));
      if (last) full = true;
      i = lb.next;
    } while (!full && i < length);
  }
  frame.visible_ = {r.location, visibleEnd - r.location};
  frame.size_ = {widest, y};
  return frame;
}

Size Typesetter::suggestFrameSize(TextRange range, Size constraints, TextRange* fitRange) const {
  const TextFrame frame = createFrame(range, Rect(0, 0, constraints.width, constraints.height));
  if (fitRange) *fitRange = frame.visibleRange();
  return frame.size();
}

Typesetter::LineWidths Typesetter::band(float fullWidth, float bandHeight, float bandWidth) {
  return [=](size_t, float top) { return top < bandHeight - kSlack ? bandWidth : fullWidth; };
}

}  // namespace zu::ui
