#include "platform/ui/text/TextInput.h"

#include <algorithm>

#include "platform/device/Pasteboard.h"
#include "platform/intl/GraphemeClusters.h"
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
