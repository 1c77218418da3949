#include "engine/tasks/posts/PostRequestTask.h"

#include "engine/core/ErrorCodes.h"
#include "engine/tasks/support/TaskUtil.h"

namespace zu {

PostRequestTask::PostRequestTask(std::optional<std::string> url, std::optional<Bytes> reqData)
    : url_(std::move(url)), reqData_(std::move(reqData)) {}

void PostRequestTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  TaskUtil::postEntryDocument(*httpEngine(), "PostRequestTask", url_, reqData_);
}

void PostRequestTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& /*response*/) {
  done(kErrOk, std::nullopt);
}

}  // namespace zu
