#include "store/EntryPersistenter.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/CommInfo.h"
#include "common/DateUtil.h"
#include "common/Log.h"
#include "common/Md5.h"
#include "model/entry/Author.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskEntryStatus.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "store/BookCatalogPersistenter.h"
#include "store/BookMarkPersistenter.h"
#include "store/BookMemoPersistenter.h"
#include "store/BookPersistenter.h"
#include "store/BookReadInfoPersistenter.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using Text = EntryPersistenter::Text;

constexpr const char* kCreateFields =
    "create table if not exists fields (pk text primary key, id text, title text, updated "
    "interger, entry_string text, last_cache_time interger, user_name text, source_saved_time "
    "interger, order_id interger, need_offline_download interger, "
    "column_lastest_showed_summary_id text, column_lastest_summary_id text, column_deleted_mark "
    "interger, book_updated_time interger);";

// Every list, count and page reads one user's rows, and every row operation finds one row by
// id and user: without indexes each one scans the whole table. The indexes leave the table as
// it is (files of every version stay readable). The first keeps a user's rows in rowid order,
// so the newest-first favourites need no sort; the second finds a row by id.
constexpr const char* kCreateIndexes =
    "create index if not exists fields_user_name on fields (user_name);"
    "create index if not exists fields_user_id on fields (user_name, id);";

const std::vector<std::string>& fieldDefinitions() {
  static const std::vector<std::string> defs = {
      "pk text primary key",
      "id text",
      "title text",
      "updated interger",
      "entry_string text",
      "last_cache_time interger",
      "user_name text",
      "source_saved_time interger",
      "order_id interger",
      "need_offline_download interger",
      "column_lastest_showed_summary_id text",
      "column_lastest_summary_id text",
      "column_deleted_mark interger",
      "book_updated_time interger",
  };
  return defs;
}

constexpr const char* kCreateSyncTime =
    "create table if not exists fields (user_name text primary key, last_cache_time interger);";
constexpr const char* kCreateUserDefined =
    "create table if not exists fields2 (id text primary key, user_name text, mykey text, "
    "myvalue text);";

// Statements of the main table. Values are always bound parameters.
constexpr const char* kSelectMaxOrder = "select max(order_id) from fields where user_name=?;";
constexpr const char* kInsert =
    "insert or replace into fields (pk, id, title, updated, entry_string, last_cache_time, "
    "user_name, order_id, need_offline_download) values (?, ?, ?, ?, ?, ?, ?, ?, 0);";
constexpr const char* kDelete = "delete from fields where id=? and user_name=?;";
constexpr const char* kUpdateOrder = "update fields set order_id=? where id=? and user_name=?;";
constexpr const char* kClear = "delete from fields where user_name=?;";
constexpr const char* kUpdateByPk =
    "update fields set title=?, updated=?, entry_string=? where pk=?;";
constexpr const char* kUpdateById =
    "update fields set title=?, updated=?, entry_string=? where id=? and user_name=?;";
constexpr const char* kSelectId = "select id from fields where id=? and user_name=?;";
constexpr const char* kSetSourceSavedTime =
    "update fields set source_saved_time=? where id=? and user_name=?;";
constexpr const char* kGetSourceSavedTime =
    "select source_saved_time from fields where id=? and user_name=?;";
constexpr const char* kSelectEntry =
    "select id, title, entry_string from fields where id=? and user_name=?;";
constexpr const char* kCount = "select count(*) from fields where user_name=?";
constexpr const char* kCountDeleted =
    "select count(*) from fields where user_name=? and column_deleted_mark=1";
constexpr const char* kCountNotDeleted =
    "select count(*) from fields where user_name=? and (column_deleted_mark is NULL or "
    "column_deleted_mark<>1)";
constexpr const char* kPageFavorites =
    "select id, title, entry_string from fields where user_name=? order by rowid desc limit ? "
    "offset ?;";
// The same rows as kPageFavorites counted from the oldest end, for pages past the middle.
constexpr const char* kPageFavoritesOldestFirst =
    "select id, title, entry_string from fields where user_name=? order by rowid limit ? "
    "offset ?;";
constexpr const char* kPageDeleted =
    "select id, title, entry_string from fields where user_name=? and column_deleted_mark=1 "
    "order by order_id limit ? offset ?;";
constexpr const char* kPageNotDeleted =
    "select id, title, entry_string from fields where user_name=? and (column_deleted_mark is "
    "NULL or column_deleted_mark<>1) order by order_id limit ? offset ?;";
constexpr const char* kMaxGuestCacheTime =
    "select max(last_cache_time) from fields where user_name = ?";
constexpr const char* kSetOffline =
    "update fields set need_offline_download=? where id=? and user_name=?;";
constexpr const char* kSetAllOffline =
    "update fields set need_offline_download=? where user_name=?;";
constexpr const char* kSelectOffline =
    "select id, title, entry_string, need_offline_download from fields where user_name=? and "
    "(column_deleted_mark is NULL or column_deleted_mark<>1) order by order_id;";
constexpr const char* kGetOffline =
    "select need_offline_download from fields where id=? and user_name=?;";
constexpr const char* kCountOffline =
    "select entry_string from fields where need_offline_download=1 and user_name=? and "
    "(column_deleted_mark is NULL or column_deleted_mark<>1);";
