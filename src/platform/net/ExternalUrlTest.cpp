#include "platform/net/ExternalUrl.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

// Only web pages and mail addresses leave the application; every other scheme an article, a
// page or the service could hand over is refused, as is text that is no plain address.
TEST(ExternalUrlTest, PassesOnlyWebAndMailAddresses) {
  for (const char* url : {"http://example.com/a?b=c", "https://example.com", "HTTPS://Example.com/x",
                          "http://127.0.0.1:8080/p#f", "http://[::1]/x", "mailto:reader@example.com",
                          "MAILTO:a@b.c,d@e.f", "https://例子.测试/路径"}) {
    EXPECT_TRUE(ExternalUrl::isOpenable(url)) << url;
  }
  for (const char* url : {"tel:0", "sms:10086", "file:///etc/passwd", "javascript:alert(1)", "itms-apps://x",
                          "ftp://example.com", "http:/example.com", "http://", "https:///path", "mailto:",
                          "httpx://example.com", "example.com", "", "http://exa mple.com",
                          "http://example.com/\nrm", "-http://example.com", "http://?x", "http://#x"}) {
    EXPECT_FALSE(ExternalUrl::isOpenable(url)) << url;
  }
  EXPECT_TRUE(ExternalUrl::isWebAddress("https://example.com"));
  EXPECT_FALSE(ExternalUrl::isWebAddress("mailto:a@b.c"));
  EXPECT_FALSE(ExternalUrl::isMailAddress("https://example.com"));
}

// Some mail programs attach the local file an "attach" field names: a mail address carries
// only to, cc, subject and body, however the field's name is spelled.
TEST(ExternalUrlTest, MailAddressesCarryOnlyTheFourFields) {
  for (const char* url : {"mailto:a@b.c?subject=Hi&body=x%20y", "mailto:a@b.c?CC=d@e.f&To=g@h.i",
                          "mailto:?to=a@b.c", "mailto:a@b.c?", "mailto:a@b.c?body="}) {
    EXPECT_TRUE(ExternalUrl::isMailAddress(url)) << url;
  }
  for (const char* url : {"mailto:a@b?attach=/etc/passwd&body=x", "mailto:a@b?body=x&ATTACH=/etc/passwd",
                          "mailto:a@b?%61ttach=/etc/passwd", "mailto:a@b?attachment=/x", "mailto:a@b?bcc=c@d",
                          "mailto:a@b?from=c@d", "mailto:a@b?subject", "mailto:a@b?subject=x&&body=y",
                          "mailto:a@b?%zzubject=x", "mailto:a@b?sub%6=x", "mailto:a@b#x", "mailto:?"}) {
    EXPECT_FALSE(ExternalUrl::isMailAddress(url)) << url;
  }
}

// An accepted address is printed as it is: nothing in it may drive, reorder or break the
// terminal's line; and no address is longer than the bound.
TEST(ExternalUrlTest, UnprintableCharactersAndOverlongAddressesAreRefused) {
  for (const char* url : {"mailto:a\u202Eb@c.d", "mailto:a@b.c?subject=x\u2028y", "http://e.com/\u2029",
                          "http://e.com/\u200F", "http://e.com/\u2066x", "http://e.com/\u061C",
                          "http://e.com/\u0085", "http://e.com/\x1b[2J", "http://e.com/\x7f",
                          "http://e.com/\xff", "http://e.com/\xe2\x80", "http://e.com/\xc0\xaf"}) {
    EXPECT_FALSE(ExternalUrl::isOpenable(url)) << url;
  }
  const std::string base = "https://example.com/";
  EXPECT_TRUE(ExternalUrl::isOpenable(base + std::string(ExternalUrl::kMaxLength - base.size(), 'a')));
  EXPECT_FALSE(ExternalUrl::isOpenable(base + std::string(ExternalUrl::kMaxLength - base.size() + 1, 'a')));

  EXPECT_EQ("a?b?c?d e?f中", ExternalUrl::printable("a\u202Eb\u2028c\nd e\xff" "f中"));
  EXPECT_EQ("x??", ExternalUrl::printable("x\xe2\x80"));
}

TEST(ExternalUrlTest, MailTextsTakeNoControlsAndSubjectsNoLineBreaks) {
  EXPECT_EQ("港口 的 清晨 tide", ExternalUrl::mailSubject("\r\n港口\r\n\r\n的\xc2\x85\x01\n清晨\u2028tide\u2029\r"));
  EXPECT_EQ("a\tb[31m?", ExternalUrl::mailSubject("a\tb\x1b[31m\xc2\x9b\x7f\xc2\x80?"));
  EXPECT_EQ("\r\n港口\r\n\r\n\r\n清晨\r\n\r\n", ExternalUrl::mailBody("\n港口\r\n\r\xc2\x85清晨\x1b\xc2\x9b\r\n\n"));
  EXPECT_EQ("\u2028a\tb\uFFFD", ExternalUrl::mailBody("\u2028a\tb\xff"));
}

TEST(ExternalUrlTest, MailtoIsBuiltWithinTheRules) {
  EXPECT_EQ("mailto:a@b.c,d%2Be@f.g?cc=h@i.j&subject=Hi%20%26%20bye&body=line%201%0D%0Aline%202%3Fattach%3Dx",
            ExternalUrl::mailto({"a@b.c", "d+e@f.g"}, {"h@i.j"}, "Hi & bye", "line 1\nline 2?attach=x"));
  // A subject takes no line break, and neither text a control character.
  EXPECT_EQ("mailto:a@b.c?subject=Hi%20bye&body=a%0D%0Ab%0D%0Acd%0D%0A%0D%0A",
            ExternalUrl::mailto({"a@b.c"}, {}, "Hi\r\nbye\r\n", "a\rb\xc2\x85" "c\xc2\x9b" "d\r\n\n"));
  EXPECT_EQ("mailto:a@b.c", ExternalUrl::mailto({"a@b.c"}, {}, "", ""));
  // Encoded, a bidi control or a line separator is inert: printed as its escape.
  const auto encoded = ExternalUrl::mailto({"a@b.c"}, {}, "\u202E", "\u2028");
  ASSERT_TRUE(encoded);
  EXPECT_EQ("mailto:a@b.c?subject=%E2%80%AE&body=%E2%80%A8", *encoded);
  EXPECT_FALSE(ExternalUrl::mailto({"a@b.c"}, {}, "", std::string(ExternalUrl::kMaxLength, 'x')));
  EXPECT_FALSE(ExternalUrl::mailto({"a@b.c"}, {}, "\xff", ""));
}

}  // namespace
}  // namespace zu
