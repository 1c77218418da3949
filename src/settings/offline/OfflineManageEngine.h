// OfflineManageEngine: what the offline download switches ask of the data engine and the
// device — the subscribed columns' task and running it, each column's offline switch, all of
// them at once, the count of columns switched on, the WiFi-only setting (the display settings'
// "allow under 3G", stored inverted) and whether the device is an iPod touch (no mobile data).
// The default goes to gDataEngine(), DESettings and DeviceInfo; without an engine no task is made,
// every column reads off and the count is 0. A test gives its own, scripting what the task
// reports (results arrive as task notifications on the main thread, through the Observer).
//
// Main thread only. Shared by the screens that hold it.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;

class OfflineManageEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~OfflineManageEngine() = default;

  // The engine every offline switches screen uses unless it was given another.
  static std::shared_ptr<OfflineManageEngine> defaultEngine();

  virtual std::shared_ptr<Task> createGetSubscribedColumnsTask(bool loadImageData);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  virtual bool isColumnOfflineDownloadOn(const Text& columnId);
  virtual void setColumnOfflineDownload(const Text& columnId, bool on);
  virtual void setAllColumnOfflineDownload(bool on);
  virtual int getOfflineDownloadColumnCount();
  virtual bool allowOfflineDownloadUnder3g();
  virtual void setAllowOfflineDownloadUnder3g(bool allow);
  virtual bool isItouch();
};

}  // namespace zu
