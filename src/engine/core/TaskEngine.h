// TaskEngine: runs every task on one thread named "task". One instance exists between
// initGlobalInstance() (engine start-up, before any task is made) and uninitGlobalInstance()
// (process end); gTaskEngine() returns it.
//
// Requests to the task thread (run a task, cancel one, cancel all) are handled one at a time
// in the order they were made. The engine keeps the running tasks in a list (which keeps them
// alive) and the finish observer that tasks report to.
//
// Threads: every public operation may be called from any thread. syncCancelAllTask and stop
// block their caller until the task thread has handled them (at once when called on the task
// thread itself). No lock is held while a task method runs.
//
// A C++ exception escaping a task on the task thread is a broken invariant: it is logged as
// "taskThread exception: <type> <what> CallStack:<frames>" and raised again, which ends the
// process through the terminate handler, as for any uncaught exception.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/core/TaskFinishObserver.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"

namespace zu {

class Task;

class TaskEngine : public std::enable_shared_from_this<TaskEngine> {
 public:
  // Creates the global engine (and starts its thread) unless one exists.
  static void initGlobalInstance();
  // Stops the global engine and drops it.
  static void uninitGlobalInstance();

  TaskEngine();
  ~TaskEngine();
  TaskEngine(const TaskEngine&) = delete;
  TaskEngine& operator=(const TaskEngine&) = delete;

  // Next task id: 1, 2, 3 ... in order of the calls, from any thread.
  int getTaskId();

  // Logs "task %d %s done invoke" and has the task's run() performed on the task thread. The
  // request keeps the task alive until run() has been performed. A task is run once: a second
  // request for the same task is logged and dropped. Null is ignored.
  void asyncRunTask(const std::shared_ptr<Task>& task);
  // Has cancelOneRunningTask performed on the task thread, behind the work already queued.
  void asyncCancelTask(const std::shared_ptr<Task>& task);
  // Has cancelAllRunningTask performed on the task thread and waits for it. The finishes the
  // cancels cause happen before it returns.
  void syncCancelAllTask();

  // Sends cancel() to the task only if it is on the running list (not started, or already
  // finished: nothing happens). Null is ignored. Meant for the task thread.
  void cancelOneRunningTask(const std::shared_ptr<Task>& task);
  // Sends cancel() to each running task, in list order, outside the lock.
  void cancelAllRunningTask();
  void addRunningTask(const std::shared_ptr<Task>& task);
  void removeRunningTask(const std::shared_ptr<Task>& task);
  // Snapshot of the running list (diagnostics and tests).
  std::vector<std::shared_ptr<Task>> runningTasks() const;

  void setTaskFinishObserver(std::shared_ptr<TaskFinishObserver> observer);
  std::shared_ptr<TaskFinishObserver> getTaskFinishObserver() const;

  // Marks the engine as quitting, has every running task cancelled on the task thread, ends
  // the task thread after that pass and waits until it has ended. Idempotent.
  void stop();

  // The task thread's run loop (HTTP engines of tasks run their connections on it).
  std::shared_ptr<RunLoop> runLoop() const { return runLoop_; }
  // True when called on the task thread.
  bool isTaskThread() const;

 private:
  void taskThread();

  std::atomic<bool> quit_{false};
  std::mutex taskIdLock_;
  int taskIdSerial_ = 0;
  mutable std::mutex runningTaskLock_;
  std::vector<std::shared_ptr<Task>> runningTasks_;
  mutable std::mutex observerLock_;
  std::shared_ptr<TaskFinishObserver> observer_;
  std::shared_ptr<RunLoop> runLoop_;
  std::shared_ptr<Thread> thread_;
  std::mutex stopLock_;
};

// The global task engine, or null outside initGlobalInstance()..uninitGlobalInstance().
std::shared_ptr<TaskEngine> gTaskEngine();

}  // namespace zu
