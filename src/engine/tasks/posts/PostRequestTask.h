// PostRequestTask: POSTs a request document the factory built (an entry document, or no body)
// to one address and finishes with 0 on any success; the reply is not read. The response cache
// is off for it: the post changes something on the service. PostRequestResultInFeedTask reads
// the reply as well.
//
// Made by the facade's factories (password change, rating, comment deletion); runs on the
// "task" thread.
#pragma once

#include <optional>
#include <string>

#include "engine/core/HttpTask.h"
#include "platform/runtime/Value.h"

namespace zu {

class PostRequestTask : public HttpTask {
 public:
  PostRequestTask(std::optional<std::string> url, std::optional<Bytes> reqData);

  const std::optional<std::string>& url() const { return url_; }
  const std::optional<Bytes>& reqData() const { return reqData_; }

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::optional<std::string> url_;
  std::optional<Bytes> reqData_;
};

}  // namespace zu
