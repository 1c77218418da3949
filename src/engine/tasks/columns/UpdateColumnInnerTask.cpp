#include "engine/tasks/columns/UpdateColumnInnerTask.h"

#include "engine/cache/ColumnCache.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/CachedHttpResponse.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpEngineUtils.h"
#include "engine/http/HttpResponse.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "engine/tasks/columns/UpdateColumnInnerTaskDelegate.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskError.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/FileUtil.h"
#include "store/EntryPersistenter.h"

namespace zu {

UpdateColumnInnerTask::UpdateColumnInnerTask(
    std::shared_ptr<HttpEngine> engine, std::shared_ptr<Column> column,
    std::shared_ptr<UpdateColumnInnerTaskDelegate> delegate)
    : HttpInnerTask(std::move(engine)),
      column_(std::move(column)),
      delegate_(std::move(delegate)) {}

void UpdateColumnInnerTask::start() {
  auto engine = gDataEngine();
  if (!column_ || !engine || !httpEngine()) {
    done(kErrInvalidArg, ErrorGetDescription(kErrInvalidArg));
    return;
  }
  if (column_->isFavoriteColumn()) {
    if (engine->isGuestFavoriteColumn(column_)) {
      done(kErrOk, std::nullopt);
      return;
    }
    httpEngine()->setUseCacheIfFail(false);
    // The favourites list is the reader's own: only the response cache, which is kept per
    // reader, may answer for it (the column cache is shared by the readers of this device).
    httpEngine()->get(TaskUtil::hrefOf(column_->alternatelink()));
    return;
  }
  Bytes body;
  const auto& customization = column_->veskCustomization();
  if (customization && customization->isMBlogType()) {
    std::optional<DataEngine::MicroblogCredentials> credentials;
    if (engine->microblogCredentials(customization, true, &credentials) != kErrOk || !credentials) {
      done(kErrBadState, ErrorGetDescription(kErrBadState));
      return;
    }
    body = VESKAtomBuilder::allocPostMblogReqWithIdXML(credentials->accessToken,
                                                       credentials->secret, column_->entryId());
  } else {
    Feed feed;
    feed.setEntrys(std::vector<std::shared_ptr<Entry>>{column_});
    body = VESKAtomBuilder::allocFeedToXML(&feed);
  }
  auto urls = gUrlManager();
  httpEngine()->setUseCacheIfFail(false);
  // The answer decides what changed, so it is the service's answer of now; a copy of it would
  // never be read back (no fallback to it), so it is not stored either.
  httpEngine()->setCacheEnabled(false);
  httpEngine()->setHeaderField(std::string("Content-Type"), std::string("application/atom+xml"));
  httpEngine()->post(urls ? urls->refreshSubscribedColumnsUrl() : std::nullopt, std::move(body));
}

void UpdateColumnInnerTask::onHttpError(int errCode, const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

void UpdateColumnInnerTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  if (column_->isFavoriteColumn()) {
    if (auto engine = gDataEngine()) {
      engine->getColumnCache()->saveFirstPage(column_->entryId(),
                                              TaskUtil::hrefOf(column_->alternatelink()),
                                              response->responseBody(), validatorsOf(*response));
    }
    done(kErrOk, std::nullopt);
    return;
  }
  if (updateNewsSummary_) {
    onArticleListReply(response);
  } else {
    onColumnReply(response);
  }
}

void UpdateColumnInnerTask::onColumnReply(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindColumn);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  const auto entries = TaskUtil::entriesOf(feed.get());
  auto latest = entries.empty() ? nullptr : std::dynamic_pointer_cast<Column>(entries.front());
  if (!latest) {
    if (feed->veskErrors() && !feed->veskErrors()->empty() && feed->veskErrors()->front()) {
      const auto& error = *feed->veskErrors()->front();
      done(TaskUtil::serverErrorOf(error), error.desc());
    } else {
      done(kErrDataParse, std::string());
    }
    return;
  }
  lastestColumn_ = latest;
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  const auto& id = latest->entryId();
  const auto recorded = store ? store->findEntryLastCacheTime(id) : std::nullopt;
  if (recorded && *recorded != latest->updated()) {
    // The row is rewritten with the rest of the refresh's changes, in one commit at the end.
    contentChanged_ = true;
    rewriteRow_ = true;
  }
  const auto& cache = engine->getColumnCache();
  if (auto href = TaskUtil::hrefOf(latest->coverImageLink())) {
    auto cover = cache->loadCover(id, href);
    if (cover) {
      latest->setCoverImageData(std::move(cover));
    } else {
      coverNotExist_ = true;
    }
  }
  if (auto href = TaskUtil::hrefOf(latest->coverImageThumbnailLink())) {
    auto thumbnail = cache->loadCoverThumbnail(id, href);
    if (thumbnail) {
      latest->setCoverImageThumbnailData(std::move(thumbnail));
    } else {
      coverThumbnailNotExist_ = true;
    }
  }
  if (TaskUtil::isBook(latest.get())) {
    downloadCovers();
    return;
  }
  updateNewsSummary_ = true;
  httpEngine()->setUseCacheIfFail(false);
  const auto& customization = column_->veskCustomization();
  if (customization && customization->isMBlogType()) {
    if (!TaskUtil::postMicroblogRequest(*httpEngine(), TaskUtil::hrefOf(latest->alternatelink()),
                                        customization)) {
      done(kErrBadState, ErrorGetDescription(kErrBadState));
    }
    return;
  }
  askFirstPage(id, TaskUtil::hrefOf(latest->alternatelink()));
}

