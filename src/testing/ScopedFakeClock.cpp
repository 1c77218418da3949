#include "testing/ScopedFakeClock.h"

namespace zu {

ScopedFakeClock::ScopedFakeClock() : clock_(FakeClock::install()) {}

ScopedFakeClock::ScopedFakeClock(int64_t nowMillis) : clock_(FakeClock::install(nowMillis)) {}

ScopedFakeClock::~ScopedFakeClock() { Clock::resetForTesting(); }

}  // namespace zu
