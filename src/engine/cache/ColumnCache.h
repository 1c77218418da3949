// ColumnCache: per column, the last first page of its article list and its cover and cover
// thumbnail, so the home screen and the column list can show them at once and offline.
//
// Files: <Caches>/ColumnCaches/<MD5(column id)>/<prefix><MD5(url)>, the prefixes "data_"
// (first page), "cover_" and "thumbnail_"; MD5s are 32 upper-case hex digits. At most one file
// of each prefix exists per column: saving under a new URL removes the old file, so a load
// finds data only when asked with the URL saved last.
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

  explicit ColumnCache(std::shared_ptr<EntryPersistenter> subscriptions);

  const std::string& rootPath() const { return rootPath_; }
  // The column's folder, created (with its parents) when missing.
  std::string getColumnPath(const std::string& columnId);
  std::string getPath(const std::string& columnId, const std::string& url,
                      const std::string& prefix);
  // Removes every file in the column's folder whose name begins with the prefix.
  void deleteOldFile(const std::string& columnId, const std::string& prefix);

  // Nothing happens for a missing column id or URL.
  void saveFirstPage(const Text& columnId, const Text& url, const Bytes& data);
  void saveCover(const Text& columnId, const Text& url, const Bytes& data);
  void saveCoverThumbnail(const Text& columnId, const Text& url, const Bytes& data);
  // nullopt for a missing column id or URL, or when nothing is stored for that URL.
  std::optional<Bytes> loadFirstPage(const Text& columnId, const Text& url);
  std::optional<Bytes> loadCover(const Text& columnId, const Text& url);
  std::optional<Bytes> loadCoverThumbnail(const Text& columnId, const Text& url);

  // Removes the folders (and anything else in the root) of columns the current user no longer
  // subscribes to.
  void clean();

 private:
  void save(const Text& columnId, const Text& url, const Bytes& data, const char* prefix);
  std::optional<Bytes> load(const Text& columnId, const Text& url, const char* prefix);
  void deleteOldFileLocked(const std::string& columnId, const std::string& prefix);

  const std::string rootPath_;
  const std::shared_ptr<EntryPersistenter> subscriptions_;
  std::mutex lock_;
};

}  // namespace zu
