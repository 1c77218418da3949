#include "platform/runtime/Clock.h"

#include <time.h>

#include <mutex>

#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {

int64_t readClock(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

std::mutex& clockMutex() {
  static std::mutex* m = new std::mutex;
  return *m;
}

// The installed clock; null means the real one. Never destroyed, so that threads still running
// at exit can read it.
std::shared_ptr<Clock>& installedClock() {
  static auto* c = new std::shared_ptr<Clock>;
  return *c;
}

}  // namespace

int64_t Clock::nowMillis() const {
  int64_t us = nowMicros();
  // Round toward minus infinity so that times before 1970 stay consistent.
  return us >= 0 ? us / 1000 : -((-us + 999) / 1000);
}

double Clock::now() const { return static_cast<double>(nowMicros()) / 1e6; }

double Clock::monotonic() const { return static_cast<double>(monotonicMicros()) / 1e6; }

std::shared_ptr<Clock> Clock::real() {
  static auto* clock = new std::shared_ptr<Clock>(std::make_shared<RealClock>());
  return *clock;
}

std::shared_ptr<Clock> Clock::get() {
  {
    std::lock_guard<std::mutex> lock(clockMutex());
    if (installedClock()) return installedClock();
  }
  return real();
}

void Clock::setForTesting(std::shared_ptr<Clock> clock) {
  if (!clock) clock = real();
  std::shared_ptr<Clock> old = get();
  if (old == clock) return;
  // Queued delayed tasks keep their remaining delay on the new scale.
  int64_t delta = clock->monotonicMicros() - old->monotonicMicros();
  {
    std::lock_guard<std::mutex> lock(clockMutex());
    installedClock() = clock == real() ? nullptr : clock;
  }
  RunLoop::rebaseAll(delta);
  RunLoop::wakeAll();
}

void Clock::resetForTesting() { setForTesting(nullptr); }

void Clock::notifyTimeChanged() { RunLoop::wakeAll(); }

int64_t RealClock::nowMicros() const { return readClock(CLOCK_REALTIME); }

int64_t RealClock::monotonicMicros() const { return readClock(CLOCK_MONOTONIC); }

}  // namespace zu
