#include "engine/tasks/comments/GetCommentsTask.h"

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Author.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

GetCommentsTask::GetCommentsTask(std::optional<std::string> url) : url_(std::move(url)) {}

std::optional<std::vector<std::string>> GetCommentsTask::extractImageUrls(const Feed& feed) {
  if (!feed.entrys()) return std::nullopt;
  std::vector<std::string> urls;
  urls.reserve(20);
  for (const auto& entry : *feed.entrys()) {
    if (!entry) continue;
    if (const auto& thumbnail = entry->coverImageThumbnailLink(); thumbnail && thumbnail->href()) {
      urls.push_back(*thumbnail->href());
    }
    if (entry->author() && entry->author()->profileImageLink() &&
        entry->author()->profileImageLink()->href()) {
      urls.push_back(*entry->author()->profileImageLink()->href());
    }
  }
  return urls;
}

void GetCommentsTask::run() {
  VESKLogImpl("GetCommentsTask start url=%s", url_.value_or("(null)").c_str());
  HttpTask::run();
  if (!httpEngine()) return;
  if (customization_ && customization_->isMBlogType()) {
    if (!TaskUtil::postMicroblogRequest(*httpEngine(), url_, customization_)) {
      done(kErrBadState, ErrorGetDescription(kErrBadState));
    }
    return;
  }
  httpEngine()->get(url_);
}

void GetCommentsTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindComment);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  auto images = extractImageUrls(*feed);
  if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), feed);
  downloadImagesThenFinish(images.value_or(std::vector<std::string>()));
}

void GetCommentsTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  customization_.reset();
  HttpTask::finish(errCode, errDesc);
}

}  // namespace zu
