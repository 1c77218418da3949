#include "engine/cache/UniqueCache.h"

#include <cstdio>
#include <filesystem>

#include "common/Md5.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace fs = std::filesystem;

UniqueCache::UniqueCache() : rootPath_((Paths::caches() / kFolderName).string()) {
  FolderHandle::openReal(rootPath_);
}

std::string UniqueCache::getPath(const std::string& url, const std::string& prefix) const {
  return rootPath_ + "/" + prefix + Md5::encode(url).value_or(std::string());
}

void UniqueCache::deleteOldFileWithPrefix(const std::string& prefix) {
  std::lock_guard guard(lock_);
  if (auto root = FolderHandle::openReal(rootPath_)) deleteOldFileWithPrefixLocked(*root, prefix);
}

void UniqueCache::deleteOldFileWithPrefixLocked(const FolderHandle& root, const std::string& prefix,
                                                const std::string& keep) {
  for (const std::string& name : root.names()) {
    if (name.rfind(prefix, 0) == 0 && name != keep) root.remove(name);
  }
}

void UniqueCache::saveData(const Bytes& data, const std::string& uniqueKey, const Text& url) {
  if (!url || url->empty()) return;
  const std::string prefix = uniqueKey + "_";
  std::lock_guard guard(lock_);
  // Relative to the real root (a link in its place is replaced): nothing behind a link is
  // removed or written.
  auto root = FolderHandle::openReal(rootPath_);
  const std::string name = fs::path(getPath(*url, prefix)).filename().string();
  if (root) deleteOldFileWithPrefixLocked(*root, prefix, name);
  // The key's file already holding these bytes (an unchanged answer) is left as it is.
  if (root && root->readFile(name) == data) return;
  if (!root || !root->writeFileAtomically(name, data)) {
    std::fprintf(stderr, "UniqueCache save file failed\n");
  }
}

std::optional<Bytes> UniqueCache::loadData(const std::string& uniqueKey, const Text& url) {
  if (!url || url->empty()) return std::nullopt;
  std::lock_guard guard(lock_);
  // Relative to the real root (reached from the home without following a link).
  const std::optional<FolderHandle> root = FolderHandle::openExisting(rootPath_);
  if (!root) return std::nullopt;
  return root->readFile(fs::path(getPath(*url, uniqueKey + "_")).filename().string());
}

}  // namespace zu
