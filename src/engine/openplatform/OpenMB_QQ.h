// OpenMB_QQ: the client of platform 2, the QQ microblog. The verifier comes from the callback
// URL; every answer but HTTP 200 is a rejected request, and a 200 is judged by its JSON
// "errcode" or "ret". Text posts are signed forms ("format", "content", "clientip"), picture
// posts signed multipart forms with a binary picture part. Main thread only, made by
// OpenPlatformFactory.
#pragma once

#include "engine/openplatform/OpenPlatform_OAuth1.h"

namespace zu {

class OpenMB_QQ : public OpenPlatform_OAuth1 {
 public:
  static constexpr char kClientIp[] = "127.0.0.1";
  static constexpr char kOctetPartHeader[] =
      "Content-Disposition: form-data; name=\"pic\"; filename=\"img.jpg\"\r\n"
      "Content-Type: application/octet-stream; charset=UTF-8\r\n"
      "Content-Transfer-Encoding: binary\r\n\r\n";

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
