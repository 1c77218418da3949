// The facade's factories of the article, comment and local entry tasks (DataEngine members,
// kept beside the tasks they make), and its reading of a column's kept first page.
#include "engine/cache/ColumnCache.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/comments/CommentColumnTask.h"
#include "engine/tasks/comments/GetCommentsTask.h"
#include "engine/tasks/comments/GetFavoriteNewsSummariesTask.h"
#include "engine/tasks/articles/GetNewsDetailDynamicTask.h"
#include "engine/tasks/articles/GetNewsDetailTask.h"
#include "engine/tasks/articles/GetNewsSummarysTask.h"
#include "engine/tasks/comments/GetSearchFavNewsSummariesTask.h"
#include "engine/tasks/articles/LocalCleanCacheTask.h"
#include "engine/tasks/articles/LocalGetFeedTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "engine/tasks/columns/UpdateColumnBatchTask.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

std::shared_ptr<Task> DataEngine::createGetNewsSummarysTask(const std::shared_ptr<Link>& link,
                                                            const std::shared_ptr<Column>& column,
                                                            bool useCache) {
  if (!link || !column) return createErrorTask(kErrInvalidArg);
  if (link->type() == EntryPersistenter::kLocalLinkType) {
    return std::make_shared<LocalGetFeedTask>(favPersist_, link->href());
  }
  if (!link->href()) return createErrorTask(kErrInvalidArg);
  if (column->isFavoriteColumn()) {
    return std::make_shared<GetFavoriteNewsSummariesTask>(link->href(), column);
  }
  return std::make_shared<GetNewsSummarysTask>(link->href(), column, useCache);
}

std::shared_ptr<Task> DataEngine::createGetSearchFavNewsSummarysTask(
    const std::shared_ptr<Link>& link, const std::shared_ptr<Column>& column, const Text& keyWord,
    const Text& scope, std::optional<int64_t> since, std::optional<int64_t> until) {
  if (!link || !column || !keyWord || keyWord->empty() || !link->href()) {
    return createErrorTask(kErrInvalidArg);
  }
  return std::make_shared<GetSearchFavNewsSummariesTask>(link->href(), column, *keyWord, scope,
                                                         since, until);
}

std::shared_ptr<Task> DataEngine::createGetNewsDetailTask(const std::shared_ptr<Link>& link) {
  if (!link || !link->href()) return createErrorTask(kErrInvalidArg);
  return std::make_shared<GetNewsDetailTask>(link->href());
}

std::shared_ptr<Task> DataEngine::createGetNewsDetailDynamicTask(
    const std::shared_ptr<NewsDetail>& detail) {
  return std::make_shared<GetNewsDetailDynamicTask>(detail);
}

std::shared_ptr<Task> DataEngine::createGetCommentsTask(
    const std::shared_ptr<Link>& link, const std::shared_ptr<VeskCustomization>& customization) {
  if (!link || !link->href()) return createErrorTask(kErrInvalidArg);
  auto task = std::make_shared<GetCommentsTask>(link->href());
  task->setCustomization(customization);
  return task;
}

std::shared_ptr<Task> DataEngine::createCommentColumnTask(const std::shared_ptr<Column>& column,
                                                          float rating, const Text& comment) {
  return std::make_shared<CommentColumnTask>(column, rating, comment);
}

std::shared_ptr<Task> DataEngine::createCleanOffdownCacheTask() {
  return std::make_shared<LocalCleanCacheTask>(1);
}

std::shared_ptr<Task> DataEngine::createCleanNormalCacheTask() {
  return std::make_shared<LocalCleanCacheTask>(0);
}

std::shared_ptr<Task> DataEngine::createCleanCacheTask() {
  return std::make_shared<LocalCleanCacheTask>(LocalCleanCacheTask::kAllItemTypes);
}

std::shared_ptr<Feed> DataEngine::getColumnFirstPageNewsSummary(
    const std::shared_ptr<Column>& column) {
  if (!column) return nullptr;
  std::shared_ptr<Feed> feed;
  if (const auto& link = column->alternatelink()) {
    if (auto page = columnCache_->loadFirstPage(column->entryId(), link->href())) {
      feed = VESKAtomParser::allocParseFeed(TaskUtil::bytesText(*page), kEntryKindNewsSummary);
      if (feed) GetNewsSummarysTask::addLocalState(TaskUtil::entriesOf(feed.get()), column);
    }
  }
  asyncRunTask(std::make_shared<UpdateColumnBatchTask>(column, true));
  return feed;
}

}  // namespace zu
