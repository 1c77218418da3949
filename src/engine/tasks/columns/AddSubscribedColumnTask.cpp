#include "engine/tasks/columns/AddSubscribedColumnTask.h"

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/sync/SyncDeleteStatusTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskError.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/device/DeviceProfile.h"
#include "store/BookMgr.h"
#include "store/EntryPersistenter.h"

namespace zu {

AddSubscribedColumnTask::AddSubscribedColumnTask(std::shared_ptr<Column> column,
                                                 std::optional<std::string> customName)
    : column_(std::move(column)), customName_(std::move(customName)) {}

void AddSubscribedColumnTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto store = TaskUtil::subscriptions();
  auto deleted = store ? store->allocReadEntriesInFeedWithDeletedMark() : nullptr;
  auto columns = TaskUtil::entriesOf(deleted.get());
  if (columns.empty()) {
    addSubscribedColumn();
    return;
  }
  auto sync = std::make_shared<SyncDeleteStatusTask>(std::move(columns));
  sync->setDelegate(std::dynamic_pointer_cast<SyncDeleteStatusTaskDelegate>(sharedTask()));
  waitingForDeletions_ = true;
  if (auto engine = gDataEngine()) engine->asyncRunTask(sync);
}

void AddSubscribedColumnTask::cancel() {
  if (waitingForDeletions_ && !isDone()) {
    waitingForDeletions_ = false;
    done(kErrCancelled, ErrorGetDescription(kErrCancelled));
    return;
  }
  HttpTask::cancel();
}

void AddSubscribedColumnTask::onSyncDeleteStatusTaskFinished(
    SyncDeleteStatusTask* /*task*/, int errCode, const std::optional<std::string>& errDesc) {
  waitingForDeletions_ = false;
  if (isDone() || !httpEngine()) return;
  if (errCode != kErrOk) {
    done(errCode, errDesc);
    return;
  }
  addSubscribedColumn();
}

void AddSubscribedColumnTask::addSubscribedColumn() {
  const auto& customization = column_->veskCustomization();
  std::optional<std::string> url;
  std::optional<Bytes> body;
  if (!customization) {
    auto urls = gUrlManager();
    url = urls ? urls->addSubscribedColumnUrl() : std::nullopt;
    body = VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(customName_, column_->entryId(),
                                                            DeviceProfile::uniqueIdentifier());
  } else if (customization->isMBlogType()) {
    url = customization->subHref();
    std::optional<DataEngine::MicroblogCredentials> credentials;
    auto engine = gDataEngine();
    if (!engine || engine->microblogCredentials(customization, true, &credentials) != kErrOk ||
        !credentials) {
      done(kErrBadState, ErrorGetDescription(kErrBadState));
      return;
    }
    body = VESKAtomBuilder::allocAddCustomMBlogXML(credentials->accessToken, credentials->secret,
                                                   column_->title(), column_->entryId(),
                                                   customization->type(), customization->id());
  } else {
    url = customization->subHref();
    body = VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(
        customName_, column_->entryId(), customization.get(), DeviceProfile::uniqueIdentifier());
  }
  VESKLogImpl("PostRequestForEntryTask url=%s data=%s", url.value_or("(null)").c_str(),
              TaskUtil::logText(body).c_str());
  httpEngine()->setHeaderField(std::string("Content-Type"),
                               std::string("application/atom+xml;type=entry"));
  httpEngine()->setCacheEnabled(false);
  httpEngine()->post(url, std::move(body));
}

void AddSubscribedColumnTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindColumn);
  const auto entries = TaskUtil::entriesOf(feed.get());
  if (!entries.empty() && entries.front()) {
    const auto& column = entries.front();
    auto engine = gDataEngine();
    if (auto store = TaskUtil::subscriptions()) store->insertEntry(column);
    if (engine && TaskUtil::isBook(column.get()) &&
        engine->isBookDownloaded(column->entryId())) {
      engine->getBookMgr()->copyBookCatalogFromOther(column->entryId());
    }
    if (auto observer = TaskUtil::observer()) observer->onEntryResult(sharedTask(), column);
    done(kErrOk, std::nullopt);
    return;
  }
  if (feed && feed->veskErrors() && !feed->veskErrors()->empty() && feed->veskErrors()->front()) {
    const auto& error = *feed->veskErrors()->front();
    done(TaskUtil::serverErrorOf(error), error.desc());
    return;
  }
  done(kErrDataParse, ErrorGetDescription(kErrDataParse));
}

}  // namespace zu
