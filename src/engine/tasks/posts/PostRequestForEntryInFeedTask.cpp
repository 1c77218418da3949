#include "engine/tasks/posts/PostRequestForEntryInFeedTask.h"

#include "common/Log.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/service/VeskError.h"
#include "model/atom/VESKAtomParser.h"
#include "store/EntryPersistenter.h"

namespace zu {

namespace {
// The service holds the favourite already.
constexpr int kFavoriteKnown = -100104;
}  // namespace

void PostRequestForEntryInFeedTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), type());
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  const auto entries = TaskUtil::entriesOf(feed.get());
  if (!entries.empty() && entries.front()) {
    const auto& first = entries.front();
    VESKLogImpl("PostRequestForEntryTask get entry title=%s",
                first->title().value_or("(null)").c_str());
    if (addFavorite_) {
      TaskUtil::takeFavoriteCount(*feed);
      if (auto favorites = TaskUtil::favorites()) {
        favorites->deleteEntries(TaskUtil::entryIds(entries));
      }
    }
    if (auto observer = TaskUtil::observer()) observer->onEntryResult(sharedTask(), first);
    done(kErrOk, std::nullopt);
    return;
  }
  if (feed->veskErrors() && !feed->veskErrors()->empty() && feed->veskErrors()->front()) {
    const VeskError& error = *feed->veskErrors()->front();
    const int code = TaskUtil::serverErrorOf(error);
    if (addFavorite_ && code == kFavoriteKnown) {
      if (auto favorites = TaskUtil::favorites()) favorites->deleteEntry(error.entryId());
    }
    done(code, error.desc());
    return;
  }
  done(kErrDataParse, ErrorGetDescription(kErrDataParse));
}

}  // namespace zu
