// WebResourceProvider: where the web views' sub-resources (pictures, style sheets, scripts)
// come from when the application wants to answer them itself, so that an offline article
// still shows its pictures. The kit declares it; the application installs one with
// setShared() (the shell's answers from its link cache and fetches misses).
//
// Which requests reach it: only a page's sub-resource elements (pictures, style sheets,
// scripts, fonts loaded without CORS): in pages loaded from a string (the pages the client
// builds) every http and https one, with `fetchOnMiss` set; in pages loaded from an address
// (third party pages) only those of other origins the provider says it holds(), and only while
// it says the network cannot be reached (networkReachable()), with `fetchOnMiss` clear; the
// rest of those stay with the engine, which keeps the sites' cookies. Page navigations and
// what a page's scripts ask for (XMLHttpRequest, fetch, beacons) never come here: they keep
// the engine's own same-origin rules, and no script can read what the provider answers.
//
// Where we differ on purpose: the link cache is not open to every web view at any time. A page
// from elsewhere can read when each of its pictures began to arrive (resource
// timing): one answered by the client arrives at once, one from another site's server
// "never" (without that site's leave), so it could tell which pictures of other sites the
// reader has seen. While the network can be reached such a page therefore gets nothing from
// the provider; offline it gets what is held, as before, since it could load nothing else.
//
// Threads: resourceForUrl is called on the engine's resource thread ("web-resources", which has
// a run loop: a fetch may run there) — never the main thread, so a page does not wait for the
// screen's frames — and answers through `done` exactly once, from any thread, now or later.
// holds() and networkReachable() are called on a web-engine thread while a page waits, so they
// must be quick. All must be thread-safe. Without a provider installed every such request fails (the page shows no
// picture) and holds() is taken as false.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zu::web {

struct WebResource {
  std::vector<uint8_t> data;
  // Empty when unknown: the engine then sniffs the bytes.
  std::string mimeType;
};

class WebResourceProvider {
 public:
  using Done = std::function<void(std::optional<WebResource>)>;

  virtual ~WebResourceProvider() = default;
  // True when the resource can be answered without the network.
  virtual bool holds(const std::string& url) = 0;
  // False while the network cannot be reached (the only time pages from elsewhere get what the
  // provider holds). The default, true, keeps them from it always.
  virtual bool networkReachable() { return true; }
  // The resource, or nullopt (a miss when !fetchOnMiss, or a failed fetch).
  virtual void resourceForUrl(const std::string& url, bool fetchOnMiss, Done done) = 0;

  // The installed provider, or null. Any thread.
  static std::shared_ptr<WebResourceProvider> shared();
  static void setShared(std::shared_ptr<WebResourceProvider> provider);
};

}  // namespace zu::web
