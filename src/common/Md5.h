// Md5: the hex forms of MD5 digests the system uses: upper case for strings (cache keys,
// store row ids, device id), lower case for files (book file checks). Stateless and callable
// from any thread; the digest itself is computed by crypto::Md5.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zu {

class Md5 {
 public:
  Md5() = delete;

  // 32 upper-case hex digits of the digest of the text's UTF-8 bytes; nullopt for "".
  static std::optional<std::string> encode(std::string_view text);
  // 32 lower-case hex digits of the digest of the file's bytes ("d41d8cd9..." for an empty
  // file); nullopt when the file cannot be opened or read.
  static std::optional<std::string> md5OfFile(const std::string& path);
};

}  // namespace zu