constexpr const char* kSetLatestSummary =
    "update fields set column_lastest_summary_id=? where id=? and user_name=?;";
constexpr const char* kGetLatestSummary =
    "select column_lastest_summary_id from fields where id=? and user_name=?;";
constexpr const char* kSetLatestShowed =
    "update fields set column_lastest_showed_summary_id=? where id=? and user_name=?;";
constexpr const char* kGetLatestShowed =
    "select column_lastest_showed_summary_id from fields where id=? and user_name=?;";
constexpr const char* kSetDeletedMark =
    "update fields set column_deleted_mark=? where id=? and user_name=?;";
constexpr const char* kGetDeletedMark =
    "select column_deleted_mark from fields where id=? and user_name=?;";
constexpr const char* kSetBookTime =
    "update fields set book_updated_time=? where id=? and user_name=?;";
constexpr const char* kGetBookTime =
    "select book_updated_time from fields where id=? and user_name=?;";

// Side files.
constexpr const char* kSaveSyncTime =
    "insert or replace into fields (user_name,last_cache_time) values (?,?);";
constexpr const char* kGetSyncTime = "select last_cache_time from fields where user_name=?;";
constexpr const char* kSetUserDefined =
    "insert or replace into fields2 (id, user_name,mykey,myvalue) values (?, ?,?,?);";
constexpr const char* kGetUserDefined =
    "select myvalue from fields2 where mykey=? and user_name=?;";

constexpr const char* kFeedId = "urn:uuid:dc2d4447-631c-4FE1-a889-42394f586b30";
constexpr const char* kFeedSubtitle = "Online catalog for VESK";
constexpr const char* kFavoriteFeedTitle = "我的收藏";
constexpr const char* kSubscribeFeedTitle = "我的订阅";

// Resets a cached statement (releasing its read lock) and drops its bindings when the
// operation using it ends, on every path.
class StatementUse {
 public:
  explicit StatementUse(Statement* s) : s_(s) {}
  ~StatementUse() {
    if (s_) {
      s_->reset();
      s_->clearBindings();
    }
  }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

 private:
  Statement* s_;
};

const char* cstr(const Text& t) { return t ? t->c_str() : "(null)"; }

std::string makeLocalUrl(int64_t pageSize, int64_t offset) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "local://%lld/%lld", static_cast<long long>(pageSize),
                static_cast<long long>(offset));
  return buf;
}

std::shared_ptr<Link> localLink(std::string href) {
  auto link = std::make_shared<Link>();
  link->setHref(std::move(href));
  link->setType(EntryPersistenter::kLocalLinkType);
  return link;
}

// Now, to whole seconds (the resolution of the time texts the feed's time is read from).
int64_t nowWholeSecondsMillis() {
  int64_t ms = Clock::get()->nowMillis();
  int64_t rem = ms % 1000;
  if (rem < 0) rem += 1000;
  return ms - rem;
}

std::optional<std::string> rowKey(const std::string& first, const char* separator,
                                  const std::string& second) {
  return Md5::encode(first + separator + second);
}

std::string xmlText(const std::shared_ptr<Entry>& entry) {
  std::optional<Bytes> xml = VESKAtomBuilder::allocEntryToXML(entry.get());
  if (!xml) return std::string();
  return std::string(xml->begin(), xml->end());
}

// Moves `from` to `to` only when `from` exists and `to` does not; failures are ignored (the
// store then opens whatever is in place).
void moveIfPresent(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::exists(from, ec) || fs::exists(to, ec)) return;
  fs::rename(from, to, ec);
}

// Opens the store file `name` of the entry root folder (made when missing), reached from the
// home without following a link; anything but a regular file at the name is set aside and the
// store made anew (Database::openInFolder).
int openStoreFile(Database& db, const char* name, int flags = Database::kDefaultOpenFlags) {
  const std::optional<FolderHandle> root =
      FolderHandle::openReal(CommInfo::getEntryCacheRootPath());
  if (!root) return SQLITE_CANTOPEN;
  return db.openInFolder(*root, name, flags);
}

std::string trimSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

EntryPersistenter::EntryPersistenter(int source)
    : myDBSource_(source),
      database_(std::make_shared<Database>()),
      databaseCondition_(std::make_shared<std::mutex>()) {}

EntryPersistenter::~EntryPersistenter() {
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  statements_.clear();
}

