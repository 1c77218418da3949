#include "model/atom/AtomParseUtil.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "model/atom/XmlEncodingScan.h"
#include "model/atom/Vocabulary.h"
#include "model/entry/InternetDateTime.h"

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

bool isHtmlBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// The characters libxml2's HTML parser takes into tag and attribute names, and those it lets a
// name begin with.
bool isHtmlNameStart(char c) { return isAsciiLetter(c) || c == '_' || c == ':' || c == '.'; }
bool isHtmlNameChar(char c) { return isHtmlNameStart(c) || isDigit(c) || c == '-'; }

// Whether no tag of the HTML page carries more than `limit` attributes as libxml2's HTML parser
// reads them: a name (cut into pieces of 100 characters, each an attribute of its own),
// optionally "=" and a value quoted with '"' or '\'' or running to a blank or '>'; anything
// else up to a blank is skipped; '>' or "/>" outside a value ends the tag.
//
// Where a tag begins depends on the parser's reading of comments, scripts, declarations and
// broken markup, which a scan cannot mirror safely. So every '<' followed by a name is taken
// as the start of a tag, also inside a comment, a script or another tag's value, and all those
// candidate tags are followed at once. Two candidates in the same reading state at the same
// byte go on identically, so only the larger count of each state is kept: one pass over the
// page. The count may exceed the parser's (a candidate it never reads), never fall short.
bool withinHtmlAttributeLimit(std::string_view page, int limit) {
  enum State { kBetween, kName, kAfterName, kBeforeValue, kDoubleQuoted, kSingleQuoted,
               kUnquoted, kSkipped, kStates };
  constexpr int kNone = -1;
  constexpr size_t kNamePiece = 100;  // the HTML parser's name buffer
  std::array<int, kStates> counts;
  counts.fill(kNone);
  std::array<int, kStates> next;
  bool reading = false;     // some candidate tag is being read
  bool quotedOnly = false;  // ... and that is one, inside a quoted value
  // Where the name being read began. A name is entered only after a byte that cannot belong
  // to a name, so every candidate reading a name reads the same one.
  size_t nameStart = 0;
  for (size_t i = 0; i < page.size(); ++i) {
    if (!reading) {
      // Between tags only the next '<' matters.
      i = page.find('<', i);
      if (i == std::string_view::npos) break;
    }
    if (quotedOnly) {
      // Inside one quoted value only its quote and the next '<' matter.
      i = page.find_first_of(counts[kDoubleQuoted] != kNone ? "\"<" : "'<", i);
      if (i == std::string_view::npos) break;
    }
    const char c = page[i];
    const bool closesTag = c == '>' || (c == '/' && i + 1 < page.size() && page[i + 1] == '>');
    next.fill(kNone);
    auto keep = [&](State s, int count) { next[s] = std::max(next[s], count); };
    for (int from = 0; from < kStates; ++from) {
      int count = counts[from];
      if (count == kNone) continue;
      // The byte is read in `s`, which may hand it on to a following state unread.
      State s = static_cast<State>(from);
      for (bool handled = false; !handled;) {
        handled = true;
        switch (s) {
          case kName:
            if (isHtmlNameChar(c) && (i - nameStart) % kNamePiece != 0) {
              keep(kName, count);
            } else if (isHtmlNameChar(c)) {
              // The name buffer is full: the parser starts a new attribute here, or skips to
              // the next blank when the rest cannot begin a name.
              if (isHtmlNameStart(c)) {
                keep(kName, count + 1);
              } else {
                keep(kSkipped, count);
              }
            } else {
              s = kAfterName;
              handled = false;
            }
            break;
          case kAfterName:
            if (isHtmlBlank(c)) {
              keep(kAfterName, count);
            } else if (c == '=') {
              keep(kBeforeValue, count);
            } else {
              s = kBetween;
              handled = false;
            }
            break;
          case kBetween:
            if (isHtmlBlank(c)) {
              keep(kBetween, count);
            } else if (closesTag) {
              // The tag ends.
            } else if (isHtmlNameStart(c)) {
              nameStart = i;
              keep(kName, count + 1);
            } else {
              keep(kSkipped, count);
            }
            break;
          case kBeforeValue:
            if (isHtmlBlank(c)) {
              keep(kBeforeValue, count);
            } else if (c == '"') {
              keep(kDoubleQuoted, count);
            } else if (c == '\'') {
              keep(kSingleQuoted, count);
            } else {
              s = kUnquoted;
              handled = false;
            }
            break;
          case kDoubleQuoted:
            keep(c == '"' ? kBetween : kDoubleQuoted, count);
            break;
          case kSingleQuoted:
            keep(c == '\'' ? kBetween : kSingleQuoted, count);
            break;
          case kUnquoted:
            if (isHtmlBlank(c)) {
              keep(kBetween, count);
            } else if (c != '>') {
              keep(kUnquoted, count);
            }
            break;
          case kSkipped:
            if (isHtmlBlank(c)) {
              keep(kBetween, count);
            } else if (!closesTag) {
              keep(kSkipped, count);
            }
            break;
          case kStates:
            break;
        }
      }
    }
    // A candidate tag starts after '<': its name is read like an attribute's and counted, so
    // the bound allows one more.
    if (c == '<' && i + 1 < page.size() && isHtmlNameStart(page[i + 1])) keep(kBetween, 0);
    int active = 0;
    for (int count : next) {
      if (count > limit + 1) return false;
      if (count != kNone) ++active;
    }
    reading = active > 0;
    quotedOnly = active == 1 && (next[kDoubleQuoted] != kNone || next[kSingleQuoted] != kNone);
    counts = next;
  }
  return true;
}

}  // namespace

