#include "platform/runtime/Clock.h"

#include <gtest/gtest.h>

#include <cmath>

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
  // Compared in microseconds, and seconds to within a microsecond: a difference of seconds
  // as doubles is off in its last bits where the clock crosses a power of two.
  const int64_t mono = fake->monotonicMicros();
  const double monoSeconds = fake->monotonic();
  fake->advance(1.5);
  EXPECT_EQ(fake->nowMillis(), 1700000001623);
  EXPECT_EQ(fake->monotonicMicros() - mono, 1500000);
  EXPECT_NEAR(fake->monotonic() - monoSeconds, 1.5, 1e-6);
  fake->advance(-10);  // time never goes back through advance
  EXPECT_EQ(fake->nowMillis(), 1700000001623);

  // Setting the date moves wall time only, backwards too.
  fake->setNow(1000.25);
  EXPECT_EQ(fake->nowMillis(), 1000250);
  EXPECT_EQ(fake->monotonicMicros() - mono, 1500000);
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

// The fake monotonic scale starts at a power of two of seconds no earlier than the real one, so
// a start plus durations of binary fractions reads as the clock does once they have passed,
// however long the machine has been up (below a power of two, the sum came out a bit late).
TEST(ClockTest, FakeMonotonicTimeAddsUpExactly) {
  const int64_t real = Clock::real()->monotonicMicros();
  auto fake = FakeClock::install();
  EXPECT_GE(fake->monotonicMicros(), real);
  const double start = fake->monotonic();
  EXPECT_GE(start, 1 << 20);
  EXPECT_EQ(std::exp2(std::floor(std::log2(start))), start);
  double end = start;
  for (double step : {0.25, 0.5, 0.125, 1.0, 0.0625}) {
    for (int i = 0; i < 200; ++i) {
      fake->advance(step);
      end += step;
      ASSERT_EQ(fake->monotonic(), end) << "after " << i << " steps of " << step;
    }
  }
  Clock::resetForTesting();
}

}  // namespace
}  // namespace zu
