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
// Writes: a save whose bytes equal the file already kept for that URL writes nothing, so an
// unchanged answer (a 304 delivering the kept copy) costs no disk work. Everything here is a copy
// of what the service sends again, so files are replaced atomically (write, rename) without
// waiting for the disk: kill -9 leaves the old file or the new one; a power cut may lose the
// newest files, which the next refresh fetches again.
//
// Made once by the data engine over its subscription store (read by clean()). The task thread
// writes and the main thread reads: every file operation runs under the cache's lock.
// Failures are silent (a console line for a failed write); nothing is thrown.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

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

  // The validators of the answer a first page came from.
  struct Validators {
    std::optional<std::string> etag;
    std::optional<double> lastModified;  // seconds since 1970
    bool operator==(const Validators&) const = default;
  };

  explicit ColumnCache(std::shared_ptr<EntryPersistenter> subscriptions);

  const std::string& rootPath() const { return rootPath_; }
  // The column's folder, created (with its parents) when missing.
  std::string getColumnPath(const std::string& columnId);
  std::string getPath(const std::string& columnId, const std::string& url,
                      const std::string& prefix);
  // Removes every file in the column's folder whose name begins with the prefix.
  void deleteOldFile(const std::string& columnId, const std::string& prefix);

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
  std::optional<Bytes> loadCover(const Text& columnId, const Text& url);
  std::optional<Bytes> loadCoverThumbnail(const Text& columnId, const Text& url);

  // Removes the folders (and anything else in the root) of columns the current user no longer
  // subscribes to.
  void clean();

 private:
  void save(const Text& columnId, const Text& url, const Bytes& data, const char* prefix);
  // Replaces the prefix's file with `data` under `path` unless it already holds those bytes.
  void replaceLocked(const std::string& columnId, const std::string& path, const Bytes& data,
                     const char* prefix);
  std::optional<Bytes> load(const Text& columnId, const Text& url, const char* prefix);
  void deleteOldFileLocked(const std::string& columnId, const std::string& prefix);

  const std::string rootPath_;
  const std::shared_ptr<EntryPersistenter> subscriptions_;
  std::mutex lock_;
};

}  // namespace zu
