#include "engine/cache/FileCacheManager.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "common/Log.h"
#include "engine/cache/CacheTestSupport.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

using testing::turnUntil;

constexpr int64_t kStart = 1700000000000;

class FileCacheManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VESKLogInit();
    manager_ = FileCacheManager::create((home_.path() / "FileCaches").string());
  }
  void TearDown() override {
    manager_.reset();
    VESKLogUninit();
  }
  std::string logText() const {
    std::ifstream in(home_.path() / "Library" / "Caches" / "log.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TempHome home_;
  ScopedFakeClock clock_{kStart};
  std::shared_ptr<FileCacheManager> manager_;
};

TEST_F(FileCacheManagerTest, CachesAreMadeOnceAndSummed) {
  auto a = manager_->getCache("A");
  ASSERT_TRUE(a);
  EXPECT_EQ(manager_->getCache("A"), a);
  EXPECT_FALSE(manager_->getCache(""));
  auto b = manager_->getCache("B");
  a->save("x", Bytes(5));
  b->save("y", Bytes(7));
  b->saveEnhanced("z", Bytes(11), 1, 0, 0, std::nullopt, std::nullopt);
  EXPECT_EQ(manager_->getCacheSizeWithItemType(0), 12);
  EXPECT_EQ(manager_->getCacheSizeWithItemType(1), 11);
  EXPECT_TRUE(std::filesystem::exists(home_.path() / "FileCaches" / "B" / "index.db"));
}

TEST_F(FileCacheManagerTest, AutoCleanTrimsOldestToHalfAtMostOncePerTenMinutes) {
  auto cache = manager_->getCache("HttpCache");
  ASSERT_TRUE(cache);
  cache->setLimitSize(1000);
  auto key = [](int i) { return "k" + std::to_string(i); };
  cache->saveEnhanced("offline0", Bytes(300), 1, 0, 0, std::nullopt, std::nullopt);
  cache->saveEnhanced("offline1", Bytes(300), 1, 0, 0, std::nullopt, std::nullopt);
  for (int i = 0; i < 10; ++i) {
    clock_->advance(1);
    cache->save(key(i), Bytes(100));
  }
  EXPECT_FALSE(manager_->getNextToCleanCache(false));  // at the limit, not above it
  clock_->advance(1);
  ASSERT_TRUE(cache->load(key(0)));
  ASSERT_TRUE(cache->getFilePath(key(1)));
  clock_->advance(1);
  const int64_t passStart = clock_->nowMillis();
  cache->save(key(10), Bytes(100));  // 1100 > 1000: trims to 500, oldest access first

  ASSERT_TRUE(turnUntil([&] {
    return cache->getCurrentSize(0) <= 500 && !manager_->getNextToCleanCache(false);
  }));
  std::set<std::string> left;
  for (int i = 0; i <= 10; ++i) {
    if (cache->getFilePath(key(i))) left.insert(key(i));
  }
  EXPECT_EQ(left, (std::set<std::string>{"k0", "k1", "k8", "k9", "k10"}));
  EXPECT_EQ(cache->getCurrentSize(0), 500);
  EXPECT_EQ(cache->getCurrentSize(1), 600);  // offline items are never trimmed
  EXPECT_TRUE(cache->load("offline0"));
  ASSERT_TRUE(turnUntil([&] {
    return logText().find("autoCleanThread finished clean count=6 size=600") != std::string::npos;
  }));
  EXPECT_NE(logText().find("[File]: autoCleanThread started"), std::string::npos);

  // Within ten minutes of the previous pass's start nothing is trimmed, however full.
  clock_->advance(60);
  for (int i = 11; i < 17; ++i) cache->save(key(i), Bytes(100));
  EXPECT_EQ(cache->getCurrentSize(0), 1100);
  clock_->setNowMillis(passStart + FileCache::kAutoCleanIntervalMillis);
  cache->save(key(17), Bytes(100));
  EXPECT_FALSE(manager_->getNextToCleanCache(false));
  EXPECT_EQ(cache->getCurrentSize(0), 1200);

  // Switched off, a trigger queues nothing either.
  clock_->advance(0.001);
  manager_->disableAutoClean();
  cache->save(key(18), Bytes(100));
  EXPECT_FALSE(manager_->getNextToCleanCache(false));
  manager_->enableAutoClean();
  cache->save(key(19), Bytes(100));
  ASSERT_TRUE(turnUntil([&] {
    return cache->getCurrentSize(0) <= 500 && !manager_->getNextToCleanCache(false);
  }));
  EXPECT_GT(cache->getCurrentSize(0), 400);
}

// Writing behind, the limit and trimming count what is written and what waits: a waiting
// replacement counts its new size, a waiting save counts at once and can start a trimming pass,
// and the pass removes written items (here all of them) until what the cache will hold fits.
TEST_F(FileCacheManagerTest, WritingBehindTrimsByWhatIsWrittenAndWhatWaits) {
  auto cache = manager_->getCache("R", FileCache::Writes::kBehind);
  ASSERT_TRUE(cache);
  cache->setLimitSize(100);
  cache->save("w1", Bytes(40));
  cache->flush();
  clock_->advance(1);
  cache->save("w2", Bytes(40));
  cache->flush();

  testing::WriterHold hold(*cache, "hold");
  cache->save("hold", Bytes(1));
  ASSERT_TRUE(hold.waitUntilHeld());
  cache->save("w2", Bytes(10));
  EXPECT_EQ(cache->getCurrentSize(0), 40 + 10 + 1);
  EXPECT_FALSE(manager_->getNextToCleanCache(false));

  cache->save("p", Bytes(60));  // 111 > 100: trims to 50
  ASSERT_TRUE(turnUntil([&] {
    return !manager_->getNextToCleanCache(false) && cache->getCurrentSize(0) == 71;
  }));
  // Both written items went (the oldest first); what waits still answers.
  EXPECT_TRUE(testing::readIndex(manager_->rootDir() + "/R/index.db").empty());
  EXPECT_EQ(cache->load("w2"), Bytes(10));
  EXPECT_EQ(cache->load("p"), Bytes(60));

  ASSERT_TRUE(hold.release());
  cache->flush();
  EXPECT_EQ(cache->getCurrentSize(0), 71);
  std::set<std::pair<std::string, int64_t>> rows;
  for (const auto& row : testing::readIndex(manager_->rootDir() + "/R/index.db")) {
    rows.emplace(row.uid, row.size);
  }
  EXPECT_EQ(rows, (std::set<std::pair<std::string, int64_t>>{{FileCache::uidForKey("hold"), 1},
                                                            {FileCache::uidForKey("w2"), 10},
                                                            {FileCache::uidForKey("p"), 60}}));
}

// A cache writing behind outlives its manager (the response cache is kept by the HTTP engine):
// the manager's destruction returns once what the cache was given is written, so a manager made
// next over the folder finds it.
TEST_F(FileCacheManagerTest, DestructionWaitsForTheCachesWaitingSaves) {
  auto cache = manager_->getCache("R", FileCache::Writes::kBehind);
  ASSERT_TRUE(cache);
  testing::WriterHold hold(*cache, "hold");
  cache->save("hold", Bytes(1));
  ASSERT_TRUE(hold.waitUntilHeld());
  cache->save("x", Bytes(3));
  const std::string index = manager_->rootDir() + "/R/index.db";
  auto destroyed = std::async(std::launch::async, [&] { manager_.reset(); });
  const bool returnedWhileHeld =
      destroyed.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready;
  ASSERT_TRUE(hold.release());
  destroyed.get();
  EXPECT_FALSE(returnedWhileHeld);
  std::set<std::string> uids;
  for (const auto& row : testing::readIndex(index)) uids.insert(row.uid);
  EXPECT_TRUE(uids.count(FileCache::uidForKey("x")));
}

// Records the pass on the thread it is called on.
class RecordingDelegate : public FileCacheCleanDelegate {
 public:
  explicit RecordingDelegate(std::vector<std::shared_ptr<FileCache>> caches)
      : caches_(std::move(caches)), thread_(std::this_thread::get_id()) {}

  void onCleanProgress(int total, int cleaned) override {
    check();
    progress.emplace_back(total, cleaned);
  }
  bool isCanceled() override {
    check();
    for (auto& c : caches_) allDisabledWhileRunning = allDisabledWhileRunning && c->isDisabled();
    ++asked;
    return cancelAfterProgress >= 0 && static_cast<int>(progress.size()) >= cancelAfterProgress;
  }
  void cleanFinished() override {
    check();
    finished = true;
  }
  void check() { onStartingThread = onStartingThread && std::this_thread::get_id() == thread_; }

  std::vector<std::pair<int, int>> progress;
  int asked = 0;
  int cancelAfterProgress = -1;
  bool finished = false;
  bool onStartingThread = true;
  bool allDisabledWhileRunning = true;

 private:
  std::vector<std::shared_ptr<FileCache>> caches_;
  std::thread::id thread_;
};

class CleanAllTest : public FileCacheManagerTest {
 protected:
  void SetUp() override {
    FileCacheManagerTest::SetUp();
    a_ = manager_->getCache("A");
    b_ = manager_->getCache("B");
    ASSERT_TRUE(a_ && b_);
    for (int i = 0; i < 13; ++i) a_->save("a" + std::to_string(i), Bytes(10));
    for (int i = 0; i < 12; ++i) b_->save("b" + std::to_string(i), Bytes(10));
    a_->saveEnhanced("off0", Bytes(40), 1, 0, 0, std::nullopt, std::nullopt);
    a_->saveEnhanced("off1", Bytes(40), 1, 0, 0, std::nullopt, std::nullopt);
    delegate_ = std::make_shared<RecordingDelegate>(std::vector{a_, b_});
  }
  int normalCount() { return a_->getCachedItemsCount(0) + b_->getCachedItemsCount(0); }

  std::shared_ptr<FileCache> a_, b_;
  std::shared_ptr<RecordingDelegate> delegate_;
};

TEST_F(CleanAllTest, RemovesOneItemTypeInBatchesReportingOnTheStartingThread) {
  ASSERT_TRUE(manager_->cleanAllCache(delegate_, 0));
  EXPECT_TRUE(manager_->isCleaning());
  EXPECT_FALSE(manager_->isAutoCleanEnabled());
  EXPECT_FALSE(manager_->cleanAllCache(delegate_, 0));  // one pass at a time
  ASSERT_TRUE(turnUntil([&] { return delegate_->finished; }));

  EXPECT_EQ(delegate_->progress,
            (std::vector<std::pair<int, int>>{{25, 10}, {25, 13}, {25, 23}, {25, 25}}));
  EXPECT_TRUE(delegate_->onStartingThread);
  EXPECT_TRUE(delegate_->allDisabledWhileRunning);
  EXPECT_EQ(normalCount(), 0);
  EXPECT_EQ(a_->getCachedItemsCount(1), 2);
  EXPECT_EQ(manager_->getCacheSizeWithItemType(0), 0);
  EXPECT_EQ(manager_->getCacheSizeWithItemType(1), 80);
  EXPECT_TRUE(manager_->isAutoCleanEnabled());
  EXPECT_FALSE(a_->isDisabled());
  EXPECT_TRUE(a_->load("off1"));
  ASSERT_TRUE(turnUntil([&] { return !manager_->isCleaning(); }));
  ASSERT_TRUE(turnUntil([&] {
    return logText().find("cleanAllCacheThreadV2 finished cost=") != std::string::npos;
  }));
  EXPECT_NE(logText().find("[File]: cleanAllCacheThreadV2 started"), std::string::npos);

  // A pass of type 1 takes the offline items.
  delegate_->finished = false;
  ASSERT_TRUE(manager_->cleanAllCache(delegate_, 1));
  ASSERT_TRUE(turnUntil([&] { return delegate_->finished; }));
  EXPECT_EQ(manager_->getCacheSizeWithItemType(1), 0);
  EXPECT_EQ(delegate_->progress.back(), std::make_pair(2, 2));
}

TEST_F(CleanAllTest, CancelStopsBeforeTheNextBatchOfEveryCacheAndStillFinishes) {
  delegate_->cancelAfterProgress = 1;
  ASSERT_TRUE(manager_->cleanAllCache(delegate_, 0));
  ASSERT_TRUE(turnUntil([&] { return delegate_->finished; }));
  EXPECT_EQ(delegate_->progress, (std::vector<std::pair<int, int>>{{25, 10}}));
  EXPECT_EQ(delegate_->asked, 3);  // before A's second batch, and before B's first
  EXPECT_EQ(normalCount(), 15);
  EXPECT_EQ(manager_->getCacheSizeWithItemType(0), 150);
}

TEST_F(CleanAllTest, GivesUpCleanlyWhenTheStartingThreadsLoopHasStopped) {
  auto starter = Thread::start("starter");
  bool started = false;
  ASSERT_TRUE(starter->runLoop()->postAndWait([&] {
    started = manager_->cleanAllCache(delegate_, 0);
    RunLoop::current()->stop();
  }));
  ASSERT_TRUE(started);
  ASSERT_TRUE(turnUntil([&] { return !manager_->isCleaning(); }));
  EXPECT_FALSE(delegate_->finished);
  EXPECT_TRUE(delegate_->progress.empty());
  EXPECT_EQ(normalCount(), 25);
  EXPECT_FALSE(a_->isDisabled());
  EXPECT_FALSE(b_->isDisabled());
  EXPECT_TRUE(manager_->isAutoCleanEnabled());
  starter->stopAndJoin();
}

TEST_F(CleanAllTest, ShutdownDoesNotWaitForAStartingThreadThatIsNotTurned) {
  ASSERT_TRUE(manager_->cleanAllCache(delegate_, 0));
  // The test thread does not turn its loop: the pass waits for isCanceled until the manager
  // goes away, which must not hang.
  manager_.reset();
  EXPECT_EQ(delegate_->asked, 0);
  EXPECT_FALSE(delegate_->finished);
  EXPECT_FALSE(a_->isDisabled());
}

}  // namespace
}  // namespace zu
