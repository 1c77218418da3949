#include "platform/web/PrivateResourceUrl.h"

#include <glib.h>

namespace zu::web {

namespace {

constexpr const char* kKindNames[] = {"fetch", "cached", "file"};

}  // namespace

std::string PrivateResourceUrl::make(Kind kind, const std::string& url) {
  gchar* escaped = g_uri_escape_string(url.c_str(), nullptr, FALSE);
  std::string result =
      std::string(kScheme) + "://" + kKindNames[static_cast<int>(kind)] + "/" + escaped;
  g_free(escaped);
  return result;
}

std::optional<std::pair<PrivateResourceUrl::Kind, std::string>> PrivateResourceUrl::parse(
    const std::string& url) {
  const std::string prefix = std::string(kScheme) + "://";
  if (url.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  const size_t slash = url.find('/', prefix.size());
  if (slash == std::string::npos) return std::nullopt;
  const std::string name = url.substr(prefix.size(), slash - prefix.size());
  for (int k = 0; k < 3; ++k) {
    if (name != kKindNames[k]) continue;
    gchar* raw = g_uri_unescape_string(url.c_str() + slash + 1, nullptr);
    if (!raw) return std::nullopt;
    std::string unescaped = raw;
    g_free(raw);
    if (unescaped.empty()) return std::nullopt;
    return std::make_pair(static_cast<Kind>(k), std::move(unescaped));
  }
  return std::nullopt;
}

}  // namespace zu::web
