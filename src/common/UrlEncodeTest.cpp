#include "common/UrlEncode.h"

#include <gtest/gtest.h>

#include "common/OAuthPercentEncode.h"

namespace zu {
namespace {

TEST(UrlEncodeTest, QueryEscapingKeepsTheNineMarksAndTurnsSpaceIntoPlus) {
  EXPECT_EQ(UrlEncode::encode(""), "");
  EXPECT_EQ(UrlEncode::encode("a b+c/d~e"), "a+b%2Bc%2Fd~e");
  EXPECT_EQ(UrlEncode::encode("AZaz09!'()*-._~"), "AZaz09!'()*-._~");
  EXPECT_EQ(UrlEncode::encode("&=?#%:@;,$[]\"<>\\^`{|}\n"),
            "%26%3D%3F%23%25%3A%40%3B%2C%24%5B%5D%22%3C%3E%5C%5E%60%7B%7C%7D%0A");
  EXPECT_EQ(UrlEncode::encode("\xE4\xB8\xAD\xC3\xA9"), "%E4%B8%AD%C3%A9");
  // The feedback form sends Chinese text in GB 18030.
  EXPECT_EQ(UrlEncode::encode("\xE4\xB8\xAD a", StringEncoding::Gb18030), "%D6%D0+a");
  EXPECT_EQ(UrlEncode::encode("\xF0\x9F\x98\x80", StringEncoding::Gb18030), "%949%FC6");
  EXPECT_EQ(UrlEncode::encode("\xFF", StringEncoding::Gb18030), "");
}

TEST(UrlEncodeTest, NeedEncodeStopsAtTheFirstUnsafeCharacter) {
  EXPECT_FALSE(UrlEncode::needEncode(""));
  EXPECT_FALSE(UrlEncode::needEncode("AZaz09!'()*-._~"));
  EXPECT_TRUE(UrlEncode::needEncode("abc def"));
  EXPECT_TRUE(UrlEncode::needEncode("a/b"));
  EXPECT_TRUE(UrlEncode::needEncode("\xC3\xA9"));
}

TEST(OAuthPercentEncodeTest, Rfc5849AndRfc3986Vectors) {
  // RFC 5849 section 3.4.1.3.1 (parameter encoding) and RFC 3986 unreserved characters.
  EXPECT_EQ(OAuthPercentEncode::encode(""), "");
  EXPECT_EQ(OAuthPercentEncode::encode("ABCxyz019-._~"), "ABCxyz019-._~");
  EXPECT_EQ(OAuthPercentEncode::encode("Ladies + Gentlemen"), "Ladies%20%2B%20Gentlemen");
  EXPECT_EQ(OAuthPercentEncode::encode("An encoded string!"), "An%20encoded%20string%21");
  EXPECT_EQ(OAuthPercentEncode::encode("Dogs, Cats & Mice"), "Dogs%2C%20Cats%20%26%20Mice");
  EXPECT_EQ(OAuthPercentEncode::encode("\xE2\x98\x83"), "%E2%98%83");
  EXPECT_EQ(OAuthPercentEncode::encode("http://example.com/a?b=c#d"),
            "http%3A%2F%2Fexample.com%2Fa%3Fb%3Dc%23d");
  EXPECT_EQ(OAuthPercentEncode::encode("!*'();:@&=+$,/?%#[]\"<>\\^`{|}"),
            "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%22%3C%3E%5C%5E%60%7B%7C%7D");
}

}  // namespace
}  // namespace zu
