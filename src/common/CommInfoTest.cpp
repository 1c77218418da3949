#include "common/CommInfo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

class CommInfoTest : public ::testing::Test {
 protected:
  void TearDown() override { CommInfo::globalUninit(); }
  TempHome home_;
};

TEST_F(CommInfoTest, UserAndPasswordKeepTheirLastValueUntilUninit) {
  CommInfo::globalInit();
  EXPECT_EQ(CommInfo::getUsername(), std::nullopt);
  CommInfo::setUsername("wayfarers");
  CommInfo::setPassword("wayfarers");
  CommInfo::setUsername("reader");
  CommInfo::setUsername(std::nullopt);
  CommInfo::setPassword(std::nullopt);
  EXPECT_EQ(CommInfo::getUsername(), "reader");
  EXPECT_EQ(CommInfo::getPassword(), "wayfarers");
  CommInfo::setPassword("");
  EXPECT_EQ(CommInfo::getPassword(), "");
  CommInfo::globalUninit();
  EXPECT_EQ(CommInfo::getUsername(), std::nullopt);
  EXPECT_EQ(CommInfo::getPassword(), std::nullopt);
}

TEST_F(CommInfoTest, ReadersOnAnotherThreadAlwaysSeeAWholeName) {
  const std::string a(100, 'a'), b(200, 'b');
  CommInfo::setUsername(a);
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      auto name = CommInfo::getUsername();
      if (!name || (*name != a && *name != b)) ++torn;
    }
  });
  for (int i = 0; i < 20000; ++i) CommInfo::setUsername(i % 2 ? a : b);
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
}

TEST_F(CommInfoTest, FoldersLieInTheHomeAndEndWithASlash) {
  const std::string documents = Paths::documents().string();
  CommInfo::setUsername("reader");
  EXPECT_EQ(CommInfo::getEntryCacheRootPath(), documents + "/userEntry/");
  EXPECT_EQ(CommInfo::getEntryStatusCacheRootPath(), documents + "/userEntryStatus/");
  EXPECT_EQ(CommInfo::getEntryStatusCacheRootPathWithUsername(), documents + "/userEntryStatus/reader/");
  EXPECT_EQ(CommInfo::getProgramCoverDir(), Paths::caches().string() + "/CoverImages/");
  EXPECT_EQ(CommInfo::getCustomPortraitDir(), Paths::library().string() + "/Portrait/");
  EXPECT_EQ(CommInfo::getFontsDir(), Paths::library().string() + "/Fonts/");
  EXPECT_EQ(CommInfo::getBooksDir(), Paths::library().string() + "/Books/");
  EXPECT_EQ(documents.rfind(home_.path().string(), 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(CommInfo::getBooksDir()));
}

TEST_F(CommInfoTest, CustomKeysPersistAtOnce) {
  EXPECT_EQ(CommInfo::getCustomIntKey("never"), 0);
  EXPECT_TRUE(CommInfo::getCustomKey("never").isNull());
  CommInfo::setCustomIntKey("minus", -5);
  CommInfo::setCustomIntKey("max", INT64_MAX);
  CommInfo::setCustomKey("text", Value("abc"));
  CommInfo::setCustomKey("gone", Value(1));
  CommInfo::setCustomKey("gone", Value());

  // Read back from the file, not from memory.
  UserDefaults::resetStandardForTesting();
  EXPECT_EQ(CommInfo::getCustomIntKey("minus"), -5);
  EXPECT_EQ(CommInfo::getCustomKey("minus"), Value("-5"));
  EXPECT_EQ(CommInfo::getCustomIntKey("max"), INT64_MAX);
  EXPECT_EQ(CommInfo::getCustomKey("text"), Value("abc"));
  EXPECT_EQ(CommInfo::getCustomIntKey("text"), 0);
  EXPECT_TRUE(CommInfo::getCustomKey("gone").isNull());
}

}  // namespace
}  // namespace zu
