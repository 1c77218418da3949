// OpenSns_DouBan: the client of platform 4, Douban. Its callback carries no verifier; the user
// id comes with the access token, the user information is a plain GET of the user's page, and
// a post is an Atom entry signed in an "Authorization" header. No picture posts. Main thread
// only, made by OpenPlatformFactory.
#pragma once

#include "engine/openplatform/OpenPlatform_OAuth1.h"

namespace zu {

class OpenSns_DouBan : public OpenPlatform_OAuth1 {
 public:
  void PostContent(const std::optional<std::string>& text) override;

  // The user-information URL: the people path, the user id, "?alt=json".
  std::string packGetUserInfoReqUrl() const;
  // The signed Atom post of the text.
  void makePostRequest(UrlRequest& request, OAuth& oauth, const std::string& content);
  const std::optional<std::string>& userId() const { return userId_; }

 protected:
  void GetUserInfo() override;
  void OnAccessTokenRet(const std::string& response) override;
  bool OnUserInfoRet(const std::string& response) override;

 private:
  std::optional<std::string> userId_;
};

}  // namespace zu
