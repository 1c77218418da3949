// UrlOpener: how the executable opens a URL the application hands to the system (the system
// browser, a mail address): only what ExternalUrl's rules accept — http and https addresses with
// a host, and mailto addresses with no field but to, cc, subject and body, within the length
// bound and free of control, bidi and line-separator characters — is passed on, to the
// desktop's `xdg-open` when there is a desktop; every other address (tel:, sms:, file:, the
// store's own schemes, a mail with "attach", …) is refused, so a page or a server reply can
// never make the client start another program on an address of its choosing. Each decision is
// printed on standard output ("zureader: open …" or "zureader: refused to open …", the refused
// address with its unprintable characters shown as "?").
//
// Used by main.cpp as ui::Application's open hook; main thread. Headless, an accepted URL is
// only printed (and counts as opened).
#pragma once

#include <string>

namespace zu {

class UrlOpener {
 public:
  UrlOpener() = delete;

  // Opens an openable URL (see above); false when refused or when xdg-open cannot be started.
  // xdg-open is not waited for on the calling thread (a browser it starts may stay until closed).
  static bool open(const std::string& url, bool headless);
};

}  // namespace zu
