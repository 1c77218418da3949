#include "platform/intl/Regex.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

// The article page's no-image pattern: its class "[\w-\./?%=]" starts a range at "\w", which
// std::regex refuses and ICU reads as the characters listed.
constexpr const char* kNoImagePattern =
    R"(img src='*http://([\w-]+\.)+[\w-]+(/[\w-\./?%=]*)?'*)";

TEST(RegexTest, NoImagePatternReplacesHttpImagesLiterally) {
  std::string error;
  auto regex = Regex::create(kNoImagePattern, Regex::kCaseInsensitive, &error);
  ASSERT_TRUE(regex) << error;
  const std::string html =
      "<p>a</p><img src='http://img.example.com/a/b-1.jpg?w=2'>"
      "<IMG SRC=http://x.example.cn/p.png width=3>"
      "<img src='https://secure.example.com/s.jpg'><img src=\"http://q.example.com/q.jpg\">";
  // "$1" and "\" in the replacement stay as they are.
  const std::string out = regex->replaceAll(html, "img src='file:///b/$1\\nopic.png'");
  EXPECT_EQ(
      "<p>a</p><img src='file:///b/$1\\nopic.png'>"
      "<img src='file:///b/$1\\nopic.png' width=3>"
      "<img src='https://secure.example.com/s.jpg'><img src=\"http://q.example.com/q.jpg\">",
      out);
  EXPECT_EQ(2u, regex->numberOfMatches(html));
}

TEST(RegexTest, RangesAreUtf16UnitsAndGroupsAreReported) {
  auto regex = Regex::create("(a)|(b)");
  ASSERT_TRUE(regex);
  // "中" is one unit, "😀" two: "b" sits at 3.
  const auto matches = regex->matches("中😀b");
  ASSERT_EQ(1u, matches.size());
  EXPECT_EQ((Regex::Range{3, 1}), matches[0].range);
  ASSERT_EQ(2u, matches[0].groups.size());
  EXPECT_EQ(std::string::npos, matches[0].groups[0].location);
  EXPECT_EQ((Regex::Range{3, 1}), matches[0].groups[1]);
  // Empty matches advance instead of looping; invalid UTF-8 reads as U+FFFD.
  EXPECT_EQ(4u, Regex::create("x*")->numberOfMatches("abc"));
  EXPECT_EQ("<?>", Regex::create("\uFFFD")->replaceAll("<\xff>", "?"));
}

TEST(RegexTest, BrokenPatternsAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(Regex::create("(unclosed", 0, &error));
  EXPECT_NE(std::string::npos, error.find("offset"));
  EXPECT_FALSE(Regex::create("[z-a]"));
}

}  // namespace
}  // namespace zu
