// FileCache: a named store of byte blobs addressed by a text key (a URL, or a key built from
// user, URL and body). Each blob is one file named by the key's uid (upper-case hex MD5) in
// <root>/<name>/file/, and the SQLite index <root>/<name>/index.db (table "tb_index") records its
// size, last access time (ms since 1970), item type and four caller values.
//
// Item types: 0 normal (counted against the size limit and trimmed automatically, oldest access
// first, down to half the limit), 1 offline-download item (never trimmed automatically, only by a
// clean-all pass), any other value is stored but counted nowhere.
//
// A save writes the file under a temporary name, switches the index row, then renames the file
// into place; the temporary name carries the new row's lastAccessed value, so opening the cache
// after an interrupted save either finishes it (the row was switched) or drops the temporary
// file (it was not). A row therefore never describes another version's bytes, and never a
// missing or partial file: on open, rows whose file is missing or has another size are dropped,
// and leftover temporary and unindexed files are removed.
//
// The uids of the index are also kept in memory, so a look-up of a key that was never stored
// costs no query; and each thread keeps the uid of the last key it hashed, so a look-up and the
// save that follows it, or fetches of one URL again and again, hash the key once. That assumes one FileCache per folder in a process (FileCacheManager makes
// sure); rows written by another connection are not seen until the cache is opened again.
//
// Writes: a cache made with Writes::kBehind (the response cache: a refresh stores every list
// answer, and creating files on a slow disk held up the transfers) has a writer thread of its
// own (a SlotWriter, one slot per uid): saves return at once (unless more than the writer's
// kMaxWaitingBytes wait: then they wait for room) and are written in the order they were made, a
// key saved again while its save waits is written once (the latest, in the first one's place),
// and until a save is written, loads answer from it (a load always sees the latest save). A
// save's file is written without holding the cache's lock, so loads of other keys never wait for
// the disk. Totals count what is written plus what waits (a waiting save of a stored key counts
// its new size instead of the old one), so the limit and trimming see what the cache will hold.
// A deletion, a count, a clean-all step or a path look-up of a waiting key first waits for the
// waiting saves; a save made before disable() is still written. Destruction writes what waits;
// flush() returns once it is written. kill -9 loses the saves not yet written, never the index's
// consistency (a key's row keeps its access time while its new file is written, so the temporary
// file's stamp stays its own). Writes::kAtOnce (the default) writes in save() on the calling
// thread.
//
// Links: the folders <root>, <root>/<name> and its "file" folder must be real ones: one that is
// a link is removed when the cache opens and a real folder made in its place, and every file
// operation works relative to the "file" folder opened for it (openat, unlinkat, renameat, never
// following a link; a link found there later fails the operation), so neither the clean-up at
// open nor a deletion or trimming can remove anything outside it, and no save writes through a
// link planted there.
//
// Made by FileCacheManager::getCache() (or create() directly in tests); shared. Thread-safe:
// one mutex guards the database, the totals, the flags and the pending access times. Access
// times are batched (written 50 at a time, and by flush() and before trimming).
//
// Durability: everything here is a copy of what the service sends again, so the index logs
// ahead with "synchronous" NORMAL and files are not flushed: kill -9 loses nothing saved, a
// power cut may lose the newest saves (never the index's consistency).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "engine/cache/SlotWriter.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Value.h"
#include "platform/sqlite/Database.h"

namespace zu {

class FileCacheManager;

class FileCache : public std::enable_shared_from_this<FileCache> {
 public:
  static constexpr int kItemTypeNormal = 0;
  static constexpr int kItemTypeOfflineDownload = 1;
  static constexpr const char* kTableName = "tb_index";
  static constexpr const char* kIndexFileName = "index.db";
  static constexpr const char* kFileFolderName = "file";
  // Pending access times are written once this many are waiting.
  static constexpr size_t kAccessBatch = 50;
  // A cache is trimmed at most once per this many milliseconds (measured from the previous
  // pass's start).
  static constexpr int64_t kAutoCleanIntervalMillis = 600000;
  // Items removed per step of a clean-all pass.
  static constexpr int kCleanBatch = 10;

