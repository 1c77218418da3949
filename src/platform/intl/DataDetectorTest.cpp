#include "platform/intl/DataDetector.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

std::vector<std::string> urls(const std::vector<DataDetector::Result>& results) {
  std::vector<std::string> out;
  for (const auto& r : results) out.push_back(r.url);
  return out;
}

TEST(DataDetectorTest, LinksEndWhereChineseTextOrPunctuationBegins) {
  const DataDetector links(DataDetector::kLink);
  const std::string text =
      "看这里：http://zu.example.com/a?b=1&c=2，还有www.example.cn/p.html. "
      "(https://x.example.org/q) 和 ftp://f.example.net 但不是 example.com 或 foo@www.mail.com";
  const auto found = links.matches(text);
  EXPECT_EQ((std::vector<std::string>{"http://zu.example.com/a?b=1&c=2",
                                      "http://www.example.cn/p.html",
                                      "https://x.example.org/q", "ftp://f.example.net"}),
            urls(found));
  // Ranges count UTF-16 units: "看这里：" is four.
  ASSERT_FALSE(found.empty());
  EXPECT_EQ((Regex::Range{4, 31}), found[0].range);
  EXPECT_EQ(DataDetector::kLink, found[0].type);
  // Phone numbers are not links.
  EXPECT_TRUE(links.matches("电话 010-62345678").empty());
}

TEST(DataDetectorTest, PhoneNumbersOnlyWhenAskedFor) {
  const std::string text = "客服 400-810-5566，手机+86 138 0013 8000，订单号 12345 与 a1234567b";
  EXPECT_TRUE(DataDetector(DataDetector::kLink).matches(text).empty());
  const DataDetector phones(DataDetector::kLink | DataDetector::kPhoneNumber);
  const auto found = phones.matches(text);
  EXPECT_EQ((std::vector<std::string>{"tel:4008105566", "tel:+8613800138000"}), urls(found));
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ((Regex::Range{3, 12}), found[0].range);
  EXPECT_EQ(DataDetector::kPhoneNumber, found[1].type);
  // Digits inside a link stay part of the link; results come in text order.
  const auto mixed = phones.matches("13800138000 http://e.example.com/13912345678");
  EXPECT_EQ((std::vector<std::string>{"tel:13800138000", "http://e.example.com/13912345678"}),
            urls(mixed));
}

}  // namespace
}  // namespace zu
