// Login, column list, subscription and refresh tasks against the sample service.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/CommInfo.h"
#include "engine/cache/CacheTestSupport.h"
#include "engine/cache/ColumnCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/core/DESettings.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/UrlManager.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/HttpEngineHooks.h"
#include "engine/core/TaskEngine.h"
#include "engine/http/HttpDataEngine.h"
#include "engine/http/HttpEngineManager.h"
#include "engine/http/HttpEngineUtils.h"
#include "engine/cache/FileCache.h"
#include "platform/net/UrlRequest.h"
#include "engine/tasks/columns/UpdateColumnBatchTask.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskSubscribe.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"
#include "common/ServiceHosts.h"
#include "platform/sqlite/Database.h"
#include "store/EntryPersistenter.h"
#include "testing/XmlWellFormedness.h"

namespace zu {
namespace {

using testing::EngineFixture;
using testing::ServiceUrlProbeTask;
using testing::readIndex;

std::string sampleDocument(const std::string& name) {
  std::ifstream in(std::string(ZU_SOURCE_DIR) + "/tools/sample-service/documents/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> idsOf(const std::vector<std::shared_ptr<Entry>>& entries) {
  std::vector<std::string> ids;
  for (const auto& e : entries) ids.push_back(e->entryId().value_or("?"));
  return ids;
}

std::shared_ptr<Link> linkTo(const std::string& href) {
  auto link = std::make_shared<Link>();
  link->setHref(href);
  return link;
}

class ColumnTasksTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
  }

  // The service's columns with their article lists: its recommended list (fetched through the
  // column list task) without platform 0's microblog column, which needs a bound account.
  // The URL table is filled first, as the catalogue's fetch at the home screen's start does.
  std::vector<std::shared_ptr<Column>> catalogue() {
    if (!gUrlManager()->isEverSet()) {
      EXPECT_EQ(runTask(std::make_shared<ServiceUrlProbeTask>())->code, 0);
    }
    auto task = engine_->createGetServerColumnsTask(linkTo(service_.baseUrl() + "/sub/recommend.atom"));
    auto finish = runTask(task);
    EXPECT_TRUE(finish && finish->code == 0);
    std::vector<std::shared_ptr<Column>> columns;
    for (const auto& feed : observer_->feedsOf(task)) {
      for (const auto& e : *feed->entrys()) {
        // The four columns of columns.xml: the microblog-kind ones (platform 0's and the
        // sample's own) are left out.
        if (e->veskCustomization() && e->veskCustomization()->isMBlogType()) continue;
        if (e->veskEntryStatus() && e->veskEntryStatus()->type() == 5) continue;
        columns.push_back(std::dynamic_pointer_cast<Column>(e));
      }
    }
    return columns;
  }
  std::shared_ptr<Column> catalogueColumn(const std::string& id) {
    for (const auto& c : catalogue()) {
      if (c->entryId() == id) return c;
    }
    return nullptr;
  }
  std::shared_ptr<EntryPersistenter> store() { return engine_->getSubPersist(); }
};

TEST_F(ColumnTasksTest, LoginSucceedsMapsEachRefusalAndShortcutsTheLastLogin) {
  // The URL table is empty at start: the login fetches it first and asks the plain address.
  auto login = engine_->createLoginTask(std::string("Reader"), std::string("pw"), false);
  auto finish = runTask(login);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  EXPECT_EQ(observer_->feedsOf(login).size(), 1u);
  auto asked = service_.requestsTo("/login");
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back().query, "");
  EXPECT_EQ(asked.back().headers.count("authorization"), 1u);

  engine_->setUsername(std::string("reader"), std::string("pw"));
  EXPECT_FALSE(engine_->isAnonymous());
  service_.clearRequests();
  // The same pair again needs no request; forced, it does (now with the device id).
  EXPECT_EQ(
      runTask(engine_->createLoginTask(std::string("READER"), std::string("pw"), false))->code, 0);
  EXPECT_TRUE(service_.requestsTo("/login").empty());
  EXPECT_EQ(runTask(engine_->createLoginTask(std::string("reader"), std::string("pw"), true))->code,
            0);
  ASSERT_FALSE(service_.requestsTo("/login").empty());
  EXPECT_EQ(service_.requestsTo("/login").back().query.rfind("did=", 0), 0u);

  const std::pair<int, int> refusals[] = {{12, -1004}, {11, -1003}, {10, -1002},
                                          {2, -1001},  {1, -1000},  {7, -100007}};
  for (const auto& [reason, expected] : refusals) {
    service_.refuseLogin("locked", reason);
    auto refused = engine_->createLoginTask(std::string("locked"), std::string("pw"), false);
    auto result = runTask(refused);
    ASSERT_TRUE(result) << reason;
    EXPECT_EQ(result->code, expected) << reason;
    EXPECT_TRUE(observer_->feedsOf(refused).empty());
  }
  // A refusal by the service forgets the stored login.
  EXPECT_FALSE(engine_->getLastLoginUsername());

  auto missing = engine_->createLoginTask(std::string("reader"), std::nullopt, false);
  EXPECT_EQ(runTask(missing)->code, kErrInvalidArg);
  // Names that would leave the user's folders are refused before any request.
  const size_t before = service_.requests().size();
  for (const std::string& name : {std::string(".."), std::string("../reader"), std::string("a/b"),
                                 std::string("re\0ader", 7), std::string(), std::string(256, 'r'),
                                 std::string("reader----2"), std::string("-reader")}) {
    EXPECT_EQ(runTask(engine_->createLoginTask(name, std::string("pw"), false))->code,
              kErrInvalidArg)
        << name;
  }
  EXPECT_EQ(service_.requests().size(), before);
}

