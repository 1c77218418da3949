#include "settings/about/AboutEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/service/VeskAppRecommend.h"

namespace zu {

std::shared_ptr<AboutEngine> AboutEngine::defaultEngine() {
  static const auto engine = std::make_shared<AboutEngine>();
  return engine;
}

std::shared_ptr<VeskAppRecommend> AboutEngine::getAppRecommend() {
  auto engine = gDataEngine();
  return engine ? engine->getAppRecommend() : nullptr;
}

std::shared_ptr<Task> AboutEngine::createDownloadImageTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createDownloadImageTask(url) : nullptr;
}

void AboutEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

AboutEngine::Text AboutEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->getImageLocalPath(url) : std::nullopt;
}

}  // namespace zu