std::shared_ptr<EntryPersistenter> EntryPersistenter::initWithDBopen(int source) {
  // Files of earlier versions: the folder EntryCache/ and the old database names.
  const fs::path documents = Paths::documents();
  const std::string root = CommInfo::getEntryCacheRootPath();
  moveIfPresent(documents / "EntryCache", trimSlash(root));
  moveIfPresent(fs::path(root) / "subscribePersistence.db", fs::path(root) / kSubscribeFileName);
  moveIfPresent(fs::path(root) / "favoritePersistence.db", fs::path(root) / kFavoriteFileName);

  VESKLogImpl("EntryPersistenter: initWithDBopen opening");

  const char* fileName = nullptr;
  if (source == kSourceSubscribe) {
    VESKLogImpl("EntryPersistenter: initWithDBopen opening for Subscribe");
    fileName = kSubscribeFileName;
  } else if (source == kSourceFavorite) {
    VESKLogImpl("EntryPersistenter: initWithDBopen opening for Favorite");
    fileName = kFavoriteFileName;
  } else {
    VESKLogImpl("EntryPersistenter: initWithDBopen not defined DB source");
    return nullptr;
  }

  std::shared_ptr<EntryPersistenter> store(new EntryPersistenter(source));
  Database& db = *store->database_;
  if (openStoreFile(db, fileName) != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: initWithDBopen Failed to open database");
    return nullptr;
  }
  if (db.exec(kCreateFields) != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: initWithDBopen Error creating table: %s",
                db.lastError().c_str());
    return nullptr;
  }
  // Write-ahead logging with a sync per commit: see the durability note in the header.
  if (db.exec("pragma journal_mode=wal;") != SQLITE_OK ||
      db.exec("pragma synchronous=full;") != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: initWithDBopen journal mode: %s", db.lastError().c_str());
  }
  // Files written by earlier versions lack later columns: add each missing one.
  VESKLogImpl("EntryPersistenter: tableCheck");
  db.addMissingColumns("fields", fieldDefinitions(), [](const std::string& error) {
    VESKLogImpl("EntryPersistenter: tableCheck error:%s", error.c_str());
  });
  // Without the indexes the store still works, only slower.
  if (db.exec(kCreateIndexes) != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: initWithDBopen Error creating indexes: %s",
                db.lastError().c_str());
  }
  if (source == kSourceSubscribe) {
    // The book stores share this connection and lock.
    const auto& dbp = store->database_;
    const auto& lock = store->databaseCondition_;
    store->bookPersistenter_ = std::make_shared<BookPersistenter>(dbp, lock);
    store->bookmarkPersistenter_ = std::make_shared<BookMarkPersistenter>(dbp, lock);
    store->bookmemoPersistenter_ = std::make_shared<BookMemoPersistenter>(dbp, lock);
    store->catalogPersistenter_ = std::make_shared<BookCatalogPersistenter>(dbp, lock);
    store->readInfoPersistenter_ = std::make_shared<BookReadInfoPersistenter>(dbp, lock);
  }
  return store;
}

Statement* EntryPersistenter::statement(const char* sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return &it->second;
  Statement s = database_->prepare(sql);
  if (!s.valid()) return nullptr;
  return &statements_.emplace(sql, std::move(s)).first->second;
}

int32_t EntryPersistenter::pageSize() const {
  return myDBSource_ == kSourceFavorite ? kFavoritePageSize : kSubscribePageSize;
}

int32_t EntryPersistenter::entryKind() const {
  return myDBSource_ == kSourceFavorite ? kEntryKindNewsSummary : kEntryKindColumn;
}

const char* EntryPersistenter::timeFileName() const {
  if (myDBSource_ == kSourceSubscribe) return kSubscribeTimeFileName;
  if (myDBSource_ == kSourceFavorite) return kFavoriteTimeFileName;
  return nullptr;
}

// ---- Rows ----------------------------------------------------------------------------------

bool EntryPersistenter::insertLocked(const std::shared_ptr<Entry>& entry, const Text& user,
                                     int64_t* lastOrder) {
  if (!entry || !entry->entryId() || !user) {
    VESKLogImpl("EntryPersistenter: insertEntry error:%s",
                !entry ? "no entry" : (!user ? "no current user" : "no id"));
    return false;
  }
  if (myDBSource_ == kSourceFavorite) {
    // Favourites are always stored as read.
    if (const auto& status = entry->veskEntryStatus(); status && status->read() != 1) {
      status->setRead(1);
    }
  }
  const std::string& entryId = *entry->entryId();
  std::string xml = xmlText(entry);
  VESKLogImpl("EntryPersistenter: insertEntry insert id: %s", entryId.c_str());
  int64_t now = DateUtil::currentTimeMillis();
  std::optional<std::string> pk = rowKey(entryId, kRowKeySeparator, *user);

  // The new row goes after the user's last one. Within a batch the last number is carried
  // from row to row: each insert holds the largest number, also when it replaced a row.
  int64_t maxOrder = 0;
  if (lastOrder && *lastOrder >= 0) {
    maxOrder = *lastOrder;
  } else if (Statement* s = statement(kSelectMaxOrder)) {
    StatementUse use(s);
    s->bind(1, *user);
    if (s->next()) maxOrder = s->columnInt64(0);
  }
  Statement* s = statement(kInsert);
  if (!s) {
    VESKLogImpl("EntryPersistenter: insertEntry error:%s", database_->lastError().c_str());
    return false;
  }
  StatementUse use(s);
  s->bind(1, pk);
  s->bind(2, entryId);
  s->bind(3, entry->title());
  s->bind(4, entry->updated());
  s->bind(5, xml);
  s->bind(6, now);
  s->bind(7, *user);
  s->bind(8, maxOrder + 1);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: insertEntry error:%s", s->errorMessage().c_str());
    return false;
  }
  if (lastOrder) *lastOrder = maxOrder + 1;
  return true;
}

bool EntryPersistenter::insertEntry(const std::shared_ptr<Entry>& entry) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  return insertLocked(entry, user, nullptr);
}

bool EntryPersistenter::insertEntries(const std::vector<std::shared_ptr<Entry>>& entries) {
  return insertEntries(entries, CommInfo::getUsername());
}

