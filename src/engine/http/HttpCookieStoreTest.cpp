#include "engine/http/HttpCookieStore.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

TEST(HttpCookieStoreTest, CookiesBelongToExactlyOneUserPasswordAndHost) {
  HttpCookieStore store;
  store.onNewCookie("JSESSIONID=1", std::string("ab"), std::string("c"), "host", false);
  // Joining the bare texts would make both of these the same key as the first.
  EXPECT_FALSE(store.cookieForUser(std::string("a"), std::string("bc"), "host", false));
  EXPECT_FALSE(store.cookieForUser(std::string("ab"), std::string("ch"), "ost", false));
  EXPECT_FALSE(store.cookieForUser(std::string("ab"), std::string("other"), "host", false));
  EXPECT_FALSE(store.cookieForUser(std::nullopt, std::string("c"), "host", false));
  EXPECT_EQ(store.cookieForUser(std::string("ab"), std::string("c"), "host", false), "JSESSIONID=1");

  store.onNewCookie("JSESSIONID=2", std::string("ab"), std::string("c"), "host", false);
  EXPECT_EQ(store.cookieForUser(std::string("ab"), std::string("c"), "host", false), "JSESSIONID=2");
  store.onNewCookie("guest=1", std::nullopt, std::nullopt, "host", false);
  EXPECT_EQ(store.cookieForUser(std::nullopt, std::nullopt, "host", false), "guest=1");
  EXPECT_FALSE(store.cookieForUser(std::string(""), std::string(""), "host", false));

  // A secure-only cookie goes out over https only; a later plain one for the triple replaces it.
  store.onNewCookie("sid=s", std::string("ab"), std::string("c"), "host", true);
  EXPECT_FALSE(store.cookieForUser(std::string("ab"), std::string("c"), "host", false));
  EXPECT_EQ(store.cookieForUser(std::string("ab"), std::string("c"), "host", true), "sid=s");
  store.onNewCookie("sid=p", std::string("ab"), std::string("c"), "host", false);
  EXPECT_EQ(store.cookieForUser(std::string("ab"), std::string("c"), "host", false), "sid=p");

  store.removeAllCookies();
  EXPECT_FALSE(store.cookieForUser(std::string("ab"), std::string("c"), "host", true));
}

}  // namespace
}  // namespace zu
