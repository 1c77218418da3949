#include "engine/tasks/posts/PostRequestForEntryTask.h"

#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Entry.h"
#include "model/entry/Link.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

PostRequestForEntryTask::PostRequestForEntryTask(std::optional<std::string> url,
                                                 std::optional<Bytes> reqData, int32_t type)
    : url_(std::move(url)), reqData_(std::move(reqData)), type_(type) {}

void PostRequestForEntryTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  TaskUtil::postEntryDocument(*httpEngine(), "PostRequestForEntryTask", url_, reqData_);
}

void PostRequestForEntryTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto entry = VESKAtomParser::allocParseEntry(TaskUtil::bodyText(*response), type_);
  if (!entry) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  std::vector<std::string> images;
  if (type_ == kEntryKindComment) {
    if (auto href = TaskUtil::hrefOf(entry->coverImageThumbnailLink())) images.push_back(*href);
  }
  if (auto observer = TaskUtil::observer()) observer->onEntryResult(sharedTask(), entry);
  downloadImagesThenFinish(std::move(images));
}

}  // namespace zu
