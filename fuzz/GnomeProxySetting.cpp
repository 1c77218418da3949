// Fuzz target: what GNOME's proxy setting takes from the desktop. The input up to its first NUL
// is a dconf profile, made read-only (readOnlyProfile) over a configuration folder that holds a
// user database "user"; the rest is the setting's keys, a line each (mode, the http proxy's
// host, port, user and password, the https and socks proxies' hosts and ports, use-same-proxy
// unless "false", ignore-hosts separated by commas). Any input must give a clean answer: the read-only profile names only
// file and system databases, each line read back by dconf as written, and is its own read-only
// profile; every proxy of the setting reads back as itself and is one GIO takes too; the log's
// line names no user or password.
#include <gio/gio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/net/GnomeProxySetting.h"

namespace {

// A configuration folder with a user database "user" (its bytes do not matter here), removed
// when the run ends.
const std::string& configFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zu_fuzz_gnome_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) abort();
    static std::string made;
    made = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(made, ignored);
    });
    const std::string dconf = pattern + "/dconf";
    if (::mkdir(dconf.c_str(), 0700) != 0) abort();
    FILE* file = std::fopen((dconf + "/user").c_str(), "w");
    if (!file) abort();
    std::fclose(file);
    return pattern;
  }();
  return folder;
}

int number(const std::string& text) {
  int value = 0;
  for (const char c : text.substr(0, 6)) value = value * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::GnomeProxySetting;
  using zu::ProxySettings;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const size_t nul = text.find('\0');
  const std::string profile = text.substr(0, nul);

  const std::string readOnly = GnomeProxySetting::readOnlyProfile(profile, configFolder());
  size_t at = 0;
  while (at < readOnly.size()) {
    const size_t end = readOnly.find('\n', at);
    if (end == std::string::npos) abort();  // every line ends
    const std::string line = readOnly.substr(at, end - at);
    at = end + 1;
    if (line.rfind("file-db:/", 0) != 0 && line.rfind("system-db:", 0) != 0) abort();
    for (const char c : line) {
      if (static_cast<unsigned char>(c) < 0x20 || c == '#') abort();
    }
  }
  if (GnomeProxySetting::readOnlyProfile(readOnly, configFolder()) != readOnly) abort();

  if (nul == std::string::npos) return 0;
  std::vector<std::string> keys(11);
  size_t key = 0;
  for (const char c : text.substr(nul + 1)) {
    if (c == '\n' && key + 1 < keys.size()) {
      ++key;
    } else {
      keys[key] += c;
    }
  }
  GnomeProxySetting::Values values;
  values.mode = keys[0];
  values.http = {keys[1], number(keys[2]), !keys[3].empty(), keys[3], keys[4]};
  values.https = {.host = keys[5], .port = number(keys[6])};
  values.socks = {.host = keys[7], .port = number(keys[8])};
  values.useSameProxy = keys[9] != "false";
  values.ignoreHosts.clear();
  size_t start = 0;
  while (start <= keys[10].size()) {
    const size_t comma = std::min(keys[10].find(',', start), keys[10].size());
    values.ignoreHosts.push_back(keys[10].substr(start, comma - start));
    start = comma + 1;
  }
  const auto settings = GnomeProxySetting::settings(values);
  if (!settings) return 0;
  std::vector<std::string> proxies;
  for (const auto& [scheme, proxy] : settings->schemeProxies) proxies.push_back(proxy);
  if (settings->defaultProxy) proxies.push_back(*settings->defaultProxy);
  for (const auto& proxy : proxies) {
    if (ProxySettings::proxyAddress(proxy) != proxy) abort();
    if (!g_uri_is_valid(proxy.c_str(), G_URI_FLAGS_NONE, nullptr)) abort();
  }
  if (settings->description().find('@') != std::string::npos) abort();
  return 0;
}
