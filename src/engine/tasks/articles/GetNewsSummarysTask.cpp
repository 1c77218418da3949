#include "engine/tasks/articles/GetNewsSummarysTask.h"

#include "common/Log.h"
#include "engine/cache/ColumnCache.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "engine/tasks/columns/UpdateColumnBatchTask.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskMblogExtra.h"
#include "model/service/VeskThumbnail.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryStatusPersistenter.h"

namespace zu {

GetNewsSummarysTask::GetNewsSummarysTask(std::optional<std::string> url,
                                         std::shared_ptr<Column> column, bool useCache)
    : url_(std::move(url)), column_(std::move(column)), useCache_(useCache) {}

void GetNewsSummarysTask::addLocalState(const std::vector<std::shared_ptr<Entry>>& entries,
                                        const std::shared_ptr<Column>& column) {
  const bool favorites = column && column->isFavoriteColumn();
  const bool customised = column && column->veskCustomization();
  for (const auto& entry : entries) {
    if (!entry) continue;
    if (!entry->veskEntryStatus()) entry->setVeskEntryStatus(std::make_shared<VeskEntryStatus>());
    entry->veskEntryStatus()->setRead(
        favorites ? 1 : EntryStatusPersistenter::getEntryStatus(entry->entryId()));
    if (!customised) continue;
    auto summary = std::dynamic_pointer_cast<NewsSummary>(entry);
    const auto& detail = summary ? summary->detail() : nullptr;
    if (!detail) continue;
    detail->setSupportComment(false);
    detail->setSupportBump(false);
    detail->setSupportFavorite(false);
    if (detail->veskMblogExtra()) detail->veskMblogExtra()->setVeskAssess(nullptr);
    detail->setCommentsLink(nullptr);
  }
}

std::vector<std::string> GetNewsSummarysTask::extractImageUrls(const Feed& feed) {
  std::vector<std::string> urls;
  for (const auto& entry : TaskUtil::entriesOf(&feed)) {
    if (entry && entry->veskThumbnail() && entry->veskThumbnail()->href()) {
      urls.push_back(*entry->veskThumbnail()->href());
    }
  }
  return urls;
}

void GetNewsSummarysTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto engine = gDataEngine();
  if (useCache_ && engine && column_) {
    auto page = engine->getColumnCache()->loadFirstPage(column_->entryId(), url_);
    if (page) {
      auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bytesText(*page), kEntryKindNewsSummary);
      if (!feed) feed = std::make_shared<Feed>();
      addLocalState(TaskUtil::entriesOf(feed.get()), column_);
      if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), feed);
      engine->asyncRunTask(std::make_shared<UpdateColumnBatchTask>(column_, true));
      done(kErrOk, std::nullopt);
      return;
    }
  }
  const auto& customization = column_ ? column_->veskCustomization() : nullptr;
  if (customization && customization->isMBlogType()) {
    if (!TaskUtil::postMicroblogRequest(*httpEngine(), url_, customization)) {
      done(kErrBadState, ErrorGetDescription(kErrBadState));
    }
    return;
  }
  httpEngine()->get(url_);
}

void GetNewsSummarysTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindNewsSummary);
  if (!feed) {
    TaskUtil::logParseError(httpEngine().get(), *this, *response);
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  const auto entries = TaskUtil::entriesOf(feed.get());
  VESKLogImpl("GetNewsSummarysTask end Feed title=%s entryCount=%d",
              feed->title().value_or("(null)").c_str(), static_cast<int>(entries.size()));
  auto engine = gDataEngine();
  if (useCache_ && engine && column_) {
    engine->getColumnCache()->saveFirstPage(column_->entryId(), url_, response->responseBody());
  }
  auto urls = gUrlManager();
  auto favoriteUrl = urls ? urls->getFavoriteUrl() : std::nullopt;
  if (engine && favoriteUrl && url_ == favoriteUrl && feed->veskFavorite()) {
    engine->setFavoriteNewsCount(feed->veskFavorite()->count());
  }
  addLocalState(entries, column_);
  if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), feed);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
