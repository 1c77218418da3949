#include "platform/net/ProxySettings.h"

#include <curl/curl.h>
#include <gio/gio.h>

#include <algorithm>
#include <array>
#include <memory>

namespace zu {

namespace {

// The port of a proxy named without one, as libcurl takes it.
constexpr const char* kDefaultPort = "1080";

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), lower);
  return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The schemes a proxy may have, each with the one it is kept under.
std::optional<std::string> keptScheme(std::string_view scheme) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kSchemes = {{
      {"http", "http"},
      {"https", "https"},
      {"socks4", "socks4"},
      {"socks4a", "socks4a"},
      // Both stacks have a SOCKS 5 proxy resolve names itself: one word for both.
      {"socks5", "socks5"},
      {"socks5h", "socks5"},
      {"socks", "socks"},
  }};
  for (const auto& [name, kept] : kSchemes) {
    if (name == scheme) return std::string(kept);
  }
  return std::nullopt;
}

struct UrlHandle {
  void operator()(CURLU* h) const { curl_url_cleanup(h); }
};

std::optional<std::string> urlPart(CURLU* h, CURLUPart which) {
  char* text = nullptr;
  if (curl_url_get(h, which, &text, 0) != CURLUE_OK || !text) return std::nullopt;
  std::string out(text);
  curl_free(text);
  return out;
}

// A variable of the environment, lower case first; unset when empty.
std::optional<std::string> variable(const ProxySettings::Environment& environment, const std::string& name) {
  for (const std::string& spelled : {name, [&] {
         std::string upper = name;
         std::transform(upper.begin(), upper.end(), upper.begin(),
                        [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
         return upper;
       }()}) {
    auto it = environment.find(spelled);
    if (it != environment.end() && !trimmed(it->second).empty()) return it->second;
  }
  return std::nullopt;
}

// A host-list entry in the kept words, or "" when it is dropped.
std::string hostEntry(std::string_view raw) {
  std::string entry = lowered(trimmed(raw));
  if (entry.rfind("*.", 0) == 0) {
    entry.erase(0, 2);
  } else if (!entry.empty() && entry.front() == '.') {
    entry.erase(0, 1);
  }
  if (!entry.empty() && entry.front() == '[') {
    const size_t close = entry.find(']');
    // "[::1]" is the address; "[::1]:80" is for one port only.
    if (close == std::string::npos || close + 1 != entry.size()) return {};
    entry = entry.substr(1, close - 1);
    // Only an IPv6 address is written in brackets: "[fe80:1]" would read as "host:port".
    if (std::count(entry.begin(), entry.end(), ':') < 2) return {};
  } else if (std::count(entry.begin(), entry.end(), ':') == 1) {
    return {};  // "host:port"
  }
  if (entry.empty() || entry.front() == '.' || entry.front() == '/' || entry.back() == '/') return {};
  for (const char c : entry) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' ||
                         c == '/' || c == '_';
    if (!allowed) return {};
  }
  return entry;
}

// A proxy address without its user and password.
std::string withoutUser(const std::string& address) {
  const size_t start = address.find("://");
  const size_t at = address.rfind('@');
  if (start == std::string::npos || at == std::string::npos) return address;
  return address.substr(0, start + 3) + address.substr(at + 1);
}

// `text` as a proxy address in the kept form, read once by libcurl.
std::optional<std::string> readAddress(std::string_view text) {
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return std::nullopt;
  }
  std::string address(text);
  const size_t separator = address.find("://");
  if (separator == std::string::npos) address.insert(0, "http://");
  const auto scheme = keptScheme(lowered(address.substr(0, address.find("://"))));
  if (!scheme) return std::nullopt;

  std::unique_ptr<CURLU, UrlHandle> url(curl_url());
  if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
    return std::nullopt;
  }
  const auto host = urlPart(url.get(), CURLUPART_HOST);
  if (!host || host->empty()) return std::nullopt;
  const auto path = urlPart(url.get(), CURLUPART_PATH);
  if ((path && !path->empty() && *path != "/") || urlPart(url.get(), CURLUPART_QUERY) ||
      urlPart(url.get(), CURLUPART_FRAGMENT) || urlPart(url.get(), CURLUPART_OPTIONS)) {
    return std::nullopt;
  }
  const std::string port = urlPart(url.get(), CURLUPART_PORT).value_or(kDefaultPort);
  if (port == "0") return std::nullopt;  // libcurl allows no port above 65535

  std::string out = *scheme + "://";
  if (const auto user = urlPart(url.get(), CURLUPART_USER)) {
    out += *user;
    if (const auto password = urlPart(url.get(), CURLUPART_PASSWORD)) out += ":" + *password;
    out += "@";
  }
  out += lowered(*host) + ":" + port + "/";
  // The web engine and the movie player take the address through GIO, which refuses some that
  // libcurl takes (bytes that are no UTF-8, a '%' that escapes nothing): such a proxy would
  // leave the pages direct while libcurl's transfers went through it.
  if (!g_uri_is_valid(out.c_str(), G_URI_FLAGS_NONE, nullptr)) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> ProxySettings::proxyAddress(std::string_view text) {
  auto address = readAddress(text);
  // libcurl tells a number from a name before it decodes a host's escapes: "%3128" is kept as
  // the name "128", which a second reading turns into "0.0.0.128". A host that is not what it
  // says on its first reading is refused, so a kept address always reads back as itself and
  // both stacks and the log name the same proxy.
  if (address && readAddress(*address) != address) return std::nullopt;
  return address;
}