void UpdateColumnInnerTask::askFirstPage(const std::optional<std::string>& columnId,
                                         const std::optional<std::string>& href) {
  // The page kept in the column cache, with its validators, stands in for a response-cache copy
  // that was dropped (size limit, restart), so the list is still asked conditionally. It is read
  // only when the response cache has no copy: an unchanged refresh reads one kept page, not two.
  // An unchanged column whose page the column cache knows it holds (written or checked in this
  // run) asks with that page's validators and reads no copy at all: a 304 then needs no body,
  // as nothing is parsed or saved.
  auto engine = gDataEngine();
  if (!contentChanged_ && engine && engine->getColumnCache()) {
    if (auto known = engine->getColumnCache()->knownFirstPage(columnId, href)) {
      auto copy = std::make_shared<CachedHttpResponse>();
      copy->setEtag(known->etag);
      copy->setLastModified(known->lastModified);
      knownPage_ = copy;
      httpEngine()->setStandInSource([copy] { return copy; }, true);
      httpEngine()->get(href);
      return;
    }
  }
  if (engine && engine->getColumnCache()) {
    std::weak_ptr<ColumnCache> kept = engine->getColumnCache();
    httpEngine()->setStandInSource([kept, columnId, href]() -> std::shared_ptr<CachedHttpResponse> {
      auto cache = kept.lock();
      auto validators = cache ? cache->loadFirstPageValidators(columnId, href) : std::nullopt;
      if (!validators) return nullptr;
      auto page = cache->loadFirstPage(columnId, href);
      if (!page) return nullptr;
      auto copy = std::make_shared<CachedHttpResponse>();
      copy->setResponseBody(std::move(*page));
      copy->setEtag(validators->etag);
      copy->setLastModified(validators->lastModified);
      return copy;
    });
  }
  httpEngine()->get(href);
}

ColumnCache::Validators UpdateColumnInnerTask::validatorsOf(const HttpResponse& response) {
  if (response.isCache()) {
    if (auto copy = dynamic_cast<const CachedHttpResponse*>(&response)) {
      return {copy->etag(), copy->lastModified()};
    }
    return {};
  }
  return {HttpEngineUtils::etagOfResponse(&response),
          HttpEngineUtils::lastModifiedDateofResponse(&response)};
}

