// AboutEngine: what the about screen's row of recommended applications asks of the data engine —
// the stored recommendation (the start-up info task's), the icon downloads, running them, and
// where a downloaded icon lies. The default goes to gDataEngine(); without an engine there is no
// recommendation, no task and no file. A test gives its own, scripting what the downloads report
// (results arrive as task notifications on the main thread, through the application Observer).
//
// Main thread only. Shared by the views that hold it.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;
class VeskAppRecommend;

class AboutEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~AboutEngine() = default;

  // The engine every apps row uses unless it was given another.
  static std::shared_ptr<AboutEngine> defaultEngine();

  virtual std::shared_ptr<VeskAppRecommend> getAppRecommend();
  virtual std::shared_ptr<Task> createDownloadImageTask(const Text& url);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  virtual Text getImageLocalPath(const Text& url);
};

}  // namespace zu
