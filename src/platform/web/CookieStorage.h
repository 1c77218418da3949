// CookieStorage: the web engine's shared cookies, as the screens reach them: the
// authorisation screen deletes the cookies of a microblog's domain before it shows the
// platform's page. (That page itself runs in an ephemeral WebView — WebView::setEphemeral —
// which neither sends nor keeps the shared cookies.)
//
// The engine files cookies by site (the registrable domain: "t.example.com" is filed under
// "example.com"), so a deletion works on sites: every site whose name contains the fragment,
// or of which the fragment is a host ("t.example.com" deletes the site "example.com"), loses all
// its cookies. That errs towards deleting more, never less, of the platform's login state.
//
// Main thread; answers come on later turns of the main run loop. Without an engine (or while web
// views are the recording stand-in, WebView::usesEngine() false) the lists are empty and nothing
// is deleted.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zu::web {

class CookieStorage {
 public:
  static CookieStorage& shared();

  // The sites that hold cookies, sorted.
  void sites(std::function<void(std::vector<std::string>)> done);
  // Deletes the cookies of every site matching `fragment` (see above); `done` gets the sites.
  void deleteCookiesForDomain(const std::string& fragment,
                              std::function<void(std::vector<std::string>)> done = nullptr);

  // Whether `site` matches `fragment` as deleteCookiesForDomain matches it.
  static bool siteMatches(const std::string& site, const std::string& fragment);
};

}  // namespace zu::web
