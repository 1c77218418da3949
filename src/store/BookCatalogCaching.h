// BookCatalogCaching: the book manager's in-memory cache of the last catalogues read, one
// dictionary per form (the plain names work on the mapped catalogue, the "Original" names on the
// original one), each holding at most two books: caching a third book empties that form's
// dictionary first. Chapters and sections are found by id without walking the catalogue.
// Catalogues are kept per reader and book, as the store keeps them: one reader is never shown
// another's catalogue after a switch, and a deleted book's entries are dropped with it.
//
// Threads: the main thread (reading screens) and the "task" thread (downloads, sync) both call
// in; every function takes the cache's own lock. Cached catalogues are never changed in place:
// whoever recalibrates one works on a copy and caches the copy, so a catalogue (and the
// chapters, sections and page counts reached from it) handed out here can be read without a
// lock while another thread replaces it.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <map>
#include <string>
#include <utility>

#include "store/CatalogCache.h"

namespace zu {

class BookCatalog;
class Chapter;
class Section;

class BookCatalogCaching {
 public:
  using Text = std::optional<std::string>;

  // Books cached per form before the next one empties the form's dictionary.
  static constexpr size_t kMaxCachedBooks = 2;

  // Caches the catalogue of the reader's book, replacing an earlier one of that pair. A null
  // catalogue or book id is ignored.
  void cacheCatalog(const std::string& reader, const Text& bookId,
                    const std::shared_ptr<BookCatalog>& catalog);
  void cacheCatalogOriginal(const std::string& reader, const Text& bookId,
                            const std::shared_ptr<BookCatalog>& catalog);
  std::shared_ptr<BookCatalog> getCachedCatalog(const std::string& reader,
                                                const Text& bookId) const;
  std::shared_ptr<BookCatalog> getCachedCatalogOriginal(const std::string& reader,
                                                        const Text& bookId) const;
  bool isCatalogCached(const std::string& reader, const Text& bookId) const;
  bool isCatalogCachedOriginal(const std::string& reader, const Text& bookId) const;
  std::shared_ptr<Chapter> searchChapter(const std::string& reader, const Text& bookId,
                                         const Text& chapterId) const;
  std::shared_ptr<Chapter> searchChapterOriginal(const std::string& reader, const Text& bookId,
                                                 const Text& chapterId) const;
  std::shared_ptr<Section> searchSection(const std::string& reader, const Text& bookId,
                                         const Text& sectionId) const;
  std::shared_ptr<Section> searchSectionOriginal(const std::string& reader, const Text& bookId,
                                                 const Text& sectionId) const;
  // Drops both forms of the book for every reader.
  void removeBook(const Text& bookId);

 private:
  // (reader, book id).
  using Key = std::pair<std::string, std::string>;
  using Dictionary = std::map<Key, std::shared_ptr<const CatalogCache>>;

  void cacheIn(Dictionary& dictionary, const std::string& reader, const Text& bookId,
               const std::shared_ptr<BookCatalog>& catalog);
  std::shared_ptr<const CatalogCache> find(const Dictionary& dictionary, const std::string& reader,
                                           const Text& bookId) const;

  mutable std::mutex mutex_;
  Dictionary catalogCacheDic_;         // original catalogues
  Dictionary mappingCatalogCacheDic_;  // mapped catalogues
};

}  // namespace zu
