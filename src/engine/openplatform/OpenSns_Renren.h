// OpenSns_Renren: the client of platform 5, Renren. After the access token it trades the token
// for a session key (kept as the account's secret), then signs its REST calls (users.getInfo,
// status.set) with an MD5 over the sorted fields and the client secret. A post made while no
// session key is held (a client made after a restart) is held, the session and user
// information are fetched first, and the post goes out once after them; if that exchange
// fails the failure is reported and the post dropped. Main thread only, made by
// OpenPlatformFactory.
#pragma once

#include "engine/openplatform/OPUtils.h"
#include "engine/openplatform/OpenPlatform_OAuth2.h"

namespace zu {

class OpenSns_Renren : public OpenPlatform_OAuth2 {
 public:
  // The login-success page the authorisation page redirects to, with the token in its URL.
  static std::string loginSuccessUrl();

  void init(int platform) override;
  void PostContent(const std::optional<std::string>& text) override;
  void PostContentTitle(const std::optional<std::string>& text,
                        const std::optional<std::string>& titleDesc,
                        const std::optional<std::string>& titleUrl) override;

  // MD5 (lower-case hex) of the fields' "keyvalue" pairs in case-insensitive key order followed
  // by the client secret.
  std::string calcSig(const OPUtils::Fields& fields) const;
  // "k=v&k=v", keys sorted without regard to case, keys and values percent-encoded; nullopt
  // for no fields.
  static std::optional<std::string> genPostParametersString(const OPUtils::Fields& fields);
  // Trades the access token for a session key.
  void GetSession();

  const std::optional<std::string>& sessionKey() const { return session_key_; }
  const std::optional<std::string>& userID() const { return userID_; }
  bool isPostContentHold() const { return isPostContentHold_; }

 protected:
  void checkResponse(const std::string& text, int statusCode, int* errCode,
                     std::string* errDes) override;
  void OnAccessTokenRet(const std::string& url) override;
  void GetUserInfo() override;
  bool OnUserInfoRet(const std::string& response) override;
  std::optional<Bytes> packagePostBodyData(const std::string& text) override;
  bool OnPostContentRet(const std::string& text) override;
  bool OnCustomProc(MyUrlConnection& connection) override;
  void onExchangeFailed() override;
  bool OnGetSessionRet(const std::string& text);

 private:
  std::string clientSecret() const;
  std::string clientId() const;
  // Sends the post, or holds it until the session exchange is through.
  void postOrHold(const std::optional<std::string>& text);
  void releaseHeldPost();

  std::optional<std::string> session_key_;
  std::optional<std::string> userID_;
  std::string templateData_;
  std::string bodyGeneral_;
  bool isPostContentHold_ = false;
  std::optional<std::string> holdContent_;
  std::optional<std::string> urlHerf_;
  std::optional<std::string> urlTitleDesc_;
  int callID_ = 0;
};

}  // namespace zu
