#include "store/BookMgr.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

#include "common/CommInfo.h"
#include "common/Md5.h"
#include "common/StagedFolder.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/service/VeskEntryStatus.h"
#include "model/book/BookCatalog.h"
#include "model/book/BookMemo.h"
#include "model/book/BookReadInfo.h"
#include "model/book/BookSearchResult.h"
#include "model/book/Bookmark.h"
#include "model/book/Chapter.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"
#include "store/BookCatalogPersistenter.h"
#include "store/BookMarkPersistenter.h"
#include "store/BookMemoPersistenter.h"
#include "store/BookReadInfoPersistenter.h"
#include "store/BookSectionCombiner.h"
#include "store/BookTextSearch.h"
#include "store/EntryPersistenter.h"
#include "store/SortedBookmark.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using Text = BookMgr::Text;

// The book type of a subscribed column's entry status.
constexpr int32_t kBookEntryType = 9;
// Measured counts further from the stored ones than this are not taken.
constexpr int32_t kMaxMappingCorrection = 34;
constexpr int32_t kMaxOriginalCorrection = 14;

std::string md5Key(const std::string& text) { return Md5::encode(text).value_or(std::string()); }

bool isNonEmptyFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec) && fs::file_size(path, ec) > 0 && !ec;
}

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::shared_ptr<PageInfo> pageInfoOf(const std::shared_ptr<Section>& section, int32_t fontSize) {
  return BookCatalogPersistenter::getPageInfoInSection(section, fontSize);
}

int32_t countOf(const PageInfo& p, bool landscape) {
  return landscape ? p.landscapePage() : p.portraitPage();
}
int32_t offsetOf(const PageInfo& p, bool landscape) {
  return landscape ? p.landscapePageOffset() : p.portraitPageOffset();
}
void setCount(PageInfo& p, bool landscape, int32_t v) {
  if (landscape) p.setLandscapePage(v);
  else p.setPortraitPage(v);
}

// The combined sections of a catalogue in reading order.
std::vector<std::shared_ptr<Section>> sectionsOf(const std::shared_ptr<BookCatalog>& catalog) {
  std::vector<std::shared_ptr<Section>> all;
  if (!catalog || !catalog->chapters()) return all;
  for (const auto& chapter : *catalog->chapters()) {
    if (!chapter || !chapter->sections()) continue;
    for (const auto& s : *chapter->sections()) {
      if (s) all.push_back(s);
    }
  }
  return all;
}

std::shared_ptr<Section> findSection(const std::shared_ptr<BookCatalog>& catalog,
                                     const std::string& id) {
  std::shared_ptr<Section> found;  // a later duplicate id wins, as in the cache
  for (const auto& s : sectionsOf(catalog)) {
    if (s->id() == id) found = s;
  }
  return found;
}

// A deep copy of a catalogue, to change without touching the cached one. Null when the
// catalogue does not come back from its archive.
std::shared_ptr<BookCatalog> copyCatalog(const std::shared_ptr<BookCatalog>& catalog) {
  if (!catalog) return nullptr;
  BookCatalog::registerArchiveClasses();
  return KeyedUnarchiver::unarchiveObject<BookCatalog>(KeyedArchiver::archivedData(*catalog));
}

// A global page truncated toward zero and kept within [offset, offset + count - 1] of the unit
// it must fall in (just `offset` for a unit without pages).
int32_t clampToUnit(double value, int32_t offset, int32_t count) {
  const double last = static_cast<double>(offset) + std::max(count, 1) - 1;
  if (!(value >= offset)) return offset;  // also NaN
  if (value > last) return static_cast<int32_t>(last);
  return static_cast<int32_t>(value);
}

// A page number from wider arithmetic, held to the 32-bit range (stored counts may be anything).
int32_t saturate(int64_t v) { return BookCatalogPersistenter::saturatePages(v); }

// The ratio (0..100) of a page within `count` pages from `offset`; 0 for no pages.
float ratioIn(double pageFromOffset, int32_t count) {
  if (count <= 0) return 0.0f;
  return static_cast<float>(pageFromOffset * 100.0 / count);
}

}  // namespace

BookMgr::BookMgr(std::shared_ptr<EntryPersistenter> persistenter)
    : persistenter_(std::move(persistenter)) {
  BookCatalog::registerArchiveClasses();
}

void BookMgr::setPersistenter(std::shared_ptr<EntryPersistenter> persistenter) {
  persistenter_ = std::move(persistenter);
}

void BookMgr::setContentHost(std::string host) { contentHost_ = std::move(host); }

