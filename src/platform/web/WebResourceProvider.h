// WebResourceProvider: where the web views' sub-resources (pictures, style sheets, scripts)
// come from when the application wants to answer them itself, so that an offline article
// still shows its pictures. The kit declares it; the application installs one with
// setShared() (the shell's answers from its link cache and fetches misses).
//
// Which requests reach it: only the sub-resource elements (pictures, style sheets, scripts,
// fonts loaded without CORS) of pages the client built (loaded from a string), every http and
// https one. Those the page names itself (NamedResources: an article's own pictures, style
// sheets and scripts) come `kCacheThenNetwork`: from the cache when held, else fetched and kept.
// Any other (a script's made-up picture, another article's) comes `kNetworkOnly`: fetched past
// the cache, neither read from it nor kept in it, so a script timing a picture cannot tell one the
// client holds from one it never saw. Pages loaded from an address (third party pages) never
// reach it, offline neither: they load everything from the network, through the engine, which
// keeps their sites' cookies. Page navigations and what a page's scripts ask for
// (XMLHttpRequest, fetch, beacons) never come here: they keep the engine's own same-origin
// rules, and no script can read what the provider answers.
//
// Threads: resourceForUrl is called on the engine's resource thread ("web-resources", which has
// a run loop: a fetch may run there) — never the main thread, so a page does not wait for the
// screen's frames — and answers through `done` exactly once, from any thread, now or later.
// It must be thread-safe. Without a provider installed every such request fails (the page
// shows no picture).
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

  // Where an answer may come from (see above).
  enum class Reach { kCacheThenNetwork, kNetworkOnly };

  virtual ~WebResourceProvider() = default;
  // The resource, or nullopt (a failed fetch).
  virtual void resourceForUrl(const std::string& url, Reach reach, Done done) = 0;

  // The installed provider, or null. Any thread.
  static std::shared_ptr<WebResourceProvider> shared();
  static void setShared(std::shared_ptr<WebResourceProvider> provider);
};

}  // namespace zu::web
