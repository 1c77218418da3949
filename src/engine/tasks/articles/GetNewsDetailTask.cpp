#include "engine/tasks/articles/GetNewsDetailTask.h"

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/service/VeskFavorite.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

GetNewsDetailTask::GetNewsDetailTask(std::optional<std::string> url) : url_(std::move(url)) {}

void GetNewsDetailTask::markCollectedFromLocal(NewsDetail& dynamicPart,
                                               const std::optional<std::string>& entryId) {
  auto favorites = TaskUtil::favorites();
  if (!favorites || !favorites->isEntryExist(entryId)) return;
  if (!dynamicPart.veskFavorite()) dynamicPart.setVeskFavorite(std::make_shared<VeskFavorite>());
  dynamicPart.veskFavorite()->setCollected(1);
}

void GetNewsDetailTask::run() {
  VESKLogImpl("GetNewsDetailTask url=%s", url_.value_or("(null)").c_str());
  HttpTask::run();
  if (!httpEngine()) return;
  httpEngine()->get(url_);
}

void GetNewsDetailTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto observer = TaskUtil::observer();
  if (!getDynamic_) {
    auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindNewsDetail);
    if (!feed) {
      TaskUtil::logParseError(httpEngine().get(), *this, *response);
      done(kErrDataParse, ErrorGetDescription(kErrDataParse));
      return;
    }
    if (observer) observer->onFeedResult(sharedTask(), feed);
    const auto entries = TaskUtil::entriesOf(feed.get());
    auto detail = entries.empty() ? nullptr : std::dynamic_pointer_cast<NewsDetail>(entries[0]);
    if (detail && detail->veskExtraLink() && detail->veskExtraLink()->href()) {
      newsDetailId_ = detail->entryId();
      getDynamic_ = true;
      httpEngine()->get(detail->veskExtraLink()->href());
      return;
    }
    done(kErrOk, std::nullopt);
    return;
  }
  auto dynamicPart =
      VESKAtomParser::allocParseNewsDetailDynamicEntry(TaskUtil::bodyText(*response));
  if (dynamicPart) {
    auto engine = gDataEngine();
    const bool collected =
        dynamicPart->veskFavorite() && dynamicPart->veskFavorite()->collected() == 1;
    if (!(engine && !engine->isAnonymous() && collected)) {
      markCollectedFromLocal(*dynamicPart, newsDetailId_);
    }
    if (observer) observer->onEntryResult(sharedTask(), dynamicPart);
  }
  done(kErrOk, std::nullopt);
}

}  // namespace zu
