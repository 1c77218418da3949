#include "store/EntryStatusPersistenter.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "platform/sqlite/Database.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCreate =
    "create table if not exists entrystatus (id text primary key, isread interger, updated "
    "interger);";
constexpr const char* kCount = "select count(*) from entrystatus";
// Oldest first; rows of the same second in the order they were written.
constexpr const char* kOldest =
    "select id from entrystatus order by updated asc, rowid asc limit ?;";
constexpr const char* kReset = "update entrystatus set isread=0 where id=?;";
constexpr const char* kDelete = "delete from entrystatus where id=?";
constexpr const char* kWrite =
    "insert or replace into entrystatus (id, isread, updated) values (?, ?, ?);";
constexpr const char* kRead = "select isread from entrystatus where id=?;";

// The open connection with its statements, prepared once per connection.
struct Connection {
  Database db;
  Statement count, oldest, reset, remove, write, read;

  bool prepare() {
    count = db.prepare(kCount);
    oldest = db.prepare(kOldest);
    reset = db.prepare(kReset);
    remove = db.prepare(kDelete);
    write = db.prepare(kWrite);
    read = db.prepare(kRead);
    return count && oldest && reset && remove && write && read;
  }
};

struct State {
  std::mutex mutex;
  bool initialised = false;
  std::unique_ptr<Connection> connection;
  std::string folder;
};

State& state() {
  static State s;
  return s;
}

// Resets a statement and drops its bindings when the step sequence using it ends.
class StatementUse {
 public:
  explicit StatementUse(Statement& s) : s_(s) {}
  ~StatementUse() {
    s_.reset();
    s_.clearBindings();
  }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

 private:
  Statement& s_;
};

// Now to whole seconds, as the time texts of the service carry it.
int64_t nowWholeSecondsMillis() {
  int64_t ms = Clock::get()->nowMillis();
  int64_t rem = ms % 1000;
  if (rem < 0) rem += 1000;
  return ms - rem;
}

// Keeps the table small before a write: from kResetAt rows the oldest flags beyond kKeepRows
// are reset to unread, from kDeleteAt rows those rows are deleted.
void prune(Connection& c) {
  int64_t rows = 0;
  {
    StatementUse use(c.count);
    if (c.count.next()) rows = c.count.columnInt64(0);
  }
  if (rows < EntryStatusPersistenter::kResetAt) return;
  std::vector<std::string> ids;
  {
    StatementUse use(c.oldest);
    c.oldest.bind(1, rows - EntryStatusPersistenter::kKeepRows);
    while (c.oldest.next()) {
      if (std::optional<std::string> id = c.oldest.columnText(0)) ids.push_back(std::move(*id));
    }
  }
  Statement& change = rows < EntryStatusPersistenter::kDeleteAt ? c.reset : c.remove;
  Transaction transaction(c.db);
  for (const std::string& id : ids) {
    StatementUse use(change);
    change.bind(1, id);
    change.execute();  // a row that cannot be changed is left as it is
  }
  if (transaction.ok()) transaction.commit();
}

}  // namespace

bool EntryStatusPersistenter::globalInit() {
  State& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.initialised) return true;
  s.initialised = true;
  // An older layout kept the folders in Documents/EntryStatusCache/.
  const fs::path documents = Paths::documents();
  const fs::path from = documents / "EntryStatusCache";
  const fs::path to = documents / "userEntryStatus";
  std::error_code ec;
  if (fs::exists(from, ec) && !fs::exists(to, ec)) fs::rename(from, to, ec);
  return true;
}

void EntryStatusPersistenter::globalUninit() {
  State& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.connection.reset();
  s.folder.clear();
  s.initialised = false;
}

bool EntryStatusPersistenter::isUserDBExist(const std::optional<std::string>& username) {
  if (!username) return false;
  std::error_code ec;
  return fs::is_directory(CommInfo::getEntryStatusCacheRootPath() + *username + "/", ec);
}

bool EntryStatusPersistenter::changeDB() {
  const std::string folder = CommInfo::getEntryStatusCacheRootPathWithUsername();
  // Reached from the home without following a link; anything but a regular file at the
  // store's name is set aside and the store made anew.
  const std::optional<FolderHandle> handle = FolderHandle::openReal(folder);
  if (!handle) return false;
  auto connection = std::make_unique<Connection>();
  if (connection->db.openInFolder(*handle, kFileName) != SQLITE_OK) {
    VESKLogImpl("EntryStatusPersistenter: changeDB Failed to open database: %s",
                connection->db.lastError().c_str());
    return false;
  }
  if (connection->db.exec(kCreate) != SQLITE_OK) return false;
  if (!connection->prepare()) return false;

  State& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.connection = std::move(connection);
  s.folder = folder;
  return true;
}

void EntryStatusPersistenter::setEntryStatus(const std::optional<std::string>& entryId,
                                             int read) {
  if (!entryId) return;
  State& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.connection) return;
  Connection& c = *s.connection;
  prune(c);
  StatementUse use(c.write);
  c.write.bind(1, *entryId);
  c.write.bind(2, read);
  c.write.bind(3, nowWholeSecondsMillis());
  c.write.execute();
}

int EntryStatusPersistenter::getEntryStatus(const std::optional<std::string>& entryId) {
  if (!entryId) return 0;
  State& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.connection) return 0;
  Connection& c = *s.connection;
  StatementUse use(c.read);
  c.read.bind(1, *entryId);
  return c.read.next() ? c.read.columnInt(0) : 0;
}

}  // namespace zu
