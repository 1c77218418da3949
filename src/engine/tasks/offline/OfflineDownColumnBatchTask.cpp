#include "engine/tasks/offline/OfflineDownColumnBatchTask.h"

#include "common/DateUtil.h"
#include "common/Log.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/offline/OfflineDownColumnInnerTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/Column.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "platform/device/Application.h"

namespace zu {

namespace {
std::atomic<bool> gRunning{false};
}  // namespace

OfflineDownColumnBatchTask::OfflineDownColumnBatchTask(std::vector<std::shared_ptr<Column>> columns)
    : columns_(std::move(columns)),
      total_(columns_.size()),
      progress_(std::make_shared<OfflineDownloadProgress>()) {}

bool OfflineDownColumnBatchTask::isRunning() { return gRunning.load(); }

void OfflineDownColumnBatchTask::run() {
  // Running from here, the URL table's fetch included; finish() restores all of it, also when
  // no engine could be had.
  started_ = true;
  gRunning = true;
  if (auto manager = FileCacheManager::globalInstance()) manager->disableAutoClean();
  Application::setIdleTimerDisabled(true);
  startTick_ = DateUtil::currentTimeMillis();
  if (total_ == 0) {
    // Nothing to download: no need of the service's addresses, so no request (a first launch
    // without network ends with 0, not with the failure of the address fetch).
    HttpTask::run();
    if (httpEngine()) done(kErrOk, std::nullopt);
    return;
  }
  ServiceUrlTask::run();
}

void OfflineDownColumnBatchTask::onServiceUrlReady() { downloadNextColumn(); }

void OfflineDownColumnBatchTask::downloadNextColumn() {
  if (currIndex_ >= total_) {
    VESKLogImpl("Offline download total %d columns %d news, cost time %llds flow %dKB",
                static_cast<int>(total_), progress_->totalNewsCount(),
                static_cast<long long>((DateUtil::currentTimeMillis() - startTick_) / 1000),
                static_cast<int>(totalFlow_ / 1024));
    done(kErrOk, std::nullopt);
    return;
  }
  auto column = columns_[currIndex_++];
  notifyPercent(0);
  auto self = std::dynamic_pointer_cast<OfflineDownColumnInnerTaskDelegate>(sharedTask());
  task_ = std::make_shared<OfflineDownColumnInnerTask>(httpEngine(), column, self);
  task_->run();
}

void OfflineDownColumnBatchTask::notifyPercent(int percent) {
  progress_->setIsFlowNotify(false);
  progress_->setColumn(columns_[currIndex_ - 1]);
  progress_->setIndex(static_cast<int32_t>(currIndex_));
  progress_->setTotal(static_cast<int32_t>(total_));
  progress_->setPercent(percent);
  notify();
}

void OfflineDownColumnBatchTask::notify() {
  auto observer = TaskUtil::observer();
  if (observer && observer->respondsToOnOfflineDownloadProgress()) {
    observer->onOfflineDownloadProgress(sharedTask(), *progress_);
  }
}

void OfflineDownColumnBatchTask::onOfflineDownColumnInnerTaskFlow(OfflineDownColumnInnerTask*,
                                                                  int bytes) {
  totalFlow_ += bytes;
  progress_->setIsFlowNotify(true);
  progress_->setBytes(static_cast<int32_t>(totalFlow_));
  notify();
}

void OfflineDownColumnBatchTask::onOfflineDownColumnInnerTaskProgress(OfflineDownColumnInnerTask*,
                                                                      int percent) {
  notifyPercent(percent);
}

void OfflineDownColumnBatchTask::onOfflineDownColumnInnerTaskFinished(
    OfflineDownColumnInnerTask* task, int errCode, const std::optional<std::string>& errDesc) {
  if (isDone()) return;
  progress_->setTotalNewsCount(progress_->totalNewsCount() + task->getTotalNewsCount());
  std::optional<std::string> desc = errDesc;
  if (cancel_ && errCode != kErrCancelled) {
    errCode = kErrCancelled;
    desc.reset();
  }
  if (errCode == kErrNetworkUnavailable || errCode == kErrCancelled ||
      isServerAuthorizeError(errCode)) {
    done(errCode, desc);
    return;
  }
  notifyPercent(100);
  downloadNextColumn();
}

void OfflineDownColumnBatchTask::cancel() {
  cancel_ = true;
  if (task_) task_->cancel();
  if (!isDone()) HttpTask::cancel();
}

void OfflineDownColumnBatchTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  if (started_) {
    gRunning = false;
    Application::setIdleTimerDisabled(false);
  }
  if (auto engine = gDataEngine()) engine->reportOfflineDownload(columns_, errCode);
  if (started_) {
    if (auto manager = FileCacheManager::globalInstance()) manager->enableAutoClean();
  }
  task_.reset();
  HttpTask::finish(errCode, errDesc);
}

}  // namespace zu
