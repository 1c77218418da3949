#include "platform/runtime/UserDefaults.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "platform/runtime/Paths.h"
#include "platform/runtime/PropertyList.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

std::filesystem::path prefsFile() { return Paths::preferences() / "zureader.plist"; }

TEST(UserDefaultsTest, ValuesSurviveAReopen) {
  TempHome home;
  UserDefaults& d = UserDefaults::standard();
  EXPECT_EQ(d.filePath(), prefsFile());
  EXPECT_TRUE(d.set("name", "Zoë"));
  EXPECT_TRUE(d.set("count", 7));
  EXPECT_TRUE(d.set("list", Value(Array{Value("a"), Value(1)})));
  EXPECT_TRUE(d.set("gone", true));
  EXPECT_TRUE(d.removeObject("gone"));
  EXPECT_TRUE(d.set("alsoGone", 1));
  EXPECT_TRUE(d.set("alsoGone", Value()));  // null removes
  EXPECT_TRUE(d.synchronize());

  // Written through already: another instance over the same file sees everything.
  UserDefaults other(prefsFile());
  EXPECT_EQ(other.stringForKey("name"), "Zoë");
  EXPECT_EQ(other.integerForKey("count"), 7);
  EXPECT_EQ(other.arrayForKey("list"), (Array{Value("a"), Value(1)}));
  EXPECT_TRUE(other.objectForKey("gone").isNull());
  EXPECT_TRUE(other.objectForKey("alsoGone").isNull());

  // After a reset (as at the next start) the standard instance reloads from disk.
  UserDefaults::resetStandardForTesting();
  EXPECT_EQ(UserDefaults::standard().integerForKey("count"), 7);
}

TEST(UserDefaultsTest, EachTestHomeGetsFreshDefaults) {
  {
    TempHome home;
    UserDefaults::standard().set("leak", 1);
  }
  TempHome home;
  EXPECT_TRUE(UserDefaults::standard().objectForKey("leak").isNull());
}

TEST(UserDefaultsTest, TornOrCorruptFileReadsAsEmptyAndIsReplaced) {
  TempHome home;
  ASSERT_TRUE(PropertyList::writeFile(Value(Dictionary{{"kept", "x"}}), prefsFile()));
  std::string whole = PropertyList::serialize(Value(Dictionary{{"kept", "x"}})).value();
  for (const std::string& bad :
       {whole.substr(0, whole.size() / 2), std::string("\0\0\0\0", 4), std::string(),
        std::string("<plist><array/></plist>")}) {
    std::ofstream(prefsFile(), std::ios::trunc | std::ios::binary) << bad;
    UserDefaults::resetStandardForTesting();
    UserDefaults& d = UserDefaults::standard();
    EXPECT_TRUE(d.objectForKey("kept").isNull());
    EXPECT_TRUE(d.set("fresh", 1));
    UserDefaults check(prefsFile());
    EXPECT_EQ(check.integerForKey("fresh"), 1);
  }
}

TEST(UserDefaultsTest, TypedReadsCoerce) {
  TempHome home;
  UserDefaults& d = UserDefaults::standard();
  d.set("int", 42);
  d.set("real", 2.5);
  d.set("numText", "  12abc");
  d.set("yes", "YES");
  d.set("trueText", "true");
  d.set("one", "1");
  d.set("no", "no");
  d.set("flag", true);
  d.set("dict", Value(Dictionary{{"k", "v"}}));

  EXPECT_EQ(d.stringForKey("int"), "42");
  EXPECT_EQ(d.stringForKey("real"), "2.5");
  EXPECT_EQ(d.stringForKey("dict"), std::nullopt);
  EXPECT_EQ(d.stringForKey("missing"), std::nullopt);
  EXPECT_EQ(d.integerForKey("numText"), 12);
  EXPECT_EQ(d.integerForKey("real"), 2);
  EXPECT_EQ(d.integerForKey("missing"), 0);
  EXPECT_DOUBLE_EQ(d.doubleForKey("int"), 42.0);
  EXPECT_TRUE(d.boolForKey("yes"));
  EXPECT_TRUE(d.boolForKey("trueText"));
  EXPECT_TRUE(d.boolForKey("one"));
  EXPECT_TRUE(d.boolForKey("flag"));
  EXPECT_TRUE(d.boolForKey("int"));
  EXPECT_FALSE(d.boolForKey("no"));
  EXPECT_FALSE(d.boolForKey("missing"));
  EXPECT_EQ(d.dictionaryForKey("dict"), (Dictionary{{"k", "v"}}));
  EXPECT_EQ(d.dictionaryForKey("int"), std::nullopt);
  EXPECT_EQ(d.arrayForKey("dict"), std::nullopt);
}

TEST(UserDefaultsTest, UnwritableValueIsRefusedWithoutLosingTheFile) {
  TempHome home;
  UserDefaults& d = UserDefaults::standard();
  ASSERT_TRUE(d.set("good", "x"));
  EXPECT_FALSE(d.set("bad", "\x01"));
  EXPECT_FALSE(d.set("object", Value(std::make_shared<Object>())));
  EXPECT_TRUE(d.objectForKey("bad").isNull());
  EXPECT_TRUE(d.set("later", 2));
  UserDefaults check(prefsFile());
  EXPECT_EQ(check.stringForKey("good"), "x");
  EXPECT_EQ(check.integerForKey("later"), 2);
}

TEST(UserDefaultsTest, ConcurrentWritersLoseNothing) {
  TempHome home;
  UserDefaults& d = UserDefaults::standard();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &d] {
      for (int i = 0; i < 10; ++i) d.set("k" + std::to_string(t) + "_" + std::to_string(i), i);
    });
  }
  for (auto& th : threads) th.join();
  UserDefaults check(prefsFile());
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(check.integerForKey("k" + std::to_string(t) + "_" + std::to_string(i)), i);
}

}  // namespace
}  // namespace zu
