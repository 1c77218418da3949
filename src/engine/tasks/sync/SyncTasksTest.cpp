// The account sync, guest sync, deletion sync and offline favourites upload against the sample
// service.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/CommInfo.h"
#include "common/ServiceHosts.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/DESettings.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/tasks/sync/SyncDeleteStatusTask.h"
#include "engine/tasks/sync/SyncOfflineAddedFavoriteNewsTask.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/columns/MinMaxValue.h"
#include "model/entry/NewsSummary.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskThumbnail.h"
#include "store/BookLinkCache.h"
#include "store/EntryPersistenter.h"
#include "platform/runtime/Paths.h"
#include "testing/LoopbackServer.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using testing::EngineFixture;

std::vector<std::string> idsOf(const std::shared_ptr<Feed>& feed) {
  std::vector<std::string> ids;
  if (!feed || !feed->entrys()) return ids;
  for (const auto& e : *feed->entrys()) ids.push_back(e->entryId().value_or("?"));
  return ids;
}

// Hears a deletion sync's finish.
class DeleteStatusListener : public SyncDeleteStatusTaskDelegate {
 public:
  void onSyncDeleteStatusTaskFinished(SyncDeleteStatusTask*, int errCode,
                                      const std::optional<std::string>&) override {
    code = errCode;
    RunLoop::main()->post([] {});
  }
  std::atomic<int> code{1};
};

class SyncTasksTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    // The catalogue, fetched through the list task, fills the URL table; the columns with their
    // article lists are the recommended ones.
    ASSERT_EQ(runTask(engine_->createGetServerColumnsTask(nullptr))->code, 0);
    auto recommended = std::make_shared<Link>();
    recommended->setHref(service_.baseUrl() + "/sub/recommend.atom");
    auto list = engine_->createGetServerColumnsTask(recommended);
    ASSERT_EQ(runTask(list)->code, 0);
    for (const auto& feed : observer_->feedsOf(list)) {
      for (const auto& e : *feed->entrys()) catalogue_.push_back(std::dynamic_pointer_cast<Column>(e));
    }
    ASSERT_EQ(catalogue_.size(), 6u);
  }

  std::shared_ptr<EntryPersistenter> store() { return engine_->getSubPersist(); }
  std::shared_ptr<Column> column(const std::string& id) {
    for (const auto& c : catalogue_) {
      if (c->entryId() == id) return c;
    }
    return nullptr;
  }
  // The current user's columns in store order.
  std::vector<std::string> stored() { return idsOf(store()->allocReadEntriesInFeed(std::nullopt)); }
  void login(const std::string& user) {
    engine_->setUsername(user, std::string("pw"));
    ASSERT_TRUE(waitUntilIdle());
    service_.clearRequests();
  }
  int sync() {
    auto finish = runTask(engine_->createSyncAccountDataTask());
    EXPECT_TRUE(finish);
    return finish ? finish->code : 1;
  }
  // The ids a request body names, in order.
  static std::vector<std::string> idsIn(const std::string& body) {
    std::vector<std::string> ids;
    for (size_t at = body.find("<id>"); at != std::string::npos; at = body.find("<id>", at + 1)) {
      ids.push_back(body.substr(at + 4, body.find("</id>", at) - at - 4));
    }
    return ids;
  }

  static std::shared_ptr<NewsSummary> favourite(const std::string& id) {
    auto entry = std::make_shared<NewsSummary>();
    entry->setEntryId(id);
    entry->setTitle("title " + id);
    return entry;
  }
  std::vector<std::string> guestFavourites() {
    return idsOf(engine_->getFavPersist()->allocReadEntriesInFeedwithUsername(
        std::nullopt, std::string(DataEngine::kGuestUserName), false));
  }

  std::vector<std::shared_ptr<Column>> catalogue_;
};

