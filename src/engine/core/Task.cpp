#include "engine/core/Task.h"

#include "common/Log.h"
#include "engine/core/ClassName.h"
#include "engine/core/TaskEngine.h"

namespace zu {

Task::Task() : taskId_([] {
  auto engine = gTaskEngine();
  return engine ? engine->getTaskId() : 0;
}()) {
  engine_ = gTaskEngine();
}

Task::~Task() = default;

std::string Task::getTaskIdStr() const { return std::to_string(taskId_); }

void Task::run() {
  if (auto engine = engine_.lock()) engine->addRunningTask(sharedTask());
  VESKLogImpl("task %d %s run", taskId_, className().c_str());
}

void Task::cancel() { VESKLogImpl("Task cancel in fail."); }

void Task::done(int errCode, std::optional<std::string> errDesc) {
  if (finishing_.exchange(true)) {
    VESKLogImpl("task %d %s done again code %d ignored", taskId_, className().c_str(), errCode);
    return;
  }
  // Finishing takes the task off the running list, which may hold the last reference.
  std::shared_ptr<Task> self = sharedTask();
  finish(errCode, errDesc);
}

void Task::finish(int errCode, const std::optional<std::string>& errDesc) {
  std::shared_ptr<Task> self = sharedTask();
  auto engine = engine_.lock();
  if (!mute_ && engine) {
    if (auto observer = engine->getTaskFinishObserver()) {
      observer->onTaskFinish(self, errCode, errDesc);
    }
  }
  VESKLogImpl("task %d %s done code %d desc %s", taskId_, className().c_str(), errCode,
              errDesc ? errDesc->c_str() : "ok");
  done_.store(true);
  if (engine) engine->removeRunningTask(self);
}

std::optional<std::string> Task::userIdentity() const {
  std::lock_guard lock(labelMutex_);
  return userIdentity_;
}

void Task::setUserIdentity(std::optional<std::string> identity) {
  std::lock_guard lock(labelMutex_);
  userIdentity_ = std::move(identity);
}

std::optional<std::string> Task::userBroadcast() const {
  std::lock_guard lock(labelMutex_);
  return userBroadcast_;
}

void Task::setUserBroadcast(std::optional<std::string> broadcast) {
  std::lock_guard lock(labelMutex_);
  userBroadcast_ = std::move(broadcast);
}

std::string Task::className() const { return zu::className(typeid(*this)); }

std::string Task::description() const {
  std::string text(1, '<');
  text.append(className()).append(1, ' ').append(std::to_string(taskId_)).append(1, '>');
  return text;
}

}  // namespace zu
