// XmlHolders: RAII ownership of libxml2 objects. Each holder is a std::unique_ptr with a deleter
// calling the matching libxml2 free function; they are plain type aliases (no behaviour beyond
// freeing), so they share this one header instead of one class per file.
//
//   XmlDocPtr doc(xmlReadMemory(...));            // xmlFreeDoc
//   XmlXPathContextPtr ctx(xmlXPathNewContext(doc.get()));
//   XmlCharPtr text(xmlNodeGetContent(node));     // xmlFree; xmlText(text) -> std::string
//
// A holder belongs to one thread at a time, like the libxml2 object it owns. Nodes that are
// still linked into a document are owned by the document: only wrap unlinked nodes in XmlNodePtr.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xmlwriter.h>
#include <libxml/xpath.h>

#include <memory>
#include <string>

namespace zu {

struct XmlDocDeleter {
  void operator()(xmlDoc* p) const { xmlFreeDoc(p); }
};
struct XmlNodeDeleter {
  void operator()(xmlNode* p) const { xmlFreeNode(p); }
};
struct XmlXPathContextDeleter {
  void operator()(xmlXPathContext* p) const { xmlXPathFreeContext(p); }
};
struct XmlXPathObjectDeleter {
  void operator()(xmlXPathObject* p) const { xmlXPathFreeObject(p); }
};
struct XmlBufferDeleter {
  void operator()(xmlBuffer* p) const { xmlBufferFree(p); }
};
struct XmlOutputBufferDeleter {
  void operator()(xmlOutputBuffer* p) const { xmlOutputBufferClose(p); }
};
struct XmlTextWriterDeleter {
  void operator()(xmlTextWriter* p) const { xmlFreeTextWriter(p); }
};
struct XmlParserCtxtDeleter {
  void operator()(xmlParserCtxt* p) const { xmlFreeParserCtxt(p); }
};
struct XmlCharDeleter {
  void operator()(xmlChar* p) const { xmlFree(p); }
};

using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocDeleter>;
// Only for nodes not linked into a document (a linked node is freed with its document).
using XmlNodePtr = std::unique_ptr<xmlNode, XmlNodeDeleter>;
using XmlXPathContextPtr = std::unique_ptr<xmlXPathContext, XmlXPathContextDeleter>;
using XmlXPathObjectPtr = std::unique_ptr<xmlXPathObject, XmlXPathObjectDeleter>;
using XmlBufferPtr = std::unique_ptr<xmlBuffer, XmlBufferDeleter>;
// Closing flushes the output buffer; the text writer, when one wraps it, owns it instead.
using XmlOutputBufferPtr = std::unique_ptr<xmlOutputBuffer, XmlOutputBufferDeleter>;
using XmlTextWriterPtr = std::unique_ptr<xmlTextWriter, XmlTextWriterDeleter>;
using XmlParserCtxtPtr = std::unique_ptr<xmlParserCtxt, XmlParserCtxtDeleter>;
// A string allocated by libxml2 (xmlNodeGetContent, xmlGetProp, xmlNodeListGetString...).
using XmlCharPtr = std::unique_ptr<xmlChar, XmlCharDeleter>;

// The UTF-8 text of a libxml2 string; empty for null.
inline std::string xmlText(const xmlChar* s) {
  return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}
inline std::string xmlText(const XmlCharPtr& s) { return xmlText(s.get()); }

// A C string as libxml2's character type.
inline const xmlChar* xmlChars(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

}  // namespace zu