TEST_F(SyncTasksTest, FirstLoginUploadsTheGuestsColumnsOncePerDevice) {
  for (const char* id : {"col-news", "col-photo", "col-video"}) {
    ASSERT_TRUE(store()->insertEntry(column(id)));
  }
  login("alice");
  ASSERT_TRUE(engine_->isUserFirstLogin());
  ASSERT_EQ(sync(), 0);
  auto uploads = service_.requestsTo("/sub/add.atom");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].method, "POST");
  EXPECT_EQ(uploads[0].headers["content-type"], "application/atom+xml");
  EXPECT_EQ(idsIn(uploads[0].body),
            (std::vector<std::string>{"col-news", "col-photo", "col-video"}));
  // The summary followed and its columns are alice's now.
  EXPECT_EQ(service_.requestsTo("/sub/summary.atom").size(), 1u);
  EXPECT_EQ(stored(), (std::vector<std::string>{"col-news", "col-photo", "col-video"}));
  EXPECT_TRUE(DESettings::guestSubscribeColumnEverSync());
  // The profile was kept where the profile screen reads it.
  auto profile = engine_->getLoginUserInfo();
  ASSERT_TRUE(profile);
  ASSERT_TRUE(profile->name());
  EXPECT_EQ(profile->name()->value(), "Sample reader");

  // Later syncs of alice, and the first login of another user, upload nothing.
  service_.clearRequests();
  ASSERT_EQ(sync(), 0);
  EXPECT_TRUE(service_.requestsTo("/sub/add.atom").empty());
  EXPECT_EQ(service_.requestsTo("/sub/summary.atom").size(), 1u);
  engine_->logout();
  login("bob");
  ASSERT_TRUE(engine_->isUserFirstLogin());
  ASSERT_EQ(sync(), 0);
  EXPECT_TRUE(service_.requestsTo("/sub/add.atom").empty());
  EXPECT_EQ(service_.requestsTo("/sub/summary.atom").size(), 1u);
}

TEST_F(SyncTasksTest, AFailedGuestUploadIsTriedAgainByTheNextSync) {
  ASSERT_TRUE(store()->insertEntry(column("col-news")));
  login("carol");
  service_.setStatusForPath("/sub/add.atom", 500);
  EXPECT_EQ(sync(), -3500);
  EXPECT_FALSE(DESettings::guestSubscribeColumnEverSync());
  EXPECT_TRUE(service_.requestsTo("/sub/summary.atom").empty());
  EXPECT_TRUE(service_.subscriptions().empty());

  service_.setStatusForPath("/sub/add.atom", 0);
  EXPECT_EQ(sync(), 0);
  EXPECT_EQ(service_.requestsTo("/sub/add.atom").size(), 2u);
  EXPECT_EQ(service_.subscriptions(), std::vector<std::string>{"col-news"});
  EXPECT_EQ(stored(), std::vector<std::string>{"col-news"});
  EXPECT_TRUE(DESettings::guestSubscribeColumnEverSync());
}

TEST_F(SyncTasksTest, SummaryInsertsReplacesDeletesAndKeepsUntouchedRows) {
  login("dave");
  DESettings::setGuestSubscribeColumnEverSync(true);
  // Stored: photo (renamed here), video (gone from the account) and rss kept without its
  // customization; the account has news, photo and rss.
  ASSERT_TRUE(store()->insertEntries({column("col-photo"), column("col-video"), column("col-rss")}));
  auto photo = store()->allocReadEntry(std::string("col-photo"));
  photo->setTitle(std::string("Renamed here"));
  ASSERT_TRUE(store()->updateEntry(photo));
  auto plainRss = store()->allocReadEntry(std::string("col-rss"));
  plainRss->setVeskCustomization(nullptr);
  ASSERT_TRUE(store()->updateEntry(plainRss));
  ASSERT_FALSE(store()->allocReadEntry(std::string("col-rss"))->veskCustomization());
  service_.setSubscriptions({"col-news", "col-photo", "col-rss"});

  ASSERT_EQ(sync(), 0);
  auto ids = stored();
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::string>{"col-news", "col-photo", "col-rss"}));
  EXPECT_EQ(store()->allocReadEntry(std::string("col-photo"))->title(), "Renamed here");
  auto rss = store()->allocReadEntry(std::string("col-rss"));
  ASSERT_TRUE(rss && rss->veskCustomization());
  EXPECT_EQ(rss->veskCustomization()->id(), "rss-workshop");
  EXPECT_FALSE(store()->allocReadEntry(std::string("col-video")));
  // The service's summary carries the favourites count.
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 0);
  CommInfo::setCustomIntKey(DataEngine::kFavoriteNewsCountKey, 5);
  ASSERT_EQ(sync(), 0);
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 0);

  // A summary that does not parse.
  service_.setDocument("profile.xml", std::string("<notinfo/>"));
  EXPECT_EQ(sync(), kErrDataParse);
}

