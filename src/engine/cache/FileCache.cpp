#include "engine/cache/FileCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "engine/cache/FileCacheManager.h"
#include "platform/crypto/Md5.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/FileUtil.h"

namespace zu {

namespace {

void consoleLine(const char* text) { std::fprintf(stderr, "%s\n", text); }

enum class ReadResult { kOk, kMissing, kWrongSize };

// Reads the regular file `name` of `files` when `data` is given, else only checks it; either
// way it must hold exactly `expectedSize` bytes. A link is missing.
ReadResult readWholeFile(const FolderHandle& files, const std::string& name, int64_t expectedSize,
                         Bytes* data) {
  if (!data) {
    const auto st = files.status(name);
    if (!st || !S_ISREG(st->st_mode)) return ReadResult::kMissing;
    return st->st_size == expectedSize ? ReadResult::kOk : ReadResult::kWrongSize;
  }
  const int fd = files.openFile(name, O_RDONLY);
  if (fd < 0) return ReadResult::kMissing;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != expectedSize) {
    ::close(fd);
    return ReadResult::kWrongSize;
  }
  std::optional<Bytes> bytes = FileUtil::readOpenFile(fd);
  ::close(fd);
  if (!bytes || bytes->size() != static_cast<size_t>(expectedSize)) return ReadResult::kWrongSize;
  *data = std::move(*bytes);
  return ReadResult::kOk;
}

// A uid as this cache makes them: 32 upper-case hex digits (so it is also a safe file name).
bool isUid(const std::string& text) {
  if (text.size() != 32) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

// The temporary name of a file being saved: "<uid>.<stamp>.tmp", where the stamp is the
// lastAccessed value its index row is written with.
std::string tempNameFor(const std::string& uid, int64_t stamp) {
  return uid + "." + std::to_string(stamp) + ".tmp";
}

// The uid and stamp of a temporary name, or false for any other name.
bool parseTempName(const std::string& name, std::string* uid, int64_t* stamp) {
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() <= 33 + kSuffix.size() || name[32] != '.' ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
    return false;
  }
  *uid = name.substr(0, 32);
  std::string digits = name.substr(33, name.size() - 33 - kSuffix.size());
  if (!isUid(*uid) || digits.empty() || digits.size() > 18) return false;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *stamp = value;
  return true;
}

bool isTotalled(int itemType) {
  return itemType == FileCache::kItemTypeNormal || itemType == FileCache::kItemTypeOfflineDownload;
}

// The uid of the last key hashed on this thread, valid until the thread hashes another key. A
// look-up and the save that follows it, or fetches of one URL again and again, hash once.
const std::string& lastUidForKey(const std::string& key) {
  struct Last {
    bool valid = false;
    std::string key;
    std::string uid;
  };
  thread_local Last last;
  if (!last.valid || key != last.key) {
    last.uid = crypto::Md5::hexUpper(key);
    last.key = key;
    last.valid = true;
  }
  return last.uid;
}

}  // namespace

std::shared_ptr<FileCache> FileCache::create(const std::string& name, const std::string& rootDir,
                                             std::weak_ptr<FileCacheManager> manager,
                                             Writes writes) {
  if (!FolderHandle::isEntryName(name)) return nullptr;
  std::shared_ptr<FileCache> cache(new FileCache(name, rootDir, std::move(manager)));
  if (!cache->open()) return nullptr;
  if (writes == Writes::kBehind) {
    FileCache* self = cache.get();
    cache->writer_ = std::make_unique<SlotWriter<PendingSave>>(
        name + " writer",
        [self](const std::string& uid, const PendingSave& save) { self->writePending(uid, save); });
  }
  return cache;
}

FileCache::FileCache(std::string name, std::string rootDir,
                     std::weak_ptr<FileCacheManager> manager)
    : name_(std::move(name)),
      rootDir_(std::move(rootDir)),
      cacheDir_(rootDir_ + "/" + name_),
      fileDirectory_(cacheDir_ + "/" + kFileFolderName),
      manager_(std::move(manager)) {
  cachedLastAccessUids_.reserve(kAccessBatch + 1);
}

