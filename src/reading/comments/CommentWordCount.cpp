#include "reading/comments/CommentWordCount.h"

#include "platform/runtime/StringUtil.h"

namespace zu {

int CommentWordCount::remaining(std::string_view text, int max) {
  return max - static_cast<int>(StringUtil::utf16Length(text));
}

std::string CommentWordCount::cut(std::string_view text, int max) {
  if (remaining(text, max) >= 0) return std::string(text);
  return StringUtil::utf16Prefix(text, static_cast<size_t>(max < 0 ? 0 : max));
}

}  // namespace zu
