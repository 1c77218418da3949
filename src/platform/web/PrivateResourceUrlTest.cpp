#include "platform/web/PrivateResourceUrl.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zu::web {
namespace {

using Kind = PrivateResourceUrl::Kind;

TEST(PrivateResourceUrlTest, AddressesSurviveTheRoundTripWhateverTheyHold) {
  for (const std::string url :
       {"http://img.test/a b/c.png?x=1&y=%41#top", "https://h/路径/图.jpg", "/tmp/dir/file;x.css"}) {
    for (Kind kind : {Kind::kFetch, Kind::kCached, Kind::kFile}) {
      const std::string made = PrivateResourceUrl::make(kind, url);
      // One opaque path segment: nothing the engine would split or resolve.
      EXPECT_EQ(made.find_first_of("?#; ", 0), std::string::npos) << made;
      EXPECT_EQ(std::count(made.begin(), made.end(), '/'), 3) << made;
      auto parsed = PrivateResourceUrl::parse(made);
      ASSERT_TRUE(parsed) << made;
      EXPECT_EQ(parsed->first, kind);
      EXPECT_EQ(parsed->second, url);
    }
  }
}

TEST(PrivateResourceUrlTest, AnythingElseIsRefused) {
  for (const std::string url :
       {"http://img.test/a.png", "zu-res://", "zu-res://fetch", "zu-res://fetch/",
        "zu-res://other/http%3A%2F%2Fh", "zu-res:fetch/http%3A%2F%2Fh", "zu-res://fetch/%00x",
        "ZU-RES://fetch/x"}) {
    EXPECT_FALSE(PrivateResourceUrl::parse(url)) << url;
  }
}

}  // namespace
}  // namespace zu::web
