// XmlDocumentWriter: one XML document the client writes, built with libxml2's tree interface
// and serialised the same way for every writer (the request builder, the ePub package writer).
//
//   XmlDocumentWriter doc("feed");
//   XmlDocumentWriter::setAttribute(doc.root(), "xmlns", uri);
//   XmlDocumentWriter::addText(doc.root(), "title", title);
//   Bytes xml = doc.serialise();
//
// Every text and attribute value is escaped, and a character XML 1.0 cannot carry (control
// characters other than tab, line feed and carriage return, malformed UTF-8, U+FFFE/U+FFFF) is
// written as U+FFFD, so the document always reads back. Texts are passed as views that must end
// where their string does (views of a std::string or a literal, not cut out of a longer text):
// clean text goes to libxml2 without a copy. Allocation failures throw
// std::bad_alloc. The tree belongs to the writer and is freed with it; one thread at a time.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "platform/runtime/Value.h"
#include "platform/xml/XmlHolders.h"

namespace zu {

class XmlDocumentWriter {
 public:
  // A document (version "1.0") whose root is a new element `rootName`.
  explicit XmlDocumentWriter(const char* rootName);
  // A document that takes over a detached root element.
  explicit XmlDocumentWriter(XmlNodePtr root);
  XmlDocumentWriter(const XmlDocumentWriter&) = delete;
  XmlDocumentWriter& operator=(const XmlDocumentWriter&) = delete;
  XmlDocumentWriter(XmlDocumentWriter&&) = default;
  XmlDocumentWriter& operator=(XmlDocumentWriter&&) = default;

  xmlNode* root() const { return root_; }

  // `<?xml version="1.0" encoding="utf-8"?>`, a line feed, the root element unindented, a
  // line feed.
  Bytes serialise() const;
  // The root element alone, indented two spaces per level, no final line feed.
  std::string serialiseRootIndented() const;

  // A new element not linked anywhere (the caller links it or frees it).
  static xmlNode* newElement(const char* name);
  // A child element without content: `<name/>`.
  static xmlNode* addElement(xmlNode* parent, const char* name);
  // A child element holding the text escaped in full; "" gives `<name></name>`.
  static xmlNode* addText(xmlNode* parent, const char* name, std::string_view text);
  // An attribute with the value escaped.
  static void setAttribute(xmlNode* node, const char* name, std::string_view value);

 private:
  XmlDocPtr doc_;
  xmlNode* root_ = nullptr;
};

}  // namespace zu
