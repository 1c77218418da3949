// Application: the application-wide services of the platform that the engine uses: the
// application's state (active, inactive, in the background), background tasks with the time
// the system still allows in the background, and the idle timer switch.
//
// The shell sets the state as the window comes and goes. While in the background the
// remaining time counts down from kBackgroundTimeLimit seconds on the process Clock (so tests
// advance a FakeClock); when it runs out, the expiration handlers of the background tasks still
// running are called on the main run loop. While active the remaining time is unlimited.
// Class functions only; thread-safe.
#pragma once

#include <cstdint>
#include <functional>

namespace zu {

class Application {
 public:
  Application() = delete;

  enum class State { kActive, kInactive, kBackground };
  using BackgroundTaskId = uint64_t;
  static constexpr BackgroundTaskId kInvalidBackgroundTask = 0;
  static constexpr double kBackgroundTimeLimit = 600;
  // What backgroundTimeRemaining() answers while the application is not in the background.
  static constexpr double kUnlimitedTime = 1.0e9;

  static State applicationState();
  static void setApplicationState(State state);

  // A new task id (never kInvalidBackgroundTask); `expiration` (may be empty) runs on the main
  // run loop when background time runs out before the task ended.
  static BackgroundTaskId beginBackgroundTask(std::function<void()> expiration);
  static void endBackgroundTask(BackgroundTaskId id);
  static size_t backgroundTaskCount();
  static double backgroundTimeRemaining();

  static bool isIdleTimerDisabled();
  static void setIdleTimerDisabled(bool disabled);
};

}  // namespace zu
