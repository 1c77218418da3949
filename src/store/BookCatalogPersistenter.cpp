#include "store/BookCatalogPersistenter.h"

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "model/entry/Feed.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "model/book/BookCatalog.h"
#include "model/book/Chapter.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {
namespace {

constexpr const char* kCreateCatalog =
    "create table if not exists catalog (id text primary key, book_id text, catalog blob, "
    "catalog_len interger, username text);";
constexpr const char* kCreateMapping =
    "create table if not exists mappingcatalog (id text primary key, book_id text, catalog "
    "blob, catalog_len interger, username text);";

const std::vector<std::string>& definitions() {
  static const std::vector<std::string> defs = {"id text primary key", "book_id text",
                                                "catalog blob", "catalog_len interger",
                                                "username text"};
  return defs;
}

constexpr const char* kInsertCatalog =
    "insert or replace into catalog (id, book_id, catalog, catalog_len, username) values (?, ?, "
    "?, ?, ?);";
constexpr const char* kInsertMapping =
    "insert or replace into mappingcatalog (id, book_id, catalog, catalog_len, username) values "
    "(?, ?, ?, ?, ?);";
constexpr const char* kDeleteCatalog = "delete from catalog where book_id=? and username=?;";
constexpr const char* kDeleteMapping =
    "delete from mappingcatalog where book_id=? and username=?;";
constexpr const char* kReadCatalog =
    "select catalog, catalog_len from catalog where book_id=? and username=?;";
constexpr const char* kReadMapping =
    "select catalog, catalog_len from mappingcatalog where book_id=? and username=?;";
constexpr const char* kGuestCatalog =
    "select book_id, catalog, catalog_len from catalog where username='wayfarers';";
constexpr const char* kGuestMapping =
    "select book_id, catalog, catalog_len from mappingcatalog where username='wayfarers';";
constexpr const char* kBookCatalog =
    "select book_id, catalog, catalog_len from catalog where book_id==?;";
constexpr const char* kBookMapping =
    "select book_id, catalog, catalog_len from mappingcatalog where book_id==?;";
constexpr const char* kOtherUsers = "select count(*) from catalog where book_id=? and username!=?";

// The blob of a row, cut to the length the row records when that is shorter.
Bytes rowBlob(const Statement& s, int blobColumn, int lengthColumn) {
  Bytes blob = s.columnBlob(blobColumn).value_or(Bytes());
  int64_t len = s.columnInt64(lengthColumn);
  if (len >= 0 && static_cast<uint64_t>(len) < blob.size()) blob.resize(static_cast<size_t>(len));
  return blob;
}

// Every section of the catalogue in reading order, with its chapter.
template <typename F>
void forEachSection(const BookCatalog& catalog, F&& f) {
  if (!catalog.chapters()) return;
  for (const auto& chapter : *catalog.chapters()) {
    if (!chapter || !chapter->sections()) continue;
    for (const auto& section : *chapter->sections()) {
      if (section) f(*chapter, section);
    }
  }
}

// The group rules for a run whose font-size-2 landscape pages sum to `total`, the last such
// count being `lastCount`.
bool acceptsGroup(int64_t total, int64_t lastCount, bool endsAtLast) {
  const bool modern = SystemEnvironment::isSystemVersionAtLeast5();
  const int64_t minPages = modern ? 45 : 15;
  const int64_t maxPages = modern ? 70 : 40;
  if (lastCount == 1 && !endsAtLast && total <= maxPages) return false;
  if (total > minPages && total % 2 == 0) return true;
  if (total > maxPages) return true;
  return endsAtLast;
}

}  // namespace

