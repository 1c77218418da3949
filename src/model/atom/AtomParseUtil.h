// AtomParseUtil: the low-level reading rules shared by every stuffer of the response parser —
// reading a document from untrusted bytes (whole, or one child of the root at a time),
// matching nodes by local name, taking the text of an element or attribute (its first child
// node only), and the conversions of the vocabulary (int, float, flag, time, href). Static
// functions only; safe on any thread (libxml2 is initialised once, process-wide, on first use).
//
// Also declares the free functions of address resolution, GetRelativePath,
// assembleHrefWithXMLBASE and assembleHrefWithBase, which the HTML resource parser uses as well.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/xml/XmlHolders.h"

namespace zu {

class AtomParseUtil {
 public:
  AtomParseUtil() = delete;

  // Largest response document accepted (larger input is refused before parsing).
  static constexpr size_t kMaxDocumentBytes = 64u * 1024u * 1024u;
  // libxml2 compares each attribute of an element with every earlier one, and looks prefixes
  // up through every namespace declaration in scope: both are quadratic on hostile input (a
  // megabyte of attributes on one element takes minutes). Documents beyond these bounds are
  // refused before parsing; the service's elements carry about ten attributes and a handful of
  // declarations are in scope at any point (each entry of a feed may repeat them).
  static constexpr int kMaxAttributesPerElement = 64;
  static constexpr int kMaxNamespaceDeclarations = 64;

  // Parses untrusted bytes into a tree: no base URL (relative addresses stay as written), no
  // network, no external DTD, no error output, blank text nodes kept. A document that declares
  // entities, attribute lists, elements or notations is refused (no entity expansion and no
  // defaulted attributes of any kind), so is one beyond the size and attribute bounds above; nesting is capped by libxml2's default depth limit (256). Null
  // when the bytes are not a well-formed document or are refused.
  static XmlDocPtr readDocument(const char* data, size_t size);
  static XmlDocPtr readDocument(std::string_view data) {
    return readDocument(data.data(), data.size());
  }

  // Reads untrusted bytes as readDocument does (same options, bounds and refusals) but as a
  // stream, for documents whose root holds a long list: each child element of the root is
  // handed to `onChild` with its whole subtree, in document order, and freed once `onChild`
  // returns, so only one child is held in memory at a time. The child's ancestors (the root
  // with its attributes, hence its xml:base and namespaces) are in place; its siblings are not.
  // Returns false when the bytes are refused, have no root element or are not a well-formed
  // document, also when the fault lies after children already handed over (the caller then
  // drops what it made of them).
  static bool readRootChildren(std::string_view data,
                               const std::function<void(const xmlNode*)>& onChild);

  // Parses an HTML page (untrusted) with libxml2's forgiving HTML parser: the bytes read as
  // UTF-8, no document address (so only a base element gives addresses a base), recovery on,
  // no error or warning output, no network. Null when no document comes out, the page is
  // larger than kMaxDocumentBytes, or some tag of it carries more than kMaxAttributesPerElement
  // attributes (the HTML parser compares each attribute of a tag with every earlier one).
  static XmlDocPtr readHtmlDocument(std::string_view html);

  // False when some element of the (untrusted) bytes carries more than kMaxAttributesPerElement
  // attributes or more than kMaxNamespaceDeclarations namespace declarations are in scope at
  // once (declared by an element and its open ancestors), and when the internal subset of the
  // document type declaration declares anything (its comments and processing instructions
  // pass). A scan of the markup that looks at each byte a bounded number of times (comments,
  // CDATA and processing instructions are skipped; quoted values are honoured); malformed input
  // may pass, and is then rejected by the parser. Faults at which libxml2 reads on as markup
  // from inside what the scan skips are refused: a character XML does not allow (it ends a
  // comment, CDATA section or processing instruction), a '<' in a quoted value or in the
  // document type declaration outside its comments and processing instructions, a processing
  // instruction whose target does not follow "<?" at once, and an XML declaration whose first
  // '>' does not end it.
  // The scan reads the bytes as XmlEncodingScan says: it fails a document that the parser
  // would decode from an encoding whose bytes are not ASCII markup (UTF-16, UTF-32, UTF-7,
  // ISO-2022, EBCDIC ...), and reads Shift_JIS, Big5, GBK and GB18030 by their characters, whose
  // second bytes may look like ASCII markup.
  static bool withinStructureLimits(const char* data, size_t size);

  // Element and attribute nodes match by local name only, byte for byte.
  static bool isElement(const xmlNode* node, const char* localName) {
    return node->type == XML_ELEMENT_NODE && std::strcmp(name(node), localName) == 0;
  }
  static bool isAttr(const xmlAttr* attr, const char* localName) {
    return std::strcmp(reinterpret_cast<const char*>(attr->name), localName) == 0;
  }
  static const char* name(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
  }

  // The text of an element or attribute: the content of its first child node when that is a
  // text or CDATA node with at least one byte; none otherwise (no child, an empty value, or an
  // element, comment or entity reference first). Text interrupted by a comment or an element is
  // cut there. For an element, text nodes of white space only are passed over when something
  // else follows them (an indented document puts a line break before a CDATA section or
  // markup); an element holding nothing but white space reads as that white space.
  static const char* firstText(const xmlNode* node);
  static const char* firstText(const xmlAttr* attr);

  // Conversions of a text. Integers take the leading decimal number (blanks, optional sign,
  // digits); unreadable text gives 0 and values beyond the 32-bit range are clamped to it.
  static int32_t toInt32(const char* text);
  // The leading decimal number (sign, digits, fraction, exponent); 0 when unreadable.
  static double toDouble(const char* text);
  // YES exactly when the text is "1".
  static bool toFlag(const char* text) { return text[0] == '1' && text[1] == '\0'; }
  // Milliseconds since 1970 of an RFC 3339 / RFC 822 text, white space around it ignored; 0
  // when unreadable.
  static int64_t toTime(const char* text);

  // True for an element of a namespace that is neither Atom's nor the service's (a namespace
  // name ending in "/vesk/1.0"); an element without a namespace is not foreign. Fields that
  // identify a record (an entry's or feed's id and title) are not taken from foreign elements
  // that happen to share the local name ("g:id", "dc:title").
  static bool isForeign(const xmlNode* node);

  // Setters for the common "field left untouched when there is no text" pattern.
  static void readText(const xmlNode* node, std::optional<std::string>& field) {
    if (const char* t = firstText(node)) field = t;
  }
  static void readText(const xmlAttr* attr, std::optional<std::string>& field) {
    if (const char* t = firstText(attr)) field = t;
  }
};

// The relative part of an address, or none when the address is absolute: text of 8 or more
// bytes beginning "http://" and text of 9 or more bytes beginning "https://" are absolute.
// Otherwise text shorter than 2 bytes is its own relative part, a leading "/" is dropped, and
// any other text is its own relative part.
std::optional<std::string_view> GetRelativePath(std::string_view address);

// The address resolved against the base of `node` (xml:base of the element or its nearest
// ancestor in an XML document, the base element's href in an HTML document): base, one "/" at
// the joint, and the relative part appended whole (no "." or ".." processing). Without a base,
// or for an absolute address, the address unchanged.
std::string assembleHrefWithXMLBASE(const xmlNode* node, std::string_view address);
// The same joint with a base already looked up (none: the address unchanged).
std::string assembleHrefWithBase(const std::optional<std::string>& base, std::string_view address);

}  // namespace zu
