// NamedResources: the addresses a page the client built names itself (an article's pictures,
// style sheets and scripts), the only ones the WebResourceProvider may answer from its cache for
// that page. Any other address the page asks for — one its script made up, a picture of another
// article — is fetched from the network past the cache, so a script timing a picture cannot
// tell one the client holds from one it never saw.
//
// Addresses are compared as the engine asks for them: the scheme and host in lower case, the
// scheme's own port, the fragment and tabs and line breaks dropped, an empty path as "/", and
// spaces, quotes, angle brackets and bytes past ASCII percent-escaped (normalized(); it leaves a
// form the engine made as it is). Only http and https addresses are named.
//
// Made on the main thread with the page's load and read on the engine's thread: immutable once
// made, shared through std::shared_ptr<const NamedResources>.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace zu::web {

class NamedResources {
 public:
  NamedResources() = default;
  explicit NamedResources(const std::vector<std::string>& addresses);

  bool names(const std::string& url) const;
  bool empty() const { return addresses_.empty(); }
  size_t size() const { return addresses_.size(); }

  // `url` as the engine writes it (see above); "" for anything but an http or https address
  // with a host.
  static std::string normalized(const std::string& url);

 private:
  std::set<std::string> addresses_;
};

}  // namespace zu::web
