// ReportTask: one silent statistics report to the service: a GET of the report address, or,
// when a body is given, a POST of that XML document ("Content-Type" "application/xml"). The
// reply is not read; a success finishes with 0. The task is muted, so neither its success nor
// a failure reaches the finish observer: the facade's usage reports start one and forget it.
// The response cache is off for it (a report must reach the service every time).
//
// Made by the facade's usage reports; runs on the "task" thread like every task.
#pragma once

#include <optional>
#include <string>

#include "engine/core/HttpTask.h"
#include "platform/runtime/Value.h"

namespace zu {

class ReportTask : public HttpTask {
 public:
  // A GET of `url`.
  explicit ReportTask(std::optional<std::string> url);
  // A POST of `data` to `url` (a GET when `data` is absent).
  ReportTask(std::optional<std::string> url, std::optional<Bytes> data);

  const std::optional<std::string>& url() const { return url_; }
  const std::optional<Bytes>& data() const { return data_; }

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::optional<std::string> url_;
  std::optional<Bytes> data_;
};

}  // namespace zu