TEST_F(ColumnTasksTest, ServerListsFlattenSubListsAndMarkWhatIsSubscribedHere) {
  auto all = catalogue();
  ASSERT_EQ(all.size(), 4u);
  ASSERT_TRUE(store()->insertEntry(all[0]));  // col-news
  ASSERT_TRUE(store()->insertEntry(all[3]));  // col-video, then removed by the reader
  store()->setColumnDeletedMark(all[3]->entryId(), 1);

  auto town = engine_->createGetServerColumnsTask(linkTo(service_.baseUrl() + "/cat/town.atom"));
  ASSERT_EQ(runTask(town)->code, 0);
  auto feeds = observer_->feedsOf(town);
  ASSERT_EQ(feeds.size(), 1u);
  const auto entries = *feeds[0]->entrys();
  // The sub-list takes its group's place; a group without an address disappears.
  EXPECT_EQ(idsOf(entries),
            (std::vector<std::string>{"col-news", "col-photo", "col-rss", "col-video"}));
  EXPECT_EQ(entries[0]->veskSubscribe()->subscribed(), 1);
  EXPECT_EQ(entries[1]->veskSubscribe()->subscribed(), 0);
  EXPECT_EQ(entries[3]->veskSubscribe()->subscribed(), 0);
  // The list's images are fetched after it and reported one by one.
  auto images = observer_->imagesOf(town);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].url, service_.baseUrl() + "/img/thumb-news.png");
  EXPECT_EQ(images[0].code, 0);

  // A failing sub-list fails the whole list, and nothing is reported.
  service_.setStatusForPath("/cat/town-more.atom", 409);
  auto failing = engine_->createGetServerColumnsTask(linkTo(service_.baseUrl() + "/cat/town.atom"));
  EXPECT_EQ(runTask(failing)->code, -3409);
  EXPECT_TRUE(observer_->feedsOf(failing).empty());
  service_.setStatusForPath("/cat/town-more.atom", 0);

  // A microblog's list needs its bound account.
  auto microblog = std::make_shared<VeskCustomization>();
  microblog->setType(std::string("sinamblog"));
  auto unbound =
      engine_->createGetServerColumnsTask(linkTo(service_.baseUrl() + "/cat/town.atom"), microblog);
  EXPECT_EQ(runTask(unbound)->code, kErrBadState);
  EXPECT_TRUE(observer_->feedsOf(unbound).empty());

  auto search = engine_->createSearchTask(linkTo(service_.baseUrl() + "/cat/{searchTerms}.atom"),
                                          std::string("town"), 1);
  ASSERT_EQ(runTask(search)->code, 0);
  EXPECT_EQ(observer_->feedsOf(search).at(0)->entrys()->size(), 4u);
  EXPECT_EQ(runTask(engine_->createSearchTask(nullptr, std::string("x"), 1))->code, kErrInvalidArg);
}

TEST_F(ColumnTasksTest, LocalColumnsCarryCoversOnlyWhenAskedAndUnboundMicroblogsThePrompt) {
  // No columns yet: an empty list, not a failure.
  auto empty = engine_->createGetSubscribedColumnsTask(true);
  EXPECT_EQ(runTask(empty)->code, 0);
  ASSERT_EQ(observer_->feedsOf(empty).size(), 1u);
  ASSERT_TRUE(observer_->feedsOf(empty).at(0)->entrys());
  EXPECT_TRUE(observer_->feedsOf(empty).at(0)->entrys()->empty());

  auto news = catalogueColumn("col-news");
  ASSERT_TRUE(news);
  ASSERT_TRUE(store()->insertEntry(news));
  const Bytes cover{1, 2, 3};
  engine_->getColumnCache()->saveCover(news->entryId(), news->coverImageLink()->href(), cover);
  auto microblog = std::make_shared<Column>();
  microblog->setEntryId(std::string("col-mblog"));
  microblog->setTitle(std::string("Harbour master's microblog"));
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(std::string("zelvanemblog"));
  microblog->setVeskCustomization(customization);
  ASSERT_TRUE(store()->insertEntry(microblog));

  for (bool images : {false, true}) {
    auto task = engine_->createGetSubscribedColumnsTask(images);
    ASSERT_EQ(runTask(task)->code, 0);
    const auto entries = *observer_->feedsOf(task).at(0)->entrys();
    ASSERT_EQ(idsOf(entries), (std::vector<std::string>{"col-news", "col-mblog"}));
    auto first = std::dynamic_pointer_cast<Column>(entries[0]);
    EXPECT_EQ(first->coverImageData().has_value(), images);
    if (images) {
      EXPECT_EQ(*first->coverImageData(), cover);
    }
    ASSERT_TRUE(entries[1]->content());
    EXPECT_EQ(entries[1]->content()->data(), "绑定zu微博后继续阅读...");
  }
}