void UpdateColumnInnerTask::onArticleListReply(const std::shared_ptr<HttpResponse>& response) {
  if (response == knownPage_) {
    // A 304 to the validators of the page the column cache holds: nothing to save or compare.
    downloadCovers();
    return;
  }
  auto engine = gDataEngine();
  const auto& id = lastestColumn_->entryId();
  engine->getColumnCache()->saveFirstPage(id, TaskUtil::hrefOf(lastestColumn_->alternatelink()),
                                          response->responseBody(), validatorsOf(*response));
  if (contentChanged_) {
    auto feed =
        VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindNewsSummary);
    const auto entries = TaskUtil::entriesOf(feed.get());
    auto store = TaskUtil::subscriptions();
    if (!entries.empty() && entries.front() && entries.front()->entryId() && store) {
      const auto& newest = entries.front()->entryId();
      if (newest == store->getColumnLastestSummaryId(id)) {
        contentChanged_ = false;
      } else {
        newestSummaryId_ = newest;
      }
    }
  }
  downloadCovers();
}

void UpdateColumnInnerTask::downloadCovers() {
  std::vector<std::string> urls;
  if (coverNotExist_) {
    if (auto href = TaskUtil::hrefOf(lastestColumn_->coverImageLink())) urls.push_back(*href);
  }
  if (coverThumbnailNotExist_) {
    auto href = TaskUtil::hrefOf(lastestColumn_->coverImageThumbnailLink());
    if (href) urls.push_back(*href);
  }
  if (urls.empty()) {
    done(kErrOk, std::nullopt);
    return;
  }
  auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(shared_from_this());
  std::make_shared<DownloadImageInnerTask>(httpEngine(), std::move(urls), false, self)->run();
}

void UpdateColumnInnerTask::onDownloadImageInnerTaskFinished(
    DownloadImageInnerTask* /*task*/, int errCode, const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

void UpdateColumnInnerTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  bool dataChanged = contentChanged_;
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  if (lastestColumn_ && engine) {
    const auto& id = lastestColumn_->entryId();
    if (store) {
      // Everything the refresh changes in the column's row, in one transaction.
      EntryPersistenter::ColumnRefresh refresh;
      refresh.columnId = id;
      if (rewriteRow_) refresh.latest = lastestColumn_;
      refresh.latestSummaryId = newestSummaryId_;
      if (contentChanged_ && errCode == kErrOk) refresh.sourceSavedTime = lastestColumn_->updated();
      store->saveColumnRefresh(refresh);
    }
    const auto& cache = engine->getColumnCache();
    // A cover fetched just now goes into the column and the column cache: a change.
    auto takeFetched = [&](const std::shared_ptr<Link>& link, bool missing,
                           void (Column::*set)(std::optional<Bytes>),
                           void (ColumnCache::*save)(const ColumnCache::Text&,
                                                     const ColumnCache::Text&, const Bytes&)) {
      if (!missing) return;
      auto href = TaskUtil::hrefOf(link);
      auto path = engine->getImageLocalPath(href);
      auto data = path ? FileUtil::readFile(*path) : std::nullopt;
      if (!data) return;
      ((*cache).*save)(id, href, *data);
      ((*lastestColumn_).*set)(std::move(data));
      dataChanged = true;
    };
    takeFetched(lastestColumn_->coverImageLink(), coverNotExist_, &Column::setCoverImageData,
                &ColumnCache::saveCover);
    takeFetched(lastestColumn_->coverImageThumbnailLink(), coverThumbnailNotExist_,
                &Column::setCoverImageThumbnailData, &ColumnCache::saveCoverThumbnail);
  }
  std::shared_ptr<UpdateColumnInnerTaskDelegate> delegate = std::move(delegate_);
  if (delegate) {
    delegate->onUpdateColumnInnerTaskFinished(
        this, errCode, errDesc, lastestColumn_ ? lastestColumn_ : column_, dataChanged);
  }
}

}  // namespace zu
