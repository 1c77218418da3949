#include "platform/ui/text/TextInput.h"

#include <algorithm>

#include "platform/device/Pasteboard.h"
#include "platform/intl/GraphemeClusters.h"
#include "platform/intl/WordBreaks.h"
#include "platform/runtime/StringUtil.h"

namespace zu::ui {

std::string replaceTextRange(const std::string& text, TextRange range, const std::string& replacement) {
  const size_t length = StringUtil::utf16Length(text);
  const size_t start = std::min(range.location, length);
  const size_t end = std::min(length, start + std::min(range.length, length - start));
  return StringUtil::utf16Prefix(text, start) + replacement + StringUtil::utf16SubstringFrom(text, end);
}

TextRange backwardDeleteRange(const std::string& text, TextRange selected) {
  if (selected.length > 0) return selected;
  GraphemeClusters clusters(text);
  const size_t caret = std::min(selected.location, clusters.length());
  const size_t before = clusters.preceding(caret);
  return TextRange{before, caret - before};
}

TextRange forwardDeleteRange(const std::string& text, TextRange selected) {
  if (selected.length > 0) return selected;
  GraphemeClusters clusters(text);
  const size_t next = clusters.following(selected.location);
  return TextRange{selected.location, next > selected.location ? next - selected.location : 0};
}

TextRange wordDeleteRange(const std::string& text, TextRange selected, bool forward) {
  if (selected.length > 0) return selected;
  WordBreaks words(text);
  const size_t caret = std::min(selected.location, words.length());
  if (forward) return TextRange{caret, words.wordEndAfter(caret) - caret};
  const size_t start = words.wordStartBefore(caret);
  return TextRange{start, caret - start};
}

TextRange wordRangeAt(const std::string& text, size_t offset) {
  WordBreaks words(text);
  auto [start, end] = words.segmentAt(offset);
  // A word break inside a cluster (a letter and a joiner, say) takes in the whole cluster.
  GraphemeClusters clusters(text);
  start = clusters.boundaryAtOrBefore(start);
  if (!clusters.isBoundary(end)) end = clusters.following(end);
  return TextRange{start, end - start};
}

TextRange paragraphRangeAt(const std::string& text, size_t offset) {
  const std::u16string units = StringUtil::toUtf16(text);
  offset = std::min(offset, units.size());
  const size_t before = offset == 0 ? std::u16string::npos : units.rfind(u'\n', offset - 1);
  const size_t start = before == std::u16string::npos ? 0 : before + 1;
  const size_t after = units.find(u'\n', offset);
  const size_t end = after == std::u16string::npos ? units.size() : after;
  return TextRange{start, end - start};
}

bool isLineBreak(char32_t c) { return c == U'\n' || c == U'\r' || c == 0x85 || c == 0x2028 || c == 0x2029; }

std::string withPlainLineBreaks(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t from = i;
    const char32_t c = StringUtil::decodeNext(text, i);
    if (!isLineBreak(c)) {
      plain.append(text, from, i - from);
      continue;
    }
    plain += '\n';
    if (c == U'\r' && i < text.size() && text[i] == '\n') ++i;  // CR LF is one break
  }
  return plain;
}

bool canPerformEditAction(const std::string& action, const EditState& state) {
  if (action == "copy:") return state.hasSelection && !state.secure;
  if (action == "cut:") return state.hasSelection && state.editable && !state.secure;
  if (action == "paste:") return state.editing && state.editable && Pasteboard::general().string().has_value();
  if (action == "selectAll:") return state.hasText && !state.hasSelection;
  return false;
}

void performEditAction(const std::string& action, const std::string& text, TextRange selected,
                       const std::function<void(TextRange, const std::string&)>& replace,
                       const std::function<void(TextRange)>& select) {
  if (action == "copy:" || action == "cut:") {
    Pasteboard::general().setString(StringUtil::utf16Substring(text, selected.location, selected.length));
    if (action == "cut:") replace(selected, std::string());
  } else if (action == "paste:") {
    if (auto pasted = Pasteboard::general().string()) replace(selected, *pasted);
  } else if (action == "selectAll:") {
    select(TextRange{0, StringUtil::utf16Length(text)});
  }
}

}  // namespace zu::ui
