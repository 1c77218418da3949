#include "engine/cache/FileCache.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/cache/CacheTestSupport.h"
#include "platform/crypto/Md5.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using testing::readIndex;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

class FileCacheTest : public ::testing::Test {
 protected:
  std::string root() const { return (home_.path() / "caches").string(); }
  std::string indexPath(const std::string& name) const { return root() + "/" + name + "/index.db"; }
  std::string filePath(const std::string& name, const std::string& key) const {
    return root() + "/" + name + "/file/" + crypto::Md5::hexUpper(key);
  }

  TempHome home_;
  ScopedFakeClock clock_{1700000000000};
};

// The uids of a cache's rows in the order they were last written.
std::vector<std::string> uidsInWriteOrder(const std::string& indexPath) {
  std::vector<std::string> uids;
  Database db;
  if (db.open(indexPath) != SQLITE_OK) return uids;
  // "insert or replace" gives a replaced row a new rowid.
  Statement st = db.prepare("select uid from tb_index order by rowid;");
  while (st.next()) uids.push_back(st.columnString(0));
  return uids;
}

class WritingBehindTest : public FileCacheTest {
 protected:
  void SetUp() override {
    cache_ = FileCache::create("R", root(), {}, FileCache::Writes::kBehind);
    ASSERT_TRUE(cache_);
  }
  // Holds the writer in the save of `key`, made now, and waits until it is held there.
  std::unique_ptr<testing::WriterHold> holdWriter(const std::string& key) {
    auto hold = std::make_unique<testing::WriterHold>(*cache_, key);
    EXPECT_TRUE(cache_->save(key, bytesOf("held")));
    EXPECT_TRUE(hold->waitUntilHeld());
    return hold;
  }

  std::shared_ptr<FileCache> cache_;
};

// With the writer held in one save: a load of a written key does not wait for it; saves made
// meanwhile answer at once with their values and count in the totals; then they are written in
// the order they were first made, a key saved twice once, with its last save.
TEST_F(WritingBehindTest, LoadsAnswerFromWaitingSavesWrittenInOrderOnce) {
  ASSERT_TRUE(cache_->save("k", bytesOf("kept")));
  cache_->flush();
  auto hold = holdWriter("hold");
  auto load = std::async(std::launch::async, [&] { return cache_->load("k"); });
  const bool answered = load.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!answered) hold->release();
  ASSERT_TRUE(answered);
  EXPECT_EQ(load.get(), bytesOf("kept"));

  ASSERT_TRUE(cache_->saveEnhanced("a", bytesOf("a1"), 0, 7, 8, std::string("t1"), std::nullopt));
  ASSERT_TRUE(cache_->save("b", bytesOf("b")));
  ASSERT_TRUE(cache_->saveEnhanced("a", bytesOf("a2"), 0, 9, 10, std::string("t2"),
                                   std::string("u2")));
  ASSERT_TRUE(cache_->save("c", bytesOf("c")));
  auto expectA2 = [&] {
    Bytes data;
    int64_t n1 = 0, n2 = 0;
    std::string t1, t2;
    ASSERT_EQ(cache_->loadEnhanced("a", &data, &n1, &n2, &t1, &t2), 0);
    EXPECT_EQ(data, bytesOf("a2"));
    EXPECT_EQ(std::make_tuple(n1, n2, t1, t2), std::make_tuple(9, 10, "t2", "u2"));
  };
  expectA2();
  EXPECT_FALSE(fs::exists(filePath("R", "a")));  // not written yet
  EXPECT_EQ(cache_->getCurrentSize(0), 4 + 4 + 2 + 1 + 1);

  ASSERT_TRUE(hold->release());
  cache_->flush();
  EXPECT_EQ(uidsInWriteOrder(indexPath("R")),
            (std::vector<std::string>{FileCache::uidForKey("k"), FileCache::uidForKey("hold"),
                                      FileCache::uidForKey("a"), FileCache::uidForKey("b"),
                                      FileCache::uidForKey("c")}));
  expectA2();
  EXPECT_EQ(cache_->getCurrentSize(0), 12);
  // Nothing but the items lies in the file folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(root() + "/R/file"), fs::directory_iterator()), 5);
}

