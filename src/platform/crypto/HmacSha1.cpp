#include "platform/crypto/HmacSha1.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <memory>
#include <stdexcept>

namespace zu::crypto {
namespace {

struct MacDeleter {
  void operator()(EVP_MAC* mac) const { EVP_MAC_free(mac); }
};
struct MacCtxDeleter {
  void operator()(EVP_MAC_CTX* ctx) const { EVP_MAC_CTX_free(ctx); }
};

// The HMAC algorithm object is immutable once fetched and safe to share between threads.
EVP_MAC* hmacAlgorithm() {
  static std::unique_ptr<EVP_MAC, MacDeleter> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
  if (!mac) throw std::runtime_error("HMAC unavailable");
  return mac.get();
}

}  // namespace

HmacSha1::Digest HmacSha1::sign(std::string_view key, std::string_view data) {
  std::unique_ptr<EVP_MAC_CTX, MacCtxDeleter> ctx(EVP_MAC_CTX_new(hmacAlgorithm()));
  if (!ctx) throw std::runtime_error("HMAC context unavailable");

  char digestName[] = "SHA1";
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
      OSSL_PARAM_construct_end(),
  };
  // A zero-length key is valid for HMAC; give OpenSSL a non-null pointer for it.
  static const unsigned char kEmpty = 0;
  const unsigned char* keyBytes =
      key.empty() ? &kEmpty : reinterpret_cast<const unsigned char*>(key.data());
  if (EVP_MAC_init(ctx.get(), keyBytes, key.size(), params) != 1 ||
      (!data.empty() &&
       EVP_MAC_update(ctx.get(), reinterpret_cast<const unsigned char*>(data.data()),
                      data.size()) != 1)) {
    throw std::runtime_error("HMAC-SHA1 failed");
  }
  Digest out{};
  size_t length = 0;
  if (EVP_MAC_final(ctx.get(), out.data(), &length, out.size()) != 1 || length != out.size()) {
    throw std::runtime_error("HMAC-SHA1 failed");
  }
  return out;
}

}  // namespace zu::crypto
