#include "settings/main/MoreSettingsEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "engine/tasks/offline/OfflineDownColumnBatchTask.h"
#include "model/columns/Column.h"
#include "model/columns/UserInfo.h"

namespace zu {

std::shared_ptr<MoreSettingsEngine> MoreSettingsEngine::defaultEngine() {
  static const auto engine = std::make_shared<MoreSettingsEngine>();
  return engine;
}

bool MoreSettingsEngine::isAnonymous() {
  auto engine = gDataEngine();
  return !engine || engine->isAnonymous();
}

std::string MoreSettingsEngine::getUsername() {
  auto engine = gDataEngine();
  return engine ? engine->getUsername() : std::string();
}

std::shared_ptr<UserInfo> MoreSettingsEngine::getLoginUserInfo() {
  auto engine = gDataEngine();
  return engine ? engine->getLoginUserInfo() : nullptr;
}

std::shared_ptr<Task> MoreSettingsEngine::createGetUserInfoTask(const Text& username) {
  auto engine = gDataEngine();
  return engine ? engine->createGetUserInfoTask(username) : nullptr;
}

std::shared_ptr<Task> MoreSettingsEngine::createDownloadImageTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createDownloadImageTask(url) : nullptr;
}

void MoreSettingsEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

MoreSettingsEngine::Text MoreSettingsEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->getImageLocalPath(url) : std::nullopt;
}

int64_t MoreSettingsEngine::getNormalCacheSize() {
  auto engine = gDataEngine();
  return engine ? engine->getNormalCacheSize() : 0;
}

int64_t MoreSettingsEngine::getOffdownCacheSize() {
  auto engine = gDataEngine();
  return engine ? engine->getOffdownCacheSize() : 0;
}

bool MoreSettingsEngine::isCacheCleaning() {
  auto engine = gDataEngine();
  return engine && engine->isCacheCleaning();
}

bool MoreSettingsEngine::isOfflineBatchRunning() { return OfflineDownColumnBatchTask::isRunning(); }

int MoreSettingsEngine::boundAccountCount() {
  auto bound = OpenPlatformFactory::instance().getOpenPlatforms(OpenPlatformFactory::kAuthorizedPlatforms);
  return bound ? static_cast<int>(bound->size()) : 0;
}

std::shared_ptr<Column> MoreSettingsEngine::createFavoriteColumn() {
  auto engine = gDataEngine();
  return engine ? engine->createFavoriteColumn() : nullptr;
}

}  // namespace zu
