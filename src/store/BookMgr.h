// BookMgr: the single entry point for everything about downloaded books: where a book's files
// lie, its original and mapped catalogues (through the catalogue store and its own in-memory
// catalogue cache), combining original sections into the files the reader shows, the page
// arithmetic between font sizes and orientations, the reading position and progress, bookmarks,
// memos, search inside a combined section, deleting a book, and carrying a guest's books over to
// a user who logs in. It is the BookSectionSource the catalogue parser asks which sections must
// be downloaded.
//
// Files, under CommInfo::getBooksDir(), with B the upper-case MD5 of the book id and U that of
// the current user name: "B.epub" (package), "B/" (unpacked), "B/OPS/" (content): "n.htm" the
// original section of indexId n, "chn.htm" the chapter-level file of chapter n (for sections
// whose indexId is below 1), "con.htm" the combined section n; "U-n.htm", "U-chn.htm" and
// "U-con.htm" are the current user's own copies, preferred when present and not empty.
//
// Threads: the data engine owns one BookMgr (made with the subscription entry store, whose book
// stores it uses) and calls it from the main thread (reading screens) and the "task" thread
// (downloads, sync). The stores lock the shared database themselves; the catalogue cache has its
// own lock and keeps each reader's catalogues apart (the current reader is CommInfo's user
// name). Catalogues handed out are shared with the cache and must not be changed: a
// calibration works on a copy, stores it and caches the copy. The font size is the integer user
// default "K_BOOKFONT_SIZE" (below 1 or missing: 2); the orientation is the status bar's
// (SystemEnvironment). Missing catalogues, sections or rows give null, 0 or no action.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/book/BookSectionSource.h"
#include "store/BookCatalogCaching.h"

struct _xmlNode;

namespace zu {

class BookCatalog;
class BookMemo;
class BookReadInfo;
class BookSearchResult;
class Bookmark;
class Chapter;
class EntryPersistenter;
class PageInfo;
class Section;

class BookMgr : public BookSectionSource {
 public:
  using Text = std::optional<std::string>;

  static constexpr const char* kFontSizeKey = "K_BOOKFONT_SIZE";
  static constexpr int32_t kDefaultFontSize = 2;
  // The host of the blank-paragraph script of the old layout, until configured.
  static constexpr const char* kDefaultContentHost = "http://book.vesk.com";

  // initWithPersistenter: keeps the subscription entry store and makes an empty cache.
  explicit BookMgr(std::shared_ptr<EntryPersistenter> persistenter);

  const std::shared_ptr<EntryPersistenter>& persistenter() const { return persistenter_; }
  void setPersistenter(std::shared_ptr<EntryPersistenter> persistenter);
  BookCatalogCaching& catalogCaching() { return catalogCaching_; }
  // The service's content host for the old layout's script (configuration: set once before
  // the first combining, not while other threads call in).
  void setContentHost(std::string host);

  // ---- Files -------------------------------------------------------------------------------

  std::string getBookEpubPath(const std::string& bookId) const;
  // Where the package is written while it downloads (kept for a resume until it is whole).
  std::string getBookEpubTempPath(const std::string& bookId) const;
  std::string getBookOPSDirectory(const std::string& bookId) const;
  std::string getBookUncompressedPath(const std::string& bookId) const;
  // The combined file to read for a combined section id: the user's non-empty copy, else the
  // shared one when it exists; otherwise the original file of the same ids.
  Text getBookSectionHtmlFilePath(const Text& bookId, const Text& chapterId,
                                  const Text& sectionId);
  // The original file of an original section (or, for a section whose indexId is below 1 or
  // without a section id, of the chapter): the user's non-empty copy, else the shared path
  // (returned whether it exists or not). Null when the section or chapter is not in the
  // original catalogue.
  Text getBookSectionHtmlFilePathOriginal(const Text& bookId, const Text& chapterId,
                                          const Text& sectionId);
  // Where the page text saved for the user goes: "B/OPS/U-con.htm" of the combined section;
  // null without section id or when the section is not in the mapped catalogue.
  Text getBookSectionHtmlFilePathForSave(const Text& bookId, const Text& chapterId,
                                         const Text& sectionId);