bool EntryPersistenter::insertEntries(const std::vector<std::shared_ptr<Entry>>& entries,
                                      const Text& user) {
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Transaction transaction(*database_);
  if (!transaction.ok()) {
    VESKLogImpl("EntryPersistenter: insertEntry error:%s", database_->lastError().c_str());
    return false;
  }
  int64_t lastOrder = -1;  // read from the table by the first insert
  for (const auto& entry : entries) {
    if (!insertLocked(entry, user, &lastOrder)) return false;  // rolled back
  }
  if (transaction.commit() != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: insertEntry error:%s", database_->lastError().c_str());
    return false;
  }
  return true;
}

bool EntryPersistenter::deleteLocked(const Text& entryId, const Text& user) {
  VESKLogImpl("EntryPersistenter: deleteEntry delete id: %s", cstr(entryId));
  Statement* s = statement(kDelete);
  if (!s) {
    VESKLogImpl("EntryPersistenter: deleteEntry error:%s", database_->lastError().c_str());
    return false;
  }
  StatementUse use(s);
  s->bind(1, entryId);
  s->bind(2, user);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: deleteEntry error:%s", s->errorMessage().c_str());
    return false;
  }
  return true;
}

bool EntryPersistenter::deleteEntry(const Text& entryId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  return deleteLocked(entryId, user);
}

bool EntryPersistenter::deleteEntries(const std::vector<std::string>& entryIds) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Transaction transaction(*database_);
  if (!transaction.ok()) {
    VESKLogImpl("EntryPersistenter: deleteEntry error:%s", database_->lastError().c_str());
    return false;
  }
  for (const auto& id : entryIds) {
    if (!deleteLocked(id, user)) return false;  // rolled back
  }
  if (transaction.commit() != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: deleteEntry error:%s", database_->lastError().c_str());
    return false;
  }
  return true;
}

bool EntryPersistenter::updateOrder(const std::vector<std::shared_ptr<Entry>>& entries) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Transaction transaction(*database_);
  Statement* s = statement(kUpdateOrder);
  if (!s) {
    VESKLogImpl("EntryPersistenter: updateOrder error:%s", database_->lastError().c_str());
    return false;
  }
  bool ok = true;
  int order = 1;
  for (const auto& entry : entries) {
    StatementUse use(s);
    s->bind(1, order++);
    s->bind(2, entry ? entry->entryId() : Text());
    s->bind(3, user);
    if (!s->execute()) {
      VESKLogImpl("EntryPersistenter: updateOrder error:%s", s->errorMessage().c_str());
      ok = false;
    }
  }
  if (transaction.ok() && transaction.commit() != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: updateOrder error:%s", database_->lastError().c_str());
    return false;
  }
  return ok;
}

bool EntryPersistenter::clearEntry() {
  Text user = CommInfo::getUsername();
  VESKLogImpl("EntryPersistenter: clearEntry");
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kClear);
  if (!s) {
    VESKLogImpl("EntryPersistenter: clearEntry error:%s", database_->lastError().c_str());
    return false;
  }
  StatementUse use(s);
  s->bind(1, user);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: clearEntry error:%s", s->errorMessage().c_str());
    return false;
  }
  return true;
}

bool EntryPersistenter::updateEntry(const std::shared_ptr<Entry>& entry) {
  Text user = CommInfo::getUsername();
  if (!entry || !entry->entryId() || !user) {
    VESKLogImpl("EntryPersistenter: updateEntry error:%s", "no entry id or user");
    return false;
  }
  std::string xml = xmlText(entry);
  std::optional<std::string> pk = rowKey(*entry->entryId(), kRowKeySeparator, *user);
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kUpdateByPk);
  if (!s) {
    VESKLogImpl("EntryPersistenter: updateEntry error:%s", database_->lastError().c_str());
    return false;
  }
  StatementUse use(s);
  s->bind(1, entry->title());
  s->bind(2, entry->updated());
  s->bind(3, xml);
  s->bind(4, pk);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: updateEntry error:%s", s->errorMessage().c_str());
    return false;
  }
  return true;
}

bool EntryPersistenter::updateEntry(const Text& entryId, const Text& title,
                                    const std::shared_ptr<Entry>& entry) {
  if (!entryId) {
    VESKLogImpl("EntryPersistenter: updateEntry error: no id found");
    return false;
  }
  if (!entry) {
    VESKLogImpl("EntryPersistenter: updateEntry error:%s", "no entry");
    return false;
  }
  if (!isEntryExist(entryId)) {
    VESKLogImpl("EntryPersistenter: updateEntry warning!! entryId not found!, do insertEntry.");
    insertEntry(entry);
    return true;
  }
  Text user = CommInfo::getUsername();
  std::string xml = xmlText(entry);
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kUpdateById);
  if (!s) {
    VESKLogImpl("EntryPersistenter: updateEntry error:%s", database_->lastError().c_str());
    return false;
  }
  StatementUse use(s);
  s->bind(1, title);
  s->bind(2, entry->updated());
  s->bind(3, xml);
  s->bind(4, entryId);
  s->bind(5, user);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: updateEntry error:%s", s->errorMessage().c_str());
    return false;
  }
  return true;
}

