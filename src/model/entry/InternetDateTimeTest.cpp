#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

#include "common/Log.h"
#include "model/entry/InternetDateTime.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

constexpr int64_t kMay4Utc4 = 1304481600000;  // 2011-05-04T04:00:00Z

struct Accepted {
  const char* text;
  int64_t millis;
};

TEST(InternetDateTimeTest, Rfc3339FormsAndTheirLenientVariants) {
  const Accepted cases[] = {
      {"2011-05-04T12:00:00+08:00", kMay4Utc4},
      {"2011-05-04T04:00:00Z", kMay4Utc4},
      {"2011-05-04t04:00:00z", kMay4Utc4},      // upper-cased first
      {"2011-05-04T04:00:00", kMay4Utc4},       // no zone: UTC
      {"2011-05-04T12:00:00+0800", kMay4Utc4},  // offset already without colon
      {"2011-05-03T23:30:00-04:30", kMay4Utc4},
      {"2011-05-04T04:00:00-00:00", kMay4Utc4},
      {"2011-05-04T04:00:00.250Z", kMay4Utc4 + 250},  // second form
      {"2011-05-04T12:00:00.250+08:00", kMay4Utc4 + 250},
      {"2011-05-04T04:00:00.2Z", kMay4Utc4 + 200},  // fraction scaled to milliseconds
      {"2011-05-04T04:00:00.001Z", kMay4Utc4 + 1},  // exact, no floating rounding
      {"2011-05-04T04:00:00.999999Z", kMay4Utc4 + 999},
      {"2011-5-4T4:0:0Z", kMay4Utc4},  // one-digit fields
      {"1970-01-01T00:00:00Z", 0},
      {"1969-12-31T23:59:59Z", -1000},
      {"1969-12-31T23:59:59.500Z", -500},
      {"1900-01-01T00:00:00Z", -2208988800000},
      {"0001-01-01T00:00:00Z", -62135596800000},
      {"9999-12-31T23:59:59Z", 253402300799000},
      {"2012-02-29T00:00:00Z", 1330473600000},  // leap year
      {"2000-02-29T00:00:00Z", 951782400000},   // divisible by 400: leap
      {"2038-01-19T03:14:08Z", 2147483648000},  // past 32-bit seconds
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InternetDateTime::dateFromRFC3339String(c.text), c.millis) << c.text;
    EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong(c.text), c.millis) << c.text;
  }
}

TEST(InternetDateTimeTest, Rfc822FormsWithAndWithoutDayName) {
  const Accepted cases[] = {
      {"Wed, 04 May 2011 04:00:00 GMT", kMay4Utc4},
      {"WED, 4 MAY 2011 04:00:00 gmt", kMay4Utc4},
      {"Wednesday, 04 May 2011 04:00:00 UTC", kMay4Utc4},
      {"Wed, 04 May 2011 04:00 GMT", kMay4Utc4},  // no seconds
      {"Wed, 04 May 2011 04:00:00", kMay4Utc4},   // no zone: UTC
      {"Wed, 04 May 2011 04:00", kMay4Utc4},
      {"Mon, 04 May 2011 04:00:00 GMT", kMay4Utc4},  // day name not checked against the date
      {"04 May 2011 04:00:00 GMT", kMay4Utc4},
      {"4 May 2011 04:00 UT", kMay4Utc4},
      {"04 May 2011 04:00:00", kMay4Utc4},
      {"04 May 2011 04:00", kMay4Utc4},
      {"04 May 2011 12:00:00 +0800", kMay4Utc4},
      {"04 May 2011 00:00:00 EDT", kMay4Utc4},
      {"03 May 2011 23:00:00 EST", kMay4Utc4},
      {"03 May 2011 21:00:00 PDT", kMay4Utc4},
      {"04 May 2011 12:00:00 GMT+08:00", kMay4Utc4},
      {"04 May 2011 12:00:00 GMT+8", kMay4Utc4},
      {"04 May 2011 12:00:00 UTC+0800", kMay4Utc4},
      {"04 May 2011 04:00:00 Z", kMay4Utc4},
      {"04 MAY 2011  04:00:00   GMT", kMay4Utc4},  // runs of spaces
      {"29 Feb 2012 00:00:00 GMT", 1330473600000},
      {"31 Dec 1969 23:59:59 GMT", -1000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InternetDateTime::dateFromRFC822String(c.text), c.millis) << c.text;
    // Text to milliseconds reads RFC 822 after the RFC 3339 forms fail.
    EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong(c.text), c.millis) << c.text;
  }
  // Every month name, short and full.
  const char* months[] = {"Jan", "February", "mar", "April",   "May", "June",
                          "Jul", "August",   "Sep", "October", "Nov", "December"};
  for (int m = 0; m < 12; ++m) {
    std::string text = std::string("1 ") + months[m] + " 2011 00:00";
    auto date = InternetDateTime::dateFromRFC822String(text);
    ASSERT_TRUE(date) << text;
    EXPECT_EQ(InternetDateTime::LongLongToRFC3339StringWithTimeZone8(*date).substr(5, 5),
              (m + 1 < 10 ? "0" : "") + std::to_string(m + 1) + "-01")
        << text;
  }
}

