#include "engine/http/HttpDataEngine.h"

#include <gtest/gtest.h>

#include "engine/cache/FileCacheManager.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

constexpr int64_t kNow = 1700000000000;  // Tue, 14 Nov 2023 22:13:20 GMT

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

UrlRequest request(const std::string& method, const std::string& url,
                   const std::optional<std::string>& body = std::nullopt) {
  UrlRequest r(url);
  r.setMethod(method);
  if (body) r.setBody(bytesOf(*body));
  return r;
}

std::shared_ptr<HttpResponse> answer(const std::string& body,
                                     std::vector<std::pair<std::string, std::string>> fields = {},
                                     int status = 200) {
  auto header = std::make_shared<UrlResponse>();
  header->statusCode = status;
  header->headers = std::move(fields);
  auto response = std::make_shared<HttpResponse>();
  response->setResponseHeader(header);
  response->setResponseBody(bytesOf(body));
  return response;
}

class HttpDataEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FileCacheManager::initGlobalInstance();
    engine_ = HttpDataEngine::sharedInstance();
  }
  void TearDown() override {
    engine_.reset();
    FileCacheManager::uninitGlobalInstance();
  }

  TempHome home_;
  ScopedFakeClock clock_{kNow};
  std::shared_ptr<HttpDataEngine> engine_;
};

TEST_F(HttpDataEngineTest, UsesTheTwoNamedCachesWithTheirLimits) {
  ASSERT_TRUE(engine_->responseCache() && engine_->imageCache());
  EXPECT_EQ(engine_->responseCache()->limitSize(), 31457280);
  EXPECT_EQ(engine_->imageCache()->limitSize(), 209715200);
  EXPECT_TRUE(std::filesystem::exists(home_.path() / "Library" / "Caches" / "FileCaches" /
                                      "HttpCache" / "index.db"));
  EXPECT_EQ(HttpDataEngine::sharedInstance(), engine_);
}

TEST_F(HttpDataEngineTest, KeysSeparateUsersGuestAndPostBodies) {
  const std::string url = "http://svc/feed";
  auto get = request("GET", url), post1 = request("POST", url, "<q>1</q>"),
       post2 = request("POST", url, "<q>2</q>");
  ASSERT_TRUE(engine_->createCacheForUser("alice", &get, answer("alice's").get(), false));
  auto lowerGet = request("get", url);
  ASSERT_TRUE(engine_->createCacheForUser(std::nullopt, &lowerGet, answer("guest's").get(), false));
  ASSERT_TRUE(engine_->createCacheForUser("alice", &post1, answer("one").get(), true));
  ASSERT_TRUE(engine_->createCacheForUser("alice", &post2, answer("two").get(), false));

  auto body = [&](const std::optional<std::string>& user, const UrlRequest& r) {
    auto copy = engine_->cachedResponseForUser(user, &r);
    return copy ? std::string(copy->responseBody().begin(), copy->responseBody().end())
                : std::string("<none>");
  };
  EXPECT_EQ(body("alice", get), "alice's");
  EXPECT_EQ(body("wayfarers", get), "guest's");
  EXPECT_EQ(body(std::nullopt, get), "guest's");
  EXPECT_EQ(body("bob", get), "<none>");
  EXPECT_EQ(body("alice", post1), "one");
  EXPECT_EQ(body("alice", post2), "two");
  EXPECT_EQ(body("alice", request("GET", url, "<q>1</q>")), "alice's");  // a GET's body is no key
  EXPECT_EQ(engine_->responseCache()->getCurrentSize(1), 3);  // the offline POST answer
  EXPECT_TRUE(engine_->responseCache()->load(std::string("alice") + url + "<q>1</q>"));

  auto put = request("PUT", url), noUrl = request("GET", "");
  EXPECT_FALSE(engine_->createCacheForUser("alice", &put, answer("x").get(), false));
  EXPECT_FALSE(engine_->createCacheForUser("alice", &noUrl, answer("x").get(), false));
  EXPECT_FALSE(engine_->createCacheForUser("alice", nullptr, answer("x").get(), false));
  EXPECT_FALSE(engine_->createCacheForUser("alice", &get, nullptr, false));
  auto del = request("DELETE", url);
  EXPECT_FALSE(engine_->cachedResponseForUser("alice", &del));
  EXPECT_FALSE(engine_->cachedResponseForUser("alice", nullptr));

  auto copy = engine_->cachedResponseForUser("alice", &get);
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->isCache());
  EXPECT_EQ(copy->statusCode(), 200);
  EXPECT_FALSE(copy->responseHeader());
}

