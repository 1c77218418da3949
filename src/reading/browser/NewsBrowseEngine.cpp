#include "reading/browser/NewsBrowseEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/entry/Link.h"

namespace zu {

std::shared_ptr<NewsBrowseEngine> NewsBrowseEngine::defaultEngine() {
  static const auto engine = std::make_shared<NewsBrowseEngine>();
  return engine;
}

std::shared_ptr<Task> NewsBrowseEngine::createGetNewsDetailTask(const std::shared_ptr<Link>& link) {
  auto engine = gDataEngine();
  return engine ? engine->createGetNewsDetailTask(link) : nullptr;
}

void NewsBrowseEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

void NewsBrowseEngine::asyncCancelTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncCancelTask(task);
}

void NewsBrowseEngine::markNewsRead(const Text& entryId) {
  if (auto engine = gDataEngine()) engine->markNewsRead(entryId);
}

NewsBrowseEngine::Text NewsBrowseEngine::getSearchEngineUrlWithKeywords(const std::string& words) {
  auto engine = gDataEngine();
  return engine ? engine->getSearchEngineUrlWithKeywords(words) : std::nullopt;
}

}  // namespace zu
