// OpenPlatform_OAuth1: the common client of the OAuth 1.0a platforms. It turns its signer's
// token exchange into the bind flow (request token, authorisation page shown by the observer,
// callback from the factory, access token, "Notification_Opt_BindOk", user information, stored
// account, onOPLoginSucc), signs and runs text and picture posts, checks every answer and
// unbinds on refused credentials (HTTP 401 or -6). The platform clients fill the hooks: how the
// verifier is read, how an answer maps to a result, how posts are built and which fields of
// the user information make the account.
//
// Main thread only, like every client. Each request is a MyUrlConnection; starting one replaces
// the held one without cancelling it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/openplatform/MyUrlConnection.h"
#include "engine/openplatform/OAuth.h"
#include "engine/openplatform/OAuthObserver.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "platform/net/UrlRequest.h"

namespace zu {

class OpenPlatform_OAuth1 : public OpenPlatformBase, public OAuthObserver {
 public:
  // Header of the picture part of a multipart post.
  static constexpr char kJpegPartHeader[] =
      "Content-Disposition: form-data; name=\"pic\"; filename=\"img.jpg\"\r\n"
      "Content-Type: image/jpeg\r\n\r\n";

  OpenPlatform_OAuth1();
  ~OpenPlatform_OAuth1() override;

  void init(int platform) override;
  void authLogin() override;
  void PostContent(const std::optional<std::string>& text) override;
  void PostContentWithPic(const std::optional<std::string>& text,
                          const std::optional<std::string>& picUri) override;
  void OnAuthoriztionRet(const std::optional<std::string>& url) override;
  void clearAuthInfo() override;
  bool IsLogin() const { return status_ == kStatusBound; }

  // Row fields 1 to 7 of the platform's table row ("" without a row).
  std::string getRequestTokenBaseUrl() const;
  std::string getAuthorizeBaseUrl() const;
  std::string getAccessTokenBaseUrl() const;
  std::string getUserInfoUrl() const;
  std::string getOAuthConsumerKey() const;
  std::string getOAuthConsumerSecret() const;
  std::string getPostUrl() const;
  std::string getPostPicUrl() const;
  // "<authorise URL>?oauth_token=<token>&oauth_callback=<encoded callback>".
  std::string getAuthorizeUrl(const std::string& token, const std::string& callbackUrl) const;

  OAuth& oAuth() { return *oAuth_; }
  const std::shared_ptr<MyUrlConnection>& urlConnection() const { return urlConnection_; }

  // OAuthObserver
  void onOAuthRequestToken(OAuth* oauth, const std::string& requestToken) override;
  void onOAuthAccessToken(OAuth* oauth, const std::string& accessToken,
                          const std::string& responseInfo) override;
  void onOAuthError(OAuth* oauth, int errorCode, const std::string& errorDes) override;

  // MyUrlConnectionDelegate
  void myConnectionDidFinishLoading(MyUrlConnection& connection) override;
  void myConnectionDidFailWithError(MyUrlConnection& connection, const UrlError& error) override;

 protected:
  // Hooks of the platform clients, with the common defaults.
  virtual std::string getBadRequestErrorDescription(const Bytes& /*response*/) { return {}; }
  // The signed user-information URL.
  virtual std::optional<std::string> createGetUserInfoReqUrl();
  virtual void GetUserInfo();
  // The verifier of a callback URL; *success tells whether the callback is usable.
  virtual std::optional<std::string> parseVerifier(const std::string& url, bool* success);
  // Maps an answer to a result code (0: go on with the request's own handling).
  virtual void checkResponse(const std::string& /*text*/, int /*statusCode*/, int* /*errCode*/,
                             std::string* /*errDes*/) {}
  virtual std::optional<Bytes> packagePostBodyData(const std::string& /*text*/, OAuth& /*oauth*/) {
    return std::nullopt;
  }
  virtual void packagePostPicRequest(UrlRequest& /*request*/, const Bytes& /*jpeg*/,
                                     OAuth& /*oauth*/, const std::string& /*content*/) {}
  virtual void OnAccessTokenRet(const std::string& response);
  virtual bool OnUserInfoRet(const std::string& /*response*/) { return false; }
  virtual bool OnPostPicContentRet(MyUrlConnection& connection, const std::string& text);
  virtual bool OnPostContentRet(MyUrlConnection& connection, const std::string& text);
  virtual bool OnCustomProc(MyUrlConnection& /*connection*/) { return false; }

  // The verifier after "oauth_verifier" in a callback URL; *success false when there is none.
  static std::optional<std::string> verifierAfterField(const std::string& url, bool* success);
  // The picture of a picture post once the post's arguments are checked (-3 for a missing text
  // or path, an unreadable file or one of more than one name, -9 with `notBoundText` while
  // unbound); nullopt when refused.
  std::optional<Bytes> pictureToPost(const std::optional<std::string>& text,
                                     const std::optional<std::string>& picUri,
                                     const char* notBoundText);
  // Drops the held connection (destroy(), not cancelled).
  void ReleaseConnection();
  // Replaces the held connection by a new one for `request`.
  void startConnection(UrlRequest request, int flag, Value obID = Value());

  // Fills a multipart picture post: `signed` is signed with POST over the picture URL, the
  // form carries the signed "oauth_*" values, the plain signature and `form`, then the picture
  // part with `pictureHeader`.
  void fillMultipartPicRequest(UrlRequest& request, const Bytes& jpeg, OAuth& oauth,
                               OAuth::Parameters signedParameters, OPUtils::Fields form,
                               const char* pictureHeader);
  // Makes `request` a POST to `url` of a multipart body: the text parts `formParts` (made with
  // OPUtils::genFormData and `boundary`), then the picture part.
  static void setMultipartPicture(UrlRequest& request, const std::string& url,
                                  const std::string& boundary, std::string formParts,
                                  const char* pictureHeader, const Bytes& jpeg);
  // The body of a form-encoded text post: `parameters` signed with POST over the post URL.
  std::optional<Bytes> signedFormBody(OAuth& oauth, OAuth::Parameters parameters);

  std::unique_ptr<OAuth> oAuth_;
  std::shared_ptr<MyUrlConnection> urlConnection_;

 private:
  void onUserInfoAnswer(MyUrlConnection& connection, const std::string& text);
};

}  // namespace zu
