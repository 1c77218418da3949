// Task: one piece of work the user interface asks of the data engine. A factory makes it (as
// a shared_ptr: tasks are shared between the caller, the task engine and the observer's
// notifications), the caller may label it (userIdentity, userBroadcast) and hands it to
// TaskEngine::asyncRunTask, which performs run() on the "task" thread. Everything a task does
// after that — run, cancel, HTTP callbacks, done — happens on the "task" thread, one call at
// a time, so a task needs no lock for its own fields.
//
// Subclasses override run() (calling their base's run() first), and composite tasks also
// cancel() and finish() (the body of done, calling their base's finish() last).
// A task finishes exactly once through done(); its data results go to the observer before.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/runtime/Object.h"

namespace zu {

class TaskEngine;

class Task : public Object {
 public:
  // Takes the next id from the global task engine (0 when no engine exists).
  Task();
  ~Task() override;

  int getTaskId() const { return taskId_; }
  // The id as decimal text: the name of the task's notifications.
  std::string getTaskIdStr() const;

  // Puts the task on the running list and logs "task %d %s run". Overrides call it first.
  virtual void run();
  // Base version only logs "Task cancel in fail.": a task that cannot be cancelled runs to its
  // end. Called on the "task" thread, only while the task is on the running list.
  virtual void cancel();

  // The one way a task finishes. The first call runs finish(); later calls are logged and
  // ignored. The task is kept alive for the whole call even when finishing drops the last
  // other reference to it.
  void done(int errCode, std::optional<std::string> errDesc);
  // True once the task has finished: set after the finish observer heard of it, just before
  // the task leaves the running list (so it still reads false inside onTaskFinish).
  bool isDone() const { return done_.load(); }

  // A muted task finishes without telling the finish observer.
  bool isMute() const { return mute_; }
  void setMute(bool mute) { mute_ = mute; }

  // Free labels the caller sets before running; the observer's receivers read them back.
  std::optional<std::string> userIdentity() const;
  void setUserIdentity(std::optional<std::string> identity);
  // When set, the observer posts the task's notifications a second time under this name.
  std::optional<std::string> userBroadcast() const;
  void setUserBroadcast(std::optional<std::string> broadcast);

  // The class name used in log lines ("task %d %s ...") and descriptions.
  virtual std::string className() const;
  std::string description() const override;

  std::shared_ptr<Task> sharedTask() { return std::static_pointer_cast<Task>(shared_from_this()); }

 protected:
  // The body of done: tells the finish observer (unless muted), logs
  // "task %d %s done code %d desc %s" and takes the task off the running list. Overrides do
  // their own part first (HttpTask gives its engine back) and then call their base.
  virtual void finish(int errCode, const std::optional<std::string>& errDesc);

 private:
  friend class TaskEngine;
  // Marks the task started; false when it had been started before.
  bool markStarted() { return !started_.exchange(true); }

  // The engine that ran (or, before that, created) the task: its running list and observer.
  // Set at creation, and again on the "task" thread just before run(); read there afterwards.
  std::weak_ptr<TaskEngine> engine_;
  const int taskId_;
  bool mute_ = false;
  std::atomic<bool> started_{false};
  // Set by the first done(): later calls are ignored.
  std::atomic<bool> finishing_{false};
  std::atomic<bool> done_{false};
  mutable std::mutex labelMutex_;
  std::optional<std::string> userIdentity_;
  std::optional<std::string> userBroadcast_;
};

}  // namespace zu
