#include "engine/tasks/sync/SyncAccountDataTask.h"

#include <algorithm>
#include <set>
#include <string>

#include "common/Log.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/columns/SaveSubSequenceTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskFavorite.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomParser.h"
#include "store/BookMgr.h"
#include "store/EntryPersistenter.h"

namespace zu {

void SyncAccountDataTask::onServiceUrlReady() {
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  if (!engine || !store || !engine->isUserFirstLogin() ||
      DESettings::guestSubscribeColumnEverSync()) {
    getUserSubSummary();
    return;
  }
  auto guestColumns = store->allocReadEntriesInFeedwithUsername(
      std::nullopt, std::string(DataEngine::kGuestUserName), false);
  auto urls = gUrlManager();
  syncGuestSubColumns_ = true;
  httpEngine()->setUseCacheIfFail(false);
  httpEngine()->setCacheEnabled(false);
  httpEngine()->setHeaderField(std::string("Content-Type"), std::string("application/atom+xml"));
  httpEngine()->post(urls ? urls->addSubscribedColumnUrl() : std::nullopt,
                     VESKAtomBuilder::allocFeedToXML(guestColumns.get()));
}

void SyncAccountDataTask::getUserSubSummary() {
  auto urls = gUrlManager();
  syncSubSummary_ = true;
  httpEngine()->setUseCacheIfFail(false);
  httpEngine()->setCacheEnabled(true);
  httpEngine()->get(urls ? urls->getUserSubSummaryUrl() : std::nullopt);
}

void SyncAccountDataTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  if (syncGuestSubColumns_) {
    // The service holds the guest's columns now (the answer itself is not needed).
    syncGuestSubColumns_ = false;
    DESettings::setGuestSubscribeColumnEverSync(true);
    auto engine = gDataEngine();
    if (auto store = TaskUtil::subscriptions(); store && engine) {
      store->saveCurrentTimeWhenSync(engine->getUsername());
    }
    getUserSubSummary();
    if (engine && engine->getBookMgr()) engine->getBookMgr()->syncBookFromAnonymous();
    return;
  }
  if (syncSubSummary_) {
    syncSubSummary_ = false;
    mergeSubSummary(*response);
  }
}

void SyncAccountDataTask::mergeSubSummary(const HttpResponse& response) {
  std::shared_ptr<UserInfo> userInfo;
  std::shared_ptr<VeskFavorite> favorite;
  std::vector<std::shared_ptr<Entry>> subColumns;
  int64_t serverTime = 0;
  if (!VESKAtomParser::allocParseUserSubSummary(TaskUtil::bodyText(response), &userInfo,
                                                &favorite, &subColumns, &serverTime)) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  auto engine = gDataEngine();
  auto store = TaskUtil::subscriptions();
  if (store) {
    const std::vector<std::string> serverIds = TaskUtil::entryIds(subColumns);
    const std::set<std::string> onServer(serverIds.begin(), serverIds.end());
    auto local = store->allocReadEntriesInFeed(std::nullopt);
    std::vector<std::string> gone;
    for (const std::string& id : TaskUtil::entryIds(TaskUtil::entriesOf(local.get()))) {
      if (!onServer.count(id)) gone.push_back(id);
    }
    for (const auto& column : subColumns) {
      if (!column || !column->entryId()) continue;
      auto stored = store->allocReadEntry(column->entryId());
      if (!stored) {
        store->insertEntry(column);
      } else if (column->veskCustomization() && !stored->veskCustomization()) {
        store->updateEntry(column);
      }
    }
    for (const std::string& id : gone) store->deleteEntry(id);
    checkAndUpdateColumnsOrder(serverTime, subColumns);
  }
  if (engine && userInfo) {
    if (auto xml = VESKAtomBuilder::allocUserinfoToXML(userInfo.get())) {
      engine->getUniqueCache()->saveData(*xml, UniqueCache::kUserInfoKey,
                                         engine->createUserInfoUrl(std::nullopt));
    }
  }
  if (engine && favorite) engine->setFavoriteNewsCount(favorite->count());
  if (engine) engine->checkAndReportInstall();
  done(kErrOk, std::nullopt);
}

void SyncAccountDataTask::checkAndUpdateColumnsOrder(
    int64_t serverTime, const std::vector<std::shared_ptr<Entry>>& subColumns) {
  const int64_t localChangeTime = DESettings::getSubSequenceLocalChangeTime();
  if (localChangeTime > 0) {
    if (localChangeTime > serverTime) {
      if (auto engine = gDataEngine()) engine->asyncRunTask(std::make_shared<SaveSubSequenceTask>());
      return;
    }
    DESettings::setSubSequenceLocalChangeTime(0);
  }
  if (DESettings::getSubSequenceUpdateTime() < serverTime) {
    VESKLogImpl("update columns order from server time %lld", static_cast<long long>(serverTime));
    if (auto store = TaskUtil::subscriptions()) store->updateOrder(subColumns);
    DESettings::setSubSequenceUpdateTime(serverTime);
  }
}

}  // namespace zu
