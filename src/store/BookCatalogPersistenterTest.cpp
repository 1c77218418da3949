#include "store/BookCatalogPersistenter.h"

#include <gtest/gtest.h>

#include "common/CommInfo.h"
#include "platform/device/SystemEnvironment.h"
#include "store/BookCatalogCaching.h"
#include "store/BookTestHelpers.h"
#include "store/EntryPersistenter.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

using namespace booktest;

std::vector<std::vector<std::string>> groupsOf(const std::shared_ptr<BookCatalog>& mapped) {
  std::vector<std::vector<std::string>> out;
  for (const auto& s : sectionsOf(mapped)) {
    out.push_back(s->originalIds().value_or(std::vector<std::string>{}));
  }
  return out;
}

std::vector<int> landscapeCounts(const std::shared_ptr<BookCatalog>& catalog, int font = 2) {
  std::vector<int> out;
  for (const auto& s : sectionsOf(catalog)) {
    auto p = info(s, font);
    out.push_back(p ? p->landscapePage() : -1);
  }
  return out;
}

class BookCatalogPersistenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CommInfo::setUsername(std::string(EntryPersistenter::kGuestUserName));
    open();
  }
  void TearDown() override {
    SystemEnvironment::setSystemVersion(SystemEnvironment::kDefaultSystemVersion);
    subs_.reset();
    CommInfo::globalUninit();
  }
  void open() {
    subs_.reset();
    subs_ = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(subs_ && subs_->catalogPersistenter());
    store().setRandomGenerator([] { return 4242u; });
  }
  BookCatalogPersistenter& store() { return *subs_->catalogPersistenter(); }

  // The mapped catalogue built in memory from a parsed feed (the original is filled in too).
  std::shared_ptr<BookCatalog> build(const std::vector<int>& landscape, int version = 7,
                                     std::shared_ptr<BookCatalog>* original = nullptr) {
    EXPECT_TRUE(store().insert("tmp", catalogueFeed({landscapeChapter(landscape)}, version)));
    if (original) *original = store().read("tmp");
    return store().readMapping("tmp");
  }

  int64_t rowCount(const char* table) {
    auto s = subs_->database()->prepare(std::string("select count(*) from ") + table);
    return s.next() ? s.columnInt64(0) : -1;
  }

  TempHome home_;
  std::shared_ptr<EntryPersistenter> subs_;
};

TEST_F(BookCatalogPersistenterTest, MappedCatalogueFromFeed) {
  ChapterSpec one{"ch-1", 1, "第一卷",
                  {{"s1", 1, {{2, {10, 20}}, {3, {7, 14}}}, true},
                   {"s2", 2, {{2, {20, 40}}, {3, {9, 18}}}}}};
  ChapterSpec two{"ch-2", 2, "第二卷", {{"s3", 3, {{2, {21, 42}}, {3, {11, 22}}}}}};
  ASSERT_TRUE(store().insert("book-1", catalogueFeed({one, two}, 7)));

  auto mapped = store().readMapping("book-1");
  auto original = store().read("book-1");
  ASSERT_TRUE(mapped && original);
  EXPECT_EQ(mapped->version(), 7);
  ASSERT_EQ(mapped->chapters()->size(), 1u);
  EXPECT_EQ(mapped->chapters()->at(0)->id(), "4242");
  // 10 + 20 + 21 = 51: above 45 but odd, at most 70, ends the book: one group, padded to 52.
  auto combined = sectionsOf(mapped);
  ASSERT_EQ(combined.size(), 1u);
  EXPECT_EQ(combined[0]->id(), "s11");
  EXPECT_EQ(combined[0]->title(), "测试");
  EXPECT_EQ(combined[0]->indexId(), 1);
  EXPECT_EQ(*combined[0]->originalIds(), (std::vector<std::string>{"s1", "s2", "s3"}));
  EXPECT_EQ(info(combined[0], 2)->landscapePage(), 52);
  EXPECT_EQ(info(combined[0], 2)->portraitPage(), 102);
  EXPECT_EQ(info(combined[0], 3)->landscapePage(), 28);  // 27 padded at font size 3 too

  // The original: the last section padded, offsets running, parents and mapping ids set.
  auto sections = sectionsOf(original);
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(landscapeCounts(original), (std::vector<int>{10, 20, 22}));
  EXPECT_EQ(landscapeCounts(original, 3), (std::vector<int>{7, 9, 12}));
  EXPECT_EQ(info(sections[2], 2)->landscapePageOffset(), 30);
  EXPECT_EQ(info(sections[2], 2)->portraitPageOffset(), 60);
  EXPECT_EQ(info(sections[2], 3)->landscapePageOffset(), 16);
  EXPECT_EQ(sections[2]->parentId(), "ch-2");
  EXPECT_EQ(sections[0]->mappingId(), "s11");
  auto t = total(original, 2);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->landscapePage(), 52);
  EXPECT_EQ(t->portraitPage(), 102);
  EXPECT_EQ(t->landscapePreviewPage(), 10);  // only s1 may be previewed
  EXPECT_EQ(total(mapped, 3)->landscapePage(), 28);

  // Built in memory, both catalogues hold the very same total objects.
  auto fresh = std::make_shared<BookCatalog>();
  fresh->setChapters(original->chapters());
  auto freshMapped = store().calculateBookPageInfoAndBuildMappingCatalog(fresh);
  ASSERT_TRUE(freshMapped && freshMapped->pageInfos() && fresh->pageInfos());
  ASSERT_EQ(freshMapped->pageInfos()->size(), 2u);
  EXPECT_EQ(freshMapped->pageInfos()->at(0).get(), fresh->pageInfos()->at(0).get());
  EXPECT_EQ(freshMapped->pageInfos()->at(1).get(), fresh->pageInfos()->at(1).get());
  EXPECT_FALSE(store().calculateBookPageInfoAndBuildMappingCatalog(nullptr));
}

