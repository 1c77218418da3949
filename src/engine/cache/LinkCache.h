// LinkCache: the application's shared URL cache (installed with UrlCache::setShared), asked by
// every web view before it loads a resource:
//  - remote images (URLs ending in .png, .bmp, .jpg, .gif or .jpeg, any letter case, and not
//    "file://") are answered from and stored into the image cache ("ImageCache");
//  - the seven book style sheets and scripts come from BookLinkCache (downloaded or bundled);
//  - other style sheets and scripts (paths ending in .css or .js) come from the response cache
//    of the current user, stored there as offline items so automatic trimming keeps them; a
//    copy past its Expires is served only while the network is unreachable (online the web
//    view loads it again);
//  - everything else is left to the base URL cache (which keeps nothing).
// A response it makes carries the request URL, no MIME type, the byte count as expected length,
// and may be kept in memory only.
//
// Called on the web views' loading threads; it relies on the file caches' own locks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/net/UrlCache.h"

namespace zu {

class LinkCache : public UrlCache {
 public:
  static constexpr int64_t kCapacity = 100000000;

  int64_t memoryCapacity() const override { return kCapacity; }
  int64_t diskCapacity() const override { return kCapacity; }

  static bool isRemoteImageUrl(const std::string& url);
  // True when the URL's path, lower-cased, ends with ".css" or ".js".
  static bool isNeedToHandleUrl(const std::string& url);

  std::optional<CachedUrlResponse> cachedResponseForRequest(const UrlRequest& request) override;
  // Only a status-200 HTTP response is kept (anything else goes to the base cache).
  void storeCachedResponse(const CachedUrlResponse& response, const UrlRequest& request) override;
};

}  // namespace zu
