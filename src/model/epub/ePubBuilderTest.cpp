#include "model/epub/ePubBuilder.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/entry/Author.h"
#include "model/entry/Entry.h"
#include "model/book/VeskBook.h"
#include "model/book/BookCatalog.h"
#include "model/book/Chapter.h"
#include "model/book/Section.h"
#include "platform/xml/XmlHolders.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"
#include "testing/XmlWellFormedness.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

XmlDocPtr parse(const Bytes& bytes) {
  return XmlDocPtr(xmlReadMemory(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<int>(bytes.size()), nullptr, nullptr,
                                 XML_PARSE_NONET));
}

std::vector<xmlNode*> children(const xmlNode* node) {
  std::vector<xmlNode*> out;
  for (xmlNode* c = node->children; c; c = c->next) {
    if (c->type == XML_ELEMENT_NODE) out.push_back(c);
  }
  return out;
}

std::string name(const xmlNode* node) {
  std::string n = xmlText(node->name);
  if (node->ns && node->ns->prefix) n = xmlText(node->ns->prefix) + ":" + n;
  return n;
}
std::string attr(const xmlNode* node, const char* attribute) {
  return xmlText(XmlCharPtr(xmlGetProp(node, xmlChars(attribute))));
}
std::string text(const xmlNode* node) { return xmlText(XmlCharPtr(xmlNodeGetContent(node))); }

std::shared_ptr<Section> section(int32_t index, const char* title) {
  auto s = std::make_shared<Section>();
  s->setIndexId(index);
  s->setTitle(title);
  return s;
}

// Chapter 1 with sections 0 (no page of its own) and 2; chapter 2 with section 3.
std::shared_ptr<BookCatalog> sampleCatalog() {
  auto first = std::make_shared<Chapter>();
  first->setIndexId(1);
  first->setTitle("第一章");
  first->setSections(std::vector{section(0, "preface"), section(2, "1.1")});
  auto second = std::make_shared<Chapter>();
  second->setIndexId(2);
  second->setTitle("Two");
  second->setSections(std::vector{section(3, "A & <B>")});
  auto catalog = std::make_shared<BookCatalog>();
  catalog->setChapters(std::vector{first, second});
  return catalog;
}

std::shared_ptr<Entry> sampleEntry() {
  auto entry = std::make_shared<Entry>();
  entry->setTitle("书 & Book");
  auto author = std::make_shared<Author>();
  author->setName("Writer");
  entry->setAuthor(author);
  auto book = std::make_shared<VeskBook>();
  book->setPublisher("Press");
  entry->setVeskBook(book);
  return entry;
}