TEST_F(SyncTasksTest, TheNewerSideOfTheColumnOrderWins) {
  login("erin");
  DESettings::setGuestSubscribeColumnEverSync(true);
  const int64_t serverTime = 1767600000000;  // 2026-01-05
  service_.setSubscriptions({"col-rss", "col-news", "col-photo"});
  service_.setSubscriptionOrderTime(serverTime);

  // Nothing reordered here: the service's order is applied and remembered.
  ASSERT_EQ(sync(), 0);
  EXPECT_EQ(stored(), (std::vector<std::string>{"col-rss", "col-news", "col-photo"}));
  EXPECT_EQ(DESettings::getSubSequenceUpdateTime(), serverTime);

  // Reordered here after the service's order: the local order goes up, the service's stays out.
  auto local = [&](std::vector<std::string> ids) {
    std::vector<std::shared_ptr<Entry>> order;
    for (const auto& id : ids) order.push_back(column(id));
    ASSERT_TRUE(store()->updateOrder(order));
  };
  local({"col-photo", "col-news", "col-rss"});
  DESettings::setSubSequenceLocalChangeTime(serverTime + 60000);
  service_.clearRequests();
  ASSERT_EQ(sync(), 0);
  ASSERT_TRUE(waitUntilIdle());
  auto uploads = service_.requestsTo("/sub/sequence.atom");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(idsIn(uploads[0].body), (std::vector<std::string>{"col-photo", "col-news", "col-rss"}));
  EXPECT_EQ(stored(), (std::vector<std::string>{"col-photo", "col-news", "col-rss"}));
  EXPECT_EQ(service_.subscriptions(), (std::vector<std::string>{"col-photo", "col-news", "col-rss"}));
  EXPECT_EQ(DESettings::getSubSequenceLocalChangeTime(), 0);  // the service has it now

  // Reordered here before a newer order on the service: the local change is forgotten and the
  // service's order applied.
  const int64_t newer = service_.subscriptionOrderTime() + 60000;
  service_.setSubscriptions({"col-news", "col-rss", "col-photo"});
  service_.setSubscriptionOrderTime(newer);
  DESettings::setSubSequenceLocalChangeTime(newer - 1000);
  service_.clearRequests();
  ASSERT_EQ(sync(), 0);
  EXPECT_TRUE(service_.requestsTo("/sub/sequence.atom").empty());
  EXPECT_EQ(DESettings::getSubSequenceLocalChangeTime(), 0);
  EXPECT_EQ(DESettings::getSubSequenceUpdateTime(), newer);
  EXPECT_EQ(stored(), (std::vector<std::string>{"col-news", "col-rss", "col-photo"}));

  // An order already applied is not applied again over a later local arrangement.
  local({"col-photo", "col-rss", "col-news"});
  ASSERT_EQ(sync(), 0);
  EXPECT_EQ(stored(), (std::vector<std::string>{"col-photo", "col-rss", "col-news"}));
}