BookCatalogPersistenter::BookCatalogPersistenter(std::shared_ptr<Database> database,
                                                 std::shared_ptr<std::mutex> databaseCondition)
    : BookStore(std::move(database), std::move(databaseCondition), "BookCatalogPersistenter") {
  BookCatalog::registerArchiveClasses();
  VESKLogImpl("BookCatalogPersistenter: createTable");
  createTable(kCreateCatalog, "BookCatalogPersistenter: Error creating table", "catalog",
              definitions());
  createTable(kCreateMapping, "BookCatalogPersistenter: Error creating mapping table",
              "mappingcatalog", definitions());
  random_ = [] {
    static std::mutex m;
    static std::mt19937 engine{std::random_device{}()};
    std::lock_guard<std::mutex> lock(m);
    return static_cast<uint32_t>(engine());
  };
}

void BookCatalogPersistenter::setRandomGenerator(std::function<uint32_t()> generator) {
  if (generator) random_ = std::move(generator);
}

// ---- Rows ------------------------------------------------------------------------------------

bool BookCatalogPersistenter::insert(const Text& bookId,
                                     const std::optional<std::string_view>& data) {
  if (!data) return false;
  auto feed = VESKAtomParser::allocParseFeed(*data, kEntryKindPlain);
  if (!feed) return false;
  auto original = std::make_shared<BookCatalog>();
  original->setChapters(feed->chapters());
  original->setVersion(feed->catalogVersion());
  // Building the mapped catalogue also fills the original's offsets and totals, so the
  // original is stored after it.
  auto mapped = calculateBookPageInfoAndBuildMappingCatalog(original);
  // Both writes are tried; the book is stored only when both went in.
  const bool originalStored = insertCatalog(bookId, original, false);
  const bool mappedStored = insertCatalog(bookId, mapped, true);
  return originalStored && mappedStored;
}

bool BookCatalogPersistenter::writeRowLocked(const char* sql, const std::string& bookId,
                                          const Bytes& blob, const std::string& username) {
  Use s = use(sql);
  if (!s) {
    VESKLogImpl("BookCatalogPersistenter: failed to insert");
    return false;
  }
  s->bind(1, rowId({bookId, username}));
  s->bind(2, bookId);
  s->bind(3, blob);
  s->bind(4, static_cast<int64_t>(blob.size()));
  s->bind(5, username);
  if (!s->execute()) {
    VESKLogImpl("BookCatalogPersistenter: failed to insert into the database");
    return false;
  }
  return true;
}

bool BookCatalogPersistenter::insertCatalog(const Text& bookId,
                                            const std::shared_ptr<BookCatalog>& catalog,
                                            bool mapped) {
  Text user = CommInfo::getUsername();
  if (!bookId || !catalog || !user) {
    VESKLogImpl("BookCatalogPersistenter: failed to insert");
    return false;
  }
  Bytes blob = KeyedArchiver::archivedData(*catalog);
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  return writeRowLocked(mapped ? kInsertMapping : kInsertCatalog, *bookId, blob, *user);
}

bool BookCatalogPersistenter::deleteBook(const Text& bookId) {
  Text user = CommInfo::getUsername();
  auto bind = [&](Statement& s) {
    s.bind(1, bookId);
    s.bind(2, user);
  };
  // Each table in its own lock; the second runs even when the first failed.
  VESKLogImpl("BookCatalogPersistenter: delete id: %s", cstr(bookId));
  bool ok = write(kDeleteCatalog, bind, "delete");
  VESKLogImpl("BookCatalogPersistenter: delete id: %s", cstr(bookId));
  return write(kDeleteMapping, bind, "delete") && ok;
}

std::shared_ptr<BookCatalog> BookCatalogPersistenter::readTable(const Text& bookId, bool mapped) {
  Text user = CommInfo::getUsername();
  std::optional<Bytes> blob;
  query(
      mapped ? kReadMapping : kReadCatalog,
      [&](Statement& s) {
        s.bind(1, bookId);
        s.bind(2, user);
      },
      [&](const Statement& s) { blob = rowBlob(s, 0, 1); });  // the last row wins
  if (!blob) return nullptr;
  // A corrupt archive reads as absent.
  return KeyedUnarchiver::unarchiveObject<BookCatalog>(*blob);
}

