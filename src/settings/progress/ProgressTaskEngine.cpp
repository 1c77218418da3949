#include "settings/progress/ProgressTaskEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"

namespace zu {

std::shared_ptr<ProgressTaskEngine> ProgressTaskEngine::defaultEngine() {
  static const auto engine = std::make_shared<ProgressTaskEngine>();
  return engine;
}

std::shared_ptr<Task> ProgressTaskEngine::createCleanNormalCacheTask() {
  auto engine = gDataEngine();
  return engine ? engine->createCleanNormalCacheTask() : nullptr;
}

std::shared_ptr<Task> ProgressTaskEngine::createCleanOffdownCacheTask() {
  auto engine = gDataEngine();
  return engine ? engine->createCleanOffdownCacheTask() : nullptr;
}

int64_t ProgressTaskEngine::getNormalCacheSize() {
  auto engine = gDataEngine();
  return engine ? engine->getNormalCacheSize() : 0;
}

int64_t ProgressTaskEngine::getOffdownCacheSize() {
  auto engine = gDataEngine();
  return engine ? engine->getOffdownCacheSize() : 0;
}

bool ProgressTaskEngine::isFontDownloaded(const Text& fontName) {
  auto engine = gDataEngine();
  return engine && engine->isFontDownloaded(fontName);
}

std::shared_ptr<Task> ProgressTaskEngine::createDownloadFontTask(const Text& fontName) {
  auto engine = gDataEngine();
  return engine ? engine->createDownloadFontTask(fontName) : nullptr;
}

void ProgressTaskEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

void ProgressTaskEngine::asyncCancelTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncCancelTask(task);
}

}  // namespace zu
