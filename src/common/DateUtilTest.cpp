#include "common/DateUtil.h"

#include <gtest/gtest.h>

#include <array>

#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

class DateUtilTest : public ::testing::Test {
 protected:
  ScopedFakeClock clock_{1700000000123};
};

TEST_F(DateUtilTest, CurrentTimeMillisFollowsTheInstalledClock) {
  EXPECT_EQ(DateUtil::currentTimeMillis(), 1700000000123);
  clock_->advance(2.5);
  EXPECT_EQ(DateUtil::currentTimeMillis(), 1700000002623);
}

TEST_F(DateUtilTest, CommentAgesAtEveryBoundary) {
  const double now = 1700000000.123;
  const std::pair<double, const char*> cases[] = {
      {0, "0秒前"},          {59, "59秒前"},        {59.9, "59秒前"},    {60, "1分钟前"},
      {3599, "59分钟前"},    {3600, "1小时前"},     {86399, "23小时前"}, {86400, "1天前"},
      {172799, "1天前"},     {172800, "2天前"},     {-10, "-10秒前"},    {-100000, "-100000秒前"},
  };
  for (const auto& [age, text] : cases) {
    SCOPED_TRACE(age);
    EXPECT_EQ(DateUtil::getFormatedCommentDateString(now - age), text);
  }
  // Ages past the int range saturate instead of overflowing.
  EXPECT_EQ(DateUtil::getFormatedCommentDateString(-1e300), "24855天前");
  EXPECT_EQ(DateUtil::getFormatedCommentDateString(1e300), "-2147483648秒前");
  EXPECT_EQ(DateUtil::getFormatedCommentDateString(now - 3e9), "24855天前");
}

TEST(VersionTest, ParsesLeadingNumbersOfDottedParts) {
  int major = -1, minor = -1, patch = -1;
  parseStringToVersion("3.a.7", &major, &minor, &patch);
  EXPECT_EQ((std::array{major, minor, patch}), (std::array{3, 0, 7}));
  parseStringToVersion("10.2rc1.33.4", &major, &minor, &patch);
  EXPECT_EQ((std::array{major, minor, patch}), (std::array{10, 2, 33}));
  parseStringToVersion("2", &major, &minor, &patch);
  EXPECT_EQ((std::array{major, minor, patch}), (std::array{2, 0, 0}));
  parseStringToVersion(std::nullopt, &major, &minor, &patch);
  EXPECT_EQ((std::array{major, minor, patch}), (std::array{0, 0, 0}));
}

TEST(VersionTest, ComparesPartsAsNumbers) {
  EXPECT_EQ(versionCompare("1.10", "1.9"), 1);
  EXPECT_EQ(versionCompare("1.9", "1.10"), -1);
  EXPECT_EQ(versionCompare("1.1", "1.1.0"), 0);
  EXPECT_EQ(versionCompare(std::nullopt, "1.1.2"), -1);
  EXPECT_EQ(versionCompare("2", "1.9.9"), 1);
  EXPECT_EQ(versionCompare("1.2.3", "1.2.4"), -1);
  EXPECT_EQ(versionCompare("1.2.3.9", "1.2.3.1"), 0);
}

}  // namespace
}  // namespace zu
