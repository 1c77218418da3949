// UpdateUserInfoTask: sends the reader's edited profile to the service. With a local icon file
// the file is uploaded first ("application/octet-stream") to the icon address; the service
// answers with an entry whose content's src is the stored icon's address, which becomes the
// profile's icon (the caller's UserInfo is changed) before the profile document is posted.
// Without an icon file the profile is posted at once. After the profile post the profile, with
// its limits, is kept in the unique cache as the current user's ("userinfo" under the user-info
// URL) and the task finishes with 0. An icon reply without an address finishes with -5000.
// Both requests run with the response cache off.
//
// Made by DataEngine::createUpdateUserInfoTask; runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/core/HttpTask.h"

namespace zu {

class UserInfo;

class UpdateUserInfoTask : public HttpTask {
 public:
  UpdateUserInfoTask(std::shared_ptr<UserInfo> userInfo, std::optional<std::string> iconLocalPath);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;

 private:
  // Posts the profile document with the content type.
  void postProfile(const std::string& contentType);

  std::shared_ptr<UserInfo> userInfo_;
  // The icon file; cleared once its upload was answered.
  std::optional<std::string> iconLocalPath_;
};

}  // namespace zu