namespace {

// One "update ... set <column>=? where id=? and user_name=?" with the given value.
template <typename V>
bool runColumnUpdate(Statement* s, const V& value, const Text& id, const Text& user) {
  if (!s) return false;
  StatementUse use(s);
  s->bind(1, value);
  s->bind(2, id);
  s->bind(3, user);
  return s->execute();
}

}  // namespace

bool EntryPersistenter::saveColumnRefresh(const ColumnRefresh& refresh) {
  if (!refresh.columnId) {
    VESKLogImpl("EntryPersistenter: saveColumnRefresh error: no id found");
    return false;
  }
  if (!refresh.latest && !refresh.latestSummaryId && !refresh.sourceSavedTime) return true;
  Text user = CommInfo::getUsername();
  std::optional<std::string> xml;
  if (refresh.latest) xml = xmlText(refresh.latest);
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Transaction transaction(*database_, Transaction::CommitSync::kDeferred);
  bool ok = transaction.ok();
  if (ok && refresh.latest) {
    Statement* s = statement(kUpdateById);
    ok = s != nullptr;
    if (ok) {
      StatementUse use(s);
      s->bind(1, refresh.latest->title());
      s->bind(2, refresh.latest->updated());
      s->bind(3, xml);
      s->bind(4, refresh.columnId);
      s->bind(5, user);
      ok = s->execute();
    }
  }
  if (ok && refresh.latestSummaryId) {
    ok = runColumnUpdate(statement(kSetLatestSummary), refresh.latestSummaryId, refresh.columnId,
                         user);
  }
  if (ok && refresh.sourceSavedTime) {
    ok = runColumnUpdate(statement(kSetSourceSavedTime), *refresh.sourceSavedTime,
                         refresh.columnId, user);
  }
  if (!ok || transaction.commit() != SQLITE_OK) {
    VESKLogImpl("EntryPersistenter: saveColumnRefresh error:%s", database_->lastError().c_str());
    return false;
  }
  return true;
}

bool EntryPersistenter::isEntryExist(const Text& entryId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kSelectId);
  if (!s) return false;
  StatementUse use(s);
  s->bind(1, entryId);
  s->bind(2, user);
  return s->next();
}

bool EntryPersistenter::setEntryLastCacheTime(const Text& entryId, int64_t time) {
  if (!entryId || !isEntryExist(entryId)) return false;
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kSetSourceSavedTime);
  if (!s) {
    VESKLogImpl("EntryPersistenter: setEntryLastCacheTime error:%s",
                database_->lastError().c_str());
    return false;
  }
  StatementUse use(s);
  s->bind(1, time);
  s->bind(2, entryId);
  s->bind(3, user);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: setEntryLastCacheTime error:%s", s->errorMessage().c_str());
    return false;
  }
  return true;
}

int64_t EntryPersistenter::getEntryLastCacheTime(const Text& entryId) {
  return findEntryLastCacheTime(entryId).value_or(0);
}

std::optional<int64_t> EntryPersistenter::findEntryLastCacheTime(const Text& entryId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kGetSourceSavedTime);
  if (!s) return std::nullopt;
  StatementUse use(s);
  s->bind(1, entryId);
  s->bind(2, user);
  if (!s->next()) return std::nullopt;
  return s->columnInt64(0);
}

std::shared_ptr<Entry> EntryPersistenter::parseRow(Statement& row) const {
  std::optional<std::string> xml = row.columnText(2);
  if (!xml) return nullptr;
  std::shared_ptr<Entry> entry = VESKAtomParser::allocParseEntry(*xml, entryKind());
  if (!entry) return nullptr;
  if (std::optional<std::string> title = row.columnText(1)) entry->setTitle(std::move(title));
  return entry;
}

std::shared_ptr<Entry> EntryPersistenter::allocReadEntry(const Text& entryId) {
  VESKLogImpl("EntryPersistenter: allocReadEntry id: %s", cstr(entryId));
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kSelectEntry);
  if (!s) return nullptr;
  StatementUse use(s);
  s->bind(1, entryId);
  s->bind(2, user);
  return s->next() ? parseRow(*s) : nullptr;
}

int EntryPersistenter::countReadEntries() {
  VESKLogImpl("EntryPersistenter: countReadEntries");
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kCount);
  if (!s) return 0;
  StatementUse use(s);
  s->bind(1, user);
  return s->next() ? s->columnInt(0) : 0;
}

// ---- Local feeds ---------------------------------------------------------------------------

int32_t EntryPersistenter::offsetOfLocalUrl(const Text& localUrl) {
  if (!localUrl) return 0;
  // The fourth piece of the text split at "/": "local:", "", size, offset.
  std::string_view rest = *localUrl;
  for (int i = 0; i < 3; ++i) {
    size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return 0;
    rest.remove_prefix(slash + 1);
  }
  rest = rest.substr(0, rest.find('/'));
  // Read as an integer the platform's way: leading blanks, a sign, digits; junk after them
  // ignored; no digits is 0.
  size_t i = 0;
  while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t' || rest[i] == '\n')) ++i;
  rest.remove_prefix(i);
  if (!rest.empty() && rest.front() == '+') rest.remove_prefix(1);
  if (!rest.empty() && rest.front() == '-') return 0;  // negative: clamped to the first page
  int64_t value = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(value);
}