FileCache::~FileCache() {
  // What waits is written first (the writer itself ends with the members, before the database).
  // The pointer stays set meanwhile: the writer thread reads it.
  flushWrites();
  std::lock_guard<std::mutex> guard(lock_);
  writePendingAccessesLocked();
}

bool FileCache::open() {
  // Each level real (a link or file in its place is replaced), the file folder held open.
  auto root = FolderHandle::openReal(rootDir_);
  auto cacheFolder = root ? root->openRealSubfolder(name_) : std::nullopt;
  std::optional<FolderHandle> files =
      cacheFolder ? cacheFolder->openRealSubfolder(kFileFolderName) : std::nullopt;
  if (!files) return false;
  // Anything but a regular file at the index's name is set aside and the index made anew.
  if (db_.openInFolder(*cacheFolder, kIndexFileName) != SQLITE_OK) return false;
  std::string create = std::string("create table if not exists ") + kTableName +
                       " (uid text primary key, size interger, lastAccessed interger, "
                       "noAutoClean interger, extraNum1 interger, extraNum2 interger, "
                       "extraText1 text, extraText2 textr);";
  if (db_.exec(create) != SQLITE_OK) {
    db_.close();
    return false;
  }
  // Write-ahead logging without a sync per commit: a killed process loses nothing, and a save
  // or a batch of access times costs no fsync.
  db_.exec("pragma journal_mode=wal;");
  db_.exec("pragma synchronous=normal;");
  db_.setBusyTimeout(5000);

  const std::string t = kTableName;
  insertStmt_ = db_.prepare("insert or replace into " + t +
                            " (uid, size, lastAccessed, noAutoClean, extraNum1, extraNum2, "
                            "extraText1, extraText2) values (?, ?, ?, ?, ?, ?, ?, ?);");
  selectRowStmt_ = db_.prepare("select size, noAutoClean, extraNum1, extraNum2, extraText1, "
                               "extraText2 from " + t + " where uid=?;");
  selectSizeStmt_ =
      db_.prepare("select size, noAutoClean, lastAccessed from " + t + " where uid=?;");
  deleteStmt_ = db_.prepare("delete from " + t + " where uid = ?;");
  touchStmt_ = db_.prepare("update " + t + " set lastAccessed = ? where uid = ?;");
  oldestStmt_ = db_.prepare("select uid, size from " + t +
                            " where noAutoClean=? order by lastAccessed limit 1;");
  batchStmt_ = db_.prepare("select uid, size from " + t + " where noAutoClean=? limit " +
                           std::to_string(kCleanBatch) + ";");
  countStmt_ = db_.prepare("select count(uid) from " + t + " where noAutoClean=?;");
  sumStmt_ = db_.prepare("select sum(size) from " + t + " where noAutoClean=?;");
  if (!insertStmt_ || !selectRowStmt_ || !selectSizeStmt_ || !deleteStmt_ || !touchStmt_ ||
      !oldestStmt_ || !batchStmt_ || !countStmt_ || !sumStmt_) {
    db_.close();
    return false;
  }

  std::lock_guard<std::mutex> guard(lock_);
  dropInconsistentItemsLocked(*files);
  recomputeTotalsLocked();
  return true;
}

std::optional<FolderHandle> FileCache::filesFolder() const {
  return FolderHandle::openExisting(fileDirectory_);
}

