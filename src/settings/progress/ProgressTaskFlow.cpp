#include "settings/progress/ProgressTaskFlow.h"

#include "engine/core/Task.h"
#include "platform/runtime/NotificationCenter.h"
#include "settings/progress/ProgressTaskEngine.h"

namespace zu {

ProgressTaskFlow::ProgressTaskFlow(std::shared_ptr<ProgressTaskEngine> engine)
    : engine_(engine ? std::move(engine) : ProgressTaskEngine::defaultEngine()) {}

ProgressTaskFlow::~ProgressTaskFlow() { stopObserving(); }

float ProgressTaskFlow::progressOf(int64_t part, int64_t total) {
  return total > 0 ? static_cast<float>(part) / static_cast<float>(total) : 0.f;
}

bool ProgressTaskFlow::runUnderBoard(std::shared_ptr<Task> task, const std::string& status) {
  if (!task || task_) return false;
  task_ = std::move(task);
  taskId_ = task_->getTaskIdStr();
  std::weak_ptr<ProgressTaskFlow> weak = weak_from_this();
  NotificationCenter::defaultCenter().add(*taskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->onTaskStatus(note);
  });
  engine_->asyncRunTask(task_);
  progressModalView_ = PBProgressModalView::create(std::weak_ptr<PBProgressModalViewDelegate>(weak.lock()));
  progressModalView_->show();
  progressModalView_->setProgress(0);
  progressModalView_->setStatusString(status);
  return true;
}

void ProgressTaskFlow::cancelTask(const std::string& status) {
  if (!task_ || cancelled_) return;
  cancelled_ = true;
  if (progressModalView_) progressModalView_->setStatusString(status);
  engine_->asyncCancelTask(task_);
}

void ProgressTaskFlow::stopObserving() {
  if (taskId_) NotificationCenter::defaultCenter().remove(this, *taskId_);
  taskId_.reset();
}

void ProgressTaskFlow::endTask(bool instantly) {
  stopObserving();
  task_.reset();
  if (progressModalView_) {
    if (instantly) {
      progressModalView_->dismissInstantly();
    } else {
      progressModalView_->dismiss();
    }
  }
  progressModalView_.reset();
}

void ProgressTaskFlow::releaseSelf() { auto hold = std::move(self_); }

}  // namespace zu
