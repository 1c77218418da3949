#include "model/book/AddressReplacer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace zu {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool matchesAt(const std::string& text, size_t at, const std::string& address) {
  if (at + address.size() > text.size()) return false;
  for (size_t i = 0; i < address.size(); ++i) {
    if (lower(text[at + i]) != lower(address[i])) return false;
  }
  return true;
}

// The rule written the slow, obvious way: from the start, at each place the longest address
// that occurs there (the first added among equals), then on after it.
std::string slowReplace(const std::string& text, const Pairs& pairs) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const std::pair<std::string, std::string>* best = nullptr;
    for (const auto& pair : pairs) {
      if (pair.first.empty() || !matchesAt(text, i, pair.first)) continue;
      if (!best || pair.first.size() > best->first.size()) best = &pair;
    }
    if (best) {
      out += best->second;
      i += best->first.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string replaceAll(const std::string& text, const Pairs& pairs, int* count = nullptr) {
  AddressReplacer replacer;
  for (const auto& [address, replacement] : pairs) replacer.add(address, replacement);
  return replacer.apply(text, count);
}

TEST(AddressReplacerTest, LongestAddressWinsCaseIgnoredAndReplacedTextStays) {
  int count = 0;
  // The longer address wins where both start; the shorter one still counts elsewhere.
  EXPECT_EQ(replaceAll("<img src=\"http://h/a.png\"><img src=\"a.png\"> A.PNG",
                       {{"a.png", "L1"}, {"http://h/a.png", "L2"}}, &count),
            "<img src=\"L2\"><img src=\"L1\"> L1");
  EXPECT_EQ(count, 3);
  // A replacement is never matched again, even when it spells another address.
  EXPECT_EQ(replaceAll("x.png y.png", {{"x.png", "y.png"}, {"y.png", "z"}}), "y.png z");
  // Addresses equal but for case: the first one added keeps its replacement.
  AddressReplacer replacer;
  EXPECT_TRUE(replacer.add("HTTP://H/X", "first"));
  EXPECT_FALSE(replacer.add("http://h/x", "second"));
  EXPECT_FALSE(replacer.add("", "empty"));
  EXPECT_EQ(replacer.size(), 1u);
  EXPECT_EQ(replacer.apply("Http://H/x!"), "first!");
  // Non-ASCII bytes compare as they are.
  EXPECT_EQ(replaceAll("\xC3\x89t\xC3\xA9 \xC3\xA9t\xC3\xA9", {{"\xC3\xA9t\xC3\xA9", "E"}}),
            "\xC3\x89t\xC3\xA9 E");
  EXPECT_EQ(replaceAll("", {{"a", "b"}}), "");
  EXPECT_EQ(replaceAll("abc", {}), "abc");
}

TEST(AddressReplacerTest, AgreesWithTheObviousRuleOnOverlappingAddresses) {
  // Few letters, so addresses overlap, nest and share prefixes and suffixes in every way.
  std::mt19937 random(56);
  auto word = [&](size_t maxLength) {
    std::string s(1 + random() % maxLength, 'a');
    for (char& c : s) c = "abAB/"[random() % 5];
    return s;
  };
  for (int round = 0; round < 400; ++round) {
    Pairs pairs;
    const int addresses = 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < addresses; ++k) {
      std::string address = word(6);
      bool repeated = false;
      for (const auto& pair : pairs) {
        repeated = repeated || (pair.first.size() == address.size() &&
                                matchesAt(pair.first, 0, address));
      }
      if (!repeated) pairs.emplace_back(std::move(address), "<" + std::to_string(k) + ">");
    }
    const std::string text = word(60);
    ASSERT_EQ(replaceAll(text, pairs), slowReplace(text, pairs)) << "text " << text;
  }
}

TEST(AddressReplacerTest, ThousandsOfAddressesSharingPrefixesAndSuffixes) {
  // 8,000 addresses that share a long prefix and end alike, on a page naming each one: the
  // page is rewritten in one pass (replacing them one by one would read the page 8,000 times).
  constexpr int kAddresses = 8000;
  const std::string prefix = "http://books.example/" + std::string(200, 'p') + "/";
  AddressReplacer replacer;
  std::string page;
  std::string expected;
  for (int i = 0; i < kAddresses; ++i) {
    const std::string address = prefix + std::to_string(i) + "/picture.png";
    ASSERT_TRUE(replacer.add(address, "1_files/" + std::to_string(i) + ".png"));
    page += "<img src=\"" + address + "\">";
    expected += "<img src=\"1_files/" + std::to_string(i) + ".png\">";
  }
  int count = 0;
  EXPECT_EQ(replacer.apply(page, &count), expected);
  EXPECT_EQ(count, kAddresses);
}

}  // namespace
}  // namespace zu