TEST_F(ColumnTasksTest, SubscribingReachesServiceAndStoreAfterPendingDeletions) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  auto news = catalogueColumn("col-news");
  auto photo = catalogueColumn("col-photo");
  ASSERT_TRUE(news && photo);

  auto add = engine_->createAddSubscribedColumnTask(news, std::nullopt);
  ASSERT_EQ(runTask(add)->code, 0);
  ASSERT_EQ(observer_->entriesOf(add).size(), 1u);
  EXPECT_TRUE(store()->isEntryExist(news->entryId()));
  EXPECT_EQ(service_.subscriptions(), std::vector<std::string>{"col-news"});
  auto posted = service_.requestsTo("/sub/add.atom").back().body;
  EXPECT_NE(posted.find("Harbour Morning News"), std::string::npos);

  // Removing only marks the column; the next add first tells the service about it.
  engine_->markColumnDeleted(news);
  EXPECT_TRUE(store()->isColumnExistWithDeletedMark(news->entryId(), nullptr));
  service_.clearRequests();
  ASSERT_EQ(runTask(engine_->createAddSubscribedColumnTask(photo, std::string("Walks")))->code, 0);
  std::vector<SampleService::Request> order;
  for (const auto& r : service_.requests()) {
    if (r.path.rfind("/sub/", 0) == 0) order.push_back(r);
  }
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0].path, "/sub/del.atom");
  EXPECT_EQ(order[1].path, "/sub/add.atom");
  EXPECT_NE(order[1].body.find("Walks"), std::string::npos);
  EXPECT_FALSE(store()->isEntryExist(news->entryId()));
  EXPECT_TRUE(store()->isEntryExist(photo->entryId()));
  EXPECT_EQ(service_.subscriptions(), std::vector<std::string>{"col-photo"});

  // A failing deletion sync ends the add with its failure, before any add request.
  engine_->markColumnDeleted(photo);
  service_.setStatusForPath("/sub/del.atom", 409);
  service_.clearRequests();
  EXPECT_EQ(runTask(engine_->createAddSubscribedColumnTask(news, std::nullopt))->code, -3409);
  EXPECT_TRUE(service_.requestsTo("/sub/add.atom").empty());
  service_.setStatusForPath("/sub/del.atom", 0);

  // The service refusing the column gives its server code.
  auto unknown = std::make_shared<Column>();
  unknown->setEntryId(std::string("col-unknown"));
  unknown->setTitle(std::string("Nobody's column"));
  EXPECT_EQ(runTask(engine_->createAddSubscribedColumnTask(unknown, std::nullopt))->code, -100101);
  EXPECT_EQ(
      runTask(engine_->createAddSubscribedColumnTask(std::make_shared<Column>(), std::nullopt))
          ->code,
      kErrInvalidArg);
}

TEST_F(ColumnTasksTest, AnAddCancelledWhileDeletionsSyncIsNeverSent) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  auto news = catalogueColumn("col-news");
  auto photo = catalogueColumn("col-photo");
  ASSERT_TRUE(news && photo);
  ASSERT_EQ(runTask(engine_->createAddSubscribedColumnTask(news, std::nullopt))->code, 0);
  engine_->markColumnDeleted(news);
  ASSERT_TRUE(waitUntilIdle());
  service_.clearRequests();
  service_.setResponseDelay("/sub/del.atom", 1000);
  auto add = engine_->createAddSubscribedColumnTask(photo, std::nullopt);
  engine_->asyncRunTask(add);
  engine_->asyncCancelTask(add);  // runs after the task's start on the task thread
  auto finish = observer_->waitForFinish(add);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrCancelled);
  service_.setResponseDelay("/sub/del.atom", 0);
  ASSERT_TRUE(service_.waitForRequests("/sub/del.atom", 1, std::chrono::seconds(20)));
  ASSERT_TRUE(waitUntilIdle());
  // The deletion still reached the service; the cancelled add did not.
  EXPECT_TRUE(service_.requestsTo("/sub/add.atom").empty());
  EXPECT_FALSE(store()->isEntryExist(photo->entryId()));
}

TEST_F(ColumnTasksTest, DeletionsWaitingAtLoginAreSyncedAndTheGuestsAreNot) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  auto news = catalogueColumn("col-news");
  ASSERT_EQ(runTask(engine_->createAddSubscribedColumnTask(news, std::nullopt))->code, 0);
  engine_->markColumnDeleted(news);
  engine_->logout();
  // The guest's removal is immediate and never reaches the service.
  auto video = catalogueColumn("col-video");
  ASSERT_TRUE(store()->insertEntry(video));
  engine_->markColumnDeleted(video);
  EXPECT_FALSE(store()->isEntryExist(video->entryId()));

  engine_->setUsername(std::string("reader"), std::string("pw"));
  ASSERT_TRUE(service_.waitForRequests("/sub/del.atom", 1, std::chrono::seconds(20)));
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_EQ(service_.requestsTo("/sub/del.atom").size(), 1u);
  EXPECT_TRUE(service_.subscriptions().empty());
  EXPECT_FALSE(store()->isEntryExist(news->entryId()));
}