std::shared_ptr<BookCatalog> BookCatalogPersistenter::read(const Text& bookId) {
  return readTable(bookId, false);
}

std::shared_ptr<BookCatalog> BookCatalogPersistenter::readMapping(const Text& bookId) {
  return readTable(bookId, true);
}

void BookCatalogPersistenter::copyLocked(const char* selectSql, const char* insertSql,
                                         const Text& bookId, const std::string& username) {
  std::vector<std::pair<std::string, Bytes>> rows;
  queryLocked(
      selectSql, [&](Statement& s) { if (bookId) s.bind(1, *bookId); },
      [&](const Statement& s) {
        if (auto id = s.columnText(0)) rows.emplace_back(*id, rowBlob(s, 1, 2));
      });
  for (const auto& [id, blob] : rows) writeRowLocked(insertSql, id, blob, username);
}

void BookCatalogPersistenter::copyFromAnonymous(const Text& username) {
  if (!username) return;
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Transaction transaction(*database_);
  copyLocked(kGuestCatalog, kInsertCatalog, std::nullopt, *username);
  copyLocked(kGuestMapping, kInsertMapping, std::nullopt, *username);
  if (transaction.ok()) transaction.commit();
}

void BookCatalogPersistenter::copyFromOther(const Text& bookId, const Text& username) {
  if (!bookId || !username) return;
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Transaction transaction(*database_);
  copyLocked(kBookCatalog, kInsertCatalog, bookId, *username);
  copyLocked(kBookMapping, kInsertMapping, bookId, *username);
  if (transaction.ok()) transaction.commit();
}

bool BookCatalogPersistenter::isBookSubscribedByOtherUsers(const Text& bookId) {
  VESKLogImpl("BookCatalogPersistenter: isBookSubscribedByOtherUsers");
  Text user = CommInfo::getUsername();
  return countAboveZero(kOtherUsers, [&](Statement& s) {
    s.bind(1, bookId);
    s.bind(2, user);
  });
}

// ---- Building the mapped catalogue -----------------------------------------------------------

int32_t BookCatalogPersistenter::saturatePages(int64_t pages) {
  return static_cast<int32_t>(std::clamp<int64_t>(pages, INT32_MIN, INT32_MAX));
}

std::shared_ptr<PageInfo> BookCatalogPersistenter::getPageInfoInSection(
    const std::shared_ptr<Section>& section, int32_t fontSize) {
  if (!section || !section->pageInfos()) return nullptr;
  for (const auto& info : *section->pageInfos()) {
    if (info && info->fontSize() == fontSize) return info;
  }
  return nullptr;
}

std::shared_ptr<Section> BookCatalogPersistenter::createMappingSection(
    const std::shared_ptr<Section>& section, uint32_t index) {
  if (!section) return nullptr;
  auto mapping = std::make_shared<Section>();
  mapping->setTitle(kMappingSectionTitle);
  mapping->setId(section->id().value_or("(null)") + std::to_string(index));
  mapping->setIndexId(static_cast<int32_t>(index));
  mapping->setOriginalIds(std::vector<std::string>{});
  std::vector<std::shared_ptr<PageInfo>> infos;
  if (section->pageInfos()) {
    for (const auto& from : *section->pageInfos()) {
      if (!from) continue;
      auto info = std::make_shared<PageInfo>();
      info->setFontSize(from->fontSize());
      info->setLandscapePageOffset(from->landscapePageOffset());
      info->setPortraitPageOffset(from->portraitPageOffset());
      infos.push_back(std::move(info));
    }
  }
  mapping->setPageInfos(std::move(infos));
  return mapping;
}