TEST(InternetDateTimeTest, RejectedForms) {
  const char* rfc3339Rejected[] = {
      "",
      "2011-05-04",            // no time
      "2011-05-04T04:00",      // no seconds
      "2011-05-04 04:00:00Z",  // space instead of T
      "11-05-04T04:00:00Z",    // two-digit year
      "2011-13-04T04:00:00Z",  // month 13
      "2011-00-04T04:00:00Z",
      "2011-04-31T04:00:00Z",  // April has 30 days
      "2011-02-29T00:00:00Z",  // not a leap year
      "1900-02-29T00:00:00Z",  // divisible by 100 only: not leap
      "0000-01-01T00:00:00Z",  // no year 0
      "2011-05-04T24:00:00Z",
      "2011-05-04T04:60:00Z",
      "2011-05-04T04:00:60Z",    // no leap seconds
      "2011-05-04T04:00:00+08",  // offset needs four digits
      "2011-05-04T04:00:00+2400",
      "2011-05-04T04:00:00+0860",
      "2011-05-04T04:00:00.Z",  // empty fraction
      "2011-05-04T04:00:00Z trailing",
      " 2011-05-04T04:00:00Z",
      "2011-05-04T04:00:00ZZ",
      "2011-05-04T004:00:00Z",
      "２０１１-05-04T04:00:00Z",  // non-ASCII digits
  };
  for (const char* text : rfc3339Rejected) {
    EXPECT_EQ(InternetDateTime::dateFromRFC3339String(text), std::nullopt) << text;
  }
  const char* rfc822Rejected[] = {
      "",
      "Wed 04 May 2011 04:00:00 GMT",  // day name without comma
      ", 04 May 2011 04:00:00 GMT",
      "Wed, 04 May 11 04:00:00 GMT",    // two-digit year
      "Wed, 04 Mai 2011 04:00:00 GMT",  // not an English month
      "Xyz, 04 May 2011 04:00:00 GMT",
      "04 May 2011 04:00:00 CET",     // unknown zone name
      "04 May 2011 04:00:00 +08:00",  // numeric zone with colon
      "04 May 2011 04:00:00 GMT+123",
      "04 May 2011 04:00:00 GMT+24",
      "31 Jun 2011 04:00:00 GMT",
      "29 Feb 2011 00:00:00 GMT",
      "04 May 2011 4 GMT",
      "04 May 2011 04:00:00 GMT extra",
      "04 May 2011",
  };
  for (const char* text : rfc822Rejected) {
    EXPECT_EQ(InternetDateTime::dateFromRFC822String(text), std::nullopt) << text;
    EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong(text), 0) << text;
  }
  // An RFC 822 text is not an RFC 3339 one and the other way round.
  EXPECT_EQ(InternetDateTime::dateFromRFC3339String("Wed, 04 May 2011 04:00:00 GMT"), std::nullopt);
  EXPECT_EQ(InternetDateTime::dateFromRFC822String("2011-05-04T04:00:00Z"), std::nullopt);
  // Missing text.
  EXPECT_EQ(InternetDateTime::dateFromRFC3339String(std::nullopt), std::nullopt);
  EXPECT_EQ(InternetDateTime::dateFromRFC822String(std::nullopt), std::nullopt);
  EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong(std::nullopt), 0);
}

