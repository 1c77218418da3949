#include "engine/openplatform/OpenDataManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "engine/openplatform/OpenPlatformTestSupport.h"

namespace zu {
namespace {

using testing::OpenPlatformTest;

PlatformAccountInfo account(std::string name) {
  PlatformAccountInfo info;
  info.accessToken = "tok'en";
  info.secret = "se'cret";
  info.nickName = std::move(name);
  info.userUrl = "http://t.example/o'brien";
  info.imageUrl = "http://img.example/a.jpg?x='1'";
  return info;
}

using OpenDataManagerTest = OpenPlatformTest;

TEST_F(OpenDataManagerTest, AccountsRoundTripWithQuotesAndKeepTheirSwitch) {
  auto s = store();
  ASSERT_TRUE(s);
  // One store per reader, one file per reader.
  EXPECT_EQ(OpenDataManager::instance("alice"), s);
  auto bob = OpenDataManager::instance("bob");
  ASSERT_TRUE(bob);
  EXPECT_NE(bob, s);
  EXPECT_EQ(OpenDataManager::instance(std::nullopt), nullptr);
  EXPECT_TRUE(std::filesystem::exists(home.path() / "Library" / "SharePlatformData" / "bob" /
                                      "sharePlatform.db"));
  // A name that looks like an absolute path still names a folder inside the home.
  const std::string rooted = (home.path() / "outside").string();
  ASSERT_TRUE(OpenDataManager::instance(rooted));
  EXPECT_TRUE(std::filesystem::exists(home.path() / "Library" / "SharePlatformData" /
                                      rooted.substr(1) / "sharePlatform.db"));
  EXPECT_FALSE(std::filesystem::exists(home.path() / "outside"));

  // Never bound: sharing reads as on and nothing is stored.
  EXPECT_TRUE(s->getShareEnable(1));
  EXPECT_EQ(s->getAccountInfo(1), std::nullopt);
  EXPECT_FALSE(s->isExisted(1));

  PlatformAccountInfo info = account("O'Neil \"quoted\"; drop table share_platform;--");
  ASSERT_TRUE(s->updateAccountInfo(1, info));
  EXPECT_EQ(s->getAccountInfo(1), info);
  EXPECT_EQ(bob->getAccountInfo(1), std::nullopt);
  // Right after the row is written its switch is NULL, which reads as off until the bind sets it.
  EXPECT_FALSE(s->getShareEnable(1));
  s->updateShareEnable(1, true);
  EXPECT_TRUE(s->getShareEnable(1));
  EXPECT_TRUE(s->updateShareTimes(1, 4));
  EXPECT_EQ(s->getShareTimes(1), 4);

  // Absent optional fields come back absent; the table keeps its rows in platform order.
  PlatformAccountInfo bare;
  bare.accessToken = "t";
  bare.secret = "secret";
  ASSERT_TRUE(s->updateAccountInfo(0, bare));
  EXPECT_EQ(s->getAccountInfo(0), bare);
  auto all = s->accountsInfo();
  ASSERT_EQ(all.size(), 2u);

  // Replacing a row drops its switch and counter.
  ASSERT_TRUE(s->updateAccountInfo(1, account("again")));
  EXPECT_FALSE(s->getShareEnable(1));
  EXPECT_EQ(s->getShareTimes(1), 0);

  s->deletePlatform(1);
  EXPECT_EQ(s->getAccountInfo(1), std::nullopt);
  EXPECT_TRUE(s->getShareEnable(1));
  s->clear();
  EXPECT_TRUE(s->accountsInfo().empty());
}

TEST_F(OpenDataManagerTest, RefusesAccountsWithoutTokenOrSecretAndKeepsTheTableText) {
  auto s = store();
  PlatformAccountInfo noSecret;
  noSecret.accessToken = "t";
  EXPECT_FALSE(s->updateAccountInfo(2, noSecret));
  PlatformAccountInfo noToken;
  noToken.secret = "s";
  EXPECT_FALSE(s->updateAccountInfo(2, noToken));
  EXPECT_FALSE(s->isExisted(2));

  // Older readers of the file see the table as it has always been created.
  Database db;
  ASSERT_EQ(db.open(OpenDataManager::DBFilePath("alice")), SQLITE_OK);
  Statement q = db.prepare("select sql from sqlite_master where name='share_platform'");
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.columnString(0),
            "CREATE TABLE share_platform \t\t\t\t\t\t   (platform integer, \t\t\t\t\t\t   token "
            "text not null, \t\t\t\t\t\t   token_secret text not null, \t\t\t\t\t\t   nick_name "
            "text, \t\t\t\t\t\t   image_url text, \t\t\t\t\t\t   user_url text, \t\t\t\t\t\t   "
            "share_times integer, \t\t\t\t\t\t   share_enable integer, \t\t\t\t\t\t   PRIMARY "
            "KEY(platform))");
}

TEST_F(OpenDataManagerTest, GuestAccountsCopiedToANewReaderStartSwitchedOff) {
  auto& factory = OpenPlatformFactory::instance();
  ASSERT_TRUE(factory.setUserAcountInfo("wayfarers", 3, account("guest")));
  OpenDataManager::instance("wayfarers")->updateShareEnable(3, true);
  auto copied = factory.getUserAcountInfo("wayfarers", 3);
  ASSERT_TRUE(copied);
  ASSERT_TRUE(factory.setUserAcountInfo("alice", 3, *copied));
  EXPECT_EQ(store()->getAccountInfo(3), account("guest"));
  EXPECT_FALSE(store()->getShareEnable(3));
  EXPECT_EQ(factory.getUserAcountInfo(std::nullopt, 3), std::nullopt);
}

unsigned modeOf(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(0, ::lstat(path.c_str(), &info));
  return info.st_mode & 0777u;
}

// The file holds the bound accounts' tokens and secrets: it is owner-only in owner-only
// folders, also when an older version made them open to others.
TEST_F(OpenDataManagerTest, TheStoreIsOwnerOnly) {
  namespace fs = std::filesystem;
  const fs::path root = home.path() / "Library" / "SharePlatformData";
  auto s = store();
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->updateAccountInfo(1, account("alice")));
  EXPECT_EQ(modeOf(root), 0700u);
  EXPECT_EQ(modeOf(root / "alice"), 0700u);
  EXPECT_EQ(modeOf(root / "alice" / "sharePlatform.db"), 0600u);