void BookCatalogPersistenter::convertPageInfoForMappingSection(
    const std::shared_ptr<Section>& mapping, const std::shared_ptr<BookCatalog>& catalog,
    const std::shared_ptr<Section>& original, bool last) {
  if (!mapping || !mapping->pageInfos()) return;
  for (const auto& info : *mapping->pageInfos()) {
    if (!info) continue;
    auto from = getPageInfoInSection(original, info->fontSize());
    if (from) {
      info->setLandscapePage(
          saturatePages(int64_t{info->landscapePage()} + from->landscapePage()));
      info->setPortraitPage(saturatePages(int64_t{info->portraitPage()} + from->portraitPage()));
    }
    if (last && info->landscapePage() % 2 != 0) {
      // A combined section always shows whole spreads in landscape.
      info->setLandscapePage(saturatePages(int64_t{info->landscapePage()} + 1));
      if (from) from->setLandscapePage(saturatePages(int64_t{from->landscapePage()} + 1));
      calibrateBookPageCatalog(catalog, info->fontSize());
    }
  }
}

std::optional<BookCatalogPersistenter::Sections>
BookCatalogPersistenter::mappingFindEvenSectionsNearMax(const Sections& sections, size_t first,
                                                        size_t last) {
  if (first > last || last >= sections.size()) return std::nullopt;
  int64_t total = 0;
  int64_t lastCount = 0;
  for (size_t i = first; i <= last; ++i) {
    if (auto info = getPageInfoInSection(sections[i], kReferenceFontSize)) {
      total += info->landscapePage();
      lastCount = info->landscapePage();
    }
  }
  if (!acceptsGroup(total, lastCount, last + 1 == sections.size())) return std::nullopt;
  return Sections(sections.begin() + static_cast<std::ptrdiff_t>(first),
                  sections.begin() + static_cast<std::ptrdiff_t>(last) + 1);
}

std::optional<std::vector<BookCatalogPersistenter::Sections>>
BookCatalogPersistenter::mappingGroupSections(const Sections& sections, size_t start) {
  // Each group is the shortest acceptable run from its start; no other split is tried, so a
  // rest that cannot be grouped fails the whole. The sum grows with the run instead of being
  // recounted for each end.
  std::vector<Sections> groups;
  size_t s = start;
  while (true) {
    if (s >= sections.size()) return std::nullopt;
    int64_t total = 0;
    int64_t lastCount = 0;
    std::optional<size_t> end;
    for (size_t e = s; e < sections.size(); ++e) {
      if (auto info = getPageInfoInSection(sections[e], kReferenceFontSize)) {
        total += info->landscapePage();
        lastCount = info->landscapePage();
      }
      if (acceptsGroup(total, lastCount, e + 1 == sections.size())) {
        end = e;
        break;
      }
    }
    if (!end) return std::nullopt;
    groups.emplace_back(sections.begin() + static_cast<std::ptrdiff_t>(s),
                        sections.begin() + static_cast<std::ptrdiff_t>(*end) + 1);
    if (*end + 1 == sections.size()) return groups;
    s = *end + 1;
  }
}

std::vector<BookCatalogPersistenter::Sections> BookCatalogPersistenter::outputMappingRule(
    const std::shared_ptr<BookCatalog>& catalog, bool onePerSection) {
  std::vector<Sections> groups;
  if (!catalog) return groups;
  if (!SystemEnvironment::isSystemVersionAtLeast5() && onePerSection) {
    forEachSection(*catalog, [&](const Chapter&, const std::shared_ptr<Section>& section) {
      groups.push_back(Sections{section});
    });
    return groups;
  }
  Sections all;
  forEachSection(*catalog, [&](const Chapter&, const std::shared_ptr<Section>& section) {
    if (section->pageInfos()) all.push_back(section);
  });
  return mappingGroupSections(all, 0).value_or(std::vector<Sections>());
}

