#include "platform/net/GnomeProxySetting.h"

#include <dconf.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "platform/net/ExternalUrl.h"
#include "platform/runtime/FileUtil.h"

namespace zu {

namespace {

// Where dconf keeps the system's profiles and databases, and the mandatory profiles.
constexpr const char* kSystemProfiles = "/etc/dconf/profile/";
constexpr const char* kSystemDatabases = "/etc/dconf/db/";
constexpr const char* kMandatoryProfiles = "/run/dconf/user/";
// A profile is a few lines; anything longer is no profile.
constexpr size_t kMaxProfileSize = 64 * 1024;

std::optional<std::string> variable(const ProxySettings::Environment& environment, const char* name) {
  auto it = environment.find(name);
  if (it == environment.end() || it->second.empty()) return std::nullopt;
  return it->second;
}

bool isFile(const std::string& path, off_t* size = nullptr) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (size) *size = st.st_size;
  return true;
}

// A path dconf reads back as written on a line of a profile: no line break or other control
// character, no '#' (a comment to dconf) and no blank at either end (dconf trims them). Any
// other would let the desktop's folder names write lines of their own into our profile.
bool fitsAProfileLine(const std::string& path) {
  if (path.empty() || path.front() == ' ' || path.back() == ' ') return false;
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '#') return false;
  }
  return true;
}

std::optional<std::string> readProfile(const std::string& path) {
  // The size first: a huge file is not read into memory at launch.
  off_t size = 0;
  if (!isFile(path, &size) || size > static_cast<off_t>(kMaxProfileSize)) return std::nullopt;
  auto bytes = FileUtil::readFile(path);
  if (!bytes || bytes->size() > kMaxProfileSize) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// A profile by name, where dconf looks for one: /etc, then each data folder.
std::optional<std::string> namedProfile(const ProxySettings::Environment& desktop, const std::string& name) {
  if (auto text = readProfile(kSystemProfiles + name)) return text;
  const std::string dirs = variable(desktop, "XDG_DATA_DIRS").value_or("/usr/local/share/:/usr/share/");
  size_t at = 0;
  while (at <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', at), dirs.size());
    const std::string dir = dirs.substr(at, end - at);
    if (!dir.empty() && dir.front() == '/') {
      if (auto text = readProfile(dir + "/dconf/profile/" + name)) return text;
    }
    at = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> endpointAddress(const char* scheme, const GnomeProxySetting::Endpoint& endpoint,
                                           bool withUser) {
  if (endpoint.host.empty() || endpoint.port < 1 || endpoint.port > 65535) return std::nullopt;
  std::string address = std::string(scheme) + "://";
  if (withUser && endpoint.useAuthentication && !endpoint.user.empty()) {
    address += ExternalUrl::percentEncoded(endpoint.user, false) + ":" +
               ExternalUrl::percentEncoded(endpoint.password, false) + "@";
  }
  const bool bare6 = endpoint.host.find(':') != std::string::npos && endpoint.host.front() != '[';
  address += (bare6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" + std::to_string(endpoint.port);
  return ProxySettings::proxyAddress(address);
}

// Reads the values of the keys through dconf over `profile` (a profile's text).
void readKeys(const std::string& profile, GnomeProxySetting::Values& values) {
  const int fd = ::memfd_create("zureader-dconf-profile", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) {
    std::perror("zureader: GNOME's proxy setting is not read: memfd_create");
    return;
  }
  const std::string name = "/proc/self/fd/" + std::to_string(fd);
  if (!FileUtil::writeAll(fd, reinterpret_cast<const uint8_t*>(profile.data()), profile.size()) ||
      ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0 ||
      ::access(name.c_str(), R_OK) != 0) {
    std::fprintf(stderr, "zureader: GNOME's proxy setting is not read: its profile cannot be handed to dconf\n");
    ::close(fd);
    return;
  }
  // dconf takes its profile from the environment when its client is made, and only then.
  const char* previous = std::getenv("DCONF_PROFILE");
  const std::optional<std::string> kept = previous ? std::optional<std::string>(previous) : std::nullopt;
  ::setenv("DCONF_PROFILE", name.c_str(), 1);
  DConfClient* client = dconf_client_new();
  if (kept) {
    ::setenv("DCONF_PROFILE", kept->c_str(), 1);
  } else {
    ::unsetenv("DCONF_PROFILE");
  }

  auto read = [&](const char* key, const char* type, const std::function<void(GVariant*)>& take) {
    GVariant* value = dconf_client_read(client, key);
    if (!value) return;
    if (g_variant_is_of_type(value, G_VARIANT_TYPE(type))) take(value);
    g_variant_unref(value);
  };
  auto text = [&](const char* key, std::string& into) {
    read(key, "s", [&](GVariant* v) { into = g_variant_get_string(v, nullptr); });
  };
  auto number = [&](const char* key, int& into) { read(key, "i", [&](GVariant* v) { into = g_variant_get_int32(v); }); };
  auto flag = [&](const char* key, bool& into) {
    read(key, "b", [&](GVariant* v) { into = g_variant_get_boolean(v); });
  };
  text("/system/proxy/mode", values.mode);
  text("/system/proxy/autoconfig-url", values.autoconfigUrl);
  flag("/system/proxy/use-same-proxy", values.useSameProxy);
  read("/system/proxy/ignore-hosts", "as", [&](GVariant* v) {
    values.ignoreHosts.clear();
    gsize count = 0;
    const gchar** hosts = g_variant_get_strv(v, &count);
    for (gsize i = 0; i < count; ++i) values.ignoreHosts.emplace_back(hosts[i]);
    g_free(hosts);
  });
  text("/system/proxy/http/host", values.http.host);
  number("/system/proxy/http/port", values.http.port);
  flag("/system/proxy/http/use-authentication", values.http.useAuthentication);
  text("/system/proxy/http/authentication-user", values.http.user);
  text("/system/proxy/http/authentication-password", values.http.password);
  text("/system/proxy/https/host", values.https.host);
  number("/system/proxy/https/port", values.https.port);
  text("/system/proxy/socks/host", values.socks.host);
  number("/system/proxy/socks/port", values.socks.port);
  g_object_unref(client);
  ::close(fd);
}

}  // namespace

std::string GnomeProxySetting::configFolder(const ProxySettings::Environment& desktop) {
  if (auto config = variable(desktop, "XDG_CONFIG_HOME"); config && config->front() == '/') return *config;
  std::optional<std::string> home = variable(desktop, "HOME");
  if (!home) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir) {
      home = found->pw_dir;
    }
  }
  return home ? *home + "/.config" : std::string();
}

std::optional<std::string> GnomeProxySetting::desktopProfile(const ProxySettings::Environment& desktop) {
  const std::string mandatory = kMandatoryProfiles + std::to_string(::getuid());
  struct stat st {};
  if (::stat(mandatory.c_str(), &st) == 0) {
    std::fprintf(stderr, "zureader: GNOME's proxy setting is not read: the desktop's dconf profile is mandatory (%s)\n",
                 mandatory.c_str());
    return std::nullopt;
  }
  static const std::string kDefault = "user-db:user\n";
  if (const auto named = variable(desktop, "DCONF_PROFILE")) {
    if (named->front() == '/') return readProfile(*named);
    if (auto text = namedProfile(desktop, *named)) return text;
    // As dconf: a missing profile of another name reads nothing.
    return *named == "user" ? std::optional<std::string>(kDefault) : std::nullopt;
  }
  if (const auto runtime = variable(desktop, "XDG_RUNTIME_DIR")) {
    if (auto text = readProfile(*runtime + "/dconf/profile")) return text;
  }
  if (auto text = namedProfile(desktop, "user")) return text;
  return kDefault;
}

std::string GnomeProxySetting::readOnlyProfile(const std::string& profile, const std::string& configFolder) {
  std::string out;
  size_t at = 0;
  while (at < profile.size()) {
    size_t end = profile.find('\n', at);
    if (end == std::string::npos) end = profile.size();
    std::string line = profile.substr(at, end - at);
    at = end + 1;
    // As dconf reads a line: leading blanks skipped, the rest of it ends at a blank or '#'.
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos) continue;
    line = line.substr(start, line.find_first_of(" \t\r#", start) - start);
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon + 1 == line.size()) continue;
    const std::string kind = line.substr(0, colon);
    const std::string name = line.substr(colon + 1);
    const std::string userDatabase = configFolder + "/dconf/" + name;
    if (kind == "user-db" && !configFolder.empty() && fitsAProfileLine(userDatabase) && isFile(userDatabase)) {
      out += "file-db:" + userDatabase + "\n";
    } else if (kind == "system-db" && name.find('/') == std::string::npos && isFile(kSystemDatabases + name)) {
      out += "system-db:" + name + "\n";
    } else if (kind == "file-db" && name.front() == '/' && fitsAProfileLine(name) && isFile(name)) {
      out += "file-db:" + name + "\n";
    }
  }
  return out;
}

