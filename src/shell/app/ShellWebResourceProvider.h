// ShellWebResourceProvider: where the application's web views get their sub-resources — the
// link cache (pictures from the image cache, style sheets and scripts from the book files or
// the reader's response cache), and for a miss in a page the client built, the network through
// an HttpEngine (certificates checked, no service cookie sent, the answer stored back into the
// link cache so the article shows its pictures offline next time). Installed by the
// application delegate at launch (install()).
//
// Threads: resourceForUrl on the web engine's resource thread (any thread with a run loop), its
// answer there too (at once from the cache, later from the network, whose fetch runs on that
// thread's loop); holds() and networkReachable() on the web engine's query threads (the link
// cache relies on the file caches' own locks). One fetch per request; nothing is coalesced.
//
// Where we differ on purpose: the link cache is consulted by every web view, but a page loaded
// from an address (another site's, in the in-app browser) gets what it holds only while the
// network cannot be reached — the kit asks networkReachable() — since a page could otherwise
// time which pictures of other sites come from the cache and so read the reader's history.
#pragma once

#include <memory>
#include <string>

#include "engine/cache/LinkCache.h"
#include "platform/web/WebResourceProvider.h"

namespace zu {

class ShellWebResourceProvider : public web::WebResourceProvider {
 public:
  // Makes the provider the web views' one.
  static void install();

  bool holds(const std::string& url) override;
  // As the link cache's offline rule has it: the internet connection's status is not 0.
  bool networkReachable() override;
  void resourceForUrl(const std::string& url, bool fetchOnMiss, Done done) override;

 private:
  class Fetch;

  std::shared_ptr<LinkCache> cache_ = std::make_shared<LinkCache>();
};

}  // namespace zu