std::shared_ptr<Feed> EntryPersistenter::newLocalFeed(const Text& title) const {
  auto feed = std::make_shared<Feed>();
  feed->setTitle(title);
  feed->setUpdated(nowWholeSecondsMillis());
  auto author = std::make_shared<Author>();
  author->setName(kGuestUserName);
  feed->setAuthor(std::move(author));
  feed->setSubtitle(kFeedSubtitle);
  feed->setFeedId(kFeedId);
  feed->setEntrys(std::vector<std::shared_ptr<Entry>>());
  return feed;
}

std::shared_ptr<Feed> EntryPersistenter::allocReadEntriesInFeed(const Text& localUrl) {
  return allocReadEntriesInFeedwithUsername(localUrl, CommInfo::getUsername(), false);
}

std::shared_ptr<Feed> EntryPersistenter::allocReadEntriesInFeedWithDeletedMark() {
  return allocReadEntriesInFeedwithUsername(std::string("local://1/1"), CommInfo::getUsername(),
                                            true);
}

std::shared_ptr<Feed> EntryPersistenter::allocReadEntriesInFeedwithUsername(
    const Text& localUrl, const Text& username, bool deletedMark) {
  const int64_t size = pageSize();
  int64_t offset = offsetOfLocalUrl(localUrl);
  offset = offset / size * size;
  VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed numbers of 1 page: %d, offset: %d",
              static_cast<int>(size), static_cast<int>(offset));
  const bool favorites = myDBSource_ == kSourceFavorite;

  std::lock_guard<std::mutex> lock(*databaseCondition_);
  int64_t count = 0;
  if (Statement* s = statement(favorites ? kCount : (deletedMark ? kCountDeleted
                                                                 : kCountNotDeleted))) {
    StatementUse use(s);
    s->bind(1, username);
    if (s->next()) count = s->columnInt64(0);
  }
  if (offset > count) {
    VESKLogImpl("EntryPersistenter: offset out range of all count, count: %d",
                static_cast<int>(count));
    return nullptr;
  }
  VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed all count: %d", static_cast<int>(count));

  auto feed = newLocalFeed(std::string(favorites ? kFavoriteFeedTitle : kSubscribeFeedTitle));
  feed->setFirstLink(localLink(makeLocalUrl(size, 0)));
  int64_t last = size * (count / size - (count % size == 0 ? 1 : 0));
  VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed lastpage offset: %d",
              static_cast<int>(last));
  feed->setLastLink(localLink(makeLocalUrl(size, last)));

  // An offset makes SQLite step over that many rows. The favourites page newest first, so a
  // page past the middle is read from the oldest end instead, stepping over the rows after it
  // (fewer), and turned round: the last page costs what the first does.
  int64_t limit = size;
  int64_t skip = offset;
  bool oldestFirst = false;
  if (favorites) {
    const int64_t end = std::min(count, offset + size);  // the page holds rows [offset, end)
    if (count - end < offset) {
      oldestFirst = true;
      skip = count - end;
      limit = end - offset;
    }
  }
  Statement* s = statement(favorites ? (oldestFirst ? kPageFavoritesOldestFirst : kPageFavorites)
                                     : (deletedMark ? kPageDeleted : kPageNotDeleted));
  if (!s) return feed;
  int64_t read = 0;
  std::vector<std::shared_ptr<Entry>> entries;
  {
    StatementUse use(s);
    s->bind(1, username);
    s->bind(2, limit);
    s->bind(3, skip);
    while (s->next()) {
      ++read;
      if (std::shared_ptr<Entry> entry = parseRow(*s)) {
        entries.push_back(std::move(entry));
      } else {
        VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed nodeEntry=nil");
      }
    }
  }
  if (oldestFirst) std::reverse(entries.begin(), entries.end());
  for (auto& entry : entries) feed->appendEntrys(std::move(entry));
  feed->setSelfLink(localLink(makeLocalUrl(size, offset)));
  if (offset + read < count) {
    VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed nextpage offset: %d",
                static_cast<int>(offset + size));
    feed->setNextLink(localLink(makeLocalUrl(size, offset + size)));
  } else {
    VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed nextpage null, reached the bottom");
  }
  if (offset >= size) {
    VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed prevpage offset: %d",
                static_cast<int>(offset - size));
    feed->setPrevLink(localLink(makeLocalUrl(size, offset - size)));
  } else {
    VESKLogImpl("EntryPersistenter: allocReadEntriesInFeed prevpage null, reached the top");
  }
  return feed;
}

// ---- Sync times ----------------------------------------------------------------------------

bool EntryPersistenter::saveCurrentTimeWhenSync(const Text& username) {
  const char* fileName = timeFileName();
  if (myDBSource_ == kSourceSubscribe) {
    VESKLogImpl("saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync opening for Subscribe");
  } else if (myDBSource_ == kSourceFavorite) {
    VESKLogImpl("saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync opening for Favorite");
  } else {
    VESKLogImpl("saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync not defined DB source");
    return false;
  }
  Database db;
  if (openStoreFile(db, fileName) != SQLITE_OK) {
    VESKLogImpl("saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync Failed to open database");
    return false;
  }
  if (db.exec(kCreateSyncTime) != SQLITE_OK) {
    VESKLogImpl("saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync Error creating table: %s",
                db.lastError().c_str());
    return false;
  }
  Statement s = db.prepare(kSaveSyncTime);
  s.bind(1, username);
  s.bind(2, DateUtil::currentTimeMillis());
  if (!s.execute()) {
    VESKLogImpl("saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync Failed to exec sql:%s",
                s.valid() ? s.errorMessage().c_str() : db.lastError().c_str());
    return false;
  }
  return true;
}