TEST(ePubBuilderTest, TheFourDocumentsOfASampleBookReadBack) {
  TempHome home;
  const std::string dir = (home.path() / "book").string() + "/";
  fs::create_directories(dir);
  ASSERT_TRUE(ePubBuilder::createMimeTypeFile(dir));
  ASSERT_TRUE(ePubBuilder::createMetaInfFile(dir));
  EXPECT_EQ(TestFiles::read(dir + "mimetype"), "application/epub+zip");
  const std::string container = TestFiles::read(dir + "META-INF/container.xml");
  XmlDocPtr containerDoc(xmlReadMemory(container.data(), static_cast<int>(container.size()),
                                       nullptr, nullptr, 0));
  ASSERT_TRUE(containerDoc);
  const xmlNode* rootfile = children(children(xmlDocGetRootElement(containerDoc.get()))[0])[0];
  EXPECT_EQ(attr(rootfile, "full-path"), "OPS/content.opf");
  EXPECT_EQ(attr(rootfile, "media-type"), "application/oebps-package+xml");

  const auto catalog = sampleCatalog();
  const auto entry = sampleEntry();
  XmlDocPtr opf = parse(ePubBuilder::allocOpfPackage("1234-abcd", catalog.get(), entry.get()));
  ASSERT_TRUE(opf);
  const xmlNode* package = xmlDocGetRootElement(opf.get());
  EXPECT_EQ(name(package), "package");
  ASSERT_TRUE(package->ns);
  EXPECT_EQ(xmlText(package->ns->href), "http://www.idpf.org/2007/opf");
  EXPECT_EQ(attr(package, "unique-identifier"), "bookid");
  const auto parts = children(package);
  ASSERT_EQ(parts.size(), 3u);
  Strings metadata;
  for (const xmlNode* m : children(parts[0])) metadata.push_back(name(m) + "=" + text(m));
  EXPECT_EQ(metadata, (Strings{"dc:title=书 & Book", "dc:creator=Writer", "dc:language=zh",
                               "dc:publisher=Press", "dc:identifier=urn:uuid:1234-abcd"}));
  EXPECT_EQ(attr(children(parts[0]).back(), "id"), "bookid");
  Strings items;
  for (const xmlNode* item : children(parts[1])) {
    items.push_back(attr(item, "id") + " " + attr(item, "href") + " " + attr(item, "media-type"));
  }
  EXPECT_EQ(items, (Strings{"id1 ch1.htm application/xhtml+xml", "id2 2.htm application/xhtml+xml",
                            "id3 ch2.htm application/xhtml+xml", "id4 3.htm application/xhtml+xml",
                            "id5 toc.ncx application/x-dtbncx+xml"}));
  EXPECT_EQ(name(parts[2]), "spine");
  EXPECT_EQ(attr(parts[2], "toc"), "id5");
  Strings spine;
  for (const xmlNode* ref : children(parts[2])) spine.push_back(attr(ref, "idref"));
  EXPECT_EQ(spine, (Strings{"id1", "id2", "id3", "id4"}));

  XmlDocPtr ncx = parse(ePubBuilder::allocNcxPackage("1234-abcd", catalog.get(), entry.get()));
  ASSERT_TRUE(ncx);
  const xmlNode* root = xmlDocGetRootElement(ncx.get());
  EXPECT_EQ(name(root), "ncx");
  EXPECT_EQ(xmlText(root->ns->href), "http://www.daisy.org/z3986/2005/ncx/");
  EXPECT_EQ(xmlText(XmlCharPtr(xmlNodeGetLang(root))), "zh");
  const auto sections = children(root);
  ASSERT_EQ(sections.size(), 3u);
  Strings metas;
  for (const xmlNode* m : children(sections[0])) {
    metas.push_back(attr(m, "name") + "=" + attr(m, "content"));
  }
  EXPECT_EQ(metas, (Strings{"dtb:uid=urn:uuid:1234-abcd", "dtb:depth=3", "dtb:totalPageNumber=0",
                            "dtb:maxPageNumber=0"}));
  EXPECT_EQ(text(sections[1]), "书 & Book");
  // Depth first: chapter, then its sections nested in it, numbered on from one counter.
  Strings nav;
  for (const xmlNode* point : children(sections[2])) {
    for (const xmlNode* part : children(point)) {
      if (name(part) == "navLabel") nav.push_back(attr(point, "playOrder") + " " + text(part));
      if (name(part) == "content") nav.back() += " " + attr(part, "src");
      if (name(part) == "navPoint") {
        nav.push_back("  " + attr(part, "id") + " " + text(children(part)[0]) + " " +
                      attr(children(part)[1], "src"));
      }
    }
  }
  EXPECT_EQ(nav, (Strings{"1 第一章 ch1.htm", "  id2 1.1 2.htm", "3 Two ch2.htm",
                          "  id4 A & <B> 3.htm"}));
}

TEST(ePubBuilderTest, MissingPartsLeaveTheirElementsOut) {
  const auto catalog = sampleCatalog();
  const auto full = sampleEntry();
  for (const auto& [c, e] : {std::pair{catalog.get(), static_cast<Entry*>(nullptr)},
                             std::pair{static_cast<BookCatalog*>(nullptr), full.get()}}) {
    XmlDocPtr opf = parse(ePubBuilder::allocOpfPackage("u", c, e));
    XmlDocPtr ncx = parse(ePubBuilder::allocNcxPackage("u", c, e));
    ASSERT_TRUE(opf && ncx);
    EXPECT_TRUE(children(xmlDocGetRootElement(opf.get())).empty());
    EXPECT_TRUE(children(xmlDocGetRootElement(ncx.get())).empty());
  }

  // The title is required by the format: an untitled book is named by its id, or by the
  // identifier without one.
  auto entry = std::make_shared<Entry>();
  entry->setAuthor(std::make_shared<Author>());
  entry->setVeskBook(std::make_shared<VeskBook>());
  BookCatalog empty;
  XmlDocPtr anonymous = parse(ePubBuilder::allocOpfPackage("u", &empty, entry.get()));
  EXPECT_EQ(text(children(children(xmlDocGetRootElement(anonymous.get()))[0])[0]), "u");
  entry->setEntryId("book-7");
  const Bytes untitled = ePubBuilder::allocOpfPackage("u", &empty, entry.get());
  EXPECT_EQ(XmlWellFormedness::namespaceFaults(
                std::string_view(reinterpret_cast<const char*>(untitled.data()), untitled.size())),
            "");
  XmlDocPtr opf = parse(untitled);
  Strings metadata;
  const auto metadataNodes = children(children(xmlDocGetRootElement(opf.get()))[0]);
  for (const xmlNode* m : metadataNodes) metadata.push_back(name(m));
  EXPECT_EQ(metadata, (Strings{"dc:title", "dc:language", "dc:identifier"}));
  EXPECT_EQ(text(metadataNodes[0]), "book-7");
  // With no chapters the manifest holds the NCX alone and the spine nothing.
  const auto parts = children(xmlDocGetRootElement(opf.get()));
  EXPECT_EQ(children(parts[1]).size(), 1u);
  EXPECT_EQ(attr(parts[2], "toc"), "id1");
  EXPECT_TRUE(children(parts[2]).empty());

  EXPECT_FALSE(ePubBuilder::createMimeTypeFile("/nonexistent-folder/"));
}

}  // namespace
}  // namespace zu
