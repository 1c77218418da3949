#include "platform/net/UrlCache.h"

#include "platform/runtime/SharedSlot.h"

namespace zu {

namespace {
SharedSlot<UrlCache> gShared;
}  // namespace

std::optional<CachedUrlResponse> UrlCache::cachedResponseForRequest(const UrlRequest&) {
  return std::nullopt;
}

void UrlCache::storeCachedResponse(const CachedUrlResponse&, const UrlRequest&) {}

std::shared_ptr<UrlCache> UrlCache::shared() { return gShared.get(); }

void UrlCache::setShared(std::shared_ptr<UrlCache> cache) { gShared.set(std::move(cache)); }

}  // namespace zu