TEST_F(SyncTasksTest, GuestFetchesRecommendedColumnsOnceThenRefreshesAndReportsTheInstall) {
  std::string mid(24, '\0');
  mid[17] = '\x01';
  mid[18] = '\x02';
  mid[19] = '\x03';
  mid[20] = '\x84';
  writeBundleFile("nofile.mid", mid);
  ASSERT_TRUE(engine_->needGetRecommend());

  service_.clearRequests();  // the fixture's own fetch of the recommended list
  ASSERT_EQ(sync(), 0);
  auto recommend = service_.requestsTo("/sub/recommend.atom");
  ASSERT_EQ(recommend.size(), 1u);
  EXPECT_EQ(recommend[0].query, "mid=2214789633");
  EXPECT_EQ(stored(),
            (std::vector<std::string>{"col-news", "col-photo", "col-rss", "col-video", "col-mblog", "col-zelvane"}));
  EXPECT_FALSE(engine_->needGetRecommend());
  ASSERT_TRUE(waitUntilIdle());
  auto reports = service_.requestsTo("/stat");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].query.rfind("method=openmid&account=wayfarers&", 0), 0u);
  EXPECT_NE(reports[0].query.find("&xmid="), std::string::npos);
  EXPECT_EQ(CommInfo::getCustomKey(DataEngine::kLastReportMidKey).stringValue(), "84030201");

  // Afterwards the guest's columns are refreshed; one the service no longer knows goes.
  auto gone = store()->allocReadEntry(std::string("col-video"));
  gone->setEntryId(std::string("col-retired"));
  ASSERT_TRUE(store()->insertEntry(gone));
  service_.clearRequests();
  ASSERT_EQ(sync(), 0);
  EXPECT_TRUE(service_.requestsTo("/sub/recommend.atom").empty());
  auto refresh = service_.requestsTo("/sub/refresh.atom");
  ASSERT_EQ(refresh.size(), 1u);
  EXPECT_EQ(refresh[0].method, "POST");
  EXPECT_EQ(idsIn(refresh[0].body).size(), 7u);
  EXPECT_EQ(stored(),
            (std::vector<std::string>{"col-news", "col-photo", "col-rss", "col-video", "col-mblog", "col-zelvane"}));
  // The install was reported for this id already.
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(service_.requestsTo("/stat").empty());
}

TEST_F(SyncTasksTest, ASyncAfterARestartFillsTheUrlTableFirst) {
  ASSERT_TRUE(store()->insertEntry(column("col-news")));
  stopEngine();
  startEngine();
  ASSERT_FALSE(gUrlManager()->isEverSet());
  ASSERT_EQ(sync(), 0);
  EXPECT_EQ(service_.requestsTo("/getServiceUrl.atom").size(), 2u);
  EXPECT_EQ(service_.requestsTo("/sub/refresh.atom").size(), 1u);
  // Without the feed and without the copy kept from before, the sync ends with the failure.
  stopEngine();
  std::filesystem::remove_all(Paths::caches() / UniqueCache::kFolderName);
  service_.setStatusForPath("/getServiceUrl.atom", 503);
  startEngine();
  EXPECT_EQ(sync(), -3503);
}

