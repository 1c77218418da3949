// CachedHttpResponse: a copy of an earlier answer from the response cache (HttpDataEngine).
// It has no header, reports status 200, and carries whether it is still fresh (its Expires
// has not passed) and the validators for a conditional GET (Last-Modified, ETag).
// Shared like HttpResponse; one thread at a time.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "engine/http/HttpResponse.h"

namespace zu {

class CachedHttpResponse : public HttpResponse {
 public:
  CachedHttpResponse() { isCache_ = true; }

  bool isFresh() const { return isFresh_; }
  void setIsFresh(bool fresh) { isFresh_ = fresh; }
  // Seconds since 1970, or nullopt.
  const std::optional<double>& lastModified() const { return lastModified_; }
  void setLastModified(std::optional<double> date) { lastModified_ = date; }
  const std::optional<std::string>& etag() const { return etag_; }
  void setEtag(std::optional<std::string> etag) { etag_ = std::move(etag); }

 private:
  bool isFresh_ = false;
  std::optional<double> lastModified_;
  std::optional<std::string> etag_;
};

}  // namespace zu
