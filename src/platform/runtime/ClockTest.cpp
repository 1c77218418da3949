#include "platform/runtime/Clock.h"

#include <gtest/gtest.h>

#include "platform/runtime/FakeClock.h"

namespace zu {
namespace {

TEST(ClockTest, FakeClockIsInjectedAndMovesOnlyWhenTold) {
  auto real = Clock::get();
  EXPECT_EQ(real, Clock::real());
  int64_t before = real->nowMillis();
  EXPECT_GT(before, 1600000000000);  // sanity: milliseconds since 1970

  auto fake = FakeClock::install(1700000000123);
  EXPECT_EQ(Clock::get(), fake);
  EXPECT_EQ(Clock::get()->nowMillis(), 1700000000123);
  EXPECT_DOUBLE_EQ(Clock::get()->now(), 1700000000.123);
  double mono = fake->monotonic();
  fake->advance(1.5);
  EXPECT_EQ(fake->nowMillis(), 1700000001623);
  EXPECT_DOUBLE_EQ(fake->monotonic() - mono, 1.5);
  fake->advance(-10);  // time never goes back through advance
  EXPECT_EQ(fake->nowMillis(), 1700000001623);

  // Setting the date moves wall time only, backwards too.
  fake->setNow(1000.25);
  EXPECT_EQ(fake->nowMillis(), 1000250);
  EXPECT_DOUBLE_EQ(fake->monotonic() - mono, 1.5);
  fake->setNowMillis(-1);  // before 1970: milliseconds round down
  EXPECT_EQ(fake->nowMicros(), -1000);
  EXPECT_EQ(fake->nowMillis(), -1);
  fake->setNowMillis(0);
  fake->advance(0.0005);
  EXPECT_EQ(fake->nowMillis(), 0);

  Clock::resetForTesting();
  EXPECT_EQ(Clock::get(), Clock::real());
  EXPECT_GE(Clock::get()->nowMillis(), before);
}

}  // namespace
}  // namespace zu
