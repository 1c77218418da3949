// BookReadInfoPersistenter: the reading position of each book per user, kept apart for the full
// book and its free preview, in the table `readinfo` of "userSubscribe.db". A position is the
// combined section that holds it and the page inside that section in the orientation it was
// taken in (-1 in the other), at the font size the pages were counted at. The row id is the
// upper-case MD5 of "<book id>+<0 or 1 for preview>+<user name>".
//
// Made by the subscription entry store with its connection and lock (BookStore); called by the
// book manager from the main thread and the "task" thread, each operation under the shared
// lock. Failures are logged ("BookReadInfoPersistenter: ...") and reported as false.
#pragma once

#include <cstdint>
#include <memory>

#include "store/BookStore.h"

namespace zu {

class BookReadInfo;

class BookReadInfoPersistenter : public BookStore {
 public:
  // initWithsetDB: keeps the borrowed connection and lock and creates the table.
  BookReadInfoPersistenter(std::shared_ptr<Database> database,
                           std::shared_ptr<std::mutex> databaseCondition);

  // Stores (replaces) the current user's position in the book. False without a book id or a
  // current user, or when the write fails.
  bool insert(const Text& bookId, const Text& sectionId, int32_t landscapePage,
              int32_t portraitPage, int32_t fontSize, bool isPreview);
  // Deletes the current user's positions in the book, preview and full.
  bool deleteBook(const Text& bookId);
  // The stored position; never null: with no row it has no section id.
  std::shared_ptr<BookReadInfo> read(const Text& bookId, bool isPreview);
  // Copies the guest's positions to `username` in one transaction (guest rows stay).
  void copyFromAnonymous(const Text& username);
};

}  // namespace zu
