// BookMemoPersistenter: the reader's memos (notes with a colour at a place in a book), in the
// table `bookmemo` of "userSubscribe.db": one row per memo and user, keyed by the upper-case MD5
// of "<book id>+<index id>+<user name>", for new rows and for the guest's rows carried over at a
// login alike. Memo texts are typed by the reader and are stored exactly, quotes included.
//
// Made by the subscription entry store with its connection and lock (BookStore); used by the
// book manager from the main thread and the "task" thread, each operation under the shared
// lock. Failures are logged ("BookMemoPersistenter: ...") and reported as false or an empty list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "store/BookStore.h"

namespace zu {

class BookMemo;

class BookMemoPersistenter : public BookStore {
 public:
  // initWithsetDB: keeps the borrowed connection and lock and creates the table.
  BookMemoPersistenter(std::shared_ptr<Database> database,
                       std::shared_ptr<std::mutex> databaseCondition);

  // Stores (replaces) a memo of the current user; a missing description is stored as "", a
  // missing section id as NULL. False without a chapter id (nothing written), book id or
  // current user, or when the write fails.
  bool insert(const Text& bookId, const Text& indexId, const Text& chapterId,
              const Text& sectionId, int32_t landscapePage, int32_t portraitPage,
              int32_t fontSize, const Text& description, const Text& timeString, int32_t color);
  bool deleteBook(const Text& bookId);
  bool deleteWithindexId(const Text& bookId, const Text& indexId);
  // The current user's memos of the book in row order.
  std::vector<std::shared_ptr<BookMemo>> read(const Text& bookId);
  bool isBookMemoedWithindexId(const Text& bookId, const Text& indexId);
  // Copies the guest's memos to `username` in one transaction (guest rows stay).
  void copyFromAnonymous(const Text& username);
  bool isBookMemoedByOtherUsers(const Text& bookId);
};

}  // namespace zu
