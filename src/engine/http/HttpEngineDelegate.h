// HttpEngineDelegate: the cookie store an HttpEngine asks and tells (HttpEngineManager for the
// data engine's engines). Called on the engine's thread; an implementation shared between
// threads locks itself. Not retained by the engine.
//
// Credentials and host may be absent (no user yet, a URL without host); the store keys on them
// as given. A cookie set with the "Secure" attribute is secure-only: it goes out over https
// only, never over plain http to the same host.
#pragma once

#include <optional>
#include <string>

namespace zu {

class HttpEngineDelegate {
 public:
  virtual ~HttpEngineDelegate() = default;
  // A 200 answer carried "Set-Cookie": `cookie` is its text up to the first ';', `host` the
  // host that sent it, `secureOnly` whether it carried the "Secure" attribute.
  virtual void onNewCookie(const std::string& cookie, const std::optional<std::string>& user,
                           const std::optional<std::string>& password,
                           const std::optional<std::string>& host, bool secureOnly) = 0;
  // The cookie kept for these credentials and host, or nullopt; a secure-only cookie only when
  // `secureChannel` (the request goes over https).
  virtual std::optional<std::string> cookieForUser(const std::optional<std::string>& user,
                                                   const std::optional<std::string>& password,
                                                   const std::optional<std::string>& host,
                                                   bool secureChannel) = 0;
};

}  // namespace zu
