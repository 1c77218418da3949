// Gb18030: conversions between UTF-8 and GB 18030 text (iconv), for the feedback host, which
// reads and writes GB 18030, and the URL encoder. Stateless; callable from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zu {

class Gb18030 {
 public:
  Gb18030() = delete;

  // The UTF-8 text as GB 18030 bytes, or nullopt when it is not valid UTF-8.
  static std::optional<std::string> fromUtf8(std::string_view utf8);
  // GB 18030 bytes as UTF-8 text, or nullopt when they are not valid GB 18030.
  static std::optional<std::string> toUtf8(std::string_view gb18030);

 private:
  static std::optional<std::string> convert(const char* to, const char* from,
                                            std::string_view text);
};

}  // namespace zu
