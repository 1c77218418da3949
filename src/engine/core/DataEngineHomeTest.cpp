// The engine's start in a home where someone planted links, named pipes or folders: nothing
// outside the home is read, written, chmodded or deleted, and the stores and defaults are made
// anew instead of failing at every launch.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/CommInfo.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/DESettings.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/openplatform/OpenDataManager.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/MainLoopTurn.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using testing::ConnectedEngineFixture;
using testing::readLog;

// A folder outside the home, holding what the client would touch if it followed a link there:
// logs, covers, cached service answers, stores, defaults, each open to others (0644), so a
// chmod shows too.
class OutsideFolder {
 public:
  OutsideFolder() {
    std::string pattern = (fs::temp_directory_path() / "zu_outside_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    for (const fs::path& prefix : {fs::path(), fs::path("Caches")}) {
      write(prefix / "log.txt", "someone's log\r\n");
      write(prefix / "log_last.txt", "someone's older log\r\n");
      write(prefix / "CoverImages" / "5_large", "someone's picture");
      write(prefix / "UniqueCaches" / (std::string(UniqueCache::kServiceUrlKey) + "_old"), "x");
      write(prefix / "FileCaches" / "images" / "index.db", "someone's index");
    }
    write("userSubscribe.db", "someone's data");
    write(fs::path("userEntry") / "userSubscribe.db", "someone's data");
    write(fs::path("Preferences") / "zureader.plist", "someone's settings");
    write(fs::path("HttpCache") / "kept", "someone's file");
    listing_ = TestFiles::snapshot(path_);
  }
  ~OutsideFolder() { fs::remove_all(path_); }

  const fs::path& path() const { return path_; }
  bool untouched() const { return TestFiles::snapshot(path_) == listing_; }

 private:
  void write(const fs::path& relative, const std::string& bytes) {
    TestFiles::write(path_ / relative, bytes);
    fs::permissions(path_ / relative, fs::perms(0644));
  }
  fs::path path_;
  std::map<std::string, std::string> listing_;
};

// The engine started as at a launch, with a link planted at the folder the parameter names.
class DataEngineLinkedFolderTest : public ConnectedEngineFixture,
                                   public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    linked_ = home_.path() / GetParam();
    fs::create_directories(linked_.parent_path());
    fs::create_directory_symlink(outside_.path(), linked_);
    ConnectedEngineFixture::SetUp();  // the log opens; the engine starts; the URL table is kept
  }

  OutsideFolder outside_;
  fs::path linked_;
};

TEST_P(DataEngineLinkedFolderTest, ALaunchTouchesNothingBehindIt) {
  // What a launch does besides: the covers are refreshed (their folder emptied and filled),
  // the defaults and the guest's read marks written, the platform store opened.
  engine_->getProgramCovers();
  ASSERT_TRUE(turnMainLoopUntil([&] { return engine_->isProgramCoversChanged(); }));
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(OpenDataManager::instance(std::string("wayfarers")));
  EXPECT_TRUE(engine_->getSubPersist());
  EXPECT_TRUE(engine_->getFavPersist());
  const std::string log = readLog();
  stopEngine();
  VESKLogUninit();

  EXPECT_TRUE(outside_.untouched());
  if (std::string(GetParam()) == "Documents/HttpCache") {
    // A folder of older versions, removed at start: the link goes as a link.
    EXPECT_FALSE(fs::exists(fs::symlink_status(linked_)));
    return;
  }
  // The link was set aside (still pointing where it did), a real folder made in its place, and
  // the log says so.
  EXPECT_TRUE(fs::is_directory(fs::symlink_status(linked_)));
  const auto aside = TestFiles::setAside(linked_.parent_path(), linked_.filename().string());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(fs::read_symlink(aside[0]), outside_.path());
  EXPECT_NE(log.find(linked_.string() + " was a link, set aside as"), std::string::npos) << log;
  EXPECT_TRUE(fs::is_regular_file(home_.path() / "Library" / "Caches" / "log.txt"));
}

