#include "platform/web/PrivateResourceUrl.h"

#include <glib.h>

namespace zu::web {

namespace {

constexpr const char* kKindNames[] = {"fetch", "file"};
constexpr int kKinds = 2;
// Hex digits of the signature kept in an address: 128 bits.
constexpr size_t kTokenLength = 32;

std::string escaped(const std::string& text) {
  gchar* escaped = g_uri_escape_string(text.c_str(), nullptr, FALSE);
  std::string result = escaped;
  g_free(escaped);
  return result;
}

}  // namespace

std::string PrivateResourceUrl::token(Kind kind, const std::string& url, const std::string& key,
                                      uint64_t pageId) {
  const std::string message =
      std::to_string(pageId) + "\n" + kKindNames[static_cast<int>(kind)] + "\n" + url;
  gchar* mac = g_compute_hmac_for_data(G_CHECKSUM_SHA256,
                                       reinterpret_cast<const guchar*>(key.data()), key.size(),
                                       reinterpret_cast<const guchar*>(message.data()),
                                       message.size());
  std::string result(mac, kTokenLength);
  g_free(mac);
  return result;
}

std::string PrivateResourceUrl::make(Kind kind, const std::string& url, const std::string& key,
                                     uint64_t pageId) {
  return std::string(kScheme) + "://" + kKindNames[static_cast<int>(kind)] + "/" +
         token(kind, url, key, pageId) + "/" + escaped(url);
}

std::string PrivateResourceUrl::forFile(const std::filesystem::path& path) {
  return std::string(kScheme) + "://" + kKindNames[static_cast<int>(Kind::kFile)] + "/" +
         escaped(path.string());
}

std::optional<PrivateResourceUrl::Parsed> PrivateResourceUrl::parse(const std::string& url) {
  const std::string prefix = std::string(kScheme) + "://";
  if (url.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  size_t slash = url.find('/', prefix.size());
  if (slash == std::string::npos) return std::nullopt;
  const std::string name = url.substr(prefix.size(), slash - prefix.size());
  int kind = 0;
  while (kind < kKinds && name != kKindNames[kind]) ++kind;
  if (kind == kKinds) return std::nullopt;
  Parsed parsed{static_cast<Kind>(kind), {}, {}};
  if (parsed.kind != Kind::kFile) {
    const size_t end = url.find('/', slash + 1);
    if (end == std::string::npos || end - slash - 1 != kTokenLength) return std::nullopt;
    parsed.token = url.substr(slash + 1, kTokenLength);
    slash = end;
  }
  gchar* raw = g_uri_unescape_string(url.c_str() + slash + 1, nullptr);
  if (!raw) return std::nullopt;
  parsed.url = raw;
  g_free(raw);
  if (parsed.url.empty()) return std::nullopt;
  return parsed;
}

bool PrivateResourceUrl::validToken(const Parsed& parsed, const std::string& key, uint64_t pageId) {
  if (parsed.kind == Kind::kFile || key.empty() || parsed.token.size() != kTokenLength) return false;
  const std::string expected = token(parsed.kind, parsed.url, key, pageId);
  // Compared in constant time: a page cannot learn a token a digit at a time.
  unsigned char difference = 0;
  for (size_t i = 0; i < kTokenLength; ++i) {
    difference |= static_cast<unsigned char>(expected[i] ^ parsed.token[i]);
  }
  return difference == 0;
}

}  // namespace zu::web
