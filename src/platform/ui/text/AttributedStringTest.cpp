#include "platform/ui/text/AttributedString.h"

#include <gtest/gtest.h>

#include <random>

namespace zu::ui {
namespace {

TEST(AttributedStringTest, AttributesOverRangesMergeAndClampToTheString) {
  AttributedString s("abcdefgh", TextAttributes{Font::systemFont(14)});
  s.setTextColor(Color::redColor(), TextRange{2, 3});
  s.setUnderlined(true, TextRange{4, 2});
  TextRange effective;
  EXPECT_EQ(Color::redColor(), s.attributesAt(3, &effective).color);
  EXPECT_EQ((TextRange{2, 2}), effective);
  EXPECT_EQ(1, s.attributesAt(4, &effective).underlineStyle);
  EXPECT_EQ((TextRange{4, 1}), effective);
  EXPECT_EQ(5u, s.runs().size());
  // Undoing the colour and underline merges the stretches back into one.
  s.setAttributes(TextAttributes{Font::systemFont(14)}, TextRange{2, 4});
  ASSERT_EQ(1u, s.runs().size());
  EXPECT_EQ((TextRange{0, 8}), s.runs()[0].range);
  // A range reaching past the end is cut to the string; one starting past it changes nothing.
  s.setTextColor(Color::blueColor(), TextRange{6, 100});
  EXPECT_EQ(Color::blueColor(), s.attributesAt(7, &effective).color);
  EXPECT_EQ((TextRange{6, 2}), effective);
  const AttributedString before = s;
  s.setTextColor(Color::greenColor(), TextRange{9, 3});
  s.setTextColor(Color::greenColor(), TextRange{8, 0});
  EXPECT_EQ(before, s);
  EXPECT_EQ((TextRange{8, 0}), s.clamp(TextRange{20, 5}));
  EXPECT_FALSE(s.attributesAt(8).font);
}

TEST(AttributedStringTest, RangesCountUtf16Units) {
  AttributedString s("中😀b");
  EXPECT_EQ(4u, s.length());
  s.setTextColor(Color::redColor(), TextRange{3, 1});
  EXPECT_EQ(Color::redColor(), s.attributesAt(3).color);
  EXPECT_FALSE(s.attributesAt(2).color);
  EXPECT_EQ("中😀b", s.utf8());
  AttributedString tail("c", TextAttributes{std::nullopt, false, Color::redColor()});
  s.append(tail);
  EXPECT_EQ("中😀bc", s.utf8());
  TextRange effective;
  s.attributesAt(4, &effective);
  EXPECT_EQ((TextRange{3, 2}), effective);
}

TEST(AttributedStringTest, BoldTouchesOnlyTheTraitOfEachFontRun) {
  AttributedString s("name: text");
  s.setFont(Font::named("STHeitiSC-Light", 14), TextRange{0, 5});
  s.setFont(Font::named("Helvetica", 16), TextRange{6, 4});
  s.setBold(true, TextRange{2, 6});
  EXPECT_EQ(Font::named("STHeitiSC-Light", 14), s.attributesAt(1).font);
  EXPECT_EQ(Font::named("STHeitiSC-Light-Bold", 14), s.attributesAt(2).font);
  // The space at 5 has no font and keeps none.
  EXPECT_FALSE(s.attributesAt(5).font);
  EXPECT_EQ(Font::named("Helvetica-Bold", 16), s.attributesAt(7).font);
  EXPECT_EQ(Font::named("Helvetica", 16), s.attributesAt(8).font);
  s.setBold(false);
  EXPECT_EQ(Font::named("Helvetica", 16), s.attributesAt(7).font);
  EXPECT_EQ(Font::named("STHeitiSC-Light", 14), s.attributesAt(2).font);
  s.setFontFamily("Helvetica", 12, true, true, TextRange{0, 1});
  EXPECT_EQ(Font::named("Helvetica-Bold", 12), s.attributesAt(0).font);
  EXPECT_TRUE(s.attributesAt(0).italic);
}

// Many colour and underline changes made at once end as the same changes made one by one:
// overlapping ranges (a later one wins), ranges past the end, empty ones, ranges over existing
// stretches of other attributes.
TEST(AttributedStringTest, RestylingAtOnceMatchesRestylingOneByOne) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    AttributedString base(std::string(60, 'x'), TextAttributes{Font::systemFont(12)});
    base.setBold(true, TextRange{random() % 60, random() % 20});
    base.setTextColor(Color::greenColor(), TextRange{random() % 60, random() % 20});
    std::vector<AttributedString::Restyle> changes;
    for (int i = 0; i < 12; ++i) {
      AttributedString::Restyle change{TextRange{random() % 70, random() % 25}};
      if (random() % 3 != 0) change.color = Color::rgba8(static_cast<uint8_t>(random() % 256), 0, 0);
      if (random() % 2 == 0) change.underlineStyle = static_cast<int>(random() % 3);
      changes.push_back(change);
    }
    AttributedString oneByOne = base;
    for (const auto& change : changes) {
      if (change.color) oneByOne.setTextColor(*change.color, change.range);
      if (change.underlineStyle) oneByOne.setUnderlineStyle(*change.underlineStyle, change.range);
    }
    AttributedString atOnce = base;
    atOnce.restyle(changes);
    ASSERT_EQ(oneByOne, atOnce) << round;
  }
  AttributedString empty;
  empty.restyle({AttributedString::Restyle{TextRange{0, 3}, Color::redColor()}});
  EXPECT_EQ(empty, AttributedString());
}

}  // namespace
}  // namespace zu::ui
