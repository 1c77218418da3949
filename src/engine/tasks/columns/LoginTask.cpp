#include "engine/tasks/columns/LoginTask.h"

#include "common/Log.h"
#include "common/UrlEncode.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/entry/Feed.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/device/DeviceProfile.h"

namespace zu {

LoginTask::LoginTask(std::string username, std::string password, bool forceServerAuth)
    : username_(std::move(username)),
      password_(std::move(password)),
      forceServerAuth_(forceServerAuth) {}

int LoginTask::loginErrorCode(int errCode) {
  switch (errCode) {
    case -100012:
      return kErrLoginRefused12;
    case -100011:
      return kErrLoginRefused11;
    case -100010:
      return kErrLoginRefused10;
    case -100002:
      return kErrLoginRefused2;
    case -100001:
      return kErrLoginRefused1;
    default:
      return errCode;
  }
}

void LoginTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  auto engine = gDataEngine();
  if (!forceServerAuth_ && engine) {
    auto lastName = engine->getLastLoginUsername();
    auto lastPassword = engine->getLastLoginPassword();
    if (lastName && lastPassword && *lastName == username_ && *lastPassword == password_) {
      VESKLogImpl("LoginTask success");
      done(kErrOk, std::nullopt);
      return;
    }
  }
  startWithServiceUrl();
}

// The device's id goes with the login only when the table was filled before this task.
void LoginTask::onServiceUrlReady() {
  auto urls = gUrlManager();
  auto address = urls ? urls->loginUrl() : std::nullopt;
  if (address && !serviceUrlFetched()) {
    *address += "?did=" + UrlEncode::encode(DeviceProfile::uniqueIdentifier());
  }
  login(address);
}

void LoginTask::login(const std::optional<std::string>& url) {
  httpEngine()->setLoginingName(username_);
  httpEngine()->setLoginingPassword(password_);
  httpEngine()->get(url);
}

void LoginTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskUtil::bodyText(*response), kEntryKindEntry);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  if (auto observer = TaskUtil::observer()) observer->onFeedResult(sharedTask(), feed);
  VESKLogImpl("LoginTask success");
  done(kErrOk, std::nullopt);
}

void LoginTask::onHttpError(int errCode, const std::optional<std::string>& errDesc) {
  done(loginErrorCode(errCode), errDesc);
}

}  // namespace zu
