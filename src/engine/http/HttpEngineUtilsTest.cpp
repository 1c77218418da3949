#include "engine/http/HttpEngineUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "common/CommInfo.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

std::shared_ptr<HttpResponse> responseWith(
    std::vector<std::pair<std::string, std::string>> fields, int status = 200) {
  auto header = std::make_shared<UrlResponse>();
  header->statusCode = status;
  header->headers = std::move(fields);
  auto response = std::make_shared<HttpResponse>();
  response->setResponseHeader(header);
  return response;
}

constexpr double k1994 = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

TEST(HttpEngineUtilsTest, HttpDatesAreWrittenInGmtAndReadInAllThreeForms) {
  setenv("TZ", "Asia/Shanghai", 1);  // the writer must not depend on the local zone
  tzset();
  EXPECT_EQ(HttpEngineUtils::stringWithHttpDate(k1994), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(HttpEngineUtils::stringFromHttpDate(k1994 + 0.9), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(HttpEngineUtils::stringWithHttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(HttpEngineUtils::stringWithHttpDate(-1), "Wed, 31 Dec 1969 23:59:59 GMT");
  EXPECT_EQ(HttpEngineUtils::stringWithHttpDate(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
  EXPECT_EQ(HttpEngineUtils::stringWithHttpDate(std::nan("")), "");
  unsetenv("TZ");
  tzset();

  for (const char* text : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                           "Sun Nov  6 08:49:37 1994", "  sun, 6 nov 1994 08:49:37 utc ",
                           "Sun, 06 Nov 1994 09:49:37 +0100", "Sun, 06 Nov 1994 03:49:37 -0500"}) {
    EXPECT_EQ(HttpEngineUtils::dateWithHttpDateString(text), k1994) << text;
  }
  EXPECT_EQ(HttpEngineUtils::httpDateFromString("Thursday, 01-Jan-70 00:00:00 GMT"), 0.0);
  EXPECT_EQ(HttpEngineUtils::httpDateFromString("Friday, 01-Jan-38 00:00:00 GMT"), 2145916800.0);

  for (const char* bad :
       {"", "Sun", "Sun, 30 Feb 1994 08:49:37 GMT", "Sun, 06 Nov 1994 24:00:00 GMT",
        "Sun, 06 Nov 1994 08:60:00 GMT", "Sun, 06 Xyz 1994 08:49:37 GMT",
        "Sun, 06 Nov 1994 08:49:37", "Sun, 06 Nov 1994 08:49:37 CEST",
        "Sun, 06 Nov 1994 08:49:37 GMT junk", "Sunday, 06 Nov 1994 08:49:37 GMT",
        "Sun, 06 Nov 99999 08:49:37 GMT", "Sun Nov  6 08:49:37", "1994-11-06T08:49:37Z",
        "Sun, 06 Nov 1994 08:49:37 +2400"}) {
    EXPECT_FALSE(HttpEngineUtils::dateWithHttpDateString(bad)) << bad;
  }

  // Everything written reads back.
  for (double t = -2208988800.0; t < 4102444800.0; t += 86400.0 * 37 + 3661) {
    EXPECT_EQ(HttpEngineUtils::httpDateFromString(HttpEngineUtils::stringFromHttpDate(t)), t);
  }
}

TEST(HttpEngineUtilsTest, ResponseHeadersAndMaxAge) {
  auto r = responseWith({{"cache-control", "public, max-age= 3600 , must-revalidate"},
                         {"ETag", "\"v1\""},
                         {"Expires", "Sun, 06 Nov 1994 08:49:37 GMT"},
                         {"Last-Modified", "not a date"}});
  EXPECT_EQ(HttpEngineUtils::getMaxAgeFromResponse(r.get()), "3600");
  EXPECT_EQ(HttpEngineUtils::etagOfResponse(r.get()), "\"v1\"");  // header names in any case
  EXPECT_EQ(HttpEngineUtils::expiresDateOfResponse(r.get()), k1994);
  EXPECT_EQ(HttpEngineUtils::getLastModifiedFromResponse(r.get()), "not a date");
  EXPECT_FALSE(HttpEngineUtils::lastModifiedDateofResponse(r.get()));
  EXPECT_FALSE(HttpEngineUtils::getMaxAgeFromResponse(
      responseWith({{"Cache-Control", "max-age=0"}}).get()));
  EXPECT_FALSE(HttpEngineUtils::getMaxAgeFromResponse(
      responseWith({{"Cache-Control", "no-cache"}}).get()));
  EXPECT_EQ(HttpEngineUtils::getMaxAgeFromResponse(
                responseWith({{"Cache-Control", "max-age=60"}}).get()),
            "60");
  EXPECT_FALSE(HttpEngineUtils::getMaxAgeFromResponse(nullptr));
  EXPECT_FALSE(HttpEngineUtils::getETagFromResponse(nullptr));
}

TEST(HttpEngineUtilsTest, UserAgentFoldersAndSmallHelpers) {
  TempHome home;
  EXPECT_EQ(HttpEngineUtils::composeXUserAgent("1.2.3", 640, 960, "iPhone", "4.3", "zh-Hans",
                                               "iPod touch"),
            "VESK/1.2.3 (640/960; iPhone; 4.3; zh-Hans; iPod touch) 1.0.1");
  HttpEngineUtils::globalDealloc();
  UserDefaults::standard().set("AppleLanguages", Array{Value("fr"), Value("en")});
  std::string agent = HttpEngineUtils::getXUserAgent();
  EXPECT_EQ(agent.rfind("VESK/", 0), 0u);
  EXPECT_NE(agent.find(" (320/480; iPhone; "), std::string::npos);  // the device's screen
  EXPECT_NE(agent.find("; fr; "), std::string::npos);
  EXPECT_EQ(agent.substr(agent.size() - 7), ") 1.0.1");
  UserDefaults::standard().set("AppleLanguages", Array{Value("de")});
  EXPECT_EQ(HttpEngineUtils::getXUserAgent(), agent);  // made once and kept
  HttpEngineUtils::globalDealloc();

  const std::string docs = (home.path() / "Documents").string();
  EXPECT_EQ(HttpEngineUtils::httpCacheDirectory(), docs + "/HttpCache/");
  EXPECT_EQ(HttpEngineUtils::fileCacheDirectory(), docs + "/FileCache/");
  EXPECT_EQ(HttpEngineUtils::linkCacheDirectory(), docs + "/LinkCache/");

  EXPECT_EQ(HttpEngineUtils::stringMd5Encoded(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(HttpEngineUtils::sqlStringWithString(std::nullopt), "null");
  EXPECT_EQ(HttpEngineUtils::sqlStringWithString(std::string("it's")), "'it''s'");
  EXPECT_FALSE(HttpEngineUtils::stringWithUTF8StringSafe(nullptr));

  CommInfo::setUsername("reader");
  EXPECT_EQ(HttpEngineUtils::userName(), "reader");
  CommInfo::globalUninit();

  ScopedFakeClock clock;
  const std::string file = (home.path() / "f").string();
  std::ofstream(file) << "x";
  auto modified = HttpEngineUtils::lastModificationDateOfFile(file);
  ASSERT_TRUE(modified);
  clock->setNow(*modified + 42);
  EXPECT_NEAR(HttpEngineUtils::timeIntervalFromLastModified(file), 42, 0.001);
  EXPECT_EQ(HttpEngineUtils::timeIntervalFromLastModified(std::nullopt), 0);
  EXPECT_EQ(HttpEngineUtils::timeIntervalFromLastModified(file + "-none"), 0);
}

}  // namespace
}  // namespace zu
