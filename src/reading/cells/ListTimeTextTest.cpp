// The list's time text on a fixed clock in China's time zone, and the whole-point rectangles.
#include <gtest/gtest.h>

#include "platform/intl/Calendar.h"
#include "platform/intl/TimeZone.h"
#include "reading/support/CGRectMakeFromDouble.h"
#include "reading/cells/FormatTimeString.h"
#include "reading/cells/GetUpdatedString.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

class FormatTimeStringTest : public ::testing::Test {
 protected:
  void SetUp() override { TimeZone::setDefault(TimeZone::named("Asia/Shanghai")); }
  void TearDown() override { TimeZone::setDefault(std::nullopt); }

  // Milliseconds of a local time in Shanghai.
  static int64_t at(int year, int month, int day, int hour, int minute) {
    DateComponents c;
    c.year = year;
    c.month = month;
    c.day = day;
    c.hour = hour;
    c.minute = minute;
    return static_cast<int64_t>(Calendar(*TimeZone::named("Asia/Shanghai")).dateFromComponents(c)) *
           1000;
  }
};

TEST_F(FormatTimeStringTest, TodayYesterdayThisYearAndAnotherYear) {
  ScopedFakeClock clock(at(2012, 3, 5, 10, 0));
  EXPECT_EQ(FormatTimeString(at(2012, 3, 5, 0, 30)), "今天 00:30");
  EXPECT_EQ(FormatTimeString(at(2012, 3, 4, 23, 59)), "昨天 23:59");
  EXPECT_EQ(FormatTimeString(at(2012, 3, 3, 8, 5)), "03-03 08:05");
  EXPECT_EQ(FormatTimeString(at(2011, 3, 3, 8, 5)), "11-03-03");
  // Midnight edges belong to their own day: 00:00 today is today, 23:59 two days ago is not
  // yesterday.
  EXPECT_EQ(FormatTimeString(at(2012, 3, 5, 0, 0)), "今天 00:00");
  EXPECT_EQ(FormatTimeString(at(2012, 3, 3, 23, 59)), "03-03 23:59");
  // A moment after today falls to the year rules.
  EXPECT_EQ(FormatTimeString(at(2012, 3, 6, 9, 15)), "03-06 09:15");
  EXPECT_EQ(FormatTimeString(at(2013, 1, 2, 9, 15)), "13-01-02");
}

TEST_F(FormatTimeStringTest, YesterdayAcrossTheNewYearBeatsTheYearRule) {
  ScopedFakeClock clock(at(2012, 1, 1, 8, 0));
  EXPECT_EQ(FormatTimeString(at(2011, 12, 31, 22, 10)), "昨天 22:10");
  EXPECT_EQ(FormatTimeString(at(2011, 12, 30, 22, 10)), "11-12-30");
  // The same instant read in UTC is another local day: the device's zone decides.
  TimeZone::setDefault(TimeZone::utc());
  EXPECT_EQ(FormatTimeString(at(2012, 1, 1, 7, 0)), "昨天 23:00");
}

// The rows' relative date: seconds, minutes, today, yesterday, this year and before, with the
// day's words alone at midnight; a moment later today counts as just now.
TEST_F(FormatTimeStringTest, RelativeDatesOfTheRows) {
  const int64_t now = at(2012, 3, 5, 10, 0);
  ScopedFakeClock clock(now);
  EXPECT_EQ(GetUpdatedString(now - 59 * 1000), "59秒前");
  EXPECT_EQ(GetUpdatedString(now - 60 * 1000), "1分钟前");
  EXPECT_EQ(GetUpdatedString(now - 3599 * 1000), "59分钟前");
  EXPECT_EQ(GetUpdatedString(now - 3600 * 1000), "今天 09:00");
  EXPECT_EQ(GetUpdatedString(at(2012, 3, 5, 0, 0)), "今天");
  EXPECT_EQ(GetUpdatedString(at(2012, 3, 4, 0, 0)), "昨天");
  EXPECT_EQ(GetUpdatedString(at(2012, 3, 4, 23, 5)), "昨天 23:05");
  EXPECT_EQ(GetUpdatedString(at(2012, 1, 9, 0, 0)), "1月9日");
  EXPECT_EQ(GetUpdatedString(at(2012, 1, 9, 7, 3)), "1月9日 07:03");
  EXPECT_EQ(GetUpdatedString(at(2011, 12, 3, 0, 0)), "2011年12月3日");
  EXPECT_EQ(GetUpdatedString(at(2011, 12, 3, 18, 40)), "2011年12月3日 18:40");
  EXPECT_EQ(GetUpdatedString(at(2012, 3, 5, 21, 0)), "0秒前");
  EXPECT_EQ(GetUpdatedString(now), "0秒前");
}

TEST(CGRectMakeFromDoubleTest, RaisesOnlyAFractionAboveOneHalf) {
  EXPECT_EQ(CGRectMakeFromDouble(0.5, 0.51, 10.49, 10.5), ui::Rect(0, 1, 10, 10));
  EXPECT_EQ(CGRectMakeFromDouble(2.5, 2.51, 3, 2.999), ui::Rect(2, 3, 3, 3));
  // Negative components end truncated toward zero, never raised.
  EXPECT_EQ(CGRectMakeFromDouble(-1.7, -0.2, -2.5, -3.51), ui::Rect(-1, 0, -2, -3));
}

}  // namespace
}  // namespace zu
