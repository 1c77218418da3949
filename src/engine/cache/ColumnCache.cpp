#include "engine/cache/ColumnCache.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "common/Md5.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Paths.h"
#include "store/EntryPersistenter.h"

namespace zu {

namespace fs = std::filesystem;

namespace {
std::string md5Of(const std::string& text) { return Md5::encode(text).value_or(std::string()); }
}  // namespace

ColumnCache::ColumnCache(std::shared_ptr<EntryPersistenter> subscriptions)
    : rootPath_((Paths::caches() / kFolderName).string()),
      subscriptions_(std::move(subscriptions)) {}

std::string ColumnCache::getColumnPath(const std::string& columnId) {
  std::string path = rootPath_ + "/" + md5Of(columnId);
  std::error_code ec;
  fs::create_directories(path, ec);
  return path;
}

std::string ColumnCache::getPath(const std::string& columnId, const std::string& url,
                                 const std::string& prefix) {
  return getColumnPath(columnId) + "/" + prefix + md5Of(url);
}

void ColumnCache::deleteOldFile(const std::string& columnId, const std::string& prefix) {
  std::lock_guard guard(lock_);
  deleteOldFileLocked(columnId, prefix);
}

void ColumnCache::deleteOldFileLocked(const std::string& columnId, const std::string& prefix) {
  for (const fs::path& path : FileUtil::listFolder(getColumnPath(columnId))) {
    if (path.filename().string().rfind(prefix, 0) == 0) {
      std::error_code ec;
      fs::remove(path, ec);
    }
  }
}

void ColumnCache::replaceLocked(const std::string& columnId, const std::string& path,
                                const Bytes& data, const char* prefix) {
  // At most one file of a prefix exists: when it is this path with these bytes, all is kept.
  if (FileUtil::readFile(path) == data) return;
  deleteOldFileLocked(columnId, prefix);
  if (!FileUtil::writeFileAtomically(path, data, FileUtil::Sync::kDeferred)) {
    std::fprintf(stderr, "ColumnCache save file failed\n");
  }
}

void ColumnCache::save(const Text& columnId, const Text& url, const Bytes& data,
                       const char* prefix) {
  if (!columnId || !url || columnId->empty() || url->empty()) return;
  std::lock_guard guard(lock_);
  replaceLocked(*columnId, getPath(*columnId, *url, prefix), data, prefix);
}

namespace {

// "<etag>\n<last-modified seconds>\n", each line empty when absent. An ETag never holds a
// line break (a header value cannot), so the two lines read back unambiguously.
Bytes validatorsText(const ColumnCache::Validators& v) {
  std::string text = v.etag.value_or(std::string()) + "\n";
  if (v.lastModified) text += std::to_string(static_cast<int64_t>(*v.lastModified));
  text += "\n";
  return Bytes(text.begin(), text.end());
}

std::optional<ColumnCache::Validators> parseValidators(const Bytes& bytes) {
  const std::string text(bytes.begin(), bytes.end());
  const size_t first = text.find('\n');
  if (first == std::string::npos) return std::nullopt;
  const size_t second = text.find('\n', first + 1);
  if (second == std::string::npos) return std::nullopt;
  ColumnCache::Validators v;
  if (first > 0) v.etag = text.substr(0, first);
  const std::string seconds = text.substr(first + 1, second - first - 1);
  if (!seconds.empty()) {
    char* end = nullptr;
    const long long value = std::strtoll(seconds.c_str(), &end, 10);
    if (end && *end == '\0') v.lastModified = static_cast<double>(value);
  }
  if (!v.etag && !v.lastModified) return std::nullopt;
  return v;
}

}  // namespace

void ColumnCache::saveFirstPage(const Text& columnId, const Text& url, const Bytes& data,
                                const Validators& validators) {
  if (!columnId || !url || columnId->empty() || url->empty()) return;
  std::lock_guard guard(lock_);
  replaceLocked(*columnId, getPath(*columnId, *url, kFirstPagePrefix), data, kFirstPagePrefix);
  if (!validators.etag && !validators.lastModified) {
    deleteOldFileLocked(*columnId, kValidatorsPrefix);
    return;
  }
  replaceLocked(*columnId, getPath(*columnId, *url, kValidatorsPrefix),
                validatorsText(validators), kValidatorsPrefix);
}

std::optional<ColumnCache::Validators> ColumnCache::loadFirstPageValidators(const Text& columnId,
                                                                            const Text& url) {
  if (!columnId || !url || columnId->empty() || url->empty()) return std::nullopt;
  std::lock_guard guard(lock_);
  // Validators without their page would make a 304 deliver nothing.
  std::error_code ec;
  if (!fs::exists(getPath(*columnId, *url, kFirstPagePrefix), ec)) return std::nullopt;
  auto bytes = FileUtil::readFile(getPath(*columnId, *url, kValidatorsPrefix));
  return bytes ? parseValidators(*bytes) : std::nullopt;
}

std::optional<Bytes> ColumnCache::load(const Text& columnId, const Text& url, const char* prefix) {
  if (!columnId || !url || columnId->empty() || url->empty()) return std::nullopt;
  std::lock_guard guard(lock_);
  return FileUtil::readFile(getPath(*columnId, *url, prefix));
}


void ColumnCache::saveCover(const Text& columnId, const Text& url, const Bytes& data) {
  save(columnId, url, data, kCoverPrefix);
}

void ColumnCache::saveCoverThumbnail(const Text& columnId, const Text& url, const Bytes& data) {
  save(columnId, url, data, kThumbnailPrefix);
}

std::optional<Bytes> ColumnCache::loadFirstPage(const Text& columnId, const Text& url) {
  return load(columnId, url, kFirstPagePrefix);
}

std::optional<Bytes> ColumnCache::loadCover(const Text& columnId, const Text& url) {
  return load(columnId, url, kCoverPrefix);
}

std::optional<Bytes> ColumnCache::loadCoverThumbnail(const Text& columnId, const Text& url) {
  return load(columnId, url, kThumbnailPrefix);
}

void ColumnCache::clean() {
  const int64_t start = Clock::get()->nowMillis();
  std::set<std::string> valid;
  if (subscriptions_) {
    if (auto feed = subscriptions_->allocReadEntriesInFeed(std::nullopt); feed && feed->entrys()) {
      for (const auto& entry : *feed->entrys()) {
        if (entry && entry->entryId()) valid.insert(md5Of(*entry->entryId()));
      }
    }
  }
  std::lock_guard guard(lock_);
  for (const fs::path& path : FileUtil::listFolder(rootPath_)) {
    if (valid.count(path.filename().string())) continue;
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::printf("ColumnCache cleanWithValidColumns cost %lld count=%d\n",
              static_cast<long long>(Clock::get()->nowMillis() - start),
              static_cast<int>(valid.size()));
}

}  // namespace zu
