#include "platform/runtime/FakeClock.h"

#include <cmath>

namespace zu {

namespace {

// Seconds to microseconds, rounded; NaN gives 0 and huge values saturate.
int64_t toMicros(double seconds) {
  if (std::isnan(seconds)) return 0;
  double us = std::round(seconds * 1e6);
  if (us >= 9.2e18) return INT64_MAX;
  if (us <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(us);
}

// Where the monotonic scale starts: a power of two of seconds, at least 2^20 (some 12 days)
// and not below the real scale, so no due time is moved back (a task already waiting on the
// real scale comes due at once, as after a long wait). Seconds as doubles lose a bit at
// each power of two: on a scale that crosses one, a start plus a duration (an animation's or the
// keyboard's end) reads a little past the instant the clock reads once that duration has
// passed, so a test that started just below a power of two of the machine's uptime saw an
// animation still running. From here a test's clock crosses none for 12 days.
int64_t monotonicStart() {
  const int64_t real = RealClock().monotonicMicros();
  int64_t seconds = int64_t{1} << 20;
  while (seconds < INT64_MAX / 2000000 && seconds * 1000000 < real) seconds <<= 1;
  return seconds * 1000000;
}

}  // namespace

FakeClock::FakeClock() : wallMicros_(RealClock().nowMicros()), monotonicMicros_(monotonicStart()) {}

FakeClock::FakeClock(int64_t nowMillis) : wallMicros_(nowMillis * 1000), monotonicMicros_(monotonicStart()) {}

std::shared_ptr<FakeClock> FakeClock::install() {
  auto clock = std::make_shared<FakeClock>();
  Clock::setForTesting(clock);
  return clock;
}

std::shared_ptr<FakeClock> FakeClock::install(int64_t nowMillis) {
  auto clock = std::make_shared<FakeClock>(nowMillis);
  Clock::setForTesting(clock);
  return clock;
}

int64_t FakeClock::nowMicros() const { return wallMicros_.load(); }

int64_t FakeClock::monotonicMicros() const { return monotonicMicros_.load(); }

void FakeClock::advance(double seconds) {
  int64_t us = toMicros(seconds);
  if (us <= 0) return;
  wallMicros_ += us;
  monotonicMicros_ += us;
  notifyTimeChanged();
}

void FakeClock::setNow(double secondsSince1970) {
  if (std::isnan(secondsSince1970)) return;
  wallMicros_ = toMicros(secondsSince1970);
  notifyTimeChanged();
}

void FakeClock::setNowMillis(int64_t millisSince1970) {
  wallMicros_ = millisSince1970 * 1000;
  notifyTimeChanged();
}

}  // namespace zu
