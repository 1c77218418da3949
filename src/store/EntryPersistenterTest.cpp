#include "store/EntryPersistenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "model/columns/Column.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/runtime/Paths.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using Store = std::shared_ptr<EntryPersistenter>;

constexpr const char* kInjection = "' OR 1=1 --";

class EntryPersistenterTest : public ::testing::Test {
 protected:
  void SetUp() override { CommInfo::setUsername(std::string("alice")); }
  void TearDown() override { CommInfo::globalUninit(); }

  static std::shared_ptr<Entry> column(const std::string& id, const std::string& title,
                                       int type = 0) {
    auto c = std::make_shared<Column>();
    c->setEntryId(id);
    c->setTitle(title);
    c->setUpdated(1300000000000);
    auto status = std::make_shared<VeskEntryStatus>();
    status->setType(type);
    c->setVeskEntryStatus(status);
    return c;
  }

  static std::shared_ptr<Entry> article(const std::string& id, const std::string& title,
                                        int read = 0) {
    auto n = std::make_shared<NewsSummary>();
    n->setEntryId(id);
    n->setTitle(title);
    n->setSummary("summary of " + title);
    auto status = std::make_shared<VeskEntryStatus>();
    status->setRead(read);
    n->setVeskEntryStatus(status);
    return n;
  }

  static std::vector<std::string> ids(const std::shared_ptr<Feed>& feed) {
    std::vector<std::string> out;
    if (feed && feed->entrys()) {
      for (const auto& e : *feed->entrys()) out.push_back(e->entryId().value_or("<none>"));
    }
    return out;
  }

  static std::string href(const std::shared_ptr<Link>& link) {
    return link ? link->href().value_or("<no href>") : "<no link>";
  }

  TempHome home_;
};

TEST_F(EntryPersistenterTest, RowsSurviveRestartAndStayPerUser) {
  {
    Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(subs);
    EXPECT_TRUE(subs->insertEntry(column("c1", "One")));
    EXPECT_TRUE(subs->insertEntry(column("c2", "Two")));
    EXPECT_TRUE(subs->setUserDefinedValue(std::string("k"), std::string("alice-value")));
    subs->setColumnLastestSummaryId(std::string("c1"), std::string("s-alice"));
    CommInfo::setUsername(std::string("bob"));
    // Same column id for another user: a separate row with its own order.
    EXPECT_TRUE(subs->insertEntry(column("c2", "Bob's Two")));
    EXPECT_TRUE(subs->setUserDefinedValue(std::string("k"), std::string("bob-value")));
    EXPECT_TRUE(subs->deleteEntry(std::string("c1")));  // bob has no c1: alice's stays
  }
  EXPECT_TRUE(fs::exists(Paths::documents() / "userEntry" / "userSubscribe.db"));

  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  CommInfo::setUsername(std::string("alice"));
  EXPECT_EQ(subs->countReadEntries(), 2);
  auto feed = subs->allocReadEntriesInFeed(std::nullopt);
  EXPECT_EQ(ids(feed), (std::vector<std::string>{"c1", "c2"}));
  EXPECT_EQ(*subs->allocReadEntry(std::string("c2"))->title(), "Two");
  EXPECT_EQ(subs->getUserDefinedValue(std::string("k")), "alice-value");
  EXPECT_EQ(subs->getColumnLastestSummaryId(std::string("c1")), "s-alice");

  CommInfo::setUsername(std::string("bob"));
  EXPECT_EQ(subs->countReadEntries(), 1);
  EXPECT_EQ(*subs->allocReadEntry(std::string("c2"))->title(), "Bob's Two");
  EXPECT_FALSE(subs->isEntryExist(std::string("c1")));
  EXPECT_EQ(subs->getUserDefinedValue(std::string("k")), "bob-value");
  EXPECT_EQ(subs->getColumnLastestSummaryId(std::string("c1")), std::nullopt);
  EXPECT_TRUE(subs->clearEntry());
  CommInfo::setUsername(std::string("alice"));
  EXPECT_EQ(subs->countReadEntries(), 2);

  // The two stores are separate files.
  Store favs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  ASSERT_TRUE(favs);
  EXPECT_EQ(favs->countReadEntries(), 0);
  EXPECT_FALSE(EntryPersistenter::initWithDBopen(3));
}

