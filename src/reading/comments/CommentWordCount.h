// CommentWordCount: the length limit a comment is written against — 500 UTF-16 units, as the
// service counts — the counter's words and number, and the cut of a longer text. Shared by the
// comments screen's write box and the comment sheet. Class operations only; any thread.
//
// Where we differ on purpose: the cut never splits a character beyond U+FFFF (an emoji whose two
// units straddle the limit is left out whole), so the posted text is always well-formed.
#pragma once

#include <string>
#include <string_view>

namespace zu {

class CommentWordCount {
 public:
  static constexpr int kMaxWriteNumber = 500;
  static constexpr const char* kRemainingText = "还可以输入";
  static constexpr const char* kOverText = "已超出";

  // The limit less the text's length in UTF-16 units: negative when the text is over.
  static int remaining(std::string_view text, int max = kMaxWriteNumber);
  // "还可以输入" while `remaining` ≥ 0, else "已超出"; and the number shown beside it.
  static const char* words(int remaining) { return remaining >= 0 ? kRemainingText : kOverText; }
  static int shownNumber(int remaining) { return remaining >= 0 ? remaining : -remaining; }
  // The first `max` units of the text, without half of a surrogate pair.
  static std::string cut(std::string_view text, int max = kMaxWriteNumber);
};

}  // namespace zu
