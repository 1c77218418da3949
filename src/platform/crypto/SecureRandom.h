// SecureRandom: unguessable random values from OpenSSL's generator (seeded by the kernel), for
// secrets and one-time tokens: the OAuth 2.0 `state` of a binding, the key that signs the web
// engine's private resource addresses. Stateless; any thread. A generator that cannot give
// bytes is a broken machine, not a failure to report: it throws std::runtime_error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zu::crypto {

class SecureRandom {
 public:
  SecureRandom() = delete;

  static std::vector<uint8_t> bytes(size_t count);
  // `count` random bytes as 2 * count lower-case hex digits (safe in a URL and a file name).
  static std::string hexToken(size_t count);
};

}  // namespace zu::crypto