int32_t BookMgr::getFontSize() {
  int64_t size = UserDefaults::standard().integerForKey(kFontSizeKey);
  return size < 1 || size > INT32_MAX ? kDefaultFontSize : static_cast<int32_t>(size);
}

std::string BookMgr::reader() { return CommInfo::getUsername().value_or(std::string()); }

std::string BookMgr::userKey() const { return md5Key(reader()); }

// ---- Files ---------------------------------------------------------------------------------

std::string BookMgr::getBookEpubPath(const std::string& bookId) const {
  return CommInfo::getBooksDir() + md5Key(bookId) + ".epub";
}

std::string BookMgr::getBookEpubTempPath(const std::string& bookId) const {
  return getBookEpubPath(bookId) + ".temp";
}

// The book's folders, as they exist, are reached from the home without following a link (one
// in a folder's place is set aside): its pages are never read, written or removed elsewhere.
std::string BookMgr::getBookOPSDirectory(const std::string& bookId) const {
  return Paths::checkedPath(CommInfo::getBooksDir() + md5Key(bookId) + "/OPS/").string();
}

std::string BookMgr::getBookUncompressedPath(const std::string& bookId) const {
  return Paths::checkedPath(CommInfo::getBooksDir() + md5Key(bookId) + "/").string();
}

Text BookMgr::getBookSectionHtmlFilePath(const Text& bookId, const Text& chapterId,
                                         const Text& sectionId) {
  if (bookId && sectionId) {
    if (auto section = mappedSection(bookId, sectionId)) {
      const std::string ops = getBookOPSDirectory(*bookId);
      const std::string index = std::to_string(section->indexId());
      std::string path = ops + userKey() + "-co" + index + ".htm";
      if (!isNonEmptyFile(path)) path = ops + "co" + index + ".htm";
      if (exists(path)) return path;
    }
  }
  return getBookSectionHtmlFilePathOriginal(bookId, chapterId, sectionId);
}

Text BookMgr::getBookSectionHtmlFilePathOriginal(const Text& bookId, const Text& chapterId,
                                                 const Text& sectionId) {
  if (!bookId) return std::nullopt;
  const std::string ops = getBookOPSDirectory(*bookId);
  if (sectionId) {
    auto section = originalSection(bookId, sectionId);
    if (!section) return std::nullopt;
    if (section->indexId() >= 1) {
      const std::string index = std::to_string(section->indexId());
      std::string own = ops + userKey() + "-" + index + ".htm";
      return isNonEmptyFile(own) ? own : ops + index + ".htm";
    }
  }
  originalCatalog(bookId);
  auto chapter = catalogCaching_.searchChapterOriginal(reader(), bookId, chapterId);
  if (!chapter) return std::nullopt;
  const std::string index = std::to_string(chapter->indexId());
  std::string own = ops + userKey() + "-ch" + index + ".htm";
  return isNonEmptyFile(own) ? own : ops + "ch" + index + ".htm";
}

Text BookMgr::getBookSectionHtmlFilePathForSave(const Text& bookId, const Text&,
                                                const Text& sectionId) {
  if (!bookId || !sectionId) return std::nullopt;
  auto section = mappedSection(bookId, sectionId);
  if (!section) return std::nullopt;
  return getBookOPSDirectory(*bookId) + userKey() + "-co" + std::to_string(section->indexId()) +
         ".htm";
}

std::optional<std::string> BookMgr::getBookSectionHtmlFilePath(const std::string& bookId,
                                                               const std::string& chapterId,
                                                               const std::string& sectionId) {
  return getBookSectionHtmlFilePath(Text(bookId), Text(chapterId), Text(sectionId));
}

std::shared_ptr<Section> BookMgr::getSectionInfo(const std::string& bookId,
                                                 const std::string& sectionId) {
  return catalogCaching_.searchSectionOriginal(reader(), bookId, sectionId);
}

// ---- Combined files --------------------------------------------------------------------------

bool BookMgr::recursionDeleteSpecialNode(_xmlNode* node, const std::string& nodeName,
                                         const std::string& nodeId) {
  return BookSectionCombiner::recursionDeleteSpecialNode(node, nodeName, nodeId);
}

bool BookMgr::isTextNode(const char* name) { return BookSectionCombiner::isTextNode(name); }

bool BookMgr::saveBookSectionHtml(const Text& bookId, const Text& chapterId,
                                  const Text& sectionId, const Text& html) {
  if (!bookId || !sectionId || !html) return false;
  Text path = getBookSectionHtmlFilePathForSave(bookId, chapterId, sectionId);
  if (!path) return false;
  return BookSectionCombiner::saveHtml(*html, *path);
}