TEST_F(ColumnTasksTest, BatchRefreshRunsThreeAtATimeAndReportsWhatChanged) {
  // A fifth column the catalogue knows, sharing the news column's articles.
  std::string columns = sampleDocument("columns.xml");
  std::string fifth = columns.substr(columns.find("<entry>"),
                                     columns.find("</entry>") + 8 - columns.find("<entry>"));
  fifth.replace(fifth.find("<id>col-news</id>"), 17, "<id>col-news-2</id>");
  std::string withFifth = columns;
  withFifth.insert(withFifth.rfind("</feed>"), fifth + "\n");
  service_.setDocument("columns.xml", withFifth);
  auto all = catalogue();
  ASSERT_EQ(all.size(), 5u);
  for (const auto& c : all) ASSERT_TRUE(store()->insertEntry(c));

  auto refresh = [&](const std::vector<std::shared_ptr<Column>>& list) {
    auto task = engine_->createUpdateColumnBatchTask(list);
    auto finish = runTask(task);
    EXPECT_TRUE(finish);
    std::vector<testing::EngineResultRecorder::ColumnEvent> events;
    for (const auto& e : observer_->columnEvents()) {
      if (e.task == task) events.push_back(e);
    }
    return std::make_pair(finish ? finish->code : 1, events);
  };

  auto [code, events] = refresh(all);
  EXPECT_EQ(code, 0);
  ASSERT_EQ(events.size(), 10u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(events[i].kind, "will") << i;
  EXPECT_EQ(events[3].kind, "did");
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [](const auto& e) { return e.kind == "did" && e.changed; }),
            5);
  EXPECT_EQ(store()->getColumnLastestSummaryId(std::string("col-news")), "art-news-3");
  // Missing covers were fetched and kept for the column.
  EXPECT_TRUE(engine_->getColumnCache()->loadCover(std::string("col-news"),
                                                   all[0]->coverImageLink()->href()));
  EXPECT_TRUE(engine_->getColumnCache()->loadCoverThumbnail(
      std::string("col-news"), all[0]->coverImageThumbnailLink()->href()));

  // Nothing new: the article list is asked conditionally (the service answers 304) and
  // nothing counts as changed.
  service_.clearRequests();
  auto news = std::vector<std::shared_ptr<Column>>{all[0]};
  auto [again, unchanged] = refresh(news);
  EXPECT_EQ(again, 0);
  ASSERT_EQ(unchanged.size(), 2u);
  EXPECT_FALSE(unchanged[1].changed);
  auto listed = service_.requestsTo("/col/news.atom");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].headers.count("if-none-match"), 1u);
  const int64_t recorded = store()->getEntryLastCacheTime(std::string("col-news"));
  EXPECT_NE(recorded, 0);

  // The column's time moves but its newest article stays: not changed, time not recorded.
  std::string moved = withFifth;
  moved.replace(moved.find("2026-01-05T07:30:00Z", moved.find("<id>col-news</id>")), 20,
                "2026-01-06T07:30:00Z");
  service_.setDocument("columns.xml", moved);
  auto [sameArticles, stillUnchanged] = refresh(news);
  EXPECT_FALSE(stillUnchanged.at(1).changed);
  EXPECT_EQ(store()->getEntryLastCacheTime(std::string("col-news")), recorded);

  // A new newest article as well: changed, and both the time and the article are recorded.
  std::string articles = sampleDocument("column-news.xml");
  articles.replace(articles.find("<id>art-news-3</id>"), 19, "<id>art-news-4</id>");
  service_.setDocument("column-news.xml", articles);
  auto [fresh, changed] = refresh(news);
  EXPECT_TRUE(changed.at(1).changed);
  EXPECT_EQ(store()->getColumnLastestSummaryId(std::string("col-news")), "art-news-4");
  EXPECT_NE(store()->getEntryLastCacheTime(std::string("col-news")), recorded);

  EXPECT_EQ(runTask(engine_->createUpdateColumnBatchTask({}))->code, 0);
}

