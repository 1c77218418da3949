#include "store/BookTextSearch.h"

#include <libxml/HTMLparser.h>
#include <strings.h>

#include <algorithm>
#include <climits>

#include "model/book/BookSearchResult.h"
#include "platform/runtime/StringUtil.h"
#include "platform/xml/XmlHolders.h"

namespace zu {
namespace {

constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING;

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool hasText(const xmlNode* n) {
  return (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) && n->content;
}

}  // namespace

void BookTextSearch::searchHtml(const std::string& html, const std::string& keyWord,
                                const Text& chapterId, const Text& sectionId,
                                const TitleLookup& title, Results& results) {
  if (keyWord.empty() || html.size() > static_cast<size_t>(INT_MAX)) return;
  XmlDocPtr doc(htmlReadMemory(html.data(), static_cast<int>(html.size()), "html", nullptr,
                               kParseOptions));
  if (!doc) return;
  recursionSearchForNode(xmlDocGetRootElement(doc.get()), StringUtil::toUtf16(keyWord), keyWord,
                         chapterId, sectionId, std::nullopt, title, results);
}

void BookTextSearch::recursionSearchForNode(_xmlNode* node, const std::u16string& keyWord,
                                            const std::string& keyWordUtf8,
                                            const Text& chapterId, const Text& sectionId,
                                            Text originalSectionId, const TitleLookup& title,
                                            Results& results) {
  if (keyWord.empty()) return;
  for (xmlNode* n = node; n; n = n->next) {
    if (hasText(n)) {
      const std::u16string text =
          StringUtil::toUtf16(reinterpret_cast<const char*>(n->content));
      for (size_t p = text.find(keyWord); p != std::u16string::npos;
           p = text.find(keyWord, p + keyWord.size())) {
        auto hit = std::make_shared<BookSearchResult>();
        // Context never starts or ends inside a surrogate pair: that character is left out.
        size_t from = p > kContextLength ? p - kContextLength : 0;
        if (from > 0 && isLowSurrogate(text[from])) ++from;
        const size_t after = p + keyWord.size();
        size_t end = std::min(text.size(), after + kContextLength);
        if (end < text.size() && end > after && isHighSurrogate(text[end - 1])) --end;
        hit->setBeforeString(StringUtil::fromUtf16(text.substr(from, p - from)));
        hit->setAfterString(StringUtil::fromUtf16(text.substr(after, end - after)));
        hit->setKeyWord(keyWordUtf8);
        hit->setSectionId(sectionId);
        hit->setChapterId(chapterId);
        hit->setOrder(static_cast<int32_t>(results.size()));
        hit->setTitle(title ? title(originalSectionId) : std::string());
        results.push_back(std::move(hit));
      }
    }
    if (n->type == XML_ELEMENT_NODE && n->name &&
        strcasecmp(reinterpret_cast<const char*>(n->name), "h1") == 0) {
      for (xmlAttr* a = n->properties; a; a = a->next) {
        if (!a->name || std::string(reinterpret_cast<const char*>(a->name)) != "id") continue;
        XmlCharPtr value(xmlNodeListGetString(n->doc, a->children, 1));
        if (value) originalSectionId = xmlText(value);
      }
    }
    if (n->children) {
      recursionSearchForNode(n->children, keyWord, keyWordUtf8, chapterId, sectionId,
                             originalSectionId, title, results);
    }
  }
}

}  // namespace zu
