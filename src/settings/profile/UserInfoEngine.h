// UserInfoEngine: what the profile screen and the profile editor ask of the data engine — the
// user-info and profile-update tasks, the portrait downloads, running them, the stored profile
// of the logged-in reader and their name, where a downloaded picture lies, storing a picked
// portrait, and logging out. The default goes to gDataEngine(); without an engine the factories
// give null (nothing runs), nothing is stored and there is no profile. A test gives its own,
// scripting what the tasks report (results arrive as task notifications on the main thread,
// through the application Observer).
//
// Main thread only. Shared by the screens that hold it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/Value.h"

namespace zu {

class Task;
class UserInfo;

class UserInfoEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~UserInfoEngine() = default;

  // The engine every profile screen uses unless it was given another.
  static std::shared_ptr<UserInfoEngine> defaultEngine();

  virtual std::shared_ptr<Task> createGetUserInfoTask(const Text& username);
  virtual std::shared_ptr<Task> createUpdateUserInfoTask(const std::shared_ptr<UserInfo>& userInfo,
                                                         const Text& iconLocalPath);
  virtual std::shared_ptr<Task> createDownloadImageTask(const Text& url);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  // The logged-in reader's stored profile, or null.
  virtual std::shared_ptr<UserInfo> getLoginUserInfo();
  virtual std::string getUsername();
  virtual Text getImageLocalPath(const Text& url);
  // Stores PNG bytes as a portrait file; its path, or nullopt.
  virtual Text addCustomPortrait(const Bytes& png);
  virtual void logout();
};

}  // namespace zu
