#include "platform/ui/text/TextSelection.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/StringUtil.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

const Color kCaretColor = Color::rgba8(66, 107, 242);
const Color kHighlightColor = Color::rgba8(180, 206, 250);
const Color kDeepHighlightColor = Color::rgba8(38, 74, 128);
constexpr float kReadableRatio = 4.5f;

// The UTF-16 offset where each wrapped line starts in `text` (and one past the end). Each
// line's offset is counted on from the one before, so the whole text is counted once.
std::vector<size_t> lineStarts(const std::string& text, const std::vector<std::string>& lines) {
  std::vector<size_t> starts;
  starts.reserve(lines.size() + 1);
  size_t byte = 0;
  size_t counted = 0;  // the bytes before it that `units` counts
  size_t units = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    // A line after the first begins past the one newline it broke at, and past spaces dropped
    // at a wrap, where its text is found next.
    if (i > 0 && byte < text.size() && text[byte] == '\n') ++byte;
    size_t found = lines[i].empty() ? byte : text.find(lines[i], byte);
    if (found == std::string::npos) found = byte;
    units += StringUtil::utf16Length(std::string_view(text).substr(counted, found - counted));
    counted = found;
    starts.push_back(units);
    byte = found + lines[i].size();
  }
  starts.push_back(StringUtil::utf16Length(text));
  return starts;
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

std::vector<Rect> selectionRects(const std::string& text, const Font& font,
                                 const TextMetrics::Layout& laid, TextRange range) {
  const TextMetrics& metrics = TextMetrics::current();
  const float lh = metrics.lineHeight(font);
  range = clampRange(text, range);
  const std::vector<std::string> lines = caretLines(text, laid);
  const std::vector<size_t> starts = lineStarts(text, lines);
  const size_t first = range.location;
  const size_t last = range.location + range.length;
  // Offset `at` (within line i's reach) to an x on that line.
  auto xOn = [&](size_t i, size_t at) {
    const size_t into = at > starts[i] ? at - starts[i] : 0;
    return metrics.widthOf(StringUtil::utf16Prefix(lines[i], into), font);
  };
  std::vector<Rect> rects;
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t begin = starts[i];
    const size_t end = starts[i + 1];
    const bool lastLine = i + 1 == lines.size();
    const float y = lh * static_cast<float>(i);
    if (range.length == 0) {
      // The caret stands on the line it is inside, or at the end of the last one.
      if (first >= begin && (first < end || lastLine)) return {Rect(xOn(i, first), y, 0, lh)};
      continue;
    }
    if (last <= begin || first >= end) continue;
    const float x0 = first > begin ? xOn(i, first) : 0;
    const float x1 = last < end ? xOn(i, last) : metrics.widthOf(lines[i], font);
    rects.push_back(Rect(x0, y, std::max(0.f, x1 - x0), lh));
  }
  if (rects.empty()) rects.push_back(Rect(0, 0, 0, lh));
  return rects;
}

size_t caretOffsetAt(const std::string& text, const Font& font, const TextMetrics::Layout& laid, Point point) {
  const TextMetrics& metrics = TextMetrics::current();
  const float lh = metrics.lineHeight(font);
  const std::vector<std::string> lines = caretLines(text, laid);
  const std::vector<size_t> starts = lineStarts(text, lines);
  size_t i = 0;
  if (lh > 0 && point.y > 0) i = std::min(lines.size() - 1, static_cast<size_t>(point.y / lh));
  // Between each two characters of the line, the place whose x lies nearest (never inside a
  // surrogate pair). The last line reaches the text's end, past blanks its layout drops.
  const std::string line = i + 1 == lines.size() ? StringUtil::utf16SubstringFrom(text, starts[i]) : lines[i];
  const std::u16string units = StringUtil::toUtf16(line);
  size_t best = 0;
  float bestDistance = std::abs(point.x);
  for (size_t k = 1; k <= units.size(); ++k) {
    if (k < units.size() && units[k - 1] >= 0xD800 && units[k - 1] <= 0xDBFF) continue;
    const float distance = std::abs(metrics.widthOf(StringUtil::utf16Prefix(line, k), font) - point.x);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = k;
    }
  }
  return std::min(starts[i] + best, StringUtil::utf16Length(text));
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
