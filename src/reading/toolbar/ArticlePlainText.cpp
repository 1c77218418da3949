#include "reading/toolbar/ArticlePlainText.h"

#include <libxml/HTMLparser.h>
#include <strings.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/runtime/StringUtil.h"
#include "platform/xml/XmlHolders.h"

namespace zu {

namespace {

constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;

bool named(const xmlNode* node, const char* const* names, size_t count) {
  const char* name = reinterpret_cast<const char*>(node->name);
  if (!name) return false;
  for (size_t i = 0; i < count; ++i) {
    if (strcasecmp(name, names[i]) == 0) return true;
  }
  return false;
}

// What a reader does not see.
bool hidden(const xmlNode* node) {
  static constexpr std::array<const char*, 9> kHidden{"script", "style", "head", "title", "noscript",
                                                      "template", "iframe", "object", "select"};
  return named(node, kHidden.data(), kHidden.size());
}

bool block(const xmlNode* node) {
  static constexpr std::array<const char*, 28> kBlocks{
      "p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "li", "ul", "ol", "dl", "dt", "dd",
      "table", "tr", "blockquote", "pre", "section", "article", "header", "footer", "figure",
      "figcaption", "hr", "address", "aside", "nav"};
  return named(node, kBlocks.data(), kBlocks.size());
}

// The text made so far, with the breaks and the blank still to come.
class Writer {
 public:
  explicit Writer(size_t limit) : limit_(limit) {}
  bool full() const { return full_; }
  void paragraph() {
    if (!out_.empty()) pendingBreaks_ = 2;
    pendingSpace_ = false;
  }
  void lineBreak() {
    if (!out_.empty()) pendingBreaks_ = std::max(pendingBreaks_, 1);
    pendingSpace_ = false;
  }
  // A blank before the next text, as a blank in the text would make.
  void space() {
    if (!out_.empty() && pendingBreaks_ == 0) pendingSpace_ = true;
  }
  void text(std::string_view raw) {
    // Broken bytes become U+FFFD here, before the bound is counted, and a broken lead byte
    // takes no following byte (a control character) with it as its continuation.
    const std::string text = StringUtil::sanitizeUtf8(raw);
    for (size_t i = 0; i < text.size() && !full_;) {
      const auto c = static_cast<unsigned char>(text[i]);
      // Blanks: ASCII white space, the no-break space, the ideographic space.
      size_t blank = 0;
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') blank = 1;
      if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0) blank = 2;
      if (c == 0xE3 && text.compare(i, 3, "\xE3\x80\x80") == 0) blank = 3;
      if (blank) {
        if (!out_.empty() && pendingBreaks_ == 0) pendingSpace_ = true;
        i += blank;
        continue;
      }
      if (c < 0x20 || c == 0x7f) {
        ++i;
        continue;
      }
      size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      if (i + n > text.size()) n = text.size() - i;
      put(text.substr(i, n));
      i += n;
    }
  }
  std::string take() { return std::move(out_); }

 private:
  void put(const std::string& character) {
    std::string lead;
    if (pendingBreaks_ > 0) {
      lead.assign(static_cast<size_t>(pendingBreaks_), '\n');
    } else if (pendingSpace_) {
      lead = " ";
    }
    if (out_.size() + lead.size() + character.size() > limit_) {
      full_ = true;
      return;
    }
    out_ += lead;
    out_ += character;
    pendingBreaks_ = 0;
    pendingSpace_ = false;
  }

  size_t limit_;
  std::string out_;
  int pendingBreaks_ = 0;
  bool pendingSpace_ = false;
  bool full_ = false;
};

bool namedAs(const xmlNode* node, const char* name) {
  return node->name && strcasecmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// The next sibling a reader sees something of: comments and hidden elements left out.
const xmlNode* nextShown(const xmlNode* node) {
  for (node = node->next; node; node = node->next) {
    if (node->type == XML_COMMENT_NODE || (node->type == XML_ELEMENT_NODE && hidden(node))) continue;
    return node;
  }
  return nullptr;
}

void walk(const xmlNode* node, Writer& out, int depth) {
  // libxml2 caps the tree's depth itself; this guards the recursion all the same.
  if (depth > 256) return;
  for (; node && !out.full(); node = node->next) {
    if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && node->content) {
      out.text(reinterpret_cast<const char*>(node->content));
    } else if (node->type == XML_ELEMENT_NODE && !hidden(node)) {
      if (namedAs(node, "br")) {
        out.lineBreak();
        continue;
      }
      const bool isBlock = block(node);
      if (isBlock) out.paragraph();
      walk(node->children, out, depth + 1);
      if (isBlock) {
        out.paragraph();
        continue;
      }
      // Two elements side by side with nothing between them are pieces a style sheet sets apart
      // on the page (a source and a time, each of its class; two links): apart in the text too,
      // links one a line. Markup within a word or a run of Chinese (<b>un</b><i>told</i>) names
      // no class of its own and stays joined.
      const xmlNode* next = nextShown(node);
      if (next && next->type == XML_ELEMENT_NODE && !block(next)) {
        if (namedAs(node, "a") && namedAs(next, "a")) {
          out.lineBreak();
        } else if (xmlHasProp(node, BAD_CAST "class") && xmlHasProp(next, BAD_CAST "class")) {
          out.space();
        }
      }
    }
  }
}

}  // namespace

std::string ArticlePlainText::of(const std::string& html, size_t maxBytes) {
  const size_t size = std::min(html.size(), kMaxInput);
  if (size == 0 || maxBytes == 0) return std::string();
  XmlDocPtr doc(htmlReadMemory(html.data(), static_cast<int>(size), nullptr, "UTF-8", kParseOptions));
  if (!doc) return std::string();
  Writer out(maxBytes);
  walk(xmlDocGetRootElement(doc.get()), out, 0);
  return out.take();
}

}  // namespace zu
