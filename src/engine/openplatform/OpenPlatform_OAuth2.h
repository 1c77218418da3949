// OpenPlatform_OAuth2: the common client of the OAuth 2 platforms (Renren, Kaixin), bound
// through the implicit grant: the authorisation page redirects to a callback address whose URL
// carries the access token, which the client picks out ("Notification_Opt_BindOk"), then it
// fetches the user information and stores the account. Posts, answer checks and unbinding on
// refused credentials follow the same shape as the OAuth 1.0a clients.
//
// Where we differ on purpose: were a token taken from any address that began with the
// callback's text, a page (or a frame in it) could bind someone else's account. Each binding
// sends a fresh unguessable `state` with the authorisation page's address; a callback counts
// only at exactly the configured callback address (scheme, host, port and path), and its token
// is taken only with that state — once: a callback without it is refused ("参数错误").
//
// Main thread only, made by OpenPlatformFactory. Each request is a MyUrlConnection; starting one
// replaces the held one without cancelling it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/openplatform/MyUrlConnection.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "platform/net/UrlRequest.h"

namespace zu {

class OpenPlatform_OAuth2 : public OpenPlatformBase {
 public:
  void init(int platform) override;
  // Sends the observer the authorisation page, carrying a fresh `state`.
  void authLogin() override;
  void OnAuthoriztionRet(const std::optional<std::string>& url) override;
  // Exactly the configured callback address, whatever its query and fragment.
  bool isCallbackUrl(const std::string& url) const override;
  // Where the platform sends the token: Renren's login-success page unless overridden.
  virtual std::string callbackUrl() const;
  // The state of the binding under way; nullopt when none is.
  const std::optional<std::string>& authState() const { return state_; }
  void PostContent(const std::optional<std::string>& text) override;
  // A share with a title and a link; the text already carries the link.
  virtual void PostContentTitle(const std::optional<std::string>& text,
                                const std::optional<std::string>& titleDesc,
                                const std::optional<std::string>& titleUrl);
  void clearAuthInfo() override;

  int statusCode() const { return statusCode_; }
  const std::shared_ptr<MyUrlConnection>& urlConnection() const { return urlConnection_; }

  // MyUrlConnectionDelegate
  void myConnectionDidReceiveResponse(MyUrlConnection& connection) override;
  void myConnectionDidFinishLoading(MyUrlConnection& connection) override;
  void myConnectionDidFailWithError(MyUrlConnection& connection, const UrlError& error) override;

 protected:
  // The authorisation page's address with `state` in it; nullopt without the platform's row.
  virtual std::optional<std::string> authorizeUrl(const std::string& state) const;
  virtual void checkResponse(const std::string& /*text*/, int /*statusCode*/, int* /*errCode*/,
                             std::string* /*errDes*/) {}
  virtual void OnAccessTokenRet(const std::string& url);
  virtual void GetUserInfo() {}
  virtual bool OnUserInfoRet(const std::string& response);
  virtual std::optional<Bytes> packagePostBodyData(const std::string& /*text*/) {
    return std::nullopt;
  }
  virtual bool OnPostContentRet(const std::string& text);
  virtual bool OnCustomProc(MyUrlConnection& /*connection*/) { return false; }
  // A request of the bind or post flow failed and the failure is being reported.
  virtual void onExchangeFailed() {}

  // The answer check both platforms use: 400 and 401 refused credentials, 304 no data,
  // anything else left to the request's own handling.
  static void checkPlatformStatus(int statusCode, int* errCode, std::string* errDes);

  void ReleaseConnection();
  void startConnection(UrlRequest request, int flag);
  // Reports a failure of the bind or post flow.
  void reportFailure(int code, const std::string& description);

  std::shared_ptr<MyUrlConnection> urlConnection_;
  int statusCode_ = 0;
  std::optional<std::string> state_;
};

}  // namespace zu