TEST_F(BookCatalogPersistenterTest, GroupingRulesAtTheirLimits) {
  // Over Max alone, padded; then 10 + 36 = 46, even and above Min.
  auto mapped = build({81, 10, 36});
  EXPECT_EQ(groupsOf(mapped), (std::vector<std::vector<std::string>>{{"s1"}, {"s2", "s3"}}));
  EXPECT_EQ(landscapeCounts(mapped), (std::vector<int>{82, 46}));
  EXPECT_EQ(info(sectionsOf(mapped)[1], 2)->landscapePageOffset(), 82);

  // A run ending in a one-page section is refused while more follow and it stays within Max:
  // 45 + 1 = 46 would otherwise be taken.
  EXPECT_EQ(groupsOf(build({45, 1, 2})),
            (std::vector<std::vector<std::string>>{{"s1", "s2", "s3"}}));
  // ... and a run ending in it is taken when it ends the book.
  EXPECT_EQ(groupsOf(build({69, 1})), (std::vector<std::vector<std::string>>{{"s1", "s2"}}));
  // Exactly Min is not enough; Max and odd is not enough either; Max + 1 is.
  EXPECT_EQ(groupsOf(build({45, 4})), (std::vector<std::vector<std::string>>{{"s1", "s2"}}));
  EXPECT_EQ(groupsOf(build({69, 71, 2})),
            (std::vector<std::vector<std::string>>{{"s1", "s2"}, {"s3"}}));
  EXPECT_EQ(groupsOf(build({46, 2})), (std::vector<std::vector<std::string>>{{"s1"}, {"s2"}}));

  // Below system version 5.0 the limits are 15 and 40.
  SystemEnvironment::setSystemVersion(4.3f);
  EXPECT_EQ(groupsOf(build({10, 6, 30})),
            (std::vector<std::vector<std::string>>{{"s1", "s2"}, {"s3"}}));
  // ... and a version 4 catalogue is mapped one section per group, padded each.
  std::shared_ptr<BookCatalog> original;
  auto v4 = build({10, 7, 30}, 4, &original);
  EXPECT_EQ(groupsOf(v4), (std::vector<std::vector<std::string>>{{"s1"}, {"s2"}, {"s3"}}));
  EXPECT_EQ(landscapeCounts(v4), (std::vector<int>{10, 8, 30}));
  EXPECT_EQ(landscapeCounts(original), (std::vector<int>{10, 8, 30}));
  EXPECT_EQ(info(sectionsOf(original)[2], 2)->landscapePageOffset(), 18);
  SystemEnvironment::setSystemVersion(5.0f);
  EXPECT_EQ(groupsOf(build({10, 7, 30}, 4)),
            (std::vector<std::vector<std::string>>{{"s1", "s2", "s3"}}));

  // Counts from the service near the 32-bit limit: sums and offsets stop at the limit instead
  // of overflowing (an odd count there cannot be padded further).
  constexpr int kMax = INT32_MAX;
  ASSERT_TRUE(store().insert(
      "huge", catalogueFeed({ChapterSpec{"c", 1, "t",
                                         {{"s1", 1, {{2, {kMax, kMax}}}},
                                          {"s2", 2, {{2, {11, 22}}}},
                                          {"s3", 3, {{2, {kMax - 600, 1}}}}}}})));
  std::shared_ptr<BookCatalog> hugeOriginal = store().read("huge");
  auto huge = store().readMapping("huge");
  EXPECT_EQ(groupsOf(huge), (std::vector<std::vector<std::string>>{{"s1"}, {"s2", "s3"}}));
  EXPECT_EQ(landscapeCounts(huge), (std::vector<int>{kMax, kMax - 589}));
  EXPECT_EQ(info(sectionsOf(huge)[1], 2)->landscapePageOffset(), kMax);
  EXPECT_EQ(info(sectionsOf(hugeOriginal)[2], 2)->landscapePageOffset(), kMax);
  EXPECT_EQ(total(hugeOriginal, 2)->landscapePage(), kMax);
  EXPECT_EQ(total(hugeOriginal, 2)->portraitPage(), kMax);

  // Nothing with page counts: the mapped catalogue has no sections.
  ASSERT_TRUE(store().insert("empty", catalogueFeed({ChapterSpec{"c", 1, "t", {}}})));
  auto empty = store().readMapping("empty");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(sectionsOf(empty).empty());
}

