// OAuthObserver: hears the OAuth 1.0a token exchange of an OAuth signer, on the main run loop.
// The signer's client implements it; the signer does not retain it.
#pragma once

#include <string>

namespace zu {

class OAuth;

class OAuthObserver {
 public:
  virtual ~OAuthObserver() = default;
  virtual void onOAuthRequestToken(OAuth* oauth, const std::string& requestToken) = 0;
  // `responseInfo` is the whole answer text (some platforms put more fields in it).
  virtual void onOAuthAccessToken(OAuth* oauth, const std::string& accessToken,
                                  const std::string& responseInfo) = 0;
  virtual void onOAuthError(OAuth* oauth, int errorCode, const std::string& errorDes) = 0;
};

}  // namespace zu
