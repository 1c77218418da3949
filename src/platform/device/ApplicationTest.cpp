#include "platform/device/Application.h"

#include <gtest/gtest.h>

#include "platform/runtime/RunLoop.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

TEST(ApplicationTest, BackgroundTimeRunsDownAndExpiresOpenTasks) {
  ScopedFakeClock clock;
  EXPECT_EQ(Application::applicationState(), Application::State::kActive);
  EXPECT_EQ(Application::backgroundTimeRemaining(), Application::kUnlimitedTime);

  int expired = 0;
  auto open = Application::beginBackgroundTask([&] { ++expired; });
  auto ended = Application::beginBackgroundTask([&] { expired += 100; });
  EXPECT_NE(open, Application::kInvalidBackgroundTask);
  EXPECT_NE(open, ended);
  Application::endBackgroundTask(ended);
  EXPECT_EQ(Application::backgroundTaskCount(), 1u);

  Application::setApplicationState(Application::State::kBackground);
  clock->advance(595);
  EXPECT_NEAR(Application::backgroundTimeRemaining(), 5, 1e-6);
  clock->advance(10);
  EXPECT_DOUBLE_EQ(Application::backgroundTimeRemaining(), 0);
  // Only the task still open hears that the time is up, on the main loop.
  EXPECT_TRUE(RunLoop::main()->runUntil([&] { return expired != 0; }, 10));
  EXPECT_EQ(expired, 1);

  // Coming back in time cancels the expiry of that stay in the background.
  Application::setApplicationState(Application::State::kActive);
  Application::setApplicationState(Application::State::kBackground);
  Application::setApplicationState(Application::State::kActive);
  clock->advance(700);
  bool drained = false;
  RunLoop::main()->post([&] { drained = true; });
  RunLoop::main()->runUntil([&] { return drained; }, 10);
  EXPECT_EQ(expired, 1);
  Application::endBackgroundTask(open);
  EXPECT_EQ(Application::backgroundTaskCount(), 0u);
}

}  // namespace
}  // namespace zu
