// The facade's factories of the login and column tasks (DataEngine members, kept beside the
// tasks they make).
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/ErrorTask.h"
#include "engine/core/TaskEngine.h"
#include "engine/tasks/columns/AddSubscribedColumnTask.h"
#include "engine/tasks/columns/GetServerColumnsTask.h"
#include "engine/tasks/columns/LocalGetSubscribedColumnsTask.h"
#include "engine/tasks/columns/LoginTask.h"
#include "engine/tasks/columns/UpdateColumnBatchTask.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

std::shared_ptr<Task> DataEngine::createLoginTask(const Text& username, const Text& password,
                                                  bool forceServerAuth) {
  if (!username || !password || !isUsableUsername(*username)) {
    return createErrorTask(kErrInvalidArg);
  }
  if (auto engine = gTaskEngine()) engine->syncCancelAllTask();
  return std::make_shared<LoginTask>(StringUtil::asciiLowercase(*username), *password,
                                     forceServerAuth);
}

std::shared_ptr<Task> DataEngine::createGetSubscribedColumnsTask(bool loadImageData) {
  auto task = std::make_shared<LocalGetSubscribedColumnsTask>();
  task->setLoadImageData(loadImageData);
  return task;
}

std::shared_ptr<Task> DataEngine::createUpdateColumnTask(const std::shared_ptr<Column>& column) {
  auto stored = column ? getColumnFromLocal(column->entryId()) : nullptr;
  return std::make_shared<UpdateColumnBatchTask>(stored, false);
}

std::shared_ptr<Task> DataEngine::createUpdateColumnBatchTask(
    const std::vector<std::shared_ptr<Column>>& columns) {
  return std::make_shared<UpdateColumnBatchTask>(columns, false);
}

std::shared_ptr<Task> DataEngine::createGetServerColumnsTask(
    const std::shared_ptr<Link>& link, const std::shared_ptr<VeskCustomization>& customization) {
  auto task = std::make_shared<GetServerColumnsTask>(link ? link->href() : std::nullopt);
  task->setCustomization(customization);
  return task;
}

std::shared_ptr<Task> DataEngine::createAddSubscribedColumnTask(
    const std::shared_ptr<Column>& column, const Text& customColumnName) {
  if (!column || (!column->entryId() && !column->veskCustomization())) {
    return createErrorTask(kErrInvalidArg);
  }
  return std::make_shared<AddSubscribedColumnTask>(
      column, customColumnName ? customColumnName : column->title());
}

std::shared_ptr<Task> DataEngine::createSearchTask(
    const std::shared_ptr<Link>& link, const Text& keyWords, int /*entryType*/,
    const std::shared_ptr<VeskCustomization>& customization) {
  if (!link || !link->href() || !keyWords) return createErrorTask(kErrInvalidArg);
  auto task = std::make_shared<GetServerColumnsTask>(replaceSearchTerms(*link->href(), *keyWords));
  task->setCustomization(customization);
  return task;
}

}  // namespace zu