// A refresh keeps no copy of the refresh POST's answer; an unchanged refresh (304) rewrites
// neither the first page nor the store; and the validators kept with the page let the list be
// asked conditionally after the response cache dropped its copy.
TEST_F(ColumnTasksTest, UnchangedRefreshWritesNothingAndKeepsAskingConditionally) {
  auto news = catalogueColumn("col-news");
  ASSERT_TRUE(news);
  ASSERT_TRUE(store()->insertEntry(news));
  const auto& responses = HttpDataEngine::sharedInstance()->responseCache();
  const int itemsBefore = responses->getCachedItemsCount(0);
  auto refresh = [&] {
    auto task = engine_->createUpdateColumnBatchTask({news});
    auto finish = runTask(task);
    bool changed = false;
    for (const auto& e : observer_->columnEvents()) {
      if (e.task == task && e.kind == "did") changed = e.changed;
    }
    return std::make_pair(finish ? finish->code : 1, changed);
  };
  ASSERT_EQ(refresh(), std::make_pair(0, true));
  // The article list only: the refresh POST's answer is not kept.
  EXPECT_EQ(responses->getCachedItemsCount(0), itemsBefore + 1);

  const std::string href = *news->alternatelink()->href();
  const auto& cache = engine_->getColumnCache();
  const std::string page = cache->getPath("col-news", href, ColumnCache::kFirstPagePrefix);
  auto kept = cache->loadFirstPage(std::string("col-news"), href);
  ASSERT_TRUE(kept);
  ASSERT_TRUE(cache->loadFirstPageValidators(std::string("col-news"), href));
  cache->flush();
  const struct timespec old[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, page.c_str(), old, 0), 0);
  struct stat before {};
  ASSERT_EQ(::stat(page.c_str(), &before), 0);
  sqlite3* db = store()->database()->handle();
  const int changesBefore = sqlite3_total_changes(db);

  service_.clearRequests();
  EXPECT_EQ(refresh(), std::make_pair(0, false));
  ASSERT_EQ(service_.requestsTo("/col/news.atom").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/col/news.atom")[0].headers.count("if-none-match"), 1u);
  cache->flush();
  struct stat after {};
  ASSERT_EQ(::stat(page.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, 1000);
  EXPECT_EQ(sqlite3_total_changes(db), changesBefore);

  // The column cache knows the page it holds: the list is asked with that page's validators
  // without the response cache, whose copy (another one here) is not read.
  const auto validators = cache->loadFirstPageValidators(std::string("col-news"), href);
  ASSERT_TRUE(validators && validators->etag);
  UrlRequest list;
  list.setUrl(href);
  list.setMethod("GET");
  const std::string key = HttpDataEngine::cacheKey(HttpEngineUtils::userName(), list);
  ASSERT_TRUE(responses->saveEnhanced(key, Bytes{'x'}, FileCache::kItemTypeNormal, 0, 0,
                                      std::string("\"other\""), std::nullopt));
  service_.clearRequests();
  EXPECT_EQ(refresh(), std::make_pair(0, false));
  ASSERT_EQ(service_.requestsTo("/col/news.atom").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/col/news.atom")[0].headers.at("if-none-match"), validators->etag);
  EXPECT_EQ(cache->loadFirstPage(std::string("col-news"), href), kept);

  // A restart forgets what the column cache knew. With the response cache's copy gone as well
  // (its size limit, say), the kept page stands in.
  responses->deleteFile(key);
  stopEngine();
  startEngine();
  ASSERT_FALSE(HttpDataEngine::sharedInstance()->cachedResponseForUser(
      HttpEngineUtils::userName(), &list));
  EXPECT_FALSE(engine_->getColumnCache()->knownFirstPage(std::string("col-news"), href));
  ASSERT_FALSE(catalogue().empty());  // the URL table, as at the home screen's start
  service_.clearRequests();
  EXPECT_EQ(refresh(), std::make_pair(0, false));
  ASSERT_EQ(service_.requestsTo("/col/news.atom").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/col/news.atom")[0].headers.at("if-none-match"), validators->etag);
  EXPECT_EQ(engine_->getColumnCache()->loadFirstPage(std::string("col-news"), href), kept);

  // A new list is a change again, and its page and validators replace the kept ones.
  std::string articles = sampleDocument("column-news.xml");
  articles.replace(articles.find("<id>art-news-3</id>"), 19, "<id>art-news-4</id>");
  service_.setDocument("column-news.xml", articles);
  std::string columns = sampleDocument("columns.xml");
  columns.replace(columns.find("2026-01-05T07:30:00Z", columns.find("<id>col-news</id>")), 20,
                  "2026-01-06T07:30:00Z");
  service_.setDocument("columns.xml", columns);
  const auto& restarted = engine_->getColumnCache();
  EXPECT_EQ(refresh(), std::make_pair(0, true));
  EXPECT_NE(restarted->loadFirstPage(std::string("col-news"), href), kept);
  EXPECT_NE(restarted->loadFirstPageValidators(std::string("col-news"), href), validators);
  EXPECT_EQ(store()->getColumnLastestSummaryId(std::string("col-news")), "art-news-4");
}

// An unchanged column whose page the column cache knows still takes a fresh copy of the response
// cache without asking; and when its list changed all the same, the 200 replaces the kept page,
// whose validators the next refresh sends.
TEST_F(ColumnTasksTest, AKnownPageGivesWayToAFreshCopyAndToANewList) {
  auto news = catalogueColumn("col-news");
  ASSERT_TRUE(news);
  ASSERT_TRUE(store()->insertEntry(news));
  auto refresh = [&] {
    auto finish = runTask(engine_->createUpdateColumnBatchTask({news}));
    return finish ? finish->code : 1;
  };
  ASSERT_EQ(refresh(), 0);
  const std::string href = *news->alternatelink()->href();
  const auto& cache = engine_->getColumnCache();
  cache->flush();
  const auto known = cache->knownFirstPage(std::string("col-news"), href);
  ASSERT_TRUE(known && known->etag);
  const auto page = cache->loadFirstPage(std::string("col-news"), href);
  ASSERT_TRUE(page);

  UrlRequest list;
  list.setUrl(href);
  list.setMethod("GET");
  const auto& responses = HttpDataEngine::sharedInstance()->responseCache();
  const std::string key = HttpDataEngine::cacheKey(HttpEngineUtils::userName(), list);
  ASSERT_TRUE(responses->saveEnhanced(key, *page, FileCache::kItemTypeNormal, 4000000000, 0,
                                      known->etag, std::nullopt));
  service_.clearRequests();
  EXPECT_EQ(refresh(), 0);
  EXPECT_EQ(service_.requestsTo("/col/news.atom").size(), 0u);
  responses->deleteFile(key);

  // The list changes while the column's row does not.
  std::string articles = sampleDocument("column-news.xml");
  articles.replace(articles.find("<id>art-news-3</id>"), 19, "<id>art-news-4</id>");
  service_.setDocument("column-news.xml", articles);
  cache->flush();
  ASSERT_TRUE(cache->knownFirstPage(std::string("col-news"), href));
  service_.clearRequests();
  EXPECT_EQ(refresh(), 0);
  ASSERT_EQ(service_.requestsTo("/col/news.atom").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/col/news.atom")[0].headers.at("if-none-match"), known->etag);
  EXPECT_NE(cache->loadFirstPage(std::string("col-news"), href), page);
  const auto replaced = cache->loadFirstPageValidators(std::string("col-news"), href);
  ASSERT_TRUE(replaced && replaced->etag);
  EXPECT_NE(replaced->etag, known->etag);
  service_.clearRequests();
  EXPECT_EQ(refresh(), 0);
  ASSERT_EQ(service_.requestsTo("/col/news.atom").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/col/news.atom")[0].headers.at("if-none-match"), replaced->etag);
}

// kill -9 while refreshes are in flight. A child process runs the engine over this home and
// refreshes the catalogue's columns again and again while the parent flips the news column
// between two versions of the service (its time and its newest article change together) and
// kills the child at varied moments. The reader's own writes the child reported as done, and
// what the reader set before, are all there; each column row is as one refresh left it, never
// half of one; a kept first page is a whole list.
class RefreshKillTest : public EngineFixture {
 protected:
  // Reads exactly `n` bytes, waiting at most 60 s for each piece: a stuck child fails the test
  // rather than hanging it.
  static bool readWithin(int fd, void* buffer, size_t n) {
    auto* out = static_cast<char*>(buffer);
    while (n > 0) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 60000) != 1) return false;
      ssize_t got = read(fd, out, n);
      if (got <= 0) return false;
      out += got;
      n -= static_cast<size_t>(got);
    }
    return true;
  }

  // Set in the child process, which runs this test binary again in the child's role.
  static constexpr const char* kChildRole = "ZU_REFRESH_KILL_CHILD";
  static constexpr const char* kTimeA = "2026-01-05T07:30:00Z";
  static constexpr const char* kTimeB = "2026-01-06T07:30:00Z";

  void setVersion(bool b) {
    std::string columns = sampleDocument("columns.xml");
    std::string articles = sampleDocument("column-news.xml");
    if (b) {
      columns.replace(columns.find(kTimeA, columns.find("<id>col-news</id>")), 20, kTimeB);
      articles.replace(articles.find("<id>art-news-3</id>"), 19, "<id>art-news-4</id>");
    }
    service_.setDocument("columns.xml", columns);
    service_.setDocument("column-news.xml", articles);
  }

  // The child: refreshes on each byte from `go`, writing a reader's mark while each refresh
  // runs and reporting its number once written, then 'R' when the refresh has finished.
  [[noreturn]] void runChild(int go, int progress) {
    startEngine();
    auto catalogueTask = engine_->createGetServerColumnsTask(nullptr);
    if (!runTask(catalogueTask)) _exit(3);
    auto store = engine_->getSubPersist();
    std::vector<std::shared_ptr<Column>> columns;
    auto subscribed = store->allocReadEntriesInFeed(std::nullopt);
    if (!subscribed || !subscribed->entrys()) _exit(8);
    for (const auto& e : *subscribed->entrys()) {
      columns.push_back(std::dynamic_pointer_cast<Column>(e));
    }
    for (int32_t mark = 1;; ++mark) {
      char c;
      if (read(go, &c, 1) != 1) _exit(4);
      auto task = engine_->createUpdateColumnBatchTask(columns);
      engine_->asyncRunTask(task);
      store->setColumnLastestShowedSummaryId(std::string("col-news"),
                                             "shown-" + std::to_string(mark));
      if (write(progress, &mark, sizeof mark) != sizeof mark) _exit(5);
      if (!observer_->waitForFinish(task)) _exit(6);
      c = 'R';
      if (write(progress, &c, 1) != 1) _exit(7);
    }
  }
};

TEST_F(RefreshKillTest, AKilledRefreshLosesNothingOfTheReadersAndTearsNoRow) {
  if (const char* role = std::getenv(kChildRole)) {
    // The child: "<go fd>,<progress fd>,<service host>,<home>" of the parent.
    std::vector<std::string> parts;
    std::stringstream in(role);
    for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
    if (parts.size() != 4) _exit(10);
    std::error_code ignored;
    std::filesystem::remove_all(home_.path(), ignored);
    Paths::setHomeForTesting(parts[3]);
    UserDefaults::resetStandardForTesting();
    Bundle::setMainBundleForTesting(std::filesystem::path(parts[3]) / "bundle");
    ServiceHosts::setAllHosts(parts[2]);
    runChild(std::stoi(parts[0]), std::stoi(parts[1]));
  }
  setVersion(false);
  {
    // The reader's columns, order and offline marks, made before any refresh.
    auto feed = VESKAtomParser::allocParseFeed(
        [&] {
          std::string text = sampleDocument("columns.xml");
          for (size_t at; (at = text.find("{base}")) != std::string::npos;) {
            text.replace(at, 6, service_.baseUrl());
          }
          return text;
        }(),
        kEntryKindColumn);
    ASSERT_TRUE(feed && feed->entrys() && feed->entrys()->size() == 4u);
    // The engine the child starts makes the guest current; the rows are the guest's.
    CommInfo::setUsername(std::string(EntryPersistenter::kGuestUserName));
    auto store = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(store);
    auto entries = *feed->entrys();
    std::reverse(entries.begin(), entries.end());
    ASSERT_TRUE(store->insertEntries(entries));
    store->setEntryOfflineDownload(std::string("col-photo"), 1);
  }
  struct tm a = {};
  a.tm_year = 2026 - 1900;
  a.tm_mday = 5;
  a.tm_hour = 7;
  a.tm_min = 30;
  const int64_t timeA = static_cast<int64_t>(timegm(&a)) * 1000;
  const int64_t timeB = timeA + 86400000;
  const std::string path = Paths::documents().string() + "/userEntry/" +
                           EntryPersistenter::kSubscribeFileName;

  int32_t reported = 0;  // the last reader's mark the child said was written
  bool versionB = false;
  for (int round = 0; round < 10; ++round) {
    int go[2], progress[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(progress), 0);
    // The child's arguments and environment are made here: between fork and exec the child
    // may only make calls that take no lock, as another thread of this process (the service's,
    // the engine's) may have held the allocator's or the environment's at the fork.
    std::string role = std::string(kChildRole) + "=" + std::to_string(go[0]) + "," +
                       std::to_string(progress[1]) + "," + service_.host() + "," +
                       home_.path().string();
    std::vector<char*> environment;
    for (char** variable = environ; *variable; ++variable) {
      if (std::string_view(*variable).rfind(std::string(kChildRole) + "=", 0) != 0) {
        environment.push_back(*variable);
      }
    }
    environment.push_back(role.data());
    environment.push_back(nullptr);
    char filter[] = "--gtest_filter=RefreshKillTest.*";
    char self[] = "/proc/self/exe";
    char* args[] = {self, filter, nullptr};
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // A fresh image of this test binary: a forked copy would carry the state earlier tests
      // of this process left behind (their threads are gone, their globals are not).
      close(go[1]);
      close(progress[0]);
      int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      dup2(quiet, 2);
      execve(self, args, environment.data());
      _exit(9);
    }
    close(go[0]);
    close(progress[1]);
    const int killAt = 1 + round % 3;
    for (int refresh = 0;; ++refresh) {
      versionB = !versionB;
      setVersion(versionB);
      char c = 'g';
      ASSERT_EQ(write(go[1], &c, 1), 1);
      int32_t mark = 0;
      if (!readWithin(progress[0], &mark, sizeof mark)) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        FAIL() << "the child ended or stalled early, round " << round;
      }
      reported = mark;
      if (refresh == killAt) {
        // Into the refresh: its transfers, its parsing or its writes.
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 13 % 80));
        break;
      }
      if (!readWithin(progress[0], &c, 1)) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        FAIL() << "the child's refresh did not finish, round " << round;
      }
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(go[1]);
    close(progress[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << " status " << status;

    Database db;
    ASSERT_EQ(db.open(path), SQLITE_OK);
    Statement rows = db.prepare(
        "select id, updated, source_saved_time, column_lastest_summary_id, order_id, "
        "need_offline_download, column_lastest_showed_summary_id from fields order by order_id;");
    std::vector<std::string> order;
    while (rows.next()) {
      const std::string id = rows.columnString(0);
      order.push_back(id);
      const int64_t updated = rows.columnInt64(1);
      const int64_t saved = rows.columnInt64(2);
      const auto summary = rows.columnText(3);
      EXPECT_EQ(rows.columnInt64(5), id == "col-photo" ? 1 : 0) << id;
      if (id != "col-news") {
        EXPECT_TRUE(saved == 0 || saved == updated) << id << " round " << round;
        continue;
      }
      // Never refreshed, or wholly as one refresh of version A or of version B left it.
      const bool untouched = saved == 0 && !summary && updated == timeA;
      const bool asA = saved == timeA && updated == timeA && summary == "art-news-3";
      const bool asB = saved == timeB && updated == timeB && summary == "art-news-4";
      EXPECT_TRUE(untouched || asA || asB)
          << "round " << round << ": updated " << updated << " saved " << saved << " summary "
          << summary.value_or("(none)");
      // The reader's mark the child reported, or the one it wrote after it.
      const auto shown = rows.columnText(6);
      EXPECT_TRUE(shown == "shown-" + std::to_string(reported) ||
                  shown == "shown-" + std::to_string(reported + 1))
          << "round " << round << ": " << shown.value_or("(none)") << " after " << reported;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"col-video", "col-rss", "col-photo", "col-news"}));
    // A kept first page is a whole list. A write the kill cut short leaves its temporary file
    // ("<page>.tmp.<pid>.<n>", never read; the next change of the page removes it).
    for (const auto& folder : FileUtil::listFolder(Paths::caches() / ColumnCache::kFolderName)) {
      for (const auto& file : FileUtil::listFolder(folder)) {
        const std::string name = file.filename().string();
        if (name.rfind(ColumnCache::kFirstPagePrefix, 0) != 0) continue;
        if (name.find(".tmp.") != std::string::npos) continue;
        auto page = FileUtil::readFile(file);
        ASSERT_TRUE(page);
        auto list = VESKAtomParser::allocParseFeed(
            std::string_view(reinterpret_cast<const char*>(page->data()), page->size()),
            kEntryKindNewsSummary);
        EXPECT_TRUE(list && list->entrys() && !list->entrys()->empty()) << file;
      }
    }
    // The response cache, written behind by its own thread in the child: once opened (which
    // finishes or drops a save the kill cut short), every row has a whole file of its size, and
    // every kept answer is a whole document.
    auto responses = FileCache::create(
        HttpDataEngine::kResponseCacheName,
        (Paths::caches() / FileCacheManager::kRootFolderName).string());
    ASSERT_TRUE(responses);
    const auto kept = readIndex(std::filesystem::path(responses->fileDirectory())
                                    .parent_path()
                                    .append(FileCache::kIndexFileName)
                                    .string());
    EXPECT_FALSE(kept.empty()) << "round " << round;
    for (const auto& row : kept) {
      auto body = FileUtil::readFile(responses->fileDirectory() + "/" + row.uid);
      ASSERT_TRUE(body) << "round " << round;
      EXPECT_EQ(static_cast<int64_t>(body->size()), row.size) << "round " << round;
      EXPECT_EQ(XmlWellFormedness::namespaceFaults(
                    std::string_view(reinterpret_cast<const char*>(body->data()), body->size())),
                "")
          << "round " << round;
    }
  }
}

