#include "platform/ui/text/TextSelection.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <unicode/uchar.h>
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

// The bytes of `text` that hold its first `units` UTF-16 units (a character that would straddle
// them left out), as they are: bad bytes stay, so offsets into the text stay true.
std::string_view unitsPrefix(std::string_view text, size_t units) {
  size_t at = 0;
  for (size_t i = 0; i < text.size();) {
    const size_t from = i;
    const char32_t c = StringUtil::decodeNext(text, i);
    const size_t n = c > 0xFFFF ? 2 : 1;
    if (n > units) return text.substr(0, from);
    units -= n;
    at = i;
  }
  return text.substr(0, at);
}

// The lines of a text laid out (TextMetrics::layoutIn, which says where each lies) where a
// caret can stand: those the layout holds (at least one), and the empty line a newline at the
// very end opens. Asking about a line costs that line, not the text.
class CaretLines {
 public:
  CaretLines(const std::string& text, const TextMetrics::Layout& laid) : text_(text), laid_(laid) {
    const size_t n = laid.lines.size();
    extra_ = n == 0 || (!text.empty() && text.back() == '\n' && !laid.lines.back().text.empty());
    if (n == 0) {
      length_ = StringUtil::utf16Length(text);
    } else {
      const TextMetrics::Layout::Line& last = laid.lines.back();
      length_ = last.start + StringUtil::utf16Length(std::string_view(text).substr(last.byte));
    }
  }
  size_t count() const { return laid_.lines.size() + (extra_ ? 1 : 0); }
  size_t length() const { return length_; }
  size_t start(size_t i) const { return i < laid_.lines.size() ? laid_.lines[i].start : extraStart(); }
  size_t end(size_t i) const { return i < laid_.lines.size() ? laid_.lines[i].end : extraStart(); }
  size_t byte(size_t i) const { return i < laid_.lines.size() ? laid_.lines[i].byte : (laid_.lines.empty() ? 0 : text_.size()); }
  // Where the next line starts; the text's length after the last.
  size_t nextStart(size_t i) const { return i + 1 < count() ? start(i + 1) : length_; }
  // What line i shows, as drawn.
  std::string shown(size_t i) const { return i < laid_.lines.size() ? laid_.lines[i].text : std::string(); }
  // The text from line i's start up to UTF-16 offset `at` (within the text).
  std::string_view upTo(size_t i, size_t at) const {
    return unitsPrefix(std::string_view(text_).substr(byte(i)), at - std::min(at, start(i)));
  }
  size_t lineOf(CaretPlace place) const {
    const size_t n = count();
    // The first line whose next one starts after the offset; the last when none does.
    size_t lo = 0;
    size_t hi = n - 1;
    while (lo < hi) {
      const size_t mid = (lo + hi) / 2;
      if (start(mid + 1) <= place.offset) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    // At a wrap with nothing left out, the caret may stand at the end of the line before.
    if (place.atLineEnd && lo > 0 && start(lo) == place.offset && end(lo - 1) == place.offset) --lo;
    return lo;
  }
  TextLines all() const {
    TextLines lines;
    for (size_t i = 0; i < count(); ++i) {
      lines.starts.push_back(start(i));
      lines.ends.push_back(end(i));
    }
    lines.starts.push_back(length_);
    return lines;
  }

 private:
  size_t extraStart() const { return laid_.lines.empty() ? 0 : length_; }

  const std::string& text_;
  const TextMetrics::Layout& laid_;
  bool extra_ = false;
  size_t length_ = 0;
};

// Whether a grapheme cluster boundary lies between characters `a` and `b` whatever came before
// `a`: only joiners, marks, prepended letters, regional indicators and Hangul jamo join what is
// beside them, and only their runs reach back further than one character.
bool surelyBetween(char32_t a, char32_t b) {
  auto plain = [](char32_t c) {
    const auto kind = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_GRAPHEME_CLUSTER_BREAK);
    return kind == U_GCB_OTHER || kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF;
  };
  return plain(a) && plain(b) && !(a == U'\r' && b == U'\n');
}

