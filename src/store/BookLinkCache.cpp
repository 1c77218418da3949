#include "store/BookLinkCache.h"

#include <filesystem>
#include <system_error>

#include "common/ServiceHosts.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace {

namespace fs = std::filesystem;

struct Resource {
  const char* path;
  const char* token;
};

constexpr Resource kResources[] = {
    {"/js/parablanks.js", "parablanks.js"},  {"/css/book/book-l.css", "book-l.css"},
    {"/css/book/book-p.css", "book-p.css"},  {"//css/book/fs-2.css", "fs-2.css"},
    {"//css/book/fs-4.css", "fs-4.css"},     {"//css/book/fs-5.css", "fs-5.css"},
    {"//css/book/fs-6.css", "fs-6.css"},
};

std::string urlOf(const std::string& host, const Resource& resource) {
  return "http://" + host + resource.path;
}

}  // namespace

std::optional<std::string> BookLinkCache::bookUrlRelativeToken(
    const std::optional<std::string>& url) {
  if (!url || url->empty()) return std::nullopt;
  const std::string host = ServiceHosts::staticHost();
  for (const Resource& resource : kResources) {
    if (*url == urlOf(host, resource)) return std::string(resource.token);
  }
  return std::nullopt;
}

bool BookLinkCache::isBookCssJsUrl(const std::optional<std::string>& url) {
  return bookUrlRelativeToken(url).has_value();
}

std::string BookLinkCache::getCacheDirectory() {
  return Paths::caches().string() + "/" + kFolderName;
}

std::string BookLinkCache::getCachePathByRelativeToken(const std::string& token) {
  return getCacheDirectory() + "/" + token;
}

std::optional<Bytes> BookLinkCache::dataWithUrl(const std::optional<std::string>& url) {
  auto token = bookUrlRelativeToken(url);
  if (!token) return std::nullopt;
  // Read relative to the real folder (reached from the home without following a link): a link
  // at the folder's place or the file's is not read through.
  const std::optional<FolderHandle> folder = FolderHandle::openExisting(getCacheDirectory());
  auto data = folder ? folder->readFile(*token) : std::nullopt;
  if (data && !data->empty()) return data;
  auto bundle = Bundle::mainBundle();
  if (!bundle) return std::nullopt;
  auto path = bundle->pathForResource(*token, "");
  if (!path) return std::nullopt;
  return FileUtil::readFile(*path);
}

std::vector<std::string> BookLinkCache::getBookCssJsUrls() {
  const std::string host = ServiceHosts::staticHost();
  std::vector<std::string> urls;
  for (const Resource& resource : kResources) urls.push_back(urlOf(host, resource));
  return urls;
}

bool BookLinkCache::updateBookLinkCache(const std::vector<std::pair<std::string, Bytes>>& items) {
  const fs::path folder = getCacheDirectory();
  // A real folder (a link in its place is set aside), written relative to it: nothing is written
  // through a link planted in the reader's home.
  const std::optional<FolderHandle> handle = FolderHandle::openReal(folder);
  bool ok = handle.has_value();
  for (const auto& [url, data] : items) {
    auto token = bookUrlRelativeToken(url);
    if (!token) {
      // Relative to the caches folder: a link at the folder's place goes as a link.
      if (const std::optional<FolderHandle> caches = FolderHandle::openReal(folder.parent_path())) {
        caches->remove(folder.filename().string());
      }
      return ok;
    }
    if (!handle) {
      ok = false;
      continue;
    }
    // A file that already holds these bytes (the usual case: an unchanged answer) is left as
    // it is; only a changed one is written, and synced.
    if (handle->readFile(*token) == data) continue;
    if (!handle->writeFileAtomically(*token, data)) ok = false;
  }
  return ok;
}

}  // namespace zu