// A cache let go while its writer is held writes what waits before it is gone; a deletion
// waits for a waiting save of its key instead of being undone by it.
TEST_F(WritingBehindTest, DestructionWritesWhatWaitsAndDeletionsWaitForIt) {
  auto hold = holdWriter("hold");
  ASSERT_TRUE(cache_->saveEnhanced("x", bytesOf("x"), 1, 5, 0, std::nullopt, std::nullopt));
  ASSERT_TRUE(cache_->save("y", bytesOf("y")));
  std::thread destroyer([&] { cache_.reset(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the destructor waits
  ASSERT_TRUE(hold->release());
  destroyer.join();

  cache_ = FileCache::create("R", root(), {}, FileCache::Writes::kBehind);
  ASSERT_TRUE(cache_);
  int64_t n1 = 0;
  ASSERT_EQ(cache_->loadEnhanced("x", nullptr, &n1, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(n1, 5);
  EXPECT_EQ(cache_->getCurrentSize(1), 1);
  cache_->save("y", bytesOf("y, again"));
  cache_->deleteFile("y");
  cache_->flush();
  EXPECT_FALSE(cache_->load("y"));
  EXPECT_FALSE(fs::exists(filePath("R", "y")));
  EXPECT_EQ(cache_->getCurrentSize(0), 4);  // the held save, written whole
}

// A path look-up of a waiting key, a count and a clean-all step wait for the waiting saves
// (held here in the first one's file): they answer for what was saved before them.
TEST_F(WritingBehindTest, PathsCountsAndCleaningWaitForWaitingSaves) {
  auto hold = holdWriter("hold");
  ASSERT_TRUE(cache_->save("x", bytesOf("x")));
  auto path = std::async(std::launch::async, [&] { return cache_->getFilePath("x"); });
  auto count = std::async(std::launch::async, [&] { return cache_->getCachedItemsCount(0); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(hold->release());
  EXPECT_EQ(path.get(), filePath("R", "x"));
  EXPECT_EQ(count.get(), 2);

  cache_.reset();
  cache_ = FileCache::create("R", root(), {}, FileCache::Writes::kBehind);  // held again
  hold = holdWriter("hold");
  ASSERT_TRUE(cache_->save("y", bytesOf("y")));
  auto cleaned = std::async(std::launch::async, [&] { return cache_->cleanBatchItems(0); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(hold->release());
  EXPECT_EQ(cleaned.get(), 3);  // x, the held key and y
  EXPECT_TRUE(readIndex(indexPath("R")).empty());
}

// Saves do not pile up in memory without end while the disk does not take them: with more
// than the writer's limit of bytes waiting, the next save waits for room.
TEST_F(WritingBehindTest, ASaveWaitsWhileTooManyBytesWait) {
  auto hold = holdWriter("hold");
  const Bytes big(SlotWriter<int>::kMaxWaitingBytes, 'b');
  ASSERT_TRUE(cache_->save("big", big));  // room still: only the held save waited
  auto next = std::async(std::launch::async, [&] { return cache_->save("next", bytesOf("n")); });
  const bool returnedWhileFull =
      next.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready;
  ASSERT_TRUE(hold->release());
  EXPECT_TRUE(next.get());
  EXPECT_FALSE(returnedWhileFull);
  cache_->flush();
  EXPECT_EQ(cache_->load("big"), big);
  EXPECT_EQ(cache_->load("next"), bytesOf("n"));
}

// A replacement that cannot be written is said on the console and takes the replaced item with
// it: loads answered with the new bytes while they waited, and must not go back to older ones
// (which an Expires could still call fresh).
TEST_F(WritingBehindTest, AReplacementThatCannotBeWrittenLeavesNoOlderItem) {
  ASSERT_TRUE(cache_->saveEnhanced("k", bytesOf("old"), 0, 0, 0, std::string("e1"),
                                   std::nullopt));
  ASSERT_TRUE(cache_->save("other", bytesOf("other")));
  cache_->flush();
  clock_->advance(5);
  // A folder where the new temporary file goes: it cannot be written.
  const std::string temp = root() + "/R/file/" + FileCache::uidForKey("k") + "." +
                           std::to_string(clock_->nowMillis()) + ".tmp";
  ASSERT_TRUE(fs::create_directory(temp));
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(cache_->saveEnhanced("k", bytesOf("newer"), 0, 0, 0, std::string("e2"),
                                   std::nullopt));
  cache_->flush();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("save file failed"), std::string::npos);
  fs::remove(temp);
  EXPECT_FALSE(cache_->load("k"));
  EXPECT_FALSE(fs::exists(filePath("R", "k")));
  EXPECT_EQ(readIndex(indexPath("R")).size(), 1u);
  EXPECT_EQ(cache_->getCurrentSize(0), 5);
  EXPECT_EQ(cache_->load("other"), bytesOf("other"));
}

// While a key's new file is written, a batch of access times leaves its row alone: had the row
// taken the stamp of the temporary file (the batch's time), a kill then would have the next
// opening take the file for a switched row and put the new bytes under the old values.
TEST_F(WritingBehindTest, AccessTimesLeaveTheRowOfAKeyBeingWrittenAlone) {
  const int64_t saved = clock_->nowMillis();
  ASSERT_TRUE(cache_->save("a", bytesOf("a1")));
  for (int i = 0; i < 49; ++i) ASSERT_TRUE(cache_->save("k" + std::to_string(i), bytesOf("k")));
  cache_->flush();
  ASSERT_TRUE(cache_->load("a"));  // an access of "a" waits in the batch
  clock_->advance(5);
  testing::WriterHold hold(*cache_, "a");
  ASSERT_TRUE(cache_->save("a", bytesOf("a2")));
  ASSERT_TRUE(hold.waitUntilHeld());
  for (int i = 0; i < 49; ++i) ASSERT_TRUE(cache_->load("k" + std::to_string(i)));  // the batch
  std::map<std::string, int64_t> stamps;
  for (const auto& row : readIndex(indexPath("R"))) stamps[row.uid] = row.lastAccessed;
  EXPECT_EQ(stamps[FileCache::uidForKey("k0")], clock_->nowMillis());  // the batch was written
  EXPECT_EQ(stamps[FileCache::uidForKey("a")], saved);

  ASSERT_TRUE(hold.release());
  cache_->flush();
  stamps.clear();
  for (const auto& row : readIndex(indexPath("R"))) stamps[row.uid] = row.lastAccessed;
  EXPECT_EQ(stamps[FileCache::uidForKey("a")], clock_->nowMillis());
}

TEST_F(FileCacheTest, StoresItemsWithExtrasUnderTheirMd5Names) {
  auto cache = FileCache::create("HttpCache", root());
  ASSERT_TRUE(cache);
  EXPECT_EQ(FileCache::uidForKey("abc"), "900150983CD24FB0D6963F7D28E17F72");

  ASSERT_TRUE(cache->saveEnhanced("http://a/1", bytesOf("body one"), 0, 1234, -5,
                                  std::string("it's \"quoted\""), std::nullopt));
  EXPECT_TRUE(fs::exists(filePath("HttpCache", "http://a/1")));
  // Nothing but the item itself lies in the file folder (no temporary left behind).
  EXPECT_EQ(std::distance(fs::directory_iterator(root() + "/HttpCache/file"),
                          fs::directory_iterator()), 1);

  Bytes data;
  int64_t n1 = 0, n2 = 0;
  std::string t1, t2 = "x";
  ASSERT_EQ(cache->loadEnhanced("http://a/1", &data, &n1, &n2, &t1, &t2), 0);
  EXPECT_EQ(data, bytesOf("body one"));
  EXPECT_EQ(n1, 1234);
  EXPECT_EQ(n2, -5);
  EXPECT_EQ(t1, "it's \"quoted\"");
  EXPECT_EQ(t2, "");  // absent text is stored as an empty text

  // Empty data is an empty file; an empty key stores nothing; unknown keys fail.
  ASSERT_TRUE(cache->save("empty", Bytes()));
  auto empty = cache->load("empty");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(cache->save("", bytesOf("x")));
  EXPECT_EQ(cache->loadEnhanced("", nullptr, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_FALSE(cache->load("never saved"));
  EXPECT_FALSE(cache->getFilePath("never saved"));
  EXPECT_EQ(cache->getCachedItemsCount(0), 2);

  auto rows = readIndex(indexPath("HttpCache"));
  ASSERT_EQ(rows.size(), 2u);
  for (const auto& row : rows) EXPECT_EQ(row.lastAccessed, 1700000000000);
}

// Keys asked in turns, on two threads at once, each load what was saved under them: the uid
// kept from the last key a thread hashed never answers for another key.
TEST_F(FileCacheTest, KeysInTurnsOnTwoThreadsFindTheirOwnItems) {
  auto cache = FileCache::create("HttpCache", root());
  ASSERT_TRUE(cache);
  const std::vector<std::string> keys = {"userhttp://a/1", "userhttp://a/2", "guesthttp://a/1"};
  for (const auto& key : keys) ASSERT_TRUE(cache->save(key, bytesOf(key)));
  auto askInTurns = [&](size_t first) {
    int wrong = 0;
    for (int i = 0; i < 300; ++i) {
      const std::string& key = keys[(first + static_cast<size_t>(i)) % keys.size()];
      auto data = cache->load(key);
      wrong += !data || *data != bytesOf(key);
      wrong += cache->load(key + "?other").has_value();
      wrong += FileCache::uidForKey(key) != crypto::Md5::hexUpper(key);
    }
    return wrong;
  };
  auto other = std::async(std::launch::async, askInTurns, 1);
  EXPECT_EQ(askInTurns(0), 0);
  EXPECT_EQ(other.get(), 0);
}

TEST_F(FileCacheTest, TotalsFollowReplacesDeletesAndTypes) {
  auto cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  cache->save("a", Bytes(100));
  cache->save("a", Bytes(30));  // replaced: counts its new size only
  EXPECT_EQ(cache->getCurrentSize(0), 30);
  EXPECT_EQ(cache->getCachedItemsCount(0), 1);
  EXPECT_EQ(readIndex(indexPath("C")).size(), 1u);

  // Changing the type of an item moves its size between the totals.
  cache->saveEnhanced("a", Bytes(40), 1, 0, 0, std::nullopt, std::nullopt);
  EXPECT_EQ(cache->getCurrentSize(0), 0);
  EXPECT_EQ(cache->getCurrentSize(1), 40);
  cache->saveEnhanced("other type", Bytes(7), 5, 0, 0, std::nullopt, std::nullopt);
  EXPECT_EQ(cache->getCurrentSize(5), 0);
  EXPECT_EQ(cache->getCurrentSize(0) + cache->getCurrentSize(1), 40);

  cache->save("b", Bytes(11));
  cache->deleteFile("a");
  EXPECT_EQ(cache->getCurrentSize(1), 0);
  EXPECT_EQ(cache->getCurrentSize(0), 11);
  EXPECT_FALSE(fs::exists(filePath("C", "a")));
  cache->deleteFile("a");  // twice is harmless
  EXPECT_EQ(cache->getCurrentSize(0), 11);
}

TEST_F(FileCacheTest, DisabledCacheIgnoresEverythingUntilEnabled) {
  auto cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  cache->save("kept", Bytes(10));
  cache->disable();
  EXPECT_TRUE(cache->save("while disabled", Bytes(5)));  // accepted, not stored
  EXPECT_FALSE(cache->load("kept"));
  EXPECT_FALSE(cache->getFilePath("kept"));
  cache->deleteFile("kept");
  cache->enable();
  EXPECT_TRUE(cache->load("kept"));
  EXPECT_FALSE(cache->load("while disabled"));
  EXPECT_EQ(cache->getCurrentSize(0), 10);
}

TEST_F(FileCacheTest, FileRemovedBehindItsBackDropsTheRow) {
  auto cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  cache->save("gone", Bytes(10));
  cache->save("short", Bytes(10));
  fs::remove(filePath("C", "gone"));
  fs::resize_file(filePath("C", "short"), 4);

  EXPECT_FALSE(cache->getFilePath("gone"));
  EXPECT_EQ(cache->loadEnhanced("gone", nullptr, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_FALSE(cache->load("short"));  // a partial file is never handed out
  EXPECT_TRUE(readIndex(indexPath("C")).empty());
  EXPECT_EQ(cache->getCurrentSize(0), 0);
}

TEST_F(FileCacheTest, AccessTimesAreWrittenInBatchesAndByFlush) {
  auto cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  for (int i = 0; i < 60; ++i) cache->save("k" + std::to_string(i), Bytes(1));
  const int64_t saved = 1700000000000;
  clock_->advance(5);
  auto accessedCount = [&] {
    int n = 0;
    for (const auto& row : readIndex(indexPath("C"))) n += row.lastAccessed != saved;
    return n;
  };
  for (int i = 0; i < 49; ++i) ASSERT_TRUE(cache->load("k" + std::to_string(i)));
  EXPECT_EQ(accessedCount(), 0);
  ASSERT_TRUE(cache->getFilePath("k49"));  // the 50th access writes the batch
  EXPECT_EQ(accessedCount(), 50);
  for (int i = 0; i < 50; ++i) cache->load("k" + std::to_string(i));  // repeated uids: one each
  ASSERT_TRUE(cache->load("k55"));
  EXPECT_EQ(accessedCount(), 50);
  cache->flush();
  EXPECT_EQ(accessedCount(), 51);
}

TEST_F(FileCacheTest, ReopeningKeepsIndexAndFilesInAgreement) {
  {
    auto cache = FileCache::create("C", root());
    ASSERT_TRUE(cache);
    cache->save("a", Bytes(10, 'a'));
    cache->save("b", Bytes(20, 'b'));
    cache->saveEnhanced("c", Bytes(30, 'c'), 1, 9, 8, std::string("e"), std::nullopt);
    cache->save("missing", Bytes(40));
    cache->save("torn", Bytes(50));
  }
  // What an interrupted run or an outside hand can leave behind.
  fs::remove(filePath("C", "missing"));
  fs::resize_file(filePath("C", "torn"), 17);
  std::ofstream(filePath("C", "a") + ".tmp3") << "half written";
  std::ofstream(filePath("C", "unindexed")) << "no row";
  // A row naming a path outside the file folder (a damaged index) must go, its target stay.
  std::ofstream(root() + "/C/victim") << "victim";
  {
    Database db;
    ASSERT_EQ(db.open(indexPath("C")), SQLITE_OK);
    Statement st = db.prepare("insert into tb_index (uid, size, noAutoClean) values (?, 6, 0);");
    st.bind(1, std::string("../victim"));
    ASSERT_TRUE(st.execute());
  }

  auto cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  EXPECT_EQ(cache->getCurrentSize(0), 30);
  EXPECT_EQ(cache->getCurrentSize(1), 30);
  EXPECT_EQ(cache->load("a"), Bytes(10, 'a'));
  int64_t n1 = 0;
  EXPECT_EQ(cache->loadEnhanced("c", nullptr, &n1, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(n1, 9);

  std::set<std::string> files;
  for (const auto& e : fs::directory_iterator(root() + "/C/file")) {
    files.insert(e.path().filename().string());
  }
  std::set<std::string> rows;
  for (const auto& row : readIndex(indexPath("C"))) {
    rows.insert(row.uid);
    EXPECT_EQ(static_cast<int64_t>(fs::file_size(root() + "/C/file/" + row.uid)), row.size);
  }
  EXPECT_EQ(files, rows);
  EXPECT_EQ(rows, (std::set<std::string>{FileCache::uidForKey("a"), FileCache::uidForKey("b"),
                                         FileCache::uidForKey("c")}));
  EXPECT_TRUE(fs::exists(root() + "/C/victim"));
}

TEST_F(FileCacheTest, IndexTableKeepsItsExactColumnDefinitions) {
  // Files written by earlier versions declare these types (misspellings included); the table
  // must be created with the same text so both read alike.
  ASSERT_TRUE(FileCache::create("C", root()));
  Database db;
  ASSERT_EQ(db.open(indexPath("C")), SQLITE_OK);
  Statement st = db.prepare("select sql from sqlite_master where type='table' and name=?;");
  st.bind(1, std::string(FileCache::kTableName));
  ASSERT_TRUE(st.next());
  EXPECT_NE(st.columnString(0).find(
                "tb_index (uid text primary key, size interger, lastAccessed interger, "
                "noAutoClean interger, extraNum1 interger, extraNum2 interger, extraText1 text, "
                "extraText2 textr)"),
            std::string::npos)
      << st.columnString(0);
}

TEST_F(FileCacheTest, FailedFileOrRowWriteLeavesNothingAndSaysSo) {
  auto cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  cache->save("kept", Bytes(3));
  // The file folder taken away behind the cache's back: the write fails.
  fs::rename(root() + "/C/file", root() + "/C/moved");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(cache->save("lost", Bytes(10)));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("save file failed"), std::string::npos);
  fs::rename(root() + "/C/moved", root() + "/C/file");
  EXPECT_EQ(readIndex(indexPath("C")).size(), 1u);
  EXPECT_EQ(cache->getCurrentSize(0), 3);
  EXPECT_FALSE(cache->load("lost"));
  EXPECT_TRUE(cache->load("kept"));

  // An index row that cannot be written leaves no file either.
  {
    Database db;
    ASSERT_EQ(db.open(indexPath("C")), SQLITE_OK);
    ASSERT_EQ(db.exec("create trigger refuse before insert on tb_index "
                      "begin select raise(abort, 'refused'); end;"),
              SQLITE_OK);
  }
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(cache->save("unindexed", Bytes(10)));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Update database failed"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(filePath("C", "unindexed")));
  EXPECT_EQ(std::distance(fs::directory_iterator(root() + "/C/file"), fs::directory_iterator()),
            1);
  EXPECT_EQ(cache->getCurrentSize(0), 3);
}

// Links planted in the cache's folders lead nowhere: a folder of the cache that is a link is
// replaced by a real one (what it pointed at is left whole), and the clean-up at opening, saves,
// trimming and deletion work inside the real folders, removing a link there as a link only.
TEST_F(FileCacheTest, LinkedFoldersAreRemadeRealAndNothingBehindALinkIsTouched) {
  const fs::path outside = home_.path() / "precious";
  fs::create_directories(outside / "sub");
  std::ofstream(outside / "letter.txt") << "keep me";
  std::ofstream(outside / "sub" / "photo.jpg") << "keep me too";
  auto untouched = [&] {
    return fs::exists(outside / "letter.txt") && fs::exists(outside / "sub" / "photo.jpg");
  };

  // The file folder a link to the outside folder.
  fs::create_directories(root() + "/C");
  fs::create_directory_symlink(outside, root() + "/C/file");
  auto cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  EXPECT_TRUE(untouched());
  EXPECT_FALSE(fs::is_symlink(root() + "/C/file"));
  EXPECT_TRUE(fs::is_directory(root() + "/C/file"));
  ASSERT_TRUE(cache->save("k", bytesOf("value")));
  EXPECT_EQ(cache->load("k"), bytesOf("value"));
  EXPECT_TRUE(fs::is_regular_file(filePath("C", "k")));

  // Links inside the file folder: a stray one goes as a link at the next opening, one in an
  // item's place is not read nor followed when the item goes.
  fs::create_directory_symlink(outside, root() + "/C/file/stray");
  fs::remove(filePath("C", "k"));
  fs::create_symlink(outside / "letter.txt", filePath("C", "k"));
  EXPECT_FALSE(cache->load("k"));
  cache->deleteFile("k");
  cache.reset();
  cache = FileCache::create("C", root());
  ASSERT_TRUE(cache);
  EXPECT_FALSE(fs::exists(fs::symlink_status(root() + "/C/file/stray")));
  EXPECT_TRUE(untouched());
  cache->cleanBatchItems(0);
  EXPECT_TRUE(untouched());

  // The cache's own folder a link.
  cache.reset();
  fs::remove_all(root() + "/D");
  fs::create_directory_symlink(outside, root() + "/D");
  cache = FileCache::create("D", root());
  ASSERT_TRUE(cache);
  EXPECT_FALSE(fs::is_symlink(root() + "/D"));
  EXPECT_TRUE(untouched());
  EXPECT_FALSE(fs::exists(outside / "file"));
  EXPECT_FALSE(fs::exists(outside / "index.db"));
}

TEST_F(FileCacheTest, UnusableFolderGivesNoCache) {
  std::ofstream(home_.path() / "plainfile") << "x";
  EXPECT_FALSE(FileCache::create("C", (home_.path() / "plainfile").string()));
  EXPECT_FALSE(FileCache::create("", root()));
}

// Content of version `v` of key `k`: a header naming both, then a pattern. Two versions in a
// row share a length, so only the row's values can tell them apart.
Bytes versionedData(int k, int v) {
  Bytes data(150000 + static_cast<size_t>(v / 2 % 5) * 37000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>((k * 31 + v * 7 + i) & 0xff);
  data[0] = static_cast<uint8_t>(k);
  data[1] = static_cast<uint8_t>(v);
  return data;
}

// Runs a writer process that saves and replaces items until it is killed after `saves` saves.
void killWriterAfter(const std::string& dir, int saves, int round, FileCache::Writes writes) {
  int progress[2];
  ASSERT_EQ(pipe(progress), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(progress[0]);
    auto cache = FileCache::create("C", dir, {}, writes);
    if (!cache) _exit(3);
    // Made before the loop so that the kill lands in a save, not in making its data.
    std::vector<Bytes> data;
    for (int i = 0; i < 12 * 8; ++i) data.push_back(versionedData(i % 12, i / 12 + round * 8));
    for (int i = 0;; ++i) {
      const Bytes& d = data[static_cast<size_t>(i) % data.size()];
      // The row carries the version its file should hold, as a response carries its validators.
      cache->saveEnhanced("key" + std::to_string(i % 12), d, 0, d[1], 0,
                          "v" + std::to_string(d[1]), std::nullopt);
      // Writing behind, every key is on disk once before the kill can land in the writer.
      if (i == 11) cache->flush();
      char c = 1;
      if (write(progress[1], &c, 1) != 1) _exit(4);
    }
  }
  close(progress[1]);
  char c;
  for (int got = 0; got < saves;) {
    ssize_t n = read(progress[0], &c, 1);
    ASSERT_EQ(n, 1) << "the writer ended early";
    ++got;
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(progress[0]);
  ASSERT_TRUE(WIFSIGNALED(status));
}

// Writing at once (even rounds) or behind (odd: the kill lands in the writer thread's work).
TEST_F(FileCacheTest, KillDuringSavesLeavesEveryRowWithItsOwnCompleteFile) {
  const std::string dir = root();
  for (int round = 0; round < 16; ++round) {
    killWriterAfter(dir, 20 + round * 7, round % 6,
                    round % 2 ? FileCache::Writes::kBehind : FileCache::Writes::kAtOnce);
    auto cache = FileCache::create("C", dir);
    ASSERT_TRUE(cache);
    // Straight after opening, before any load could repair anything: every row names a
    // complete file of its own version, and no file lacks a row.
    auto rows = readIndex(indexPath("C"));
    EXPECT_GE(rows.size(), 11u);
    int64_t total = 0;
    for (const auto& row : rows) {
      total += row.size;
      std::ifstream in(root() + "/C/file/" + row.uid, std::ios::binary);
      Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ASSERT_EQ(static_cast<int64_t>(data.size()), row.size) << "round " << round;
      ASSERT_GE(data.size(), 2u);
      EXPECT_EQ(row.uid, FileCache::uidForKey("key" + std::to_string(data[0])));
      EXPECT_EQ(data, versionedData(data[0], data[1])) << "round " << round;
    }
    EXPECT_EQ(cache->getCurrentSize(0), total);
    // Each row's values belong to the bytes of its file, not to the version it replaced.
    for (int k = 0; k < 12; ++k) {
      Bytes data;
      int64_t version = -1;
      std::string text;
      if (cache->loadEnhanced("key" + std::to_string(k), &data, &version, nullptr, &text,
                              nullptr) != 0) {
        continue;
      }
      EXPECT_EQ(version, data[1]) << "round " << round << " key " << k;
      EXPECT_EQ(text, "v" + std::to_string(data[1])) << "round " << round << " key " << k;
    }
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(root() + "/C/file")) {
      (void)e;
      ++files;
    }
    EXPECT_EQ(files, rows.size());
  }
}

}  // namespace
}  // namespace zu