  // BookSectionSource.
  std::optional<std::string> getBookSectionHtmlFilePath(const std::string& bookId,
                                                        const std::string& chapterId,
                                                        const std::string& sectionId) override;
  // The original section from the cache (null when that catalogue is not cached).
  std::shared_ptr<Section> getSectionInfo(const std::string& bookId,
                                          const std::string& sectionId) override;

  // ---- Combined files --------------------------------------------------------------------

  static bool recursionDeleteSpecialNode(_xmlNode* node, const std::string& nodeName,
                                         const std::string& nodeId);
  // Writes the HTML text as the user's copy of the combined section. False when an argument is
  // missing, the section is unknown or the text cannot be written.
  bool saveBookSectionHtml(const Text& bookId, const Text& chapterId, const Text& sectionId,
                           const Text& html);
  static bool isTextNode(const char* name);
  // Writes "B/OPS/con.htm" for every combined section of the mapped catalogue from its original
  // files (re-reading the mapped catalogue from the store).
  void combineBookSections(const Text& bookId);

  // ---- Catalogues --------------------------------------------------------------------------

  // Reads the catalogue feed, builds and stores both catalogues for the current user; a cached
  // copy of the book's catalogues is replaced by the new ones.
  bool setBookCatalog(const std::optional<std::string_view>& data, const Text& bookId);
  // Copies the book's catalogues held by any user to the current user.
  void copyBookCatalogFromOther(const Text& bookId);
  // Reads the mapped (original) catalogue from the store and caches it; null when absent.
  std::shared_ptr<BookCatalog> getBookCatalog(const Text& bookId);
  std::shared_ptr<BookCatalog> getBookCatalogOriginal(const Text& bookId);

  // ---- Reading position, progress, bookmarks, memos ---------------------------------------

  void setBookReadInfo(const std::shared_ptr<BookReadInfo>& readInfo, const Text& bookId,
                       bool isPreview);
  // The stored position converted to `fontSize` in the current orientation (the other
  // orientation's page -1); null without mapped catalogue.
  std::shared_ptr<BookReadInfo> getBookReadInfo(const Text& bookId, int32_t fontSize,
                                                bool isPreview);
  // How far the book has been read, 0..100 (0 without catalogue, position or pages).
  int32_t getBookReadProcessPercent(const Text& bookId, bool isPreview);
  bool setBookmark(const std::shared_ptr<Bookmark>& bookmark, const Text& bookId);
  // The book's bookmarks converted to `fontSize`, titled with their original section, sorted
  // by chapter, combined section, landscape page and portrait page.
  std::vector<std::shared_ptr<Bookmark>> getBookmarkInBook(const Text& bookId, int32_t fontSize);
  bool deleteBookmark(const Text& bookId, const Text& indexId);
  // Deletes the bookmarks on the shown page: in landscape also those on the right page of the
  // spread (page + 1 when that is odd).
  void deleteBookmark(const Text& bookId, int32_t page, int32_t fontSize, bool landscape);
  bool isBookMemoExist(const Text& bookId, const Text& indexId);
  bool setBookMemo(const std::shared_ptr<BookMemo>& memo, const Text& bookId, const Text& indexId,
                   int32_t color);
  std::vector<std::shared_ptr<BookMemo>> getBookMemoInBook(const Text& bookId, int32_t fontSize);
  bool deleteBookMemo(const Text& bookId, const Text& indexId);

  // ---- Search ------------------------------------------------------------------------------

  // Every hit of the keyword in the combined section's file; nullopt without mapped catalogue,
  // empty for an empty keyword or an unknown section.
  std::optional<std::vector<std::shared_ptr<BookSearchResult>>> searchInChapterOrSection(
      const Text& bookId, const Text& chapterId, const Text& sectionId, const Text& keyWord);