void BookMgr::combineBookSections(const Text& bookId) {
  auto mapped = getBookCatalog(bookId);
  if (!mapped || !bookId) return;
  const std::string ops = getBookOPSDirectory(*bookId);
  for (const auto& combined : sectionsOf(mapped)) {
    if (!combined->originalIds() || combined->originalIds()->empty()) continue;
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& id : *combined->originalIds()) {
      if (Text path = getBookSectionHtmlFilePathOriginal(bookId, id, id)) {
        files.emplace_back(id, *path);
      }
    }
    BookSectionCombiner::combine(files, ops + "co" + std::to_string(combined->indexId()) + ".htm",
                                 contentHost_);
  }
}

// ---- Catalogues ----------------------------------------------------------------------------

bool BookMgr::setBookCatalog(const std::optional<std::string_view>& data, const Text& bookId) {
  if (!persistenter_ || !persistenter_->catalogPersistenter()) return false;
  if (!persistenter_->catalogPersistenter()->insert(bookId, data)) return false;
  // A cached copy of the replaced catalogue would go on answering which sections are up to
  // date (and how pages map): the cache takes the new one.
  const std::string who = reader();
  if (catalogCaching_.isCatalogCachedOriginal(who, bookId)) getBookCatalogOriginal(bookId);
  if (catalogCaching_.isCatalogCached(who, bookId)) getBookCatalog(bookId);
  return true;
}

void BookMgr::copyBookCatalogFromOther(const Text& bookId) {
  if (!persistenter_ || !persistenter_->catalogPersistenter()) return;
  persistenter_->catalogPersistenter()->copyFromOther(bookId, CommInfo::getUsername());
}

std::shared_ptr<BookCatalog> BookMgr::getBookCatalog(const Text& bookId) {
  if (!persistenter_ || !persistenter_->catalogPersistenter()) return nullptr;
  auto catalog = persistenter_->catalogPersistenter()->readMapping(bookId);
  catalogCaching_.cacheCatalog(reader(), bookId, catalog);
  return catalog;
}

std::shared_ptr<BookCatalog> BookMgr::getBookCatalogOriginal(const Text& bookId) {
  if (!persistenter_ || !persistenter_->catalogPersistenter()) return nullptr;
  auto catalog = persistenter_->catalogPersistenter()->read(bookId);
  catalogCaching_.cacheCatalogOriginal(reader(), bookId, catalog);
  return catalog;
}

std::shared_ptr<BookCatalog> BookMgr::mappedCatalog(const Text& bookId) {
  if (auto cached = catalogCaching_.getCachedCatalog(reader(), bookId)) return cached;
  return getBookCatalog(bookId);
}

std::shared_ptr<BookCatalog> BookMgr::originalCatalog(const Text& bookId) {
  if (auto cached = catalogCaching_.getCachedCatalogOriginal(reader(), bookId)) return cached;
  return getBookCatalogOriginal(bookId);
}

std::shared_ptr<Section> BookMgr::mappedSection(const Text& bookId, const Text& sectionId) {
  if (!mappedCatalog(bookId)) return nullptr;
  return catalogCaching_.searchSection(reader(), bookId, sectionId);
}

std::shared_ptr<Section> BookMgr::originalSection(const Text& bookId, const Text& sectionId) {
  if (!originalCatalog(bookId)) return nullptr;
  return catalogCaching_.searchSectionOriginal(reader(), bookId, sectionId);
}

// ---- Reading position, progress, bookmarks, memos -------------------------------------------

void BookMgr::setBookReadInfo(const std::shared_ptr<BookReadInfo>& readInfo, const Text& bookId,
                              bool isPreview) {
  if (!readInfo || !mappedCatalog(bookId) || !persistenter_ ||
      !persistenter_->readInfoPersistenter()) {
    return;
  }
  const bool portrait = SystemEnvironment::isStatusBarPortrait();
  std::shared_ptr<Section> section = mappedSection(bookId, readInfo->sectionId());
  if (!section) {
    // The page is taken as a global page of the current orientation.
    const int32_t page = portrait ? readInfo->portraitPage() : readInfo->landscapePage();
    section = searchSectionWithPage(bookId, page, getFontSize(), !portrait);
  }
  if (portrait) readInfo->setLandscapePage(-1);
  else readInfo->setPortraitPage(-1);
  persistenter_->readInfoPersistenter()->insert(
      bookId, section ? section->id() : std::nullopt, readInfo->landscapePage(),
      readInfo->portraitPage(), getFontSize(), isPreview);
}

