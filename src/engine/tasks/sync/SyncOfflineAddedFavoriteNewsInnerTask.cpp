#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsInnerTask.h"

#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsInnerTaskDelegate.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/service/VeskError.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

namespace {
// The service already holds the favourite: the local copy may go.
constexpr int kFavoriteKnown1 = -100104;
constexpr int kFavoriteKnown2 = -100105;
}  // namespace

SyncOfflineAddedFavoriteNewsInnerTask::SyncOfflineAddedFavoriteNewsInnerTask(
    std::shared_ptr<HttpEngine> engine, std::optional<std::string> url,
    std::optional<Bytes> reqData,
    std::shared_ptr<SyncOfflineAddedFavoriteNewsInnerTaskDelegate> delegate)
    : HttpInnerTask(std::move(engine)),
      url_(std::move(url)),
      reqData_(std::move(reqData)),
      delegate_(std::move(delegate)) {}

void SyncOfflineAddedFavoriteNewsInnerTask::start() {
  TaskUtil::postEntryDocument(*httpEngine(), "PostRequestForEntryTask", url_, reqData_);
}

void SyncOfflineAddedFavoriteNewsInnerTask::onHttpError(int errCode,
                                                        const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

void SyncOfflineAddedFavoriteNewsInnerTask::onHttpSuccess(
    const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindNewsSummary);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  auto favorites = TaskUtil::favorites();
  const auto entries = TaskUtil::entriesOf(feed.get());
  if (!entries.empty()) {
    TaskUtil::takeFavoriteCount(*feed);
    for (const auto& entry : entries) {
      if (favorites && entry) favorites->deleteEntry(entry->entryId());
    }
  }
  if (feed->veskErrors()) {
    for (const auto& error : *feed->veskErrors()) {
      if (!error || !favorites) continue;
      const int code = GetServerErrorCode(error->reason());
      if (code == kFavoriteKnown1 || code == kFavoriteKnown2)
        favorites->deleteEntry(error->entryId());
    }
  }
  done(kErrOk, std::nullopt);
}

void SyncOfflineAddedFavoriteNewsInnerTask::finish(int errCode,
                                                   const std::optional<std::string>& errDesc) {
  std::shared_ptr<SyncOfflineAddedFavoriteNewsInnerTaskDelegate> delegate = std::move(delegate_);
  if (delegate) delegate->onSyncOfflineAddedFavoriteNewsInnerTaskFinished(this, errCode, errDesc);
}

}  // namespace zu
