#include "store/BookSectionCombiner.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <strings.h>

#include <climits>
#include <filesystem>
#include <system_error>

#include "platform/device/SystemEnvironment.h"
#include "platform/xml/XmlHolders.h"

namespace zu {
namespace {

// libxml2 HTML parser options: recover, no errors, no warnings (97), plus drop blank text
// nodes (353) for the first file, whose tree is kept.
constexpr int kLaterFileOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING;
constexpr int kFirstFileOptions = kLaterFileOptions | HTML_PARSE_NOBLANKS;

const char* nameOf(const xmlNode* n) { return reinterpret_cast<const char*>(n->name); }

bool isElementNamed(const xmlNode* n, const char* name) {
  return n && n->type == XML_ELEMENT_NODE && n->name && strcasecmp(nameOf(n), name) == 0;
}

// The first text element on the path of first children below `from` (a text node passes to
// its next sibling), or null.
xmlNode* firstTextElement(xmlNode* from) {
  xmlNode* n = from;
  while (n) {
    xmlNode* c = n->children;
    if (c && c->type == XML_TEXT_NODE) c = c->next;
    if (!c) return nullptr;
    if (c->type == XML_ELEMENT_NODE && BookSectionCombiner::isTextNode(nameOf(c))) return c;
    n = c;
  }
  return nullptr;
}

xmlNode* bodyOf(xmlDoc* doc) {
  xmlNode* root = xmlDocGetRootElement(doc);
  for (xmlNode* c = root ? root->children : nullptr; c; c = c->next) {
    if (isElementNamed(c, "body")) return c;
  }
  return nullptr;
}

xmlNode* newElement(xmlDoc* doc, const char* name) {
  return xmlNewDocNode(doc, nullptr, xmlChars(name), nullptr);
}

void removeIfDiv(xmlNode* n) {
  if (isElementNamed(n, "div")) {
    xmlUnlinkNode(n);
    xmlFreeNode(n);
  }
}

xmlNode* separator(xmlDoc* doc, bool modern) {
  xmlNode* p = newElement(doc, "p");
  if (modern) {
    xmlNewProp(p, xmlChars("style"), xmlChars("margin-top:0px;margin-bottom:1500px"));
  } else {
    xmlNewProp(p, xmlChars("name"), xmlChars("para_blanks"));
  }
  return p;
}

xmlNode* endMarker(xmlDoc* doc) {
  xmlNode* p = newElement(doc, "p");
  xmlNewProp(p, xmlChars("id"), xmlChars("J_OC"));
  for (int i = 0; i < BookSectionCombiner::kEndMarkerBreaks; ++i) {
    xmlAddChild(p, newElement(doc, "br"));
  }
  return p;
}

void setId(xmlNode* n, const std::string& id) {
  xmlSetProp(n, xmlChars("id"), xmlChars(id.c_str()));
}

bool writeDocument(xmlDoc* doc, const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return htmlSaveFileEnc(path.c_str(), doc, "utf-8") >= 0;
}

}  // namespace

bool BookSectionCombiner::isTextNode(const char* name) {
  if (!name) return false;
  static constexpr const char* kNames[] = {"h1", "h2", "h3", "h4", "h5", "h6", "p"};
  for (const char* n : kNames) {
    if (strcasecmp(name, n) == 0) return true;
  }
  return false;
}

bool BookSectionCombiner::combine(const std::vector<std::pair<std::string, std::string>>& sections,
                                  const std::string& outputPath, const std::string& scriptHost) {
  const bool modern = SystemEnvironment::isSystemVersionAtLeast5();
  XmlDocPtr combined;
  xmlNode* holder = nullptr;
  for (const auto& [originalId, path] : sections) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) continue;
    if (!combined) {
      XmlDocPtr doc(htmlReadFile(path.c_str(), "utf-8", kFirstFileOptions));
      if (!doc) continue;
      xmlNode* root = xmlDocGetRootElement(doc.get());
      for (xmlNode* c = root ? root->children : nullptr; c; c = c->next) {
        if (isElementNamed(c, "head")) {
          if (!modern) {
            xmlNode* script = newElement(doc.get(), "script");
            std::string src = scriptHost + kBlankScriptPath;
            xmlNewProp(script, xmlChars("src"), xmlChars(src.c_str()));
            xmlAddChild(c, script);
          }
        } else if (isElementNamed(c, "body")) {
          holder = c;
          if (xmlNode* first = firstTextElement(c)) {
            setId(first, originalId);
            holder = first->parent;
          }
        }
      }
      combined = std::move(doc);
      continue;
    }
    XmlDocPtr doc(htmlReadFile(path.c_str(), "utf-8", kLaterFileOptions));
    if (!doc || !holder) continue;
    xmlNode* first = firstTextElement(bodyOf(doc.get()));
    if (!first) continue;
    setId(first, originalId);
    if (holder->last) {
      // A trailing div (such as a page footer) of the content so far is dropped before the
      // next section is appended.
      if (holder->last->prev) removeIfDiv(holder->last->prev);
      removeIfDiv(holder->last);
    }
    xmlAddChild(holder, separator(combined.get(), modern));
    for (xmlNode* n = first; n; n = n->next) {
      if (xmlNode* copy = xmlDocCopyNode(n, combined.get(), 1)) xmlAddChild(holder, copy);
    }
  }
  if (!combined) return false;
  if (holder) {
    // A div that ends the body (or stands just before its last child) stays last, after the
    // end marker. When both are found only the second is put back; the first is freed.
    XmlNodePtr trailing;
    if (isElementNamed(holder->last, "div")) {
      xmlNode* div = holder->last;
      xmlUnlinkNode(div);
      trailing.reset(div);
    }
    if (holder->last && isElementNamed(holder->last->prev, "div")) {
      xmlNode* div = holder->last->prev;
      xmlUnlinkNode(div);
      trailing.reset(div);
    }
    xmlAddChild(holder, endMarker(combined.get()));
    if (trailing) xmlAddChild(holder, trailing.release());
  }
  return writeDocument(combined.get(), outputPath);
}

bool BookSectionCombiner::recursionDeleteSpecialNode(_xmlNode* node, const std::string& nodeName,
                                                     const std::string& nodeId) {
  for (xmlNode* n = node; n; n = n->prev) {
    if (n->type == XML_ELEMENT_NODE && n->name && nodeName == nameOf(n)) {
      for (xmlAttr* a = n->properties; a; a = a->next) {
        if (!a->name || strcasecmp(reinterpret_cast<const char*>(a->name), "id") != 0) continue;
        XmlCharPtr value(xmlNodeListGetString(n->doc, a->children, 1));
        if (value && strcasecmp(reinterpret_cast<const char*>(value.get()), nodeId.c_str()) == 0) {
          xmlUnlinkNode(n);
          xmlFreeNode(n);
          return true;
        }
      }
    }
    if (n->last && recursionDeleteSpecialNode(n->last, nodeName, nodeId)) return true;
  }
  return false;
}

bool BookSectionCombiner::saveHtml(const std::string& html, const std::string& path) {
  if (html.size() > static_cast<size_t>(INT_MAX)) return false;
  XmlDocPtr doc(htmlReadMemory(html.data(), static_cast<int>(html.size()), "html", "utf-8",
                               kLaterFileOptions));
  if (!doc) return false;
  return writeDocument(doc.get(), path);
}

}  // namespace zu
