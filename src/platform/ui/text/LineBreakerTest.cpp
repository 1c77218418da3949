#include "platform/ui/text/LineBreaker.h"

#include <gtest/gtest.h>

#include "platform/ui/text/FixedTextMetrics.h"

namespace zu::ui {
namespace {

using Lines = std::vector<std::string>;

// Labels' wrapping and truncation through TextMetrics, which breaks by LineBreaker.
class LineBreakingTest : public ::testing::Test {
 protected:
  void SetUp() override { TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>()); }
  void TearDown() override { TextMetrics::setCurrent(nullptr); }
  Lines lines(const char* text, float width, LineBreakMode mode, float height = 1000) {
    return TextMetrics::current().lines(text, font_, Size{width, height}, mode);
  }
  const Font font_ = Font::systemFont(10);  // CJK 10 wide, ASCII 5, line 12
};

TEST_F(LineBreakingTest, ClosingPunctuationNeverStartsALineInAnyMode) {
  // Four characters fit; the comma would start the second line, so "文" goes down with it.
  for (LineBreakMode mode : {LineBreakMode::WordWrap, LineBreakMode::CharacterWrap,
                             LineBreakMode::Clip, LineBreakMode::TailTruncation}) {
    EXPECT_EQ((Lines{"中文中", "文，好的"}), lines("中文中文，好的", 40, mode)) << static_cast<int>(mode);
  }
  // Full stop, closing quote and bracket, and an ASCII comma after CJK.
  EXPECT_EQ((Lines{"我说", "了。」"}), lines("我说了。」", 30, LineBreakMode::WordWrap));
  EXPECT_EQ((Lines{"一二", "三）四"}), lines("一二三）四", 30, LineBreakMode::CharacterWrap));
  EXPECT_EQ((Lines{"中文", "字,ab"}), lines("中文字,ab", 30, LineBreakMode::WordWrap));
  // Two punctuation marks in a row move back together.
  EXPECT_EQ((Lines{"一二", "三。」", "四"}), lines("一二三。」四", 30, LineBreakMode::WordWrap));
  // None of the breaks allowed: cut where the width ends rather than overflow.
  EXPECT_EQ((Lines{"，，", "，，"}), lines("，，，，", 20, LineBreakMode::WordWrap));
}

TEST_F(LineBreakingTest, OpeningPunctuationNeverEndsALine) {
  EXPECT_EQ((Lines{"他说", "「好」"}), lines("他说「好」", 30, LineBreakMode::WordWrap));
  EXPECT_EQ((Lines{"书名", "《三", "体》"}), lines("书名《三体》", 30, LineBreakMode::CharacterWrap));
  EXPECT_EQ((Lines{"ab", "(c", "d)"}), lines("ab(cd)", 15, LineBreakMode::CharacterWrap));
  // An accent stays on its letter, a joined emoji stays whole.
  EXPECT_EQ((Lines{"Caf", "e\u0301"}), lines("Cafe\u0301", 20, LineBreakMode::CharacterWrap));
  EXPECT_EQ((Lines{"\U0001F468\u200D\U0001F469", "a"}),
            lines("\U0001F468\u200D\U0001F469a", 10, LineBreakMode::WordWrap));
  // Spaces still break Latin words, and hang past the width.
  EXPECT_EQ((Lines{"hello", "world"}), lines("hello world", 25, LineBreakMode::WordWrap));
}

TEST_F(LineBreakingTest, TruncationMarksHiddenText) {
  // The paragraph fits, but a second one is not shown: the tail still ends in "…".
  EXPECT_EQ((Lines{"abc…"}), lines("abc\ndef", 100, LineBreakMode::TailTruncation, 12));
  EXPECT_EQ((Lines{"abc"}), lines("abc\ndef", 100, LineBreakMode::Clip, 12));
  // A trailing line break hides nothing.
  EXPECT_EQ((Lines{"abc"}), lines("abc\n", 100, LineBreakMode::TailTruncation, 12));
  // The last shown line is cut to fit its "…", after the rules moved punctuation.
  EXPECT_EQ((Lines{"中文中", "文，好…"}), lines("中文中文，好的好的", 40, LineBreakMode::TailTruncation, 24));
  EXPECT_EQ((Lines{"中…的"}), lines("中文中文，好的", 30, LineBreakMode::MiddleTruncation, 12));
  EXPECT_EQ((Lines{"…好的"}), lines("中文中文，好的", 30, LineBreakMode::HeadTruncation, 12));
}

}  // namespace
}  // namespace zu::ui
