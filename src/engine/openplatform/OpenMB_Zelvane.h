// OpenMB_Zelvane: the client of platform 0, the zelvanemblog microblog. Its callback carries no
// verifier, its answers are not checked beyond the HTTP status, and a picture post takes two
// requests: the picture is uploaded alone (signed in an "Authorization" header), then the text
// is posted with the picture's address appended; the observer hears only the second outcome.
// Main thread only, made by OpenPlatformFactory.
#pragma once

#include "engine/openplatform/OpenPlatform_OAuth1.h"

namespace zu {

class OpenMB_Zelvane : public OpenPlatform_OAuth1 {
 public:
  void PostContentWithPic(const std::optional<std::string>& text,
                          const std::optional<std::string>& picUri) override;

  // The upload request: only the picture part, signed in the "Authorization" header.
  void makePostPicRequest(UrlRequest& request, const Bytes& jpeg, OAuth& oauth);

 protected:
  std::optional<std::string> parseVerifier(const std::string& url, bool* success) override;
  std::string getBadRequestErrorDescription(const Bytes& response) override;
  std::optional<Bytes> packagePostBodyData(const std::string& text, OAuth& oauth) override;
  bool OnUserInfoRet(const std::string& response) override;
  bool OnPostPicContentRet(MyUrlConnection& connection, const std::string& text) override;
};

}  // namespace zu