std::pair<int32_t, int32_t> BookMgr::convertPosition(const Text& bookId,
                                                     const std::shared_ptr<Section>& section,
                                                     int32_t landscapePage, int32_t portraitPage,
                                                     int32_t fromFontSize, int32_t toFontSize) {
  bool fromLandscape;
  int32_t relative;
  if (portraitPage >= 0) {
    fromLandscape = false;
    relative = portraitPage;
  } else if (landscapePage >= 0) {
    fromLandscape = true;
    relative = landscapePage;
  } else {
    return {0, 0};
  }
  auto old = pageInfoOf(section, fromFontSize);
  const int32_t global =
      saturate(static_cast<int64_t>(relative) + (old ? offsetOf(*old, fromLandscape) : 0));
  const int32_t toPortrait = calculatePageMapping(bookId, section->id(), global, fromFontSize,
                                                  toFontSize, fromLandscape, false);
  const int32_t toLandscape = calculatePageMapping(bookId, section->id(), global, fromFontSize,
                                                   toFontSize, fromLandscape, true);
  return {toLandscape, toPortrait};
}

std::shared_ptr<BookReadInfo> BookMgr::getBookReadInfo(const Text& bookId, int32_t fontSize,
                                                       bool isPreview) {
  if (!mappedCatalog(bookId) || !persistenter_ || !persistenter_->readInfoPersistenter()) {
    return nullptr;
  }
  auto info = persistenter_->readInfoPersistenter()->read(bookId, isPreview);
  if (!info || !info->sectionId()) return info;
  auto section = mappedSection(bookId, info->sectionId());
  if (!section) return info;
  auto [landscape, portrait] = convertPosition(bookId, section, info->landscapePage(),
                                               info->portraitPage(), info->fontSize(), fontSize);
  auto target = pageInfoOf(section, fontSize);
  if (SystemEnvironment::isStatusBarPortrait()) {
    info->setPortraitPage(portrait - (target ? target->portraitPageOffset() : 0));
    info->setLandscapePage(-1);
  } else {
    info->setLandscapePage(landscape - (target ? target->landscapePageOffset() : 0));
    info->setPortraitPage(-1);
  }
  info->setFontSize(fontSize);
  return info;
}

int32_t BookMgr::getBookReadProcessPercent(const Text& bookId, bool isPreview) {
  auto mapped = mappedCatalog(bookId);
  if (!mapped || !persistenter_ || !persistenter_->readInfoPersistenter()) return 0;
  auto info = persistenter_->readInfoPersistenter()->read(bookId, isPreview);
  if (!info) return 0;
  std::shared_ptr<PageInfo> total;
  if (mapped->pageInfos()) {
    for (const auto& p : *mapped->pageInfos()) {
      if (p && p->fontSize() == info->fontSize()) {
        total = p;
        break;
      }
    }
  }
  if (!total) return 0;
  auto section = pageInfoOf(mappedSection(bookId, info->sectionId()), info->fontSize());
  double percent = 0;
  if (info->portraitPage() >= 0) {
    if (total->portraitPage() <= 0) return 0;
    percent = (static_cast<double>(info->portraitPage()) +
               (section ? section->portraitPageOffset() : 0)) * 100.0f /
              total->portraitPage();
  } else if (info->landscapePage() >= 0) {
    if (total->landscapePage() <= 0) return 0;
    percent = (static_cast<double>(info->landscapePage()) +
               (section ? section->landscapePageOffset() : 0)) * 100.0f /
              total->landscapePage();
  }
  return static_cast<int32_t>(std::clamp(percent, 0.0, 100.0));
}

bool BookMgr::setBookmark(const std::shared_ptr<Bookmark>& bookmark, const Text& bookId) {
  if (!bookmark || !persistenter_ || !persistenter_->bookmarkPersistenter()) return false;
  return persistenter_->bookmarkPersistenter()->insert(
      bookId, bookmark->indexId(), bookmark->chapterId(), bookmark->sectionId(),
      bookmark->landscapePage(), bookmark->portraitPage(), bookmark->fontSize(),
      bookmark->timeString());
}