TEST_F(SyncTasksTest, DeletionsGoToTheServiceOnlyForAUser) {
  // The guest's deletion never reaches the service.
  ASSERT_TRUE(store()->insertEntries({column("col-news"), column("col-photo")}));
  auto guestDelete = std::make_shared<SyncDeleteStatusTask>(
      std::vector<std::shared_ptr<Entry>>{column("col-news")});
  auto listener = std::make_shared<DeleteStatusListener>();
  guestDelete->setDelegate(listener);
  engine_->asyncRunTask(guestDelete);
  ASSERT_TRUE(RunLoop::current()->runUntil([&] { return listener->code != 1; }, 20));
  EXPECT_EQ(listener->code, 0);
  EXPECT_EQ(stored(), std::vector<std::string>{"col-photo"});
  EXPECT_TRUE(service_.requestsTo("/sub/del.atom").empty());

  // A user's column marked deleted is removed once the service confirms it.
  login("frank");
  service_.setSubscriptions({"col-news", "col-photo"});
  ASSERT_TRUE(store()->insertEntries({column("col-news"), column("col-photo")}));
  engine_->markColumnDeleted(column("col-news"));
  EXPECT_EQ(stored(), std::vector<std::string>{"col-photo"});  // hidden, still kept
  EXPECT_TRUE(store()->isEntryExist(std::string("col-news")));
  // An account sync before the service is told keeps it so, though the summary still lists it.
  DESettings::setGuestSubscribeColumnEverSync(true);
  ASSERT_EQ(sync(), 0);
  EXPECT_EQ(stored(), std::vector<std::string>{"col-photo"});
  bool marked = false;
  EXPECT_TRUE(store()->isColumnExistWithDeletedMark(std::string("col-news"), &marked));
  EXPECT_TRUE(marked);
  engine_->syncColumnDeleteStatusToServer();
  ASSERT_TRUE(waitUntilIdle());
  auto deletes = service_.requestsTo("/sub/del.atom");
  ASSERT_EQ(deletes.size(), 1u);
  EXPECT_EQ(idsIn(deletes[0].body), std::vector<std::string>{"col-news"});
  EXPECT_FALSE(store()->isEntryExist(std::string("col-news")));
  EXPECT_EQ(service_.subscriptions(), std::vector<std::string>{"col-photo"});
}

TEST_F(SyncTasksTest, DeletionRepliesWithRefusalsOrNoItemsStillEnd) {
  login("gina");
  LoopbackServer other;
  gUrlManager()->setDelSubscribedColumnUrl(other.url("/del"));
  ASSERT_TRUE(store()->insertEntries({column("col-news"), column("col-photo")}));
  auto run = [&](const std::string& reply) {
    other.setResponse("/del", LoopbackServer::Response::text(200, reply, "application/atom+xml"));
    auto task = std::make_shared<SyncDeleteStatusTask>(
        std::vector<std::shared_ptr<Entry>>{column("col-news"), column("col-photo")});
    auto listener = std::make_shared<DeleteStatusListener>();
    task->setDelegate(listener);
    engine_->asyncRunTask(task);
    EXPECT_TRUE(RunLoop::current()->runUntil([&] { return listener->code != 1; }, 20));
    return listener->code.load();
  };
  const std::string open =
      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\">";
  // Neither confirmed nor refused: the columns stay marked for the next sync.
  EXPECT_EQ(run(open + "</feed>"), 0);
  EXPECT_EQ(stored().size(), 2u);
  // One refused for another reason: -1, while the item not subscribed there still goes.
  EXPECT_EQ(run(open + "<vesk:error><id>col-news</id><reason>7</reason></vesk:error>"
                       "<vesk:error><id>col-photo</id><reason>102</reason></vesk:error></feed>"),
            kErrFail);
  EXPECT_EQ(stored(), std::vector<std::string>{"col-news"});
  EXPECT_EQ(run("not xml"), kErrDataParse);
}

