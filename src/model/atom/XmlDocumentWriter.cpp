#include "model/atom/XmlDocumentWriter.h"

#include <libxml/parser.h>
#include <libxml/xmlsave.h>

#include <cstdint>
#include <new>

namespace zu {

namespace {

constexpr char kEncodingUtf8[] = "utf-8";
constexpr char kXmlVersion[] = "1.0";

// ---- Text that XML 1.0 can carry ----------------------------------------------------------

// Length of the well-formed UTF-8 sequence at s[i] that encodes a character XML 1.0 allows
// (tab, LF, CR, U+0020..U+D7FF, U+E000..U+FFFD, U+10000..U+10FFFF); 0 when there is none.
size_t xmlCharLength(std::string_view s, size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return (b0 >= 0x20 || b0 == '\t' || b0 == '\n' || b0 == '\r') ? 1 : 0;
  size_t len;
  uint32_t cp;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0Fu;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07u;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0u) != 0x80u) return 0;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  // Overlong forms, surrogates, U+FFFE/U+FFFF and values beyond U+10FFFF.
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
  return len;
}

bool isXmlSafe(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b >= 0x20 && b < 0x80) {
      ++i;
      continue;
    }
    const size_t n = xmlCharLength(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// The text with every byte that does not start an allowed character replaced by U+FFFD.
std::string toXmlSafe(std::string_view s) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(s.size() + 8);
  for (size_t i = 0; i < s.size();) {
    const size_t n = xmlCharLength(s, i);
    if (n == 0) {
      out += kReplacement;
      ++i;
    } else {
      out.append(s, i, n);
      i += n;
    }
  }
  return out;
}

// A text as libxml2 wants it: the caller's bytes when they are already safe, else a cleaned
// copy. Lives for the full expression that uses it.
class SafeText {
 public:
  explicit SafeText(std::string_view s) {
    if (isXmlSafe(s)) {
      // An std::string_view made from a std::string or a literal is NUL-terminated at size(),
      // and a safe text holds no NUL of its own.
      ptr_ = s.data();
    } else {
      copy_ = toXmlSafe(s);
      ptr_ = copy_.c_str();
    }
  }
  const xmlChar* get() const { return reinterpret_cast<const xmlChar*>(ptr_); }

 private:
  const char* ptr_ = nullptr;
  std::string copy_;
};

template <typename T>
T* checked(T* p) {
  if (!p) throw std::bad_alloc();
  return p;
}

int appendToBytes(void* context, const char* buffer, int len) {
  auto* out = static_cast<Bytes*>(context);
  out->insert(out->end(), reinterpret_cast<const uint8_t*>(buffer),
              reinterpret_cast<const uint8_t*>(buffer) + len);
  return len;
}

// libxml2 must be initialised once per process before threads use it; a thread-safe static
// does it on the first tree built by any thread.
void ensureXmlInitialised() {
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
}

xmlDoc* newDoc() {
  ensureXmlInitialised();
  return checked(xmlNewDoc(xmlChars(kXmlVersion)));
}

}  // namespace

XmlDocumentWriter::XmlDocumentWriter(const char* rootName) : doc_(newDoc()) {
  root_ = newElement(rootName);
  xmlDocSetRootElement(doc_.get(), root_);
}

XmlDocumentWriter::XmlDocumentWriter(XmlNodePtr root) : doc_(newDoc()) {
  root_ = root.release();
  xmlDocSetRootElement(doc_.get(), root_);
}

Bytes XmlDocumentWriter::serialise() const {
  Bytes out;
  out.reserve(1024);
  xmlSaveCtxt* ctxt = checked(xmlSaveToIO(appendToBytes, nullptr, &out, kEncodingUtf8, 0));
  const long rc = xmlSaveDoc(ctxt, doc_.get());
  const int closeRc = xmlSaveClose(ctxt);
  if (rc < 0 || closeRc < 0) throw std::bad_alloc();
  return out;
}

std::string XmlDocumentWriter::serialiseRootIndented() const {
  XmlBufferPtr buf(checked(xmlBufferCreate()));
  if (xmlNodeDump(buf.get(), doc_.get(), root_, 0, 1) < 0) throw std::bad_alloc();
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(buf.get())),
                     static_cast<size_t>(xmlBufferLength(buf.get())));
}

xmlNode* XmlDocumentWriter::newElement(const char* name) {
  ensureXmlInitialised();
  return checked(xmlNewNode(nullptr, xmlChars(name)));
}

xmlNode* XmlDocumentWriter::addElement(xmlNode* parent, const char* name) {
  return checked(xmlNewTextChild(parent, nullptr, xmlChars(name), nullptr));
}

xmlNode* XmlDocumentWriter::addText(xmlNode* parent, const char* name, std::string_view text) {
  return checked(xmlNewTextChild(parent, nullptr, xmlChars(name), SafeText(text).get()));
}

void XmlDocumentWriter::setAttribute(xmlNode* node, const char* name, std::string_view value) {
  checked(xmlNewProp(node, xmlChars(name), SafeText(value).get()));
}

}  // namespace zu
