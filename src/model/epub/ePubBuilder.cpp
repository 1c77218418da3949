#include "model/epub/ePubBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "model/entry/Author.h"
#include "model/entry/Entry.h"
#include "model/book/VeskBook.h"
#include "model/atom/XmlDocumentWriter.h"
#include "model/book/BookCatalog.h"
#include "model/book/Chapter.h"
#include "model/book/Section.h"
#include "platform/runtime/FolderHandle.h"

namespace zu {

namespace {

using W = XmlDocumentWriter;

constexpr char kMimeType[] = "application/epub+zip";
constexpr char kContainer[] =
    "<?xml version='1.0' encoding='UTF-8'?><container "
    "xmlns='urn:oasis:names:tc:opendocument:xmlns:container' version='1.0'><rootfiles>"
    "<rootfile full-path='OPS/content.opf' media-type='application/oebps-package+xml'/>"
    "</rootfiles></container>";

constexpr char kOpfNamespace[] = "http://www.idpf.org/2007/opf";
constexpr char kDcNamespace[] = "http://purl.org/dc/elements/1.1/";
constexpr char kXsiNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";
constexpr char kDcTermsNamespace[] = "http://purl.org/dc/terms/";
constexpr char kNcxNamespace[] = "http://www.daisy.org/z3986/2005/ncx/";
constexpr char kXhtmlMediaType[] = "application/xhtml+xml";
constexpr char kNcxMediaType[] = "application/x-dtbncx+xml";
constexpr char kNcxFile[] = "toc.ncx";

bool writeWholeFile(const std::string& path, std::string_view data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  return !out.fail();
}

std::string chapterFile(const Chapter& chapter) {
  return "ch" + std::to_string(chapter.indexId()) + ".htm";
}
std::string sectionFile(const Section& section) {
  return std::to_string(section.indexId()) + ".htm";
}
std::string itemId(int n) { return "id" + std::to_string(n); }

// The chapters of the catalogue, and the sections of a chapter that have a page of their own
// (index at least 1), skipping empty slots.
std::vector<const Chapter*> chaptersOf(const BookCatalog& catalog) {
  std::vector<const Chapter*> out;
  if (catalog.chapters()) {
    for (const auto& chapter : *catalog.chapters()) {
      if (chapter) out.push_back(chapter.get());
    }
  }
  return out;
}
std::vector<const Section*> pagedSectionsOf(const Chapter& chapter) {
  std::vector<const Section*> out;
  if (chapter.sections()) {
    for (const auto& section : *chapter.sections()) {
      if (section && section->indexId() >= 1) out.push_back(section.get());
    }
  }
  return out;
}

void addManifestItem(xmlNode* manifest, const std::string& href, const char* mediaType,
                     const std::string& id) {
  xmlNode* item = W::addElement(manifest, "item");
  W::setAttribute(item, "href", href);
  W::setAttribute(item, "media-type", mediaType);
  W::setAttribute(item, "id", id);
}

// A navPoint with its label and content, numbered from the running play order.
xmlNode* addNavPoint(xmlNode* parent, int& playOrder, const std::optional<std::string>& title,
                     const std::string& src) {
  ++playOrder;
  xmlNode* point = W::addElement(parent, "navPoint");
  W::setAttribute(point, "playOrder", std::to_string(playOrder));
  W::setAttribute(point, "id", itemId(playOrder));
  xmlNode* label = W::addElement(point, "navLabel");
  if (title) {
    W::addText(label, "text", *title);
  } else {
    W::addElement(label, "text");
  }
  W::setAttribute(W::addElement(point, "content"), "src", src);
  return point;
}

}  // namespace

bool ePubBuilder::createMimeTypeFile(const std::string& directory) {
  if (writeWholeFile(directory + "mimetype", kMimeType)) return true;
  std::fprintf(stderr, "createMimeTypeFile failed\n");
  return false;
}

bool ePubBuilder::createMetaInfFile(const std::string& directory) {
  const std::string folder = directory + "META-INF/";
  FolderHandle::openReal(folder);  // each folder on the way real (below the home: no link followed)
  if (writeWholeFile(folder + "container.xml", kContainer)) return true;
  std::fprintf(stderr, "createMetaInfFile failed\n");
  return false;
}

Bytes ePubBuilder::allocOpfPackage(std::string_view uuid, const BookCatalog* catalog,
                                   const Entry* entry) {
  XmlDocumentWriter doc("package");
  xmlNode* root = doc.root();
  W::setAttribute(root, "xmlns", kOpfNamespace);
  W::setAttribute(root, "version", "2.0");
  W::setAttribute(root, "unique-identifier", "bookid");
  W::setAttribute(root, "xmlns:dc", kDcNamespace);
  W::setAttribute(root, "xmlns:opf", kOpfNamespace);
  W::setAttribute(root, "xmlns:xsi", kXsiNamespace);
  W::setAttribute(root, "xmlns:dcterms", kDcTermsNamespace);
  if (!catalog || !entry) return doc.serialise();

  xmlNode* metadata = W::addElement(root, "metadata");
  // The format requires a title: an untitled book is named by its id.
  std::string_view title = uuid;
  if (entry->title()) title = *entry->title();
  else if (entry->entryId()) title = *entry->entryId();
  W::addText(metadata, "dc:title", title);
  if (entry->author() && entry->author()->name()) {
    W::addText(metadata, "dc:creator", *entry->author()->name());
  }
  W::addText(metadata, "dc:language", "zh");
  if (entry->veskBook() && entry->veskBook()->publisher()) {
    W::addText(metadata, "dc:publisher", *entry->veskBook()->publisher());
  }
  const std::string identifier = "urn:uuid:" + std::string(uuid);
  W::setAttribute(W::addText(metadata, "dc:identifier", identifier), "id", "bookid");

  xmlNode* manifest = W::addElement(root, "manifest");
  int n = 0;
  for (const Chapter* chapter : chaptersOf(*catalog)) {
    addManifestItem(manifest, chapterFile(*chapter), kXhtmlMediaType, itemId(++n));
    for (const Section* section : pagedSectionsOf(*chapter)) {
      addManifestItem(manifest, sectionFile(*section), kXhtmlMediaType, itemId(++n));
    }
  }
  const std::string tocId = itemId(++n);
  addManifestItem(manifest, kNcxFile, kNcxMediaType, tocId);

  xmlNode* spine = W::addElement(root, "spine");
  W::setAttribute(spine, "toc", tocId);
  for (int i = 1; i < n; ++i) W::setAttribute(W::addElement(spine, "itemref"), "idref", itemId(i));
  return doc.serialise();
}

Bytes ePubBuilder::allocNcxPackage(std::string_view uuid, const BookCatalog* catalog,
                                   const Entry* entry) {
  XmlDocumentWriter doc("ncx");
  xmlNode* root = doc.root();
  W::setAttribute(root, "xmlns", kNcxNamespace);
  W::setAttribute(root, "version", "2005-1");
  W::setAttribute(root, "xml:lang", "zh");
  if (!catalog || !entry) return doc.serialise();

  xmlNode* head = W::addElement(root, "head");
  const std::string identifier = "urn:uuid:" + std::string(uuid);
  using Meta = std::pair<const char*, std::string_view>;
  for (const auto& [name, content] : {Meta{"dtb:uid", identifier}, Meta{"dtb:depth", "3"},
                                      Meta{"dtb:totalPageNumber", "0"},
                                      Meta{"dtb:maxPageNumber", "0"}}) {
    xmlNode* meta = W::addElement(head, "meta");
    W::setAttribute(meta, "name", name);
    W::setAttribute(meta, "content", content);
  }
  xmlNode* docTitle = W::addElement(root, "docTitle");
  if (entry->title()) {
    W::addText(docTitle, "text", *entry->title());
  } else {
    W::addElement(docTitle, "text");
  }

  xmlNode* navMap = W::addElement(root, "navMap");
  int playOrder = 0;
  for (const Chapter* chapter : chaptersOf(*catalog)) {
    xmlNode* point = addNavPoint(navMap, playOrder, chapter->title(), chapterFile(*chapter));
    for (const Section* section : pagedSectionsOf(*chapter)) {
      addNavPoint(point, playOrder, section->title(), sectionFile(*section));
    }
  }
  return doc.serialise();
}

}  // namespace zu
