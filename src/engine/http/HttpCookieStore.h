// HttpCookieStore: the session cookies the HTTP engine manager keeps in memory, one per
// (user name, password, host); a newer cookie for the same triple replaces the older one.
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
                   const std::optional<std::string>& password, std::string_view host);
  std::optional<std::string> cookieForUser(const std::optional<std::string>& user,
                                           const std::optional<std::string>& password,
                                           std::string_view host) const;
  // Forgets every cookie (logout).
  void removeAllCookies();

  static std::string cookieKey(const std::optional<std::string>& user,
                               const std::optional<std::string>& password, std::string_view host);

 private:
  mutable std::mutex cookiesLocker_;
  std::map<std::string, std::string> cookies_;
};

}  // namespace zu
