// WebResourceProvider: where the web views' sub-resources (pictures, style sheets, scripts)
// come from when the application wants to answer them itself, so that an offline article
// still shows its pictures. The kit declares it; the application installs one with
// setShared() (the shell's answers from its link cache and fetches misses).
//
// Which requests reach it: only a page's sub-resource elements (pictures, style sheets,
// scripts, fonts loaded without CORS): in pages loaded from a string (the pages the client
// builds) every http and https one, with `fetchOnMiss` set; in pages loaded from an address
// (third party pages) only those the provider says it holds(), with `fetchOnMiss` clear; the
// rest of those stay with the engine, which keeps the sites' cookies. Page navigations and
// what a page's scripts ask for (XMLHttpRequest, fetch, beacons) never come here: they keep
// the engine's own same-origin rules, and no script can read what the provider answers.
//
// Threads: resourceForUrl is called on the engine's resource thread ("web-resources", which has
// a run loop: a fetch may run there) — never the main thread, so a page does not wait for the
// screen's frames — and answers through `done` exactly once, from any thread, now or later.
// holds() is called on a web-engine thread while a page waits, so it must be quick. Both must
// be thread-safe. Without a provider installed every such request fails (the page shows no
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
  // The resource, or nullopt (a miss when !fetchOnMiss, or a failed fetch).
  virtual void resourceForUrl(const std::string& url, bool fetchOnMiss, Done done) = 0;

  // The installed provider, or null. Any thread.
  static std::shared_ptr<WebResourceProvider> shared();
  static void setShared(std::shared_ptr<WebResourceProvider> provider);
};

}  // namespace zu::web