std::shared_ptr<BookCatalog> BookCatalogPersistenter::calculateBookPageInfoAndBuildMappingCatalog(
    const std::shared_ptr<BookCatalog>& catalog) {
  if (!catalog) return nullptr;
  // Offsets and totals per font size, in reading order.
  std::vector<std::shared_ptr<PageInfo>> totals;
  std::unordered_map<int32_t, std::shared_ptr<PageInfo>> byFont;
  forEachSection(*catalog, [&](const Chapter& chapter, const std::shared_ptr<Section>& section) {
    if (section->pageInfos()) {
      for (const auto& info : *section->pageInfos()) {
        if (!info) continue;
        auto it = byFont.find(info->fontSize());
        if (it != byFont.end()) {
          PageInfo& total = *it->second;
          info->setLandscapePageOffset(total.landscapePage());
          info->setPortraitPageOffset(total.portraitPage());
          total.setLandscapePage(
              saturatePages(int64_t{total.landscapePage()} + info->landscapePage()));
          total.setPortraitPage(
              saturatePages(int64_t{total.portraitPage()} + info->portraitPage()));
          if (section->allowPreview()) {
            total.setLandscapePreviewPage(
                saturatePages(int64_t{total.landscapePreviewPage()} + info->landscapePage()));
            total.setPortraitPreviewPage(
                saturatePages(int64_t{total.portraitPreviewPage()} + info->portraitPage()));
          }
        } else {
          auto total = std::make_shared<PageInfo>();
          total->setFontSize(info->fontSize());
          total->setLandscapePage(info->landscapePage());
          total->setPortraitPage(info->portraitPage());
          if (section->allowPreview()) {
            total->setLandscapePreviewPage(info->landscapePage());
            total->setPortraitPreviewPage(info->portraitPage());
          }
          info->setLandscapePageOffset(0);
          info->setPortraitPageOffset(0);
          byFont.emplace(info->fontSize(), total);
          totals.push_back(std::move(total));
        }
      }
    }
    section->setParentId(chapter.id());
  });
  catalog->setPageInfos(totals);

  auto mapped = std::make_shared<BookCatalog>();
  mapped->setVersion(catalog->version());
  mapped->setPageInfos(totals);  // the same total objects as the original's
  auto chapter = std::make_shared<Chapter>();
  chapter->setId(std::to_string(random_()));
  mapped->setChapters(std::vector<std::shared_ptr<Chapter>>{chapter});

  uint32_t index = 1;
  for (const Sections& group : outputMappingRule(catalog, catalog->version() == 4)) {
    std::shared_ptr<Section> mapping;
    for (size_t i = 0; i < group.size(); ++i) {
      const auto& original = group[i];
      if (i == 0) {
        mapping = createMappingSection(original, index++);
        chapter->appendSections(mapping);
      }
      convertPageInfoForMappingSection(mapping, catalog, original, i + 1 == group.size());
      auto ids = mapping->originalIds().value_or(std::vector<std::string>());
      ids.push_back(original->id().value_or(std::string()));
      mapping->setOriginalIds(std::move(ids));
      original->setMappingId(mapping->id());
    }
  }
  return mapped;
}

void BookCatalogPersistenter::calibrateBookPageCatalog(const std::shared_ptr<BookCatalog>& catalog,
                                                       int32_t fontSize) {
  if (!catalog) return;
  int64_t landscape = 0, portrait = 0, landscapePreview = 0, portraitPreview = 0;
  forEachSection(*catalog, [&](const Chapter&, const std::shared_ptr<Section>& section) {
    if (!section->pageInfos()) return;
    for (const auto& info : *section->pageInfos()) {
      if (!info || info->fontSize() != fontSize) continue;
      info->setLandscapePageOffset(saturatePages(landscape));
      info->setPortraitPageOffset(saturatePages(portrait));
      landscape += info->landscapePage();
      portrait += info->portraitPage();
      if (section->allowPreview()) {
        landscapePreview += info->landscapePage();
        portraitPreview += info->portraitPage();
      }
    }
  });
  if (!catalog->pageInfos()) return;
  for (const auto& total : *catalog->pageInfos()) {
    if (!total || total->fontSize() != fontSize) continue;
    total->setLandscapePage(saturatePages(landscape));
    total->setPortraitPage(saturatePages(portrait));
    total->setLandscapePreviewPage(saturatePages(landscapePreview));
    total->setPortraitPreviewPage(saturatePages(portraitPreview));
  }
}

}  // namespace zu
