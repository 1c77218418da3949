#include "engine/cache/ColumnCache.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "common/CommInfo.h"
#include "common/Md5.h"
#include "engine/cache/CacheTestSupport.h"
#include "engine/cache/UniqueCache.h"
#include "model/columns/Column.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Paths.h"
#include "store/EntryPersistenter.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::optional<std::string> text(const char* value) { return std::string(value); }

size_t fileCount(const std::string& folder) { return FileUtil::listFolder(folder).size(); }

class ColumnCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CommInfo::setUsername(std::string("alice"));
    subs_ = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(subs_);
    cache_ = std::make_unique<ColumnCache>(subs_);
  }
  void TearDown() override {
    cache_.reset();
    subs_.reset();
    CommInfo::globalUninit();
  }
  void subscribe(const std::string& id) {
    auto column = std::make_shared<Column>();
    column->setEntryId(id);
    column->setTitle("column " + id);
    ASSERT_TRUE(subs_->insertEntry(column));
  }

  TempHome home_;
  std::shared_ptr<EntryPersistenter> subs_;
  std::unique_ptr<ColumnCache> cache_;
};

TEST_F(ColumnCacheTest, EachKindKeepsOnlyItsLatestUrl) {
  cache_->saveFirstPage(text("c1"), text("http://s/list?page=1"), bytes("page one"));
  cache_->saveCover(text("c1"), text("http://s/cover.jpg"), bytes("cover"));
  cache_->saveCoverThumbnail(text("c1"), text("http://s/thumb.jpg"), bytes("thumb"));
  EXPECT_EQ(cache_->loadFirstPage(text("c1"), text("http://s/list?page=1")), bytes("page one"));
  EXPECT_EQ(cache_->loadCover(text("c1"), text("http://s/cover.jpg")), bytes("cover"));
  EXPECT_EQ(cache_->loadCoverThumbnail(text("c1"), text("http://s/thumb.jpg")), bytes("thumb"));
  // Kinds do not mix: the cover URL asked as a first page finds nothing.
  EXPECT_EQ(cache_->loadFirstPage(text("c1"), text("http://s/cover.jpg")), std::nullopt);

  // The file lies in the column's folder under its prefix and the URL's digest.
  cache_->flush();
  const std::string folder = cache_->rootPath() + "/" + *Md5::encode("c1");
  EXPECT_EQ(cache_->getColumnPath("c1"), folder);
  EXPECT_TRUE(fs::exists(folder + "/data_" + *Md5::encode("http://s/list?page=1")));
  EXPECT_EQ(fileCount(folder), 3u);

  // A new URL replaces the page kept under the old one.
  cache_->saveFirstPage(text("c1"), text("http://s/list?v=2"), bytes("page two"));
  EXPECT_EQ(cache_->loadFirstPage(text("c1"), text("http://s/list?page=1")), std::nullopt);
  EXPECT_EQ(cache_->loadFirstPage(text("c1"), text("http://s/list?v=2")), bytes("page two"));
  EXPECT_EQ(cache_->loadCover(text("c1"), text("http://s/cover.jpg")), bytes("cover"));
  cache_->flush();
  EXPECT_EQ(fileCount(folder), 3u);

  // Another column is another folder.
  cache_->saveFirstPage(text("c2"), text("http://s/list?v=2"), bytes("other"));
  EXPECT_EQ(cache_->loadFirstPage(text("c1"), text("http://s/list?v=2")), bytes("page two"));
}

