#include "platform/crypto/Md5.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace zu::crypto {
namespace {

struct MdCtxDeleter {
  void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxDeleter>;

// MD5 as fetched once from the default provider. Naming the algorithm on every digest
// (EVP_md5() in EVP_DigestInit_ex) makes OpenSSL look it up in its provider tables each time,
// which costs more than hashing a short key; the fetched object is immutable and shared by all
// threads for the life of the process.
const EVP_MD* md5Algorithm() {
  static const EVP_MD* md = [] {
    const EVP_MD* fetched = EVP_MD_fetch(nullptr, "MD5", nullptr);
    return fetched ? fetched : EVP_md5();
  }();
  return md;
}

// A digest context that is already initialised for MD5. Failure to get one means the crypto
// library is unusable, which is a broken invariant rather than a reportable failure.
MdCtx newMd5Context() {
  MdCtx ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestInit_ex2(ctx.get(), md5Algorithm(), nullptr) != 1) {
    throw std::runtime_error("MD5 digest context unavailable");
  }
  return ctx;
}

Md5::Digest finish(EVP_MD_CTX* ctx) {
  Md5::Digest out{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(ctx, out.data(), &length) != 1 || length != out.size()) {
    throw std::runtime_error("MD5 digest failed");
  }
  return out;
}

}  // namespace

Md5::Digest Md5::digest(const void* data, size_t length) {
  // One context per thread, initialised again for every digest (no allocation per call).
  thread_local MdCtx ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestInit_ex2(ctx.get(), md5Algorithm(), nullptr) != 1) {
    throw std::runtime_error("MD5 digest context unavailable");
  }
  if (length > 0 && EVP_DigestUpdate(ctx.get(), data, length) != 1) {
    throw std::runtime_error("MD5 digest failed");
  }
  return finish(ctx.get());
}

std::string Md5::toHex(const Digest& digest, bool upperCase) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  out.reserve(digest.size() * 2);
  for (uint8_t byte : digest) {
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 0x0f]);
  }
  return out;
}

std::string Md5::hexLower(std::string_view data) { return toHex(digest(data), false); }

std::string Md5::hexUpper(std::string_view data) { return toHex(digest(data), true); }

std::optional<Md5::Digest> Md5::digestOfFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  MdCtx ctx = newMd5Context();
  std::vector<unsigned char> buffer(64 * 1024);
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;  // e.g. a directory, or an I/O error part way through
      break;
    }
    if (n == 0) break;
    if (EVP_DigestUpdate(ctx.get(), buffer.data(), static_cast<size_t>(n)) != 1) {
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return finish(ctx.get());
}

std::optional<std::string> Md5::hexLowerOfFile(const std::string& path) {
  std::optional<Digest> d = digestOfFile(path);
  if (!d) return std::nullopt;
  return toHex(*d, false);
}

}  // namespace zu::crypto
