// HttpDataEngine: the response cache of the HTTP engine. Bodies of GET and POST answers, with
// their Expires, Last-Modified and ETag, go to the file cache "HttpCache" (30 MiB), keyed by
// user (the guest "wayfarers" when none) + absolute URL + POST body; downloaded files (images
// and other GET downloads) go to the file cache "ImageCache" (200 MiB), keyed by URL.
// The response cache writes behind (FileCache::Writes::kBehind): storing an answer returns at
// once and a look-up sees it at once; its file is written on the cache's writer thread. The
// image cache writes at once (callers ask for the file's path right after storing it).
//
// sharedInstance() is made on first use over the global FileCacheManager (and made again when
// that manager has been replaced). Thread-safe: it relies on the file caches' own locks.
// A request without a URL (empty) is refused like a missing one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/cache/FileCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/http/CachedHttpResponse.h"
#include "engine/http/HttpResponse.h"
#include "platform/net/UrlRequest.h"

namespace zu {

class HttpDataEngine {
 public:
  static constexpr const char* kResponseCacheName = "HttpCache";
  static constexpr const char* kImageCacheName = "ImageCache";
  static constexpr int64_t kResponseCacheLimit = 31457280;  // 30 MiB
  static constexpr int64_t kImageCacheLimit = 209715200;    // 200 MiB
  static constexpr const char* kGuestUser = "wayfarers";

  // The shared instance over FileCacheManager::globalInstance().
  static std::shared_ptr<HttpDataEngine> sharedInstance();
  // An instance over `manager` (which may be null: then nothing is stored or found).
  explicit HttpDataEngine(const std::shared_ptr<FileCacheManager>& manager);

  // Whether an answer may be stored: status 200, and no "no-cache" / "no-store" in
  // "Cache-Control".
  static bool shouldCache(const HttpResponse* response);

  // The response cache key: user (or the guest) + URL + (POST only) the body.
  static std::string cacheKey(const std::optional<std::string>& user, const UrlRequest& request);

  // Stores an answer with its validators (queued for the writer thread); item type 1 for an
  // offline download. False for a missing request, URL or response, or a method other than GET
  // or POST.
  bool createCacheForUser(const std::optional<std::string>& user, const UrlRequest* request,
                          const HttpResponse* response, bool offlineDownloadItem);
  // Stores a downloaded file of a GET. False for a missing request, URL or data, another
  // method, or a failed write.
  bool createFileForRequest(const UrlRequest* request, const Bytes* data,
                            bool offlineDownloadItem);
  // The stored copy (not fresh once its Expires second has passed; never fresh without one),
  // or null. Without `withBody` the copy carries its validators and freshness only (the file is
  // checked, not read).
  std::shared_ptr<CachedHttpResponse> cachedResponseForUser(const std::optional<std::string>& user,
                                                            const UrlRequest* request,
                                                            bool withBody = true);
  // Path or bytes of the downloaded file of a GET, or nullopt.
  std::optional<std::string> filePathForRequest(const UrlRequest* request);
  std::optional<Bytes> fileDataForRequest(const UrlRequest* request);

  const std::shared_ptr<FileCache>& responseCache() const { return rspCache_; }
  const std::shared_ptr<FileCache>& imageCache() const { return imgCache_; }

 private:
  std::weak_ptr<FileCacheManager> manager_;
  std::shared_ptr<FileCache> rspCache_;
  std::shared_ptr<FileCache> imgCache_;
};

}  // namespace zu