TEST_F(BookCatalogPersistenterTest, RowsPerUserSurviveRestartAndCopy) {
  const std::string feed = catalogueFeed({landscapeChapter({30, 20})});
  ASSERT_TRUE(store().insert("book-1", feed));
  ASSERT_TRUE(store().insert("book-1", feed));  // replaces: one row per table
  EXPECT_EQ(rowCount("catalog"), 1);
  EXPECT_EQ(rowCount("mappingcatalog"), 1);

  open();  // restart
  ASSERT_TRUE(store().readMapping("book-1"));
  EXPECT_FALSE(store().isBookSubscribedByOtherUsers("book-1"));

  CommInfo::setUsername(std::string("bob"));
  EXPECT_FALSE(store().read("book-1"));
  EXPECT_FALSE(store().readMapping("book-1"));
  EXPECT_TRUE(store().isBookSubscribedByOtherUsers("book-1"));
  store().copyFromAnonymous(std::string("bob"));
  auto copied = store().readMapping("book-1");
  ASSERT_TRUE(copied);
  EXPECT_EQ(groupsOf(copied), (std::vector<std::vector<std::string>>{{"s1", "s2"}}));
  EXPECT_EQ(rowCount("catalog"), 2);  // the guest's row stays, bob's has its own id

  // Another book held only by the guest, copied by book id to a third user.
  CommInfo::setUsername(std::string(EntryPersistenter::kGuestUserName));
  ASSERT_TRUE(store().insert("book-2", feed));
  CommInfo::setUsername(std::string("carol"));
  store().copyFromOther("book-2", std::string("carol"));
  EXPECT_TRUE(store().read("book-2"));
  EXPECT_FALSE(store().read("book-1"));

  // Deleting takes only the current user's rows, from both tables.
  EXPECT_TRUE(store().deleteBook("book-2"));
  EXPECT_FALSE(store().read("book-2"));
  EXPECT_FALSE(store().readMapping("book-2"));
  CommInfo::setUsername(std::string(EntryPersistenter::kGuestUserName));
  EXPECT_TRUE(store().read("book-2"));
}