// The stores' files given a second name (a backup tool's hard links, or links to files outside
// the home): the rows survive, the new ones go to a file of the store's own, and the other
// names keep what they held.
TEST_F(EntryPersistenterTest, StoresOfTwoNamesKeepTheirRowsAndLeaveTheOtherNameAlone) {
  {
    Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(subs);
    EXPECT_TRUE(subs->insertEntry(column("c1", "One")));
    EXPECT_TRUE(subs->insertEntry(column("c2", "Two")));
    EXPECT_TRUE(subs->setUserDefinedValue(std::string("k"), std::string("first")));
  }
  const fs::path folder = Paths::documents() / "userEntry";
  const fs::path backup = home_.path() / "backup";
  fs::create_directories(backup);
  std::map<std::string, std::string> kept;
  for (const char* name : {"userSubscribe.db", "userDefined.db"}) {
    fs::create_hard_link(folder / name, backup / name);
    kept[name] = TestFiles::read(backup / name);
  }
  {
    Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(subs);
    EXPECT_EQ(ids(subs->allocReadEntriesInFeed(std::nullopt)),
              (std::vector<std::string>{"c1", "c2"}));
    EXPECT_TRUE(subs->insertEntry(column("c3", "Three")));
    EXPECT_EQ(subs->getUserDefinedValue(std::string("k")), "first");
    EXPECT_TRUE(subs->setUserDefinedValue(std::string("k"), std::string("second")));
  }
  for (const auto& [name, bytes] : kept) {
    EXPECT_EQ(TestFiles::read(backup / name), bytes) << name;
    EXPECT_EQ(fs::hard_link_count(folder / name), 1u) << name;
  }
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  EXPECT_EQ(ids(subs->allocReadEntriesInFeed(std::nullopt)),
            (std::vector<std::string>{"c1", "c2", "c3"}));
  EXPECT_EQ(subs->getUserDefinedValue(std::string("k")), "second");
}

TEST_F(EntryPersistenterTest, QuotesAndInjectionTextsAreStoredVerbatim) {
  const std::vector<std::string> texts = {"it's", kInjection, "'; drop table fields; --",
                                          "\"double\" and ''two''"};
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  ASSERT_TRUE(subs->insertEntry(column("plain", "Plain")));
  for (const std::string& user : texts) {
    CommInfo::setUsername(user);
    for (const std::string& t : texts) {
      SCOPED_TRACE(user + " / " + t);
      ASSERT_TRUE(subs->insertEntry(column(t, t + " title")));
      auto read = subs->allocReadEntry(t);
      ASSERT_TRUE(read);
      EXPECT_EQ(read->entryId(), t);
      EXPECT_EQ(read->title(), t + " title");
      subs->setColumnLastestSummaryId(t, t);
      subs->setColumnLastestShowedSummaryId(t, t + "!");
      EXPECT_EQ(subs->getColumnLastestSummaryId(t), t);
      EXPECT_EQ(subs->getColumnLastestShowedSummaryId(t), t + "!");
      EXPECT_TRUE(subs->updateEntry(t, t + " renamed", column(t, "ignored")));
      EXPECT_EQ(subs->allocReadEntry(t)->title(), t + " renamed");
      EXPECT_TRUE(subs->setUserDefinedValue(t, t));
      EXPECT_EQ(subs->getUserDefinedValue(t), t);
      EXPECT_TRUE(subs->setEntryLastCacheTime(t, 77));
      EXPECT_EQ(subs->getEntryLastCacheTime(t), 77);
    }
    EXPECT_EQ(subs->countReadEntries(), static_cast<int>(texts.size()));
    // An id made to match every row deletes only its own.
    EXPECT_TRUE(subs->deleteEntry(std::string(kInjection)));
    EXPECT_EQ(subs->countReadEntries(), static_cast<int>(texts.size()) - 1);
  }
  CommInfo::setUsername(std::string("alice"));
  EXPECT_EQ(subs->countReadEntries(), 1);
  EXPECT_TRUE(subs->isEntryExist(std::string("plain")));
  EXPECT_FALSE(subs->isEntryExist(std::string(kInjection)));

  // The sync-time file takes the same texts as user names.
  for (const std::string& t : texts) EXPECT_TRUE(subs->saveCurrentTimeWhenSync(t));
}

