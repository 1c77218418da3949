// ArticlePlainText: the words of an article's HTML as plain text, for a message that cannot
// carry HTML (the mail handed to the desktop's mail program as a mailto). The HTML is read
// forgivingly by libxml2's HTML parser; what a reader does not see is left out (scripts, style
// sheets, the head); blocks (paragraphs, headings, list items, table rows…) are separated by a
// blank line and a <br> breaks the line; runs of blanks become one space. Two elements side by
// side with no text between them, each of its own class, are separate pieces (the page's style
// sheet sets them apart: an article's source and its time): a space comes between them, or a line
// break between two links; markup without a class inside a word stays joined.
// Control characters
// are dropped. At most the first `maxBytes` bytes of text are made (whole characters), and only
// the first kMaxInput bytes of HTML are read, however long the article.
//
// A pure function of its input; any thread.
#pragma once

#include <cstddef>
#include <string>

namespace zu {

class ArticlePlainText {
 public:
  static constexpr size_t kMaxInput = 1024 * 1024;

  ArticlePlainText() = delete;
  static std::string of(const std::string& html, size_t maxBytes = 64 * 1024);
};

}  // namespace zu
