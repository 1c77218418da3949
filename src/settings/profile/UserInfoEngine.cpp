#include "settings/profile/UserInfoEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/columns/UserInfo.h"

namespace zu {

std::shared_ptr<UserInfoEngine> UserInfoEngine::defaultEngine() {
  static const auto engine = std::make_shared<UserInfoEngine>();
  return engine;
}

std::shared_ptr<Task> UserInfoEngine::createGetUserInfoTask(const Text& username) {
  auto engine = gDataEngine();
  return engine ? engine->createGetUserInfoTask(username) : nullptr;
}

std::shared_ptr<Task> UserInfoEngine::createUpdateUserInfoTask(const std::shared_ptr<UserInfo>& userInfo,
                                                               const Text& iconLocalPath) {
  auto engine = gDataEngine();
  return engine ? engine->createUpdateUserInfoTask(userInfo, iconLocalPath) : nullptr;
}

std::shared_ptr<Task> UserInfoEngine::createDownloadImageTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createDownloadImageTask(url) : nullptr;
}

void UserInfoEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

std::shared_ptr<UserInfo> UserInfoEngine::getLoginUserInfo() {
  auto engine = gDataEngine();
  return engine ? engine->getLoginUserInfo() : nullptr;
}

std::string UserInfoEngine::getUsername() {
  auto engine = gDataEngine();
  return engine ? engine->getUsername() : std::string();
}

UserInfoEngine::Text UserInfoEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine && url ? engine->getImageLocalPath(url) : std::nullopt;
}

UserInfoEngine::Text UserInfoEngine::addCustomPortrait(const Bytes& png) {
  auto engine = gDataEngine();
  return engine ? engine->addCustomPortrait(png) : std::nullopt;
}

void UserInfoEngine::logout() {
  if (auto engine = gDataEngine()) engine->logout();
}

}  // namespace zu
