// ProxySettings: which proxy the client's HTTP goes through, as one answer that both of its
// network stacks take — libcurl (UrlConnection) and the web engine's network process — so the
// two never disagree about an address: a proxy per scheme ("http", "https"), a default proxy for
// the schemes without one of their own, and the hosts reached directly. No proxy at all is
// direct(). DesktopProxy makes the process's answer from the desktop's settings; this class only
// holds and words it.
//
// Proxies are kept as absolute addresses "scheme://[user[:password]@]host:port/", the scheme one
// of http, https (TLS to the proxy), socks4, socks4a, socks5, socks5h or socks (GNOME's word:
// SOCKS 5 first). Both stacks have SOCKS 5 proxies resolve the names themselves (GIO's SOCKS 5
// always does; libcurl is told "socks5h"), so a name only the proxy knows works through either.
//
// The direct hosts are kept in the words both stacks read the same way: "example.com" (also
// written ".example.com" or "*.example.com") for that host and every host below it, an IP
// address for that address, "10.0.0.0/8" or "fe80::/10" for a range of addresses (an address
// written in the request, never a name resolved to it). An entry for one port only
// ("example.com:8080") is dropped — libcurl has no such entry — and so is one with a character no
// host name has. A "*" in the variables' list means no proxy at all: fromVariables() gives
// direct() then.
//
// A value type; the parsing functions are pure and safe on any input.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zu {

class ProxySettings {
 public:
  // The process's environment, or a test's, by variable name.
  using Environment = std::map<std::string, std::string>;

  // Proxies for addresses of one scheme ("http", "https").
  std::map<std::string, std::string> schemeProxies;
  // For addresses of any other scheme.
  std::optional<std::string> defaultProxy;
  // Hosts reached without a proxy, in the words above.
  std::vector<std::string> directHosts;

  // The settings from the `*_proxy` variables, lower case read before upper case: http_proxy for
  // http, https_proxy for https, all_proxy for the rest, no_proxy's hosts reached directly. A
  // proxy named without a scheme is an HTTP proxy, one without a port listens on 1080 (as
  // libcurl reads them); a value that is no proxy address is not used. No variable set (or only
  // no_proxy), or a no_proxy of "*": direct. The names of the variables whose value was not
  // used go to `unused` when given.
  static ProxySettings fromVariables(const Environment& environment, std::vector<std::string>* unused = nullptr);
  // `text` as a proxy address in the form above; nullopt when it is none (an unknown scheme, no
  // host, a path, a query, a port out of range, a space or control character) or when one of
  // the two stacks would not take it (bytes that are no UTF-8, a '%' that escapes nothing), or
  // when its host is written in escapes that read as another host (a kept address reads back as
  // itself).
  static std::optional<std::string> proxyAddress(std::string_view text);
  // The entries of a list of hosts (separated by commas or white space) in the words above;
  // entries not kept are dropped. `all` is set when an entry is "*".
  static std::vector<std::string> hostList(const std::vector<std::string>& entries, bool* all = nullptr);
  static std::vector<std::string> hostList(std::string_view text, bool* all = nullptr);

  // No proxy for any address.
  bool direct() const { return schemeProxies.empty() && !defaultProxy; }
  // The proxy for addresses of `scheme` (nullopt: they go directly), the direct hosts aside.
  std::optional<std::string> proxyFor(std::string_view scheme) const;
  // The proxy for `url` in libcurl's words (CURLOPT_PROXY): "" for none, "socks5h" for GNOME's
  // "socks" and for "socks5".
  std::string curlProxy(std::string_view url) const;
  // The direct hosts in libcurl's words (CURLOPT_NOPROXY): comma-separated.
  std::string curlNoProxy() const;
  // The proxy for `url`, the direct hosts counted, decided as the web engine's network process
  // decides (GIO's resolver over these settings): for a consumer that takes one proxy for one
  // address (the movie player's stream). nullopt: directly.
  std::optional<std::string> proxyForUrl(const std::string& url) const;

  // The settings in a line for the log, the proxies' users and passwords left out: "http
  // http://proxy:3128/, default socks://s:1080/; direct: localhost,10.0.0.0/8" ("direct" alone
  // for no proxy).
  std::string description() const;

  bool operator==(const ProxySettings&) const = default;
};

}  // namespace zu
