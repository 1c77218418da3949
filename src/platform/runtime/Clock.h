// Clock: the source of time for everything time-dependent (run-loop timers, "now", relative
// dates, pruning by age). Code never reads the system clock directly; it asks Clock::get(),
// which is the real clock unless a test has installed another one (usually a FakeClock, so
// tests advance time instead of sleeping).
//
// Two scales:
//  - wall time: microseconds since 1970-01-01 UTC (nowMicros / nowMillis / now);
//  - monotonic time: microseconds on a scale that never goes back, used for timers. Only
//    differences between two monotonic readings of the same clock mean anything.
//
// Thread-safe: Clock::get() and the readings may be used from any thread. Install a test clock
// (setForTesting / resetForTesting) from the test thread while no other thread is posting
// delayed tasks; delayed tasks already queued keep their remaining delay across the switch.
#pragma once

#include <cstdint>
#include <memory>

namespace zu {

class Clock {
 public:
  virtual ~Clock() = default;

  // Wall time in microseconds since 1970-01-01 00:00:00 UTC.
  virtual int64_t nowMicros() const = 0;
  // Monotonic time in microseconds, for timers and timeouts.
  virtual int64_t monotonicMicros() const = 0;

  // Wall time in milliseconds since 1970 UTC (rounded down).
  int64_t nowMillis() const;
  // Wall time in seconds since 1970 UTC, with a fraction (the platform's "time interval").
  double now() const;
  // Monotonic time in seconds.
  double monotonic() const;

  // The process clock: the real clock unless a test installed another.
  static std::shared_ptr<Clock> get();
  // Installs `clock` as the process clock (null restores the real clock). Delayed run-loop
  // tasks keep their remaining delay, measured on the new clock, and every run loop is woken.
  static void setForTesting(std::shared_ptr<Clock> clock);
  // Restores the real clock.
  static void resetForTesting();
  // The real system clock (shared instance).
  static std::shared_ptr<Clock> real();

 protected:
  // A clock whose time jumped (a fake clock being advanced) calls this so that every run loop
  // re-examines its timers.
  static void notifyTimeChanged();
};

// The system clock: CLOCK_REALTIME for wall time, CLOCK_MONOTONIC for timers.
class RealClock : public Clock {
 public:
  int64_t nowMicros() const override;
  int64_t monotonicMicros() const override;
};

}  // namespace zu
