#include "platform/crypto/SecureRandom.h"

#include <openssl/rand.h>

#include <stdexcept>

namespace zu::crypto {

std::vector<uint8_t> SecureRandom::bytes(size_t count) {
  std::vector<uint8_t> out(count);
  if (count > 0 && RAND_bytes(out.data(), static_cast<int>(count)) != 1) {
    throw std::runtime_error("SecureRandom: the random generator gave no bytes");
  }
  return out;
}

std::string SecureRandom::hexToken(size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(count * 2);
  for (uint8_t byte : bytes(count)) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0xf]);
  }
  return text;
}

}  // namespace zu::crypto