// Makes the index and the files agree after an interrupted run. A save that was interrupted
// after its row was written is finished first: its temporary file, stamped with the row's
// lastAccessed value, is moved into place; any other temporary file belongs to a save whose row
// never changed and goes. Then rows whose file is missing or has another size go (with the
// file), and so do files without a row. Rows whose uid is not one this cache makes go too, so
// no later removal can name a path outside the file folder.
void FileCache::dropInconsistentItemsLocked(const FolderHandle& files) {
  {
    const std::vector<std::string> temps = files.names();
    Statement stampOf = db_.prepare(std::string("select lastAccessed from ") + kTableName +
                                    " where uid=?;");
    for (const std::string& name : temps) {
      std::string uid;
      int64_t stamp = 0;
      if (!parseTempName(name, &uid, &stamp)) continue;
      stampOf.reset();
      stampOf.bind(1, uid);
      bool committed = stampOf.next() && stampOf.columnInt64(0) == stamp;
      stampOf.reset();
      if (!committed || !files.isRegularFile(name) || !files.rename(name, uid)) {
        files.remove(name);
      }
    }
  }

  std::unordered_map<std::string, Sized> kept;
  std::vector<std::string> bad;
  {
    Statement all =
        db_.prepare(std::string("select uid, size, noAutoClean from ") + kTableName + ";");
    while (all.next()) {
      std::string uid = all.columnString(0);
      int64_t size = all.columnInt64(1);
      const int itemType = all.columnInt(2);
      const auto st = isUid(uid) ? files.status(uid) : std::nullopt;
      if (!st || !S_ISREG(st->st_mode) || st->st_size != size) {
        bad.push_back(std::move(uid));
      } else {
        kept.emplace(std::move(uid), Sized{size, itemType});
      }
    }
  }
  if (!bad.empty()) {
    Transaction tx(db_);
    for (const auto& uid : bad) deleteRowLocked(uid);
    tx.commit();
  }
  // Whatever else is in the file folder goes: a link only as the link, a folder with what is in
  // it, never what lies outside.
  for (const std::string& name : files.names()) {
    if (!kept.count(name)) files.remove(name);
  }
  indexed_ = std::move(kept);
}

std::string FileCache::uidForKey(const std::string& key) { return lastUidForKey(key); }

std::string FileCache::filePathForUid(const std::string& uid) const {
  return fileDirectory_ + "/" + uid;
}

int64_t FileCache::nowMillis() { return Clock::get()->nowMillis(); }

int64_t FileCache::sumLocked(int itemType) {
  sumStmt_.reset();
  sumStmt_.bind(1, itemType);
  int64_t sum = sumStmt_.next() ? sumStmt_.columnInt64(0) : 0;
  sumStmt_.reset();
  return sum;
}

void FileCache::recomputeTotalsLocked() {
  currNormalSize_ = sumLocked(kItemTypeNormal);
  currOfflineDownloadSize_ = sumLocked(kItemTypeOfflineDownload);
}

void FileCache::addToTotalLocked(int itemType, int64_t delta) {
  if (itemType == kItemTypeNormal) {
    currNormalSize_ += delta;
  } else if (itemType == kItemTypeOfflineDownload) {
    currOfflineDownloadSize_ += delta;
  }
}

int64_t FileCache::totalLocked(int itemType) const {
  if (itemType == kItemTypeNormal) return currNormalSize_ + pendingTotals_[0];
  if (itemType == kItemTypeOfflineDownload) return currOfflineDownloadSize_ + pendingTotals_[1];
  return 0;
}

void FileCache::countPendingLocked(const std::string& uid, int sign) {
  auto pending = pendingSizes_.find(uid);
  if (pending == pendingSizes_.end()) return;
  auto add = [&](const Sized& item, int64_t factor) {
    if (isTotalled(item.itemType)) pendingTotals_[item.itemType] += factor * item.size;
  };
  add(pending->second.item, sign);
  if (auto old = indexed_.find(uid); old != indexed_.end()) add(old->second, -sign);
}

void FileCache::setIndexedLocked(const std::string& uid, std::optional<Sized> item) {
  countPendingLocked(uid, -1);
  if (item) {
    indexed_[uid] = *item;
  } else {
    indexed_.erase(uid);
  }
  countPendingLocked(uid, 1);
}

bool FileCache::deleteRowLocked(const std::string& uid) {
  deleteStmt_.reset();
  deleteStmt_.bind(1, uid);
  if (!deleteStmt_.execute()) return false;
  setIndexedLocked(uid, std::nullopt);
  return true;
}

void FileCache::setWriterHookForTesting(std::function<void(const std::string& uid)> hook) {
  std::lock_guard<std::mutex> guard(lock_);
  writerHook_ = hook ? std::make_shared<const std::function<void(const std::string&)>>(std::move(hook))
                     : nullptr;
}

void FileCache::flushWrites() {
  if (writer_) writer_->flush();
}

