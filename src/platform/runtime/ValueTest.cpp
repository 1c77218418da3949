#include "platform/runtime/Value.h"

#include <gtest/gtest.h>

#include <limits>

namespace zu {
namespace {

TEST(ValueTest, DictionaryKeepsInsertionOrderAndReplacesInPlace) {
  Dictionary d{{"b", 1}, {"a", 2}, {"c", 3}};
  d.set("a", "two");
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d.keyAt(0), "b");
  EXPECT_EQ(d.keyAt(1), "a");
  EXPECT_EQ(*d.get("a").asString(), "two");

  // Removing reindexes what follows: every later key is still found at its new place.
  EXPECT_TRUE(d.remove("b"));
  EXPECT_FALSE(d.remove("b"));
  EXPECT_EQ(d.keyAt(0), "a");
  EXPECT_EQ(d.get("c").intValue(), 3);
  EXPECT_TRUE(d.get("missing").isNull());
  d.set("b", 4);
  EXPECT_EQ(d.keyAt(2), "b");
  EXPECT_EQ(d.get("b").intValue(), 4);

  // Copies keep a working index of their own.
  Dictionary copy = d;
  copy.set("c", 30);
  EXPECT_EQ(d.get("c").intValue(), 3);
  EXPECT_EQ(copy.get("c").intValue(), 30);
}

TEST(ValueTest, LargeDictionaryLookupsFindEveryKey) {
  Dictionary d;
  for (int i = 0; i < 50000; ++i) d.set("k" + std::to_string(i), i);
  for (int i = 0; i < 50000; i += 997) {
    ASSERT_EQ(d.get("k" + std::to_string(i)).intValue(), i);
  }
  EXPECT_EQ(d.size(), 50000u);
}

TEST(ValueTest, CoercionsFollowThePlatformRules) {
  EXPECT_EQ(Value("  42abc").intValue(), 42);
  EXPECT_EQ(Value("-7").intValue(), -7);
  EXPECT_EQ(Value("abc").intValue(), 0);
  EXPECT_EQ(Value("99999999999999999999").intValue(), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(Value(1e300).intValue(), std::numeric_limits<int64_t>::max());
  EXPECT_DOUBLE_EQ(Value("3.5x").doubleValue(), 3.5);
  EXPECT_TRUE(Value("YES").boolValue());
  EXPECT_TRUE(Value("true").boolValue());
  EXPECT_TRUE(Value("007").boolValue());
  EXPECT_FALSE(Value("000").boolValue());
  EXPECT_FALSE(Value("NO").boolValue());
  EXPECT_FALSE(Value().boolValue());
  EXPECT_EQ(*Value(int64_t{9007199254740993}).stringValue(), "9007199254740993");
  EXPECT_EQ(*Value(0.1).stringValue(), "0.1");
  EXPECT_FALSE(Value(Array{}).stringValue().has_value());
}

TEST(ValueTest, EqualityComparesNumbersByValueAndDictionariesByContent) {
  EXPECT_EQ(Value(1), Value(1.0));
  EXPECT_NE(Value(1), Value("1"));
  EXPECT_EQ(Value(Dictionary{{"a", 1}, {"b", 2}}), Value(Dictionary{{"b", 2}, {"a", 1}}));
  EXPECT_NE(Value(Dictionary{{"a", 1}}), Value(Dictionary{{"a", 2}}));
  EXPECT_EQ(Value(Array{1, "x"}), Value(Array{1, "x"}));
}

}  // namespace
}  // namespace zu
