#include "engine/core/HttpTask.h"

#include <atomic>

#include "common/Log.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/HttpEngineHooks.h"
#include "engine/http/HttpResponse.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

constexpr size_t kLogBodyLimit = 1024;

std::atomic<HttpErrorParser> gParseHttpResult{&basicHttpErrorParser};

}  // namespace

bool basicHttpErrorParser(int status, const HttpResponse& /*response*/, int* code,
                          std::optional<std::string>* desc) {
  if (status == 200) return true;
  *code = GetHttpSCErrorCode(status);
  *desc = ErrorGetDescription(*code);
  return false;
}

std::string httpResponseLogText(int status, const HttpResponse& response) {
  if (status == 404) return "not found";
  std::string_view body(reinterpret_cast<const char*>(response.responseBody().data()),
                        response.responseBody().size());
  if (!StringUtil::isValidUtf8(body)) return "(null)";
  if (StringUtil::utf16Length(body) > kLogBodyLimit) {
    return StringUtil::utf16Prefix(body, kLogBodyLimit);
  }
  return std::string(body);
}

void HttpTask::setHttpErrorParser(HttpErrorParser parser) {
  gParseHttpResult.store(parser ? parser : &basicHttpErrorParser);
}

HttpErrorParser HttpTask::httpErrorParser() { return gParseHttpResult.load(); }

void HttpTask::run() {
  Task::run();
  hooks_ = HttpEngineHooks::installed();
  if (hooks_) httpEngine_ = hooks_->getEngine();
  if (!httpEngine_) {
    VESKLogImpl("task %d %s run: no HTTP engine", getTaskId(), className().c_str());
    done(kErrBadState, ErrorGetDescription(kErrBadState));
    return;
  }
  hooks_->setObserver(*httpEngine_, this);
}

void HttpTask::cancel() {
  // A busy engine reports -6 inside this call, which finishes the task and gives the engine
  // back to the manager; the engine must outlive its own cancel.
  std::shared_ptr<HttpEngine> engine = httpEngine_;
  std::shared_ptr<HttpEngineHooks> hooks = hooks_;
  if (engine && hooks) hooks->cancel(*engine);
}

void HttpTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  if (httpEngine_) {
    std::shared_ptr<HttpEngine> engine = std::move(httpEngine_);
    httpEngine_.reset();
    hooks_->releaseEngine(engine);
  }
  Task::finish(errCode, errDesc);
}

void HttpTask::onHttpEngineResult(HttpEngine* /*engine*/, int errCode,
                                  const std::shared_ptr<HttpResponse>& response) {
  // The result may finish the task and drop the running list's reference to it.
  std::shared_ptr<Task> self = sharedTask();
  if (errCode == 0 && !response) errCode = kErrNetError;  // success without a reply
  if (errCode != 0) {
    VESKLogImpl("task %d %s onHttpEngineResult fail errCode=%d", getTaskId(),
                className().c_str(), errCode);
    onHttpError(errCode, ErrorGetDescription(errCode));
    return;
  }
  int status = response->statusCode();
  VESKLogImpl("task %d %s onHttpEngineResult httpCode=%d reponse=%s.", getTaskId(),
              className().c_str(), status, httpResponseLogText(status, *response).c_str());
  int code = -1;
  std::optional<std::string> desc;
  if (httpErrorParser()(status, *response, &code, &desc)) {
    onHttpSuccess(response);
  } else {
    onHttpError(code, desc);
  }
}

void HttpTask::onHttpError(int errCode, const std::optional<std::string>& errDesc) {
  done(errCode, errDesc);
}

void HttpTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& /*response*/) {
  VESKLogImpl("HttpTask onHttpSuccess in fail.");
}

}  // namespace zu
