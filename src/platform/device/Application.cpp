#include "platform/device/Application.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/runtime/Clock.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {

std::mutex gLock;
Application::State gState = Application::State::kActive;
double gBackgroundSince = 0;  // monotonic seconds
uint64_t gBackgroundEpoch = 0;  // raised on each entry into the background
Application::BackgroundTaskId gNextTask = 1;
std::map<Application::BackgroundTaskId, std::function<void()>> gTasks;
bool gIdleTimerDisabled = false;

void expireTasks(uint64_t epoch) {
  std::vector<std::function<void()>> handlers;
  {
    std::lock_guard guard(gLock);
    if (epoch != gBackgroundEpoch || gState != Application::State::kBackground) return;
    for (auto& [id, handler] : gTasks) {
      if (handler) handlers.push_back(handler);
    }
  }
  for (auto& handler : handlers) handler();
}

}  // namespace

Application::State Application::applicationState() {
  std::lock_guard guard(gLock);
  return gState;
}

void Application::setApplicationState(State state) {
  uint64_t epoch = 0;
  {
    std::lock_guard guard(gLock);
    if (state == gState) return;
    gState = state;
    if (state != State::kBackground) return;
    gBackgroundSince = Clock::get()->monotonic();
    epoch = ++gBackgroundEpoch;
  }
  RunLoop::main()->postDelayed(kBackgroundTimeLimit, [epoch] { expireTasks(epoch); });
}

Application::BackgroundTaskId Application::beginBackgroundTask(std::function<void()> expiration) {
  std::lock_guard guard(gLock);
  BackgroundTaskId id = gNextTask++;
  gTasks[id] = std::move(expiration);
  return id;
}

void Application::endBackgroundTask(BackgroundTaskId id) {
  std::lock_guard guard(gLock);
  gTasks.erase(id);
}

size_t Application::backgroundTaskCount() {
  std::lock_guard guard(gLock);
  return gTasks.size();
}

double Application::backgroundTimeRemaining() {
  std::lock_guard guard(gLock);
  if (gState != State::kBackground) return kUnlimitedTime;
  return std::max(0.0, kBackgroundTimeLimit - (Clock::get()->monotonic() - gBackgroundSince));
}

bool Application::isIdleTimerDisabled() {
  std::lock_guard guard(gLock);
  return gIdleTimerDisabled;
}

void Application::setIdleTimerDisabled(bool disabled) {
  std::lock_guard guard(gLock);
  gIdleTimerDisabled = disabled;
}

}  // namespace zu
