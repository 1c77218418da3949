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

}  // namespace

// The monotonic scale starts where the real one stands, so switching clocks moves nothing.
FakeClock::FakeClock()
    : wallMicros_(RealClock().nowMicros()), monotonicMicros_(RealClock().monotonicMicros()) {}

FakeClock::FakeClock(int64_t nowMillis)
    : wallMicros_(nowMillis * 1000), monotonicMicros_(RealClock().monotonicMicros()) {}

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
