#include "engine/cache/LinkCache.h"

#include "common/CommInfo.h"
#include "common/DeviceInfo.h"
#include "engine/http/HttpDataEngine.h"
#include "platform/runtime/StringUtil.h"
#include "store/BookLinkCache.h"

namespace zu {

namespace {

bool endsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The path of an absolute URL: after "scheme://host", up to the query or fragment.
std::string pathOf(const std::string& url) {
  size_t start = 0;
  if (size_t scheme = url.find("://"); scheme != std::string::npos) {
    start = url.find('/', scheme + 3);
    if (start == std::string::npos) return std::string();
  }
  size_t end = url.find_first_of("?#", start);
  return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

CachedUrlResponse makeResponse(const UrlRequest& request, Bytes data) {
  CachedUrlResponse cached;
  cached.response.url = request.url();
  cached.response.expectedContentLength = static_cast<int64_t>(data.size());
  cached.data = std::move(data);
  cached.storagePolicy = CachedUrlResponse::StoragePolicy::kAllowedInMemoryOnly;
  return cached;
}

}  // namespace

bool LinkCache::isRemoteImageUrl(const std::string& url) {
  const std::string lower = StringUtil::asciiLowercase(url);
  if (lower.rfind("file://", 0) == 0) return false;
  for (std::string_view suffix : {".png", ".bmp", ".jpg", ".gif", ".jpeg"}) {
    if (endsWith(lower, suffix)) return true;
  }
  return false;
}

bool LinkCache::isNeedToHandleUrl(const std::string& url) {
  const std::string path = StringUtil::asciiLowercase(pathOf(url));
  return endsWith(path, ".css") || endsWith(path, ".js");
}

std::optional<CachedUrlResponse> LinkCache::cachedResponseForRequest(const UrlRequest& request) {
  const std::string& url = request.url();
  if (isRemoteImageUrl(url)) {
    auto data = HttpDataEngine::sharedInstance()->fileDataForRequest(&request);
    if (!data) return std::nullopt;
    return makeResponse(request, std::move(*data));
  }
  if (!isNeedToHandleUrl(url)) return UrlCache::cachedResponseForRequest(request);
  if (BookLinkCache::isBookCssJsUrl(url)) {
    auto data = BookLinkCache::dataWithUrl(url);
    if (!data) return std::nullopt;
    return makeResponse(request, std::move(*data));
  }
  auto cached =
      HttpDataEngine::sharedInstance()->cachedResponseForUser(CommInfo::getUsername(), &request);
  if (!cached) return std::nullopt;
  // A stale copy is only worth serving when the network cannot fetch a fresh one.
  if (!cached->isFresh() && DeviceInfo::getNetworkStatus() != 0) return std::nullopt;
  return makeResponse(request, cached->responseBody());
}

void LinkCache::storeCachedResponse(const CachedUrlResponse& response, const UrlRequest& request) {
  if (response.response.statusCode != 200) {
    UrlCache::storeCachedResponse(response, request);
    return;
  }
  const std::string& url = request.url();
  if (isRemoteImageUrl(url)) {
    HttpDataEngine::sharedInstance()->createFileForRequest(&request, &response.data, false);
    return;
  }
  if (!isNeedToHandleUrl(url)) {
    UrlCache::storeCachedResponse(response, request);
    return;
  }
  HttpResponse http;
  http.setResponseHeader(std::make_shared<UrlResponse>(response.response));
  http.setResponseBody(response.data);
  http.setRequestUrl(url);
  HttpDataEngine::sharedInstance()->createCacheForUser(CommInfo::getUsername(), &request, &http,
                                                       true);
}

}  // namespace zu
