// Base64: the standard alphabet with '=' padding (RFC 4648), used for the Basic
// "Authorization" header. Stateless; every function may be called from any thread.
//
// Decoding is lenient in the system's manner: only a length that is not a multiple of 4 is
// refused; any character outside the alphabet (non-ASCII bytes included) counts as the value 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/Value.h"

namespace zu {

class Base64 {
 public:
  Base64() = delete;

  // ((length + 2) / 3) * 4 ASCII characters; "" for no bytes.
  static std::string encode(const Bytes& data);
  static std::string encode(const uint8_t* bytes, size_t length);

  // nullopt for a text holding non-ASCII characters (it has no ASCII form) and for a length
  // that is not a multiple of 4.
  static std::optional<Bytes> decode(std::string_view text);
  // nullopt for a null pointer and for a length that is not a multiple of 4.
  static std::optional<Bytes> decode(const char* chars, size_t length);
};

}  // namespace zu
