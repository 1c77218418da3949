#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/runtime/Clock.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/FrameSource.h"
#include "platform/ui/system/Timer.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {


TEST(TimerTest, OneShotAndRepeatingTimersFollowTheClock) {
  ScopedFakeClock clock;
  int once = 0;
  // Firing times in whole microseconds after the start: seconds as doubles differ from the
  // scheduled ones in their last bit where the clock crosses a power of two.
  std::vector<int64_t> ticks;
  const int64_t start = Clock::get()->monotonicMicros();
  auto single = Timer::scheduled(2, false, [&](Timer&) { ++once; });
  auto repeating = Timer::scheduled(1, true, [&](Timer& t) {
    ticks.push_back(Clock::get()->monotonicMicros() - start);
    if (ticks.size() == 5) t.invalidate();
  });
  std::weak_ptr<Timer> weakSingle = single;
  single.reset();  // the loop keeps a scheduled timer

  clock->advance(1.5);
  runDueMainLoopTasks();
  EXPECT_EQ(0, once);
  EXPECT_EQ((std::vector<int64_t>{1500000}), ticks);
  clock->advance(0.5);
  runDueMainLoopTasks();
  EXPECT_EQ(1, once);
  EXPECT_TRUE(weakSingle.expired());  // fired, invalidated, let go
  // Late by 2.5 intervals: one firing, then back on the grid (next at 5).
  clock->advance(2.5);
  runDueMainLoopTasks();
  EXPECT_EQ(3u, ticks.size());
  clock->advance(0.5);
  runDueMainLoopTasks();
  EXPECT_EQ((std::vector<int64_t>{1500000, 2000000, 4500000, 5000000}), ticks);
  // Invalidated inside its own callback: no more firings.
  clock->advance(1);
  runDueMainLoopTasks();
  clock->advance(5);
  runDueMainLoopTasks();
  EXPECT_EQ(5u, ticks.size());
  EXPECT_FALSE(repeating->isValid());

  // fire() runs a repeating timer now without moving its schedule; invalidate drops it.
  int count = 0;
  auto t = Timer::scheduled(10, true, [&](Timer&) { ++count; });
  t->fire();
  EXPECT_EQ(1, count);
  t->invalidate();
  clock->advance(20);
  runDueMainLoopTasks();
  EXPECT_EQ(1, count);
}

TEST(TimerTest, FrameSourceFiresPerFrameIntervalAndPauses) {
  ScopedFakeClock clock;
  std::vector<double> frames;
  const double start = Clock::get()->monotonic();
  auto source = FrameSource::create([&](FrameSource& s) { frames.push_back(s.timestamp() - start); });
  source->setFrameInterval(2);
  source->setFrameInterval(0);  // ignored
  EXPECT_EQ(2, source->frameInterval());
  source->start();
  for (int i = 0; i < 6; ++i) {
    clock->advance(1.0 / 60);
    runDueMainLoopTasks();
  }
  ASSERT_EQ(3u, frames.size());
  EXPECT_NEAR(2.0 / 60, frames[0], 1e-6);
  EXPECT_NEAR(6.0 / 60, frames[2], 1e-6);

  source->setPaused(true);
  clock->advance(10.0 / 60);
  runDueMainLoopTasks();
  EXPECT_EQ(3u, frames.size());
  source->setPaused(false);
  clock->advance(2.0 / 60);
  runDueMainLoopTasks();
  ASSERT_EQ(4u, frames.size());
  EXPECT_NEAR(18.0 / 60, frames[3], 1e-6);  // still on the grid, missed frames dropped

  std::weak_ptr<FrameSource> weak = source;
  source->invalidate();
  source.reset();
  EXPECT_TRUE(weak.expired());
  clock->advance(1);
  runDueMainLoopTasks();
  EXPECT_EQ(4u, frames.size());
}

}  // namespace
}  // namespace zu::ui
