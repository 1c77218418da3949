// Test helpers for the book stores: a catalogue feed written by hand from a compact
// description, the subscription store opened in the test's temporary home, and a few readers.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/book/BookCatalog.h"
#include "model/book/Chapter.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "store/EntryPersistenter.h"

namespace zu::booktest {

struct SectionSpec {
  std::string id;
  int indexId = 0;
  // font size -> (landscape pages, portrait pages)
  std::map<int, std::pair<int, int>> pages;
  bool allowPreview = false;
  std::string title = "";
};

struct ChapterSpec {
  std::string id;
  int indexId = 0;
  std::string title;
  std::vector<SectionSpec> sections;
};

// A catalogue feed as the service sends it.
inline std::string catalogueFeed(const std::vector<ChapterSpec>& chapters, int version = 7,
                                 const std::string& bookId = "book-1") {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\">"
      "<id>" + bookId + "</id><vesk:catalogVersion>" + std::to_string(version) +
      "</vesk:catalogVersion>";
  for (const auto& c : chapters) {
    xml += "<vesk:chapter><title>" + c.title + "</title><id>" + c.id + "</id><vesk:indexid>" +
           std::to_string(c.indexId) + "</vesk:indexid>";
    for (const auto& s : c.sections) {
      xml += "<vesk:section type=\"1\"><title>" + (s.title.empty() ? s.id : s.title) +
             "</title><id>" + s.id + "</id><vesk:pageinfos>";
      for (const auto& [font, counts] : s.pages) {
        xml += "<vesk:pageinfo landscape_pages=\"" + std::to_string(counts.first) +
               "\" portrait_pages=\"" + std::to_string(counts.second) + "\" fontsize=\"fs" +
               std::to_string(font) + "\"/>";
      }
      xml += "</vesk:pageinfos><vesk:indexid>" + std::to_string(s.indexId) +
             "</vesk:indexid><vesk:allowpreview>" + (s.allowPreview ? "1" : "0") +
             "</vesk:allowpreview></vesk:section>";
    }
    xml += "</vesk:chapter>";
  }
  return xml + "</feed>";
}

// Sections with landscape counts at font size 2 (portrait twice as many), ids s1, s2, ...
inline ChapterSpec landscapeChapter(const std::vector<int>& landscape) {
  ChapterSpec c{"ch-1", 1, "第一卷", {}};
  for (size_t i = 0; i < landscape.size(); ++i) {
    c.sections.push_back(SectionSpec{"s" + std::to_string(i + 1), static_cast<int>(i + 1),
                                     {{2, {landscape[i], landscape[i] * 2}}}});
  }
  return c;
}

inline std::vector<std::shared_ptr<Section>> sectionsOf(const std::shared_ptr<BookCatalog>& c) {
  std::vector<std::shared_ptr<Section>> out;
  if (!c || !c->chapters()) return out;
  for (const auto& chapter : *c->chapters()) {
    if (chapter->sections()) {
      for (const auto& s : *chapter->sections()) out.push_back(s);
    }
  }
  return out;
}

inline std::shared_ptr<PageInfo> info(const std::shared_ptr<Section>& s, int font) {
  if (!s || !s->pageInfos()) return nullptr;
  for (const auto& p : *s->pageInfos()) {
    if (p->fontSize() == font) return p;
  }
  return nullptr;
}

inline std::shared_ptr<PageInfo> total(const std::shared_ptr<BookCatalog>& c, int font) {
  if (!c || !c->pageInfos()) return nullptr;
  for (const auto& p : *c->pageInfos()) {
    if (p->fontSize() == font) return p;
  }
  return nullptr;
}

}  // namespace zu::booktest
