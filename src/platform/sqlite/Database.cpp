#include "platform/sqlite/Database.h"

#include <strings.h>

#include <utility>

#include "platform/sqlite/SqliteFileGuard.h"

namespace zu {
namespace {

// The text before the first blank of a column definition: the column's name.
std::string_view definitionName(std::string_view definition) {
  size_t blank = definition.find(' ');
  return blank == std::string_view::npos ? definition : definition.substr(0, blank);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// A table name as an SQL identifier: the system's table names are fixed words, but quoting
// keeps a name that happens to be a keyword (or holds a quote) from changing the statement.
std::string quoteIdentifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace

Database::~Database() { close(); }

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      openError_(std::move(other.openError_)),
      openErrorCode_(other.openErrorCode_) {}

Database& Database::operator=(Database&& other) noexcept {
  if (this != &other) {
    close();
    db_ = std::exchange(other.db_, nullptr);
    openError_ = std::move(other.openError_);
    openErrorCode_ = other.openErrorCode_;
  }
  return *this;
}

int Database::open(const std::string& path, int flags) {
  close();
  // No file of more than one name is written (see SqliteFileGuard).
  SqliteFileGuard::install();
  // Serialized threading mode for every connection, whatever the library's default.
  flags = (flags & ~SQLITE_OPEN_NOMUTEX) | SQLITE_OPEN_FULLMUTEX;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    openErrorCode_ = rc;
    openError_ = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    return rc;
  }
  sqlite3_extended_result_codes(db, 0);
  sqlite3_busy_timeout(db, kDefaultBusyTimeoutMs);
  db_ = db;
  openError_.clear();
  openErrorCode_ = SQLITE_OK;
  return SQLITE_OK;
}

int Database::openInFolder(const FolderHandle& folder, std::string_view name, int flags) {
  const std::string file(name);
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    if (!folder.setAsideUnlessFile(file + suffix)) {
      close();
      openErrorCode_ = SQLITE_CANTOPEN;
      openError_ = "cannot set aside what is at " + (folder.path() / (file + suffix)).string();
      return SQLITE_CANTOPEN;
    }
  }
  return open((folder.path() / file).string(), flags | SQLITE_OPEN_NOFOLLOW);
}

void Database::close() {
  if (db_) {
    // _v2: statements still alive keep the connection until they are finalized.
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

int Database::exec(const std::string& sql) {
  if (!db_) return SQLITE_MISUSE;
  return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

Statement Database::prepare(std::string_view sql) {
  if (!db_) return Statement();
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return Statement();
  }
  return Statement(stmt);
}

std::string Database::lastError() const {
  if (!db_) return openError_.empty() ? "database not open" : openError_;
  return sqlite3_errmsg(db_);
}

int Database::lastErrorCode() const {
  if (!db_) return openErrorCode_ != SQLITE_OK ? openErrorCode_ : SQLITE_MISUSE;
  return sqlite3_errcode(db_);
}

int64_t Database::lastInsertRowId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

int Database::changes() const { return db_ ? sqlite3_changes(db_) : 0; }

void Database::setBusyTimeout(int milliseconds) {
  if (db_) sqlite3_busy_timeout(db_, milliseconds);
}

std::vector<std::string> Database::columnNames(const std::string& table) {
  std::vector<std::string> names;
  // The table-valued form of "PRAGMA table_info" takes the table name as a bound value.
  Statement stmt = prepare("select name from pragma_table_info(?)");
  if (!stmt) return names;
  stmt.bind(1, table);
  while (stmt.next()) names.push_back(stmt.columnString(0));
  return names;
}

std::vector<std::string> Database::missingColumns(const std::string& table,
                                                  const std::vector<std::string>& definitions) {
  std::vector<std::string> wanted = definitions;
  for (const std::string& column : columnNames(table)) {
    for (auto it = wanted.begin(); it != wanted.end(); ++it) {
      if (equalsIgnoringCase(definitionName(*it), column)) {
        wanted.erase(it);
        break;
      }
    }
  }
  return wanted;
}

int Database::addMissingColumns(const std::string& table,
                                const std::vector<std::string>& definitions,
                                const std::function<void(const std::string&)>& onError) {
  int added = 0;
  for (const std::string& definition : missingColumns(table, definitions)) {
    // Table name and definition are the system's own schema text, never outside input.
    int rc = exec("alter table " + quoteIdentifier(table) + " add " + definition + ";");
    if (rc == SQLITE_OK) {
      ++added;
    } else if (onError) {
      onError(lastError());
    }
  }
  return added;
}

namespace {

// The connection's "synchronous" level when it is in write-ahead-log mode, else 0.
int walSyncLevel(Database& db) {
  Statement mode = db.prepare("pragma journal_mode;");
  if (!mode || !mode.next() || !equalsIgnoringCase(mode.columnString(0), "wal")) return 0;
  Statement level = db.prepare("pragma synchronous;");
  return level && level.next() ? static_cast<int>(level.columnInt64(0)) : 0;
}

int beginWith(Database& db, Transaction::CommitSync sync, int* restoreLevel) {
  // FULL is 2 and EXTRA 3; NORMAL (1) and OFF (0) already commit without waiting.
  if (sync == Transaction::CommitSync::kDeferred) {
    const int level = walSyncLevel(db);
    if (level >= 2 && db.exec("pragma synchronous=normal;") == SQLITE_OK) *restoreLevel = level;
  }
  return db.exec("begin immediate transaction;");
}

}  // namespace

Transaction::Transaction(Database& db, CommitSync sync)
    : db_(db), beginCode_(beginWith(db, sync, &restoreSyncLevel_)) {
  open_ = beginCode_ == SQLITE_OK;
  if (!open_) restoreSync();
}

Transaction::~Transaction() {
  if (open_) db_.exec("rollback transaction;");
  open_ = false;
  restoreSync();
}

int Transaction::commit() {
  if (!open_) return SQLITE_MISUSE;
  int rc = db_.exec("commit transaction;");
  if (rc == SQLITE_OK) {
    open_ = false;
    restoreSync();
  }
  return rc;
}

void Transaction::restoreSync() {
  if (restoreSyncLevel_ == 0 || open_) return;
  db_.exec(restoreSyncLevel_ >= 3 ? "pragma synchronous=extra;" : "pragma synchronous=full;");
  restoreSyncLevel_ = 0;
}

}  // namespace zu