// The first byte of the character that ends before byte `at` of `text` (at > 0).
size_t previousCharacter(std::string_view text, size_t at) {
  const size_t floor = at > 4 ? at - 4 : 0;
  size_t i = at - 1;
  while (i > floor && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
  // Bytes that do not decode to one character ending at `at` are read one at a time.
  size_t next = i;
  StringUtil::decodeNext(text, next);
  return next == at ? i : at - 1;
}

// A piece of a text around one line, cut where cluster boundaries are sure (see surelyBetween),
// so its clusters are the whole text's: `byte` and `unit` are where it starts in the text.
struct ClusterWindow {
  size_t byte = 0;
  size_t unit = 0;
  std::string_view text;
};
ClusterWindow clusterWindow(std::string_view text, size_t fromByte, size_t fromUnit, size_t toByte) {
  size_t begin = fromByte;
  while (begin > 0) {
    const size_t before = previousCharacter(text, begin);
    size_t i = before;
    const char32_t a = StringUtil::decodeNext(text, i);
    i = begin;
    if (begin >= text.size() || surelyBetween(a, StringUtil::decodeNext(text, i))) break;
    begin = before;
  }
  size_t end = std::min(toByte, text.size());
  while (end < text.size() && end > 0) {
    size_t i = previousCharacter(text, end);
    const char32_t a = StringUtil::decodeNext(text, i);
    i = end;
    if (surelyBetween(a, StringUtil::decodeNext(text, i))) break;
    StringUtil::decodeNext(text, end);
  }
  ClusterWindow window;
  window.byte = begin;
  window.unit = fromUnit - StringUtil::utf16Length(text.substr(begin, fromByte - begin));
  window.text = text.substr(begin, end - begin);
  return window;
}

// Where a caret stands between the characters of a line as drawn: for each boundary between
// the characters `line` keeps (TextMetrics' lines), its x.
std::vector<float> caretXs(const std::string& line, const Font& font) {
  std::u32string kept;
  for (size_t b = 0; b < line.size();) kept.push_back(StringUtil::decodeNext(line, b));
  return TextMetrics::current().caretOffsets(kept, font);
}

// How many characters a line layout keeps of `text` read from a line's start.
size_t keptCount(std::string_view text) {
  ClusterLimit limit;
  size_t count = 0;
  for (size_t b = 0; b < text.size();) {
    if (limit.keeps(StringUtil::decodeNext(text, b))) ++count;
  }
  return count;
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
  return CaretLines(text, laid).all();
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
  const CaretLines lines(text, laid);
  range.location = std::min(range.location, lines.length());
  range.length = std::min(range.length, lines.length() - range.location);
  const size_t first = range.location;
  const size_t last = range.location + range.length;
  // Offset `at` (within line i's reach) to an x on that line: where the caret stands before the
  // character there as the line is drawn (after the text before it, in left-to-right text).
  auto xOn = [&](size_t i, size_t at) {
    const size_t into = std::min(at, lines.end(i));
    const std::string shown = lines.shown(i);
    if (shown.empty()) return 0.f;
    const std::vector<float> xs = caretXs(shown, font);
    return xs[into <= lines.start(i) ? 0 : std::min(xs.size() - 1, keptCount(lines.upTo(i, into)))];
  };
  if (range.length == 0) {
    // The caret stands on the line it is inside, or at the end of the last one.
    const size_t i = lines.lineOf(CaretPlace{first, caretAtLineEnd});
    return {Rect(xOn(i, first), lh * static_cast<float>(i), 0, lh)};
  }
  std::vector<Rect> rects;
  for (size_t i = lines.lineOf(CaretPlace{first, false}); i < lines.count(); ++i) {
    const size_t begin = lines.start(i);
    const size_t end = lines.nextStart(i);
    if (begin >= last) break;
    const float y = lh * static_cast<float>(i);
    if (first >= end) continue;
    const float x0 = first > begin ? xOn(i, first) : 0;
    const float x1 = last < end ? xOn(i, last) : metrics.widthOf(lines.shown(i), font);
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
  const CaretLines lines(text, laid);
  size_t i = 0;
  if (lh > 0 && point.y > 0) i = std::min(lines.count() - 1, static_cast<size_t>(point.y / lh));
  // The line's characters in the text (the last line reaches the text's end, past blanks its
  // layout drops), measured once as the line layout keeps them: each boundary between two
  // clusters gets the x where the caret stands there as the line is drawn.
  const size_t start = lines.start(i);
  const std::string_view rest = std::string_view(text).substr(lines.byte(i));
  const std::string_view line = i + 1 == lines.count() ? rest : unitsPrefix(rest, lines.end(i) - start);
  // Boundaries as the whole text has them: a line may begin or end inside a cluster (a flag's
  // two letters wrapped apart, the CR of a CR LF kept on its line).
  const ClusterWindow window = clusterWindow(text, lines.byte(i), start, lines.byte(i) + line.size());
  const size_t into = start - window.unit;
  std::u32string kept;
  std::vector<size_t> keptBefore;  // per character of the line: how many kept ones end at it
  std::vector<size_t> unitsBefore;
  kept.reserve(line.size());
  keptBefore.reserve(line.size());
  unitsBefore.reserve(line.size());
  ClusterLimit limit;
  size_t units = 0;
  // Whether every character of the line stands alone (see surelyBetween), as in most text:
  // then each boundary between two is a cluster's, and ICU need not be asked.
  bool alone = window.byte == lines.byte(i) && window.text.size() == line.size();
  char32_t previous = 0;
  for (size_t b = 0; b < line.size();) {
    const char32_t c = StringUtil::decodeNext(line, b);
    if (units > 0) alone = alone && surelyBetween(previous, c);
    previous = c;
    if (limit.keeps(c)) kept.push_back(c);
    units += c > 0xFFFF ? 2 : 1;
    keptBefore.push_back(kept.size());
    unitsBefore.push_back(units);
  }
  std::optional<GraphemeClusters> clusters;
  if (!alone) clusters.emplace(window.text);
  const std::vector<float> x = metrics.caretOffsets(kept, font);
  size_t best = 0;
  float bestDistance = std::abs(x[0] - point.x);
  for (size_t k = 0; k < keptBefore.size(); ++k) {
    const float distance = std::abs(x[keptBefore[k]] - point.x);
    if (distance < bestDistance && (!clusters || clusters->isBoundary(into + unitsBefore[k]))) {
      bestDistance = distance;
      best = unitsBefore[k];
    }
  }
  const size_t offset = window.unit + (clusters ? clusters->boundaryAtOrBefore(into + best) : into + best);
  // The end of a line that wraps with nothing left out is the next one's start: the caret stays
  // on this line.
  const bool atLineEnd = i + 1 < lines.count() && offset == lines.end(i) && offset == lines.start(i + 1) &&
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
