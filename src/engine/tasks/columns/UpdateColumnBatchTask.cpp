#include "engine/tasks/columns/UpdateColumnBatchTask.h"

#include <algorithm>

#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/HttpEngineHooks.h"
#include "engine/tasks/support/TaskUtil.h"
#include "engine/tasks/columns/UpdateColumnInnerTask.h"
#include "model/columns/Column.h"

namespace zu {

UpdateColumnBatchTask::UpdateColumnBatchTask(std::vector<std::shared_ptr<Column>> columns,
                                             bool background)
    : columns_(std::move(columns)), background_(background) {
  setMute(background);
}

UpdateColumnBatchTask::UpdateColumnBatchTask(std::shared_ptr<Column> column, bool background)
    : UpdateColumnBatchTask(column ? std::vector<std::shared_ptr<Column>>{std::move(column)}
                                   : std::vector<std::shared_ptr<Column>>{},
                            background) {}

void UpdateColumnBatchTask::run() {
  Task::run();
  total_ = columns_.size();
  if (total_ == 0) {
    done(kErrOk, std::nullopt);
    return;
  }
  hooks_ = HttpEngineHooks::installed();
  runAtSameTime_ = std::min(total_, kRunAtSameTime);
  httpEngines_.reserve(runAtSameTime_);
  const size_t slots = runAtSameTime_;
  for (size_t i = 0; i < slots && !isDone(); ++i) updateNextColumn();
}

void UpdateColumnBatchTask::updateNextColumn() {
  while (!canceling_ && currIndex_ < total_) {
    std::shared_ptr<Column> column = columns_[currIndex_++];
    if (!background_) {
      if (auto observer = TaskUtil::observer()) observer->columnWillUpdate(sharedTask(), column);
    }
    std::shared_ptr<HttpEngine> engine = hooks_ ? hooks_->getEngine() : nullptr;
    if (!engine) {
      // The column was announced: it ends here, unchanged, as a failed refresh would.
      lastErrCode_ = kErrBadState;
      lastErrDesc_ = ErrorGetDescription(kErrBadState);
      reportColumnEnd(column, false);
      continue;
    }
    httpEngines_.push_back(engine);
    auto self = std::dynamic_pointer_cast<UpdateColumnInnerTaskDelegate>(sharedTask());
    std::make_shared<UpdateColumnInnerTask>(engine, column, self)->run();
    return;
  }
  if (runAtSameTime_ > 0 && --runAtSameTime_ == 0) {
    if (canceling_) {
      done(kErrCancelled, ErrorGetDescription(kErrCancelled));
    } else {
      done(lastErrCode_, lastErrDesc_);
    }
  }
}

void UpdateColumnBatchTask::onUpdateColumnInnerTaskFinished(
    UpdateColumnInnerTask* task, int errCode, const std::optional<std::string>& errDesc,
    const std::shared_ptr<Column>& latestColumn, bool dataChanged) {
  reportColumnEnd(latestColumn, dataChanged);
  std::shared_ptr<HttpEngine> engine = task->httpEngine();
  auto it = std::find(httpEngines_.begin(), httpEngines_.end(), engine);
  if (it != httpEngines_.end()) {
    httpEngines_.erase(it);
    if (hooks_) hooks_->releaseEngine(engine);
  }
  lastErrCode_ = errCode;
  lastErrDesc_ = errDesc;
  updateNextColumn();
}

void UpdateColumnBatchTask::reportColumnEnd(const std::shared_ptr<Column>& column,
                                            bool dataChanged) {
  auto observer = TaskUtil::observer();
  if (!observer) return;
  if (background_) {
    if (dataChanged || forceNotify_) observer->columnBackGroundUpdated(column);
  } else {
    observer->columnDidUpdated(sharedTask(), column, dataChanged);
  }
}

void UpdateColumnBatchTask::cancel() {
  canceling_ = true;
  const std::vector<std::shared_ptr<HttpEngine>> engines = httpEngines_;
  for (const auto& engine : engines) {
    if (hooks_) hooks_->cancel(*engine);
  }
}

void UpdateColumnBatchTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  std::vector<std::shared_ptr<HttpEngine>> engines = std::move(httpEngines_);
  httpEngines_.clear();
  for (const auto& engine : engines) {
    if (hooks_) hooks_->releaseEngine(engine);
  }
  Task::finish(errCode, errDesc);
}

}  // namespace zu