bool AtomParseUtil::withinStructureLimits(const char* data, size_t size) {
  const std::string_view raw(data, size);
  const XmlEncodingScan::Kind kind = XmlEncodingScan::kindOf(raw);
  if (kind == XmlEncodingScan::kRefused) return false;
  // The scan skips comments, CDATA sections, processing instructions and quoted values whole.
  // libxml2, meeting a fault inside one, reports it but reads on from the fault as markup
  // (the document is refused in the end, after that work): so the faults that end such a
  // stretch early refuse the document here. A character XML does not allow is one.
  if (XmlEncodingScan::hasForbiddenCharacter(kind, raw)) return false;
  // In the encodings whose characters may hold bytes below 0x80, a copy in which only the
  // characters the parser reads as ASCII are ASCII.
  std::string masked;
  const std::string_view doc = XmlEncodingScan::scannable(kind, raw, &masked);
  auto skipPast = [&](size_t from, std::string_view end) {
    const size_t at = doc.find(end, from);
    return at == std::string_view::npos ? doc.size() : at + end.size();
  };
  // A processing instruction whose target does not begin right after "<?" ends there for the
  // parser. (A target may begin with other letters too; the service's never do.)
  auto targetFollows = [&](size_t lt) {
    const char c = lt + 2 < doc.size() ? doc[lt + 2] : '\0';
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
  };
  // A malformed XML declaration is read up to its first '>', whatever the scan would skip.
  {
    std::string_view start = raw;
    if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
    if (start.size() > 5 && start.substr(0, 5) == "<?xml" && isBlank(start[5])) {
      const size_t gt = start.find('>');
      if (gt == std::string_view::npos || start[gt - 1] != '?') return false;
    }
  }
  // Namespace declarations in scope: the open elements that declare some, innermost last, as
  // (nesting depth, declarations). A declaration leaves scope with its element, so siblings
  // that each declare the same prefix (entries of a long feed) do not add up.
  std::vector<std::pair<size_t, int>> declaring;
  int inScope = 0;
  size_t nesting = 0;
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
      if (!targetFollows(lt)) return false;
      i = skipPast(lt + 2, "?>");
    } else if (rest.substr(0, 2) == "<!") {
      // Document type declaration: up to the '>' outside quotes and the internal subset. The
      // subset may hold comments and processing instructions only: a declaration of any kind
      // (entity, attribute list, element, notation) refuses the document. Attribute defaults
      // alone would add their attributes and namespace declarations to every element, past
      // the bounds this scan keeps. Any other '<' (an element after a broken declaration,
      // which the parser reads on to) refuses it too.
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
        } else if (c == '<' && doc.substr(j, 2) == "<?") {
          // A processing instruction of the internal subset: a quote inside it is no literal.
          if (!targetFollows(j)) return false;
          j = skipPast(j + 2, "?>") - 1;
        } else if (c == '<') {
          return false;
        } else if (c == '>' && depth <= 0) {
          break;
        }
      }
      i = j + 1;
    } else {
      // A start or end tag: every '=' outside quotes is one attribute, named by the run of
      // characters (neither blank nor quote) before it, blanks between them allowed. The runs
      // are tracked while scanning forward, so each byte of the tag is looked at once.
      const bool endTag = rest.substr(0, 2) == "</";
      int attributes = 0;
      int declared = 0;
      char quote = 0;
      bool inRun = false;
      size_t runStart = lt + 1;
      // The run that a blank ended (empty after a quote): the name of an '=' after blanks.
      size_t lastStart = lt + 1;
      size_t lastEnd = lt + 1;
      size_t j = lt + 1;
      for (; j < doc.size(); ++j) {
        const char c = doc[j];
        if (quote) {
          if (c == quote) quote = 0;
          // The parser ends the value, and the tag, at a '<' and reads on from it.
          if (c == '<') return false;
        } else if (c == '"' || c == '\'') {
          quote = c;
          inRun = false;
          lastStart = lastEnd = j;
        } else if (c == '>') {
          break;
        } else if (isBlank(c)) {
          if (inRun) {
            lastStart = runStart;
            lastEnd = j;
            inRun = false;
          }
        } else {
          if (!inRun) {
            inRun = true;
            runStart = j;
          }
          if (c == '=') {
            if (++attributes > kMaxAttributesPerElement) return false;
            const std::string_view name = runStart < j ? doc.substr(runStart, j - runStart)
                                                       : doc.substr(lastStart, lastEnd - lastStart);
            if (name == "xmlns" || name.substr(0, 6) == "xmlns:") {
              if (inScope + ++declared > kMaxNamespaceDeclarations) return false;
            }
          }
        }
      }
      if (endTag) {
        if (!declaring.empty() && declaring.back().first == nesting) {
          inScope -= declaring.back().second;
          declaring.pop_back();
        }
        if (nesting > 0) --nesting;
      } else if (j < doc.size() && doc[j - 1] != '/') {
        // A start tag (not an empty-element tag): its declarations stay in scope until its end.
        ++nesting;
        if (declared > 0) {
          declaring.emplace_back(nesting, declared);
          inScope += declared;
        }
      }
      i = j + 1;
    }
  }
  return true;
}