// Without an engine to refresh on (the engine manager gone), every column announced still gets
// its answer, unchanged, so no tile waits for good; the batch ends with -8.
TEST_F(ColumnTasksTest, BatchWithoutAnEngineAnswersEveryColumnItAnnounced) {
  auto all = catalogue();
  auto manager = HttpEngineManager::globalInstance();
  HttpEngineHooks::install(nullptr);
  auto task = engine_->createUpdateColumnBatchTask(all);
  auto finish = runTask(task);
  HttpEngineHooks::install(manager);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrBadState);
  std::string events;
  for (const auto& e : observer_->columnEvents()) {
    if (e.task == task) events += e.kind + (e.changed ? "+ " : " ");
  }
  EXPECT_EQ(events, "will did will did will did will did ");
}

TEST_F(ColumnTasksTest, BackgroundRefreshIsSilentUnlessForcedAndFavouritesOnlyKeepTheirPage) {
  auto news = catalogueColumn("col-news");
  ASSERT_TRUE(store()->insertEntry(news));
  ASSERT_EQ(runTask(engine_->createUpdateColumnTask(news))->code, 0);

  auto quiet = std::make_shared<UpdateColumnBatchTask>(news, true);
  engine_->asyncRunTask(quiet);
  ASSERT_TRUE(waitUntilIdle());
  ASSERT_TRUE(quiet->isDone());
  EXPECT_TRUE(observer_->backgroundColumns().empty());
  EXPECT_FALSE(observer_->finishOf(quiet));

  auto forced = std::make_shared<UpdateColumnBatchTask>(news, true);
  forced->setForceNotify(true);
  engine_->asyncRunTask(forced);
  ASSERT_TRUE(waitUntilIdle());
  ASSERT_TRUE(forced->isDone());
  ASSERT_EQ(observer_->backgroundColumns().size(), 1u);
  EXPECT_EQ(observer_->backgroundColumns()[0]->entryId(), "col-news");

  // The guest's favourites live here only; a user's refresh keeps the list's first page.
  service_.clearRequests();
  auto guestFavorites = engine_->createFavoriteColumn();
  EXPECT_EQ(runTask(std::make_shared<UpdateColumnBatchTask>(guestFavorites, false))->code, 0);
  EXPECT_TRUE(service_.requests().empty());
  engine_->setUsername(std::string("reader"), std::string("pw"));
  auto favorites = engine_->createFavoriteColumn();
  favorites->setEntryId(std::string("favorites"));
  EXPECT_EQ(runTask(std::make_shared<UpdateColumnBatchTask>(favorites, false))->code, 0);
  EXPECT_EQ(service_.requestsTo("/fav/get.atom").size(), 1u);
  EXPECT_TRUE(service_.requestsTo("/sub/refresh.atom").empty());
  EXPECT_TRUE(engine_->getColumnCache()->loadFirstPage(favorites->entryId(),
                                                       favorites->alternatelink()->href()));
}

