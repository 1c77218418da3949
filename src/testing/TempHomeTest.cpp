#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/runtime/Clock.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

TEST(TempHomeTest, EachHomeIsFreshAndRemovedAfterwards) {
  fs::path first;
  {
    TempHome home;
    first = home.path();
    EXPECT_EQ(Paths::home(), first);
    ASSERT_TRUE(UserDefaults::standard().set("key", Value(std::string("v1"))));
    std::ofstream(Paths::caches() / "file") << "data";
    EXPECT_TRUE(fs::exists(first / "Library" / "Caches" / "file"));
  }
  EXPECT_FALSE(fs::exists(first));
  EXPECT_NE(Paths::home(), first);

  TempHome second;
  EXPECT_NE(second.path(), first);
  EXPECT_EQ(Paths::home(), second.path());
  // The standard defaults do not carry values over from the previous home.
  EXPECT_EQ(UserDefaults::standard().stringForKey("key"), std::nullopt);
}

TEST(ScopedFakeClockTest, RestoresTheRealClock) {
  {
    ScopedFakeClock clock(1000);
    EXPECT_EQ(Clock::get()->nowMillis(), 1000);
    clock->advance(2.5);
    EXPECT_EQ(Clock::get()->nowMillis(), 3500);
  }
  EXPECT_EQ(Clock::get(), Clock::real());
}

}  // namespace
}  // namespace zu