std::vector<std::shared_ptr<Bookmark>> BookMgr::getBookmarkInBook(const Text& bookId,
                                                                  int32_t fontSize) {
  std::vector<std::shared_ptr<Bookmark>> out;
  if (!persistenter_ || !persistenter_->bookmarkPersistenter()) return out;
  auto marks = persistenter_->bookmarkPersistenter()->read(bookId);
  const bool portrait = SystemEnvironment::isStatusBarPortrait();
  std::vector<SortedBookmark> sorted;
  for (const auto& mark : marks) {
    auto section = mappedSection(bookId, mark->sectionId());
    if (section && (mark->landscapePage() >= 0 || mark->portraitPage() >= 0)) {
      auto [landscape, portraitPage] = convertPosition(bookId, section, mark->landscapePage(),
                                                    mark->portraitPage(), mark->fontSize(),
                                                    fontSize);
      auto target = pageInfoOf(section, fontSize);
      mark->setLandscapePage(landscape - (target ? target->landscapePageOffset() : 0));
      mark->setPortraitPage(portraitPage - (target ? target->portraitPageOffset() : 0));
      mark->setFontSize(fontSize);
    }
    SortedBookmark entry;
    if (auto chapter = catalogCaching_.searchChapter(reader(), bookId, mark->chapterId())) {
      entry.chapterIndexId = chapter->indexId();
    }
    if (section) entry.sectionIndexId = section->indexId();
    entry.landscapePage = mark->landscapePage();
    entry.portraitPage = mark->portraitPage();
    entry.bookmark = mark;
    auto original = portrait ? MappingSectionToOriginal(bookId, mark->sectionId(), -1,
                                                        mark->portraitPage(), fontSize)
                             : MappingSectionToOriginal(bookId, mark->sectionId(),
                                                        mark->landscapePage(), -1, fontSize);
    if (original) mark->setTitle(original->title().value_or("(null)"));
    sorted.push_back(std::move(entry));
  }
  std::stable_sort(sorted.begin(), sorted.end(), [](const SortedBookmark& a,
                                                    const SortedBookmark& b) {
    return std::tie(a.chapterIndexId, a.sectionIndexId, a.landscapePage, a.portraitPage) <
           std::tie(b.chapterIndexId, b.sectionIndexId, b.landscapePage, b.portraitPage);
  });
  for (auto& s : sorted) out.push_back(std::move(s.bookmark));
  return out;
}

bool BookMgr::deleteBookmark(const Text& bookId, const Text& indexId) {
  if (!persistenter_ || !persistenter_->bookmarkPersistenter()) return false;
  return persistenter_->bookmarkPersistenter()->deleteWithindexId(bookId, indexId);
}

void BookMgr::deleteBookmark(const Text& bookId, int32_t page, int32_t fontSize, bool landscape) {
  for (const auto& mark : getBookmarkInBook(bookId, fontSize)) {
    bool onPage;
    if (landscape) {
      const int64_t right = static_cast<int64_t>(page) + 1;
      onPage = mark->landscapePage() == page || (right % 2 != 0 && mark->landscapePage() == right);
    } else {
      onPage = mark->portraitPage() == page;
    }
    if (onPage) deleteBookmark(bookId, mark->indexId());
  }
}

bool BookMgr::isBookMemoExist(const Text& bookId, const Text& indexId) {
  if (!persistenter_ || !persistenter_->bookmemoPersistenter()) return false;
  return persistenter_->bookmemoPersistenter()->isBookMemoedWithindexId(bookId, indexId);
}

bool BookMgr::setBookMemo(const std::shared_ptr<BookMemo>& memo, const Text& bookId,
                          const Text& indexId, int32_t color) {
  if (!memo || !persistenter_ || !persistenter_->bookmemoPersistenter()) return false;
  return persistenter_->bookmemoPersistenter()->insert(
      bookId, indexId, memo->chapterId(), memo->sectionId(), memo->landscapePage(),
      memo->portraitPage(), memo->fontSize(), memo->memoString(), memo->timeString(), color);
}

std::vector<std::shared_ptr<BookMemo>> BookMgr::getBookMemoInBook(const Text& bookId, int32_t) {
  if (!persistenter_ || !persistenter_->bookmemoPersistenter()) return {};
  return persistenter_->bookmemoPersistenter()->read(bookId);
}

bool BookMgr::deleteBookMemo(const Text& bookId, const Text& indexId) {
  if (!persistenter_ || !persistenter_->bookmemoPersistenter()) return false;
  return persistenter_->bookmemoPersistenter()->deleteWithindexId(bookId, indexId);
}

// ---- Search --------------------------------------------------------------------------------

