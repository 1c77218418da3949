#include "platform/net/UrlCache.h"

#include <mutex>

namespace zu {

namespace {
std::mutex gSharedLock;
std::shared_ptr<UrlCache> gShared;
}  // namespace

std::optional<CachedUrlResponse> UrlCache::cachedResponseForRequest(const UrlRequest&) {
  return std::nullopt;
}

void UrlCache::storeCachedResponse(const CachedUrlResponse&, const UrlRequest&) {}

std::shared_ptr<UrlCache> UrlCache::shared() {
  std::lock_guard guard(gSharedLock);
  return gShared;
}

void UrlCache::setShared(std::shared_ptr<UrlCache> cache) {
  std::lock_guard guard(gSharedLock);
  gShared = std::move(cache);
}

}  // namespace zu