bool EntryPersistenter::isNeedSync(const Text& username) {
  int64_t guestTime = 0;
  {
    std::lock_guard<std::mutex> lock(*databaseCondition_);
    if (Statement* s = statement(kMaxGuestCacheTime)) {
      StatementUse use(s);
      s->bind(1, kGuestUserName);
      if (s->next()) {
        VESKLogImpl("isNeedSync: allocReadEntry find record");
        guestTime = s->columnInt64(0);
      }
    }
  }
  const char* fileName = timeFileName();
  if (myDBSource_ == kSourceSubscribe) {
    VESKLogImpl("isNeedSync: triggerSaveCurrentTimeForSync opening for Subscribe");
  } else if (myDBSource_ == kSourceFavorite) {
    VESKLogImpl("isNeedSync: triggerSaveCurrentTimeForSync opening for Favorite");
  } else {
    VESKLogImpl("isNeedSync: triggerSaveCurrentTimeForSync not defined DB source");
    return false;
  }
  int64_t syncTime = 0;
  Database db;
  // Without SQLITE_OPEN_CREATE: asking whether a sync is due must not create the file. Still
  // read-write, so that a write interrupted by a crash (a hot journal) is rolled back and the
  // last committed time is read instead of failing.
  if (openStoreFile(db, fileName, SQLITE_OPEN_READWRITE) != SQLITE_OK) {
    VESKLogImpl("isNeedSync: isNeedSync Failed to open database");
  } else {
    Statement s = db.prepare(kGetSyncTime);
    s.bind(1, username);
    if (s.next()) {
      VESKLogImpl("isNeedSync: isNeedSync find record");
      syncTime = s.columnInt64(0);
    }
  }
  if (guestTime > syncTime) {
    VESKLogImpl("isNeedSync: isNeedSync TRUE");
    return true;
  }
  VESKLogImpl("isNeedSync: isNeedSync FALSE");
  return false;
}

// ---- Offline download ----------------------------------------------------------------------

void EntryPersistenter::setEntryOfflineDownload(const Text& entryId, int on) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kSetOffline);
  if (!s) {
    VESKLogImpl("EntryPersistenter: setEntryOfflineDownload error:%s",
                database_->lastError().c_str());
    return;
  }
  StatementUse use(s);
  s->bind(1, on);
  s->bind(2, entryId);
  s->bind(3, user);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: setEntryOfflineDownload error:%s", s->errorMessage().c_str());
  }
}

void EntryPersistenter::setAllEntriesOfflineDownload(int on) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kSetAllOffline);
  if (!s) {
    VESKLogImpl("EntryPersistenter: setAllOfflineDownload error:%s",
                database_->lastError().c_str());
    return;
  }
  StatementUse use(s);
  s->bind(1, on);
  s->bind(2, user);
  if (!s->execute()) {
    VESKLogImpl("EntryPersistenter: setAllOfflineDownload error:%s", s->errorMessage().c_str());
  }
}

std::shared_ptr<Feed> EntryPersistenter::allocReadOfflineDownloadEntrysInFeed() {
  VESKLogImpl("EntryPersistenter: allocReadOfflineDownloadEntrysInFeed");
  auto feed = newLocalFeed(std::string("nil"));
  feed->setFirstLink(localLink("local://"));
  feed->setLastLink(localLink("local://"));
  feed->setSelfLink(localLink("local://"));
  feed->setNextLink(localLink("local://"));
  feed->setPrevLink(localLink("local://"));
  if (myDBSource_ != kSourceSubscribe) return feed;

  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kSelectOffline);
  if (!s) return feed;
  StatementUse use(s);
  s->bind(1, user);
  while (s->next()) {
    if (s->columnInt64(3) == 0) continue;
    if (std::shared_ptr<Entry> entry = parseRow(*s)) {
      feed->appendEntrys(std::move(entry));
    } else {
      VESKLogImpl("EntryPersistenter: allocReadOfflineDownloadEntrysInFeed nodeEntry=nil");
    }
  }
  return feed;
}

bool EntryPersistenter::isEntryNeedOfflineDownload(const Text& entryId) {
  VESKLogImpl("EntryPersistenter: isEntryNeedOfflineDownload");
  if (myDBSource_ != kSourceSubscribe) return false;
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kGetOffline);
  if (!s) return false;
  StatementUse use(s);
  s->bind(1, entryId);
  s->bind(2, user);
  bool need = false;
  while (s->next()) need = s->columnInt64(0) != 0;
  return need;
}

