// TaskFinishObserver: hears the one finish of every task that is not muted. The task engine
// keeps one (set by the engine facade with the application observer) and tasks call it from
// the "task" thread inside Task::done, synchronously; it must return at once.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;

class TaskFinishObserver {
 public:
  virtual ~TaskFinishObserver() = default;
  // `errCode` is an engine error code (0 success); `errDesc` its text, or nullopt.
  virtual void onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                            const std::optional<std::string>& errDesc) = 0;
};

}  // namespace zu