std::optional<std::vector<std::shared_ptr<BookSearchResult>>> BookMgr::searchInChapterOrSection(
    const Text& bookId, const Text& chapterId, const Text& sectionId, const Text& keyWord) {
  if (!mappedCatalog(bookId)) return std::nullopt;
  std::vector<std::shared_ptr<BookSearchResult>> results;
  if (!keyWord || keyWord->empty() || !mappedSection(bookId, sectionId)) return results;
  Text path = getBookSectionHtmlFilePath(bookId, chapterId, sectionId);
  if (!path) return results;
  const auto bytes = FileUtil::readFile(*path);  // a regular file only, never a pipe waited on
  if (!bytes) return results;
  const std::string html(bytes->begin(), bytes->end());
  originalCatalog(bookId);
  auto title = [this, &bookId](const Text& originalId) -> std::string {
    auto section = catalogCaching_.searchSectionOriginal(reader(), bookId, originalId);
    if (!section) return std::string();
    std::string own = section->title().value_or("(null)");
    if (auto chapter =
            catalogCaching_.searchChapterOriginal(reader(), bookId, section->parentId())) {
      return chapter->title().value_or("(null)") + " " + own;
    }
    return own;
  };
  BookTextSearch::searchHtml(html, *keyWord, chapterId, sectionId, title, results);
  return results;
}

// ---- Books and users -------------------------------------------------------------------------

void BookMgr::deleteBook(const Text& bookId) {
  if (!persistenter_ || !bookId) return;
  if (auto s = persistenter_->readInfoPersistenter()) s->deleteBook(bookId);
  if (auto s = persistenter_->bookmarkPersistenter()) s->deleteBook(bookId);
  if (auto s = persistenter_->bookmemoPersistenter()) s->deleteBook(bookId);
  auto catalogs = persistenter_->catalogPersistenter();
  if (catalogs) catalogs->deleteBook(bookId);
  catalogCaching_.removeBook(bookId);
  std::error_code ec;
  if (catalogs && catalogs->isBookSubscribedByOtherUsers(bookId)) {
    // Another user still reads the book: only this user's own copies go.
    const fs::path ops = getBookOPSDirectory(*bookId);
    const std::string prefix = userKey() + "-";
    std::vector<fs::path> own;
    for (auto it = fs::recursive_directory_iterator(ops, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->path().lexically_relative(ops).string().rfind(prefix, 0) == 0) {
        own.push_back(it->path());
      }
    }
    for (const auto& path : own) fs::remove_all(path, ec);
    return;
  }
  // Relative to the books folder held open: a link among them goes as a link, never what it
  // points at. And what a download or an unpack of it left: a partial package, an unfinished
  // unpack.
  if (const std::optional<FolderHandle> books = FolderHandle::openExisting(CommInfo::getBooksDir())) {
    for (std::string path : {getBookUncompressedPath(*bookId), getBookEpubPath(*bookId),
                             getBookEpubTempPath(*bookId)}) {
      while (path.size() > 1 && path.back() == '/') path.pop_back();
      books->remove(fs::path(path).filename().string());
    }
  }
  StagedFolder::removeLeftovers(getBookUncompressedPath(*bookId));
}

void BookMgr::syncBookFromAnonymous() {
  if (!persistenter_) return;
  Text user = CommInfo::getUsername();
  if (!user) return;
  if (auto s = persistenter_->catalogPersistenter()) s->copyFromAnonymous(user);
  if (auto s = persistenter_->readInfoPersistenter()) s->copyFromAnonymous(user);
  if (auto s = persistenter_->bookmarkPersistenter()) s->copyFromAnonymous(user);
  if (auto s = persistenter_->bookmemoPersistenter()) s->copyFromAnonymous(user);

  auto feed = persistenter_->allocReadEntriesInFeedwithUsername(
      std::nullopt, std::string(BookStore::kGuestUserName), false);
  if (!feed || !feed->entrys()) return;
  const std::string guestKey = md5Key(BookStore::kGuestUserName);
  const std::string ownKey = userKey();
  for (const auto& entry : *feed->entrys()) {
    const auto& status = entry ? entry->veskEntryStatus() : nullptr;
    if (!status || status->type() != kBookEntryType || !entry->entryId()) continue;
    // The guest's own pages (regular files) copied relative to the book's folder held open,
    // never replacing a file of the reader's: a link there is neither read nor written through.
    const std::optional<FolderHandle> ops =
        FolderHandle::openExisting(getBookOPSDirectory(*entry->entryId()));
    if (!ops) continue;
    for (const std::string& name : ops->names()) {
      if (name.find(guestKey) == std::string::npos || !ops->isRegularFile(name)) continue;
      std::string renamed = name;
      for (size_t p = renamed.find(guestKey); p != std::string::npos;
           p = renamed.find(guestKey, p + ownKey.size())) {
        renamed.replace(p, guestKey.size(), ownKey);
      }
      if (ops->status(renamed)) continue;
      if (const std::optional<Bytes> page = ops->readFile(name)) ops->writeNewFile(renamed, *page);
    }
  }
}