bool FileCache::saveEnhanced(const std::string& key, const Bytes& data, int itemType,
                             int64_t extraNum1, int64_t extraNum2,
                             const std::optional<std::string>& extraText1,
                             const std::optional<std::string>& extraText2) {
  if (key.empty()) return false;
  const std::string uid = uidForKey(key);
  Values values{itemType, extraNum1, extraNum2, extraText1.value_or(std::string()),
                extraText2.value_or(std::string())};
  bool startClean = false;
  // Held from before the cache lock to after it: should this be the last reference to the
  // manager, it is destroyed (and joins its auto-clean thread) with the cache lock free.
  std::shared_ptr<FileCacheManager> manager = manager_.lock();
  if (writer_) writer_->waitForRoom();  // without lock_: the writer takes it
  {
    std::unique_lock<std::mutex> guard(lock_);
    if (!db_.isOpen() || disabled_) return true;
    if (writer_) {
      // The waiting save counts in the totals at once, so trimming starts as it would have
      // once the save was written.
      countPendingLocked(uid, -1);
      pendingSizes_[uid] = PendingSize{Sized{static_cast<int64_t>(data.size()), itemType},
                                       ++pendingSequences_};
      countPendingLocked(uid, 1);
      writer_->put(uid, PendingSave{data, std::move(values), pendingSequences_}, data.size());
    } else if (!storeLocked(guard, uid, data, values)) {
      return false;
    }
    if (itemType == kItemTypeNormal) startClean = needAutoCleanLocked(manager.get());
  }
  if (startClean && manager) manager->asyncAutoCleanCache(shared_from_this());
  return true;
}

void FileCache::writePending(const std::string& uid, const PendingSave& save) {
  std::unique_lock<std::mutex> guard(lock_);
  if (db_.isOpen()) storeLocked(guard, uid, save.data, save.values);
  // Written (or failed): the save no longer waits, unless a newer one of the key came meanwhile.
  auto pending = pendingSizes_.find(uid);
  if (pending != pendingSizes_.end() && pending->second.sequence == save.sequence) {
    countPendingLocked(uid, -1);
    pendingSizes_.erase(pending);
  }
}

bool FileCache::writeNewFile(const FolderHandle& files, const std::string& name,
                             const Bytes& data) {
  int fd = files.openFile(name, O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0 && errno == EEXIST) {
    // A file left by an interrupted save, or anything planted (a link, a FIFO): the entry
    // itself goes, never what it points at, and the file is made anew. A folder is not ours
    // to remove: the save fails.
    const auto st = files.status(name);
    if (st && !S_ISDIR(st->st_mode) && files.remove(name)) {
      fd = files.openFile(name, O_WRONLY | O_CREAT | O_EXCL, 0644);
    }
  }
  if (fd < 0) return false;
  bool ok = FileUtil::writeAll(fd, data.data(), data.size());
  if (::close(fd) != 0) ok = false;
  if (!ok) files.remove(name);
  return ok;
}

