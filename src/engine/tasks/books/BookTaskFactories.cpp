// The facade's factories of the book download tasks (DataEngine members, kept beside the tasks
// they make).
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/articles/GetNewsSummarysTask.h"
#include "engine/tasks/books/DownloadBookLinksTask.h"
#include "engine/tasks/books/DownloadBookTask.h"
#include "engine/tasks/books/DownloadBookUpdatesTask.h"
#include "engine/tasks/books/GetBookDetailInfoTask.h"
#include "engine/tasks/books/GetBookPreviewTask.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"

namespace zu {

std::shared_ptr<Task> DataEngine::createGetBookDetailInfoTask(const std::shared_ptr<Link>& link) {
  if (!link || !link->href()) return createErrorTask(kErrInvalidArg);
  return std::make_shared<GetBookDetailInfoTask>(*link->href());
}

std::shared_ptr<Task> DataEngine::createDownloadBookTask(const std::shared_ptr<Column>& column) {
  return std::make_shared<DownloadBookTask>(column);
}

std::shared_ptr<Task> DataEngine::createDownloadBookUpdatesTask(
    const std::shared_ptr<Column>& column) {
  return std::make_shared<DownloadBookUpdatesTask>(column);
}

std::shared_ptr<Task> DataEngine::createGetBookPreviewTask(const std::shared_ptr<Column>& column) {
  return std::make_shared<GetBookPreviewTask>(column);
}

std::shared_ptr<Task> DataEngine::createGetBookReviewSummaryTask(
    const std::shared_ptr<Link>& link) {
  if (!link || !link->href()) return createErrorTask(kErrInvalidArg);
  return std::make_shared<GetNewsSummarysTask>(link->href(), nullptr, false);
}

std::shared_ptr<Task> DataEngine::createGetBookReviewDetailTask(const std::shared_ptr<Link>& link) {
  return createGetNewsDetailTask(link);
}

void DataEngine::updateBookCssJsLinks() {
  asyncRunTask(std::make_shared<DownloadBookLinksTask>());
}

}  // namespace zu
