// FeedbackEngine: what the feedback screen asks of the data engine — whether the reader is a
// guest, the feedback task and running it. The default goes to gDataEngine(); without an engine
// the reader counts as a guest and no task is made. A test gives its own, scripting what the
// task reports (results arrive as task notifications on the main thread, through the
// application Observer).
//
// Main thread only. Shared by the screens that hold it.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;

class FeedbackEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~FeedbackEngine() = default;

  // The engine every feedback screen uses unless it was given another.
  static std::shared_ptr<FeedbackEngine> defaultEngine();

  // True while no reader is logged in.
  virtual bool isAnonymous();
  virtual std::shared_ptr<Task> createFeedbackTask(const Text& title, const Text& content, const Text& filePath,
                                                   const Text& contact);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
};

}  // namespace zu
