#include "share/compose/ShareEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"

namespace zu {

std::shared_ptr<ShareEngine> ShareEngine::defaultEngine() {
  static const auto engine = std::make_shared<ShareEngine>();
  return engine;
}

std::shared_ptr<Task> ShareEngine::createGetShortUrlTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createGetShortUrlTask(url) : nullptr;
}

std::shared_ptr<Task> ShareEngine::createGetShortUrlTaskWithArticleId(const Text& articleId) {
  auto engine = gDataEngine();
  return engine ? engine->createGetShortUrlTaskWithArticleId(articleId) : nullptr;
}

std::shared_ptr<Task> ShareEngine::createDownloadImageTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createDownloadImageTask(url) : nullptr;
}

std::shared_ptr<Task> ShareEngine::createSharingTask(const Text& linkText, const Text& url, int sharingType) {
  auto engine = gDataEngine();
  return engine ? engine->createSharingTask(linkText, url, sharingType) : nullptr;
}

void ShareEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

ShareEngine::Text ShareEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->getImageLocalPath(url) : std::nullopt;
}

}  // namespace zu