bool FileCache::storeLocked(std::unique_lock<std::mutex>& guard, const std::string& uid,
                            const Bytes& data, const Values& values) {
  // File and row change together: the new bytes go to a temporary file stamped with the
  // lastAccessed value of the new row, the row is switched (one statement, so one
  // transaction), and only then the file is renamed over the old one. Interrupted before the
  // row changed, the old item stays whole; after it, opening the cache finds the stamp in the
  // row and finishes the rename. Either way a row never describes another file's bytes.
  struct OldRow {
    int64_t size;
    int type;
    int64_t lastAccessed;
  };
  auto oldRow = [&]() -> std::optional<OldRow> {
    std::optional<OldRow> old;
    selectSizeStmt_.reset();
    selectSizeStmt_.bind(1, uid);
    if (selectSizeStmt_.next()) {
      old = OldRow{selectSizeStmt_.columnInt64(0), selectSizeStmt_.columnInt(1),
                   selectSizeStmt_.columnInt64(2)};
    }
    selectSizeStmt_.reset();
    return old;
  };
  std::optional<OldRow> old = oldRow();
  int64_t stamp = nowMillis();
  // The stamp tells the new row from the old one, so it must differ from the old row's: a
  // temporary file whose stamp is in the row is taken for a switched row after a kill.
  if (old && old->lastAccessed == stamp) ++stamp;
  const std::string temp = tempNameFor(uid, stamp);
  // Writing behind, the lock is let go while the file is written. That keeps the stamp apart
  // from the row's: only the writer thread saves, and access times skip keys whose save waits
  // (writePendingAccessesLocked). The row may still go meanwhile (trimmed or deleted), so it is
  // read again. Writing at once, the lock keeps two saves of a key apart.
  const auto hook = writer_ ? writerHook_ : nullptr;
  if (writer_) guard.unlock();
  if (hook) (*hook)(uid);
  const std::optional<FolderHandle> files = filesFolder();
  const bool written = files && writeNewFile(*files, temp, data);
  if (writer_) {
    guard.lock();
    old = oldRow();
  }
  // A save that cannot be stored leaves no item of its key: the one kept was replaced by the
  // service, and kept it would still be served (as fresh until its Expires), after loads
  // answered with the newer bytes while they waited to be written.
  auto dropOld = [&] {
    if (files) files->remove(temp);
    if (!old) return;
    if (files) files->remove(uid);
    if (deleteRowLocked(uid)) addToTotalLocked(old->type, -old->size);
    cachedLastAccessUids_.erase(uid);
  };
  if (!written) {
    consoleLine("save file failed");
    dropOld();
    return false;
  }

  insertStmt_.reset();
  insertStmt_.bind(1, uid);
  insertStmt_.bind(2, static_cast<int64_t>(data.size()));
  insertStmt_.bind(3, stamp);
  insertStmt_.bind(4, values.itemType);
  insertStmt_.bind(5, values.extraNum1);
  insertStmt_.bind(6, values.extraNum2);
  insertStmt_.bind(7, values.extraText1);
  insertStmt_.bind(8, values.extraText2);
  if (!insertStmt_.execute()) {
    consoleLine("Update database failed");
    dropOld();
    return false;
  }
  setIndexedLocked(uid, Sized{static_cast<int64_t>(data.size()), values.itemType});

  if (!files->rename(temp, uid)) {
    // The row already describes the new bytes, which cannot be put in place: the item goes.
    consoleLine("save file failed");
    files->remove(temp);
    files->remove(uid);
    if (deleteRowLocked(uid) && old) addToTotalLocked(old->type, -old->size);
    return false;
  }

  // A replaced item gives back its old size, so the totals follow what is on disk.
  if (old) addToTotalLocked(old->type, -old->size);
  addToTotalLocked(values.itemType, static_cast<int64_t>(data.size()));
  return true;
}

bool FileCache::save(const std::string& key, const Bytes& data) {
  return saveEnhanced(key, data, kItemTypeNormal, 0, 0, std::nullopt, std::nullopt);
}

int FileCache::loadEnhanced(const std::string& key, Bytes* data, int64_t* extraNum1,
                            int64_t* extraNum2, std::string* extraText1,
                            std::string* extraText2) {
  if (key.empty()) return -1;
  const std::string& probe = lastUidForKey(key);
  std::lock_guard<std::mutex> guard(lock_);
  if (!db_.isOpen() || disabled_) return -1;
  // A save not written yet answers for its key.
  if (writer_) {
    if (auto save = writer_->pending(probe)) {
      if (data) *data = save->data;
      if (extraNum1) *extraNum1 = save->values.extraNum1;
      if (extraNum2) *extraNum2 = save->values.extraNum2;
      if (extraText1) *extraText1 = save->values.extraText1;
      if (extraText2) *extraText2 = save->values.extraText2;
      return 0;
    }
  }
  // Most look-ups of the response cache are for answers never stored: no row, no query (and
  // no copy of the uid).
  if (!indexed_.count(probe)) return -1;
  const std::string uid = probe;

  selectRowStmt_.reset();
  selectRowStmt_.bind(1, uid);
  if (!selectRowStmt_.next()) {
    selectRowStmt_.reset();
    return -1;
  }
  const int64_t size = selectRowStmt_.columnInt64(0);
  const int itemType = selectRowStmt_.columnInt(1);
  const int64_t n1 = selectRowStmt_.columnInt64(2);
  const int64_t n2 = selectRowStmt_.columnInt64(3);
  std::string t1 = extraText1 ? selectRowStmt_.columnString(4) : std::string();
  std::string t2 = extraText2 ? selectRowStmt_.columnString(5) : std::string();
  selectRowStmt_.reset();

  const std::optional<FolderHandle> files = filesFolder();
  if (!files || readWholeFile(*files, uid, size, data) != ReadResult::kOk) {
    // Removed or damaged behind our back: forget the item.
    if (files) files->remove(uid);
    if (deleteRowLocked(uid)) addToTotalLocked(itemType, -size);
    return -1;
  }
  recordAccessLocked(uid);
  if (extraNum1) *extraNum1 = n1;
  if (extraNum2) *extraNum2 = n2;
  if (extraText1) *extraText1 = std::move(t1);
  if (extraText2) *extraText2 = std::move(t2);
  return 0;
}

