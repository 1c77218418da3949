#include <gtest/gtest.h>

#include <string>

#include "model/service/VeskEntryStatus.h"

namespace zu {
namespace {

TEST(VeskEntryStatusTest, TypeWordsAndTheirDefaultStyles) {
  const struct {
    const char* word;
    int32_t type;
    int32_t style;
  } table[] = {{"news", 0, 0},    {"album", 1, 1}, {"pic_news", 2, 2}, {"video", 3, 7},
               {"audio", 4, 11},  {"mblog", 5, 3}, {"istyle", 6, 4},   {"forum", 7, 5},
               {"english", 8, 6}, {"book", 9, 8}};
  for (const auto& row : table) {
    EXPECT_EQ(VeskEntryStatus::typeForWord(row.word), row.type) << row.word;
    EXPECT_STREQ(VeskEntryStatus::wordForType(row.type), row.word);
    EXPECT_EQ(VeskEntryStatus::defaultExtendStyle(row.type), row.style) << row.word;
  }
  for (const char* other : {"", "News", "video ", "pic-news", "books"}) {
    EXPECT_EQ(VeskEntryStatus::typeForWord(other), std::nullopt) << other;
  }
  for (int32_t other : {-1, 10, 12}) {
    EXPECT_EQ(VeskEntryStatus::wordForType(other), nullptr) << other;
    EXPECT_EQ(VeskEntryStatus::defaultExtendStyle(other), 0) << other;
  }
}

TEST(VeskEntryStatusTest, StyleTextSetsOnlyTheStylesItNamesExactly) {
  struct Case {
    const char* style;
    int32_t extendStyle;
    int32_t baseStyle;
  };
  // Both fields start at 4 (as if set before), so untouched fields are visible.
  const Case cases[] = {
      {"2,5", 2, 5},   {"11", 11, 4},  {"0,0", 0, 0},  {"12,3", 4, 3}, {"2,12", 2, 4},
      {"02,5", 4, 5},  {" 2,5", 4, 5}, {"2, 5", 2, 4}, {"", 4, 4},     {",7", 4, 7},
      {"2,5,9", 2, 5}, {"-1,1", 4, 1}, {"3,", 3, 4},   {"+3", 4, 4},   {"a,b", 4, 4},
  };
  for (const auto& c : cases) {
    VeskEntryStatus status;
    status.setExtendStyle(4);
    status.setBaseStyle(4);
    status.applyStyle(c.style);
    EXPECT_EQ(status.extendStyle(), c.extendStyle) << '"' << c.style << '"';
    EXPECT_EQ(status.baseStyle(), c.baseStyle) << '"' << c.style << '"';
  }
}

TEST(VeskEntryStatusTest, CopyCarriesReadAndTypeOnlyAndIsANewRecord) {
  VeskEntryStatus status;
  status.setRead(1);
  status.setType(9);
  status.setExtendStyle(8);
  status.setBaseStyle(3);
  status.setMultiLayer(2);
  auto copy = status.copy();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy.get(), &status);
  EXPECT_EQ(copy->read(), 1);
  EXPECT_EQ(copy->type(), 9);
  EXPECT_EQ(copy->extendStyle(), 0);
  EXPECT_EQ(copy->baseStyle(), 0);
  EXPECT_EQ(copy->multiLayer(), 0);
  status.setRead(0);
  EXPECT_EQ(copy->read(), 1);
}

}  // namespace
}  // namespace zu
