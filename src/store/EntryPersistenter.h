// EntryPersistenter: the reader's own lists kept on the device, per user, in SQLite: the
// subscribed columns (source 1, "userSubscribe.db") and the favourite articles (source 2,
// "userFavorite.db"), both in Documents/userEntry/. Each row holds one whole entry as its stored
// entry XML beside a few columns the engine reads without parsing (order, offline-download flag,
// latest summary ids, deleted mark, book time). Reading a list gives a local Feed whose paging
// links are "local://<page size>/<offset>" of type "persistenterUrl", so screens page through
// local lists as through server feeds.
//
// Side stores: the time of the last account sync per user ("userSubscribeTime.db" /
// "userFavoriteTime.db") and per-user key/value pairs ("userDefined.db", used by the engine
// settings); those files are opened and closed within each call.
//
// Ownership and threads: the data engine creates one object per source at start and shares them
// (std::shared_ptr) with its tasks; the main thread and the "task" thread both call in. Every
// statement on the store's own connection runs under databaseCondition(), a multi-statement
// operation holding it for the whole operation. The subscription store's connection and lock
// are also used by the book stores, which hold the two shared pointers and take the same lock
// around each of their statements. The side files take no lock.
//
// Durability: both files are in write-ahead-log mode with "synchronous" FULL, because they hold
// what only the reader has (order, offline marks, deleted marks, shown-article ids, favourites,
// and on the subscription file the book stores' bookmarks, memos and reading positions): every
// such commit is on the disk when it returns, and kill -9 or a power cut at any point loses
// none of it. The one exception is saveColumnRefresh(): a refresh's rewrite of a column's row
// holds only what the service sends again, so it commits at NORMAL (no sync of its own; the
// next full commit or checkpoint syncs it). A power cut may take a refresh back to the row's
// older state, whole; a killed process loses nothing committed.
//
// Every value reaches SQLite as a bound parameter, so any text (quotes included) is stored and
// read back unchanged. Row operations work for the current user (CommInfo::getUsername());
// without a current user they find nothing and insert nothing. Failures are logged
// ("EntryPersistenter: ...") and reported as false, 0 or null; nothing is thrown.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/columns/LatestSummaryIdSource.h"
#include "platform/sqlite/Database.h"

namespace zu {

class BookCatalogPersistenter;
class BookMarkPersistenter;
class BookMemoPersistenter;
class BookPersistenter;
class BookReadInfoPersistenter;
class Entry;
class Feed;

class EntryPersistenter : public LatestSummaryIdSource {
 public:
  using Text = std::optional<std::string>;

  static constexpr int kSourceSubscribe = 1;
  static constexpr int kSourceFavorite = 2;
  // Rows per local page: the favourites page by 20, the subscriptions come in one page.
  static constexpr int32_t kFavoritePageSize = 20;
  static constexpr int32_t kSubscribePageSize = std::numeric_limits<int32_t>::max();
  // The user name of a reader who has not logged in, and the author of local feeds.
  static constexpr const char* kGuestUserName = "wayfarers";
  // The link type of every link of a local feed.
  static constexpr const char* kLocalLinkType = "persistenterUrl";
  // Between the entry id and the user name in the key of a saved entry's row (the MD5 of the
  // three): a user name holding it could name another user's row.
  static constexpr const char* kRowKeySeparator = "----";
  static constexpr const char* kSubscribeFileName = "userSubscribe.db";
  static constexpr const char* kFavoriteFileName = "userFavorite.db";
  static constexpr const char* kSubscribeTimeFileName = "userSubscribeTime.db";
  static constexpr const char* kFavoriteTimeFileName = "userFavoriteTime.db";
  static constexpr const char* kUserDefinedFileName = "userDefined.db";

  // Opens the store of `source` (kSourceSubscribe or kSourceFavorite), first moving the files of
  // an older layout into place, creating the table and adding columns an older file lacks.
  // Null for another source or when the file cannot be opened or the table made.
  static std::shared_ptr<EntryPersistenter> initWithDBopen(int source);

  ~EntryPersistenter() override;
  EntryPersistenter(const EntryPersistenter&) = delete;
  EntryPersistenter& operator=(const EntryPersistenter&) = delete;

  int myDBSource() const { return myDBSource_; }
  // The connection and its lock, shared with the book stores.
  const std::shared_ptr<Database>& database() const { return database_; }
  const std::shared_ptr<std::mutex>& databaseCondition() const { return databaseCondition_; }

