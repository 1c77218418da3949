#include "shell/detail/ColumnDetailEngine.h"

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"

namespace zu {

std::shared_ptr<ColumnDetailEngine> ColumnDetailEngine::defaultEngine() {
  static const auto engine = std::make_shared<ColumnDetailEngine>();
  return engine;
}

std::shared_ptr<Task> ColumnDetailEngine::createGetCommentsTask(
    const std::shared_ptr<Link>& link, const std::shared_ptr<VeskCustomization>& customization) {
  auto engine = gDataEngine();
  return engine ? engine->createGetCommentsTask(link, customization) : nullptr;
}

std::shared_ptr<Task> ColumnDetailEngine::createGetServerColumnsTask(const std::shared_ptr<Link>& link) {
  auto engine = gDataEngine();
  return engine ? engine->createGetServerColumnsTask(link) : nullptr;
}

std::shared_ptr<Task> ColumnDetailEngine::createAddSubscribedColumnTask(const std::shared_ptr<Column>& column) {
  auto engine = gDataEngine();
  return engine ? engine->createAddSubscribedColumnTask(column, std::nullopt) : nullptr;
}

std::shared_ptr<Task> ColumnDetailEngine::createCommentColumnTask(const std::shared_ptr<Column>& column,
                                                                  float rating, const Text& comment) {
  auto engine = gDataEngine();
  return engine ? engine->createCommentColumnTask(column, rating, comment) : nullptr;
}

void ColumnDetailEngine::asyncRunTask(const std::shared_ptr<Task>& task) {
  if (auto engine = gDataEngine(); engine && task) engine->asyncRunTask(task);
}

ColumnDetailEngine::Text ColumnDetailEngine::getImageLocalPath(const Text& url) {
  auto engine = gDataEngine();
  return engine ? engine->getImageLocalPath(url) : std::nullopt;
}

void ColumnDetailEngine::setColumnOfflineDownload(const Text& columnId, bool on) {
  if (auto engine = gDataEngine()) engine->setColumnOfflineDownload(columnId, on);
}

}  // namespace zu
