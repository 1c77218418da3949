// LocalCleanCacheTask: cleans the caches: the column cache, then every file cache of the item
// type (0 normal, 1 offline download, or both one after the other) through the file cache
// manager's clean-all pass. Progress goes to the observer's onCacheCleanProgress at most once
// every 1001 ms (the first report always). The device stays awake while the task runs (the idle
// timer is switched off and on again at the end). Cancelling stops the pass at its next batch;
// the task then finishes normally. A clean asked while another clean task runs (in any of its
// passes or between them) or while the manager runs a pass finishes with -8 at once.
//
// Made by DataEngine::createCleanNormalCacheTask and its siblings; runs on the "task" thread,
// where the manager's cleaning thread also calls this task back.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/cache/FileCacheCleanDelegate.h"
#include "engine/core/Task.h"

namespace zu {

class LocalCleanCacheTask : public Task, public FileCacheCleanDelegate {
 public:
  // Both item types, normal first.
  static constexpr int kAllItemTypes = -1;
  // Progress notices are at least this far apart.
  static constexpr int64_t kNotifyIntervalMillis = 1001;

  explicit LocalCleanCacheTask(int cacheItemType);
  ~LocalCleanCacheTask() override;

  void run() override;
  void cancel() override;

  void onCleanProgress(int total, int cleaned) override;
  bool isCanceled() override { return canceled_.load(); }
  void cleanFinished() override;

 protected:
  // Switches the idle timer back on.
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  // Starts the pass of the next item type; false when the manager refused it.
  bool startNextPass();
  // Once the finished pass has left the manager (checked every kNextPassDelay): starts the next
  // pass, or finishes the task after the last one or when cancelled.
  void continueWhenIdle();
  static constexpr double kNextPassDelay = 0.01;

  std::atomic<bool> canceled_{false};
  // This task is the one running clean (set in run, cleared in finish).
  bool holdsCleaning_ = false;
  int64_t prevNotifyTick_ = 0;
  std::vector<int> itemTypes_;
  size_t nextType_ = 0;
};

}  // namespace zu
