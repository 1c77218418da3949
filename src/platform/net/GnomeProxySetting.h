// GnomeProxySetting: GNOME's proxy setting (org.gnome.system.proxy: its mode, ignore-hosts,
// use-same-proxy and the http, https and socks proxies) as the desktop holds it in its dconf
// databases, read without writing anything and without the client's own settings backend.
//
// Why not GLib's own way: the client runs GLib's settings in memory (LibraryFolders), so GIO's
// proxy resolver sees no desktop setting; and dconf's settings backend, asked for the desktop
// user's database, writes a file of its own in the runtime folder (rewritten in place, through
// whatever link stands there: in the client's home when the desktop has no runtime folder) and
// talks to the settings service over D-Bus. So the databases are read through dconf's client
// library over a profile of our own making, held in memory (a sealed-off memfd named to dconf as
// /proc/self/fd/<n>): the desktop's profile (DCONF_PROFILE, else the runtime folder's, else
// "user" from /etc/dconf/profile or the data folders, else dconf's default), with its user
// database read as a plain file ("file-db:", which dconf opens read-only and never watches) and
// its system databases ("system-db:", the administrator's settings and locks, read-only) kept.
// Every file it reads is the desktop's: the desktop user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config, of the desktop's environment), /etc, the data folders;
// nothing of the client's home. A desktop whose profile is mandatory (/run/dconf/user/<uid>, which
// dconf takes before any other) cannot be read so: its setting is not read, and the reason is
// logged.
//
// Keys a database does not hold have the schema's defaults (mode "none", use-same-proxy true,
// ignore-hosts localhost, 127.0.0.0/8 and ::1, the http port 8080, the others 0); a value of the
// wrong type counts as not held. The setting names a proxy only in mode "manual" with a host and a
// port (1 to 65535) for at least one of http, https and socks, and then reads as GNOME's own
// resolver reads it: the http proxy for http (with its user and password when it asks for them),
// the https proxy for https, else the http proxy (whatever use-same-proxy says), the socks proxy
// for every other scheme; with use-same-proxy, the other schemes go through the http proxy when
// there is no socks proxy. Mode "auto" (a
// proxy script) is not followed: neither stack can run one; it is logged.
//
// Threads: read() sets DCONF_PROFILE for the moment dconf reads it, so it is called where no
// other thread reads the environment (start-up, before threads; a test's own thread).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/net/ProxySettings.h"

namespace zu {

class GnomeProxySetting {
 public:
  // One proxy of the setting (org.gnome.system.proxy.http, .https, .socks).
  struct Endpoint {
    std::string host;
    int port = 0;
    // The http proxy's own keys.
    bool useAuthentication = false;
    std::string user;
    std::string password;
  };
  // The setting's keys, each at the schema's default until a database holds it.
  struct Values {
    std::string mode = "none";
    std::string autoconfigUrl;
    std::vector<std::string> ignoreHosts = {"localhost", "127.0.0.0/8", "::1"};
    bool useSameProxy = true;
    Endpoint http{.port = 8080};
    Endpoint https;
    Endpoint socks;
  };

  // The desktop's setting from its databases, as proxy settings; nullopt when it names no
  // proxy (or cannot be read). `desktop`: the desktop's environment.
  static std::optional<ProxySettings> read(const ProxySettings::Environment& desktop);

  // The keys held in the desktop's databases; nullopt when there are none to read.
  static std::optional<Values> readValues(const ProxySettings::Environment& desktop);
  // The setting's keys as proxy settings; nullopt when they name no proxy.
  static std::optional<ProxySettings> settings(const Values& values);
  // The desktop's dconf profile, as dconf itself would find it; nullopt when dconf would read no
  // database (a named profile that does not exist) or a mandatory profile stands first. A
  // profile file over 64 KiB is none (not read).
  static std::optional<std::string> desktopProfile(const ProxySettings::Environment& desktop);
  // `profile` made read-only: each user database as the file of that name in
  // `configFolder`/dconf, each system database kept, file databases kept; the rest (service
  // databases, databases whose file is missing or whose path would not stay one line of a
  // profile, anything else) left out.
  static std::string readOnlyProfile(const std::string& profile, const std::string& configFolder);
  // The desktop user's configuration folder ($XDG_CONFIG_HOME when absolute, else ~/.config).
  static std::string configFolder(const ProxySettings::Environment& desktop);
};

}  // namespace zu
