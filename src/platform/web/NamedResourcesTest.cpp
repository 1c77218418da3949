#include "platform/web/NamedResources.h"

#include <gtest/gtest.h>

namespace zu::web {
namespace {

// The page's addresses as written match the engine's form of them, and nothing else does.
TEST(NamedResourcesTest, AnAddressAsWrittenMatchesTheEnginesFormOfIt) {
  const NamedResources named({"HTTP://Img.Example.TEST:80/a b/图.png?x=\"1\"#top", " https://h.test:443 ",
                              "http://h.test/p\\q.css", "http://h.test/tab\tbed.js", "web:getimageclick;seq=1",
                              "file:///etc/passwd", "/relative.png", "http://:80/x"});
  EXPECT_EQ(named.size(), 4u);
  EXPECT_TRUE(named.names("http://img.example.test/a%20b/%E5%9B%BE.png?x=%221%22"));
  EXPECT_TRUE(named.names("https://h.test/"));
  EXPECT_TRUE(named.names("http://h.test/p/q.css"));
  EXPECT_TRUE(named.names("http://h.test/tabbed.js"));
  for (const char* other : {"http://img.example.test/a%20b/%E5%9B%BE.png", "http://img.example.test:8080/a%20b/%E5%9B%BE.png?x=%221%22",
                            "https://img.example.test/a%20b/%E5%9B%BE.png?x=%221%22", "http://h.test/P/q.css",
                            "file:///etc/passwd", "/relative.png", ""}) {
    EXPECT_FALSE(named.names(other)) << other;
  }
  // The engine's form is its own normal form.
  for (const char* engine : {"http://img.example.test/a%20b/%E5%9B%BE.png?x=%221%22", "https://h.test/", "http://[::1]:8080/x?y=%7B"}) {
    EXPECT_EQ(NamedResources::normalized(engine), engine);
  }
  EXPECT_TRUE(NamedResources().empty());
}

}  // namespace
}  // namespace zu::web
