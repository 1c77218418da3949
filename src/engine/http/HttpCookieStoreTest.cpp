#include "engine/http/HttpCookieStore.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

TEST(HttpCookieStoreTest, CookiesBelongToExactlyOneUserPasswordAndHost) {
  HttpCookieStore store;
  store.onNewCookie("JSESSIONID=1", std::string("ab"), std::string("c"), "host");
  // Joining the bare texts would make both of these the same key as the first.
  EXPECT_FALSE(store.cookieForUser(std::string("a"), std::string("bc"), "host"));
  EXPECT_FALSE(store.cookieForUser(std::string("ab"), std::string("ch"), "ost"));
  EXPECT_FALSE(store.cookieForUser(std::string("ab"), std::string("other"), "host"));
  EXPECT_FALSE(store.cookieForUser(std::nullopt, std::string("c"), "host"));
  EXPECT_EQ(store.cookieForUser(std::string("ab"), std::string("c"), "host"), "JSESSIONID=1");

  store.onNewCookie("JSESSIONID=2", std::string("ab"), std::string("c"), "host");
  EXPECT_EQ(store.cookieForUser(std::string("ab"), std::string("c"), "host"), "JSESSIONID=2");
  store.onNewCookie("guest=1", std::nullopt, std::nullopt, "host");
  EXPECT_EQ(store.cookieForUser(std::nullopt, std::nullopt, "host"), "guest=1");
  EXPECT_FALSE(store.cookieForUser(std::string(""), std::string(""), "host"));

  store.removeAllCookies();
  EXPECT_FALSE(store.cookieForUser(std::string("ab"), std::string("c"), "host"));
}

}  // namespace
}  // namespace zu
