// ColumnCache: per column, the last first page of its article list and its cover and cover
// thumbnail, so the home screen and the column list can show them at once and offline.
//
// Files: <Caches>/ColumnCaches/<MD5(column id)>/<prefix><MD5(url)>, the prefixes "data_"
// (first page), "cover_" and "thumbnail_"; MD5s are 32 upper-case hex digits. At most one file
// of each prefix exists per column: saving under a new URL removes the old file, so a load
// finds data only when asked with the URL saved last.
//
// Beside a first page its validators (the answer's ETag and Last-Modified) are kept, in
// "validators_<MD5(url)>", so the next refresh can ask for the list conditionally even after the
// response cache has dropped its copy (see the article-list stand-in of UpdateColumnInnerTask).
//
// Writes: saves return at once (unless more than the writer's kMaxWaitingBytes wait: then they wait
// for room); a writer thread of the cache's own (a SlotWriter) does the file work in the order the
// slots were first saved, so a refresh's transfers never wait for folder creation, file creation
// and renames on a slow disk, and loads never wait for the writer. Until a save is written, loads
// answer from it (a load always sees the latest save). Saves of one slot (a column's page, cover or
// thumbnail) that pile up while the writer is busy are written once, the latest, in the slot's
// place in the queue (behind the others when the slot was being written). A save whose bytes equal
// the file already kept for that URL writes nothing, so an unchanged answer (a 304 delivering the
// kept copy) costs no disk work. The cache remembers, per column, the first page its writer last
// wrote or found kept under a strong ETag (knownFirstPage): a page the same reader saves again
// under the same validators and size is not even handed to the writer (nothing waits for the
// slot, and the file is still there with that size), since under a strong ETag the service sends
// the same bytes; an unchanged refresh then neither copies the page nor has the writer read the
// file back. That memory is the process's own: after a restart each page is compared on disk
// again. Everything here is a copy of what the service sends again, so files are replaced
// atomically (write, rename, then the slot's other files go) without waiting for
// the disk: kill -9 leaves the old file or the new one, or loses saves not yet written; a power cut
// may lose the newest files. Either way the next refresh fetches them again. A page is written
// before its validators, so the validators kept never describe a newer page than the one kept (a
// 304 then would deliver an older page as the current one); a load of the validators before the
// page finds a page at least as new.
//
// Links: the root and each column's folder are real folders. One found to be a link (planted in
// the reader's home) is replaced by a real one before anything is written or removed, and the
// files are written, compared, read and removed relative to the opened folder, never through a
// link: cleaning cannot delete what a link points at, and a load finds nothing behind one.
//
// Made once by the data engine over its subscription store (read by clean()). Any thread may
// save and load; the destructor writes what is pending, then ends the writer.
// Failures are silent (a console line for a failed write); nothing is thrown.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/cache/SlotWriter.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Value.h"

namespace zu {

class EntryPersistenter;

class ColumnCache {
 public:
  using Text = std::optional<std::string>;

  static constexpr const char* kFolderName = "ColumnCaches";
  static constexpr const char* kFirstPagePrefix = "data_";
  static constexpr const char* kCoverPrefix = "cover_";
  static constexpr const char* kThumbnailPrefix = "thumbnail_";
  static constexpr const char* kValidatorsPrefix = "validators_";
  static constexpr const char* kWriterThreadName = "ColumnCache writer";

  // The validators of the answer a first page came from.
  struct Validators {
    std::optional<std::string> etag;
    std::optional<double> lastModified;  // seconds since 1970
    bool operator==(const Validators&) const = default;
  };

  explicit ColumnCache(std::shared_ptr<EntryPersistenter> subscriptions);
  ~ColumnCache();
  ColumnCache(const ColumnCache&) = delete;
  ColumnCache& operator=(const ColumnCache&) = delete;

  const std::string& rootPath() const { return rootPath_; }
  // The column's folder, created (with its parents) when missing.
  std::string getColumnPath(const std::string& columnId);
  std::string getPath(const std::string& columnId, const std::string& url,
                      const std::string& prefix);
  // Removes every file in the column's folder whose name begins with the prefix (after the
  // pending saves are written).
  void deleteOldFile(const std::string& columnId, const std::string& prefix);
  // Returns once every save made before the call is on disk (in the system's file cache).
  void flush();

