#include "store/BookCatalogCaching.h"

#include "model/book/BookCatalog.h"
#include "model/book/Chapter.h"
#include "model/book/Section.h"

namespace zu {

void BookCatalogCaching::cacheIn(Dictionary& dictionary, const std::string& reader,
                                 const Text& bookId, const std::shared_ptr<BookCatalog>& catalog) {
  if (!catalog || !bookId) return;
  // The lookup tables are built before taking the lock.
  auto entry = std::make_shared<CatalogCache>();
  entry->catalog = catalog;
  if (catalog->chapters()) {
    for (const auto& chapter : *catalog->chapters()) {
      if (!chapter) continue;
      if (chapter->id()) entry->fastLookupDicChapter[*chapter->id()] = chapter;
      if (!chapter->sections()) continue;
      for (const auto& section : *chapter->sections()) {
        if (section && section->id()) entry->fastLookupDicSection[*section->id()] = section;
      }
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (dictionary.size() >= kMaxCachedBooks) dictionary.clear();
  dictionary[Key(reader, *bookId)] = std::move(entry);
}

std::shared_ptr<const CatalogCache> BookCatalogCaching::find(const Dictionary& dictionary,
                                                             const std::string& reader,
                                                             const Text& bookId) const {
  if (!bookId) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = dictionary.find(Key(reader, *bookId));
  return it == dictionary.end() ? nullptr : it->second;
}

namespace {

template <typename T>
std::shared_ptr<T> lookup(const std::shared_ptr<const CatalogCache>& cache,
                          const std::unordered_map<std::string, std::shared_ptr<T>> CatalogCache::*
                              member,
                          const std::optional<std::string>& id) {
  if (!cache || !id) return nullptr;
  const auto& map = (*cache).*member;
  auto it = map.find(*id);
  return it == map.end() ? nullptr : it->second;
}

}  // namespace

void BookCatalogCaching::cacheCatalog(const std::string& reader, const Text& bookId,
                                      const std::shared_ptr<BookCatalog>& catalog) {
  cacheIn(mappingCatalogCacheDic_, reader, bookId, catalog);
}

void BookCatalogCaching::cacheCatalogOriginal(const std::string& reader, const Text& bookId,
                                              const std::shared_ptr<BookCatalog>& catalog) {
  cacheIn(catalogCacheDic_, reader, bookId, catalog);
}

std::shared_ptr<BookCatalog> BookCatalogCaching::getCachedCatalog(const std::string& reader,
                                                                  const Text& bookId) const {
  auto cache = find(mappingCatalogCacheDic_, reader, bookId);
  return cache ? cache->catalog : nullptr;
}

std::shared_ptr<BookCatalog> BookCatalogCaching::getCachedCatalogOriginal(
    const std::string& reader, const Text& bookId) const {
  auto cache = find(catalogCacheDic_, reader, bookId);
  return cache ? cache->catalog : nullptr;
}

bool BookCatalogCaching::isCatalogCached(const std::string& reader, const Text& bookId) const {
  return find(mappingCatalogCacheDic_, reader, bookId) != nullptr;
}

bool BookCatalogCaching::isCatalogCachedOriginal(const std::string& reader,
                                                 const Text& bookId) const {
  return find(catalogCacheDic_, reader, bookId) != nullptr;
}

std::shared_ptr<Chapter> BookCatalogCaching::searchChapter(const std::string& reader,
                                                           const Text& bookId,
                                                           const Text& chapterId) const {
  return lookup(find(mappingCatalogCacheDic_, reader, bookId),
                &CatalogCache::fastLookupDicChapter, chapterId);
}

std::shared_ptr<Chapter> BookCatalogCaching::searchChapterOriginal(const std::string& reader,
                                                                   const Text& bookId,
                                                                   const Text& chapterId) const {
  return lookup(find(catalogCacheDic_, reader, bookId), &CatalogCache::fastLookupDicChapter,
                chapterId);
}

std::shared_ptr<Section> BookCatalogCaching::searchSection(const std::string& reader,
                                                           const Text& bookId,
                                                           const Text& sectionId) const {
  return lookup(find(mappingCatalogCacheDic_, reader, bookId),
                &CatalogCache::fastLookupDicSection, sectionId);
}

std::shared_ptr<Section> BookCatalogCaching::searchSectionOriginal(const std::string& reader,
                                                                   const Text& bookId,
                                                                   const Text& sectionId) const {
  return lookup(find(catalogCacheDic_, reader, bookId), &CatalogCache::fastLookupDicSection,
                sectionId);
}

void BookCatalogCaching::removeBook(const Text& bookId) {
  if (!bookId) return;
  std::lock_guard<std::mutex> lock(mutex_);
  for (Dictionary* dictionary : {&mappingCatalogCacheDic_, &catalogCacheDic_}) {
    std::erase_if(*dictionary, [&](const auto& item) { return item.first.second == *bookId; });
  }
}

}  // namespace zu
