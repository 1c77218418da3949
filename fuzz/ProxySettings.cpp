// Fuzz target: the proxy settings read from the desktop's variables (http_proxy, https_proxy,
// all_proxy and no_proxy: the input's first four lines). Any input must give a clean answer; a
// proxy address kept reads back as itself and is one GIO takes too, a direct host kept is one
// word of the kept characters, libcurl's list has no blank, and the log's line names no user or
// password.
#include <gio/gio.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/net/ProxySettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::ProxySettings;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines(4);
  size_t line = 0;
  for (const char c : text) {
    if (c == '\n' && line < 3) {
      ++line;
    } else {
      lines[line] += c;
    }
  }
  const ProxySettings settings = ProxySettings::fromVariables(
      {{"http_proxy", lines[0]}, {"HTTPS_PROXY", lines[1]}, {"all_proxy", lines[2]}, {"no_proxy", lines[3]}});
  std::vector<std::string> proxies;
  for (const auto& [scheme, proxy] : settings.schemeProxies) proxies.push_back(proxy);
  if (settings.defaultProxy) proxies.push_back(*settings.defaultProxy);
  for (const auto& proxy : proxies) {
    // The web engine takes it through GIO as libcurl takes it.
    if (ProxySettings::proxyAddress(proxy) != proxy) abort();
    if (!g_uri_is_valid(proxy.c_str(), G_URI_FLAGS_NONE, nullptr)) abort();
  }
  for (const auto& host : settings.directHosts) {
    if (host.empty() || ProxySettings::hostList(host) != std::vector<std::string>{host}) abort();
  }
  for (const char c : settings.curlNoProxy()) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') abort();
  }
  const std::string description = settings.description();
  if (description.find('@') != std::string::npos) abort();
  settings.curlProxy("http://" + lines[0]);
  settings.proxyForUrl("https://" + lines[1] + "/");
  return 0;
}