TEST_F(SyncTasksTest, OfflineFavouritesGoUpAndThoseTheServiceHoldsLeaveTheStore) {
  auto favorites = engine_->getFavPersist();
  // The guest's favourites go to a new account, oldest first, and stay the guest's.
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-5")));
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-4")));
  login("hank");
  EXPECT_EQ(service_.favorites(), (std::vector<std::string>{"art-news-5", "art-news-4"}));
  EXPECT_EQ(favorites->countReadEntries(), 0);  // hank's own
  EXPECT_EQ(guestFavourites(), (std::vector<std::string>{"art-news-4", "art-news-5"}));
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-3")));
  engine_->syncAccountOfflineFavoriteNewsToServer();
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_EQ(service_.favorites(),
            (std::vector<std::string>{"art-news-5", "art-news-4", "art-news-3"}));
  EXPECT_EQ(favorites->countReadEntries(), 0);

  // Oldest first; the one the service already holds (-100104) leaves the store as well.
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-1")));
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-3")));
  engine_->syncAccountOfflineFavoriteNewsToServer();
  ASSERT_TRUE(waitUntilIdle());
  auto uploads = service_.requestsTo("/fav/add.atom");
  ASSERT_EQ(uploads.size(), 2u);
  EXPECT_EQ(idsIn(uploads[1].body), (std::vector<std::string>{"art-news-1", "art-news-3"}));
  EXPECT_EQ(uploads[1].headers["content-type"], "application/atom+xml;type=entry");
  EXPECT_EQ(service_.favorites(),
            (std::vector<std::string>{"art-news-5", "art-news-4", "art-news-3", "art-news-1"}));
  EXPECT_EQ(favorites->countReadEntries(), 0);
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 4);

  // A failed upload keeps them for the next one; the task itself still ends with 0.
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-2")));
  service_.setStatusForPath("/fav/add.atom", 500);
  engine_->syncAccountOfflineFavoriteNewsToServer();
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_EQ(service_.requestsTo("/fav/add.atom").size(), 3u);
  EXPECT_EQ(favorites->countReadEntries(), 1);
  std::vector<int> codes;
  for (const auto& finish : observer_->finishes()) {
    if (std::dynamic_pointer_cast<SyncOfflineAddedFavoriteNewsTask>(finish.task)) {
      codes.push_back(finish.code);
    }
  }
  EXPECT_EQ(codes, (std::vector<int>{0, 0, 0}));
  // Nothing kept, nothing sent.
  service_.setStatusForPath("/fav/add.atom", 0);
  ASSERT_TRUE(favorites->deleteEntry(std::string("art-news-2")));
  service_.clearRequests();
  engine_->syncAccountOfflineFavoriteNewsToServer();
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(service_.requestsTo("/fav/add.atom").empty());
}

TEST_F(SyncTasksTest, EveryGuestFavouriteGoesToANewAccountOnceOldestFirst) {
  // More than two of the store's pages.
  std::vector<std::string> ids;
  for (int i = 1; i <= 45; ++i) {
    ids.push_back("art-" + std::to_string(i));
    ASSERT_TRUE(engine_->getFavPersist()->insertEntry(favourite(ids.back())));
  }
  engine_->setUsername(std::string("jill"), std::string("pw"));
  ASSERT_TRUE(waitUntilIdle());
  auto uploads = service_.requestsTo("/fav/add.atom");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(idsIn(uploads[0].body), ids);
  EXPECT_EQ(service_.favorites(), ids);
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 45);
}

TEST_F(SyncTasksTest, AFailedGuestFavouritesUploadGoesUpAtTheAccountsNextLogin) {
  auto favorites = engine_->getFavPersist();
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-1")));
  ASSERT_TRUE(favorites->insertEntry(favourite("art-news-2")));
  service_.setStatusForPath("/fav/add.atom", 500);
  login("kate");
  EXPECT_TRUE(service_.favorites().empty());
  // Kept as kate's own favourites, in the guest's order; the guest keeps hers.
  EXPECT_EQ(idsOf(favorites->allocReadEntriesInFeed(std::nullopt)),
            (std::vector<std::string>{"art-news-2", "art-news-1"}));
  EXPECT_EQ(guestFavourites(), (std::vector<std::string>{"art-news-2", "art-news-1"}));

  // The next login is not a first one: the upload of kept favourites carries them, once.
  service_.setStatusForPath("/fav/add.atom", 0);
  for (int login = 0; login < 2; ++login) {
    engine_->logout();
    engine_->setUsername(std::string("kate"), std::string("pw"));
    ASSERT_TRUE(waitUntilIdle());
  }
  auto uploads = service_.requestsTo("/fav/add.atom");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(idsIn(uploads[0].body), (std::vector<std::string>{"art-news-1", "art-news-2"}));
  EXPECT_EQ(service_.favorites(), (std::vector<std::string>{"art-news-1", "art-news-2"}));
  EXPECT_EQ(favorites->countReadEntries(), 0);
}

