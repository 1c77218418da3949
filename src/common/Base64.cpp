#include "common/Base64.h"

namespace zu {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Indexed by any byte value, so bytes of 0x80 and above read a 0 like every other character
// outside the alphabet instead of reading past the table.
struct DecodeTable {
  uint8_t value[256];
  constexpr DecodeTable() : value() {
    for (int i = 0; i < 64; ++i) value[static_cast<uint8_t>(kAlphabet[i])] = static_cast<uint8_t>(i);
  }
};
constexpr DecodeTable kDecode;

}  // namespace

std::string Base64::encode(const Bytes& data) { return encode(data.data(), data.size()); }

std::string Base64::encode(const uint8_t* bytes, size_t length) {
  std::string out;
  if (!bytes || length == 0) return out;
  out.resize((length + 2) / 3 * 4);
  size_t o = 0;
  for (size_t i = 0; i < length; i += 3) {
    uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
    if (i + 1 < length) group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    if (i + 2 < length) group |= bytes[i + 2];
    out[o++] = kAlphabet[(group >> 18) & 0x3F];
    out[o++] = kAlphabet[(group >> 12) & 0x3F];
    out[o++] = i + 1 < length ? kAlphabet[(group >> 6) & 0x3F] : '=';
    out[o++] = i + 2 < length ? kAlphabet[group & 0x3F] : '=';
  }
  return out;
}

std::optional<Bytes> Base64::decode(std::string_view text) {
  for (char ch : text) {
    if (static_cast<uint8_t>(ch) >= 0x80) return std::nullopt;
  }
  // An empty view may carry a null pointer; an empty text still decodes to no bytes.
  return decode(text.empty() ? "" : text.data(), text.size());
}

std::optional<Bytes> Base64::decode(const char* chars, size_t length) {
  if (!chars || length % 4 != 0) return std::nullopt;
  size_t padding = 0;
  while (padding < length && chars[length - 1 - padding] == '=') ++padding;
  const size_t outLength = (length * 3 - 3 * padding) / 4;
  const size_t significant = length - padding;
  Bytes out(outLength);
  auto at = [&](size_t i) -> uint8_t {
    return i < significant ? kDecode.value[static_cast<uint8_t>(chars[i])] : 0;
  };
  size_t o = 0;
  for (size_t i = 0; i < significant; i += 4) {
    uint8_t c0 = at(i), c1 = at(i + 1), c2 = at(i + 2), c3 = at(i + 3);
    if (o < outLength) out[o++] = static_cast<uint8_t>(c0 << 2 | c1 >> 4);
    if (o < outLength) out[o++] = static_cast<uint8_t>(c1 << 4 | c2 >> 2);
    if (o < outLength) out[o++] = static_cast<uint8_t>(c2 << 6 | c3);
  }
  return out;
}

}  // namespace zu