TEST_F(EntryPersistenterTest, FavouritesPageNewestFirstWithEdgeOffsets) {
  Store favs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  ASSERT_TRUE(favs);

  // Empty store: an empty first page whose last link points before it; that link (and a nil or
  // malformed URL) reads as the first page.
  for (const EntryPersistenter::Text& url :
       {EntryPersistenter::Text("local://20/0"), EntryPersistenter::Text(std::nullopt),
        EntryPersistenter::Text("local://20/-20"), EntryPersistenter::Text("local:"),
        EntryPersistenter::Text("http://host/path/x"), EntryPersistenter::Text("")}) {
    SCOPED_TRACE(url.value_or("nil"));
    auto feed = favs->allocReadEntriesInFeed(url);
    ASSERT_TRUE(feed);
    ASSERT_TRUE(feed->entrys());
    EXPECT_TRUE(feed->entrys()->empty());
    EXPECT_EQ(href(feed->lastLink()), "local://20/-20");
    EXPECT_EQ(href(feed->selfLink()), "local://20/0");
    EXPECT_FALSE(feed->nextLink());
    EXPECT_FALSE(feed->prevLink());
  }
  EXPECT_FALSE(favs->allocReadEntriesInFeed(std::string("local://20/20")));

  std::vector<std::shared_ptr<Entry>> all;
  for (int i = 0; i < 45; ++i) all.push_back(article("a" + std::to_string(i), "A"));
  ASSERT_TRUE(favs->insertEntries(all));

  auto first = favs->allocReadEntriesInFeed(std::string("local://20/0"));
  ASSERT_TRUE(first);
  auto got = ids(first);
  ASSERT_EQ(got.size(), 20u);
  EXPECT_EQ(got.front(), "a44");
  EXPECT_EQ(got.back(), "a25");
  EXPECT_EQ(href(first->nextLink()), "local://20/20");
  EXPECT_FALSE(first->prevLink());
  EXPECT_EQ(href(first->firstLink()), "local://20/0");
  EXPECT_EQ(href(first->lastLink()), "local://20/40");
  for (const auto& link : {first->firstLink(), first->lastLink(), first->selfLink(),
                           first->nextLink()}) {
    EXPECT_EQ(link->type(), "persistenterUrl");
  }
  EXPECT_EQ(first->title(), "我的收藏");
  EXPECT_EQ(first->updated() % 1000, 0);

  auto middle = favs->allocReadEntriesInFeed(std::string("local://20/25"));  // rounded to 20
  ASSERT_TRUE(middle);
  EXPECT_EQ(ids(middle).front(), "a24");
  EXPECT_EQ(href(middle->selfLink()), "local://20/20");
  EXPECT_EQ(href(middle->prevLink()), "local://20/0");
  EXPECT_EQ(href(middle->nextLink()), "local://20/40");

  auto last = favs->allocReadEntriesInFeed(std::string("local://20/40"));
  ASSERT_TRUE(last);
  EXPECT_EQ(ids(last), (std::vector<std::string>{"a4", "a3", "a2", "a1", "a0"}));
  EXPECT_FALSE(last->nextLink());
  EXPECT_FALSE(favs->allocReadEntriesInFeed(std::string("local://20/60")));

  // 40 rows: the last page starts at 20, and an offset equal to the count is an empty page.
  ASSERT_TRUE(favs->deleteEntries({"a0", "a1", "a2", "a3", "a4"}));
  auto forty = favs->allocReadEntriesInFeed(std::string("local://20/40"));
  ASSERT_TRUE(forty);
  EXPECT_TRUE(forty->entrys()->empty());
  EXPECT_EQ(href(forty->lastLink()), "local://20/20");
  EXPECT_EQ(href(forty->prevLink()), "local://20/20");
  EXPECT_FALSE(forty->nextLink());
  EXPECT_FALSE(favs->allocReadEntriesInFeed(std::string("local://20/2147483647")));
}

