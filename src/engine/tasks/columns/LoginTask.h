// LoginTask: checks a reader's name and password with the service. A login with exactly the
// pair of the last successful login (and no forced check) succeeds at once without a request;
// otherwise the login address (learned from the service URL feed, fetched first when the URL
// table is still empty) is asked with the credentials, which the HTTP engine answers the
// service's authentication challenge with. The service's reply goes to onFeedResult; the five
// refusals of the service come back as the login codes -1000 ... -1004, so that the screen
// explains them and the relogin handling of server authorisation errors is not raised.
//
// The caller makes the user current (DataEngine::setUsername) on 0. Made by
// DataEngine::createLoginTask (the name already lower-cased); runs on the "task" thread.
#pragma once

#include <string>

#include "engine/core/ServiceUrlTask.h"

namespace zu {

class LoginTask : public ServiceUrlTask {
 public:
  LoginTask(std::string username, std::string password, bool forceServerAuth);

  // The login code for a refusal of the service (-100012 ... -100001), any other unchanged.
  static int loginErrorCode(int errCode);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;

 protected:
  void onServiceUrlReady() override;

 private:
  void login(const std::optional<std::string>& url);

  const std::string username_;
  const std::string password_;
  const bool forceServerAuth_;
};

}  // namespace zu
