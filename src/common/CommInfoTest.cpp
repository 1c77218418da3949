#include "common/CommInfo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

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

// A folder handed out is never reached through a link: one in its place (or on the way) is
// set aside, the folder left for its user to make; what the link points at stays as it was.
TEST_F(CommInfoTest, FoldersHandedOutAreNeverBehindALink) {
  namespace fs = std::filesystem;
  const fs::path outside = home_.path().string() + "-outside";
  TestFiles::write(outside / "kept.ttf", "someone's font");
  const auto before = TestFiles::snapshot(outside);
  CommInfo::setUsername("reader");
  fs::create_directories(home_.path() / "Library");
  fs::create_directories(home_.path() / "Documents" / "userEntryStatus");
  for (const fs::path& linked : {fs::path("Library") / "Fonts", fs::path("Library") / "Books",
                                fs::path("Documents") / "userEntryStatus" / "reader"}) {
    fs::create_directory_symlink(outside, home_.path() / linked);
  }
  const std::string fonts = CommInfo::getFontsDir();
  EXPECT_EQ(fonts, (home_.path() / "Library" / "Fonts").string() + "/");
  EXPECT_FALSE(fs::exists(fonts + "kept.ttf"));
  EXPECT_FALSE(fs::exists(CommInfo::getBooksDir()));
  EXPECT_FALSE(fs::exists(CommInfo::getEntryStatusCacheRootPathWithUsername()));
  EXPECT_EQ(TestFiles::setAside(home_.path() / "Library", "Fonts").size(), 1u);
  EXPECT_EQ(TestFiles::setAside(home_.path() / "Library", "Books").size(), 1u);
  EXPECT_EQ(TestFiles::setAside(home_.path() / "Documents" / "userEntryStatus", "reader").size(), 1u);
  EXPECT_EQ(TestFiles::snapshot(outside), before);
  fs::remove_all(outside);
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
