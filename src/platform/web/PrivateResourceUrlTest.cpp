#include "platform/web/PrivateResourceUrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zu::web {
namespace {

using Kind = PrivateResourceUrl::Kind;

const std::string kKey = "0123456789abcdef0123456789abcdef";

TEST(PrivateResourceUrlTest, AddressesSurviveTheRoundTripWhateverTheyHold) {
  for (const std::string url :
       {"http://img.test/a b/c.png?x=1&y=%41#top", "https://h/路径/图.jpg", "/tmp/dir/file;x.css"}) {
    for (Kind kind : {Kind::kFetch, Kind::kFile}) {
      const std::string made = kind == Kind::kFile ? PrivateResourceUrl::forFile(url)
                                                   : PrivateResourceUrl::make(kind, url, kKey, 7);
      // One opaque path segment after the token: nothing the engine would split or resolve.
      EXPECT_EQ(made.find_first_of("?#; ", 0), std::string::npos) << made;
      EXPECT_EQ(std::count(made.begin(), made.end(), '/'), kind == Kind::kFile ? 3 : 4) << made;
      auto parsed = PrivateResourceUrl::parse(made);
      ASSERT_TRUE(parsed) << made;
      EXPECT_EQ(parsed->kind, kind);
      EXPECT_EQ(parsed->url, url);
      EXPECT_EQ(kind != Kind::kFile, PrivateResourceUrl::validToken(*parsed, kKey, 7)) << made;
    }
  }
}

// The token is good only for the page and address it was made for, under the engine's
// key: a page that read one address cannot reach another through it.
TEST(PrivateResourceUrlTest, ATokenSignsItsPageKindAndAddressOnly) {
  const std::string made = PrivateResourceUrl::make(Kind::kFetch, "http://a.test/x.png", kKey, 7);
  auto parsed = *PrivateResourceUrl::parse(made);
  EXPECT_TRUE(PrivateResourceUrl::validToken(parsed, kKey, 7));
  EXPECT_FALSE(PrivateResourceUrl::validToken(parsed, kKey, 8));
  EXPECT_FALSE(PrivateResourceUrl::validToken(parsed, "another key", 7));
  EXPECT_FALSE(PrivateResourceUrl::validToken(parsed, "", 7));
  auto otherUrl = parsed;
  otherUrl.url = "http://127.0.0.1/secret";
  EXPECT_FALSE(PrivateResourceUrl::validToken(otherUrl, kKey, 7));
  auto otherDigit = parsed;
  otherDigit.token[31] = otherDigit.token[31] == '0' ? '1' : '0';
  EXPECT_FALSE(PrivateResourceUrl::validToken(otherDigit, kKey, 7));
}

TEST(PrivateResourceUrlTest, AnythingElseIsRefused) {
  const std::string token(32, 'a');
  for (const std::string& url : std::vector<std::string>{"http://img.test/a.png", "zu-res://", "zu-res://fetch", "zu-res://fetch/",
        "zu-res://fetch/http%3A%2F%2Fh", "zu-res://fetch/" + token, "zu-res://fetch/" + token + "/",
        "zu-res://fetch/abc/http%3A%2F%2Fh", "zu-res://other/" + token + "/http%3A%2F%2Fh",
        "zu-res://cached/" + token + "/http%3A%2F%2Fh",
        "zu-res:fetch/" + token + "/http%3A%2F%2Fh", "zu-res://fetch/" + token + "/%00x",
        "ZU-RES://fetch/" + token + "/x", "zu-res://file/", "zu-res://file/%00"}) {
    EXPECT_FALSE(PrivateResourceUrl::parse(url)) << url;
  }
}

}  // namespace
}  // namespace zu::web
