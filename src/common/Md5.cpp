#include "common/Md5.h"

#include "platform/crypto/Md5.h"

namespace zu {

std::optional<std::string> Md5::encode(std::string_view text) {
  if (text.empty()) return std::nullopt;
  return crypto::Md5::hexUpper(text);
}

std::optional<std::string> Md5::md5OfFile(const std::string& path) {
  return crypto::Md5::hexLowerOfFile(path);
}

}  // namespace zu
