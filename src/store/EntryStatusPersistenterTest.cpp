#include "store/EntryStatusPersistenter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/CommInfo.h"
#include "platform/runtime/Paths.h"
#include "platform/sqlite/Database.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kStart = 1600000000000;  // a whole second

class EntryStatusPersistenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EntryStatusPersistenter::globalInit();
    CommInfo::setUsername(std::string("alice"));
    ASSERT_TRUE(EntryStatusPersistenter::changeDB());
  }
  void TearDown() override {
    EntryStatusPersistenter::globalUninit();
    CommInfo::globalUninit();
  }

  static fs::path file(const std::string& user) {
    return Paths::documents() / "userEntryStatus" / user / "entryStatus.db";
  }

  // Fills the current user's table directly: ids "r0".."r<n-1>", read, row i written at
  // second i (several rows share a second when `perSecond` > 1).
  static void fill(int n, int perSecond = 1) {
    Database db;
    ASSERT_EQ(db.open(file("alice").string()), SQLITE_OK);
    Transaction t(db);
    Statement s = db.prepare("insert into entrystatus (id, isread, updated) values (?, 1, ?);");
    for (int i = 0; i < n; ++i) {
      s.bind(1, "r" + std::to_string(i));
      s.bind(2, kStart + (i / perSecond) * 1000);
      ASSERT_TRUE(s.execute());
    }
    ASSERT_EQ(t.commit(), SQLITE_OK);
  }

  static int64_t scalar(const std::string& sql) {
    Database db;
    EXPECT_EQ(db.open(file("alice").string()), SQLITE_OK);
    Statement s = db.prepare(sql);
    return s.next() ? s.columnInt64(0) : -1;
  }

  TempHome home_;
};

TEST_F(EntryStatusPersistenterTest, FlagsArePerUserAndSurviveSwitching) {
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("a1")), 0);
  EntryStatusPersistenter::setEntryStatus(std::string("a1"), 1);
  EntryStatusPersistenter::setEntryStatus(std::string("it's ' OR 1=1 --"), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("a1")), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("it's ' OR 1=1 --")), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("' OR 1=1 --")), 0);
  EntryStatusPersistenter::setEntryStatus(std::nullopt, 1);  // ignored
  EXPECT_EQ(scalar("select count(*) from entrystatus"), 2);

  EXPECT_FALSE(EntryStatusPersistenter::isUserDBExist(std::string("bob")));
  CommInfo::setUsername(std::string("bob"));
  ASSERT_TRUE(EntryStatusPersistenter::changeDB());
  EXPECT_TRUE(EntryStatusPersistenter::isUserDBExist(std::string("bob")));
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("a1")), 0);
  EntryStatusPersistenter::setEntryStatus(std::string("a1"), 0);

  // A user whose folder cannot be made keeps the previous database in use.
  std::ofstream(Paths::documents() / "userEntryStatus" / "carol") << "not a folder";
  CommInfo::setUsername(std::string("carol"));
  EXPECT_FALSE(EntryStatusPersistenter::changeDB());
  EntryStatusPersistenter::setEntryStatus(std::string("b1"), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("b1")), 1);

  CommInfo::setUsername(std::string("alice"));
  ASSERT_TRUE(EntryStatusPersistenter::changeDB());
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("a1")), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("b1")), 0);

  // Restart: the flags are still there.
  EntryStatusPersistenter::globalUninit();
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("a1")), 0);  // no database
  EntryStatusPersistenter::globalInit();
  ASSERT_TRUE(EntryStatusPersistenter::changeDB());
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("a1")), 1);
}

TEST_F(EntryStatusPersistenterTest, WritingPrunesTheOldestRowsByTheirSecond) {
  ScopedFakeClock clock(kStart + 5000 * 1000 + 999);  // later than every filled row

  // 1000 rows: a new id just adds a row.
  fill(1000);
  EntryStatusPersistenter::setEntryStatus(std::string("n1"), 1);
  EXPECT_EQ(scalar("select count(*) from entrystatus"), 1001);
  EXPECT_EQ(scalar("select count(*) from entrystatus where isread=0"), 0);
  // The time is now to the whole second.
  EXPECT_EQ(scalar("select updated from entrystatus where id='n1'"), kStart + 5000 * 1000);

  // 1001 rows: the single oldest is reset to unread before the write.
  clock->advance(1);
  EntryStatusPersistenter::setEntryStatus(std::string("n2"), 1);
  EXPECT_EQ(scalar("select count(*) from entrystatus"), 1002);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r0")), 0);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r1")), 1);

  // Rewriting an existing id moves it to now, so it is no longer among the oldest.
  clock->advance(1);
  EntryStatusPersistenter::setEntryStatus(std::string("r1"), 1);
  EXPECT_EQ(scalar("select count(*) from entrystatus"), 1002);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r1")), 1);
  clock->advance(1);
  EntryStatusPersistenter::setEntryStatus(std::string("n3"), 1);
  EXPECT_EQ(scalar("select count(*) from entrystatus"), 1003);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r1")), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r2")), 0);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r3")), 1);
  EXPECT_EQ(scalar("select count(*) from entrystatus where isread=0"), 2);
}

TEST_F(EntryStatusPersistenterTest, FromTwoThousandAndOneRowsTheOldestAreDeleted) {
  ScopedFakeClock clock(kStart + 9000 * 1000);
  // Two rows per second: the oldest are chosen by second, then in the order written.
  fill(2001, 2);
  EntryStatusPersistenter::setEntryStatus(std::string("new"), 1);
  EXPECT_EQ(scalar("select count(*) from entrystatus"), 1001);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r1000")), 0);  // deleted
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r1001")), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("r2000")), 1);
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("new")), 1);
  EXPECT_EQ(scalar("select count(*) from entrystatus where isread=0"), 0);
}

TEST_F(EntryStatusPersistenterTest, OlderFolderIsMovedOnceAtInit) {
  EntryStatusPersistenter::globalUninit();
  fs::remove_all(Paths::documents() / "userEntryStatus");
  const fs::path old = Paths::documents() / "EntryStatusCache" / "alice";
  fs::create_directories(old);
  {
    Database db;
    ASSERT_EQ(db.open((old / "entryStatus.db").string()), SQLITE_OK);
    ASSERT_EQ(db.exec("create table entrystatus (id text primary key, isread interger, updated "
                      "interger); insert into entrystatus values ('kept', 1, 0);"),
              SQLITE_OK);
  }
  EXPECT_TRUE(EntryStatusPersistenter::globalInit());
  EXPECT_FALSE(fs::exists(Paths::documents() / "EntryStatusCache"));
  EXPECT_TRUE(EntryStatusPersistenter::isUserDBExist(std::string("alice")));
  ASSERT_TRUE(EntryStatusPersistenter::changeDB());
  EXPECT_EQ(EntryStatusPersistenter::getEntryStatus(std::string("kept")), 1);
}

}  // namespace
}  // namespace zu
