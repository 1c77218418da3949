#include "app/UrlOpener.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

// Headless an accepted address counts as opened without starting anything; a refused one is
// not opened, and its line on the terminal shows no character that could drive, reorder or
// break it.
TEST(UrlOpenerTest, OpensOnlyWhatTheRulesAcceptAndPrintsRefusalsSafely) {
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(UrlOpener::open("https://example.com", true));
  EXPECT_TRUE(UrlOpener::open("mailto:a@b.c?subject=x&body=y", true));
  EXPECT_FALSE(UrlOpener::open("tel:0", true));
  EXPECT_FALSE(UrlOpener::open("file:///etc/passwd", false));
  EXPECT_FALSE(UrlOpener::open("mailto:a@b?attach=/etc/passwd&body=x", false));
  EXPECT_FALSE(UrlOpener::open("mailto:a\u202Eb@c.d\u2028\x1b[2J", false));
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ("zureader: open https://example.com\n"
            "zureader: open mailto:a@b.c?subject=x&body=y\n"
            "zureader: refused to open tel:0\n"
            "zureader: refused to open file:///etc/passwd\n"
            "zureader: refused to open mailto:a@b?attach=/etc/passwd&body=x\n"
            "zureader: refused to open mailto:a?b@c.d??[2J\n",
            printed);
}

}  // namespace
}  // namespace zu
