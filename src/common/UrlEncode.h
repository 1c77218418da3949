// UrlEncode: the query-string escaping of the service's requests. Letters, digits and
// ! ' ( ) * - . _ ~ stay; a space becomes '+'; every other byte of the text in the chosen
// encoding becomes %XX (upper-case hex). Stateless; callable from any thread.
#pragma once

#include <string>
#include <string_view>

namespace zu {

enum class StringEncoding { Utf8, Gb18030 };

class UrlEncode {
 public:
  UrlEncode() = delete;

  // True as soon as the text holds a character outside the safe set; false for "".
  static bool needEncode(std::string_view text);
  // The escaped bytes of the UTF-8 text converted to `encoding` ("" for ""). With UTF-8 the
  // bytes are escaped as they are; a text that cannot be converted to GB 18030 (it is not
  // valid UTF-8) gives "".
  static std::string encode(std::string_view text, StringEncoding encoding);
  static std::string encode(std::string_view text) { return encode(text, StringEncoding::Utf8); }
};

}  // namespace zu
