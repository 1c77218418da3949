#include "engine/core/HttpInnerTask.h"

#include "common/Log.h"
#include "engine/core/ClassName.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/HttpTask.h"
#include "engine/http/HttpResponse.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

HttpInnerTask::HttpInnerTask(std::shared_ptr<HttpEngine> engine)
    : loan_(std::move(engine), this) {}

HttpInnerTask::~HttpInnerTask() = default;

std::string HttpInnerTask::className() const { return zu::className(typeid(*this)); }

void HttpInnerTask::run() {
  if (started_) return;
  started_ = true;
  self_ = std::static_pointer_cast<HttpInnerTask>(shared_from_this());
  std::shared_ptr<HttpInnerTask> keep = self_;
  inRun_ = true;
  // An engine given but not on loan (no hooks installed) could not be heard.
  if (!httpEngine() || loan_.isTaken()) {
    start();
  } else {
    VESKLogImpl("%s run: no HTTP engine hooks", className().c_str());
    done(kErrBadState, ErrorGetDescription(kErrBadState));
  }
  inRun_ = false;
}

void HttpInnerTask::done(int errCode, std::optional<std::string> errDesc) {
  if (doneCalled_) return;
  doneCalled_ = true;
  // The owner may start its next request on the engine as soon as it hears of the finish.
  loan_.handBack();
  std::shared_ptr<HttpInnerTask> self = std::move(self_);
  if (!self) self = std::static_pointer_cast<HttpInnerTask>(shared_from_this());
  if (inRun_) {
    // Finishing inside run(): the owner hears of it on a later pass of this thread's loop.
    RunLoop::current()->post([self, errCode, errDesc = std::move(errDesc)] {
      self->finish(errCode, errDesc);
    });
    return;
  }
  finish(errCode, errDesc);
}

void HttpInnerTask::onHttpEngineResult(HttpEngine* /*engine*/, int errCode,
                                       const std::shared_ptr<HttpResponse>& response) {
  std::shared_ptr<Object> keep = shared_from_this();
  if (errCode == 0 && !response) errCode = kErrNetError;  // success without a reply
  if (errCode != 0) {
    VESKLogImpl("%s onHttpEngineResult fail errCode=%d", className().c_str(), errCode);
    onHttpError(errCode, ErrorGetDescription(errCode));
    return;
  }
  int status = response->statusCode();
  int code = -1;
  std::optional<std::string> desc;
  if (HttpTask::httpErrorParser()(status, *response, &code, &desc)) {
    onHttpSuccess(response);
  } else {
    VESKLogImpl("%s parseHttpResult fail httpCode=%d reponse=%s.", className().c_str(), status,
                httpResponseLogText(status, *response).c_str());
    onHttpError(code, desc);
  }
}

void HttpInnerTask::onHttpError(int /*errCode*/, const std::optional<std::string>& /*errDesc*/) {
  VESKLogImpl("HttpInnerTask onHttpError in fail.");
}

void HttpInnerTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& /*response*/) {
  VESKLogImpl("HttpInnerTask onHttpSuccess in fail.");
}

}  // namespace zu
