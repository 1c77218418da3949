#include "platform/intl/Calendar.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/intl/DateFormatter.h"
#include "platform/runtime/FakeClock.h"

namespace zu {
namespace {

// 2012-03-05 00:00:00 in Shanghai (UTC+8) is 2012-03-04 16:00:00 UTC.
constexpr double kMidnight = 1330876800.0;

class CalendarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TimeZone::setDefault(TimeZone::named("Asia/Shanghai"));
    clock_ = std::make_shared<FakeClock>();
    Clock::setForTesting(clock_);
  }
  void TearDown() override {
    Clock::resetForTesting();
    TimeZone::setDefault(std::nullopt);
  }
  void setNow(double seconds) { clock_->setNow(seconds); }
  std::shared_ptr<FakeClock> clock_;
};

TEST_F(CalendarTest, DaysBeginAtShanghaiMidnight) {
  const Calendar cal;
  EXPECT_EQ("Asia/Shanghai", cal.timeZone().identifier());
  EXPECT_EQ((DateComponents{2012, 3, 5, 0, 0, 0, 2}), cal.components(kMidnight));
  EXPECT_EQ((DateComponents{2012, 3, 4, 23, 59, 59, 1}), cal.components(kMidnight - 1));
  EXPECT_DOUBLE_EQ(kMidnight, cal.startOfDay(kMidnight + 86399));
  EXPECT_DOUBLE_EQ(kMidnight - 86400, cal.startOfDay(kMidnight - 1));
  EXPECT_DOUBLE_EQ(kMidnight, cal.dateFromComponents({2012, 3, 5, 0, 0, 0}));
  // Carrying over: 0 March is the last day of February (2012 is a leap year).
  EXPECT_EQ(29, cal.components(cal.dateFromComponents({2012, 3, 0, 12, 0, 0})).day);
  EXPECT_EQ(8 * 3600, cal.timeZone().secondsFromGMT(kMidnight));
  // The same moment is still the 4th in UTC.
  EXPECT_EQ(4, Calendar(TimeZone::utc()).components(kMidnight).day);
  EXPECT_FALSE(TimeZone::named("Mars/Olympus"));
}

TEST_F(CalendarTest, TodayYesterdayAndThisYearFollowTheClock) {
  const Calendar cal;
  setNow(kMidnight + 30);  // 00:00:30 on the 5th
  EXPECT_TRUE(cal.isDateInToday(kMidnight));
  EXPECT_FALSE(cal.isDateInToday(kMidnight - 1));
  EXPECT_TRUE(cal.isDateInYesterday(kMidnight - 1));
  EXPECT_TRUE(cal.isDateInYesterday(kMidnight - 86400));
  EXPECT_FALSE(cal.isDateInYesterday(kMidnight - 86401));
  EXPECT_FALSE(cal.isDateInYesterday(kMidnight));
  setNow(kMidnight + 86399);  // 23:59:59 the same day changes nothing
  EXPECT_TRUE(cal.isDateInToday(kMidnight));
  setNow(kMidnight + 86400);
  EXPECT_FALSE(cal.isDateInToday(kMidnight));
  EXPECT_TRUE(cal.isDateInYesterday(kMidnight));
  // New year's eve in Shanghai is already the new year in Shanghai, not yet in UTC.
  const double newYear = cal.dateFromComponents({2013, 1, 1, 0, 0, 0});
  setNow(newYear);
  EXPECT_FALSE(cal.isDateInThisYear(kMidnight));
  EXPECT_TRUE(Calendar(TimeZone::utc()).isDateInThisYear(kMidnight));
}

TEST_F(CalendarTest, FormatterWritesThePatternsOfTheLists) {
  const double t = kMidnight + 8 * 3600 + 5 * 60;  // 2012-03-05 08:05 Shanghai
  EXPECT_EQ("08:05", DateFormatter("HH:mm").format(t));
  EXPECT_EQ("00:00", DateFormatter("HH:mm").format(kMidnight));
  EXPECT_EQ("23:59", DateFormatter("HH:mm").format(kMidnight - 1));
  EXPECT_EQ("3月5日 08:05", DateFormatter("M月d日 HH:mm").format(t));
  EXPECT_EQ("2012年3月5日", DateFormatter("yyyy年M月d日").format(t));
  EXPECT_EQ("2012年3月5日 08:05", DateFormatter("yyyy年M月d日 HH:mm").format(t));
  EXPECT_EQ("12-03-05", DateFormatter("yy-MM-dd").format(t));
  EXPECT_EQ("03-05 08:05", DateFormatter("MM-dd HH:mm").format(t));
  // The epoch in China's zone, and in UTC.
  EXPECT_EQ("1970年1月1日 08:00", DateFormatter("yyyy年M月d日 HH:mm").format(0));
  EXPECT_EQ("1970年1月1日 00:00",
            DateFormatter("yyyy年M月d日 HH:mm", TimeZone::utc()).format(0));
  // Quoted letters are literal; absurd moments are clamped, never a crash.
  EXPECT_EQ("d 5", DateFormatter("'d' d").format(t));
  EXPECT_EQ("9999", DateFormatter("yyyy", TimeZone::utc()).format(1e300));
}

}  // namespace
}  // namespace zu
