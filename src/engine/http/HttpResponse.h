// HttpResponse: what one HTTP exchange hands to the task layer: the connection's response
// header (UrlResponse: status, header fields, expected length, MIME type), the body, the
// request URL and whether the answer is a cached copy (CachedHttpResponse). A cached copy has
// no header and reports status 200. Also reads the service's own headers for the tasks.
//
// Made by the HTTP engine on its thread and handed to the observer; shared (std::shared_ptr).
// Not thread-safe: one thread at a time, or treated as immutable once delivered.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/net/UrlResponse.h"
#include "platform/runtime/Object.h"
#include "platform/runtime/Value.h"

namespace zu {

class HttpResponse : public Object {
 public:
  // The connection's response header.
  using Header = UrlResponse;

  HttpResponse() = default;

  const std::shared_ptr<const UrlResponse>& responseHeader() const { return responseHeader_; }
  void setResponseHeader(std::shared_ptr<const UrlResponse> header) {
    responseHeader_ = std::move(header);
  }
  Bytes& responseBody() { return responseBody_; }
  const Bytes& responseBody() const { return responseBody_; }
  void setResponseBody(Bytes body) { responseBody_ = std::move(body); }
  const std::string& requestUrl() const { return requestUrl_; }
  void setRequestUrl(std::string url) { requestUrl_ = std::move(url); }
  bool isCache() const { return isCache_; }
  void setIsCache(bool isCache) { isCache_ = isCache; }

  // A header field (name compared without regard to case, repeated fields joined with
  // ", "); nullopt without a header.
  std::optional<std::string> headerField(std::string_view name) const;

  // 200 for a cached copy, else the header's status (0 without a header).
  int statusCode() const;
  // Integer value of "X-Error" (0 when absent).
  int xErrorCode() const;
  // The header's expected length, as int (0 without a header).
  int expectedContentLength() const;
  std::optional<std::string> mimeType() const;
  std::optional<std::string> veskSession() const;
  std::optional<std::string> veskStatus() const;
  std::optional<std::string> stanzaAuthenticationTitle() const;
  std::optional<std::string> stanzaAuthenticationDialog() const;
  std::optional<std::string> stanzaAuthenticationPrompt() const;
  std::optional<std::string> stanzaAuthenticationReason() const;

 protected:
  std::shared_ptr<const UrlResponse> responseHeader_;
  Bytes responseBody_;
  std::string requestUrl_;
  bool isCache_ = false;
};

}  // namespace zu
