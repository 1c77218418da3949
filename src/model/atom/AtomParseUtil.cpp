#include "model/atom/AtomParseUtil.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <mutex>

#include "model/InternetDateTime.h"

namespace zu {

namespace {

void initLibxmlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

// SAX hooks that stop the parse at the first entity declaration: the service never declares
// entities, and refusing them rules out every form of entity expansion attack.
void refuseEntityDecl(void* ctx, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
  xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
}
void refuseUnparsedEntityDecl(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*,
                              const xmlChar*) {
  xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool AtomParseUtil::withinStructureLimits(const char* data, size_t size) {
  const std::string_view doc(data, size);
  auto skipPast = [&](size_t from, std::string_view end) {
    const size_t at = doc.find(end, from);
    return at == std::string_view::npos ? doc.size() : at + end.size();
  };
  int namespaces = 0;
  size_t i = 0;
  while (i < doc.size()) {
    const size_t lt = doc.find('<', i);
    if (lt == std::string_view::npos) break;
    const std::string_view rest = doc.substr(lt);
    if (rest.substr(0, 4) == "<!--") {
      i = skipPast(lt + 4, "-->");
    } else if (rest.substr(0, 9) == "<![CDATA[") {
      i = skipPast(lt + 9, "]]>");
    } else if (rest.substr(0, 2) == "<?") {
      i = skipPast(lt + 2, "?>");
    } else if (rest.substr(0, 2) == "<!") {
      // Document type declaration: up to the '>' outside quotes and the internal subset.
      size_t j = lt + 2;
      int depth = 0;
      char quote = 0;
      for (; j < doc.size(); ++j) {
        const char c = doc[j];
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '[') {
          ++depth;
        } else if (c == ']') {
          --depth;
        } else if (c == '<' && doc.substr(j, 4) == "<!--") {
          j = skipPast(j + 4, "-->") - 1;
        } else if (c == '>' && depth <= 0) {
          break;
        }
      }
      i = j + 1;
    } else {
      // A start or end tag: every '=' outside quotes is one attribute.
      int attributes = 0;
      char quote = 0;
      size_t j = lt + 1;
      for (; j < doc.size(); ++j) {
        const char c = doc[j];
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '>') {
          break;
        } else if (c == '=') {
          if (++attributes > kMaxAttributesPerElement) return false;
          size_t end = j;
          while (end > lt && isBlank(doc[end - 1])) --end;
          size_t start = end;
          while (start > lt + 1 && !isBlank(doc[start - 1]) && doc[start - 1] != '"' &&
                 doc[start - 1] != '\'') {
            --start;
          }
          const std::string_view name = doc.substr(start, end - start);
          if (name == "xmlns" || name.substr(0, 6) == "xmlns:") {
            if (++namespaces > kMaxNamespaceDeclarations) return false;
          }
        }
      }
      i = j + 1;
    }
  }
  return true;
}

XmlDocPtr AtomParseUtil::readDocument(const char* data, size_t size) {
  if (data == nullptr || size == 0 || size > kMaxDocumentBytes) return nullptr;
  if (!withinStructureLimits(data, size)) return nullptr;
  initLibxmlOnce();
  XmlParserCtxtPtr ctxt(xmlNewParserCtxt());
  if (!ctxt || !ctxt->sax) return nullptr;
  ctxt->sax->entityDecl = refuseEntityDecl;
  ctxt->sax->unparsedEntityDecl = refuseUnparsedEntityDecl;
  // No XML_PARSE_NOENT (entities are never substituted), no DTD loading, no network.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), data, static_cast<int>(size), nullptr, nullptr,
                                  options));
  // Namespace errors (an undeclared prefix) are not fatal: such a name keeps its prefix and
  // simply matches nothing. A stopped parse (a refused declaration) is.
  if (!doc || !ctxt->wellFormed || ctxt->errNo == XML_ERR_USER_STOP) return nullptr;
  if (xmlDocGetRootElement(doc.get()) == nullptr) return nullptr;
  return doc;
}

const char* AtomParseUtil::firstText(const xmlNode* node) {
  const xmlNode* child = node->children;
  if (child == nullptr) return nullptr;
  if (child->type != XML_TEXT_NODE && child->type != XML_CDATA_SECTION_NODE) return nullptr;
  // An empty value (attr="") carries no text, like an element without children.
  if (child->content == nullptr || child->content[0] == '\0') return nullptr;
  return reinterpret_cast<const char*>(child->content);
}

const char* AtomParseUtil::firstText(const xmlAttr* attr) {
  const xmlNode* child = attr->children;
  if (child == nullptr) return nullptr;
  if (child->type != XML_TEXT_NODE && child->type != XML_CDATA_SECTION_NODE) return nullptr;
  // An empty value (attr="") carries no text, like an element without children.
  if (child->content == nullptr || child->content[0] == '\0') return nullptr;
  return reinterpret_cast<const char*>(child->content);
}

int32_t AtomParseUtil::toInt32(const char* text) {
  const char* p = text;
  while (isBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  // Accumulate in 64 bits and stop growing once past the 32-bit range: clamping, not overflow.
  int64_t value = 0;
  for (; isDigit(*p); ++p) {
    if (value <= int64_t{INT32_MAX} + 1) value = value * 10 + (*p - '0');
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

double AtomParseUtil::toDouble(const char* text) {
  const char* p = text;
  while (isBlank(*p)) ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  // std::from_chars takes no leading '+': skip it, keep '-'.
  const char* numberStart = (*start == '+') ? start + 1 : start;
  const char* digitsStart = p;
  while (isDigit(*p)) ++p;
  bool anyDigit = p != digitsStart;
  if (*p == '.') {
    const char* fraction = ++p;
    while (isDigit(*p)) ++p;
    anyDigit = anyDigit || p != fraction;
  }
  if (!anyDigit) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (isDigit(*q)) {
      while (isDigit(*q)) ++q;
      p = q;
    }
  }
  double value = 0.0;
  auto [end, ec] = std::from_chars(numberStart, p, value, std::chars_format::general);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Huge magnitudes saturate; tiny ones go to zero.
    bool tiny = false;
    for (const char* e = p - 1; e > numberStart; --e) {
      if (*e == 'e' || *e == 'E') {
        tiny = e[1] == '-';
        break;
      }
    }
    if (tiny) return 0.0;
    return *numberStart == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  if (ec != std::errc()) return 0.0;
  return value;
}

int64_t AtomParseUtil::toTime(const char* text) {
  return InternetDateTime::RFC3339StringToLongLong(std::string_view(text));
}

std::optional<std::string_view> GetRelativePath(std::string_view address) {
  if (address.size() >= 8 && address.substr(0, 7) == "http://") return std::nullopt;
  if (address.size() >= 9 && address.substr(0, 8) == "https://") return std::nullopt;
  if (address.size() < 2) return address;
  if (address.front() == '/') return address.substr(1);
  return address;
}

std::string assembleHrefWithXMLBASE(const xmlNode* node, std::string_view address) {
  if (node == nullptr) return std::string(address);
  XmlCharPtr base(xmlNodeGetBase(node->doc, const_cast<xmlNode*>(node)));
  if (!base) return std::string(address);
  auto relative = GetRelativePath(address);
  if (!relative) return std::string(address);
  std::string result = xmlText(base);
  if (result.empty() || result.back() != '/') result += '/';
  result.append(relative->data(), relative->size());
  return result;
}

}  // namespace zu
