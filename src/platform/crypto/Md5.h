// Md5: MD5 digests (RFC 1321) of memory and of files, over OpenSSL's EVP interface.
// Stateless; every function may be called from any thread. Used for cache keys, store row ids,
// file names and file checks. MD5 is used here as a naming/checksum function, not for security.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zu::crypto {

class Md5 {
 public:
  static constexpr size_t kDigestLength = 16;
  using Digest = std::array<uint8_t, kDigestLength>;

  static Digest digest(const void* data, size_t length);
  static Digest digest(std::string_view data) { return digest(data.data(), data.size()); }

  // 32 hex digits, lower case ("d41d8cd98f00b204e9800998ecf8427e" for no bytes).
  static std::string hexLower(std::string_view data);
  // 32 hex digits, upper case (the form used for cache keys and row ids).
  static std::string hexUpper(std::string_view data);

  // Digest of a file's bytes, read in chunks; nullopt when the file cannot be opened or read.
  static std::optional<Digest> digestOfFile(const std::string& path);
  static std::optional<std::string> hexLowerOfFile(const std::string& path);

  static std::string toHex(const Digest& digest, bool upperCase);
};

}  // namespace zu::crypto
