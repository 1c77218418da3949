#include "engine/tasks/offline/OfflineDownDetailBatchInnerTask.h"

#include <algorithm>

#include "common/DeviceInfo.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/HttpEngineHooks.h"
#include "engine/tasks/offline/OfflineDownDetailBatchInnerTaskDelegate.h"
#include "engine/tasks/offline/OfflineDownDetailInnerTask.h"
#include "model/entry/NewsSummary.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

OfflineDownDetailBatchInnerTask::OfflineDownDetailBatchInnerTask(
    std::shared_ptr<HttpEngine> engine, std::vector<std::shared_ptr<NewsSummary>> newsSummarys,
    std::shared_ptr<OfflineDownDetailBatchInnerTaskDelegate> delegate)
    : httpEngine_(std::move(engine)),
      hooks_(HttpEngineHooks::installed()),
      newsSummarys_(std::move(newsSummarys)),
      delegate_(std::move(delegate)) {}

void OfflineDownDetailBatchInnerTask::run() {
  self_ = std::static_pointer_cast<OfflineDownDetailBatchInnerTask>(shared_from_this());
  if (newsSummarys_.empty()) {
    // The owner hears of the end after run() has returned.
    auto self = self_;
    RunLoop::current()->post([self] { self->finish(kErrOk, std::nullopt); });
    return;
  }
  runAtSameTime_ = std::min(newsSummarys_.size(), kRunAtSameTime);
  const size_t slots = runAtSameTime_;
  for (size_t i = 0; i < slots; ++i) downloadNextDetail();
}

std::shared_ptr<HttpEngine> OfflineDownDetailBatchInnerTask::getHttpEngine() {
  if (mainEngineFree_) {
    mainEngineFree_ = false;
    return httpEngine_;
  }
  std::shared_ptr<HttpEngine> engine = hooks_ ? hooks_->getEngine() : nullptr;
  if (engine) extraEngines_.push_back(engine);
  return engine;
}

void OfflineDownDetailBatchInnerTask::releaseHttpEngine(const std::shared_ptr<HttpEngine>& engine) {
  if (engine == httpEngine_) {
    mainEngineFree_ = true;
    return;
  }
  auto it = std::find(extraEngines_.begin(), extraEngines_.end(), engine);
  if (it == extraEngines_.end()) return;
  extraEngines_.erase(it);
  if (hooks_) hooks_->releaseEngine(engine);
}

void OfflineDownDetailBatchInnerTask::downloadNextDetail() {
  while (!canceling_ && currIndex_ < newsSummarys_.size()) {
    auto summary = newsSummarys_[currIndex_++];
    auto engine = getHttpEngine();
    if (!engine) continue;  // no engine to be had: the article is skipped
    auto self = std::static_pointer_cast<OfflineDownDetailInnerTaskDelegate>(self_);
    auto task = std::make_shared<OfflineDownDetailInnerTask>(engine, summary, self);
    running_.push_back(task);
    task->run();
    return;
  }
  if (runAtSameTime_ > 0) --runAtSameTime_;
  if (runAtSameTime_ < 1) {
    if (canceling_) {
      finish(errCode_, ErrorGetDescription(errCode_));
    } else {
      finish(kErrOk, std::nullopt);
    }
  }
}

void OfflineDownDetailBatchInnerTask::onOfflineDownDetailInnerTaskFinished(
    OfflineDownDetailInnerTask* task, int errCode, const std::optional<std::string>& /*errDesc*/) {
  releaseHttpEngine(task->httpEngine());
  std::erase_if(running_, [task](const std::weak_ptr<OfflineDownDetailInnerTask>& running) {
    auto locked = running.lock();
    return !locked || locked.get() == task;
  });
  totalNewsCount_ += task->getTotalNewsCount();
  if (errCode == kErrCancelled || isServerAuthorizeError(errCode)) {
    canceling_ = true;
    errCode_ = errCode;
  } else if ((errCode == kErrNetConnect || errCode == kErrNetTimeout ||
              errCode == kErrNetDisconnected) &&
             DeviceInfo::getNetworkStatus() == 0) {
    canceling_ = true;
    errCode_ = kErrNetworkUnavailable;
  }
  if (delegate_) {
    const int finished = static_cast<int>(currIndex_ + 1 - runAtSameTime_);
    delegate_->onOfflineDownDetailBatchInnerProgress(this, finished,
                                                     static_cast<int>(newsSummarys_.size()));
  }
  downloadNextDetail();
}

void OfflineDownDetailBatchInnerTask::onOfflineDownDetailInnerFlow(OfflineDownDetailInnerTask*,
                                                                   int bytes) {
  if (delegate_) delegate_->onOfflineDownDetailBatchInnerFlow(this, bytes);
}

void OfflineDownDetailBatchInnerTask::cancel() {
  canceling_ = true;
  errCode_ = kErrCancelled;
  // Each cancelled article reports back at once, which may end this batch: keep it alive.
  std::shared_ptr<OfflineDownDetailBatchInnerTask> keep = self_;
  const std::vector<std::weak_ptr<OfflineDownDetailInnerTask>> running = running_;
  for (const auto& weak : running) {
    if (auto task = weak.lock()) task->cancel();
  }
}

void OfflineDownDetailBatchInnerTask::finish(int errCode,
                                             const std::optional<std::string>& errDesc) {
  std::shared_ptr<OfflineDownDetailBatchInnerTask> keep = std::move(self_);
  std::shared_ptr<OfflineDownDetailBatchInnerTaskDelegate> delegate = std::move(delegate_);
  if (delegate) delegate->onOfflineDownDetailBatchInnerTaskFinished(this, errCode, errDesc);
}

}  // namespace zu
