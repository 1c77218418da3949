// HtmlParser: makes one downloaded book section (or a whole chapter's page) readable offline.
// Given the page's HTML it lists the pictures, style sheets and scripts the page needs; the
// section download task fetches each and hands it to saveFile, which stores it in the book's
// folder and points the page at the local copy; when every listed resource has been handled
// (or at once when there is none) the page is written.
//
// Files, below CommInfo::getBooksDir() and the book folder B = Md5::encode(bookId):
//   B/OPS/<section>.htm            the page (B/OPS/ch<chapter>.htm when the section index is
//                                  negative: the page stands for a whole chapter)
//   B/OPS/<section>_files/<name>   a resource (ch<chapter>_files/ likewise); the page refers to
//                                  it as "<section>_files/<name>".
// <name> is the last path component of the address, made safe for a file name and a relative
// reference (query and fragment dropped, characters other than letters, digits, '.', '-' and
// '_' turned into '_', never "", "." or "..", at most kMaxNameLength bytes); two addresses that
// would share a name get distinct names ("1_<name>", "2_<name>" ...).
//
// Each address is listed once, however often the page names it, so it is fetched once. The
// page is rewritten when it is written (AddressReplacer): every occurrence of a stored
// resource's address (ASCII case ignored) becomes its local reference, the longest address
// winning where addresses overlap; the work is linear in the page and its addresses.
//
// Used by one task on one thread; not locked.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/book/AddressReplacer.h"

namespace zu {

class HtmlParser {
 public:
  static constexpr size_t kMaxNameLength = 100;

  // Keeps the book id and indexes, decodes `data` as UTF-8 (invalid bytes become U+FFFD) and
  // lists its resources into `urls` (when given), each address once in the order of its first
  // mention: the pictures, then the style sheets and scripts. Writes the page at once when it
  // has none. Returns whether the HTML could be read
  // (an unreadable page has no resources and is written as it came).
  bool allocParseUrlInHtml(std::string_view data, std::optional<std::string> bookId,
                           int32_t chapterIndex, int32_t sectionIndex,
                           std::vector<std::string>* urls);
  // Stores one fetched resource and points the page at it; writes the page when this was the
  // last listed one to handle (a listed address counts once, however often it is saved). A resource that cannot be written still counts as handled (the page
  // keeps its remote address). False when it could not be written (no book id, or the file
  // system refused).
  bool saveFile(const std::string& url, std::string_view data);

  // 1: the page folder, 2: the resource folder, each ending in "/". Nullopt without a book id
  // or for another kind.
  std::optional<std::string> getFilePath(int kind) const;
  // Replaces the file at `path` with `data`, written whole under a new name and renamed into
  // place; a link at `path` or in place of its folder is replaced, never written through. False
  // for no path or when the write failed (logged).
  static bool write2File(const std::optional<std::string>& path, std::string_view data);
  // Writes the page (creating its folder) as UTF-8. False when it could not be written.
  bool saveHtml2File();

  // The page as rewritten so far (the stored resources' addresses replaced).
  std::string htmlStr() const;
  void setHtmlStr(std::string html);
  const std::optional<std::string>& bookId() const { return bookId_; }
  void setBookId(std::optional<std::string> bookId) { bookId_ = std::move(bookId); }
  // Writes the page and its resources below `folder` (ending in '/') instead of the book's
  // "B/OPS/": an update stages its sections beside the book and puts them in place at the end.
  void setPagesFolder(std::optional<std::string> folder) { pagesFolder_ = std::move(folder); }
  int32_t chapterIndex() const { return chapterIndex_; }
  int32_t sectionIndex() const { return sectionIndex_; }
  // Distinct addresses listed: pictures, and style sheets and scripts not already pictures.
  int32_t imageCount() const { return imageCount_; }
  int32_t cssJsCount() const { return cssJsCount_; }
  int32_t doneCount() const { return doneCount_; }

  // The local file name an address gets (assigned on first use, stable afterwards).
  std::string localNameFor(const std::string& url);

 private:
  // "<index>_files/" or "ch<index>_files/".
  std::string resourcePrefix() const;

  // The page as it came (decoded); the stored resources' addresses and their references.
  std::string page_;
  AddressReplacer replacer_;
  std::unordered_set<std::string> listed_;
  std::unordered_set<std::string> handled_;
  std::optional<std::string> bookId_;
  std::optional<std::string> pagesFolder_;
  int32_t chapterIndex_ = 0;
  int32_t sectionIndex_ = 0;
  int32_t imageCount_ = 0;
  int32_t cssJsCount_ = 0;
  int32_t doneCount_ = 0;
  std::map<std::string, std::string> localNames_;
  std::set<std::string> usedNames_;
  // For a name already given: the highest number it has been given with ("<n>_<name>").
  std::map<std::string, int> nextNumber_;
};

}  // namespace zu
