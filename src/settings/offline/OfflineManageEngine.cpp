#include "settings/offline/OfflineManageEngine.h"

#include "common/DeviceInfo.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"

namespace zu {

std::shared_ptr<OfflineManageEngine> OfflineManageEngine::defaultEngine() {
  static const auto engine = std::make_shared<OfflineManageEngine>();
  return engine;
}

std::shared_ptr<Task> OfflineManageEngine::createGetSubscribedColumnsTask(bool loadImageData) {
  auto engine = gDataEngine();
  return engine ? engine->createGetSubscribedColumnsTask(loadImageData) : nullptr;
}

void OfflineManageEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

bool OfflineManageEngine::isColumnOfflineDownloadOn(const Text& columnId) {
  auto engine = gDataEngine();
  return engine && engine->isColumnOfflineDownloadOn(columnId);
}

void OfflineManageEngine::setColumnOfflineDownload(const Text& columnId, bool on) {
  if (auto engine = gDataEngine()) engine->setColumnOfflineDownload(columnId, on);
}

void OfflineManageEngine::setAllColumnOfflineDownload(bool on) {
  if (auto engine = gDataEngine()) engine->setAllColumnOfflineDownload(on);
}

int OfflineManageEngine::getOfflineDownloadColumnCount() {
  auto engine = gDataEngine();
  return engine ? engine->getOfflineDownloadColumnCount() : 0;
}

bool OfflineManageEngine::allowOfflineDownloadUnder3g() { return DESettings::allowOfflineDownloadUnder3g(); }

void OfflineManageEngine::setAllowOfflineDownloadUnder3g(bool allow) {
  DESettings::setAllowOfflineDownloadUnder3g(allow);
}

bool OfflineManageEngine::isItouch() { return DeviceInfo::isItouch(); }

}  // namespace zu
