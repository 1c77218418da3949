// BookMarkPersistenter: the reader's bookmarks in books, in the table `bookmark` of
// "userSubscribe.db": one row per bookmark and user, keyed by the upper-case MD5 of
// "<book id>+<index id>+<user name>" (index id: the bookmark's position key, given by the
// reader), so a second bookmark with the same book and index id replaces the first. The same key
// rule holds for the guest's bookmarks carried over at a login, so a later bookmark of the same
// place replaces the carried one instead of doubling it.
//
// Made by the subscription entry store with its connection and lock (BookStore); used by the
// book manager from the main thread and the "task" thread, each operation under the shared
// lock. Failures are logged ("BookMarkPersistenter: ...") and reported as false or an empty list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "store/BookStore.h"

namespace zu {

class Bookmark;

class BookMarkPersistenter : public BookStore {
 public:
  // initWithsetDB: keeps the borrowed connection and lock and creates the table.
  BookMarkPersistenter(std::shared_ptr<Database> database,
                       std::shared_ptr<std::mutex> databaseCondition);

  // Stores (replaces) a bookmark of the current user; a missing section id is stored as NULL.
  // False without a chapter id (nothing written), book id or current user, or when the write
  // fails.
  bool insert(const Text& bookId, const Text& indexId, const Text& chapterId,
              const Text& sectionId, int32_t landscapePage, int32_t portraitPage,
              int32_t fontSize, const Text& timeString);
  // Deletes the current user's bookmarks of the book.
  bool deleteBook(const Text& bookId);
  bool deleteWithindexId(const Text& bookId, const Text& indexId);
  // The current user's bookmarks of the book in row order (title not set).
  std::vector<std::shared_ptr<Bookmark>> read(const Text& bookId);
  // Copies the guest's bookmarks to `username` in one transaction (guest rows stay).
  void copyFromAnonymous(const Text& username);
  // Whether a user other than the current one has a bookmark in the book.
  bool isBookMarkdByOtherUsers(const Text& bookId);
};

}  // namespace zu
