// OpenSns_KaiXin: the client of platform 6, Kaixin. Binds through its own authorisation page
// with the share-tools callback; the account's secret is the fixed text "secret" (the store
// needs one); calls carry the access token in the query. Kaixin has no row for the common
// lookups (getPlatformItem stops at platform 5), so it reads its row from the factory. Main
// thread only, made by OpenPlatformFactory.
#pragma once

#include "engine/openplatform/OpenPlatform_OAuth2.h"

namespace zu {

class OpenSns_KaiXin : public OpenPlatform_OAuth2 {
 public:
  // The share-tools callback.
  std::string callbackUrl() const override;
  void PostContent(const std::optional<std::string>& text) override;
  // Posts the text with a picture address (not a file).
  void PostContentWithPic(const std::optional<std::string>& text,
                          const std::optional<std::string>& picUri) override;
  // The user-information URL with the token and the fields asked for.
  std::string GenPostUrl() const;

 protected:
  std::optional<std::string> authorizeUrl(const std::string& state) const override;
  void checkResponse(const std::string& text, int statusCode, int* errCode,
                     std::string* errDes) override;
  void OnAccessTokenRet(const std::string& url) override;
  void GetUserInfo() override;
  bool OnUserInfoRet(const std::string& response) override;

 private:
  const PlatformItemInfo* row() const;
  // Posts to the post URL with these query fields after the token.
  void postQuery(const std::optional<std::string>& text, const std::string& extraQuery);
};

}  // namespace zu
