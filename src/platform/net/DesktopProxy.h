// DesktopProxy: the process's one answer to "through which proxy?", taken from the desktop's own
// settings once at start-up and handed to every HTTP the client makes — libcurl's transfers
// (UrlConnection: the service's feeds, pictures, the open platforms' clients) and the web
// engine's pages (WebEngine: the in-app browser, the article pages' links, the lookups, the
// authorisation screen), the movie player's streams too.
//
// The answer: on a GNOME desktop (XDG_CURRENT_DESKTOP names it, as GIO decides whether to follow
// GNOME's setting), GNOME's setting when it names a proxy (GnomeProxySetting: read from the
// desktop's dconf databases); else the `*_proxy` variables of the desktop's environment
// (ProxySettings::fromVariables); else none: direct. The two are not mixed: GNOME's setting
// brings its own list of hosts reached directly. Another desktop's stale GNOME setting (one
// left from a GNOME session, say) is not followed. A variable whose value is no usable proxy
// address is logged by name and not used.
//
// Until resolve() or setCurrent() the answer is direct, and it is never libcurl's own reading
// of the environment: a process that did not resolve (a test, a tool) goes direct.
//
// Threads: resolve() at start-up, where no other thread reads the environment (GnomeProxySetting)
// — in the client right after LibraryFolders::confine(), before the web engine starts (its
// network process takes the answer when the engine makes its first context); current() and
// setCurrent() from any thread; a transfer or context takes the answer current when it starts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/net/ProxySettings.h"

namespace zu {

class DesktopProxy {
 public:
  // The answer for the desktop whose environment is `environment` (as posix_spawn takes it);
  // the variables whose value was not used go to `unused` when given.
  static ProxySettings resolved(char** environment, std::vector<std::string>* unused = nullptr);
  // Resolves it and makes it the process's answer; logs which proxy is used (without its user
  // and password) unless direct.
  static void resolve(char** environment);

  static std::shared_ptr<const ProxySettings> current();
  static void setCurrent(ProxySettings settings);

  // The variables of `environment` by name.
  static ProxySettings::Environment variables(char** environment);
  // Whether the desktop of `environment` is GNOME's, whose proxy setting it then follows.
  static bool followsGnome(const ProxySettings::Environment& environment);
};

}  // namespace zu
