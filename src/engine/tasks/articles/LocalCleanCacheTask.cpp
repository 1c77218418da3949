#include "engine/tasks/articles/LocalCleanCacheTask.h"

#include <atomic>
#include <cstdio>

#include "engine/cache/ColumnCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/support/TaskUtil.h"
#include "platform/device/Application.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

LocalCleanCacheTask::LocalCleanCacheTask(int cacheItemType) {
  if (cacheItemType == kAllItemTypes) {
    itemTypes_ = {0, 1};
  } else {
    itemTypes_ = {cacheItemType};
  }
}

namespace {
// Set while a clean task runs, from its start to its finish: a clean of both item types runs
// two passes, and the manager is not cleaning between them, so its own state cannot refuse a
// second clean asked then (which would run its pass between the first clean's two).
std::atomic<bool> gCleanTaskRunning{false};
}  // namespace

// A task dropped unfinished (its engine stopped during a pass) lets the next clean run.
LocalCleanCacheTask::~LocalCleanCacheTask() {
  if (holdsCleaning_) gCleanTaskRunning = false;
}

void LocalCleanCacheTask::run() {
  Task::run();
  Application::setIdleTimerDisabled(true);
  if (gCleanTaskRunning.exchange(true)) {
    done(kErrBadState, std::nullopt);
    return;
  }
  holdsCleaning_ = true;
  if (auto engine = gDataEngine()) engine->getColumnCache()->clean();
  auto manager = FileCacheManager::globalInstance();
  if (!manager || manager->isCleaning() || !startNextPass()) {
    done(kErrBadState, std::nullopt);
  }
}

bool LocalCleanCacheTask::startNextPass() {
  auto manager = FileCacheManager::globalInstance();
  const int type = itemTypes_[nextType_++];
  auto self = std::dynamic_pointer_cast<FileCacheCleanDelegate>(sharedTask());
  return manager && manager->cleanAllCache(self, type);
}

void LocalCleanCacheTask::cancel() { canceled_ = true; }

void LocalCleanCacheTask::onCleanProgress(int total, int cleaned) {
  const int64_t now = Clock::get()->nowMillis();
  if (now - prevNotifyTick_ < kNotifyIntervalMillis) return;
  prevNotifyTick_ = now;
  auto observer = TaskUtil::observer();
  if (observer && observer->respondsToOnCacheCleanProgress()) {
    observer->onCacheCleanProgress(sharedTask(), total, cleaned);
  }
  std::printf("onCleanProgress total %d cleaned %d\n", total, cleaned);
}

void LocalCleanCacheTask::cleanFinished() {
  if (isDone()) return;
  continueWhenIdle();
}

void LocalCleanCacheTask::continueWhenIdle() {
  // The finished pass leaves the manager's cleaning state just after cleanFinished returns. The
  // next pass, and the task's own finish, wait for that: a clean asked the moment this one is
  // reported finished must not find the manager still cleaning.
  auto self = std::static_pointer_cast<LocalCleanCacheTask>(sharedTask());
  RunLoop::current()->postDelayed(kNextPassDelay, [self] {
    if (self->isDone()) return;
    auto manager = FileCacheManager::globalInstance();
    if (manager && manager->isCleaning()) {
      self->continueWhenIdle();
    } else if (self->canceled_ || self->nextType_ >= self->itemTypes_.size() ||
               !self->startNextPass()) {
      self->done(kErrOk, std::nullopt);
    }
  });
}

void LocalCleanCacheTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  Application::setIdleTimerDisabled(false);
  if (holdsCleaning_) {
    holdsCleaning_ = false;
    gCleanTaskRunning = false;
  }
  Task::finish(errCode, errDesc);
}

}  // namespace zu