  // Nothing happens for a missing column id or URL. The page's validators are replaced by
  // `validators` (none kept when both are empty).
  void saveFirstPage(const Text& columnId, const Text& url, const Bytes& data,
                     const Validators& validators = {});
  void saveCover(const Text& columnId, const Text& url, const Bytes& data);
  void saveCoverThumbnail(const Text& columnId, const Text& url, const Bytes& data);
  // nullopt for a missing column id or URL, or when nothing is stored for that URL.
  std::optional<Bytes> loadFirstPage(const Text& columnId, const Text& url);
  // The validators kept with the first page of that URL; nullopt when there are none.
  std::optional<Validators> loadFirstPageValidators(const Text& columnId, const Text& url);
  // Without reading a file: the validators (a strong ETag) of the first page of that URL when
  // this cache wrote or found it itself and nothing changed it since (no save waits, the file is
  // there with its size), so a save of a page under them would change nothing; else nullopt.
  std::optional<Validators> knownFirstPage(const Text& columnId, const Text& url);
  std::optional<Bytes> loadCover(const Text& columnId, const Text& url);
  std::optional<Bytes> loadCoverThumbnail(const Text& columnId, const Text& url);

  // Removes the folders (and anything else in the root) of columns the current user no longer
  // subscribes to, once the pending saves are written.
  void clean();

  // For tests: `hook` runs on the writer thread as it starts each save, with the path the save
  // goes to and the file lock held; it may block to hold the writer there, as a disk that does
  // not answer would.
  void setWriterHookForTesting(std::function<void(const std::string& path)> hook);

 private:
  // What a slot (one prefix in one column's folder) holds once its latest save is written.
  struct Pending {
    std::string folder;
    const char* prefix = nullptr;
    std::string path;
    std::shared_ptr<const Bytes> data;
    // First pages only: the validators file's path and text; no text removes the old file.
    std::string validatorsPath;
    std::shared_ptr<const Bytes> validators;
    Validators validatorValues;
    Text user;  // the reader who saved it
  };
  // The first page the writer last wrote (or found kept) in a column's folder, under a strong
  // ETag: its path, validators and size, and the reader who saved it (the folders are shared by
  // the readers of the device; another reader's list may carry the same ETag).
  struct Kept {
    std::string path;
    Validators validators;
    size_t size = 0;
    Text user;
  };
  // A slot's state seen by a load: pending when a save is not written yet.
  struct SlotView {
    bool pending = false;
    bool holdsPath = false;  // the slot holds the asked path
    std::shared_ptr<const Bytes> data;
    std::shared_ptr<const Bytes> validators;
  };

  std::string folderOf(const std::string& columnId) const;
  void enqueue(Pending pending);
  SlotView pendingView(const std::string& folder, const char* prefix, const std::string& path);
  void write(const std::string& slot, const Pending& job);
  // The first page `path` of `folder` as the writer last left it for the current reader, when
  // that is known and still so (see knownFirstPage).
  std::optional<Kept> keptFirstPage(const std::string& folder, const std::string& path);
  void forgetFirstPage(const std::string& folder);
  // After the writer ran `job` (`written`: page and validators are on disk as the job says).
  void noteWritten(const std::string& slot, const Pending& job, bool written);
  // Replaces the prefix's file in `folder` with `data` under `path` unless it already holds
  // those bytes; false when the new file could not be written (the old ones are kept then).
  // Holds fileLock_.
  bool replaceFile(const FolderHandle& folder, const std::string& path, const Bytes& data,
                   const char* prefix);
  // Removes the prefix's files in `folder` but `keep`.
  void deleteOldFileLocked(const FolderHandle& folder, const std::string& prefix,
                           const std::string& keep);
  // The column folder `folder` (a path made by folderOf), opened as a real folder below a real
  // root: a link in the place of either is replaced (see the top).
  std::optional<FolderHandle> realFolder(const std::string& folder) const;
  void save(const Text& columnId, const Text& url, const Bytes& data, const char* prefix);
  std::optional<Bytes> load(const Text& columnId, const Text& url, const char* prefix);

  const std::string rootPath_;
  const std::shared_ptr<EntryPersistenter> subscriptions_;

  // The writer's, clean()'s and deleteOldFile()'s file work, one at a time. Loads take no
  // file lock: a slot's file is replaced by a rename (old bytes or new, never none), and a slot
  // being written is answered from its pending save, so a load never waits for the disk work of
  // another column.
  std::mutex fileLock_;
  std::function<void(const std::string&)> writerHook_;  // under fileLock_
  // Column folder -> its kept first page, as the writer last left it (see knownFirstPage).
  std::mutex keptLock_;
  std::map<std::string, Kept> kept_;
  // Slots are folder + "/" + prefix. Last: its thread writes with the fields above.
  SlotWriter<Pending> writer_;
};

}  // namespace zu