int EntryPersistenter::countOfflineDownloadEntries() {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kCountOffline);
  if (!s) return 0;
  StatementUse use(s);
  s->bind(1, user);
  int count = 0;
  while (s->next()) {
    std::optional<std::string> xml = s->columnText(0);
    if (!xml) continue;
    std::shared_ptr<Entry> entry = VESKAtomParser::allocParseEntry(*xml, entryKind());
    // Book columns (type 9) are downloaded by the book reader, not counted here.
    if (entry && entry->veskEntryStatus() && entry->veskEntryStatus()->type() < 9) ++count;
  }
  return count;
}

// ---- Column bookkeeping --------------------------------------------------------------------

void EntryPersistenter::setColumnLastestSummaryId(const Text& columnId, const Text& summaryId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  runColumnUpdate(statement(kSetLatestSummary), summaryId, columnId, user);
}

EntryPersistenter::Text EntryPersistenter::getColumnLastestSummaryId(const Text& columnId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kGetLatestSummary);
  if (!s) return std::nullopt;
  StatementUse use(s);
  s->bind(1, columnId);
  s->bind(2, user);
  return s->next() ? s->columnText(0) : std::nullopt;
}

void EntryPersistenter::setColumnLastestShowedSummaryId(const Text& columnId,
                                                        const Text& summaryId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  runColumnUpdate(statement(kSetLatestShowed), summaryId, columnId, user);
}

EntryPersistenter::Text EntryPersistenter::getColumnLastestShowedSummaryId(const Text& columnId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kGetLatestShowed);
  if (!s) return std::nullopt;
  StatementUse use(s);
  s->bind(1, columnId);
  s->bind(2, user);
  return s->next() ? s->columnText(0) : std::nullopt;
}

void EntryPersistenter::setColumnDeletedMark(const Text& columnId, int mark) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  runColumnUpdate(statement(kSetDeletedMark), mark, columnId, user);
}

bool EntryPersistenter::isColumnExistWithDeletedMark(const Text& columnId, bool* deleted) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kGetDeletedMark);
  if (!s) return false;
  StatementUse use(s);
  s->bind(1, columnId);
  s->bind(2, user);
  if (!s->next()) return false;
  if (deleted) *deleted = !s->columnIsNull(0) && s->columnInt64(0) == 1;
  return true;
}

bool EntryPersistenter::setBookLastUpdatedTime(const Text& entryId, int64_t time) {
  if (!entryId || !isEntryExist(entryId)) return false;
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kSetBookTime);
  if (!runColumnUpdate(s, time, entryId, user)) {
    VESKLogImpl("EntryPersistenter: setColumnContentLastUpdatedTime error:%s",
                s ? s->errorMessage().c_str() : database_->lastError().c_str());
    return false;
  }
  return true;
}

int64_t EntryPersistenter::getBookLastUpdatedTime(const Text& entryId) {
  Text user = CommInfo::getUsername();
  std::lock_guard<std::mutex> lock(*databaseCondition_);
  Statement* s = statement(kGetBookTime);
  if (!s) return 0;
  StatementUse use(s);
  s->bind(1, entryId);
  s->bind(2, user);
  return s->next() ? s->columnInt64(0) : 0;
}

// ---- Per-user values -----------------------------------------------------------------------

bool EntryPersistenter::setUserDefinedValue(const Text& key, const Text& value) {
  return setUserDefinedValue(key, value, CommInfo::getUsername());
}

EntryPersistenter::Text EntryPersistenter::getUserDefinedValue(const Text& key) {
  return getUserDefinedValue(key, CommInfo::getUsername());
}

bool EntryPersistenter::setUserDefinedValue(const Text& key, const Text& value,
                                            const Text& user) {
  VESKLogImpl("setUserDefinedValue: opening for UserDefinedDB");
  if (!key || !user) {
    VESKLogImpl("setUserDefinedValue: Failed to exec sql:%s", "no key or no current user");
    return false;
  }
  Database db;
  if (openStoreFile(db, kUserDefinedFileName) != SQLITE_OK) {
    VESKLogImpl("setUserDefinedValue: Failed to open database");
    return false;
  }
  if (db.exec(kCreateUserDefined) != SQLITE_OK) {
    VESKLogImpl("setUserDefinedValue: Error creating table: %s", db.lastError().c_str());
    return false;
  }
  Statement s = db.prepare(kSetUserDefined);
  s.bind(1, rowKey(*key, "+", *user));
  s.bind(2, *user);
  s.bind(3, *key);
  s.bind(4, value);
  if (!s.execute()) {
    VESKLogImpl("setUserDefinedValue: Failed to exec sql:%s",
                s.valid() ? s.errorMessage().c_str() : db.lastError().c_str());
    return false;
  }
  return true;
}

EntryPersistenter::Text EntryPersistenter::getUserDefinedValue(const Text& key,
                                                              const Text& user) {
  VESKLogImpl("getUserDefinedValue: opening");
  Database db;
  // A read never creates the file; read-write so that an interrupted write is rolled back.
  if (openStoreFile(db, kUserDefinedFileName, SQLITE_OPEN_READWRITE) != SQLITE_OK) {
    VESKLogImpl("getUserDefinedValue: Failed to open database");
    return std::nullopt;
  }
  Statement s = db.prepare(kGetUserDefined);  // invalid while the table is missing
  s.bind(1, key);
  s.bind(2, user);
  if (!s.next()) return std::nullopt;
  VESKLogImpl("getUserDefinedValue: find record");
  return s.columnText(0);
}

}  // namespace zu