  // ---- Books and users ---------------------------------------------------------------------

  // Deletes the current user's rows of the book; then removes only the user's own files when
  // another user still holds the book, else the whole unpacked folder and package.
  void deleteBook(const Text& bookId);
  // Carries the guest's catalogues, positions, bookmarks, memos and own book files over to the
  // current user (after a login). The guest's rows and files stay.
  void syncBookFromAnonymous();

  // ---- Page mapping ------------------------------------------------------------------------

  // Corrects stored page counts from the reader's measurement of one combined section:
  // `pages` its total, `originalIds` the original sections in it with their first pages
  // `startPages`. Counts off by more than 34 (combined) or 14 (original) pages are ignored.
  void calibratePage(const Text& bookId, int32_t pages,
                     const std::optional<std::vector<std::string>>& originalIds,
                     const std::optional<std::vector<int32_t>>& startPages, int32_t fontSize,
                     bool landscape);
  // Takes a section's page counts as the reader measured them; nothing is kept (the stored
  // counts are corrected by calibratePage).
  void setBookPageInfo(const Text& bookId, const Text& sectionId, int32_t landscapePages,
                       int32_t portraitPages, bool landscape);
  // The global page at the target font size and orientation that shows the same place as
  // `page` (global) of the combined section at the source ones; within that section's (or
  // original section's) pages, 0 when the section has no counts.
  int32_t calculatePageMapping(const Text& bookId, const Text& mappingSectionId, int32_t page,
                               int32_t fromFontSize, int32_t toFontSize, bool fromLandscape,
                               bool toLandscape);
  Text getNextSectionIdForThisPage(const Text& bookId, int32_t page, int32_t fontSize,
                                   bool landscape);
  // The combined section before the one searchSectionWithPage finds, in reading order; null
  // for the first one or when none holds the page.
  Text getPrevSectionIdForThisPage(const Text& bookId, int32_t page, int32_t fontSize,
                                   bool landscape);
  // The original section holding the page (relative to the combined section; landscape when
  // `landscapePage` >= 0, else portrait when `portraitPage` >= 0).
  std::shared_ptr<Section> MappingSectionToOriginal(const Text& bookId,
                                                    const Text& mappingSectionId,
                                                    int32_t landscapePage, int32_t portraitPage,
                                                    int32_t fontSize);
  // The first combined section whose pages at the font size reach the global page.
  std::shared_ptr<Section> searchSectionWithPage(const Text& bookId, int32_t page,
                                                 int32_t fontSize, bool landscape);

  static int32_t getFontSize();

 private:
  // The catalogue from the cache, else read and cached.
  std::shared_ptr<BookCatalog> mappedCatalog(const Text& bookId);
  std::shared_ptr<BookCatalog> originalCatalog(const Text& bookId);
  std::shared_ptr<Section> mappedSection(const Text& bookId, const Text& sectionId);
  std::shared_ptr<Section> originalSection(const Text& bookId, const Text& sectionId);
  // The current reader's name, the catalogue cache's key beside the book id.
  static std::string reader();
  std::string userKey() const;
  // Converts a stored position (pages relative to `section` at `fromFontSize`) to global pages
  // at `toFontSize` in portrait and landscape.
  std::pair<int32_t, int32_t> convertPosition(const Text& bookId,
                                              const std::shared_ptr<Section>& section,
                                              int32_t landscapePage, int32_t portraitPage,
                                              int32_t fromFontSize, int32_t toFontSize);
  // The combined sections in reading order with the index of the one holding the page.
  std::optional<size_t> indexOfSectionWithPage(const std::vector<std::shared_ptr<Section>>& all,
                                               int32_t page, int32_t fontSize, bool landscape);

  std::shared_ptr<EntryPersistenter> persistenter_;
  BookCatalogCaching catalogCaching_;
  std::string contentHost_ = kDefaultContentHost;
  // Serialises calibrations, each a read-copy-store of both catalogues.
  std::mutex calibrationMutex_;
};

}  // namespace zu