namespace {

// No XML_PARSE_NOENT (entities are never substituted), no DTD loading, no network.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// The checks made before libxml2 sees the bytes.
bool admitted(const char* data, size_t size) {
  if (data == nullptr || size == 0 || size > AtomParseUtil::kMaxDocumentBytes) return false;
  return AtomParseUtil::withinStructureLimits(data, size);
}

// Whether the internal subset declares anything. The scan before parsing refuses such
// documents already; this checks what the parser itself read.
bool declaresAnything(const xmlDoc* doc) {
  const xmlDtd* dtd = doc ? doc->intSubset : nullptr;
  return dtd && (dtd->entities || dtd->pentities || dtd->attributes || dtd->elements ||
                 dtd->notations);
}

struct XmlTextReaderDeleter {
  void operator()(xmlTextReader* p) const { xmlFreeTextReader(p); }
};
using XmlTextReaderPtr = std::unique_ptr<xmlTextReader, XmlTextReaderDeleter>;

void ignoreReaderError(void*, xmlErrorPtr) {}

}  // namespace

bool AtomParseUtil::readRootChildren(std::string_view data,
                                     const std::function<void(const xmlNode*)>& onChild) {
  if (!admitted(data.data(), data.size())) return false;
  initLibxmlOnce();
  XmlTextReaderPtr reader(xmlReaderForMemory(data.data(), static_cast<int>(data.size()), nullptr,
                                             nullptr, kParseOptions));
  if (!reader) return false;
  xmlTextReaderSetStructuredErrorHandler(reader.get(), ignoreReaderError, nullptr);
  xmlTextReader* r = reader.get();
  // Up to the root element. A fatal error anywhere makes a read return -1.
  int ret;
  while ((ret = xmlTextReaderRead(r)) == 1 && xmlTextReaderNodeType(r) != XML_READER_TYPE_ELEMENT) {
  }
  if (ret != 1) return false;
  const xmlNode* root = xmlTextReaderCurrentNode(r);
  if (root == nullptr || declaresAnything(root->doc)) return false;
  if (!xmlTextReaderIsEmptyElement(r)) {
    ret = xmlTextReaderRead(r);
    while (ret == 1 && xmlTextReaderDepth(r) > 0) {
      if (xmlTextReaderDepth(r) == 1 && xmlTextReaderNodeType(r) == XML_READER_TYPE_ELEMENT) {
        // The child with its whole subtree; the reader frees it as it moves past.
        const xmlNode* child = xmlTextReaderExpand(r);
        if (child == nullptr) return false;
        onChild(child);
        ret = xmlTextReaderNext(r);
      } else {
        ret = xmlTextReaderRead(r);
      }
    }
  }
  // What follows the root must be well formed too.
  while (ret == 1) ret = xmlTextReaderRead(r);
  return ret == 0;
}

