#include "reading/support/ArticleLink.h"

#include <cstdlib>

#include "model/service/VeskCategory.h"
#include "reading/browser/ArticleHtmlBuilder.h"

namespace zu {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The number at the start of `text` (an optional sign, then digits), 0 when there is none.
long long leadingNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > 100000000000LL) break;  // far beyond any sequence number
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace

ArticleLink ArticleLink::parse(const std::string& url) {
  const auto parts = split(url, ';');
  const std::string& first = parts.front();
  ArticleLink link;
  if (first == kPictureCommand && parts.size() >= 2) {
    link.kind = Kind::kPicture;
  } else if (first == ArticleHtmlBuilder::kReadOriginalSentinel) {
    link.kind = Kind::kReadOriginal;
    return link;
  } else if (first == kVideoCommand && parts.size() >= 2) {
    link.kind = Kind::kVideo;
  } else if (first == kPageCommand && parts.size() >= 2) {
    link.kind = Kind::kPage;
  } else if (first == "about:blank" && parts.size() == 1) {
    link.kind = Kind::kBlank;
    return link;
  } else {
    return link;
  }
  link.argument = parts[1];
  return link;
}

size_t ArticleLink::pictureIndex(const std::string& argument, const std::vector<std::shared_ptr<VeskCategory>>& pictures) {
  const std::string prefix = kSequencePrefix;
  const long long wanted = leadingNumber(argument.compare(0, prefix.size(), prefix) == 0 ? argument.substr(prefix.size()) : argument);
  for (size_t i = 0; i < pictures.size(); ++i) {
    if (pictures[i] && pictures[i]->seq() == wanted) return i;
  }
  return pictures.size();
}

}  // namespace zu
