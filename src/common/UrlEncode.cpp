#include "common/UrlEncode.h"

#include <iconv.h>

#include <cerrno>
#include <optional>

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

// The UTF-8 text in GB 18030, or nullopt when it cannot be converted.
std::optional<std::string> toGb18030(std::string_view utf8) {
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::string input(utf8);
  char* in = input.data();
  size_t inLeft = input.size();
  char buf[256];
  bool ok = true;
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      ok = false;
      break;
    }
  }
  if (ok) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
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
    auto gb = toGb18030(text);
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
