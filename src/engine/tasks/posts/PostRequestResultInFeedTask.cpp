#include "engine/tasks/posts/PostRequestResultInFeedTask.h"

#include "engine/core/ErrorCodes.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Feed.h"
#include "model/service/VeskError.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

namespace {
// The item the request named is not there (a favourite already removed).
constexpr int kReasonNotFound = 102;
}  // namespace

void PostRequestResultInFeedTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindEntry);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  if (feed->veskOKs() && !feed->veskOKs()->empty()) {
    if (delFavoriteNews_) TaskUtil::takeFavoriteCount(*feed);
    done(kErrOk, std::nullopt);
    return;
  }
  if (feed->veskErrors() && !feed->veskErrors()->empty() && feed->veskErrors()->front()) {
    const VeskError& error = *feed->veskErrors()->front();
    if (error.reason() == kReasonNotFound) {
      if (delFavoriteNews_) {
        TaskUtil::takeFavoriteCount(*feed);
        done(kErrOk, std::nullopt);
        return;
      }
      done(GetServerErrorCode(kReasonNotFound), error.desc());
      return;
    }
    done(TaskUtil::serverErrorOf(error), error.desc());
    return;
  }
  done(kErrDataParse, ErrorGetDescription(kErrDataParse));
}

}  // namespace zu
