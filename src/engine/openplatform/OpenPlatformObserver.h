// OpenPlatformObserver: how an open-platform client reports to the screen that started it (the
// authorisation screen or the share screen), on the main thread. Set on the client with
// setObserver(); not retained: the screen clears it before it goes away. Nothing the observer
// does is reported back to the client; it may reset the factory from inside a callback.
#pragma once

#include <string>

namespace zu {

class OpenPlatformBase;

class OpenPlatformObserver {
 public:
  virtual ~OpenPlatformObserver() = default;
  // Show this authorisation page; pass every later navigation of it to
  // OpenPlatformFactory::OnAuthShouldStartNtf with the client's platform number.
  virtual void onOPAuthorizeUrl(OpenPlatformBase* client, const std::string& url) = 0;
  // The account is bound and stored.
  virtual void onOPLoginSucc(OpenPlatformBase* client) = 0;
  virtual void onOPPostSuccess(OpenPlatformBase* client) = 0;
  // `errorCode` is an OpenPlatformError code or a connection error code.
  virtual void onOPError(OpenPlatformBase* client, int errorCode, const std::string& errorDesc) = 0;
};

}  // namespace zu
