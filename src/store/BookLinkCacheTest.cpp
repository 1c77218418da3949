#include "store/BookLinkCache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/ServiceHosts.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Paths.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

class BookLinkCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServiceHosts::setStaticHost(std::string("static.test:8080"));
    // A bundle of our own, so the fallback is known.
    bundleDir_ = home_.path() / "bundle";
    fs::create_directories(bundleDir_);
    FileUtil::writeFileAtomically(bundleDir_ / "fs-2.css", std::string_view("bundled fs-2"));
    FileUtil::writeFileAtomically(bundleDir_ / "parablanks.js", std::string_view("bundled js"));
    Bundle::setMainBundleForTesting(bundleDir_);
  }
  void TearDown() override {
    Bundle::resetMainBundleForTesting();
    ServiceHosts::setStaticHost(std::nullopt);
  }
  TempHome home_;
  fs::path bundleDir_;
};

TEST_F(BookLinkCacheTest, OnlyTheSevenExactUrlsHaveTokens) {
  auto urls = BookLinkCache::getBookCssJsUrls();
  ASSERT_EQ(urls.size(), 7u);
  EXPECT_EQ(urls[0], "http://static.test:8080/js/parablanks.js");
  EXPECT_EQ(urls[3], "http://static.test:8080//css/book/fs-2.css");
  EXPECT_EQ(BookLinkCache::bookUrlRelativeToken(urls[3]), "fs-2.css");
  EXPECT_EQ(BookLinkCache::bookUrlRelativeToken(urls[6]), "fs-6.css");
  // One slash instead of the doubled one, another host, or nothing: no token.
  EXPECT_FALSE(BookLinkCache::isBookCssJsUrl(std::string("http://static.test:8080/css/book/fs-2.css")));
  EXPECT_FALSE(BookLinkCache::isBookCssJsUrl(std::string("http://other:8080/js/parablanks.js")));
  EXPECT_FALSE(BookLinkCache::isBookCssJsUrl(std::string()));
  EXPECT_FALSE(BookLinkCache::isBookCssJsUrl(std::nullopt));
  EXPECT_EQ(BookLinkCache::getCacheDirectory(), Paths::caches().string() + "/BookLinkCache");
  EXPECT_EQ(BookLinkCache::getCachePathByRelativeToken("fs-2.css"),
            Paths::caches().string() + "/BookLinkCache/fs-2.css");
  EXPECT_EQ(BookLinkCache::dataWithUrl(std::string("http://static.test:8080/css/book/fs-2.css")),
            std::nullopt);
}

TEST_F(BookLinkCacheTest, DownloadedCopiesWinOverTheBundleUnlessEmpty) {
  auto urls = BookLinkCache::getBookCssJsUrls();
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[3]), bytes("bundled fs-2"));
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[4]), std::nullopt);  // neither copy exists

  ASSERT_TRUE(BookLinkCache::updateBookLinkCache(
      {{urls[3], bytes("downloaded fs-2")}, {urls[0], Bytes()}, {urls[4], bytes("fs-4")}}));
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[3]), bytes("downloaded fs-2"));
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[4]), bytes("fs-4"));
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[0]), bytes("bundled js"));  // empty counts as missing

  // A newer update replaces the file.
  ASSERT_TRUE(BookLinkCache::updateBookLinkCache({{urls[3], bytes("newer")}}));
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[3]), bytes("newer"));
}

TEST_F(BookLinkCacheTest, AnUnknownUrlInAnUpdateDropsTheWholeFolder) {
  auto urls = BookLinkCache::getBookCssJsUrls();
  ASSERT_TRUE(BookLinkCache::updateBookLinkCache({{urls[3], bytes("a")}, {urls[4], bytes("b")}}));
  BookLinkCache::updateBookLinkCache({{urls[5], bytes("c")},
                                      {"http://static.test:8080/css/other.css", bytes("x")},
                                      {urls[6], bytes("d")}});
  EXPECT_FALSE(fs::exists(BookLinkCache::getCacheDirectory()));
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[3]), bytes("bundled fs-2"));
  EXPECT_EQ(BookLinkCache::dataWithUrl(urls[6]), std::nullopt);
}

}  // namespace
}  // namespace zu
