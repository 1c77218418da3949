// OpenMB_Sohu: the client of platform 3, the Sohu microblog. The verifier comes from the callback URL,
// answers are checked by HTTP status and the platform's XML error (HashErrorResponse), text
// posts are signed forms and picture posts signed multipart forms. Main thread only, made by
// OpenPlatformFactory.
#pragma once

#include "engine/openplatform/OpenPlatform_OAuth1.h"

namespace zu {

class OpenMB_Sohu : public OpenPlatform_OAuth1 {
 public:
  // The text of the platform's XML error in an answer, or nullopt.
  static std::optional<std::string> getErrorStrFromResponse(const Bytes& response);
  // The "screen_name" of a user-information answer.
  static std::optional<std::string> getNicknameFromVerifyCredentialsResult(const Value& result);

 protected:
  std::optional<std::string> parseVerifier(const std::string& url, bool* success) override;
  void checkResponse(const std::string& text, int statusCode, int* errCode,
                     std::string* errDes) override;
  std::string getBadRequestErrorDescription(const Bytes& response) override;
  std::optional<Bytes> packagePostBodyData(const std::string& text, OAuth& oauth) override;
  void packagePostPicRequest(UrlRequest& request, const Bytes& jpeg, OAuth& oauth,
                             const std::string& content) override;
  bool OnUserInfoRet(const std::string& response) override;
};

}  // namespace zu