INSTANTIATE_TEST_SUITE_P(Folders, DataEngineLinkedFolderTest,
                         ::testing::Values("Library", "Library/Caches", "Documents",
                                           "Documents/userEntry", "Library/Caches/FileCaches",
                                           "Documents/HttpCache"));

class DataEngineRefusedStoreTest : public ConnectedEngineFixture {
 protected:
  void SetUp() override {
    const fs::path entries = home_.path() / "Documents" / "userEntry";
    fs::create_directories(entries);
    fs::create_symlink(outside_.path() / "userSubscribe.db", entries / "userSubscribe.db");
    TestFiles::makePipe(entries / "userFavorite.db");
    TestFiles::write(home_.path() / "Documents" / "userEntryStatus" / "wayfarers" /
                         "entryStatus.db" / "inside",
                     "kept");
    fs::create_directories(home_.path() / "Library" / "Preferences");
    fs::create_symlink(outside_.path() / "Preferences" / "zureader.plist",
                       home_.path() / "Library" / "Preferences" / "zureader.plist");
    TestFiles::makePipe(home_.path() / "Library" / "SharePlatformData" / "wayfarers" /
                        "sharePlatform.db");
    ConnectedEngineFixture::SetUp();
  }

  // How many entries were set aside in the places planted above.
  size_t setAsideCount() const {
    const fs::path documents = home_.path() / "Documents";
    return TestFiles::setAside(documents / "userEntry", "userSubscribe.db").size() +
           TestFiles::setAside(documents / "userEntry", "userFavorite.db").size() +
           TestFiles::setAside(documents / "userEntryStatus" / "wayfarers", "entryStatus.db").size() +
           TestFiles::setAside(home_.path() / "Library" / "Preferences", "zureader.plist").size() +
           TestFiles::setAside(home_.path() / "Library" / "SharePlatformData" / "wayfarers",
                    "sharePlatform.db").size();
  }

  OutsideFolder outside_;
};

// A link, a named pipe or a folder at a store's or the defaults' name is set aside (never
// followed or deleted) and the store made anew, so this launch and the next work; a file that
// is no database stays as it is and only its store fails, logged.
TEST_F(DataEngineRefusedStoreTest, StoresAndDefaultsAreMadeAnewBesideWhatWasPlanted) {
  ASSERT_TRUE(engine_->getSubPersist());
  ASSERT_TRUE(engine_->getFavPersist());
  ASSERT_TRUE(OpenDataManager::instance(std::string("wayfarers")));
  DESettings::setFirstRun(false);
  EXPECT_EQ(setAsideCount(), 5u);
  const std::string log = readLog();
  EXPECT_EQ(log.find("a local store could not be opened"), std::string::npos) << log;
  EXPECT_NE(log.find("userFavorite.db was a named pipe, set aside as"), std::string::npos) << log;
  EXPECT_NE(log.find("entryStatus.db was a folder, set aside as"), std::string::npos);
  EXPECT_NE(log.find("zureader.plist was a link, set aside as"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(home_.path() / "Library" / "Preferences" /
                                                      "zureader.plist")));

  // The next launch finds its own files and sets nothing more aside.
  stopEngine();
  UserDefaults::resetStandardForTesting();
  startEngine();
  EXPECT_TRUE(engine_->getSubPersist());
  EXPECT_TRUE(engine_->getFavPersist());
  EXPECT_FALSE(DESettings::isFirstRun());
  EXPECT_EQ(setAsideCount(), 5u);

  // A regular file that is no database is the reader's: it stays, its store fails, logged.
  stopEngine();
  const fs::path favourites = home_.path() / "Documents" / "userEntry" / "userFavorite.db";
  fs::remove(favourites);
  TestFiles::write(favourites, std::string(4096, 'x'));
  startEngine();
  EXPECT_TRUE(engine_->getSubPersist());
  EXPECT_FALSE(engine_->getFavPersist());
  EXPECT_EQ(TestFiles::read(favourites), std::string(4096, 'x'));
  EXPECT_EQ(setAsideCount(), 5u);
  EXPECT_NE(readLog().find("a local store could not be opened"), std::string::npos);
  stopEngine();
  EXPECT_TRUE(outside_.untouched());
}

}  // namespace
}  // namespace zu
