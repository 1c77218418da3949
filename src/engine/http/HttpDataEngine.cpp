#include "engine/http/HttpDataEngine.h"

#include <cmath>
#include <mutex>

#include "engine/http/HttpEngineUtils.h"
#include "platform/runtime/Clock.h"

namespace zu {

namespace {

std::mutex gSharedLock;
std::shared_ptr<HttpDataEngine> gShared;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  for (size_t i = 0; i + part.size() <= text.size(); ++i) {
    size_t j = 0;
    while (j < part.size() && lower(text[i + j]) == lower(part[j])) ++j;
    if (j == part.size()) return true;
  }
  return false;
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// Whole seconds since 1970 of a date (0 when absent).
int64_t wholeSeconds(const std::optional<double>& date) {
  if (!date || !std::isfinite(*date)) return 0;
  return static_cast<int64_t>(*date);
}

}  // namespace

std::shared_ptr<HttpDataEngine> HttpDataEngine::sharedInstance() {
  std::lock_guard<std::mutex> guard(gSharedLock);
  auto manager = FileCacheManager::globalInstance();
  if (!gShared || gShared->manager_.lock() != manager) {
    gShared = std::make_shared<HttpDataEngine>(manager);
  }
  return gShared;
}

HttpDataEngine::HttpDataEngine(const std::shared_ptr<FileCacheManager>& manager)
    : manager_(manager) {
  if (!manager) return;
  // A refresh stores every list answer: those writes go to the cache's writer thread, off the
  // thread that drives the transfers.
  rspCache_ = manager->getCache(kResponseCacheName, FileCache::Writes::kBehind);
  imgCache_ = manager->getCache(kImageCacheName);
  if (rspCache_) rspCache_->setLimitSize(kResponseCacheLimit);
  if (imgCache_) imgCache_->setLimitSize(kImageCacheLimit);
}

bool HttpDataEngine::shouldCache(const HttpResponse* response) {
  if (!response || response->statusCode() != 200) return false;
  auto control = response->headerField("Cache-Control");
  if (!control) return true;
  return !containsIgnoringCase(*control, "no-cache") && !containsIgnoringCase(*control, "no-store");
}

std::string HttpDataEngine::cacheKey(const std::optional<std::string>& user,
                                     const UrlRequest& request) {
  std::string key = user ? *user : std::string(kGuestUser);
  key += request.url();
  // The body's bytes as they are: for UTF-8 text this is the decoded text, and other bodies
  // still give distinct keys.
  if (request.body() && upper(request.method()) == "POST") {
    key.append(request.body()->begin(), request.body()->end());
  }
  return key;
}

namespace {

// GET or POST (either case) with a URL.
bool isCacheableRequest(const UrlRequest* request) {
  if (!request || request->url().empty()) return false;
  std::string method = upper(request->method());
  return method == "GET" || method == "POST";
}

bool isGetWithUrl(const UrlRequest* request) {
  return request && !request->url().empty() && upper(request->method()) == "GET";
}

}  // namespace

bool HttpDataEngine::createCacheForUser(const std::optional<std::string>& user,
                                        const UrlRequest* request, const HttpResponse* response,
                                        bool offlineDownloadItem) {
  if (!response || !isCacheableRequest(request) || !rspCache_) return false;
  const int64_t expires = wholeSeconds(HttpEngineUtils::expiresDateOfResponse(response));
  const int64_t lastModified = wholeSeconds(HttpEngineUtils::lastModifiedDateofResponse(response));
  const std::optional<std::string> etag = HttpEngineUtils::etagOfResponse(response);
  return rspCache_->saveEnhanced(cacheKey(user, *request), response->responseBody(),
                                 offlineDownloadItem ? FileCache::kItemTypeOfflineDownload
                                                     : FileCache::kItemTypeNormal,
                                 expires, lastModified, etag, std::nullopt);
}

bool HttpDataEngine::createFileForRequest(const UrlRequest* request, const Bytes* data,
                                          bool offlineDownloadItem) {
  if (!data || !isGetWithUrl(request) || !imgCache_) return false;
  return imgCache_->saveEnhanced(request->url(), *data,
                                 offlineDownloadItem ? FileCache::kItemTypeOfflineDownload
                                                     : FileCache::kItemTypeNormal,
                                 0, 0, std::nullopt, std::nullopt);
}

std::shared_ptr<CachedHttpResponse> HttpDataEngine::cachedResponseForUser(
    const std::optional<std::string>& user, const UrlRequest* request, bool withBody) {
  if (!isCacheableRequest(request) || !rspCache_) return nullptr;
  Bytes data;
  int64_t expires = 0, lastModified = 0;
  std::string etag;
  if (rspCache_->loadEnhanced(cacheKey(user, *request), withBody ? &data : nullptr, &expires,
                              &lastModified, &etag, nullptr) != 0) {
    return nullptr;
  }
  auto copy = std::make_shared<CachedHttpResponse>();
  copy->setResponseBody(std::move(data));
  // Fresh up to and including the Expires second itself.
  const int64_t nowSeconds = Clock::get()->nowMillis() / 1000;
  copy->setIsFresh(expires > 0 && nowSeconds <= expires);
  if (!etag.empty()) copy->setEtag(std::move(etag));
  if (lastModified != 0) copy->setLastModified(static_cast<double>(lastModified));
  return copy;
}

std::optional<std::string> HttpDataEngine::filePathForRequest(const UrlRequest* request) {
  if (!isGetWithUrl(request) || !imgCache_) return std::nullopt;
  return imgCache_->getFilePath(request->url());
}

std::optional<Bytes> HttpDataEngine::fileDataForRequest(const UrlRequest* request) {
  if (!isGetWithUrl(request) || !imgCache_) return std::nullopt;
  return imgCache_->load(request->url());
}

}  // namespace zu
