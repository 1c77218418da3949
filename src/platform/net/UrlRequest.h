// UrlRequest: what a UrlConnection sends: URL, method, header fields (in order, names compared
// without regard to case), an optional body and the idle time-out. A plain value owned by its
// user; the body is shared so a request can be copied for a retry without copying the bytes.
//
// Header rules the connection applies: a field with an empty value is sent empty (not dropped);
// CR and LF in names or values are removed so no caller can inject header lines.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zu {

class UrlRequest {
 public:
  using Headers = std::vector<std::pair<std::string, std::string>>;
  using Body = std::shared_ptr<const std::vector<uint8_t>>;

  UrlRequest() = default;
  explicit UrlRequest(std::string url) : url_(std::move(url)) {}

  // Back to a fresh request (no URL, "GET", no fields, body, time-out or limit), keeping the
  // storage of the URL and of the field list for the next one.
  void clear();

  const std::string& url() const { return url_; }
  void setUrl(std::string url) { url_ = std::move(url); }
  // "GET" unless set.
  const std::string& method() const { return method_; }
  void setMethod(std::string method) { method_ = std::move(method); }

  const Headers& headers() const { return headers_; }
  void setHeaders(Headers headers) { headers_ = std::move(headers); }
  // Replaces every field of that name (case-insensitive) by one field, or adds it at the end.
  void setValue(std::string_view name, std::string value);
  // Removes every field of that name.
  void removeValue(std::string_view name);
  // The first field of that name, or nullopt.
  std::optional<std::string> value(std::string_view name) const;

  // Null when the request has no body.
  const Body& body() const { return body_; }
  void setBody(Body body) { body_ = std::move(body); }
  void setBody(std::vector<uint8_t> body);
  // Length of the body (0 without one).
  int64_t bodyLength() const { return body_ ? static_cast<int64_t>(body_->size()) : 0; }

  // Seconds without any byte moving (connecting included) after which the connection fails with
  // UrlError::kTimedOut. nullopt: the platform default (UrlConnection::defaultTimeoutInterval()).
  const std::optional<double>& timeoutInterval() const { return timeoutInterval_; }
  void setTimeoutInterval(std::optional<double> seconds) { timeoutInterval_ = seconds; }

  // The most bytes of response body (as delivered, after any decoding) the connection accepts;
  // one more fails the exchange with UrlError::kDataLengthExceedsMaximum. nullopt: no limit.
  const std::optional<int64_t>& maxBodyLength() const { return maxBodyLength_; }
  void setMaxBodyLength(std::optional<int64_t> bytes) { maxBodyLength_ = bytes; }

  // The host of an absolute URL ("127.0.0.1", "example.com"), or nullopt when the text is not
  // an absolute URL with a host.
  static std::optional<std::string> hostOfUrl(const std::string& url);
  // True when the text parses as an absolute URL with a scheme and a host.
  static bool isValidUrl(const std::string& url);
  // "scheme://host:port/path" of an absolute URL — scheme and host in lower case, the port
  // always written (the scheme's default when absent), dot segments resolved, no user, query
  // or fragment — so that two addresses of one endpoint compare equal; nullopt when the text is
  // not an absolute URL with a host.
  static std::optional<std::string> endpointOfUrl(const std::string& url);
  // True when the URL's scheme is "https" (in any case): the exchange is encrypted.
  // The address begins with "http://" or "https://" (scheme in any case): the only ones a
  // connection opens.
  static bool hasHttpScheme(std::string_view url);
  static bool isSecureUrl(std::string_view url);

 private:
  std::string url_;
  std::string method_ = "GET";
  Headers headers_;
  Body body_;
  std::optional<double> timeoutInterval_;
  std::optional<int64_t> maxBodyLength_;
};

}  // namespace zu
