#include "engine/cache/LinkCache.h"

#include <gtest/gtest.h>

#include "common/CommInfo.h"
#include "common/ServiceHosts.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/http/HttpDataEngine.h"
#include "engine/http/HttpEngineUtils.h"
#include "platform/runtime/Clock.h"
#include "store/BookLinkCache.h"
#include "testing/SettableNetworkProbe.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

CachedUrlResponse loaded(int status, std::string_view body, std::optional<double> expires) {
  CachedUrlResponse response;
  response.response.statusCode = status;
  if (expires) {
    response.response.headers.emplace_back("Expires", HttpEngineUtils::stringWithHttpDate(*expires));
  }
  response.data = bytes(body);
  return response;
}

class LinkCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NetworkProbe::setShared(probe_);
    FileCacheManager::initGlobalInstance();
    CommInfo::setUsername(std::string("alice"));
    ServiceHosts::setStaticHost(std::string("static.test"));
  }
  void TearDown() override {
    ServiceHosts::setStaticHost(std::nullopt);
    CommInfo::globalUninit();
    FileCacheManager::uninitGlobalInstance();
    NetworkProbe::setShared(nullptr);
  }
  TempHome home_;
  std::shared_ptr<SettableNetworkProbe> probe_ = std::make_shared<SettableNetworkProbe>();
  LinkCache cache_;
};

TEST_F(LinkCacheTest, KindsOfUrl) {
  EXPECT_TRUE(LinkCache::isRemoteImageUrl("http://h/a/PHOTO.JPG"));
  EXPECT_TRUE(LinkCache::isRemoteImageUrl("https://h/x.jpeg"));
  EXPECT_FALSE(LinkCache::isRemoteImageUrl("file:///tmp/x.png"));
  EXPECT_FALSE(LinkCache::isRemoteImageUrl("http://h/x.png?size=2"));
  EXPECT_TRUE(LinkCache::isNeedToHandleUrl("http://h/s/Site.CSS?v=3"));
  EXPECT_TRUE(LinkCache::isNeedToHandleUrl("http://h/app.js#top"));
  EXPECT_FALSE(LinkCache::isNeedToHandleUrl("http://h/page.html"));
  EXPECT_FALSE(LinkCache::isNeedToHandleUrl("http://h.js"));  // a host is not a path
  EXPECT_EQ(cache_.memoryCapacity(), 100000000);
  EXPECT_EQ(cache_.diskCapacity(), 100000000);
}

TEST_F(LinkCacheTest, ImagesGoThroughTheImageCache) {
  UrlRequest request("http://h/a/PHOTO.JPG");
  EXPECT_EQ(cache_.cachedResponseForRequest(request), std::nullopt);
  cache_.storeCachedResponse(loaded(200, "jpeg bytes", std::nullopt), request);
  auto served = cache_.cachedResponseForRequest(request);
  ASSERT_TRUE(served);
  EXPECT_EQ(served->data, bytes("jpeg bytes"));
  EXPECT_EQ(served->response.url, "http://h/a/PHOTO.JPG");
  EXPECT_EQ(served->response.expectedContentLength, 10);
  EXPECT_EQ(served->response.mimeType, "");
  EXPECT_EQ(served->storagePolicy, CachedUrlResponse::StoragePolicy::kAllowedInMemoryOnly);
  EXPECT_TRUE(HttpDataEngine::sharedInstance()->fileDataForRequest(&request));

  // Not status 200, or a local file: nothing is kept.
  UrlRequest other("http://h/b.png");
  cache_.storeCachedResponse(loaded(404, "missing", std::nullopt), other);
  EXPECT_EQ(cache_.cachedResponseForRequest(other), std::nullopt);
  UrlRequest local("file:///tmp/c.png");
  cache_.storeCachedResponse(loaded(200, "local", std::nullopt), local);
  EXPECT_EQ(cache_.cachedResponseForRequest(local), std::nullopt);
}

TEST_F(LinkCacheTest, BookStyleSheetsComeFromTheBookLinkCache) {
  const auto urls = BookLinkCache::getBookCssJsUrls();
  auto bundled = cache_.cachedResponseForRequest(UrlRequest(urls[1]));  // shipped in resources/
  ASSERT_TRUE(bundled);
  EXPECT_FALSE(bundled->data.empty());
  BookLinkCache::updateBookLinkCache({{urls[1], bytes("downloaded")}});
  EXPECT_EQ(cache_.cachedResponseForRequest(UrlRequest(urls[1]))->data, bytes("downloaded"));
}

TEST_F(LinkCacheTest, StaleStyleSheetsAreServedOnlyOffline) {
  const double now = Clock::get()->now();
  UrlRequest stale("http://h/old.css");
  UrlRequest fresh("http://h/new.js");
  cache_.storeCachedResponse(loaded(200, "old rules", now - 3600), stale);
  cache_.storeCachedResponse(loaded(200, "new code", now + 3600), fresh);

  probe_->setFlags(SettableNetworkProbe::kWifi);
  EXPECT_EQ(cache_.cachedResponseForRequest(stale), std::nullopt);  // loaded again online
  ASSERT_TRUE(cache_.cachedResponseForRequest(fresh));
  EXPECT_EQ(cache_.cachedResponseForRequest(fresh)->data, bytes("new code"));

  probe_->setFlags(SettableNetworkProbe::kOffline);
  ASSERT_TRUE(cache_.cachedResponseForRequest(stale));
  EXPECT_EQ(cache_.cachedResponseForRequest(stale)->data, bytes("old rules"));

  // The copies belong to the user who loaded them.
  CommInfo::setUsername(std::string("bob"));
  EXPECT_EQ(cache_.cachedResponseForRequest(stale), std::nullopt);
  CommInfo::setUsername(std::string("alice"));

  // Kept as offline items: trimming the normal items leaves them.
  auto responses = HttpDataEngine::sharedInstance()->responseCache();
  EXPECT_EQ(responses->getCachedItemsCount(1), 2);
  responses->cleanBatchItems(0);
  EXPECT_TRUE(cache_.cachedResponseForRequest(stale));
}

}  // namespace
}  // namespace zu
