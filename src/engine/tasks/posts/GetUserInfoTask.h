// GetUserInfoTask: fetches a reader's profile from its user-info address and hands it to the
// observer (onUserInfoResult) before finishing with 0; a reply that does not parse finishes
// with -5000.
//
// Made by DataEngine::createGetUserInfoTask; runs on the "task" thread.
#pragma once

#include <optional>
#include <string>

#include "engine/core/HttpTask.h"

namespace zu {

class GetUserInfoTask : public HttpTask {
 public:
  explicit GetUserInfoTask(std::optional<std::string> url);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  std::optional<std::string> url_;
};

}  // namespace zu
