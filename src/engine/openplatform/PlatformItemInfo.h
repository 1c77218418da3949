// PlatformItemInfo: one row of the open-platform table: the endpoints and application
// credentials of one platform and whether it takes a picture with a post. Empty strings stand
// for endpoints the platform does not have. A plain value, copied into the factory's working
// table.
#pragma once

#include <string>

namespace zu {

struct PlatformItemInfo {
  std::string requestTokenUrl;  // OAuth 1.0a only
  std::string authorizeUrl;
  std::string accessTokenUrl;
  std::string userInfoUrl;
  std::string appKey;           // consumer key, or OAuth 2 client id
  std::string appSecret;        // consumer secret, or OAuth 2 client secret
  std::string postUrl;
  std::string postPicUrl;
  bool picShare = false;
};

}  // namespace zu
