#include "engine/tasks/comments/FavoriteNewsListTask.h"

#include "common/Log.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/articles/GetNewsSummarysTask.h"
#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsInnerTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

FavoriteNewsListTask::FavoriteNewsListTask(std::optional<std::string> url,
                                           std::shared_ptr<Column> column)
    : url_(std::move(url)), column_(std::move(column)) {}

void FavoriteNewsListTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto favorites = TaskUtil::favorites();
  auto pending = favorites ? favorites->allocReadEntriesInFeed(std::nullopt) : nullptr;
  auto entries = TaskUtil::entriesOf(pending.get());
  if (entries.empty()) {
    httpEngine()->get(listUrl());
    return;
  }
  // Oldest first, as they were added.
  std::vector<std::shared_ptr<Entry>> oldestFirst(entries.rbegin(), entries.rend());
  auto urls = gUrlManager();
  auto self =
      std::dynamic_pointer_cast<SyncOfflineAddedFavoriteNewsInnerTaskDelegate>(sharedTask());
  std::make_shared<SyncOfflineAddedFavoriteNewsInnerTask>(
      httpEngine(), urls ? urls->addFavoriteUrl() : std::nullopt,
      VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(oldestFirst), self)
      ->run();
}

void FavoriteNewsListTask::onSyncOfflineAddedFavoriteNewsInnerTaskFinished(
    SyncOfflineAddedFavoriteNewsInnerTask* /*task*/, int errCode,
    const std::optional<std::string>& errDesc) {
  if (isDone() || !httpEngine()) return;
  // A failed upload is ignored, but a cancel ends the task as it would end the list request.
  if (errCode == kErrCancelled) {
    onHttpError(errCode, errDesc);
    return;
  }
  httpEngine()->get(listUrl());
}

void FavoriteNewsListTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindNewsSummary);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  VESKLogImpl("%s end Feed title=%s entryCount=%d", logName(),
              feed->title().value_or("(null)").c_str(),
              static_cast<int>(TaskUtil::entriesOf(feed.get()).size()));
  TaskUtil::takeFavoriteCount(*feed);
  mergeLocal(*feed);
  report(feed);
}

void FavoriteNewsListTask::onHttpError(int /*errCode*/,
                                       const std::optional<std::string>& /*errDesc*/) {
  auto favorites = TaskUtil::favorites();
  report(favorites ? favorites->allocReadEntriesInFeed(url_) : nullptr);
}

void FavoriteNewsListTask::report(const std::shared_ptr<Feed>& feed) {
  GetNewsSummarysTask::addLocalState(TaskUtil::entriesOf(feed.get()), column_);
  if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), feed);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
