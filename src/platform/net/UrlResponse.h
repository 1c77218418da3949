// UrlResponse: the final HTTP response header of a UrlConnection (after redirects): status,
// header fields in arrival order, the announced length and the MIME type, and the URL that
// answered. Immutable once delivered; shared between the connection and its delegate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zu {

struct UrlResponse {
  int statusCode = 0;
  // Names as sent, in arrival order; a repeated field appears once per line.
  std::vector<std::pair<std::string, std::string>> headers;
  // The "Content-Length" value; -1 when absent or not a number.
  int64_t expectedContentLength = -1;
  // The "Content-Type" media type, lower-cased, without parameters; empty when absent.
  std::string mimeType;
  // The URL of the response (the last one after redirects).
  std::string url;

  // The field of that name (case-insensitive); repeated fields joined with ", ".
  std::optional<std::string> field(std::string_view name) const;
};

}  // namespace zu
