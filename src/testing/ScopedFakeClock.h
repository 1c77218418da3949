// ScopedFakeClock: installs a FakeClock as the process clock for the life of one test scope and
// puts the real clock back when the scope ends, also when an assertion leaves the test early.
// Use on the test thread: `ScopedFakeClock clock; ... clock->advance(30);`.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/runtime/FakeClock.h"

namespace zu {

class ScopedFakeClock {
 public:
  // Starts at the real current time.
  ScopedFakeClock();
  // Starts at the given wall time (milliseconds since 1970 UTC).
  explicit ScopedFakeClock(int64_t nowMillis);
  ~ScopedFakeClock();
  ScopedFakeClock(const ScopedFakeClock&) = delete;
  ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;

  FakeClock* operator->() const { return clock_.get(); }
  FakeClock& operator*() const { return *clock_; }
  const std::shared_ptr<FakeClock>& clock() const { return clock_; }

 private:
  std::shared_ptr<FakeClock> clock_;
};

}  // namespace zu
