// ProgressTaskFlow: what the cache cleaning (MSCacheclean) and the font pack download
// (MSFontDownload) share — one engine task run under the progress board. The flow observes the
// task's results (handed to onTaskStatus), runs it, and shows the board at 0 with its first
// status; the board's cancel button marks the flow cancelled, shows the cancel status and asks
// the engine to cancel the task, whose status result then ends the flow as usual; the end stops
// observing, lets go of the task and dismisses the board (fading, or at once). The flow holds
// itself while it works (holdSelf / releaseSelf), so its maker may let go at once.
//
// Main thread only; made with std::make_shared (its hold and its observation need it). Results
// come as task notifications through the application Observer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "settings/progress/PBProgressModalView.h"

namespace zu {

struct Notification;
class ProgressTaskEngine;
class Task;

class ProgressTaskFlow : public PBProgressModalViewDelegate, public std::enable_shared_from_this<ProgressTaskFlow> {
 public:
  ~ProgressTaskFlow() override;

  // part / total as a float for the bar; 0 when the total is 0 or less (never a NaN).
  static float progressOf(int64_t part, int64_t total);

  // --- state (read by tests)
  bool isCancelled() const { return cancelled_; }
  const std::shared_ptr<Task>& task() const { return task_; }
  const std::shared_ptr<PBProgressModalView>& progressModalView() const { return progressModalView_; }

 protected:
  explicit ProgressTaskFlow(std::shared_ptr<ProgressTaskEngine> engine);

  virtual void onTaskStatus(const Notification& notification) = 0;

  // Observes and runs `task` and shows the board at 0 with `status`. False without a task.
  bool runUnderBoard(std::shared_ptr<Task> task, const std::string& status);
  // Once: marks the flow cancelled, shows `status` and asks the engine to cancel the task.
  void cancelTask(const std::string& status);
  // Stops observing, lets go of the task and dismisses the board (at once or fading).
  void endTask(bool instantly);
  // The board, while it is the flow's (null otherwise).
  PBProgressModalView* board() const { return progressModalView_.get(); }

  void holdSelf() { self_ = shared_from_this(); }
  bool isHoldingSelf() const { return self_ != nullptr; }
  // The last hold may be this one: the flow may end when this returns.
  void releaseSelf();

  const std::shared_ptr<ProgressTaskEngine> engine_;

 private:
  void stopObserving();

  std::shared_ptr<Task> task_;
  std::optional<std::string> taskId_;
  std::shared_ptr<PBProgressModalView> progressModalView_;
  bool cancelled_ = false;
  std::shared_ptr<ProgressTaskFlow> self_;
};

}  // namespace zu
