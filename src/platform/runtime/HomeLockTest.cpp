#include "platform/runtime/HomeLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

// Clients launched on one home, each holding the lock for its run: only a launch with no other
// client running clears up what an ended run left; one launched while another runs leaves the
// other's temporary file under way alone — while the other runs, and after it ends while a
// third still runs.
TEST(HomeLockTest, OnlyALaunchWithNoOtherClientOnTheHomeClearsUp) {
  TempHome home;
  const fs::path leftover = home.path() / "Library" / "Preferences" / ".zureader.plist.tmp.Ab12Cd";
  TestFiles::write(leftover, "a killed run's");
  int clearUps = 0;
  const auto clearUp = [&] {
    ++clearUps;
    Paths::openFolder({})->removeTemporariesBelow(16);
  };

  auto first = std::make_unique<HomeLock>(clearUp);
  EXPECT_TRUE(first->held());
  EXPECT_TRUE(first->clearedUp());
  EXPECT_FALSE(fs::exists(leftover));
  // The first client copies a store: its temporary file is under way.
  const fs::path underWay = home.path() / "Documents" / "userEntry" / ".userSubscribe.db.own.Zz99Yy";
  TestFiles::write(underWay, "the first client's copy");
  {
    std::vector<std::string> reports;
    FolderHandle::discardPendingReports();
    FolderHandle::setReporter([&](const std::string& line) { reports.push_back(line); });
    HomeLock second(clearUp);
    EXPECT_TRUE(second.held());
    EXPECT_FALSE(second.clearedUp());
    first.reset();
    HomeLock third(clearUp);
    FolderHandle::setReporter(nullptr);
    EXPECT_FALSE(third.clearedUp());
    EXPECT_EQ(TestFiles::read(underWay), "the first client's copy");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find("another client runs on this home"), std::string::npos) << reports[0];
  }
  HomeLock fourth(clearUp);
  EXPECT_TRUE(fourth.clearedUp());
  EXPECT_FALSE(fs::exists(underWay));
  EXPECT_EQ(clearUps, 2);
}

// What another program put at the lock file's name — a link to a file outside the home, a named
// pipe, a folder — is set aside (not followed, not waited on) and a lock file made: the lock is
// had and the launch clears up as usual.
TEST(HomeLockTest, WhatStandsAtTheLockFilesNameIsSetAside) {
  for (const char* kind : {"link", "pipe", "folder"}) {
    SCOPED_TRACE(kind);
    TempHome home;
    const fs::path outside = home.path().string() + "-outside";
    TestFiles::write(outside / "letter.txt", "the reader's own");
    const fs::path lock = home.path() / "Library" / HomeLock::kName;
    fs::create_directories(lock.parent_path());
    if (std::string(kind) == "link") fs::create_symlink(outside / "letter.txt", lock);
    if (std::string(kind) == "pipe") TestFiles::makePipe(lock);
    if (std::string(kind) == "folder") fs::create_directories(lock);

    bool ran = false;
    HomeLock homeLock([&] { ran = true; });
    EXPECT_TRUE(homeLock.held());
    EXPECT_TRUE(ran);
    struct stat st {};
    ASSERT_EQ(::lstat(lock.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(TestFiles::setAside(lock.parent_path(), HomeLock::kName).size(), 1u);
    EXPECT_EQ(TestFiles::read(outside / "letter.txt"), "the reader's own");
    fs::remove_all(outside);
  }
}

}  // namespace
}  // namespace zu
