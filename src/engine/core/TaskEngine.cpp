#include "engine/core/TaskEngine.h"

#include <execinfo.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>

#include "common/Log.h"
#include "engine/core/ClassName.h"
#include "engine/core/Task.h"

namespace zu {

namespace {

std::mutex gTaskEngineLock;
std::shared_ptr<TaskEngine> gTaskEngineInstance;

std::string callStack() {
  void* frames[64];
  int count = backtrace(frames, 64);
  std::string out = "(";
  char** symbols = backtrace_symbols(frames, count);
  for (int i = 0; i < count; ++i) {
    out += "\n    ";
    out += symbols ? symbols[i] : "?";
  }
  std::free(symbols);
  out += "\n)";
  return out;
}

// The task thread's body: turns its run loop until the engine stops it. Touches nothing of the
// engine, which may be destroyed (by a task) before the loop returns.
void taskThreadBody() {
  std::shared_ptr<RunLoop> loop = RunLoop::current();
  try {
    loop->run();
  } catch (const std::exception& e) {
    VESKLogImpl("taskThread exception: %s %s CallStack:%s", typeName(typeid(e)).c_str(),
                e.what(), callStack().c_str());
    throw;
  } catch (...) {
    VESKLogImpl("taskThread exception: %s %s CallStack:%s", "unknown", "",
                callStack().c_str());
    throw;
  }
}

}  // namespace

std::shared_ptr<TaskEngine> gTaskEngine() {
  std::lock_guard lock(gTaskEngineLock);
  return gTaskEngineInstance;
}

void TaskEngine::initGlobalInstance() {
  std::lock_guard lock(gTaskEngineLock);
  if (!gTaskEngineInstance) gTaskEngineInstance = std::make_shared<TaskEngine>();
}

void TaskEngine::uninitGlobalInstance() {
  std::shared_ptr<TaskEngine> engine = gTaskEngine();
  if (!engine) return;
  // Stopped while still reachable: the finishes caused by the final cancels report as usual.
  engine->stop();
  std::lock_guard lock(gTaskEngineLock);
  if (gTaskEngineInstance == engine) gTaskEngineInstance.reset();
}

TaskEngine::TaskEngine() {
  runningTasks_.reserve(20);
  thread_ = Thread::start("task", taskThreadBody);
  runLoop_ = thread_->runLoop();
}

TaskEngine::~TaskEngine() { stop(); }

int TaskEngine::getTaskId() {
  std::lock_guard lock(taskIdLock_);
  return ++taskIdSerial_;
}

bool TaskEngine::isTaskThread() const { return thread_->isCurrent(); }

void TaskEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (!task) return;
  VESKLogImpl("task %d %s done invoke", task->getTaskId(), task->className().c_str());
  // The task's engine is set on the task thread, once the task is known to start: a repeated
  // request must not write it while the first run reads it.
  bool queued = runLoop_->post([task, engine = weak_from_this()] {
    if (!task->markStarted()) {
      VESKLogImpl("task %d %s run again ignored", task->getTaskId(), task->className().c_str());
      return;
    }
    task->engine_ = engine;
    task->run();
  });
  if (!queued) {
    VESKLogImpl("task %d %s not run: task engine stopped", task->getTaskId(),
                task->className().c_str());
  }
}

void TaskEngine::asyncCancelTask(const std::shared_ptr<Task>& task) {
  if (!task) return;
  std::weak_ptr<TaskEngine> weak = weak_from_this();
  runLoop_->post([weak, task] {
    if (auto engine = weak.lock()) engine->cancelOneRunningTask(task);
  });
}

void TaskEngine::syncCancelAllTask() {
  // On the task thread postAndWait runs inline, so this cannot wait for itself.
  runLoop_->postAndWait([this] { cancelAllRunningTask(); });
}

void TaskEngine::cancelOneRunningTask(const std::shared_ptr<Task>& task) {
  if (!task) return;
  bool running;
  {
    std::lock_guard lock(runningTaskLock_);
    running = std::find(runningTasks_.begin(), runningTasks_.end(), task) != runningTasks_.end();
  }
  if (running) task->cancel();
}

void TaskEngine::cancelAllRunningTask() {
  std::vector<std::shared_ptr<Task>> copy;
  {
    std::lock_guard lock(runningTaskLock_);
    copy = runningTasks_;
  }
  for (const auto& task : copy) task->cancel();
}

void TaskEngine::addRunningTask(const std::shared_ptr<Task>& task) {
  if (!task) return;
  std::lock_guard lock(runningTaskLock_);
  runningTasks_.push_back(task);
}

void TaskEngine::removeRunningTask(const std::shared_ptr<Task>& task) {
  if (!task) return;
  std::shared_ptr<Task> removed;  // released after unlocking: a task's destructor may call in
  std::lock_guard lock(runningTaskLock_);
  auto it = std::find(runningTasks_.begin(), runningTasks_.end(), task);
  if (it != runningTasks_.end()) {
    removed = std::move(*it);
    runningTasks_.erase(it);
  }
}

std::vector<std::shared_ptr<Task>> TaskEngine::runningTasks() const {
  std::lock_guard lock(runningTaskLock_);
  return runningTasks_;
}

void TaskEngine::setTaskFinishObserver(std::shared_ptr<TaskFinishObserver> observer) {
  std::lock_guard lock(observerLock_);
  observer_ = std::move(observer);
}

std::shared_ptr<TaskFinishObserver> TaskEngine::getTaskFinishObserver() const {
  std::lock_guard lock(observerLock_);
  return observer_;
}

void TaskEngine::stop() {
  // The pass that sends the cancels is the loop's last: the finishes they cause happen in it,
  // then the loop ends and the thread with it.
  auto lastPass = [this] {
    cancelAllRunningTask();
    runLoop_->stop();
  };
  if (isTaskThread()) {
    // Never takes stopLock_: another thread may hold it while it waits for this thread.
    if (!quit_.exchange(true)) lastPass();
    return;  // the thread ends when this pass returns; it cannot wait for itself
  }
  std::lock_guard lock(stopLock_);
  if (!quit_.exchange(true)) runLoop_->postAndWait(lastPass);
  // Also when the task thread began stopping by itself: wait until it has ended.
  thread_->stopAndJoin();
}

}  // namespace zu
