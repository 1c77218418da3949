#include "engine/cache/UniqueCache.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/Md5.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace fs = std::filesystem;

UniqueCache::UniqueCache() : rootPath_((Paths::caches() / kFolderName).string()) {
  std::error_code ec;
  fs::create_directories(rootPath_, ec);
}

std::string UniqueCache::getPath(const std::string& url, const std::string& prefix) const {
  return rootPath_ + "/" + prefix + Md5::encode(url).value_or(std::string());
}

void UniqueCache::deleteOldFileWithPrefix(const std::string& prefix) {
  std::lock_guard guard(lock_);
  deleteOldFileWithPrefixLocked(prefix);
}

void UniqueCache::deleteOldFileWithPrefixLocked(const std::string& prefix) {
  for (const fs::path& path : FileUtil::listFolder(rootPath_)) {
    if (path.filename().string().rfind(prefix, 0) == 0) {
      std::error_code ec;
      fs::remove(path, ec);
    }
  }
}

void UniqueCache::saveData(const Bytes& data, const std::string& uniqueKey, const Text& url) {
  if (!url || url->empty()) return;
  const std::string prefix = uniqueKey + "_";
  std::lock_guard guard(lock_);
  deleteOldFileWithPrefixLocked(prefix);
  std::error_code ec;
  fs::create_directories(rootPath_, ec);
  if (!FileUtil::writeFileAtomically(getPath(*url, prefix), data)) {
    std::fprintf(stderr, "UniqueCache save file failed\n");
  }
}

std::optional<Bytes> UniqueCache::loadData(const std::string& uniqueKey, const Text& url) {
  if (!url || url->empty()) return std::nullopt;
  std::lock_guard guard(lock_);
  return FileUtil::readFile(getPath(*url, uniqueKey + "_"));
}

}  // namespace zu
