#include "engine/tasks/posts/GetUserInfoTask.h"

#include "common/Log.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/UserInfo.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

GetUserInfoTask::GetUserInfoTask(std::optional<std::string> url) : url_(std::move(url)) {}

void GetUserInfoTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  VESKLogImpl("GetUserInfoTask url=%s", url_.value_or("(null)").c_str());
  httpEngine()->get(url_);
}

void GetUserInfoTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto info = VESKAtomParser::allocParseUserinfo(TaskUtil::bodyText(*response));
  if (!info) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  VESKLogImpl("GetUserInfoTask success");
  if (auto observer = TaskUtil::observer()) observer->onUserInfoResult(sharedTask(), info);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
