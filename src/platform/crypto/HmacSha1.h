// HmacSha1: HMAC-SHA1 (RFC 2104) of a message under a key, over OpenSSL's EVP MAC interface.
// Stateless; may be called from any thread. Used for OAuth 1.0a request signatures.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zu::crypto {

class HmacSha1 {
 public:
  static constexpr size_t kDigestLength = 20;
  using Digest = std::array<uint8_t, kDigestLength>;

  // The 20 raw bytes of HMAC-SHA1(key, data). Keys of any length are accepted (longer than
  // 64 bytes are hashed first, as the algorithm says).
  static Digest sign(std::string_view key, std::string_view data);
};

}  // namespace zu::crypto