  // Where a save's disk work is done: in save() itself, or on the cache's writer thread.
  enum class Writes { kAtOnce, kBehind };

  // Opens or creates the cache <rootDir>/<name>. `manager` (may be null) receives the requests
  // to trim this cache and tells whether trimming is switched on; it is not owned. Null when the
  // folder, the database or the table cannot be made.
  static std::shared_ptr<FileCache> create(const std::string& name, const std::string& rootDir,
                                           std::weak_ptr<FileCacheManager> manager = {},
                                           Writes writes = Writes::kAtOnce);
  ~FileCache();
  FileCache(const FileCache&) = delete;
  FileCache& operator=(const FileCache&) = delete;

  const std::string& name() const { return name_; }
  const std::string& fileDirectory() const { return fileDirectory_; }

  // The uid of a key: MD5 of its UTF-8 bytes as 32 upper-case hex digits.
  static std::string uidForKey(const std::string& key);

  // Stores or replaces an item. Absent texts are stored as empty texts. False when the key is
  // empty or the file or the index row could not be written (the item it would replace goes
  // then too); true when stored (or, writing behind, queued: a failed write is then only a
  // console line), and also when the cache is disabled (nothing is stored then, by design).
  bool saveEnhanced(const std::string& key, const Bytes& data, int itemType, int64_t extraNum1,
                    int64_t extraNum2, const std::optional<std::string>& extraText1,
                    const std::optional<std::string>& extraText2);
  // Item type 0, no extra values.
  bool save(const std::string& key, const Bytes& data);

  // 0 with the outputs set on success, -1 otherwise (empty key, disabled, no row, or the file is
  // missing or does not have the recorded size: then the row and file are dropped). Every output
  // may be null; with `data` null the file is checked but not read. Records an access.
  int loadEnhanced(const std::string& key, Bytes* data, int64_t* extraNum1, int64_t* extraNum2,
                   std::string* extraText1, std::string* extraText2);
  // The item's bytes, or nullopt.
  std::optional<Bytes> load(const std::string& key);
  // Removes one item (file and row) and subtracts its size from its type's total.
  void deleteFile(const std::string& key);
  // The item's file path when the file exists (records an access), else nullopt.
  std::optional<std::string> getFilePath(const std::string& key);

  // Running total of bytes of item type 0 or 1 (0 for other types), saves not yet written
  // included.
  int64_t getCurrentSize(int itemType);
  // Number of index rows of an item type (once the waiting saves are written).
  int getCachedItemsCount(int itemType);
  // Limit for type-0 bytes; 0 or less means no limit.
  void setLimitSize(int64_t limit);
  int64_t limitSize();

  // Enabling recomputes both totals from the index; while disabled, saving, loading, path
  // look-up and deleting do nothing.
  void enable();
  void disable();
  bool isDisabled();
  // Writes the waiting saves, then the pending access times.
  void flush();
  // For tests (writing behind): `hook` runs on the writer thread as it starts writing each
  // save's file, with the save's uid and the cache's lock free; it may block to hold the
  // writer there, as a slow disk would.
  void setWriterHookForTesting(std::function<void(const std::string& uid)> hook);

  // Steps of the trimming pass (run by the manager's auto-clean thread).
  // Asked after a normal item was saved; writes the pending access times when it answers yes.
  bool needAutoClean();
  // Whether the normal total is still above half the limit.
  bool needMoreAutoClean();
  void startAutoClean();
  void finishAutoClean();
  // Removes the normal item with the oldest access; its size goes to `size`. False when none.
  bool autoCleanOneNormalItem(int64_t* size);
  // Removes up to kCleanBatch items of the type; returns how many (0 when none was left).
  int cleanBatchItems(int itemType);