  fs::create_directories(root / "carol");
  { std::ofstream(root / "carol" / "sharePlatform.db"); }
  fs::permissions(root / "carol", fs::perms(0755));
  fs::permissions(root / "carol" / "sharePlatform.db", fs::perms(0644));
  auto carol = OpenDataManager::instance("carol");
  ASSERT_TRUE(carol);
  ASSERT_TRUE(carol->updateAccountInfo(2, account("carol")));
  EXPECT_EQ(modeOf(root / "carol"), 0700u);
  EXPECT_EQ(modeOf(root / "carol" / "sharePlatform.db"), 0600u);
  for (const auto& item : fs::directory_iterator(root / "carol")) {
    EXPECT_EQ(modeOf(item.path()), 0600u) << item.path();
  }

  // A store file with a second name (a hard link to a file outside the home): the store gets a
  // copy of its own, made owner-only; the other name keeps its mode and bytes.
  const fs::path outside = home.path() / "shared.txt";
  { std::ofstream(outside) << ""; }
  fs::permissions(outside, fs::perms(0644));
  fs::create_directories(root / "dave");
  fs::create_hard_link(outside, root / "dave" / "sharePlatform.db");
  auto dave = OpenDataManager::instance("dave");
  ASSERT_TRUE(dave);
  ASSERT_TRUE(dave->updateAccountInfo(3, account("dave")));
  EXPECT_EQ(modeOf(outside), 0644u);
  EXPECT_EQ(fs::file_size(outside), 0u);
  EXPECT_EQ(fs::hard_link_count(outside), 1u);
  EXPECT_EQ(modeOf(root / "dave" / "sharePlatform.db"), 0600u);
}

}  // namespace
}  // namespace zu
