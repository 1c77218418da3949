// UrlCache: the process's shared URL cache, which the web views consult before loading a
// resource and hand every loaded response to. The base class keeps nothing (every lookup
// misses, every store is dropped): that is the platform's own behaviour a subclass falls back
// to for what it does not handle. The application installs its subclass with setShared().
//
// Called by the web views on their loading threads: implementations are thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/net/UrlRequest.h"
#include "platform/net/UrlResponse.h"
#include "platform/runtime/Value.h"

namespace zu {

// A response kept by a URL cache: the header, the bytes, and where it may be kept.
struct CachedUrlResponse {
  enum class StoragePolicy { kAllowed, kAllowedInMemoryOnly, kNotAllowed };
  UrlResponse response;
  Bytes data;
  StoragePolicy storagePolicy = StoragePolicy::kAllowed;
};

class UrlCache {
 public:
  virtual ~UrlCache() = default;

  virtual int64_t memoryCapacity() const { return 0; }
  virtual int64_t diskCapacity() const { return 0; }
  // The kept response for the request, or nullopt (the web view then loads it).
  virtual std::optional<CachedUrlResponse> cachedResponseForRequest(const UrlRequest& request);
  // Offers a loaded response for keeping.
  virtual void storeCachedResponse(const CachedUrlResponse& response, const UrlRequest& request);

  // The installed cache, or null when none is.
  static std::shared_ptr<UrlCache> shared();
  static void setShared(std::shared_ptr<UrlCache> cache);
};

}  // namespace zu