  // The book stores on this connection and lock: made at open on the subscription store, null
  // on the favourites store.
  const std::shared_ptr<BookPersistenter>& bookPersistenter() const { return bookPersistenter_; }
  const std::shared_ptr<BookMarkPersistenter>& bookmarkPersistenter() const {
    return bookmarkPersistenter_;
  }
  const std::shared_ptr<BookMemoPersistenter>& bookmemoPersistenter() const {
    return bookmemoPersistenter_;
  }
  const std::shared_ptr<BookCatalogPersistenter>& catalogPersistenter() const {
    return catalogPersistenter_;
  }
  const std::shared_ptr<BookReadInfoPersistenter>& readInfoPersistenter() const {
    return readInfoPersistenter_;
  }

  // ---- Rows of the current user ------------------------------------------------------------

  // Stores the entry (keyed by its id and the user; a stored row of the same id is replaced)
  // with the next order number and the offline flag cleared. On the favourites store an entry
  // status that is not read is first marked read. False for a null entry, an entry without id,
  // no current user or a failed write.
  bool insertEntry(const std::shared_ptr<Entry>& entry);
  // insertEntry for each entry in order, all in one transaction: either all are stored or, on
  // any failure, none (false).
  bool insertEntries(const std::vector<std::shared_ptr<Entry>>& entries);
  // The same as rows of `username` instead of the current user's.
  bool insertEntries(const std::vector<std::shared_ptr<Entry>>& entries, const Text& username);
  bool deleteEntry(const Text& entryId);
  // deleteEntry for each id, in one transaction; false (and nothing deleted) on any failure.
  bool deleteEntries(const std::vector<std::string>& entryIds);
  // Numbers the entries' rows 1, 2, ... in array order, in one transaction. A failing update is
  // logged and the others still apply; the result is then false.
  bool updateOrder(const std::vector<std::shared_ptr<Entry>>& entries);
  // Deletes every row of the current user.
  bool clearEntry();
  // Rewrites title, updated time and XML of the row keyed by the entry's id.
  bool updateEntry(const std::shared_ptr<Entry>& entry);
  // Rewrites the row of `entryId` with `title` and the entry's time and XML; when no such row
  // exists the entry is inserted instead (true). False for a missing id or entry.
  bool updateEntry(const Text& entryId, const Text& title, const std::shared_ptr<Entry>& entry);
  bool isEntryExist(const Text& entryId);
  // The column's own time recorded at the last refresh that found new content. False when the
  // id is missing or not stored.
  bool setEntryLastCacheTime(const Text& entryId, int64_t time);
  int64_t getEntryLastCacheTime(const Text& entryId);
  // The same time (0 when none was recorded), or nullopt when the row does not exist: one query
  // where isEntryExist and getEntryLastCacheTime would make two.
  std::optional<int64_t> findEntryLastCacheTime(const Text& entryId);

  // What one column refresh changes in the column's row. Each part left empty stays as stored.
  struct ColumnRefresh {
    Text columnId;
    // The column as the service sent it: its title, time and XML replace the row's.
    std::shared_ptr<Entry> latest;
    Text latestSummaryId;                    // column_lastest_summary_id
    std::optional<int64_t> sourceSavedTime;  // source_saved_time
  };
  // Writes the parts of `refresh` that are set to the current user's row of the column, in one
  // transaction committed without waiting for the disk (all of it is the service's and comes
  // again with the next refresh; see the file's durability below). Nothing is written when no
  // part is set; a row that does not exist (the reader removed the column meanwhile) is not
  // made again. False for a missing id or a failed write, which leaves the row as it was.
  bool saveColumnRefresh(const ColumnRefresh& refresh);
  // The stored entry (a Column on the subscription store, a NewsSummary on the favourites
  // store), its title taken from the row when the row has one. Null when absent or unreadable.
  std::shared_ptr<Entry> allocReadEntry(const Text& entryId);
  int countReadEntries();

  // ---- Local feeds -------------------------------------------------------------------------

  // One page of the current user's list (columns not marked deleted). `localUrl` is
  // "local://<size>/<offset>"; a missing or malformed URL, or a negative offset, reads as
  // offset 0. Null when the offset lies beyond the row count.
  std::shared_ptr<Feed> allocReadEntriesInFeed(const Text& localUrl);
  // The same for `username`; with `deletedMark` only the columns marked deleted.
  std::shared_ptr<Feed> allocReadEntriesInFeedwithUsername(const Text& localUrl,
                                                           const Text& username,
                                                           bool deletedMark);
  // Every column of the current user marked deleted.
  std::shared_ptr<Feed> allocReadEntriesInFeedWithDeletedMark();