// ---- Page mapping ----------------------------------------------------------------------------

void BookMgr::calibratePage(const Text& bookId, int32_t pages,
                            const std::optional<std::vector<std::string>>& originalIds,
                            const std::optional<std::vector<int32_t>>& startPages,
                            int32_t fontSize, bool landscape) {
  if (!bookId || !originalIds || !startPages || originalIds->empty() || startPages->empty() ||
      originalIds->size() != startPages->size() || !persistenter_ ||
      !persistenter_->catalogPersistenter()) {
    return;
  }
  const auto& store = persistenter_->catalogPersistenter();
  std::lock_guard<std::mutex> lock(calibrationMutex_);
  int64_t measured = pages;
  if (landscape && measured % 2 != 0) measured += 1;

  // The combined section, on a copy of the mapped catalogue.
  auto first = originalSection(bookId, originalIds->front());
  auto mapped = copyCatalog(mappedCatalog(bookId));
  if (first && first->mappingId() && mapped) {
    auto combined = findSection(mapped, *first->mappingId());
    auto info = pageInfoOf(combined, fontSize);
    if (info) {
      const int64_t stored = countOf(*info, landscape);
      if (measured >= 1 && measured != stored &&
          std::llabs(measured - stored) <= kMaxMappingCorrection) {
        setCount(*info, landscape, static_cast<int32_t>(measured));
        BookCatalogPersistenter::calibrateBookPageCatalog(mapped, fontSize);
        store->insertCatalog(bookId, mapped, true);
        catalogCaching_.cacheCatalog(reader(), bookId, mapped);
      }
    }
  }

  // The original sections, on a copy of the original catalogue.
  auto original = copyCatalog(originalCatalog(bookId));
  if (!original) return;
  bool changed = false;
  for (size_t i = 0; i < originalIds->size(); ++i) {
    const int64_t next = i + 1 < startPages->size() ? (*startPages)[i + 1] : measured;
    const int64_t count = next - (*startPages)[i];
    auto info = pageInfoOf(findSection(original, (*originalIds)[i]), fontSize);
    if (!info) continue;
    const int64_t stored = countOf(*info, landscape);
    if (count >= 1 && count != stored && std::llabs(count - stored) <= kMaxOriginalCorrection) {
      setCount(*info, landscape, static_cast<int32_t>(count));
      changed = true;
    }
  }
  if (changed) {
    BookCatalogPersistenter::calibrateBookPageCatalog(original, fontSize);
    store->insertCatalog(bookId, original, false);
    catalogCaching_.cacheCatalogOriginal(reader(), bookId, original);
  }
}

void BookMgr::setBookPageInfo(const Text&, const Text&, int32_t, int32_t, bool) {}

int32_t BookMgr::calculatePageMapping(const Text& bookId, const Text& mappingSectionId,
                                      int32_t page, int32_t fromFontSize, int32_t toFontSize,
                                      bool fromLandscape, bool toLandscape) {
  auto section = mappedSection(bookId, mappingSectionId);
  if (!section) return 0;
  const double p = page;
  // 1. Where the page lies, as a ratio within its original section (or the combined one).
  float ratio = 0.0f;
  std::shared_ptr<Section> original;
  if (auto from = pageInfoOf(section, fromFontSize)) {
    const int32_t relative = saturate(static_cast<int64_t>(page) - offsetOf(*from, fromLandscape));
    original = MappingSectionToOriginal(bookId, mappingSectionId, fromLandscape ? relative : -1,
                                        fromLandscape ? -1 : relative, fromFontSize);
    if (!original) {
      ratio = ratioIn(relative, countOf(*from, fromLandscape));
    } else if (auto q = pageInfoOf(original, fromFontSize)) {
      const int32_t offset = offsetOf(*q, fromLandscape);
      const int32_t count = countOf(*q, fromLandscape);
      if (!fromLandscape) {
        if (page == offset) ratio = 0.0f;
        else if (page == static_cast<int64_t>(offset) + count - 1) ratio = 100.0f;
        else ratio = ratioIn((p - offset) + 0.5, count);
      } else if (count > 1) {
        if (page == offset) {
          ratio = 0.0f;
        } else if (page == static_cast<int64_t>(offset) + count - 2) {
          ratio = 100.0f;
        } else {
          // The right page of the spread may start the next original section.
          auto right = MappingSectionToOriginal(bookId, mappingSectionId,
                                                saturate(static_cast<int64_t>(relative) + 1), -1,
                                                fromFontSize);
          if (!right || right == original) {
            ratio = ratioIn(p + 1 - offset, count);
          } else {
            ratio = 0.0f;
            original = right;
          }
        }
      } else {
        ratio = ratioIn(p - offset, count);
      }
    }
  }
  // 2. The same ratio at the target.
  auto to = pageInfoOf(section, toFontSize);
  if (!to) return 0;
  if (auto r = pageInfoOf(original, toFontSize)) {
    const int32_t count = countOf(*r, toLandscape);
    return clampToUnit(count * static_cast<double>(ratio) / 100.0 + offsetOf(*r, toLandscape),
                       offsetOf(*r, toLandscape), count);
  }
  const int32_t count = countOf(*to, toLandscape);
  return clampToUnit(count * static_cast<double>(ratio) / 100.0 + offsetOf(*to, toLandscape),
                     offsetOf(*to, toLandscape), count);
}

