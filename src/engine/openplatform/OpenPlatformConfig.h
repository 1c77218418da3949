// OpenPlatformConfig: what each deployment chooses about the open platforms: the base address
// (scheme and host) of every platform server, the product's callback addresses, the web
// addresses that profile links are formed from, Douban's namespace, and the application keys
// and secrets of both platform tables. The platform table is built from it (OpenPlatformTable).
//
// One process-wide configuration, read and replaced on the main thread only; replacing it takes
// effect when the factory next loads its table (OpenPlatformFactory::Init). Tests point every
// server at a loopback fake this way.
#pragma once

#include <array>
#include <string>

namespace zu {

struct OpenPlatformConfig {
  struct Credentials {
    std::string key;
    std::string secret;
  };

  // Base addresses, "scheme://host[:port]" without a trailing slash.
  std::string zelvaneBase;     // platform 0, every endpoint
  std::string sinaBase;        // platform 1, every endpoint
  std::string qqSecureBase;    // platform 2, the token and authorise pages (https)
  std::string qqBase;          // platform 2, user information and posts (http)
  std::string sohuBase;        // platform 3, every endpoint
  std::string doubanAuthBase;  // platform 4, token and authorise pages
  std::string doubanApiBase;   // platform 4, user information and posts
  std::string renrenAuthBase;  // platform 5, authorise page, token, session key, login page
  std::string renrenApiBase;   // platform 5, REST calls
  std::string renrenFeedBase;  // platform 5, the picture feed of the phone table
  std::string kaixinBase;      // platform 6, every endpoint

  // The product's callback address (compared as a prefix) and the share-tools callback of
  // Kaixin (path "/shareTools/").
  std::string callbackUrl;
  std::string shareToolsCallbackUrl;

  // Web addresses profile links are formed from ("<web>/<name>").
  std::string zelvaneWeb;
  std::string sinaWeb;
  std::string qqWeb;
  std::string sohuWeb;
  // The namespace of Douban's own elements in a post.
  std::string doubanNamespace;

  // Application credentials of platforms 0 to 6, phone and tablet tables.
  std::array<Credentials, 7> phoneCredentials;
  std::array<Credentials, 7> tabletCredentials;

  // The built-in configuration.
  static OpenPlatformConfig defaults();
  // The built-in configuration with every platform server on one service at `base`
  // ("scheme://host[:port]"): platform 0 at its root, platform n (1 to 6) under "/open/<n>", as
  // the sample service answers them.
  static OpenPlatformConfig servedBy(const std::string& base);
  // The configuration in force (the defaults until setCurrent).
  static const OpenPlatformConfig& current();
  static void setCurrent(OpenPlatformConfig config);
};

}  // namespace zu