std::optional<Bytes> FileCache::load(const std::string& key) {
  Bytes data;
  if (loadEnhanced(key, &data, nullptr, nullptr, nullptr, nullptr) != 0) return std::nullopt;
  return data;
}

void FileCache::deleteFile(const std::string& key) {
  if (key.empty()) return;
  const std::string uid = uidForKey(key);
  flushWrites();  // a waiting save of the key would bring it back
  std::lock_guard<std::mutex> guard(lock_);
  if (!db_.isOpen() || disabled_) return;
  selectSizeStmt_.reset();
  selectSizeStmt_.bind(1, uid);
  if (!selectSizeStmt_.next()) {
    selectSizeStmt_.reset();
    return;
  }
  const int64_t size = selectSizeStmt_.columnInt64(0);
  const int itemType = selectSizeStmt_.columnInt(1);
  selectSizeStmt_.reset();
  if (auto files = filesFolder()) files->remove(uid);
  if (deleteRowLocked(uid)) addToTotalLocked(itemType, -size);
  cachedLastAccessUids_.erase(uid);
}

std::optional<std::string> FileCache::getFilePath(const std::string& key) {
  if (key.empty()) return std::nullopt;
  const std::string uid = uidForKey(key);
  std::string path = filePathForUid(uid);
  if (writer_ && writer_->pending(uid)) flushWrites();  // the path is asked for its file
  std::lock_guard<std::mutex> guard(lock_);
  if (!db_.isOpen() || disabled_) return std::nullopt;
  const std::optional<FolderHandle> files = filesFolder();
  if (!files || !files->isRegularFile(uid)) return std::nullopt;
  recordAccessLocked(uid);
  return path;
}

int64_t FileCache::getCurrentSize(int itemType) {
  std::lock_guard<std::mutex> guard(lock_);
  return totalLocked(itemType);
}

int FileCache::getCachedItemsCount(int itemType) {
  flushWrites();  // counted from the index
  std::lock_guard<std::mutex> guard(lock_);
  if (!db_.isOpen()) return 0;
  countStmt_.reset();
  countStmt_.bind(1, itemType);
  int count = countStmt_.next() ? countStmt_.columnInt(0) : 0;
  countStmt_.reset();
  return count;
}

void FileCache::setLimitSize(int64_t limit) {
  std::lock_guard<std::mutex> guard(lock_);
  limitSize_ = limit;
}

int64_t FileCache::limitSize() {
  std::lock_guard<std::mutex> guard(lock_);
  return limitSize_;
}

void FileCache::enable() {
  std::lock_guard<std::mutex> guard(lock_);
  disabled_ = false;
  if (db_.isOpen()) recomputeTotalsLocked();
}

void FileCache::disable() {
  std::lock_guard<std::mutex> guard(lock_);
  disabled_ = true;
}

bool FileCache::isDisabled() {
  std::lock_guard<std::mutex> guard(lock_);
  return disabled_;
}

void FileCache::flush() {
  flushWrites();
  std::lock_guard<std::mutex> guard(lock_);
  writePendingAccessesLocked();
}

void FileCache::recordAccessLocked(const std::string& uid) {
  cachedLastAccessUids_.insert(uid);
  if (cachedLastAccessUids_.size() >= kAccessBatch) writePendingAccessesLocked();
}