  // ---- Account sync times ------------------------------------------------------------------

  // Records now (milliseconds) as the user's last sync, in this source's time file.
  bool saveCurrentTimeWhenSync(const Text& username);
  // True when the guest stored a row after the user's last recorded sync.
  bool isNeedSync(const Text& username);

  // ---- Offline download (subscription store) -----------------------------------------------

  void setEntryOfflineDownload(const Text& entryId, int on);
  void setAllEntriesOfflineDownload(int on);
  // The current user's columns marked for offline download (empty on the favourites store).
  std::shared_ptr<Feed> allocReadOfflineDownloadEntrysInFeed();
  bool isEntryNeedOfflineDownload(const Text& entryId);
  // How many marked columns are not book columns.
  int countOfflineDownloadEntries();

  // ---- Column bookkeeping ------------------------------------------------------------------

  void setColumnLastestSummaryId(const Text& columnId, const Text& summaryId);
  Text getColumnLastestSummaryId(const Text& columnId);
  void setColumnLastestShowedSummaryId(const Text& columnId, const Text& summaryId);
  Text getColumnLastestShowedSummaryId(const Text& columnId);
  // LatestSummaryIdSource (Column::haveNewContent): the two ids above for a column.
  Text getColumnLastestSummaryId(const std::string& columnId) override {
    return getColumnLastestSummaryId(Text(columnId));
  }
  Text getColumnLastestShowedSummaryId(const std::string& columnId) override {
    return getColumnLastestShowedSummaryId(Text(columnId));
  }
  void setColumnDeletedMark(const Text& columnId, int mark);
  // True when the column is stored; *deleted (when given) tells whether its mark is 1.
  bool isColumnExistWithDeletedMark(const Text& columnId, bool* deleted);
  bool setBookLastUpdatedTime(const Text& entryId, int64_t time);
  int64_t getBookLastUpdatedTime(const Text& entryId);

  // ---- Per-user values ("userDefined.db") ---------------------------------------------------

  // A missing value stores NULL, which reads back as missing. False for a missing key.
  bool setUserDefinedValue(const Text& key, const Text& value);
  Text getUserDefinedValue(const Text& key);
  // The same for the values of `username` instead of the current user's.
  bool setUserDefinedValue(const Text& key, const Text& value, const Text& username);
  Text getUserDefinedValue(const Text& key, const Text& username);

  // The offset of a local URL: the fourth "/"-separated piece read as an integer (leading
  // blanks and sign allowed, junk after the digits ignored), 0 for a missing, short or
  // non-numeric URL, clamped to 0..INT32_MAX.
  static int32_t offsetOfLocalUrl(const Text& localUrl);

 private:
  explicit EntryPersistenter(int source);

  // The cached statement for `sql` (prepared on first use), or null when it cannot be
  // prepared (logged by the caller from database_->lastError()). Call under the lock.
  Statement* statement(const char* sql);
  int32_t pageSize() const;
  int32_t entryKind() const;
  const char* timeFileName() const;
  // Inserts under the lock. `lastOrder` (when given and not negative) is the order number of
  // the row inserted before in the same batch and is updated to the new row's.
  bool insertLocked(const std::shared_ptr<Entry>& entry, const Text& user, int64_t* lastOrder);
  bool deleteLocked(const Text& entryId, const Text& user);
  std::shared_ptr<Entry> parseRow(Statement& row) const;
  std::shared_ptr<Feed> newLocalFeed(const Text& title) const;

  int myDBSource_;
  std::shared_ptr<Database> database_;
  std::shared_ptr<std::mutex> databaseCondition_;
  std::unordered_map<std::string, Statement> statements_;
  std::shared_ptr<BookPersistenter> bookPersistenter_;
  std::shared_ptr<BookMarkPersistenter> bookmarkPersistenter_;
  std::shared_ptr<BookMemoPersistenter> bookmemoPersistenter_;
  std::shared_ptr<BookCatalogPersistenter> catalogPersistenter_;
  std::shared_ptr<BookReadInfoPersistenter> readInfoPersistenter_;
};

}  // namespace zu
