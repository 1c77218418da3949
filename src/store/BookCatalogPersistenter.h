// BookCatalogPersistenter: the catalogues of downloaded books, per book and per user, in two
// tables of "userSubscribe.db": `catalog` holds the original catalogue as the service sent it,
// `mappingcatalog` the mapped one whose sections are combined sections (runs of original
// sections merged into one reading file). Each row holds the whole BookCatalog as a keyed
// archive (`catalog`) with its byte length (`catalog_len`); the row id is the upper-case MD5 of
// "<book id>+<user name>", so a book has at most one row per user in each table.
//
// It also builds the mapped catalogue (the page-mapping half that runs when a catalogue
// arrives): page offsets and per-font-size totals, grouping the original sections into combined
// sections with an even landscape page count (limits 45..70 pages at font size 2, or 15..40
// below system version 5.0), and recalibration of offsets and totals for one font size. The
// original and the mapped catalogue built together share the same total PageInfo objects.
//
// Made by the subscription entry store at its open with its connection and lock (BookStore);
// called from the main thread and the "task" thread. Each row operation takes the shared lock
// once (deletion twice); archives are built before locking and read after unlocking. Reads of
// a missing or corrupt row give null. A write succeeds only when SQLite reports it done.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Value.h"
#include "store/BookStore.h"

namespace zu {

class BookCatalog;
class PageInfo;
class Section;

class BookCatalogPersistenter : public BookStore {
 public:
  using Sections = std::vector<std::shared_ptr<Section>>;

  // The font size the grouping counts pages at; also the reader's default font size.
  static constexpr int32_t kReferenceFontSize = 2;
  // The title every combined section gets.
  static constexpr const char* kMappingSectionTitle = "测试";

  // initWithsetDB: keeps the borrowed connection and lock and creates both tables.
  BookCatalogPersistenter(std::shared_ptr<Database> database,
                          std::shared_ptr<std::mutex> databaseCondition);

  // Reads a catalogue feed (`data`), builds its mapped catalogue and stores both for the
  // current user. False for missing or unreadable data, or when either write fails (both are
  // tried; neither is undone when the other fails).
  bool insert(const Text& bookId, const std::optional<std::string_view>& data);
  // Stores one catalogue for the current user, in `mappingcatalog` when `mapped`.
  bool insertCatalog(const Text& bookId, const std::shared_ptr<BookCatalog>& catalog,
                     bool mapped);
  // Deletes the current user's rows of the book from both tables; true when both succeeded.
  bool deleteBook(const Text& bookId);
  // The current user's original / mapped catalogue; null when absent or unreadable.
  std::shared_ptr<BookCatalog> read(const Text& bookId);
  std::shared_ptr<BookCatalog> readMapping(const Text& bookId);
  // Copies every guest row of both tables to `username` (guest rows stay).
  void copyFromAnonymous(const Text& username);
  // Copies every row of the book, whoever owns it, to `username`.
  void copyFromOther(const Text& bookId, const Text& username);
  // Whether a user other than the current one holds a catalogue row of the book.
  bool isBookSubscribedByOtherUsers(const Text& bookId);

  // ---- Building the mapped catalogue --------------------------------------------------------

  // The generator of the mapped chapter's id (a random 32-bit number by default); tests set a
  // fixed one. Set before use, on the thread that builds.
  void setRandomGenerator(std::function<uint32_t()> generator);

  // A page count or offset from 64-bit arithmetic, held to the 32-bit range PageInfo stores:
  // counts come from the service and may be anything, so sums of them must not overflow.
  static int32_t saturatePages(int64_t pages);

  // The section's first PageInfo of the font size, or null.
  static std::shared_ptr<PageInfo> getPageInfoInSection(const std::shared_ptr<Section>& section,
                                                        int32_t fontSize);
  // A new combined section for the group starting with `section`: title kMappingSectionTitle,
  // id "<first original id><index>", indexId `index`, no original ids yet, and per font size of
  // the original a PageInfo with its offsets and zero counts. Null for a null section.
  static std::shared_ptr<Section> createMappingSection(const std::shared_ptr<Section>& section,
                                                       uint32_t index);
  // Adds the original's counts to the combined section; for the group's last original an odd
  // combined landscape count is padded by one page (also on the original, whose catalogue is
  // then recalibrated for that font size).
  static void convertPageInfoForMappingSection(const std::shared_ptr<Section>& mapping,
                                               const std::shared_ptr<BookCatalog>& catalog,
                                               const std::shared_ptr<Section>& original,
                                               bool last);
  // Sections first..last as a group when the group rules accept them, else nullopt.
  static std::optional<Sections> mappingFindEvenSectionsNearMax(const Sections& sections,
                                                                size_t first, size_t last);
  // The groups from `start` to the end: each the shortest acceptable run; nullopt when some
  // run cannot be grouped.
  static std::optional<std::vector<Sections>> mappingGroupSections(const Sections& sections,
                                                                   size_t start);
  // The groups of the catalogue; below system version 5.0 with `onePerSection`, one group per
  // section.
  static std::vector<Sections> outputMappingRule(const std::shared_ptr<BookCatalog>& catalog,
                                                 bool onePerSection);
  // Fills the catalogue's offsets, totals and section parent ids and returns the new mapped
  // catalogue (null for a null catalogue).
  std::shared_ptr<BookCatalog> calculateBookPageInfoAndBuildMappingCatalog(
      const std::shared_ptr<BookCatalog>& catalog);
  // Recomputes offsets and totals of one font size from the section counts.
  static void calibrateBookPageCatalog(const std::shared_ptr<BookCatalog>& catalog,
                                       int32_t fontSize);

 private:
  std::shared_ptr<BookCatalog> readTable(const Text& bookId, bool mapped);
  // Writes (book id, blob) rows for `username` into one table; call under the lock.
  bool writeRowLocked(const char* sql, const std::string& bookId, const Bytes& blob,
                   const std::string& username);
  void copyLocked(const char* selectSql, const char* insertSql, const Text& bookId,
                  const std::string& username);

  std::function<uint32_t()> random_;
};

}  // namespace zu