std::optional<size_t> BookMgr::indexOfSectionWithPage(
    const std::vector<std::shared_ptr<Section>>& all, int32_t page, int32_t fontSize,
    bool landscape) {
  for (size_t i = 0; i < all.size(); ++i) {
    auto info = pageInfoOf(all[i], fontSize);
    if (info && static_cast<int64_t>(offsetOf(*info, landscape)) + countOf(*info, landscape) >=
                    page) {
      return i;
    }
  }
  return std::nullopt;
}

std::shared_ptr<Section> BookMgr::searchSectionWithPage(const Text& bookId, int32_t page,
                                                        int32_t fontSize, bool landscape) {
  auto all = sectionsOf(mappedCatalog(bookId));
  auto i = indexOfSectionWithPage(all, page, fontSize, landscape);
  return i ? all[*i] : nullptr;
}

Text BookMgr::getNextSectionIdForThisPage(const Text& bookId, int32_t page, int32_t fontSize,
                                          bool landscape) {
  auto mapped = mappedCatalog(bookId);
  if (!mapped || !mapped->chapters()) return std::nullopt;
  for (const auto& chapter : *mapped->chapters()) {
    if (!chapter || !chapter->sections()) continue;
    const auto& sections = *chapter->sections();
    for (size_t i = 0; i + 1 < sections.size(); ++i) {
      auto info = pageInfoOf(sections[i], fontSize);
      if (info && static_cast<int64_t>(offsetOf(*info, landscape)) + countOf(*info, landscape) >=
                      page) {
        return sections[i + 1] ? sections[i + 1]->id() : std::nullopt;
      }
    }
  }
  return std::nullopt;
}

Text BookMgr::getPrevSectionIdForThisPage(const Text& bookId, int32_t page, int32_t fontSize,
                                          bool landscape) {
  auto all = sectionsOf(mappedCatalog(bookId));
  auto i = indexOfSectionWithPage(all, page, fontSize, landscape);
  if (!i || *i == 0) return std::nullopt;
  return all[*i - 1]->id();
}

std::shared_ptr<Section> BookMgr::MappingSectionToOriginal(const Text& bookId,
                                                           const Text& mappingSectionId,
                                                           int32_t landscapePage,
                                                           int32_t portraitPage,
                                                           int32_t fontSize) {
  auto combined = pageInfoOf(mappedSection(bookId, mappingSectionId), fontSize);
  if (!combined) return nullptr;
  auto section = catalogCaching_.searchSection(reader(), bookId, mappingSectionId);
  if (!section || !section->originalIds() || !originalCatalog(bookId)) return nullptr;
  for (const std::string& id : *section->originalIds()) {
    auto original = catalogCaching_.searchSectionOriginal(reader(), bookId, id);
    auto info = pageInfoOf(original, fontSize);
    if (!info) continue;
    if (landscapePage >= 0) {
      if (static_cast<int64_t>(info->landscapePageOffset()) + info->landscapePage() >
          static_cast<int64_t>(combined->landscapePageOffset()) + landscapePage) {
        return original;
      }
    } else if (portraitPage >= 0) {
      if (static_cast<int64_t>(info->portraitPageOffset()) + info->portraitPage() >
          static_cast<int64_t>(combined->portraitPageOffset()) + portraitPage) {
        return original;
      }
    }
  }
  return nullptr;
}

}  // namespace zu
