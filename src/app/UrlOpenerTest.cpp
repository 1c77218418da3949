#include "app/UrlOpener.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

// Only web pages and mail addresses leave the application; every other scheme an article, a
// page or the service could hand over is refused, as is text that is no plain address.
TEST(UrlOpenerTest, PassesOnlyWebAndMailAddresses) {
  for (const char* url : {"http://example.com/a?b=c", "https://example.com", "HTTPS://Example.com/x",
                          "mailto:reader@example.com"}) {
    EXPECT_TRUE(UrlOpener::isOpenable(url)) << url;
  }
  for (const char* url : {"tel:0", "sms:10086", "file:///etc/passwd", "javascript:alert(1)", "itms-apps://x",
                          "ftp://example.com", "http:/example.com", "http://", "https:///path", "mailto:",
                          "httpx://example.com", "example.com", "", "http://exa mple.com",
                          "http://example.com/\nrm", "-http://example.com"}) {
    EXPECT_FALSE(UrlOpener::isOpenable(url)) << url;
  }
  // Headless an accepted address counts as opened without starting anything; a refused one
  // is not opened.
  EXPECT_TRUE(UrlOpener::open("https://example.com", true));
  EXPECT_FALSE(UrlOpener::open("tel:0", true));
  EXPECT_FALSE(UrlOpener::open("file:///etc/passwd", false));
}

}  // namespace
}  // namespace zu