std::vector<std::string> ProxySettings::hostList(const std::vector<std::string>& entries, bool* all) {
  if (all) *all = false;
  std::vector<std::string> hosts;
  for (const std::string& raw : entries) {
    if (trimmed(raw) == "*") {
      if (all) *all = true;
      continue;
    }
    std::string entry = hostEntry(raw);
    if (!entry.empty() && std::find(hosts.begin(), hosts.end(), entry) == hosts.end()) {
      hosts.push_back(std::move(entry));
    }
  }
  return hosts;
}

std::vector<std::string> ProxySettings::hostList(std::string_view text, bool* all) {
  std::vector<std::string> entries;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == ',' || isBlank(text[at]))) ++at;
    size_t end = at;
    while (end < text.size() && text[end] != ',' && !isBlank(text[end])) ++end;
    if (end > at) entries.emplace_back(text.substr(at, end - at));
    at = end;
  }
  return hostList(entries, all);
}

ProxySettings ProxySettings::fromVariables(const Environment& environment, std::vector<std::string>* unused) {
  ProxySettings settings;
  const auto address = [&](const std::string& name) -> std::optional<std::string> {
    const auto value = variable(environment, name);
    if (!value) return std::nullopt;
    auto proxy = proxyAddress(*value);
    if (!proxy && unused) unused->push_back(name);
    return proxy;
  };
  for (const char* scheme : {"http", "https"}) {
    if (auto proxy = address(std::string(scheme) + "_proxy")) settings.schemeProxies[scheme] = std::move(*proxy);
  }
  settings.defaultProxy = address("all_proxy");
  bool all = false;
  if (const auto value = variable(environment, "no_proxy")) settings.directHosts = hostList(*value, &all);
  if (all || settings.direct()) return {};
  return settings;
}

std::optional<std::string> ProxySettings::proxyFor(std::string_view scheme) const {
  auto it = schemeProxies.find(lowered(scheme));
  if (it != schemeProxies.end()) return it->second;
  return defaultProxy;
}

std::string ProxySettings::curlProxy(std::string_view url) const {
  if (direct()) return {};
  const size_t separator = url.find("://");
  const auto proxy = proxyFor(separator == std::string_view::npos ? std::string_view() : url.substr(0, separator));
  if (!proxy) return {};
  const size_t end = proxy->find("://");
  const std::string scheme = proxy->substr(0, end);
  if (scheme == "socks" || scheme == "socks5") return "socks5h" + proxy->substr(end);
  return *proxy;
}

std::string ProxySettings::curlNoProxy() const {
  std::string list;
  for (const std::string& host : directHosts) {
    if (!list.empty()) list += ',';
    list += host;
  }
  return list;
}

std::optional<std::string> ProxySettings::proxyForUrl(const std::string& url) const {
  if (direct()) return std::nullopt;
  std::vector<const char*> direct;
  for (const auto& host : directHosts) direct.push_back(host.c_str());
  direct.push_back(nullptr);
  GProxyResolver* resolver = g_simple_proxy_resolver_new(defaultProxy ? defaultProxy->c_str() : nullptr,
                                                         const_cast<char**>(direct.data()));
  for (const auto& [scheme, proxy] : schemeProxies) {
    g_simple_proxy_resolver_set_uri_proxy(G_SIMPLE_PROXY_RESOLVER(resolver), scheme.c_str(), proxy.c_str());
  }
  std::optional<std::string> proxy;
  if (gchar** proxies = g_proxy_resolver_lookup(resolver, url.c_str(), nullptr, nullptr)) {
    if (proxies[0] && std::string_view(proxies[0]) != "direct://") proxy = proxies[0];
    g_strfreev(proxies);
  }
  g_object_unref(resolver);
  return proxy;
}

std::string ProxySettings::description() const {
  if (direct()) return "direct";
  std::string words;
  for (const auto& [scheme, proxy] : schemeProxies) words += (words.empty() ? "" : ", ") + scheme + " " + withoutUser(proxy);
  if (defaultProxy) words += (words.empty() ? "" : ", ") + std::string("default ") + withoutUser(*defaultProxy);
  return words + "; direct: " + (directHosts.empty() ? "(none)" : curlNoProxy());
}

}  // namespace zu