TEST_F(ColumnTasksTest, ColumnOrderIsSavedOnTheServiceForAUserOnly) {
  auto all = catalogue();
  for (const auto& c : all) ASSERT_TRUE(store()->insertEntry(c));
  engine_->updateSubscribedColumnsOrder({all[2], all[0], all[1], all[3]});
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(service_.requestsTo("/sub/sequence.atom").empty());

  engine_->setUsername(std::string("reader"), std::string("pw"));
  for (const auto& c : all) ASSERT_TRUE(store()->insertEntry(c));
  service_.setSubscriptions({"col-news", "col-photo", "col-rss", "col-video"});
  // The service answers the order a second late, so the time of the local change is still kept
  // when it is looked at, however fast the task thread runs.
  service_.setResponseDelay("/sub/sequence.atom", 1000);
  engine_->updateSubscribedColumnsOrder({all[3], all[1], all[0], all[2]});
  EXPECT_NE(DESettings::getSubSequenceLocalChangeTime(), 0);
  ASSERT_TRUE(service_.waitForRequests("/sub/sequence.atom", 1, std::chrono::seconds(20)));
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_EQ(service_.subscriptions(),
            (std::vector<std::string>{"col-video", "col-photo", "col-news", "col-rss"}));
  EXPECT_EQ(DESettings::getSubSequenceLocalChangeTime(), 0);
}

}  // namespace
}  // namespace zu
