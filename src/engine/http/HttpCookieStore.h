// HttpCookieStore: the session cookies the HTTP engine manager keeps in memory, one per
// (user name, password, host); a newer cookie for the same triple replaces the older one. A
// cookie set with the "Secure" attribute is kept as secure-only and handed out for https
// requests only.
//
// The key encodes each part with its length, so no two different triples share a key (joining
// the bare texts would let "ab"+"c" and "a"+"bc" collide). Nothing is written to disk.
//
// Thread-safe: engines on the task thread and on the main thread use it at the same time.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace zu {

class HttpCookieStore {
 public:
  // Stores `cookie` (the part of a "Set-Cookie" value before its first ";").
  void onNewCookie(std::string cookie, const std::optional<std::string>& user,
                   const std::optional<std::string>& password, std::string_view host,
                   bool secureOnly);
  // The cookie of the triple; a secure-only one only when `secureChannel`.
  std::optional<std::string> cookieForUser(const std::optional<std::string>& user,
                                           const std::optional<std::string>& password,
                                           std::string_view host, bool secureChannel) const;
  // Forgets every cookie (logout).
  void removeAllCookies();

  static std::string cookieKey(const std::optional<std::string>& user,
                               const std::optional<std::string>& password, std::string_view host);

 private:
  mutable std::mutex cookiesLocker_;
  struct Cookie {
    std::string text;
    bool secureOnly = false;
  };
  std::map<std::string, Cookie> cookies_;
};

}  // namespace zu