void FileCache::writePendingAccessesLocked() {
  if (cachedLastAccessUids_.empty() || !db_.isOpen()) return;
  const int64_t now = nowMillis();
  Transaction tx(db_);
  for (const auto& uid : cachedLastAccessUids_) {
    // A key with a waiting save is stamped afresh when it is written; until then its row's
    // lastAccessed must stay what the writer saw (see storeLocked).
    if (pendingSizes_.count(uid)) continue;
    touchStmt_.reset();
    touchStmt_.bind(1, now);
    touchStmt_.bind(2, uid);
    touchStmt_.execute();
  }
  tx.commit();
  // Emptied whether or not the write worked: access times are only a hint for trimming.
  cachedLastAccessUids_.clear();
}

bool FileCache::needAutoClean() {
  std::shared_ptr<FileCacheManager> manager = manager_.lock();  // outlives the lock, see save
  std::lock_guard<std::mutex> guard(lock_);
  return needAutoCleanLocked(manager.get());
}

bool FileCache::needAutoCleanLocked(FileCacheManager* manager) {
  if (limitSize_ <= 0) return false;
  if (totalLocked(kItemTypeNormal) <= limitSize_) return false;
  if (!manager || !manager->isAutoCleanEnabled()) return false;
  if (autoCleaning_) return false;
  if (nowMillis() <= lastAutoCleanTime_ + kAutoCleanIntervalMillis) return false;
  writePendingAccessesLocked();
  return true;
}

bool FileCache::needMoreAutoClean() {
  std::lock_guard<std::mutex> guard(lock_);
  return !disabled_ && db_.isOpen() && limitSize_ >= 1 &&
         totalLocked(kItemTypeNormal) > limitSize_ / 2;
}

void FileCache::startAutoClean() {
  std::lock_guard<std::mutex> guard(lock_);
  startAutoCleanTime_ = nowMillis();
  autoCleaning_ = true;
  // Accesses recorded since the trigger still count for the order of removal.
  writePendingAccessesLocked();
}

void FileCache::finishAutoClean() {
  std::lock_guard<std::mutex> guard(lock_);
  lastAutoCleanTime_ = startAutoCleanTime_;
  startAutoCleanTime_ = 0;
  autoCleaning_ = false;
}

bool FileCache::autoCleanOneNormalItem(int64_t* size) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!db_.isOpen()) return false;
  oldestStmt_.reset();
  oldestStmt_.bind(1, kItemTypeNormal);
  if (!oldestStmt_.next()) {
    oldestStmt_.reset();
    return false;
  }
  std::string uid = oldestStmt_.columnString(0);
  int64_t itemSize = oldestStmt_.columnInt64(1);
  oldestStmt_.reset();
  if (auto files = filesFolder()) files->remove(uid);
  if (!deleteRowLocked(uid)) return false;
  cachedLastAccessUids_.erase(uid);
  addToTotalLocked(kItemTypeNormal, -itemSize);
  if (size) *size = itemSize;
  return true;
}

int FileCache::cleanBatchItems(int itemType) {
  flushWrites();  // what was saved before the pass goes with it
  std::lock_guard<std::mutex> guard(lock_);
  if (!db_.isOpen()) return 0;
  std::vector<std::pair<std::string, int64_t>> items;
  batchStmt_.reset();
  batchStmt_.bind(1, itemType);
  while (batchStmt_.next()) {
    items.emplace_back(batchStmt_.columnString(0), batchStmt_.columnInt64(1));
  }
  batchStmt_.reset();
  if (items.empty()) return 0;
  if (auto files = filesFolder()) {
    for (const auto& item : items) files->remove(item.first);
  }
  Transaction tx(db_);
  bool ok = true;
  for (const auto& item : items) ok = deleteRowLocked(item.first) && ok;
  if (!ok || tx.commit() != SQLITE_OK) return 0;
  for (const auto& item : items) {
    cachedLastAccessUids_.erase(item.first);
    if (isTotalled(itemType)) addToTotalLocked(itemType, -item.second);
  }
  return static_cast<int>(items.size());
}

}  // namespace zu