TEST_F(BookCatalogPersistenterTest, CorruptRowsAndFailedWrites) {
  ASSERT_TRUE(store().insert("book-1", catalogueFeed({landscapeChapter({30, 20})})));
  Database& db = *subs_->database();
  {
    // A blob that is not an archive, and one whose recorded length is longer than the blob.
    auto s = db.prepare("update catalog set catalog=?, catalog_len=9999");
    s.bind(1, std::vector<uint8_t>{'n', 'o', 't', 0, 1, 2});
    ASSERT_TRUE(s.execute());
    auto t = db.prepare("update mappingcatalog set catalog_len=99999");
    ASSERT_TRUE(t.execute());
  }
  EXPECT_FALSE(store().read("book-1"));
  EXPECT_TRUE(store().readMapping("book-1"));
  {
    // Cut the archive short: still no crash, just absent.
    auto s = db.prepare("update mappingcatalog set catalog_len=20");
    ASSERT_TRUE(s.execute());
  }
  EXPECT_FALSE(store().readMapping("book-1"));

  // A write SQLite refuses with anything but done is a failure.
  ASSERT_EQ(db.exec("create trigger refuse before insert on mappingcatalog begin select "
                    "raise(abort, 'refused'); end;"),
            SQLITE_OK);
  EXPECT_FALSE(store().insert("book-2", catalogueFeed({landscapeChapter({30})})));
  EXPECT_TRUE(store().read("book-2"));  // the first write stays
  EXPECT_FALSE(store().insertCatalog("book-3", std::make_shared<BookCatalog>(), true));
  EXPECT_TRUE(store().insertCatalog("book-3", std::make_shared<BookCatalog>(), false));
  // The other way round: the original refused, the mapped one stored; still a failure, since
  // the book's original catalogue is missing.
  ASSERT_EQ(db.exec("drop trigger refuse;"), SQLITE_OK);
  ASSERT_EQ(db.exec("create trigger refuse before insert on catalog begin select "
                    "raise(abort, 'refused'); end;"),
            SQLITE_OK);
  EXPECT_FALSE(store().insert("book-6", catalogueFeed({landscapeChapter({30})})));
  EXPECT_FALSE(store().read("book-6"));
  EXPECT_TRUE(store().readMapping("book-6"));

  EXPECT_FALSE(store().insert("book-4", std::nullopt));
  EXPECT_FALSE(store().insert("book-4", std::string_view("not xml")));
  CommInfo::globalUninit();  // no current user: nothing is written
  EXPECT_FALSE(store().insertCatalog("book-5", std::make_shared<BookCatalog>(), false));
}

TEST(BookCatalogCachingTest, AtMostTwoBooksPerFormPerReaderAndLaterIdsWin) {
  auto catalogue = [](const std::string& chapterTitle) {
    auto c = std::make_shared<BookCatalog>();
    auto a = std::make_shared<Chapter>();
    a->setId("dup");
    a->setTitle("first");
    auto b = std::make_shared<Chapter>();
    b->setId("dup");
    b->setTitle(chapterTitle);
    auto s = std::make_shared<Section>();
    s->setId("s");
    b->appendSections(s);
    c->setChapters(std::vector<std::shared_ptr<Chapter>>{a, b});
    return c;
  };
  BookCatalogCaching cache;
  cache.cacheCatalog("ann", "b1", catalogue("later"));
  cache.cacheCatalog("ann", "b2", catalogue("x"));
  cache.cacheCatalogOriginal("ann", "b1", catalogue("orig"));
  EXPECT_EQ(cache.searchChapter("ann", "b1", "dup")->title(), "later");
  EXPECT_TRUE(cache.searchSection("ann", "b1", "s"));
  EXPECT_FALSE(cache.searchSection("ann", "b1", "missing"));
  EXPECT_FALSE(cache.searchSection("ann", "b1", std::nullopt));
  EXPECT_EQ(cache.searchChapterOriginal("ann", "b1", "dup")->title(), "orig");
  // Another reader's catalogue of the same book is not shown.
  EXPECT_FALSE(cache.isCatalogCached("bob", "b1"));
  EXPECT_FALSE(cache.searchSectionOriginal("bob", "b1", "s"));
  // A third book empties the mapped form first; the original form is untouched.
  cache.cacheCatalog("ann", "b3", catalogue("z"));
  EXPECT_FALSE(cache.isCatalogCached("ann", "b1"));
  EXPECT_FALSE(cache.isCatalogCached("ann", "b2"));
  EXPECT_TRUE(cache.isCatalogCached("ann", "b3"));
  EXPECT_TRUE(cache.isCatalogCachedOriginal("ann", "b1"));
  cache.cacheCatalog("ann", "b4", nullptr);
  EXPECT_FALSE(cache.getCachedCatalog("ann", "b4"));
  EXPECT_TRUE(cache.isCatalogCached("ann", "b3"));
  // Removing a book drops both forms for every reader, and nothing else.
  cache.cacheCatalog("bob", "b3", catalogue("bob's"));
  EXPECT_EQ(cache.searchChapter("bob", "b3", "dup")->title(), "bob's");
  cache.cacheCatalogOriginal("bob", "b3", catalogue("o"));
  cache.removeBook("b3");
  EXPECT_FALSE(cache.isCatalogCached("ann", "b3"));
  EXPECT_FALSE(cache.isCatalogCached("bob", "b3"));
  EXPECT_FALSE(cache.isCatalogCachedOriginal("bob", "b3"));
  EXPECT_TRUE(cache.isCatalogCachedOriginal("ann", "b1"));
}

}  // namespace
}  // namespace zu
