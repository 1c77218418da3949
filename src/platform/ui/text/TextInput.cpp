#include "platform/ui/text/TextInput.h"

#include <algorithm>

#include "platform/runtime/StringUtil.h"

namespace zu::ui {

std::string replaceTextRange(const std::string& text, TextRange range, const std::string& replacement) {
  const size_t length = StringUtil::utf16Length(text);
  const size_t start = std::min(range.location, length);
  const size_t end = std::min(length, start + std::min(range.length, length - start));
  return StringUtil::utf16Prefix(text, start) + replacement + StringUtil::utf16SubstringFrom(text, end);
}

TextRange lastCharacterRange(const std::string& text) {
  const std::u16string units = StringUtil::toUtf16(text);
  const size_t n = units.size();
  if (n == 0) return TextRange{0, 0};
  const bool pair = n >= 2 && units[n - 1] >= 0xDC00 && units[n - 1] <= 0xDFFF && units[n - 2] >= 0xD800 &&
                    units[n - 2] <= 0xDBFF;
  return pair ? TextRange{n - 2, 2} : TextRange{n - 1, 1};
}

}  // namespace zu::ui