// A guest's favourite carried to a new account is listed by the service as the article it is:
// its time, summary, thumbnail and the address it opens at.
TEST_F(SyncTasksTest, AGuestsFavouriteStaysWholeInTheNewAccountsList) {
  auto news = column("col-news");
  ASSERT_TRUE(news);
  auto listTask = engine_->createGetNewsSummarysTask(news->alternatelink(), news, false);
  ASSERT_EQ(runTask(listTask)->code, 0);
  auto lists = observer_->feedsOf(listTask);
  ASSERT_TRUE(!lists.empty() && lists.front()->entrys() && !lists.front()->entrys()->empty());
  const auto article = lists.front()->entrys()->front();
  ASSERT_TRUE(article->updated() > 0 && article->summary() && article->veskThumbnail() &&
              article->alternatelink());
  ASSERT_EQ(runTask(engine_->createAddFavoriteNewsSummaryTask(article))->code, 0);
  ASSERT_EQ(guestFavourites(), (std::vector<std::string>{*article->entryId()}));

  login("mia");
  ASSERT_EQ(service_.favorites(), (std::vector<std::string>{*article->entryId()}));
  auto favourites = engine_->createFavoriteColumn();
  auto task = engine_->createGetNewsSummarysTask(favourites->alternatelink(), favourites, false);
  ASSERT_EQ(runTask(task)->code, 0);
  auto feeds = observer_->feedsOf(task);
  ASSERT_TRUE(!feeds.empty() && feeds.front()->entrys() && feeds.front()->entrys()->size() == 1);
  const auto kept = feeds.front()->entrys()->front();
  EXPECT_EQ(kept->entryId(), article->entryId());
  EXPECT_EQ(kept->updated(), article->updated());
  EXPECT_EQ(kept->summary(), article->summary());
  ASSERT_TRUE(kept->veskThumbnail() && kept->alternatelink());
  EXPECT_EQ(kept->veskThumbnail()->href(), article->veskThumbnail()->href());
  EXPECT_EQ(kept->alternatelink()->href(), article->alternatelink()->href());
  // It opens.
  EXPECT_EQ(runTask(engine_->createGetNewsDetailTask(kept->alternatelink()))->code, 0);
}

TEST_F(SyncTasksTest, ACancelledSyncEndsWithTheCancelAndKeepsWhatWasNotSent) {
  // Cancelled while the URL table is being fetched: the sync ends with -6, not with the kept
  // copy of the table, and sends nothing.
  ASSERT_TRUE(store()->insertEntry(column("col-news")));
  stopEngine();
  startEngine();
  ASSERT_FALSE(gUrlManager()->isEverSet());
  service_.clearRequests();
  service_.setResponseDelay("/getServiceUrl.atom", 2000);
  auto sync = engine_->createSyncAccountDataTask();
  engine_->asyncRunTask(sync);
  engine_->asyncCancelTask(sync);  // runs after the task's start on the task thread
  auto finish = observer_->waitForFinish(sync);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrCancelled);
  service_.setResponseDelay("/getServiceUrl.atom", 0);
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(service_.requestsTo("/sub/refresh.atom").empty());

  // An offline favourites upload cancelled before its answer keeps the favourites for the
  // next one (the task itself ends with 0 whatever became of the upload).
  login("ivan");
  auto favorites = engine_->getFavPersist();
  auto entry = std::make_shared<NewsSummary>();
  entry->setEntryId(std::string("art-news-1"));
  entry->setTitle(std::string("title art-news-1"));
  ASSERT_TRUE(favorites->insertEntry(entry));
  service_.setResponseDelay("/fav/add.atom", 2000);
  engine_->syncAccountOfflineFavoriteNewsToServer();
  gTaskEngine()->syncCancelAllTask();
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_EQ(favorites->countReadEntries(), 1);
  std::vector<int> codes;
  for (const auto& f : observer_->finishes()) {
    if (std::dynamic_pointer_cast<SyncOfflineAddedFavoriteNewsTask>(f.task)) codes.push_back(f.code);
  }
  EXPECT_EQ(codes, std::vector<int>{0});
  service_.setResponseDelay("/fav/add.atom", 0);
}

