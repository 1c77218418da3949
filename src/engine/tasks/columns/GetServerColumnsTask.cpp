#include "engine/tasks/columns/GetServerColumnsTask.h"

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/GetServiceUrlInnerTask.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskSubscribe.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

GetServerColumnsTask::GetServerColumnsTask(std::optional<std::string> url) : url_(std::move(url)) {
  resultEntrys_.reserve(50);
}

void GetServerColumnsTask::run() {
  VESKLogImpl("GetServerColumnsTask start url=%s", url_.value_or("(null)").c_str());
  HttpTask::run();
  if (!httpEngine()) return;
  if (url_) {
    if (customization_ && customization_->isMBlogType()) {
      if (!TaskUtil::postMicroblogRequest(*httpEngine(), url_, customization_)) {
        done(kErrBadState, ErrorGetDescription(kErrBadState));
      }
      return;
    }
    httpEngine()->get(url_);
    return;
  }
  auto urls = gUrlManager();
  if (urls && urls->isEverSet()) {
    httpEngine()->get(urls->getServerColumnsUrl());
    return;
  }
  auto self = std::dynamic_pointer_cast<GetServiceUrlInnerTaskDelegate>(sharedTask());
  std::make_shared<GetServiceUrlInnerTask>(httpEngine(), self)->run();
}

void GetServerColumnsTask::onGetServiceUrlInnerTaskFinished(
    GetServiceUrlInnerTask* /*task*/, int errCode, const std::optional<std::string>& errDesc) {
  if (isDone() || !httpEngine()) return;
  if (errCode != kErrOk) {
    done(errCode, errDesc);
    return;
  }
  auto urls = gUrlManager();
  httpEngine()->get(urls ? urls->getServerColumnsUrl() : std::nullopt);
}

void GetServerColumnsTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindColumn);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  if (!getSubUrl_) {
    resultFeed_ = feed;
    total_ = TaskUtil::entriesOf(feed.get()).size();
    currIndex_ = 0;
    getSubUrl_ = true;
  } else {
    for (const auto& entry : TaskUtil::entriesOf(feed.get())) resultEntrys_.push_back(entry);
  }
  checkAndDownloadNextSubUrl();
}

void GetServerColumnsTask::checkAndDownloadNextSubUrl() {
  const auto entries = TaskUtil::entriesOf(resultFeed_.get());
  while (currIndex_ < total_ && currIndex_ < entries.size()) {
    const auto& entry = entries[currIndex_++];
    if (!entry) continue;
    if (entry->category() && entry->category()->getnext()) {
      // A sub-list: its entries come back through onHttpSuccess and take this one's place.
      if (entry->alternatelink() && entry->alternatelink()->href()) {
        httpEngine()->get(entry->alternatelink()->href());
        return;
      }
      continue;
    }
    resultEntrys_.push_back(entry);
  }
  notifyResultFeed();
}

void GetServerColumnsTask::notifyResultFeed() {
  resultFeed_->setEntrys(resultEntrys_);
  addSubscribedStateFromLocal(*resultFeed_);
  auto images = DownloadImageInnerTask::extractImageUrls(*resultFeed_);
  if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), resultFeed_);
  downloadImagesThenFinish(images.value_or(std::vector<std::string>()));
}

void GetServerColumnsTask::addSubscribedStateFromLocal(const Feed& feed) {
  auto store = TaskUtil::subscriptions();
  for (const auto& entry : TaskUtil::entriesOf(&feed)) {
    if (!entry || !entry->entryId()) continue;
    bool deleted = false;
    const bool exists = store && store->isColumnExistWithDeletedMark(entry->entryId(), &deleted);
    const bool subscribed = exists && !deleted;
    if (subscribed && !entry->veskSubscribe()) {
      entry->setVeskSubscribe(std::make_shared<VeskSubscribe>());
    }
    if (entry->veskSubscribe()) entry->veskSubscribe()->setSubscribed(subscribed ? 1 : 0);
  }
}

}  // namespace zu
