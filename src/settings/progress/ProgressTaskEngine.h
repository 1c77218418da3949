// ProgressTaskEngine: what the two flows that run under the progress board ask of the data
// engine — the cache cleaning (the reading cache's and the offline content's clean tasks and their
// sizes at the start) and the font pack download (whether a pack is on the device, its download
// task) — and running and cancelling those tasks. The default goes to gDataEngine(); without an
// engine no task is made, sizes are 0 and no pack is on the device. A test gives its own,
// scripting what the tasks report (results arrive as task notifications on the main thread,
// through the application Observer).
//
// Main thread only. Shared by the cleanings and downloads that hold it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;

class ProgressTaskEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~ProgressTaskEngine() = default;

  // The engine every cleaning and download uses unless it was given another.
  static std::shared_ptr<ProgressTaskEngine> defaultEngine();

  virtual std::shared_ptr<Task> createCleanNormalCacheTask();
  virtual std::shared_ptr<Task> createCleanOffdownCacheTask();
  virtual int64_t getNormalCacheSize();
  virtual int64_t getOffdownCacheSize();
  virtual bool isFontDownloaded(const Text& fontName);
  virtual std::shared_ptr<Task> createDownloadFontTask(const Text& fontName);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  virtual void asyncCancelTask(const std::shared_ptr<Task>& task);
};

}  // namespace zu
