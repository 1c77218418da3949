#include "settings/feedback/FeedbackEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"

namespace zu {

std::shared_ptr<FeedbackEngine> FeedbackEngine::defaultEngine() {
  static const auto engine = std::make_shared<FeedbackEngine>();
  return engine;
}

bool FeedbackEngine::isAnonymous() {
  auto engine = gDataEngine();
  return !engine || engine->isAnonymous();
}

std::shared_ptr<Task> FeedbackEngine::createFeedbackTask(const Text& title, const Text& content,
                                                         const Text& filePath, const Text& contact) {
  auto engine = gDataEngine();
  return engine ? engine->createFeedbackTask(title, content, filePath, contact) : nullptr;
}

void FeedbackEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

}  // namespace zu
