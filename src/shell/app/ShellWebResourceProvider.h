// ShellWebResourceProvider: where the application's web views get their sub-resources — for an
// address the page names itself, the link cache (pictures from the image cache, style sheets
// and scripts from the book files or the reader's response cache), and on a miss the network
// through an HttpEngine (certificates checked, no service cookie sent, the answer stored back
// into the link cache so the article shows its pictures offline next time); for any other
// address the network alone, its answer kept nowhere. Installed by the application delegate
// at launch (install()).
//
// Threads: resourceForUrl on the web engine's resource thread (any thread with a run loop), its
// answer there too (at once from the cache, later from the network, whose fetch runs on that
// thread's loop); the link cache relies on the file caches' own locks. One fetch per request;
// nothing is coalesced.
//
// Where we differ on purpose: the link cache is not consulted by every web view, only for what
// a page the client built names itself; a page loaded from an address (another site's, in the
// in-app browser) never reaches it, and an article's script asking for another article's
// picture gets it from the network, since a page could otherwise time which pictures come from
// the cache and so read the reader's history.
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

  // True when the link cache answers `url` (an http or https address) without the network.
  bool holds(const std::string& url);
  void resourceForUrl(const std::string& url, Reach reach, Done done) override;

 private:
  class Fetch;

  std::shared_ptr<LinkCache> cache_ = std::make_shared<LinkCache>();
};

}  // namespace zu
