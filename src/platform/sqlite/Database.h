// Database: one open SQLite connection (RAII; closed on destruction). Every SQL value goes
// through a prepared Statement with bound parameters; exec() is for fixed schema text only.
// Connections are opened in serialized mode, so one Database may be used from several threads,
// but a Statement and the connection's "last error" belong to one caller at a time: callers that
// share a Database across threads serialise each statement's bind/step/read sequence themselves.
// Failures are returned as SQLite result codes with lastError() text; nothing is thrown.
// No file of more than one name (a hard link) is written: SQLite's opens are guarded
// (SqliteFileGuard), so such a store is first replaced by a copy of one name.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/FolderHandle.h"
#include "platform/sqlite/Statement.h"

namespace zu {

class Database {
 public:
  // Read-write, created when missing. The full-mutex flag is always added by open().
  static constexpr int kDefaultOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  // How long a statement of a newly opened connection waits for another connection's lock
  // (another store, thread or process on the same file) before failing with SQLITE_BUSY.
  static constexpr int kDefaultBusyTimeoutMs = 5000;

  Database() = default;
  ~Database();
  Database(Database&& other) noexcept;
  Database& operator=(Database&& other) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens (or creates) the file, with kDefaultBusyTimeoutMs as its busy timeout. Returns
  // SQLITE_OK or the failure code (lastError() tells why; the object then stays closed). An
  // already open connection is closed first.
  int open(const std::string& path, int flags = kDefaultOpenFlags);
  // Opens (or creates) the file `name` in `folder` as open() does, never through a link
  // (SQLITE_OPEN_NOFOLLOW). Anything but a regular file at its name or its journal's ("-wal",
  // "-shm", "-journal") — a link, a named pipe, a folder — is set aside first
  // (FolderHandle::setAsideUnlessFile: renamed beside it, never followed or deleted, reported),
  // so the store is made anew instead of failing at every launch. A regular file that does not
  // open stays as it is (the failure is returned).
  int openInFolder(const FolderHandle& folder, std::string_view name,
                   int flags = kDefaultOpenFlags);
  void close();
  bool isOpen() const { return db_ != nullptr; }

  // Runs fixed SQL text (schema, pragmas; may hold several statements). Never pass values in it.
  int exec(const std::string& sql);

  // Prepares one statement; on failure the returned Statement is not valid() and lastError()
  // says why. Prepare once and reuse with reset().
  Statement prepare(std::string_view sql);

  // Text of the most recent failure on this connection (or of the failed open).
  std::string lastError() const;
  int lastErrorCode() const;

  int64_t lastInsertRowId() const;
  // Rows changed by the most recent write.
  int changes() const;
  // How long a statement waits for another connection's lock before returning SQLITE_BUSY.
  void setBusyTimeout(int milliseconds);

  // Names of the table's columns in order (from "PRAGMA table_info"); empty when the table
  // does not exist.
  std::vector<std::string> columnNames(const std::string& table);

  // Definitions ("name type", e.g. "readstatus interger") whose first word (the text before the
  // first blank) names no existing column, compared without regard to case. Each existing column
  // removes only the first definition it matches.
  std::vector<std::string> missingColumns(const std::string& table,
                                          const std::vector<std::string>& definitions);

  // Adds every missing column with "alter table <table> add <definition>;", in order. A failed
  // addition is reported to onError (with the SQLite message) and the next one is tried.
  // Returns the number of columns added.
  int addMissingColumns(const std::string& table, const std::vector<std::string>& definitions,
                        const std::function<void(const std::string& error)>& onError = {});

  // The raw handle, for the rare call this wrapper does not cover.
  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::string openError_;
  int openErrorCode_ = SQLITE_OK;
};

// Transaction: a write transaction. "begin immediate" on construction takes the file's write
// lock at once (waiting for another connection's up to the busy timeout), so two connections
// that each read and then write inside a transaction cannot lock each other out. commit()
// makes the changes permanent; a transaction that was begun but not committed is rolled back
// when the object goes out of scope (also when commit() itself failed, e.g. with SQLITE_BUSY).
//
// CommitSync::kDeferred commits without waiting for the disk, on a connection in write-ahead-log
// mode whose "synchronous" is FULL or EXTRA: the level is lowered to NORMAL for this transaction
// and restored after it. A killed process still loses nothing committed; a power cut may lose
// this commit (and other deferred ones after the last full sync), never the file's consistency.
// The next commit at the connection's own level syncs the log and so every deferred commit
// before it. Without write-ahead logging the commit keeps the connection's level. The caller
// serialises the connection's use for the whole transaction, as for any statement.
class Transaction {
 public:
  enum class CommitSync { kAsOpened, kDeferred };

  explicit Transaction(Database& db, CommitSync sync = CommitSync::kAsOpened);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Whether "begin" succeeded.
  bool ok() const { return beginCode_ == SQLITE_OK; }
  int beginCode() const { return beginCode_; }
  // Returns SQLITE_OK on success; SQLITE_MISUSE when the transaction never began or is done.
  int commit();

 private:
  void restoreSync();

  Database& db_;
  // The "synchronous" level to put back after a deferred commit; 0 when none was lowered.
  int restoreSyncLevel_ = 0;
  int beginCode_;
  bool open_ = false;
};

}  // namespace zu