TEST(InternetDateTimeTest, HintChoosesTheOrderButBothFormsAreRead) {
  for (int hint : {0, 1, 2, 3}) {
    EXPECT_EQ(InternetDateTime::dateFromInternetDateTimeString("2011-05-04T04:00:00Z", hint),
              kMay4Utc4);
    EXPECT_EQ(
        InternetDateTime::dateFromInternetDateTimeString("Wed, 04 May 2011 04:00:00 GMT", hint),
        kMay4Utc4);
    EXPECT_EQ(InternetDateTime::dateFromInternetDateTimeString("garbage", hint), std::nullopt);
  }
}

TEST(InternetDateTimeTest, WritesInUtcPlus8WithMillisecondsTruncatedTowardZero) {
  struct Written {
    int64_t millis;
    const char* text;
  };
  const Written cases[] = {
      {kMay4Utc4, "2011-05-04T12:00:00+08:00"},
      {kMay4Utc4 + 999, "2011-05-04T12:00:00+08:00"},
      {0, "1970-01-01T08:00:00+08:00"},
      {-1, "1970-01-01T08:00:00+08:00"},  // truncation toward zero, not floor
      {-999, "1970-01-01T08:00:00+08:00"},
      {-1000, "1970-01-01T07:59:59+08:00"},
      {-1500, "1970-01-01T07:59:59+08:00"},
      {-28800000, "1970-01-01T00:00:00+08:00"},
      {-28800001, "1970-01-01T00:00:00+08:00"},
      {-28801000, "1969-12-31T23:59:59+08:00"},
      {1330473600000, "2012-02-29T08:00:00+08:00"},
      {1330473600000 - 8 * 3600000 - 1000, "2012-02-28T23:59:59+08:00"},
      {951868799000, "2000-03-01T07:59:59+08:00"},
      {253402300799000, "10000-01-01T07:59:59+08:00"},
      {-62135596800000 - 28800000 - 1000, "0000-12-31T23:59:59+08:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InternetDateTime::LongLongToRFC3339StringWithTimeZone8(c.millis), c.text) << c.millis;
  }
  // The extremes of 64 bits are written without overflow.
  EXPECT_FALSE(
      InternetDateTime::LongLongToRFC3339StringWithTimeZone8(std::numeric_limits<int64_t>::min())
          .empty());
  EXPECT_FALSE(
      InternetDateTime::LongLongToRFC3339StringWithTimeZone8(std::numeric_limits<int64_t>::max())
          .empty());
}

TEST(InternetDateTimeTest, WrittenTextReadsBackToTheWholeSecond) {
  // A walk over four centuries in uneven steps, both sides of 1970, crossing leap days.
  const int64_t step = 86400000LL * 97 + 3600000LL * 7 + 61001;
  for (int64_t t = -6000000000000; t < 7000000000000; t += step) {
    const std::string text = InternetDateTime::LongLongToRFC3339StringWithTimeZone8(t);
    const int64_t wholeSeconds = t / 1000 * 1000;
    EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong(text), wholeSeconds) << text;
  }
}

TEST(InternetDateTimeTest, EachFailingReaderWritesOneLogLine) {
  TempHome home;
  VESKLogInit();
  EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong(""), 0);
  EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong("2011-05-04T04:00:00Z"), kMay4Utc4);
  EXPECT_EQ(InternetDateTime::dateFromRFC822String(std::nullopt), std::nullopt);
  EXPECT_EQ(InternetDateTime::RFC3339StringToLongLong(std::nullopt), 0);
  const std::optional<std::string> path = VESKLogGetLogFilepath();
  VESKLogUninit();
  ASSERT_TRUE(path);
  std::ifstream in(*path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  const std::string log = content.str();
  auto count = [&log](const std::string& needle) {
    size_t n = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("]: Could not parse RFC3339 date: \"\" Possibly invalid format.\r\n"), 1u) << log;
  EXPECT_EQ(count("]: Could not parse RFC822 date: \"\" Possibly invalid format.\r\n"), 1u) << log;
  EXPECT_EQ(count("]: Could not parse RFC822 date: \"(null)\" Possibly invalid format.\r\n"), 2u)
      << log;
  EXPECT_EQ(count("]: Could not parse RFC3339 date: \"(null)\" Possibly invalid format.\r\n"), 1u)
      << log;
  EXPECT_EQ(count("Could not parse"), 5u) << log;
}

}  // namespace
}  // namespace zu