// A sync that finds nothing changed (the service answers every request 304, the book style
// sheets and scripts included) writes no file of the reader's home: nothing is replaced, and
// nothing is rewritten in place.
TEST_F(SyncTasksTest, AnUnchangedSyncRewritesNothing) {
  // The static host tags each file and answers 304 to a request that carries its tag.
  LoopbackServer statics;
  statics.setHandler([](const LoopbackServer::Request& request) {
    const std::string etag = "\"" + request.path + "\"";
    auto answer = LoopbackServer::Response::text(200, "/* " + request.path + " */", "text/css");
    if (request.header("If-None-Match") == etag) {
      answer.status = 304;
      answer.body.clear();
    }
    answer.headers.push_back({"ETag", etag});
    return answer;
  });
  ServiceHosts::setStaticHost("127.0.0.1:" + std::to_string(statics.port()));
  login("lena");
  ASSERT_EQ(sync(), 0);
  ASSERT_TRUE(waitUntilIdle());  // the style sheets' task too
  ASSERT_TRUE(BookLinkCache::dataWithUrl(BookLinkCache::getBookCssJsUrls().front()));
  auto flushCaches = [] {
    if (auto caches = FileCacheManager::globalInstance()) caches->flush();
  };
  flushCaches();

  // Every file of the home as it is now, dated in the past so that a rewrite shows even on a
  // coarse clock. But the log, and the response cache's index, which notes when each kept answer
  // was last used (for trimming; in batches, by the cache's own writer, never synced on its own).
  struct Kept {
    ino_t inode;
    off_t size;
  };
  std::map<std::string, Kept> before;
  auto ignored = [](const fs::path& path) {
    const std::string name = path.filename().string();
    return name.rfind("log", 0) == 0 || name.rfind("index.db", 0) == 0;
  };
  const struct timespec old[2] = {{1000, 0}, {1000, 0}};
  for (const auto& item : fs::recursive_directory_iterator(Paths::home())) {
    if (!item.is_regular_file() || ignored(item.path())) continue;
    struct stat st {};
    ASSERT_EQ(::stat(item.path().c_str(), &st), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, item.path().c_str(), old, 0), 0);
    before[item.path().string()] = {st.st_ino, st.st_size};
  }

  service_.clearRequests();
  statics.clearRequests();
  ASSERT_EQ(sync(), 0);
  ASSERT_TRUE(waitUntilIdle());
  flushCaches();
  // Every request was conditional (answered 304): the summary and the seven style sheets and
  // scripts.
  ASSERT_EQ(service_.requestsTo("/sub/summary.atom").size(), 1u);
  for (const auto& request : service_.requests()) {
    EXPECT_TRUE(request.method == "GET" && request.headers.count("if-none-match")) << request.path;
  }
  ASSERT_EQ(statics.requestCount(), 7u);
  for (const auto& request : statics.requests()) {
    EXPECT_TRUE(request.header("If-None-Match")) << request.path;
  }
  std::vector<std::string> written;
  for (const auto& item : fs::recursive_directory_iterator(Paths::home())) {
    if (!item.is_regular_file() || ignored(item.path())) continue;
    struct stat st {};
    ASSERT_EQ(::stat(item.path().c_str(), &st), 0);
    auto kept = before.find(item.path().string());
    if (kept == before.end() || kept->second.inode != st.st_ino || st.st_mtim.tv_sec != 1000) {
      written.push_back(item.path().string());
    }
  }
  EXPECT_TRUE(written.empty()) << ::testing::PrintToString(written);
}

}  // namespace
}  // namespace zu