TEST_F(EntryPersistenterTest, FollowingNextLinksListsEveryFavouriteOnceNewestFirst) {
  // Pages past the middle are read from the other end: the rows of other users stored in
  // between, a partial last page and a favourite stored again must not shift any page.
  Store favs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  ASSERT_TRUE(favs);
  for (int i = 0; i < 67; ++i) {
    CommInfo::setUsername(std::string(i % 3 ? "alice" : "bob"));
    ASSERT_TRUE(favs->insertEntry(article("f" + std::to_string(i), "F")));
  }
  CommInfo::setUsername(std::string("alice"));
  ASSERT_TRUE(favs->insertEntry(article("f1", "F")));  // to the top again
  std::vector<std::string> expected = {"f1"};
  for (int i = 66; i >= 0; --i) {
    if (i % 3 && i != 1) expected.push_back("f" + std::to_string(i));
  }
  std::vector<std::string> walked;
  EntryPersistenter::Text url = std::string("local://20/0");
  for (int pages = 0; url && pages < 10; ++pages) {
    auto feed = favs->allocReadEntriesInFeed(url);
    ASSERT_TRUE(feed);
    for (const auto& id : ids(feed)) walked.push_back(id);
    url = feed->nextLink() ? feed->nextLink()->href() : std::nullopt;
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(EntryPersistenterTest, FavouritesAreReadAndMoveToTopWhenStoredAgain) {
  Store favs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  ASSERT_TRUE(favs);
  auto unread = article("x", "X", 0);
  ASSERT_TRUE(favs->insertEntry(unread));
  ASSERT_TRUE(favs->insertEntry(article("y", "Y", 1)));
  auto back = std::dynamic_pointer_cast<NewsSummary>(favs->allocReadEntry(std::string("x")));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->veskEntryStatus()->read(), 1);
  EXPECT_EQ(back->summary(), "summary of X");
  EXPECT_EQ(ids(favs->allocReadEntriesInFeed(std::nullopt)),
            (std::vector<std::string>{"y", "x"}));
  ASSERT_TRUE(favs->insertEntry(article("x", "X again")));
  EXPECT_EQ(ids(favs->allocReadEntriesInFeed(std::nullopt)),
            (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(favs->countReadEntries(), 2);
  EXPECT_FALSE(favs->isEntryNeedOfflineDownload(std::string("x")));
}

TEST_F(EntryPersistenterTest, SubscriptionsComeInOnePageInOrderWithDeletedMarks) {
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  CommInfo::setUsername(std::string("bob"));
  ASSERT_TRUE(subs->insertEntry(column("other", "Other")));
  CommInfo::setUsername(std::string("alice"));
  std::vector<std::shared_ptr<Entry>> cols;
  for (int i = 0; i < 30; ++i) cols.push_back(column("c" + std::to_string(i), "C"));
  ASSERT_TRUE(subs->insertEntries(cols));

  auto feed = subs->allocReadEntriesInFeed(std::string("local://20/20"));  // one page anyway
  ASSERT_TRUE(feed);
  ASSERT_EQ(ids(feed).size(), 30u);
  EXPECT_EQ(ids(feed).front(), "c0");
  EXPECT_TRUE(std::dynamic_pointer_cast<Column>(feed->entrys()->front()));
  EXPECT_EQ(feed->title(), "我的订阅");
  EXPECT_FALSE(feed->nextLink());
  EXPECT_FALSE(feed->prevLink());

  // Reordering renumbers from 1 in the given order; re-inserting goes to the end.
  std::vector<std::shared_ptr<Entry>> reversed(cols.rbegin(), cols.rend());
  ASSERT_TRUE(subs->updateOrder(reversed));
  EXPECT_EQ(ids(subs->allocReadEntriesInFeed(std::nullopt)).front(), "c29");
  subs->setEntryOfflineDownload(std::string("c29"), 1);
  ASSERT_TRUE(subs->insertEntry(column("c29", "C29 again")));
  auto after = ids(subs->allocReadEntriesInFeed(std::nullopt));
  EXPECT_EQ(after.size(), 30u);
  EXPECT_EQ(after.back(), "c29");
  EXPECT_FALSE(subs->isEntryNeedOfflineDownload(std::string("c29")));

  subs->setColumnDeletedMark(std::string("c3"), 1);
  subs->setColumnDeletedMark(std::string("c4"), 1);
  subs->setColumnDeletedMark(std::string("c5"), 2);  // only 1 means deleted
  bool deleted = false;
  EXPECT_TRUE(subs->isColumnExistWithDeletedMark(std::string("c3"), &deleted));
  EXPECT_TRUE(deleted);
  EXPECT_TRUE(subs->isColumnExistWithDeletedMark(std::string("c5"), &deleted));
  EXPECT_FALSE(deleted);
  EXPECT_FALSE(subs->isColumnExistWithDeletedMark(std::string("nope"), &deleted));
  EXPECT_EQ(ids(subs->allocReadEntriesInFeed(std::nullopt)).size(), 28u);
  auto marked = ids(subs->allocReadEntriesInFeedWithDeletedMark());
  EXPECT_EQ(std::set<std::string>(marked.begin(), marked.end()),
            (std::set<std::string>{"c3", "c4"}));
  // Another user's list by name.
  EXPECT_EQ(ids(subs->allocReadEntriesInFeedwithUsername(std::nullopt, std::string("bob"), false)),
            (std::vector<std::string>{"other"}));
}

TEST_F(EntryPersistenterTest, BatchWritesAreAllOrNothing) {
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  auto noId = std::make_shared<Column>();
  EXPECT_FALSE(subs->insertEntries({column("a", "A"), noId, column("b", "B")}));
  EXPECT_EQ(subs->countReadEntries(), 0);
  EXPECT_FALSE(subs->insertEntry(noId));
  EXPECT_FALSE(subs->insertEntry(nullptr));

  ASSERT_TRUE(subs->insertEntries({column("a", "A"), column("b", "B")}));
  EXPECT_EQ(ids(subs->allocReadEntriesInFeed(std::nullopt)),
            (std::vector<std::string>{"a", "b"}));
  // A batch numbers on from the stored rows, also past a row it replaces or repeats.
  ASSERT_TRUE(subs->insertEntries({column("b", "B2"), column("a", "A2"), column("c", "C"),
                                   column("c", "C2")}));
  EXPECT_EQ(ids(subs->allocReadEntriesInFeed(std::nullopt)),
            (std::vector<std::string>{"b", "a", "c"}));
  Statement orders = subs->database()->prepare("select group_concat(order_id) from "
                                               "(select order_id from fields order by order_id);");
  ASSERT_TRUE(orders.next());
  EXPECT_EQ(orders.columnText(0), "3,4,6");
  orders.reset();
  EXPECT_EQ(subs->allocReadEntry(std::string("c"))->title(), "C2");

  // Each batch is one transaction: one commit however many rows it writes.
  int commits = 0;
  sqlite3_commit_hook(
      subs->database()->handle(),
      [](void* n) {
        ++*static_cast<int*>(n);
        return 0;
      },
      &commits);
  std::vector<std::shared_ptr<Entry>> many;
  std::vector<std::string> manyIds;
  for (int i = 0; i < 25; ++i) {
    manyIds.push_back("m" + std::to_string(i));
    many.push_back(column(manyIds.back(), "M"));
  }
  ASSERT_TRUE(subs->insertEntries(many));
  EXPECT_EQ(commits, 1);
  ASSERT_TRUE(subs->updateOrder(many));
  EXPECT_EQ(commits, 2);
  ASSERT_TRUE(subs->deleteEntries(manyIds));
  EXPECT_EQ(commits, 3);
  sqlite3_commit_hook(subs->database()->handle(), nullptr, nullptr);

  // Without a current user nothing is stored.
  CommInfo::globalUninit();
  EXPECT_FALSE(subs->insertEntry(column("c", "C")));
  EXPECT_EQ(subs->countReadEntries(), 0);
}

TEST_F(EntryPersistenterTest, UpdatesByIdAndByKey) {
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  EXPECT_FALSE(subs->updateEntry(std::nullopt, std::string("t"), column("x", "X")));
  // Unknown id: inserted under the entry's own id and title.
  EXPECT_TRUE(subs->updateEntry(std::string("x"), std::string("given"), column("x", "X")));
  EXPECT_EQ(subs->allocReadEntry(std::string("x"))->title(), "X");

  auto changed = column("x", "From XML");
  changed->setUpdated(1400000000000);
  ASSERT_TRUE(subs->updateEntry(changed));
  auto back = subs->allocReadEntry(std::string("x"));
  EXPECT_EQ(back->title(), "From XML");
  EXPECT_EQ(back->updated(), 1400000000000);

  // No title column: the title inside the XML is kept.
  ASSERT_TRUE(subs->updateEntry(std::string("x"), std::nullopt, column("x", "Inner")));
  EXPECT_EQ(subs->allocReadEntry(std::string("x"))->title(), "Inner");

  EXPECT_FALSE(subs->setEntryLastCacheTime(std::string("missing"), 5));
  // A stored row answers its time (0 when none is recorded); a missing row answers none.
  EXPECT_EQ(subs->findEntryLastCacheTime(std::string("missing")), std::nullopt);
  ASSERT_TRUE(subs->setEntryLastCacheTime(std::string("x"), 0));
  EXPECT_EQ(subs->findEntryLastCacheTime(std::string("x")), std::optional<int64_t>(0));
  ASSERT_TRUE(subs->setEntryLastCacheTime(std::string("x"), 9));
  EXPECT_EQ(subs->findEntryLastCacheTime(std::string("x")), std::optional<int64_t>(9));
  EXPECT_FALSE(subs->setBookLastUpdatedTime(std::nullopt, 5));
  EXPECT_TRUE(subs->setBookLastUpdatedTime(std::string("x"), -12));
  EXPECT_EQ(subs->getBookLastUpdatedTime(std::string("x")), -12);
  EXPECT_EQ(subs->getBookLastUpdatedTime(std::string("missing")), 0);
}

// A refresh's changes land together, the reader's own columns untouched; an empty refresh
// writes nothing, and a row the reader removed meanwhile is not made again.
TEST_F(EntryPersistenterTest, AColumnRefreshWritesItsPartsInOneCommit) {
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  ASSERT_TRUE(subs->insertEntry(column("x", "X")));
  ASSERT_TRUE(subs->insertEntry(column("y", "Y")));
  subs->setColumnLastestShowedSummaryId(std::string("x"), std::string("shown-1"));
  subs->setEntryOfflineDownload(std::string("x"), 1);

  sqlite3* handle = subs->database()->handle();
  const int changesBefore = sqlite3_total_changes(handle);
  EXPECT_TRUE(subs->saveColumnRefresh({std::string("x"), nullptr, std::nullopt, std::nullopt}));
  EXPECT_EQ(sqlite3_total_changes(handle), changesBefore);
  EXPECT_FALSE(subs->saveColumnRefresh({std::nullopt, column("x", "X2"), std::nullopt, 7}));

  auto latest = column("x", "Latest");
  latest->setUpdated(1500000000000);
  ASSERT_TRUE(subs->saveColumnRefresh(
      {std::string("x"), latest, std::string("art-9"), int64_t{1500000000000}}));
  auto back = subs->allocReadEntry(std::string("x"));
  EXPECT_EQ(back->title(), "Latest");
  EXPECT_EQ(back->updated(), 1500000000000);
  EXPECT_EQ(subs->getColumnLastestSummaryId(std::string("x")), "art-9");
  EXPECT_EQ(subs->getEntryLastCacheTime(std::string("x")), 1500000000000);
  EXPECT_EQ(subs->getColumnLastestShowedSummaryId(std::string("x")), "shown-1");
  EXPECT_TRUE(subs->isEntryNeedOfflineDownload(std::string("x")));
  EXPECT_EQ(subs->allocReadEntry(std::string("y"))->title(), "Y");

  // Only the summary id: the rest stays.
  ASSERT_TRUE(subs->saveColumnRefresh({std::string("x"), nullptr, std::string("art-10"), {}}));
  EXPECT_EQ(subs->getColumnLastestSummaryId(std::string("x")), "art-10");
  EXPECT_EQ(subs->getEntryLastCacheTime(std::string("x")), 1500000000000);

  ASSERT_TRUE(subs->deleteEntry(std::string("y")));
  EXPECT_TRUE(subs->saveColumnRefresh({std::string("y"), column("y", "Back"), {}, 5}));
  EXPECT_FALSE(subs->isEntryExist(std::string("y")));

  // The file logs ahead and syncs the reader's commits; the refresh's commit leaves the
  // connection's level as it was.
  Statement mode = subs->database()->prepare("pragma journal_mode;");
  ASSERT_TRUE(mode.next());
  EXPECT_EQ(mode.columnString(0), "wal");
  Statement level = subs->database()->prepare("pragma synchronous;");
  ASSERT_TRUE(level.next());
  EXPECT_EQ(level.columnInt(0), 2);
}

TEST_F(EntryPersistenterTest, OfflineMarksSkipBooksInTheCount) {
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  ASSERT_TRUE(subs->insertEntries({column("news", "N", 0), column("book", "B", 9),
                                   column("pics", "P", 2), column("off", "O", 0)}));
  subs->setAllEntriesOfflineDownload(1);
  subs->setEntryOfflineDownload(std::string("off"), 0);
  EXPECT_TRUE(subs->isEntryNeedOfflineDownload(std::string("news")));
  EXPECT_FALSE(subs->isEntryNeedOfflineDownload(std::string("off")));
  EXPECT_EQ(subs->countOfflineDownloadEntries(), 2);
  auto feed = subs->allocReadOfflineDownloadEntrysInFeed();
  EXPECT_EQ(ids(feed), (std::vector<std::string>{"news", "book", "pics"}));
  EXPECT_EQ(href(feed->nextLink()), "local://");
}

TEST_F(EntryPersistenterTest, OlderFilesAreMovedAndGetMissingColumns) {
  const fs::path oldDir = Paths::documents() / "EntryCache";
  fs::create_directories(oldDir);
  {
    Database db;
    ASSERT_EQ(db.open((oldDir / "subscribePersistence.db").string()), SQLITE_OK);
    ASSERT_EQ(db.exec("create table fields (pk text primary key, ID text, title text, updated "
                      "interger, entry_string text);"),
              SQLITE_OK);
    Statement s = db.prepare("insert into fields (pk, ID, title) values ('k', 'old', 'Old');");
    ASSERT_TRUE(s.execute());
  }
  {
    Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(subs);
    std::vector<std::string> names = subs->database()->columnNames("fields");
    EXPECT_EQ(names.size(), 14u);
    EXPECT_EQ(names[1], "ID");  // present in another case: not added again
    EXPECT_EQ(names.back(), "book_updated_time");
    // Once its columns are complete the file gets the indexes too: a user's rows and a row by
    // id are searched for, not scanned.
    for (const char* sql : {"select count(*) from fields where user_name='u'",
                            "select title from fields where id='old' and user_name='u'"}) {
      Statement plan = subs->database()->prepare(std::string("explain query plan ") + sql);
      std::string steps;
      while (plan.next()) steps += plan.columnString(3) + ";";
      EXPECT_NE(steps.find("INDEX"), std::string::npos) << sql << ": " << steps;
    }
  }
  EXPECT_FALSE(fs::exists(oldDir));
  const fs::path moved = Paths::documents() / "userEntry" / "userSubscribe.db";
  ASSERT_TRUE(fs::exists(moved));
  Database db;
  ASSERT_EQ(db.open(moved.string()), SQLITE_OK);
  Statement s = db.prepare("select title from fields where pk='k';");
  ASSERT_TRUE(s.next());
  EXPECT_EQ(s.columnText(0), "Old");
  // A second open finds nothing to add.
  EXPECT_TRUE(EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe));
  EXPECT_EQ(db.columnNames("fields").size(), 14u);
}

TEST_F(EntryPersistenterTest, SyncIsNeededWhenTheGuestStoredAfterTheLastSync) {
  ScopedFakeClock clock(1500000000000);
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  EXPECT_FALSE(subs->isNeedSync(std::string("alice")));  // guest has nothing
  EXPECT_FALSE(fs::exists(Paths::documents() / "userEntry" / "userSubscribeTime.db"));

  CommInfo::setUsername(std::string(EntryPersistenter::kGuestUserName));
  ASSERT_TRUE(subs->insertEntry(column("g", "G")));
  EXPECT_TRUE(subs->isNeedSync(std::string("alice")));  // never synced

  clock->advance(10);
  ASSERT_TRUE(subs->saveCurrentTimeWhenSync(std::string("alice")));
  EXPECT_FALSE(subs->isNeedSync(std::string("alice")));
  EXPECT_TRUE(subs->isNeedSync(std::string("bob")));

  clock->advance(10);
  ASSERT_TRUE(subs->insertEntry(column("g2", "G2")));
  EXPECT_TRUE(subs->isNeedSync(std::string("alice")));

  // Favourites keep their own time file.
  Store favs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  ASSERT_TRUE(favs->saveCurrentTimeWhenSync(std::string("alice")));
  EXPECT_TRUE(fs::exists(Paths::documents() / "userEntry" / "userFavoriteTime.db"));
  EXPECT_TRUE(subs->isNeedSync(std::string("alice")));
}

// Leaves `file` as a crash in the middle of `sql` would: pages of the unfinished write already
// in the file and the hot journal that undoes them beside it.
void leaveInterruptedWrite(const fs::path& file, const char* sql) {
  const fs::path journal = file.string() + "-journal";
  const fs::path savedFile = file.string() + ".crash";
  const fs::path savedJournal = journal.string() + ".crash";
  {
    Database db;
    ASSERT_EQ(db.open(file.string()), SQLITE_OK);
    ASSERT_EQ(db.exec("pragma cache_size=1;"), SQLITE_OK);
    Transaction transaction(db);
    ASSERT_TRUE(transaction.ok());
    ASSERT_EQ(db.exec(sql), SQLITE_OK);
    // More pages than the cache holds, so the change is spilled into the file.
    ASSERT_EQ(db.exec("create table filler as with recursive n(i) as (select 1 union all select "
                      "i + 1 from n where i < 200) select randomblob(4000) as x from n;"),
              SQLITE_OK);
    ASSERT_TRUE(fs::exists(journal));
    fs::copy_file(file, savedFile);
    fs::copy_file(journal, savedJournal);
  }  // rolled back and closed
  fs::rename(savedFile, file);
  fs::rename(savedJournal, journal);
}

TEST_F(EntryPersistenterTest, SideFileReadsGetTheLastCommittedValueAfterACrash) {
  ScopedFakeClock clock(1500000000000);
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  const fs::path root = Paths::documents() / "userEntry";

  ASSERT_TRUE(subs->setUserDefinedValue(std::string("SubSequenceUpdateTime"), std::string("42")));
  ASSERT_NO_FATAL_FAILURE(leaveInterruptedWrite(root / "userDefined.db",
                                                "update fields2 set myvalue='half-written';"));
  EXPECT_EQ(subs->getUserDefinedValue(std::string("SubSequenceUpdateTime")), "42");

  CommInfo::setUsername(std::string(EntryPersistenter::kGuestUserName));
  ASSERT_TRUE(subs->insertEntry(column("g", "G")));
  clock->advance(10);
  ASSERT_TRUE(subs->saveCurrentTimeWhenSync(std::string("alice")));
  ASSERT_NO_FATAL_FAILURE(leaveInterruptedWrite(root / "userSubscribeTime.db",
                                                "update fields set last_cache_time=0;"));
  // The recorded sync is still found: no sync is asked for.
  EXPECT_FALSE(subs->isNeedSync(std::string("alice")));
  EXPECT_FALSE(fs::exists(root / "userSubscribeTime.db-journal"));
}

TEST_F(EntryPersistenterTest, SideFileFailuresLogSQLitesMessage) {
  const fs::path root = Paths::documents() / "userEntry";
  fs::create_directories(root);
  // Tables of the right names but without the columns the writes need.
  for (const auto& [file, sql] : {std::pair<const char*, const char*>{
                                      "userSubscribeTime.db", "create table fields (pk text);"},
                                  {"userDefined.db", "create table fields2 (id text);"}}) {
    Database db;
    ASSERT_EQ(db.open((root / file).string()), SQLITE_OK);
    ASSERT_EQ(db.exec(sql), SQLITE_OK);
  }
  VESKLogInit();
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  EXPECT_TRUE(subs);
  if (subs) {
    EXPECT_FALSE(subs->saveCurrentTimeWhenSync(std::string("alice")));
    EXPECT_FALSE(subs->setUserDefinedValue(std::string("k"), std::string("v")));
  }
  const std::optional<std::string> path = VESKLogGetLogFilepath();
  VESKLogUninit();
  ASSERT_TRUE(path);
  std::ifstream in(*path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  const std::string log = content.str();
  for (const char* line :
       {"]: EntryPersistenter: initWithDBopen opening\r\n",
        "]: EntryPersistenter: initWithDBopen opening for Subscribe\r\n",
        "]: EntryPersistenter: tableCheck\r\n",
        "]: saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync opening for Subscribe\r\n",
        "]: saveCurrentTimeWhenSync: triggerSaveCurrentTimeForSync Failed to exec sql:table "
        "fields has no column named user_name\r\n",
        "]: setUserDefinedValue: opening for UserDefinedDB\r\n",
        "]: setUserDefinedValue: Failed to exec sql:table fields2 has no column named "
        "user_name\r\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  }
}

TEST_F(EntryPersistenterTest, ConcurrentWritersGetDistinctOrderNumbers) {
  Store subs = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  ASSERT_TRUE(subs);
  std::atomic<int> failures{0};
  auto writer = [&](const std::string& prefix) {
    for (int i = 0; i < 100; ++i) {
      if (!subs->insertEntry(column(prefix + std::to_string(i), "T"))) ++failures;
      if (!subs->allocReadEntriesInFeed(std::nullopt)) ++failures;
    }
  };
  std::thread a(writer, "a"), b(writer, "b");
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
  Statement s = subs->database()->prepare(
      "select count(*), count(distinct order_id), max(order_id) from fields;");
  ASSERT_TRUE(s.next());
  EXPECT_EQ(s.columnInt(0), 200);
  EXPECT_EQ(s.columnInt(1), 200);
  EXPECT_EQ(s.columnInt(2), 200);
}

TEST_F(EntryPersistenterTest, WritersOnTwoConnectionsWaitForEachOthersLock) {
  // Two store objects on the same file (as two processes would be) each write with their own
  // connection: a writer that finds the other's lock waits for it instead of failing.
  Store first = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  Store second = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceFavorite);
  ASSERT_TRUE(first && second);
  std::atomic<int> failures{0};
  auto writer = [&](const Store& store, const std::string& prefix) {
    for (int i = 0; i < 50; ++i) {
      const std::string id = prefix + std::to_string(i);
      if (!store->insertEntry(article(id, "T"))) ++failures;
      // A batch reads the largest order number, then writes, in one transaction.
      if (!store->insertEntries({article(id + "x", "T"), article(id + "y", "T")})) ++failures;
      if (!store->isEntryExist(id)) ++failures;
    }
  };
  std::thread a(writer, std::cref(first), "a"), b(writer, std::cref(second), "b");
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(first->countReadEntries(), 300);
}

}  // namespace
}  // namespace zu
