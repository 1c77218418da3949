#include "engine/tasks/books/GetBookDetailInfoTask.h"

#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "model/entry/Feed.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

GetBookDetailInfoTask::GetBookDetailInfoTask(std::string url) : url_(std::move(url)) {}

void GetBookDetailInfoTask::run() {
  HttpTask::run();
  if (httpEngine()) httpEngine()->get(url_);
}

void GetBookDetailInfoTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskSupport::bodyText(*response), kEntryKindPlain);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  if (auto observer = TaskSupport::observer()) observer->onFeedResult(sharedTask(), feed);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
