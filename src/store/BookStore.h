// BookStore: the common ground of the book stores (catalogue, reading position, book
// subscription, bookmark and memo). None opens a database of its own: the subscription entry
// store makes them at its open and hands each its SQLite connection and its lock, which they
// borrow (shared ownership keeps both alive as long as any store holds them). Every statement
// of a book store runs between lock and unlock of that one mutex, so entry rows and book rows of
// "userSubscribe.db" never interleave; table creation and the column check run at construction
// without it.
//
// Statements are prepared once per store and reused; values are always bound. Failures are
// logged with the store's class name ("BookMarkPersistenter: ...") and reported as false, null
// or an empty result; nothing is thrown.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/sqlite/Database.h"

namespace zu {

class BookPosition;

class BookStore {
 public:
  using Text = std::optional<std::string>;
  using Binder = std::function<void(Statement&)>;
  using RowReader = std::function<void(const Statement&)>;

  // The user name of a reader who has not logged in.
  static constexpr const char* kGuestUserName = "wayfarers";

  virtual ~BookStore();
  BookStore(const BookStore&) = delete;
  BookStore& operator=(const BookStore&) = delete;

  const std::shared_ptr<Database>& database() const { return database_; }
  const std::shared_ptr<std::mutex>& databaseCondition() const { return databaseCondition_; }

  // The row key of the book stores: upper-case hex MD5 of the parts joined by "+".
  static Text rowId(const std::vector<std::string>& parts);

 protected:
  BookStore(std::shared_ptr<Database> database, std::shared_ptr<std::mutex> databaseCondition,
            const char* className);

  // Runs `createSql`; on failure logs "<createErrorText>: <message>" and returns
  // false. Otherwise logs "<class>: tableColumnCheck" and adds each definition whose column
  // the table lacks, logging "<class>: tableCheck error:<message>" for a failed one.
  bool createTable(const char* createSql, const char* createErrorText, const char* table,
                   const std::vector<std::string>& definitions);

  // A cached statement that is reset and unbound when the use ends, so its read lock is
  // released on every path. Empty (false) when the SQL cannot be prepared.
  class Use {
   public:
    explicit Use(Statement* s) : s_(s) {}
    ~Use();
    Use(Use&& other) noexcept : s_(other.s_) { other.s_ = nullptr; }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    explicit operator bool() const { return s_ != nullptr; }
    Statement* operator->() const { return s_; }
    Statement& operator*() const { return *s_; }

   private:
    Statement* s_;
  };
  // Call under the lock.
  Use use(const char* sql);

  // One write under the lock, values bound by `bind`: true only when SQLite reports it done;
  // otherwise logs "<class>: <action> error:<message>". The Locked forms expect the lock held.
  bool write(const char* sql, const Binder& bind, const char* action);
  bool writeLocked(const char* sql, const Binder& bind, const char* action);
  // One query under the lock: `row` sees each result row in order. False when the statement
  // cannot be prepared or stepping fails.
  bool query(const char* sql, const Binder& bind, const RowReader& row);
  bool queryLocked(const char* sql, const Binder& bind, const RowReader& row);
  // Deletes with `sql`, whose parameters are `keys` then the current user, under the lock.
  bool deleteOwnRows(const char* sql, std::initializer_list<Text> keys);
  // A query of the current user's rows: parameters `keys` then the current user.
  bool queryOwnRows(const char* sql, std::initializer_list<Text> keys, const RowReader& row);
  // A position's landscape page, portrait page, font size, chapter id and section id from
  // result columns 0 to 4.
  static void readPosition(const Statement& s, BookPosition& position);
  // Under one lock: reads the guest's rows with `selectSql` (each handed to `collect`) and,
  // when there were any, runs `writeAll` in one transaction; a failed commit is logged as
  // "<class>: insert error:<message>".
  void copyGuestRows(const char* selectSql, const RowReader& collect,
                     const std::function<void()>& writeAll);
  // A "select count(*)" under the lock: true when the count is above 0.
  bool countAboveZero(const char* sql, const Binder& bind);

  // "(null)" for a missing text, for log lines.
  static const char* cstr(const Text& text) { return text ? text->c_str() : "(null)"; }

  const char* className_;
  std::shared_ptr<Database> database_;
  std::shared_ptr<std::mutex> databaseCondition_;

 private:
  std::unordered_map<std::string, Statement> statements_;
};

}  // namespace zu
