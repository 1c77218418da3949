// MoreSettingsEngine: what the settings tab asks of the data engine and the account clients —
// whether the reader is a guest, the user name and the stored profile, the profile and portrait
// tasks and running them, where a downloaded picture lies, the two cache sizes, whether a cache
// cleaning or an offline download batch runs, how many microblog accounts are bound, and a
// new favourites column. The default goes to gDataEngine(), OfflineDownColumnBatchTask and
// OpenPlatformFactory; without an engine the reader is a guest, no task is made and sizes are 0.
// A test gives its own, scripting what the tasks report (results arrive as task notifications on
// the main thread, through the application Observer).
//
// Main thread only. Shared by the screens that hold it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zu {

class Column;
class Task;
class UserInfo;

class MoreSettingsEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~MoreSettingsEngine() = default;

  // The engine every settings tab uses unless it was given another.
  static std::shared_ptr<MoreSettingsEngine> defaultEngine();

  virtual bool isAnonymous();
  virtual std::string getUsername();
  virtual std::shared_ptr<UserInfo> getLoginUserInfo();
  virtual std::shared_ptr<Task> createGetUserInfoTask(const Text& username);
  virtual std::shared_ptr<Task> createDownloadImageTask(const Text& url);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  virtual Text getImageLocalPath(const Text& url);
  virtual int64_t getNormalCacheSize();
  virtual int64_t getOffdownCacheSize();
  virtual bool isCacheCleaning();
  virtual bool isOfflineBatchRunning();
  // The bound microblog and SNS accounts.
  virtual int boundAccountCount();
  virtual std::shared_ptr<Column> createFavoriteColumn();
};

}  // namespace zu
