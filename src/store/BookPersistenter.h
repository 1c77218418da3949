// BookPersistenter: the book entries a user subscribed to, in the table `booksubscribe` of
// "userSubscribe.db": one row per entry and user (row id: upper-case MD5 of
// "<entry id>+<user name>"), the entry kept as its stored entry XML (`data`, with its byte
// length in `data_len`) and read back as a Column.
//
// Made by the subscription entry store with its connection and lock (BookStore); each
// operation runs under the shared lock. Failures are logged ("BookPersistenter: ...") and
// reported as false, null or an empty list.
#pragma once

#include <memory>
#include <vector>

#include "store/BookStore.h"

namespace zu {

class Entry;

class BookPersistenter : public BookStore {
 public:
  // initWithsetDB: keeps the borrowed connection and lock and creates the table.
  BookPersistenter(std::shared_ptr<Database> database,
                   std::shared_ptr<std::mutex> databaseCondition);

  // Stores (replaces) the entry for the current user. False for an entry without id or XML,
  // without a current user, or when the write fails.
  bool insert(const std::shared_ptr<Entry>& entry);
  bool deleteEntry(const Text& entryId);
  bool isExist(const Text& entryId);
  // The current user's stored entry, or null.
  std::shared_ptr<Entry> read(const Text& entryId);
  // Every stored entry of the current user, in row order (unreadable rows left out).
  std::vector<std::shared_ptr<Entry>> readAll();
};

}  // namespace zu
