#include "engine/tasks/posts/ReportTask.h"

#include "common/Log.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"

namespace zu {

ReportTask::ReportTask(std::optional<std::string> url) : ReportTask(std::move(url), std::nullopt) {}

ReportTask::ReportTask(std::optional<std::string> url, std::optional<Bytes> data)
    : url_(std::move(url)), data_(std::move(data)) {
  setMute(true);
}

void ReportTask::run() {
  HttpTask::run();
  if (!httpEngine()) return;
  VESKLogImpl("ReportTask start url=%s", url_.value_or("(null)").c_str());
  httpEngine()->setCacheEnabled(false);
  if (data_) {
    httpEngine()->setHeaderField(std::string("Content-Type"), std::string("application/xml"));
    httpEngine()->post(url_, data_);
  } else {
    httpEngine()->get(url_);
  }
}

void ReportTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& /*response*/) {
  VESKLogImpl("ReportTask success url=%s", url_.value_or("(null)").c_str());
  done(kErrOk, std::nullopt);
}

}  // namespace zu