TEST_F(HttpDataEngineTest, OnlyCacheableAnswersQualify) {
  EXPECT_TRUE(HttpDataEngine::shouldCache(answer("").get()));
  EXPECT_TRUE(HttpDataEngine::shouldCache(answer("", {{"Cache-Control", "max-age=60"}}).get()));
  EXPECT_FALSE(HttpDataEngine::shouldCache(answer("", {{"Cache-Control", "no-store"}}).get()));
  EXPECT_FALSE(
      HttpDataEngine::shouldCache(answer("", {{"cache-control", "private, No-Cache"}}).get()));
  EXPECT_FALSE(HttpDataEngine::shouldCache(answer("", {}, 203).get()));
  EXPECT_FALSE(HttpDataEngine::shouldCache(answer("", {}, 304).get()));
  EXPECT_FALSE(HttpDataEngine::shouldCache(nullptr));
}

TEST_F(HttpDataEngineTest, FreshnessEndsAfterTheExpiresSecondAndValidatorsComeBack) {
  const std::string url = "http://svc/a";
  // Expires = now + 10 s.
  auto get = request("GET", url), get2 = request("GET", url + "2");
  ASSERT_TRUE(engine_->createCacheForUser(
      "u", &get,
      answer("a", {{"Expires", "Tue, 14 Nov 2023 22:13:30 GMT"},
                   {"Last-Modified", "Tue, 14 Nov 2023 20:00:00 GMT"},
                   {"ETag", "\"abc\""},
                   {"Cache-Control", "max-age=1"}})
          .get(),
      false));
  auto copy = engine_->cachedResponseForUser("u", &get);
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->isFresh());
  EXPECT_EQ(copy->etag(), "\"abc\"");
  EXPECT_EQ(copy->lastModified(), 1699992000.0);

  clock_->setNowMillis(kNow + 10999);  // still within the Expires second (max-age plays no part)
  EXPECT_TRUE(engine_->cachedResponseForUser("u", &get)->isFresh());
  clock_->setNowMillis(kNow + 11000);
  copy = engine_->cachedResponseForUser("u", &get);
  EXPECT_FALSE(copy->isFresh());
  EXPECT_EQ(copy->etag(), "\"abc\"");  // a stale copy still carries its validators

  // No Expires (or an unreadable one) is never fresh; an absent ETag is absent, not empty.
  ASSERT_TRUE(
      engine_->createCacheForUser("u", &get2, answer("b", {{"Expires", "0"}}).get(), false));
  copy = engine_->cachedResponseForUser("u", &get2);
  ASSERT_TRUE(copy);
  EXPECT_FALSE(copy->isFresh());
  EXPECT_FALSE(copy->etag());
  EXPECT_FALSE(copy->lastModified());
}

TEST_F(HttpDataEngineTest, DownloadsGoToTheImageCacheByUrl) {
  const std::string url = "http://img/cover.jpg";
  auto get = request("GET", url), post = request("POST", url);
  Bytes data = bytesOf("JPEGDATA");
  EXPECT_FALSE(engine_->createFileForRequest(&post, &data, false));
  EXPECT_FALSE(engine_->createFileForRequest(&get, nullptr, false));
  ASSERT_TRUE(engine_->createFileForRequest(&get, &data, true));
  EXPECT_EQ(engine_->fileDataForRequest(&get), data);
  auto path = engine_->filePathForRequest(&get);
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, engine_->imageCache()->fileDirectory() + "/" + FileCache::uidForKey(url));
  EXPECT_FALSE(engine_->filePathForRequest(&post));
  EXPECT_EQ(engine_->imageCache()->getCurrentSize(1), 8);

  // While the caches are disabled (a clean-all pass) nothing is stored or found.
  engine_->imageCache()->disable();
  engine_->responseCache()->disable();
  EXPECT_FALSE(engine_->fileDataForRequest(&get));
  engine_->createCacheForUser("u", &get, answer("a").get(), false);
  engine_->responseCache()->enable();
  EXPECT_FALSE(engine_->cachedResponseForUser("u", &get));
}

}  // namespace
}  // namespace zu