 private:
  // What a save stores beside the bytes.
  struct Values {
    int itemType = kItemTypeNormal;
    int64_t extraNum1 = 0;
    int64_t extraNum2 = 0;
    std::string extraText1;
    std::string extraText2;
  };
  // A save waiting for the writer thread.
  struct PendingSave {
    Bytes data;
    Values values;
    uint64_t sequence = 0;
  };
  // The size and type of an indexed item, or of a waiting save.
  struct Sized {
    int64_t size = 0;
    int itemType = kItemTypeNormal;
  };
  struct PendingSize {
    Sized item;
    uint64_t sequence = 0;
  };

  FileCache(std::string name, std::string rootDir, std::weak_ptr<FileCacheManager> manager);
  bool open();
  // The file folder, opened (not following a link) for one operation; nullopt when it is not
  // there as a real folder, and the operation then fails.
  std::optional<FolderHandle> filesFolder() const;
  // Writes a new file `name` in `files` (never through anything planted there); false, with
  // nothing left, on failure.
  static bool writeNewFile(const FolderHandle& files, const std::string& name, const Bytes& data);
  // Writes the file, switches the row and renames the file into place (see the top). `guard`
  // holds lock_; writing behind, it is let go while the file is written.
  bool storeLocked(std::unique_lock<std::mutex>& guard, const std::string& uid,
                   const Bytes& data, const Values& values);
  // The writer thread's job.
  void writePending(const std::string& uid, const PendingSave& save);
  // Changes the index's entry of a uid, keeping the waiting save's share of the totals right.
  void setIndexedLocked(const std::string& uid, std::optional<Sized> item);
  // Adds (sign 1) or takes back (-1) what the uid's waiting save adds to the totals beside the
  // indexed item it replaces.
  void countPendingLocked(const std::string& uid, int sign);
  // The type's running total with the waiting saves.
  int64_t totalLocked(int itemType) const;
  // Waits until the saves made so far are written (nothing when writing at once). Called
  // without lock_.
  void flushWrites();
  void dropInconsistentItemsLocked(const FolderHandle& files);
  void recomputeTotalsLocked();
  int64_t sumLocked(int itemType);
  void addToTotalLocked(int itemType, int64_t delta);
  void recordAccessLocked(const std::string& uid);
  void writePendingAccessesLocked();
  // `manager`: the owning manager, locked by the caller before it took lock_ (may be null).
  bool needAutoCleanLocked(FileCacheManager* manager);
  bool deleteRowLocked(const std::string& uid);
  std::string filePathForUid(const std::string& uid) const;
  static int64_t nowMillis();

  const std::string name_;
  const std::string rootDir_;
  const std::string cacheDir_;
  const std::string fileDirectory_;
  const std::weak_ptr<FileCacheManager> manager_;

  std::mutex lock_;
  Database db_;
  Statement insertStmt_;
  Statement selectRowStmt_;
  Statement selectSizeStmt_;
  Statement deleteStmt_;
  Statement touchStmt_;
  Statement oldestStmt_;
  Statement batchStmt_;
  Statement countStmt_;
  Statement sumStmt_;
  std::unordered_set<std::string> cachedLastAccessUids_;
  // Every uid that has a row, with the row's size and type.
  std::unordered_map<std::string, Sized> indexed_;
  // Writing behind: the waiting saves' sizes, and what they add to the totals of types 0 and 1
  // (new sizes, less the sizes of the indexed items they replace).
  std::unordered_map<std::string, PendingSize> pendingSizes_;
  int64_t pendingTotals_[2] = {0, 0};
  uint64_t pendingSequences_ = 0;
  int64_t limitSize_ = 0;
  int64_t currNormalSize_ = 0;
  int64_t currOfflineDownloadSize_ = 0;
  int64_t startAutoCleanTime_ = 0;
  int64_t lastAutoCleanTime_ = 0;
  bool autoCleaning_ = false;
  bool disabled_ = false;
  std::shared_ptr<const std::function<void(const std::string&)>> writerHook_;
  // Writing behind only. Last: its thread uses the fields above, and it is ended first.
  std::unique_ptr<SlotWriter<PendingSave>> writer_;
};

}  // namespace zu
