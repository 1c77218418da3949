#include "engine/http/HttpCookieStore.h"

#include <utility>

namespace zu {

namespace {

// "-" for an absent part, else "<length>:<text>".
void appendPart(std::string& key, const std::optional<std::string_view>& part) {
  if (!part) {
    key += '-';
    return;
  }
  key += std::to_string(part->size());
  key += ':';
  key.append(*part);
}

}  // namespace

std::string HttpCookieStore::cookieKey(const std::optional<std::string>& user,
                                       const std::optional<std::string>& password,
                                       std::string_view host) {
  std::string key;
  appendPart(key, user ? std::optional<std::string_view>(*user) : std::nullopt);
  appendPart(key, password ? std::optional<std::string_view>(*password) : std::nullopt);
  appendPart(key, host);
  return key;
}

void HttpCookieStore::onNewCookie(std::string cookie, const std::optional<std::string>& user,
                                  const std::optional<std::string>& password,
                                  std::string_view host, bool secureOnly) {
  std::string key = cookieKey(user, password, host);
  std::lock_guard<std::mutex> guard(cookiesLocker_);
  cookies_[std::move(key)] = Cookie{std::move(cookie), secureOnly};
}

std::optional<std::string> HttpCookieStore::cookieForUser(
    const std::optional<std::string>& user, const std::optional<std::string>& password,
    std::string_view host, bool secureChannel) const {
  std::string key = cookieKey(user, password, host);
  std::lock_guard<std::mutex> guard(cookiesLocker_);
  auto it = cookies_.find(key);
  if (it == cookies_.end() || (it->second.secureOnly && !secureChannel)) return std::nullopt;
  return it->second.text;
}

void HttpCookieStore::removeAllCookies() {
  std::lock_guard<std::mutex> guard(cookiesLocker_);
  cookies_.clear();
}

}  // namespace zu
