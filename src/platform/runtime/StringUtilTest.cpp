#include "platform/runtime/StringUtil.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace zu {
namespace {

const std::string kFace = "\xF0\x9F\x98\x80";     // U+1F600, two UTF-16 units
const std::string kHan = "\xE4\xB8\xAD";          // U+4E2D
const std::string kIdeoSpace = "\xE3\x80\x80";    // U+3000
const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD

TEST(StringUtilTest, Utf16LengthCountsUnitsAndInvalidBytes) {
  EXPECT_EQ(StringUtil::utf16Length(""), 0u);
  EXPECT_EQ(StringUtil::utf16Length("abc"), 3u);
  EXPECT_EQ(StringUtil::utf16Length("\xC3\xA9" + kHan), 2u);
  EXPECT_EQ(StringUtil::utf16Length("a" + kFace + "b"), 4u);
  // Stray continuation, truncated sequence, overlong "/", encoded surrogate, above U+10FFFF:
  // each bad byte counts as one replacement character.
  EXPECT_EQ(StringUtil::utf16Length("\x80"), 1u);
  EXPECT_EQ(StringUtil::utf16Length("\xE4\xB8"), 2u);
  EXPECT_EQ(StringUtil::utf16Length("\xC0\xAF"), 2u);
  EXPECT_EQ(StringUtil::utf16Length("\xED\xA0\x80"), 3u);
  EXPECT_EQ(StringUtil::utf16Length("\xF4\x90\x80\x80"), 4u);
  EXPECT_EQ(StringUtil::utf16Length(std::string("a\0b", 3)), 3u);
}

TEST(StringUtilTest, SubstringCutsByUnitsAndNeverSplitsPairs) {
  const std::string s = "a" + kFace + "b" + kHan;  // units: a=0, face=1..2, b=3, han=4
  EXPECT_EQ(StringUtil::utf16Substring(s, 0, 3), "a" + kFace);
  EXPECT_EQ(StringUtil::utf16Substring(s, 3, 2), "b" + kHan);
  // Boundaries inside the pair move inward: the face is left out.
  EXPECT_EQ(StringUtil::utf16Substring(s, 0, 2), "a");
  EXPECT_EQ(StringUtil::utf16Substring(s, 2, 2), "b");
  EXPECT_EQ(StringUtil::utf16Substring(s, 2, 1), "");
  // Clamping and huge lengths.
  EXPECT_EQ(StringUtil::utf16Substring(s, 4, 100), kHan);
  EXPECT_EQ(StringUtil::utf16Substring(s, 5, 1), "");
  EXPECT_EQ(StringUtil::utf16Substring(s, 99, 1), "");
  EXPECT_EQ(StringUtil::utf16Substring(s, 1, SIZE_MAX), kFace + "b" + kHan);
  EXPECT_EQ(StringUtil::utf16Prefix(s, 4), "a" + kFace + "b");
  EXPECT_EQ(StringUtil::utf16SubstringFrom(s, 1), kFace + "b" + kHan);
  // Invalid bytes come out as U+FFFD, so the result is always valid UTF-8.
  EXPECT_EQ(StringUtil::utf16Substring("x\xFFy", 0, 2), "x" + kReplacement);
}

TEST(StringUtilTest, Utf16ConversionsRoundTripAndReplaceLoneSurrogates) {
  const std::string s = "a" + kFace + kHan;
  std::u16string u = StringUtil::toUtf16(s);
  EXPECT_EQ(u, (std::u16string{u'a', 0xD83D, 0xDE00, 0x4E2D}));
  EXPECT_EQ(StringUtil::fromUtf16(u), s);
  EXPECT_EQ(StringUtil::fromUtf16(std::u16string{0xD83D, u'x'}), kReplacement + "x");
  EXPECT_EQ(StringUtil::fromUtf16(std::u16string{0xDE00}), kReplacement);
  EXPECT_EQ(StringUtil::toUtf16("\xFF"), std::u16string(1, char16_t(0xFFFD)));
}

TEST(StringUtilTest, TrimUsesThePlatformWhitespaceSets) {
  EXPECT_EQ(StringUtil::trimWhitespaceAndNewlines(kIdeoSpace + " \t\r\n" + "x y" + kIdeoSpace +
                                                  "\xC2\xA0\xE2\x80\xA8"),
            "x y");
  EXPECT_EQ(StringUtil::trimWhitespaceAndNewlines(" \n" + kIdeoSpace), "");
  EXPECT_EQ(StringUtil::trimWhitespaceAndNewlines(""), "");
  // Newlines stay for the plain whitespace trim.
  EXPECT_EQ(StringUtil::trimWhitespace("\t x\n " + kIdeoSpace), "x\n");
  // Zero-width space is not whitespace; invalid bytes are kept, never dropped.
  EXPECT_EQ(StringUtil::trimWhitespaceAndNewlines("\xE2\x80\x8B" "a "),
            "\xE2\x80\x8B" "a");
  EXPECT_EQ(StringUtil::trimWhitespaceAndNewlines(" \xFF \xE3\x80 "), "\xFF \xE3\x80");
}

// Random bytes: the helpers agree with each other and always produce valid UTF-8.
TEST(StringUtilTest, ArbitraryBytesStayConsistent) {
  std::mt19937 rng(12345);
  const char pool[] = {'a', ' ', '\n', '\x80', '\xBF', '\xC2', '\xE3', '\xED', '\xF0',
                       '\xF4', '\xFF', '\x9F', '\x98', '\xA0'};
  for (int round = 0; round < 2000; ++round) {
    std::string s;
    size_t len = rng() % 12;
    for (size_t i = 0; i < len; ++i) s += pool[rng() % sizeof pool];
    size_t units = StringUtil::utf16Length(s);
    ASSERT_EQ(units, StringUtil::toUtf16(s).size());
    ASSERT_EQ(StringUtil::utf16Substring(s, 0, units), StringUtil::sanitizeUtf8(s));
    ASSERT_EQ(StringUtil::fromUtf16(StringUtil::toUtf16(s)), StringUtil::sanitizeUtf8(s));
    size_t a = rng() % (units + 2), b = rng() % (units + 2);
    std::string part = StringUtil::utf16Substring(s, a, b);
    ASSERT_TRUE(StringUtil::isValidUtf8(part));
    ASSERT_LE(StringUtil::utf16Length(part), b);
    ASSERT_EQ(StringUtil::isValidUtf8(s), StringUtil::sanitizeUtf8(s) == s);
  }
}

}  // namespace
}  // namespace zu
