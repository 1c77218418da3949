#include "reading/comments/CommentsEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"

namespace zu {

std::shared_ptr<CommentsEngine> CommentsEngine::defaultEngine() {
  static const auto engine = std::make_shared<CommentsEngine>();
  return engine;
}

std::shared_ptr<Task> CommentsEngine::createGetCommentsTask(const std::shared_ptr<Link>& link,
                                                            const std::shared_ptr<VeskCustomization>& customization) {
  auto engine = gDataEngine();
  return engine ? engine->createGetCommentsTask(link, customization) : nullptr;
}

std::shared_ptr<Task> CommentsEngine::createGetNewsDetailDynamicTask(const std::shared_ptr<NewsDetail>& detail) {
  auto engine = gDataEngine();
  return engine ? engine->createGetNewsDetailDynamicTask(detail) : nullptr;
}

std::shared_ptr<Task> CommentsEngine::createPostCommentTask(const Text& url, const Text& entryId, const Text& title,
                                                            const Text& content,
                                                            const std::shared_ptr<VeskCustomization>& customization) {
  auto engine = gDataEngine();
  return engine ? engine->createPostCommentTask(url, entryId, title, content, customization) : nullptr;
}

std::shared_ptr<Task> CommentsEngine::createDeleteCommentTask(const Text& commentId, const std::shared_ptr<Link>& link,
                                                              const std::shared_ptr<VeskCustomization>& customization) {
  auto engine = gDataEngine();
  return engine ? engine->createDeleteCommentTask(commentId, link, customization) : nullptr;
}

std::shared_ptr<Task> CommentsEngine::createGetShortUrlTask(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->createGetShortUrlTask(url) : nullptr;
}

std::shared_ptr<Task> CommentsEngine::createGetShortUrlTaskWithArticleId(const Text& articleId) {
  auto engine = gDataEngine();
  return engine ? engine->createGetShortUrlTaskWithArticleId(articleId) : nullptr;
}

void CommentsEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

CommentsEngine::Text CommentsEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->getImageLocalPath(url) : std::nullopt;
}

bool CommentsEngine::isAnonymous() {
  auto engine = gDataEngine();
  return !engine || engine->isAnonymous();
}

std::vector<std::shared_ptr<OpenPlatformBase>> CommentsEngine::authorizedClients() {
  return OpenPlatformFactory::instance()
      .getOpenPlatforms(OpenPlatformFactory::kAuthorizedPlatforms)
      .value_or(std::vector<std::shared_ptr<OpenPlatformBase>>{});
}

}  // namespace zu
