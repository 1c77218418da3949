#include "reading/toolbar/ReportToolBarEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/entry/Entry.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"

namespace zu {

std::shared_ptr<ReportToolBarEngine> ReportToolBarEngine::defaultEngine() {
  static const auto engine = std::make_shared<ReportToolBarEngine>();
  return engine;
}

std::shared_ptr<Task> ReportToolBarEngine::createBumpTask(const std::shared_ptr<Link>& link,
                                                          const Text& entryId, int bump) {
  auto engine = gDataEngine();
  return engine ? engine->createBumpTask(link, entryId, bump) : nullptr;
}

std::shared_ptr<Task> ReportToolBarEngine::createAddFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry) {
  auto engine = gDataEngine();
  return engine ? engine->createAddFavoriteNewsSummaryTask(entry) : nullptr;
}

std::shared_ptr<Task> ReportToolBarEngine::createDelFavoriteNewsSummaryTask(const std::shared_ptr<Entry>& entry) {
  auto engine = gDataEngine();
  return engine ? engine->createDelFavoriteNewsSummaryTask(entry) : nullptr;
}

std::shared_ptr<Task> ReportToolBarEngine::createSharingTask(const Text& linkText, const Text& url,
                                                             int sharingType) {
  auto engine = gDataEngine();
  return engine ? engine->createSharingTask(linkText, url, sharingType) : nullptr;
}

std::shared_ptr<Task> ReportToolBarEngine::createGetShortUrlTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createGetShortUrlTask(url) : nullptr;
}

std::shared_ptr<Task> ReportToolBarEngine::createGetShortUrlTaskWithArticleId(const Text& articleId) {
  auto engine = gDataEngine();
  return engine ? engine->createGetShortUrlTaskWithArticleId(articleId) : nullptr;
}

std::shared_ptr<Task> ReportToolBarEngine::createPostCommentTask(
    const Text& url, const Text& entryId, const Text& title, const Text& content,
    const std::shared_ptr<VeskCustomization>& customization) {
  auto engine = gDataEngine();
  return engine ? engine->createPostCommentTask(url, entryId, title, content, customization) : nullptr;
}

void ReportToolBarEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

bool ReportToolBarEngine::isAnonymous() {
  auto engine = gDataEngine();
  return !engine || engine->isAnonymous();
}

int64_t ReportToolBarEngine::getFavoriteNewsCount() {
  auto engine = gDataEngine();
  return engine ? engine->getFavoriteNewsCount() : 0;
}

}  // namespace zu
