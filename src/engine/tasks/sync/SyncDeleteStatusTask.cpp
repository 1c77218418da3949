#include "engine/tasks/sync/SyncDeleteStatusTask.h"

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/service/VeskError.h"
#include "model/service/VeskOK.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

namespace {
// The service has no such subscription: the local column may go.
constexpr int kReasonNotSubscribed = 102;
}  // namespace

SyncDeleteStatusTask::SyncDeleteStatusTask(std::vector<std::shared_ptr<Entry>> deletedColumns)
    : deletedColumns_(std::move(deletedColumns)) {
  setMute(true);
}

void SyncDeleteStatusTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  if (deletedColumns_.empty()) {
    done(kErrOk, std::nullopt);
    return;
  }
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  if (engine && engine->isAnonymous()) {
    for (const auto& column : deletedColumns_) {
      if (store && column) store->deleteEntry(column->entryId());
    }
    done(kErrOk, std::nullopt);
    return;
  }
  auto urls = gUrlManager();
  std::optional<std::string> url = urls ? urls->delSubscribedColumnUrl() : std::nullopt;
  std::optional<Bytes> body =
      VESKAtomBuilder::allocDeleteSubscriptionBatchXML(TaskUtil::entryIds(deletedColumns_));
  VESKLogImpl("PostRequestTask url=%s data=%s", url.value_or("(null)").c_str(),
              TaskUtil::logText(body).c_str());
  httpEngine()->setHeaderField(std::string("Content-Type"), std::string("application/atom+xml"));
  httpEngine()->setCacheEnabled(false);
  httpEngine()->post(url, std::move(body));
}

void SyncDeleteStatusTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindEntry);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  auto store = TaskUtil::subscriptions();
  if (feed->veskOKs() && !feed->veskOKs()->empty()) {
    for (const auto& ok : *feed->veskOKs()) {
      if (store && ok) store->deleteEntry(ok->entryId());
    }
    done(kErrOk, std::nullopt);
    return;
  }
  // A reply with neither ok nor error items confirms nothing; the columns stay marked and the
  // next sync sends them again, but whoever waits is let go with 0.
  int result = kErrOk;
  if (feed->veskErrors()) {
    for (const auto& error : *feed->veskErrors()) {
      if (!error) continue;
      if (error->reason() == kReasonNotSubscribed) {
        if (store) store->deleteEntry(error->entryId());
      } else {
        result = kErrFail;
      }
    }
  }
  done(result, std::nullopt);
}

void SyncDeleteStatusTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  if (auto delegate = delegate_.lock()) {
    delegate_.reset();
    delegate->onSyncDeleteStatusTaskFinished(this, errCode, errDesc);
  }
  HttpTask::finish(errCode, errDesc);
}

}  // namespace zu
