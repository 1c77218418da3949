#include "common/UrlEncode.h"

#include <optional>

#include "common/Gb18030.h"

namespace zu {

namespace {

bool isSafe(uint8_t b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')) return true;
  switch (b) {
    case '!': case '\'': case '(': case ')': case '*': case '-': case '.': case '_': case '~':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool UrlEncode::needEncode(std::string_view text) {
  // Every byte of a non-ASCII character is outside the safe set, so bytes decide as characters do.
  for (char ch : text) {
    if (!isSafe(static_cast<uint8_t>(ch))) return true;
  }
  return false;
}

std::string UrlEncode::encode(std::string_view text, StringEncoding encoding) {
  if (text.empty()) return {};
  std::string converted;
  if (encoding == StringEncoding::Gb18030) {
    auto gb = Gb18030::fromUtf8(text);
    if (!gb) return {};
    converted = std::move(*gb);
    text = converted;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char ch : text) {
    auto b = static_cast<uint8_t>(ch);
    if (isSafe(b)) {
      out += ch;
    } else if (b == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

}  // namespace zu
