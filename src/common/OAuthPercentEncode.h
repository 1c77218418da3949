// OAuthPercentEncode: the percent encoding of OAuth 1.0a signatures (RFC 5849 section 3.6):
// only letters, digits and - . _ ~ stay; every other byte of the UTF-8 text becomes %XX with
// upper-case hex (a space is %20, never '+'). Stateless; callable from any thread.
#pragma once

#include <string>
#include <string_view>

namespace zu {

class OAuthPercentEncode {
 public:
  OAuthPercentEncode() = delete;

  static std::string encode(std::string_view text);
};

}  // namespace zu