// An unchanged page is not written again (the file keeps its inode and time); validators live
// and go with their page.
TEST_F(ColumnCacheTest, UnchangedPagesAreNotRewrittenAndValidatorsFollowTheirPage) {
  const auto id = text("col");
  const auto url = text("http://h/list.atom");
  ColumnCache::Validators tagged{std::string("\"v1\""), 1700000000.0};
  cache_->saveFirstPage(id, url, bytes("page"), tagged);
  EXPECT_EQ(cache_->loadFirstPageValidators(id, url), tagged);
  cache_->flush();
  const std::string page = cache_->getPath(*id, *url, ColumnCache::kFirstPagePrefix);
  struct stat first {};
  ASSERT_EQ(::stat(page.c_str(), &first), 0);
  // Make any rewrite visible in the time even on a coarse clock.
  const struct timespec old[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, page.c_str(), old, 0), 0);

  cache_->saveFirstPage(id, url, bytes("page"), tagged);
  cache_->flush();
  struct stat again {};
  ASSERT_EQ(::stat(page.c_str(), &again), 0);
  EXPECT_EQ(again.st_ino, first.st_ino);
  EXPECT_EQ(again.st_mtim.tv_sec, 1000);

  // New bytes or new validators are written.
  ColumnCache::Validators dated{std::nullopt, 1700000100.0};
  cache_->saveFirstPage(id, url, bytes("page 2"), dated);
  EXPECT_EQ(cache_->loadFirstPage(id, url), bytes("page 2"));
  EXPECT_EQ(cache_->loadFirstPageValidators(id, url), dated);
  // A page without validators drops the old ones; a new URL replaces page and validators.
  cache_->saveFirstPage(id, url, bytes("page 2"));
  EXPECT_EQ(cache_->loadFirstPageValidators(id, url), std::nullopt);
  cache_->saveFirstPage(id, url, bytes("page 3"), tagged);
  const auto other = text("http://h/other.atom");
  cache_->saveFirstPage(id, other, bytes("other"), dated);
  EXPECT_EQ(cache_->loadFirstPageValidators(id, url), std::nullopt);
  EXPECT_EQ(cache_->loadFirstPageValidators(id, other), dated);
  cache_->flush();
  EXPECT_EQ(fileCount(cache_->getColumnPath(*id)), 2u);
  // Validators whose page is gone are not offered: a 304 would deliver nothing.
  cache_->deleteOldFile(*id, ColumnCache::kFirstPagePrefix);
  EXPECT_EQ(cache_->loadFirstPageValidators(id, other), std::nullopt);
}

// Saves return before the writer has written them: every load sees the latest save at once,
// from any thread, and a slot saved many times in a row ends on disk as its last save.
TEST_F(ColumnCacheTest, LoadsSeeTheLatestSaveBeforeTheWriter) {
  const auto id = text("col");
  const auto url = text("http://h/list.atom");
  std::atomic<bool> done{false};
  std::thread reader([&] {
    // Another thread, loading the validators and then the page as a conditional request does,
    // finds a page at least as new as the validators (a 304 to newer validators would deliver
    // an older page), and once a page is kept it never finds none while the writer replaces it.
    auto version = [](std::string_view text) { return std::stoi(std::string(text.substr(5))); };
    bool seen = false;
    while (!done) {
      auto validators = cache_->loadFirstPageValidators(id, url);
      auto page = cache_->loadFirstPage(id, url);
      if (seen || validators) {
        ASSERT_TRUE(page);
      }
      seen = page.has_value();
      if (validators && validators->etag) {
        const std::string etag = validators->etag->substr(1, validators->etag->size() - 2);
        ASSERT_GE(version(std::string(page->begin(), page->end())), version(etag));
      }
    }
  });
  for (int n = 0; n < 300; ++n) {
    const std::string version = "page " + std::to_string(n);
    cache_->saveFirstPage(id, url, bytes(version), {std::string("\"") + version + "\"", {}});
    ASSERT_EQ(cache_->loadFirstPage(id, url), bytes(version));
    ASSERT_EQ(cache_->loadFirstPageValidators(id, url)->etag, "\"" + version + "\"");
    cache_->saveCover(id, text(("http://h/c" + std::to_string(n % 7)).c_str()), bytes(version));
    ASSERT_EQ(cache_->loadCover(id, text(("http://h/c" + std::to_string((n + 1) % 7)).c_str())),
              std::nullopt);
  }
  done = true;
  reader.join();
  cache_->flush();
  EXPECT_EQ(FileUtil::readFile(cache_->getPath(*id, *url, ColumnCache::kFirstPagePrefix)),
            bytes("page 299"));
  EXPECT_EQ(fileCount(cache_->getColumnPath(*id)), 3u);
}

