// CatalogCache: one cached catalogue with its chapters and sections by id, for fast lookup.
// Made and held by BookCatalogCaching; never changed once made, so it may be read from any
// thread. Where two chapters (or two sections) share an id, the later one is found.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

namespace zu {

class BookCatalog;
class Chapter;
class Section;

struct CatalogCache {
  std::shared_ptr<BookCatalog> catalog;
  std::unordered_map<std::string, std::shared_ptr<Chapter>> fastLookupDicChapter;
  std::unordered_map<std::string, std::shared_ptr<Section>> fastLookupDicSection;
};

}  // namespace zu
