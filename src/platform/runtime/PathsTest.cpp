#include "platform/runtime/Paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

TEST(PathsTest, FoldersAreMadeInsideTheHomeOnFirstUse) {
  TempHome home;
  // A fresh home is empty: opening a file in caches must work without any set-up.
  EXPECT_TRUE(std::filesystem::is_empty(home.path()));
  std::ofstream log(Paths::caches() / "zureader.log");
  EXPECT_TRUE(log.good());

  EXPECT_EQ(Paths::home(), home.path());
  EXPECT_EQ(Paths::documents(), home.path() / "Documents");
  EXPECT_EQ(Paths::library(), home.path() / "Library");
  EXPECT_EQ(Paths::caches(), home.path() / "Library" / "Caches");
  EXPECT_EQ(Paths::preferences(), home.path() / "Library" / "Preferences");
  EXPECT_EQ(Paths::tmp(), home.path() / "tmp");
  for (const auto& p : {Paths::documents(), Paths::caches(), Paths::preferences(), Paths::tmp()})
    EXPECT_TRUE(std::filesystem::is_directory(p)) << p;
}

// A plain file where the home's Library or its Caches belongs: the client could keep nothing
// there (with Library a file, no preference: every launch would start with the first-run guide;
// the libraries would fall back on the desktop user's folders). The file is set aside, whole,
// and the folder made.
TEST(PathsTest, APlainFileWhereAFixedFolderBelongsIsSetAside) {
  for (const char* file : {"Library", "Library/Caches"}) {
    SCOPED_TRACE(file);
    TempHome home;
    std::vector<std::string> reports;
    FolderHandle::setReporter([&](const std::string& line) { reports.push_back(line); });
    TestFiles::write(home.path() / file, "the reader's");
    EXPECT_EQ(Paths::caches(), home.path() / "Library" / "Caches");
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(home.path() / "Library" / "Caches")));
    EXPECT_TRUE(UserDefaults::standard().set("EverRun", Value(std::string("true"))));
    UserDefaults::resetStandardForTesting();
    EXPECT_EQ(UserDefaults::standard().stringForKey("EverRun"), "true");
    const std::filesystem::path at = home.path() / file;
    const auto aside = TestFiles::setAside(at.parent_path(), at.filename().string());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(TestFiles::read(aside[0]), "the reader's");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(at.string()), std::string::npos) << reports[0];
    FolderHandle::setReporter(nullptr);
  }
}

TEST(PathsTest, HomeComesFromTheEnvironmentWhenNotOverridden) {
  TempHome scratch;  // keeps anything we create inside a temp folder
  Paths::resetHomeForTesting();
  const char* oldZu = getenv("ZU_HOME");
  const char* oldXdg = getenv("XDG_DATA_HOME");
  std::string savedZu = oldZu ? oldZu : "", savedXdg = oldXdg ? oldXdg : "";

  setenv("ZU_HOME", (scratch.path() / "zu").c_str(), 1);
  setenv("XDG_DATA_HOME", (scratch.path() / "xdg").c_str(), 1);
  EXPECT_EQ(Paths::home(), scratch.path() / "zu");
  unsetenv("ZU_HOME");
  EXPECT_EQ(Paths::home(), scratch.path() / "xdg" / "zureader");
  EXPECT_TRUE(std::filesystem::is_directory(scratch.path() / "xdg" / "zureader"));

  if (oldZu) setenv("ZU_HOME", savedZu.c_str(), 1); else unsetenv("ZU_HOME");
  if (oldXdg) setenv("XDG_DATA_HOME", savedXdg.c_str(), 1); else unsetenv("XDG_DATA_HOME");
  Paths::setHomeForTesting(scratch.path());
}

TEST(PathsTest, ConcurrentFirstUseFromManyThreads) {
  TempHome home;
  std::vector<std::thread> threads;
  std::vector<std::filesystem::path> seen(8);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([i, &seen] { seen[i] = Paths::caches(); });
  for (auto& t : threads) t.join();
  for (const auto& p : seen) EXPECT_EQ(p, home.path() / "Library" / "Caches");
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "Library" / "Caches"));
}

namespace fs = std::filesystem;

class PathsLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    outside_ = home_.path() / ".." / (home_.path().filename().string() + "-outside");
    outside_ = outside_.lexically_normal();
    fs::create_directories(outside_ / "Caches" / "FileCaches");
    TestFiles::write(outside_ / "log.txt", "someone's log");
    TestFiles::write(outside_ / "Caches" / "log.txt", "someone's log");
    TestFiles::write(outside_ / "Caches" / "FileCaches" / "index.db", "someone's data");
    fs::permissions(outside_ / "log.txt", fs::perms(0644));
    before_ = TestFiles::snapshot(outside_);
    FolderHandle::setReporter([this](const std::string& line) { reports_.push_back(line); });
  }
  void TearDown() override {
    FolderHandle::setReporter(nullptr);
    fs::remove_all(outside_);
  }
  // The link at `relative` is set aside beside it, still pointing where it did, and a real
  // folder stands in its place.
  void expectSetAside(const fs::path& relative) {
    const fs::path at = home_.path() / relative;
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(at))) << relative;
    const auto aside = TestFiles::setAside(at.parent_path(), at.filename().string());
    ASSERT_EQ(aside.size(), 1u) << relative;
    EXPECT_TRUE(fs::is_symlink(aside[0]));
    EXPECT_EQ(fs::read_symlink(aside[0]), outside_);
  }

  TempHome home_;
  fs::path outside_;
  std::map<std::string, std::string> before_;
  std::vector<std::string> reports_;
};

// A link at any depth below the home is set aside and a real folder made; nothing outside the
// home is touched, whichever accessor reaches it.
TEST_F(PathsLinkTest, LinkedFoldersAtAnyDepthAreSetAsideAndMadeAnew) {
  fs::create_directory_symlink(outside_, home_.path() / "Library");
  fs::create_directory_symlink(outside_, home_.path() / "Documents");
  EXPECT_EQ(Paths::caches(), home_.path() / "Library" / "Caches");
  expectSetAside("Library");
  std::ofstream(Paths::caches() / "log.txt") << "ours";
  EXPECT_EQ(Paths::documents(), home_.path() / "Documents");
  expectSetAside("Documents");

  // One level down, and deeper, through each way in.
  fs::create_directory_symlink(outside_, home_.path() / "Documents" / "userEntry");
  EXPECT_EQ(Paths::checkedPath("Documents/userEntry"), home_.path() / "Documents" / "userEntry");
  EXPECT_FALSE(fs::exists(home_.path() / "Documents" / "userEntry"));  // checked, not made
  EXPECT_EQ(TestFiles::setAside(home_.path() / "Documents", "userEntry").size(), 1u);
  fs::remove_all(Paths::caches());
  fs::create_directory_symlink(outside_, home_.path() / "Library" / "Caches");
  const auto files = FolderHandle::openReal(home_.path() / "Library" / "Caches" / "FileCaches");
  ASSERT_TRUE(files);
  EXPECT_TRUE(files->names().empty());
  expectSetAside(fs::path("Library") / "Caches");
  fs::create_directory_symlink(outside_, home_.path() / "Library" / "Caches" / "FileCaches" / "x");
  EXPECT_FALSE(FolderHandle::openExisting(home_.path() / "Library/Caches/FileCaches/x"));
  EXPECT_EQ(Paths::folder("Library/Caches/FileCaches/x/y"), home_.path() / "Library/Caches/FileCaches/x/y");
  expectSetAside("Library/Caches/FileCaches/x");

  // A plain file where a folder belongs is the reader's: it stays and there is no folder.
  TestFiles::write(home_.path() / "Library" / "Fonts", "a file");
  EXPECT_FALSE(Paths::folder("Library/Fonts/a"));
  EXPECT_FALSE(FolderHandle::openReal(home_.path() / "Library" / "Fonts"));
  EXPECT_EQ(TestFiles::read(home_.path() / "Library" / "Fonts"), "a file");
  EXPECT_FALSE(Paths::folder("../escape"));
  EXPECT_FALSE(Paths::folder("/elsewhere"));

  EXPECT_EQ(TestFiles::snapshot(outside_), before_);
  ASSERT_EQ(reports_.size(), 5u);
  EXPECT_EQ(reports_[0].rfind("FolderHandle: " + (home_.path() / "Library").string() +
                                  " was a link, set aside as Library.aside-", 0),
            0u)
      << reports_[0];
}

// The home's own path may be a link: it is resolved once, and only what lies below it is never
// followed.
TEST_F(PathsLinkTest, TheHomeItselfMayBeALink) {
  const fs::path named = home_.path().string() + "-link";
  fs::create_directory_symlink(home_.path(), named);
  Paths::setHomeForTesting(named);
  EXPECT_EQ(Paths::home(), home_.path());
  EXPECT_EQ(Paths::documents(), home_.path() / "Documents");
  EXPECT_EQ(Paths::relativeToHome(named / "Library" / "Caches"), fs::path("Library/Caches"));
  EXPECT_EQ(Paths::relativeToHome(home_.path() / "tmp"), fs::path("tmp"));
  EXPECT_EQ(Paths::relativeToHome(home_.path()), fs::path());
  EXPECT_FALSE(Paths::relativeToHome(outside_));
  fs::create_directory_symlink(outside_, home_.path() / "tmp");
  EXPECT_EQ(Paths::folder(named / "tmp"), home_.path() / "tmp");
  expectSetAside("tmp");
  EXPECT_EQ(TestFiles::snapshot(outside_), before_);
  fs::remove(named);
}

}  // namespace
}  // namespace zu
