// KjJsonParser: recursive-descent JSON parser producing Values. Objects become Dictionaries
// (member order kept, a later duplicate key replacing the earlier value), arrays Arrays,
// strings UTF-8 strings, true/false Bools and null the null Value.
//
// Numbers keep their decimal value: an integer (no fraction, no exponent) that fits in 64 bits
// is an exact Int and never passes through a double; any other number is the Double nearest to
// its text (so 12.50 is exactly 12.5). A number whose magnitude a double cannot hold
// (1e400, 1e-400) is error 2 "Failed creating decimal instance".
//
// One instance is used by one thread at a time; it may be reused for any number of texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/KjJsonBase.h"
#include "platform/runtime/Value.h"

namespace zu {

class KjJsonParser : public KjJsonBase {
 public:
  // Any JSON value at the top. nullopt on failure (the trace tells why); a missing text
  // (nullopt) is error 12. The text ends at its end or at its first NUL byte.
  std::optional<Value> fragmentWithString(std::optional<std::string_view> text);
  // As fragmentWithString, but the top value must be an object or an array (else error 4).
  std::optional<Value> objectWithString(std::optional<std::string_view> text);

 private:
  bool scanValue(Value& out);
  bool scanRestOfArray(Value& out);
  bool scanRestOfDictionary(Value& out);
  bool scanRestOfString(std::string& out);
  bool scanNumber(Value& out);
  bool scanLiteral(const char* rest, const char* error);
  bool scanUnicodeChar(std::string& out);
  bool scanHexQuad(unsigned& out);
  bool copyUtf8Sequence(std::string& out);

  // The byte at the read position; 0 at the end of the text (as at a C string's NUL).
  char peek() const { return c_ < end_ ? *c_ : '\0'; }
  void skipWhitespace();

  const char* c_ = nullptr;
  const char* end_ = nullptr;
};

}  // namespace zu
