#include "engine/tasks/sync/SyncGuestDataTask.h"

#include <string>
#include <vector>

#include "common/Log.h"
#include "common/UrlEncode.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/service/VeskError.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

namespace {
// The service does not know the column (any more).
constexpr int kReasonNoSuchColumn = 102;
}  // namespace

void SyncGuestDataTask::onServiceUrlReady() {
  auto engine = gDataEngine();
  auto urls = gUrlManager();
  getRecommend_ = engine && engine->needGetRecommend();
  if (getRecommend_) {
    std::optional<std::string> url = urls ? urls->getRecommendColumnsUrl() : std::nullopt;
    if (auto mid = DataEngine::getMid(); mid && url) {
      *url += "?mid=" + UrlEncode::encode(std::to_string(DataEngine::getMidInDecimal(*mid)));
    }
    VESKLogImpl("SyncGuestDataTask get recommend columns url=%s", url.value_or("(null)").c_str());
    httpEngine()->setUseCacheIfFail(false);
    httpEngine()->get(url);
    return;
  }
  auto store = TaskUtil::subscriptions();
  auto local = store ? store->allocReadEntriesInFeed(std::nullopt) : nullptr;
  if (!local) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  VESKLogImpl("SyncGuestDataTask local subscribed column feed title=%s entryCount=%d",
              local->title().value_or("(null)").c_str(),
              static_cast<int>(TaskUtil::entriesOf(local.get()).size()));
  httpEngine()->setUseCacheIfFail(false);
  httpEngine()->setCacheEnabled(false);
  httpEngine()->setHeaderField(std::string("Content-Type"), std::string("application/atom+xml"));
  httpEngine()->post(urls ? urls->refreshSubscribedColumnsUrl() : std::nullopt,
                     VESKAtomBuilder::allocFeedToXML(local.get()));
}

void SyncGuestDataTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindColumn);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  if (getRecommend_) {
    // One transaction; an entry without id cannot be stored and must not sink the others.
    std::vector<std::shared_ptr<Entry>> columns;
    for (const auto& entry : TaskUtil::entriesOf(feed.get())) {
      if (entry && entry->entryId()) columns.push_back(entry);
    }
    if (store) store->insertEntries(columns);
    if (engine) engine->setEverGetRecommend(true);
  } else if (feed->veskErrors() && store) {
    for (const auto& error : *feed->veskErrors()) {
      if (error && error->reason() == kReasonNoSuchColumn) store->deleteEntry(error->entryId());
    }
  }
  if (engine) engine->checkAndReportInstall();
  done(kErrOk, std::nullopt);
}

}  // namespace zu
