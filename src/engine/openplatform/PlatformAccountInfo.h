// PlatformAccountInfo: one bound account on an open platform: token secret (Renren: the session
// key; Kaixin: the fixed text "secret"), access token, display name, profile page and avatar
// address. A plain value kept by a client and stored per reader by OpenDataManager; absent
// fields are nullopt (the store keeps them as NULL).
#pragma once

#include <optional>
#include <string>

namespace zu {

struct PlatformAccountInfo {
  std::optional<std::string> secret;
  std::optional<std::string> accessToken;
  std::optional<std::string> nickName;
  std::optional<std::string> userUrl;
  std::optional<std::string> imageUrl;

  bool operator==(const PlatformAccountInfo&) const = default;
};

}  // namespace zu
