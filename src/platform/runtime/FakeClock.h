// FakeClock: a clock that moves only when told to, for tests. Install it with
// FakeClock::install() (or Clock::setForTesting), then advance() it: run loops are woken and
// run the delayed tasks that became due, so a test of a 30-second timeout takes no time.
// Restore the real clock with Clock::resetForTesting() when done.
//
// Thread-safe: it may be read from any thread while the test thread advances it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/runtime/Clock.h"

namespace zu {

class FakeClock : public Clock {
 public:
  // Starts at the real current wall time. The monotonic time starts at a power of two of
  // seconds (at least 2^20, not below the real monotonic time), where a start plus a duration
  // in binary fractions of a second reads exactly as the clock once that duration has passed.
  FakeClock();
  // Starts at the given wall time (milliseconds since 1970 UTC).
  explicit FakeClock(int64_t nowMillis);

  // Creates a fake clock starting at the real current time and installs it as the process clock.
  static std::shared_ptr<FakeClock> install();
  // Same, starting at the given wall time (milliseconds since 1970 UTC).
  static std::shared_ptr<FakeClock> install(int64_t nowMillis);

  int64_t nowMicros() const override;
  int64_t monotonicMicros() const override;

  // Moves wall and monotonic time forward by `seconds` (negative or NaN is ignored) and wakes
  // every run loop so that tasks now due run.
  void advance(double seconds);
  // Sets the wall time (seconds since 1970 UTC). The monotonic time is not changed: like the
  // real system, changing the date does not fire timers. Wakes run loops all the same.
  void setNow(double secondsSince1970);
  void setNowMillis(int64_t millisSince1970);

 private:
  std::atomic<int64_t> wallMicros_;
  std::atomic<int64_t> monotonicMicros_;
};

}  // namespace zu