std::optional<GnomeProxySetting::Values> GnomeProxySetting::readValues(const ProxySettings::Environment& desktop) {
  const auto profile = desktopProfile(desktop);
  if (!profile) return std::nullopt;
  const std::string readOnly = readOnlyProfile(*profile, configFolder(desktop));
  if (readOnly.empty()) return std::nullopt;
  Values values;
  readKeys(readOnly, values);
  return values;
}

std::optional<ProxySettings> GnomeProxySetting::settings(const Values& values) {
  if (values.mode == "auto") {
    std::fprintf(stderr, "zureader: GNOME's automatic proxy configuration (a proxy script) is not followed\n");
  }
  if (values.mode != "manual") return std::nullopt;
  const auto http = endpointAddress("http", values.http, true);
  const auto https = endpointAddress("http", values.https, false);
  const auto socks = endpointAddress("socks", values.socks, false);
  ProxySettings settings;
  if (http) settings.schemeProxies["http"] = *http;
  // As GNOME's own resolver: https without a proxy of its own goes through the http proxy
  // whatever use-same-proxy says; that key only sends the other schemes there too.
  if (https) {
    settings.schemeProxies["https"] = *https;
  } else if (http) {
    settings.schemeProxies["https"] = *http;
  }
  if (socks) {
    settings.defaultProxy = socks;
  } else if (http && values.useSameProxy) {
    settings.defaultProxy = http;
  }
  if (settings.direct()) return std::nullopt;
  settings.directHosts = ProxySettings::hostList(values.ignoreHosts);
  return settings;
}

std::optional<ProxySettings> GnomeProxySetting::read(const ProxySettings::Environment& desktop) {
  const auto values = readValues(desktop);
  return values ? settings(*values) : std::nullopt;
}

}  // namespace zu