// While the writer is held in one column's file (a disk that does not answer), loads of other
// columns and of the held save answer, saves of one slot waiting behind it are written once, and
// a cache destroyed then still writes what waits.
TEST_F(ColumnCacheTest, LoadsDoNotWaitForTheWriterAndDestructionWritesWhatWaits) {
  cache_->saveCover(text("b"), text("http://h/b.png"), bytes("cover b"));
  cache_->flush();
  const std::string stuck = cache_->getPath("a", "http://h/a.atom", ColumnCache::kFirstPagePrefix);
  testing::WriterHold hold(*cache_, stuck);
  cache_->saveFirstPage(text("a"), text("http://h/a.atom"), bytes("page a"), {"\"a\"", {}});
  ASSERT_TRUE(hold.waitUntilHeld());
  auto loads = std::async(std::launch::async, [&] {
    return std::make_pair(cache_->loadCover(text("b"), text("http://h/b.png")),
                          cache_->loadFirstPageValidators(text("b"), text("http://h/b.atom")));
  });
  const bool answered = loads.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!answered) {
    ASSERT_TRUE(hold.release());
  }
  ASSERT_TRUE(answered);
  EXPECT_EQ(loads.get(), std::make_pair(std::optional<Bytes>(bytes("cover b")),
                                        std::optional<ColumnCache::Validators>()));
  EXPECT_EQ(cache_->loadFirstPage(text("a"), text("http://h/a.atom")), bytes("page a"));

  // Saves of one slot piling up behind the stuck one are written once, the last: here the
  // bytes already kept, so the file is left as it was.
  const std::string cover = cache_->getPath("b", "http://h/b.png", ColumnCache::kCoverPrefix);
  struct stat kept {};
  ASSERT_EQ(::stat(cover.c_str(), &kept), 0);
  cache_->saveCover(text("b"), text("http://h/b.png"), bytes("cover b, again"));
  EXPECT_EQ(cache_->loadCover(text("b"), text("http://h/b.png")), bytes("cover b, again"));
  cache_->saveCover(text("b"), text("http://h/b.png"), bytes("cover b"));
  cache_->saveCoverThumbnail(text("b"), text("http://h/t.png"), bytes("thumbnail b"));
  std::thread destroyer([&] { cache_.reset(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the destructor waits
  ASSERT_TRUE(hold.release());
  destroyer.join();
  cache_ = std::make_unique<ColumnCache>(subs_);
  EXPECT_EQ(FileUtil::readFile(stuck), bytes("page a"));
  EXPECT_EQ(cache_->loadFirstPageValidators(text("a"), text("http://h/a.atom"))->etag, "\"a\"");
  EXPECT_EQ(cache_->loadCoverThumbnail(text("b"), text("http://h/t.png")), bytes("thumbnail b"));
  struct stat after {};
  ASSERT_EQ(::stat(cover.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, kept.st_ino);
}

// A first page saved again under the strong ETag the writer last wrote it with is not handed to
// the writer. To see that, the kept file is changed behind the cache's back (same size): a save
// that reached the writer would compare and put the page back. Anything that leaves the kept page
// in doubt sends the save to the writer again.
TEST_F(ColumnCacheTest, APageSavedAgainUnderItsStrongEtagIsLeftAsKept) {
  const auto id = text("col");
  const auto url = text("http://h/list.atom");
  const ColumnCache::Validators tagged{std::string("\"v1\""), 1700000000.0};
  const std::string page = cache_->getPath(*id, *url, ColumnCache::kFirstPagePrefix);
  auto keptAfterSaving = [&](const ColumnCache::Validators& validators) {
    ASSERT_TRUE(FileUtil::writeFileAtomically(page, std::string_view("PAGE")));
    cache_->saveFirstPage(id, url, bytes("page"), validators);
    cache_->flush();
  };
  // Not known while the save waits: the writer is held in another column's page first, so the
  // save cannot have been written when it is asked.
  {
    testing::WriterHold hold(
        *cache_, cache_->getPath("other", "http://h/o.atom", ColumnCache::kFirstPagePrefix));
    cache_->saveFirstPage(text("other"), text("http://h/o.atom"), bytes("other"), {});
    ASSERT_TRUE(hold.waitUntilHeld());
    cache_->saveFirstPage(id, url, bytes("page"), tagged);
    EXPECT_EQ(cache_->knownFirstPage(id, url), std::nullopt);  // not written yet
    ASSERT_TRUE(hold.release());
  }
  cache_->flush();
  EXPECT_EQ(cache_->knownFirstPage(id, url), tagged);
  EXPECT_EQ(cache_->knownFirstPage(id, text("http://h/other.atom")), std::nullopt);
  keptAfterSaving(tagged);
  EXPECT_EQ(FileUtil::readFile(page), bytes("PAGE"));  // not handed to the writer

  // Another Last-Modified, a weak ETag, no ETag: written (compared) again.
  const ColumnCache::Validators redated{tagged.etag, 1700000001.0};
  const ColumnCache::Validators weak{std::string("W/\"v1\""), std::nullopt};
  const ColumnCache::Validators dated{std::nullopt, 1700000001.0};
  for (const auto& validators : {redated, weak, weak, dated, dated}) {
    keptAfterSaving(validators);
    EXPECT_EQ(FileUtil::readFile(page), bytes("page"));
    EXPECT_EQ(cache_->loadFirstPageValidators(id, url), validators);
    // Known only under a strong ETag.
    EXPECT_EQ(cache_->knownFirstPage(id, url),
              validators.etag == tagged.etag ? std::optional(validators) : std::nullopt);
  }
  // Known again once written under a strong ETag; other bytes under it are still saved.
  cache_->saveFirstPage(id, url, bytes("page"), tagged);
  cache_->flush();
  cache_->saveFirstPage(id, url, bytes("page, longer"), tagged);
  EXPECT_EQ(cache_->loadFirstPage(id, url), bytes("page, longer"));
  cache_->saveFirstPage(id, url, bytes("page"), tagged);
  cache_->flush();
  keptAfterSaving(tagged);
  EXPECT_EQ(FileUtil::readFile(page), bytes("PAGE"));

  // Another reader's page of that column under the same ETag and size is not taken for it.
  CommInfo::setUsername(std::string("bob"));
  EXPECT_EQ(cache_->knownFirstPage(id, url), std::nullopt);
  keptAfterSaving(tagged);
  EXPECT_EQ(FileUtil::readFile(page), bytes("page"));
  EXPECT_EQ(cache_->knownFirstPage(id, url), tagged);
  CommInfo::setUsername(std::string("alice"));
  EXPECT_EQ(cache_->knownFirstPage(id, url), std::nullopt);
  cache_->saveFirstPage(id, url, bytes("page"), tagged);
  cache_->flush();

  // The file gone, its folder's pages deleted, the caches cleaned, a new cache (a restart):
  // written again.
  ASSERT_TRUE(fs::remove(page));
  EXPECT_EQ(cache_->knownFirstPage(id, url), std::nullopt);
  cache_->saveFirstPage(id, url, bytes("page"), tagged);
  EXPECT_EQ(cache_->loadFirstPage(id, url), bytes("page"));
  cache_->flush();
  EXPECT_EQ(FileUtil::readFile(page), bytes("page"));
  cache_->deleteOldFile(*id, ColumnCache::kFirstPagePrefix);
  cache_->saveFirstPage(id, url, bytes("page"), tagged);
  cache_->flush();
  EXPECT_EQ(FileUtil::readFile(page), bytes("page"));
  subscribe(*id);
  cache_->clean();
  keptAfterSaving(tagged);
  EXPECT_EQ(FileUtil::readFile(page), bytes("page"));
  cache_ = std::make_unique<ColumnCache>(subs_);
  EXPECT_EQ(cache_->knownFirstPage(id, url), std::nullopt);
  keptAfterSaving(tagged);
  EXPECT_EQ(FileUtil::readFile(page), bytes("page"));
}

// A save of the kept page's ETag made while another page of the column waits for the writer is
// written after it: the column ends with the page saved last.
TEST_F(ColumnCacheTest, TheKeptPageSavedBehindANewerOneEndsOnDisk) {
  const auto id = text("col");
  const auto url = text("http://h/list.atom");
  const ColumnCache::Validators v1{std::string("\"v1\""), std::nullopt};
  const ColumnCache::Validators v2{std::string("\"v2\""), std::nullopt};
  cache_->saveFirstPage(id, url, bytes("page one"), v1);
  cache_->flush();
  // The writer is held in another column's page.
  testing::WriterHold hold(
      *cache_, cache_->getPath("other", "http://h/o.atom", ColumnCache::kFirstPagePrefix));
  cache_->saveFirstPage(text("other"), text("http://h/o.atom"), bytes("other"), v1);
  ASSERT_TRUE(hold.waitUntilHeld());
  cache_->saveFirstPage(id, url, bytes("page two"), v2);
  cache_->saveFirstPage(id, url, bytes("page one"), v1);
  EXPECT_EQ(cache_->loadFirstPage(id, url), bytes("page one"));
  ASSERT_TRUE(hold.release());
  cache_->flush();
  const std::string page = cache_->getPath(*id, *url, ColumnCache::kFirstPagePrefix);
  EXPECT_EQ(FileUtil::readFile(page), bytes("page one"));
  EXPECT_EQ(cache_->loadFirstPageValidators(id, url), v1);
}

TEST_F(ColumnCacheTest, MissingIdsOrUrlsSaveNothingAndLoadNothing) {
  cache_->saveFirstPage(std::nullopt, text("http://s/a"), bytes("x"));
  cache_->saveCover(text("c1"), std::nullopt, bytes("x"));
  cache_->saveCoverThumbnail(text(""), text("http://s/a"), bytes("x"));
  cache_->flush();
  EXPECT_EQ(fileCount(cache_->rootPath()), 0u);
  EXPECT_EQ(cache_->loadFirstPage(std::nullopt, text("http://s/a")), std::nullopt);
  EXPECT_EQ(cache_->loadCover(text("c1"), std::nullopt), std::nullopt);
}

TEST_F(ColumnCacheTest, CleanKeepsOnlySubscribedColumns) {
  for (const char* id : {"c1", "c2", "c3"}) cache_->saveCover(text(id), text("http://s/c"), bytes(id));
  FileUtil::writeFileAtomically(cache_->rootPath() + "/stray", std::string_view("x"));
  subscribe("c2");
  cache_->clean();
  EXPECT_EQ(fileCount(cache_->rootPath()), 1u);
  EXPECT_EQ(cache_->loadCover(text("c2"), text("http://s/c")), bytes("c2"));
  EXPECT_EQ(cache_->loadCover(text("c1"), text("http://s/c")), std::nullopt);

  // Another user's columns do not count; with none subscribed every folder goes.
  CommInfo::setUsername(std::string("bob"));
  cache_->clean();
  EXPECT_EQ(fileCount(cache_->rootPath()), 0u);
}

// A root or column folder that is a link (planted in the reader's home) is made a real folder
// again: cleaning deletes nothing behind the link, and saves are not written through it.
TEST_F(ColumnCacheTest, LinkedFoldersAreRemadeRealAndCleaningNeverFollowsThem) {
  const fs::path outside = home_.path() / "precious";
  fs::create_directories(outside / "photos");
  std::ofstream(outside / "letter.txt") << "keep me";
  std::ofstream(outside / "photos" / "1.jpg") << "keep me too";
  auto untouched = [&] {
    return fs::exists(outside / "letter.txt") && fs::exists(outside / "photos" / "1.jpg");
  };
  fs::remove_all(cache_->rootPath());
  fs::create_directory_symlink(outside, cache_->rootPath());
  subscribe("c2");
  cache_->clean();  // the reading cache's cleaning in the settings
  EXPECT_TRUE(untouched());
  EXPECT_FALSE(fs::is_symlink(cache_->rootPath()));

  // A column's folder, and a link in the place of one of its files.
  const std::string column = cache_->rootPath() + "/" + *Md5::encode("c2");
  fs::remove_all(column);
  fs::create_directory_symlink(outside, column);
  cache_->saveCover(text("c2"), text("http://s/c"), bytes("cover"));
  cache_->flush();
  EXPECT_FALSE(fs::is_symlink(column));
  EXPECT_EQ(cache_->loadCover(text("c2"), text("http://s/c")), bytes("cover"));
  fs::create_symlink(outside / "letter.txt", column + "/cover_stale");
  cache_->saveCover(text("c2"), text("http://s/other"), bytes("cover 2"));
  cache_->flush();
  EXPECT_FALSE(fs::exists(fs::symlink_status(column + "/cover_stale")));
  fs::create_directory_symlink(outside, cache_->rootPath() + "/gone");
  cache_->clean();
  EXPECT_FALSE(fs::exists(fs::symlink_status(cache_->rootPath() + "/gone")));
  EXPECT_EQ(cache_->loadCover(text("c2"), text("http://s/other")), bytes("cover 2"));
  EXPECT_TRUE(untouched());
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 2);
}

// Loads read what the cache's own folders hold: a link at the root, at a column's folder or at
// one of its files (planted before launch) is not followed, so what it points at is never read
// as a page, a cover or validators.
TEST_F(ColumnCacheTest, LoadsNeverReadThroughALink) {
  const std::string digest = *Md5::encode("http://s/page");
  const std::string columnName = *Md5::encode("c3");
  const fs::path outside = home_.path() / "elsewhere";
  fs::create_directories(outside / columnName);
  for (const char* prefix : {"data_", "validators_", "cover_", "thumbnail_"}) {
    std::ofstream(outside / columnName / (prefix + digest)) << "outside\n1\n";
  }
  const auto loadsNothing = [&] {
    const auto url = text("http://s/page");
    EXPECT_FALSE(cache_->loadFirstPage(text("c3"), url));
    EXPECT_FALSE(cache_->loadFirstPageValidators(text("c3"), url));
    EXPECT_FALSE(cache_->loadCover(text("c3"), url));
    EXPECT_FALSE(cache_->loadCoverThumbnail(text("c3"), url));
  };
  // The root a link.
  fs::remove_all(cache_->rootPath());
  fs::create_directory_symlink(outside, cache_->rootPath());
  loadsNothing();
  // A column's folder a link.
  fs::remove(cache_->rootPath());
  fs::create_directories(cache_->rootPath());
  const fs::path column = fs::path(cache_->rootPath()) / columnName;
  fs::create_directory_symlink(outside / columnName, column);
  loadsNothing();
  // Each file a link.
  fs::remove(column);
  fs::create_directories(column);
  for (const auto& entry : fs::directory_iterator(outside / columnName)) {
    fs::create_symlink(entry.path(), column / entry.path().filename());
  }
  loadsNothing();
}

TEST(UniqueCacheTest, OneFilePerKeyAlwaysTheLatest) {
  TempHome home;
  UniqueCache cache;
  EXPECT_TRUE(fs::is_directory(Paths::caches() / "UniqueCaches"));
  cache.saveData(bytes("feed v1"), UniqueCache::kServiceUrlKey, text("http://h/getServiceUrl.atom"));
  cache.saveData(bytes("alice"), UniqueCache::kUserInfoKey, text("http://h/user?username=alice"));
  EXPECT_EQ(cache.loadData("serviceurl", text("http://h/getServiceUrl.atom")), bytes("feed v1"));
  EXPECT_TRUE(fs::exists(cache.rootPath() + "/serviceurl_" +
                         *Md5::encode("http://h/getServiceUrl.atom")));

  // A save under a new URL replaces the key's file; the other key keeps its own.
  cache.saveData(bytes("bob"), UniqueCache::kUserInfoKey, text("http://h/user?username=bob"));
  EXPECT_EQ(cache.loadData("userinfo", text("http://h/user?username=alice")), std::nullopt);
  EXPECT_EQ(cache.loadData("userinfo", text("http://h/user?username=bob")), bytes("bob"));
  EXPECT_EQ(cache.loadData("serviceurl", text("http://h/getServiceUrl.atom")), bytes("feed v1"));
  EXPECT_EQ(fileCount(cache.rootPath()), 2u);

  cache.saveData(bytes("x"), "userinfo", std::nullopt);
  EXPECT_EQ(cache.loadData("userinfo", std::nullopt), std::nullopt);
  EXPECT_EQ(fileCount(cache.rootPath()), 2u);
}

}  // namespace
}  // namespace zu