XmlDocPtr AtomParseUtil::readDocument(const char* data, size_t size) {
  if (!admitted(data, size)) return nullptr;
  initLibxmlOnce();
  XmlParserCtxtPtr ctxt(xmlNewParserCtxt());
  if (!ctxt || !ctxt->sax) return nullptr;
  ctxt->sax->entityDecl = refuseEntityDecl;
  ctxt->sax->unparsedEntityDecl = refuseUnparsedEntityDecl;
  XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), data, static_cast<int>(size), nullptr, nullptr,
                                  kParseOptions));
  // Namespace errors (an undeclared prefix) are not fatal: such a name keeps its prefix and
  // simply matches nothing. A stopped parse (a refused declaration) is.
  if (!doc || !ctxt->wellFormed || ctxt->errNo == XML_ERR_USER_STOP) return nullptr;
  if (xmlDocGetRootElement(doc.get()) == nullptr) return nullptr;
  return doc;
}

XmlDocPtr AtomParseUtil::readHtmlDocument(std::string_view html) {
  if (html.size() > kMaxDocumentBytes) return nullptr;
  if (!withinHtmlAttributeLimit(html, kMaxAttributesPerElement)) return nullptr;
  initLibxmlOnce();
  const int options =
      HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
  return XmlDocPtr(htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                  options));
}

namespace {

bool isWhiteSpaceOnly(const xmlNode* node) {
  if (node->type != XML_TEXT_NODE || node->content == nullptr) return false;
  for (const xmlChar* p = node->content; *p; ++p) {
    if (!isBlank(static_cast<char>(*p))) return false;
  }
  return true;
}

}  // namespace

const char* AtomParseUtil::firstText(const xmlNode* node) {
  const xmlNode* child = node->children;
  if (child == nullptr) return nullptr;
  // Indentation before the value is not the value.
  while (isWhiteSpaceOnly(child) && child->next != nullptr) child = child->next;
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
  std::string_view value(text);
  while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
  return InternetDateTime::RFC3339StringToLongLong(value);
}

bool AtomParseUtil::isForeign(const xmlNode* node) {
  if (node->ns == nullptr || node->ns->href == nullptr) return false;
  std::string_view uri(reinterpret_cast<const char*>(node->ns->href));
  constexpr std::string_view kServicePath = "/vesk/1.0";
  if (uri == vocab::kAtomNamespaceUri) return false;
  return !(uri.size() >= kServicePath.size() &&
           uri.substr(uri.size() - kServicePath.size()) == kServicePath);
}

std::optional<std::string_view> GetRelativePath(std::string_view address) {
  if (address.size() >= 8 && address.substr(0, 7) == "http://") return std::nullopt;
  if (address.size() >= 9 && address.substr(0, 8) == "https://") return std::nullopt;
  if (address.size() < 2) return address;
  if (address.front() == '/') return address.substr(1);
  return address;
}

std::string assembleHrefWithBase(const std::optional<std::string>& base,
                                 std::string_view address) {
  if (!base) return std::string(address);
  auto relative = GetRelativePath(address);
  if (!relative) return std::string(address);
  std::string result = *base;
  if (result.empty() || result.back() != '/') result += '/';
  result.append(relative->data(), relative->size());
  return result;
}

std::string assembleHrefWithXMLBASE(const xmlNode* node, std::string_view address) {
  if (node == nullptr) return std::string(address);
  XmlCharPtr base(xmlNodeGetBase(node->doc, const_cast<xmlNode*>(node)));
  if (!base) return std::string(address);
  return assembleHrefWithBase(xmlText(base), address);
}

}  // namespace zu
