// UrlOpener: how the executable opens a URL the application hands to the system (the system
// browser, a mail address): only http and https addresses with a host, and mailto addresses,
// are passed on, to the desktop's `xdg-open` when there is a desktop; every other scheme
// (tel:, sms:, file:, the store's own schemes, …) is refused, so a page or a server reply can
// never make the client start another program on an address of its choosing. Each decision is
// printed on standard output ("zureader: open …" or "zureader: refused to open …").
//
// Used by main.cpp as ui::Application's open hook; main thread. Headless, an accepted URL is
// only printed (and counts as opened).
#pragma once

#include <string>

namespace zu {

class UrlOpener {
 public:
  UrlOpener() = delete;

  // True for "http://host…", "https://host…" (any case of the scheme) and "mailto:…" with an
  // address; false for anything else, and for text holding control characters or blanks.
  static bool isOpenable(const std::string& url);

  // Opens an openable URL (see above); false when refused or when xdg-open cannot be started.
  // xdg-open is not waited for on the calling thread (a browser it starts may stay until closed).
  static bool open(const std::string& url, bool headless);
};

}  // namespace zu
