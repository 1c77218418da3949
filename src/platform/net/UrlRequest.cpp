#include "platform/net/UrlRequest.h"

#include <curl/curl.h>

#include <algorithm>

namespace zu {

namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// Owns a CURLU handle for the life of one parse.
struct CurlUrl {
  CURLU* h = curl_url();
  ~CurlUrl() { curl_url_cleanup(h); }
  std::optional<std::string> part(CURLUPart which) const {
    char* text = nullptr;
    if (curl_url_get(h, which, &text, 0) != CURLUE_OK || !text) return std::nullopt;
    std::string out(text);
    curl_free(text);
    return out;
  }
};

std::optional<std::string> parseHost(const std::string& url) {
  CurlUrl u;
  if (!u.h || curl_url_set(u.h, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return std::nullopt;
  auto host = u.part(CURLUPART_HOST);
  if (!host || host->empty()) return std::nullopt;
  // An IPv6 literal comes back bracketed; the platform's host has no brackets.
  if (host->size() > 2 && host->front() == '[' && host->back() == ']') {
    return host->substr(1, host->size() - 2);
  }
  return host;
}

}  // namespace

void UrlRequest::clear() {
  url_.clear();
  method_ = "GET";
  headers_.clear();
  body_.reset();
  timeoutInterval_.reset();
  maxBodyLength_.reset();
}

void UrlRequest::setValue(std::string_view name, std::string value) {
  auto it = std::find_if(headers_.begin(), headers_.end(),
                         [&](const auto& f) { return sameName(f.first, name); });
  if (it == headers_.end()) {
    headers_.emplace_back(std::string(name), std::move(value));
    return;
  }
  it->second = std::move(value);
  headers_.erase(std::remove_if(std::next(it), headers_.end(),
                                [&](const auto& f) { return sameName(f.first, name); }),
                 headers_.end());
}

void UrlRequest::removeValue(std::string_view name) {
  headers_.erase(std::remove_if(headers_.begin(), headers_.end(),
                                [&](const auto& f) { return sameName(f.first, name); }),
                 headers_.end());
}

std::optional<std::string> UrlRequest::value(std::string_view name) const {
  for (const auto& f : headers_) {
    if (sameName(f.first, name)) return f.second;
  }
  return std::nullopt;
}

void UrlRequest::setBody(std::vector<uint8_t> body) {
  body_ = std::make_shared<const std::vector<uint8_t>>(std::move(body));
}

std::optional<std::string> UrlRequest::hostOfUrl(const std::string& url) {
  if (url.empty()) return std::nullopt;
  // Callers ask again and again for the same few URLs (every request of an engine, then its
  // answer's cookie host), and a full parse costs more than the rest of setting up a request:
  // the last answer of this thread is kept.
  struct Last {
    std::string url;
    std::optional<std::string> host;
  };
  thread_local Last last;
  if (url != last.url) {
    last.host = parseHost(url);
    last.url = url;
  }
  return last.host;
}

bool UrlRequest::isValidUrl(const std::string& url) { return hostOfUrl(url).has_value(); }

std::optional<std::string> UrlRequest::endpointOfUrl(const std::string& url) {
  CurlUrl u;
  if (!u.h || curl_url_set(u.h, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return std::nullopt;
  auto scheme = u.part(CURLUPART_SCHEME);
  auto host = u.part(CURLUPART_HOST);
  auto path = u.part(CURLUPART_PATH);
  char* port = nullptr;
  if (!scheme || !host || host->empty() ||
      curl_url_get(u.h, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) != CURLUE_OK || !port) {
    return std::nullopt;
  }
  std::string endpoint = *scheme + "://" + *host + ":" + port + path.value_or("/");
  curl_free(port);
  const size_t pathStart = scheme->size() + 3 + host->size();
  std::transform(endpoint.begin(), endpoint.begin() + static_cast<long>(pathStart), endpoint.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return endpoint;
}

namespace {

// `url` starts with `scheme` ("name://"), the name in any case.
bool startsWithScheme(std::string_view url, std::string_view scheme) {
  if (url.size() < scheme.size()) return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    char c = url[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != scheme[i]) return false;
  }
  return true;
}

}  // namespace

bool UrlRequest::isSecureUrl(std::string_view url) { return startsWithScheme(url, "https://"); }

bool UrlRequest::hasHttpScheme(std::string_view url) {
  return startsWithScheme(url, "http://") || startsWithScheme(url, "https://");
}

}  // namespace zu
