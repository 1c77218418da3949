// UniqueCache: one file per purpose key, always the latest: the logged-in user's profile
// ("userinfo", by user-info URL) and the service URL feed ("serviceurl", by its fixed address).
//
// Files: <Caches>/UniqueCaches/<key>_<MD5(url)> (MD5 in 32 upper-case hex digits). Saving
// removes every earlier file of the key first, so a load finds data only when asked with the
// URL saved last under that key; a save of the bytes the key's file for that URL already holds
// writes nothing.
//
// The folder is a real one: a link in its place is replaced before anything is written or
// removed, and files are removed and written relative to it, never through a link.
//
// Made once by the data engine. The task thread writes and the main thread reads: file
// operations run under the cache's lock. Failures are silent (a console line for a failed
// write).
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Value.h"

namespace zu {

class UniqueCache {
 public:
  using Text = std::optional<std::string>;

  static constexpr const char* kFolderName = "UniqueCaches";
  static constexpr const char* kUserInfoKey = "userinfo";
  static constexpr const char* kServiceUrlKey = "serviceurl";

  // Creates the root folder when missing.
  UniqueCache();

  const std::string& rootPath() const { return rootPath_; }
  std::string getPath(const std::string& url, const std::string& prefix) const;
  void deleteOldFileWithPrefix(const std::string& prefix);

  // Nothing happens for a missing (or empty) URL.
  void saveData(const Bytes& data, const std::string& uniqueKey, const Text& url);
  std::optional<Bytes> loadData(const std::string& uniqueKey, const Text& url);

 private:
  // Removes the files whose names start with `prefix`, but `keep`.
  void deleteOldFileWithPrefixLocked(const FolderHandle& root, const std::string& prefix,
                                     const std::string& keep = std::string());

  const std::string rootPath_;
  std::mutex lock_;
};

}  // namespace zu
