// Article list, article, comment, favourite and local entry tasks against the sample service.
#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "engine/cache/ColumnCache.h"
#include "engine/cache/FileCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/TaskEngine.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpDataEngine.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/articles/LocalAddEntryTask.h"
#include "engine/tasks/articles/LocalCleanCacheTask.h"
#include "engine/tasks/articles/LocalDeleteEntryTask.h"
#include "engine/tasks/articles/LocalUpdateEntryTask.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskRanking.h"
#include "platform/device/Application.h"
#include "platform/runtime/RunLoop.h"
#include "store/EntryPersistenter.h"

namespace zu {
namespace {

using testing::EngineFixture;

std::shared_ptr<Link> linkTo(const std::optional<std::string>& href) {
  auto link = std::make_shared<Link>();
  link->setHref(href);
  return link;
}

std::vector<std::string> idsOf(const std::shared_ptr<Feed>& feed) {
  std::vector<std::string> ids;
  if (!feed || !feed->entrys()) return ids;
  for (const auto& e : *feed->entrys()) ids.push_back(e->entryId().value_or("?"));
  return ids;
}

class ArticleTasksTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    ASSERT_EQ(runTask(std::make_shared<testing::ServiceUrlProbeTask>())->code, 0);
    news_ = std::make_shared<Column>();
    news_->setEntryId(std::string("col-news"));
    news_->setTitle(std::string("Harbour Morning News"));
    news_->setAlternatelink(linkTo(service_.baseUrl() + "/col/news.atom"));
  }

  // Runs the task and returns the one feed it reported (null when none or several).
  std::shared_ptr<Feed> feedOf(const std::shared_ptr<Task>& task, int expectedCode = 0) {
    auto finish = runTask(task);
    EXPECT_TRUE(finish && finish->code == expectedCode)
        << (finish ? finish->code : 1) << " expected " << expectedCode;
    auto feeds = observer_->feedsOf(task);
    return feeds.size() == 1 ? feeds[0] : nullptr;
  }
  std::shared_ptr<NewsSummary> summary(const std::string& id, const std::string& title) {
    auto entry = std::make_shared<NewsSummary>();
    entry->setEntryId(id);
    entry->setTitle(title);
    return entry;
  }
  std::string url(const std::string& path) { return service_.baseUrl() + path; }
  // Adds a favourite to the local store through its task; the task's code.
  int addLocally(const std::string& id, const std::string& title) {
    auto finish =
        runTask(std::make_shared<LocalAddEntryTask>(engine_->getFavPersist(), summary(id, title)));
    return finish ? finish->code : 1;
  }

  std::shared_ptr<Column> news_;
};

TEST_F(ArticleTasksTest, ArticleListsPageByNextLinksAndComeFromTheKeptFirstPage) {
  engine_->markNewsRead(std::string("art-news-2"));
  auto first = feedOf(engine_->createGetNewsSummarysTask(news_->alternatelink(), news_, true));
  ASSERT_TRUE(first);
  EXPECT_EQ(idsOf(first), (std::vector<std::string>{"art-news-3", "art-news-2", "art-news-1"}));
  EXPECT_EQ(first->entrys()->at(0)->veskEntryStatus()->read(), 0);
  EXPECT_EQ(first->entrys()->at(1)->veskEntryStatus()->read(), 1);
  ASSERT_TRUE(first->nextLink());
  auto second = feedOf(engine_->createGetNewsSummarysTask(first->nextLink(), news_, false));
  EXPECT_EQ(idsOf(second), std::vector<std::string>{"art-news-0"});

  // Kept first page: reported at once without asking for the list, and a background refresh
  // of the column follows.
  ASSERT_TRUE(engine_->getSubPersist()->insertEntry(news_));
  service_.clearRequests();
  auto kept = feedOf(engine_->createGetNewsSummarysTask(news_->alternatelink(), news_, true));
  EXPECT_EQ(idsOf(kept), idsOf(first));
  ASSERT_TRUE(service_.waitForRequests("/sub/refresh.atom", 1, std::chrono::seconds(20)));
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(service_.requestsTo("/col/news.atom").size() <= 1u);  // the refresh's own
  EXPECT_EQ(idsOf(engine_->getColumnFirstPageNewsSummary(news_)), idsOf(first));
  ASSERT_TRUE(waitUntilIdle());

  // A kept page that does not parse is an empty list, not a failure.
  engine_->getColumnCache()->saveFirstPage(news_->entryId(), news_->alternatelink()->href(),
                                           Bytes{'<', 'x'});
  auto broken = feedOf(engine_->createGetNewsSummarysTask(news_->alternatelink(), news_, true));
  ASSERT_TRUE(broken);
  EXPECT_TRUE(idsOf(broken).empty());
  ASSERT_TRUE(waitUntilIdle());

  EXPECT_EQ(runTask(engine_->createGetNewsSummarysTask(nullptr, news_, false))->code,
            kErrInvalidArg);
  auto microblog = std::make_shared<Column>();
  microblog->setEntryId(std::string("col-mblog"));
  microblog->setAlternatelink(news_->alternatelink());
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(std::string("qqmblog"));
  microblog->setVeskCustomization(customization);
  EXPECT_EQ(
      runTask(engine_->createGetNewsSummarysTask(microblog->alternatelink(), microblog, false))
          ->code,
      kErrBadState);
}

TEST_F(ArticleTasksTest, AnArticleComesWithItsDynamicPartMarkedFromLocalFavourites) {
  ASSERT_TRUE(engine_->getFavPersist()->insertEntry(summary("art-news-3", "Ferry")));
  auto task = engine_->createGetNewsDetailTask(linkTo(url("/article/art-news-3.atom")));
  ASSERT_EQ(runTask(task)->code, 0);
  auto feeds = observer_->feedsOf(task);
  auto entries = observer_->entriesOf(task);
  ASSERT_EQ(feeds.size(), 1u);
  ASSERT_EQ(entries.size(), 1u);
  auto detail = std::dynamic_pointer_cast<NewsDetail>(feeds[0]->entrys()->at(0));
  ASSERT_TRUE(detail && detail->content());
  EXPECT_NE(detail->content()->data().value_or("").find("six-fifteen"), std::string::npos);
  ASSERT_TRUE(entries[0]->veskFavorite());
  EXPECT_EQ(entries[0]->veskFavorite()->collected(), 1);

  auto other = engine_->createGetNewsDetailTask(linkTo(url("/article/art-news-2.atom")));
  ASSERT_EQ(runTask(other)->code, 0);
  EXPECT_EQ(observer_->entriesOf(other).at(0)->veskFavorite()->collected(), 0);

  auto dynamicOnly = engine_->createGetNewsDetailDynamicTask(detail);
  ASSERT_EQ(runTask(dynamicOnly)->code, 0);
  EXPECT_EQ(observer_->entriesOf(dynamicOnly).at(0)->veskFavorite()->collected(), 1);
  // Without an extra link there is nothing to ask, and nothing reported.
  auto bare = engine_->createGetNewsDetailDynamicTask(std::make_shared<NewsDetail>());
  ASSERT_EQ(runTask(bare)->code, 0);
  EXPECT_TRUE(observer_->entriesOf(bare).empty());

  service_.setStatusForPath("/article/gone.atom", 410);
  EXPECT_EQ(runTask(engine_->createGetNewsDetailTask(linkTo(url("/article/gone.atom"))))->code,
            -3410);
}

TEST_F(ArticleTasksTest, CommentsComeNewestFirstAndPage) {
  auto comments = engine_->createGetCommentsTask(linkTo(url("/comments/art-news-3.atom")));
  auto first = feedOf(comments);
  EXPECT_EQ(idsOf(first), (std::vector<std::string>{"art-news-3-c3", "art-news-3-c2"}));
  // The comment's picture is fetched and reported after the list.
  auto images = observer_->imagesOf(comments);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].url, url("/img/art-news-3-c3.png"));
  EXPECT_EQ(images[0].code, 0);
  EXPECT_TRUE(HttpEngine::localFilePathIfExistsForUrl(images[0].url));
  ASSERT_TRUE(first && first->nextLink());
  auto second = feedOf(engine_->createGetCommentsTask(first->nextLink()));
  EXPECT_EQ(idsOf(second), std::vector<std::string>{"art-news-3-c1"});

  auto microblog = std::make_shared<VeskCustomization>();
  microblog->setType(std::string("sinamblog"));
  auto unbound = engine_->createGetCommentsTask(first->nextLink(), microblog);
  EXPECT_EQ(runTask(unbound)->code, kErrBadState);
  EXPECT_TRUE(observer_->feedsOf(unbound).empty());
}

TEST_F(ArticleTasksTest, RatingAColumnPostsTheCommentOnlyWhenThereIsOne) {
  auto column = std::make_shared<Column>();
  column->setEntryId(news_->entryId());
  auto ranking = std::make_shared<VeskRanking>();
  ranking->setHref(url("/column/rank.atom"));
  auto assess = std::make_shared<VeskAssess>();
  assess->setHref(url("/column/assess.atom"));
  column->setVeskRanking(ranking);
  column->setVeskAssess(assess);

  ASSERT_EQ(runTask(engine_->createCommentColumnTask(column, 4.5f, std::string()))->code, 0);
  EXPECT_EQ(service_.requestsTo("/column/rank.atom").size(), 1u);
  EXPECT_TRUE(service_.requestsTo("/column/assess.atom").empty());

  auto commented =
      engine_->createCommentColumnTask(column, 3.0f, std::string("Good for the ferry queue"));
  ASSERT_EQ(runTask(commented)->code, 0);
  ASSERT_EQ(service_.requestsTo("/column/assess.atom").size(), 1u);
  auto stored = observer_->entriesOf(commented);
  ASSERT_EQ(stored.size(), 1u);
  ASSERT_TRUE(stored[0]->content());
  EXPECT_EQ(stored[0]->content()->data(), "Good for the ferry queue");

  EXPECT_EQ(runTask(engine_->createCommentColumnTask(news_, 1.0f, std::string("x")))->code,
            kErrFail);
}

TEST_F(ArticleTasksTest, FavouritesKeptOfflineAreUploadedBeforeTheListAndShownWithoutNetwork) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  auto favorites = engine_->getFavPersist();
  // Added while offline, oldest first.
  ASSERT_EQ(addLocally("art-news-2", "Fish market"), 0);
  ASSERT_EQ(addLocally("art-news-3", "Ferry"), 0);

  auto column = engine_->createFavoriteColumn();
  auto list = engine_->createGetNewsSummarysTask(column->alternatelink(), column, false);
  auto feed = feedOf(list);
  std::vector<std::string> order;
  for (const auto& r : service_.requests()) {
    if (r.path.rfind("/fav/", 0) == 0) order.push_back(r.path);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"/fav/add.atom", "/fav/get.atom"}));
  EXPECT_EQ(service_.favorites(), (std::vector<std::string>{"art-news-2", "art-news-3"}));
  EXPECT_EQ(favorites->countReadEntries(), 0);
  EXPECT_EQ(idsOf(feed), (std::vector<std::string>{"art-news-2", "art-news-3"}));
  for (const auto& e : *feed->entrys()) EXPECT_EQ(e->veskEntryStatus()->read(), 1);
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 2);

  // One the service already holds is dropped here too.
  ASSERT_EQ(addLocally("art-news-3", "Ferry"), 0);
  feedOf(engine_->createGetNewsSummarysTask(column->alternatelink(), column, false));
  EXPECT_EQ(favorites->countReadEntries(), 0);

  // When the list cannot be had, the local favourites are the list and nothing fails.
  ASSERT_EQ(addLocally("art-news-1", "Lighthouse"), 0);
  service_.setStatusForPath("/fav/add.atom", 409);
  service_.setStatusForPath("/fav/get.atom", 409);
  auto failing = feedOf(engine_->createGetNewsSummarysTask(column->alternatelink(), column, false));
  EXPECT_EQ(idsOf(failing), std::vector<std::string>{"art-news-1"});
  // Without the service at all, the list kept from before follows the local ones.
  service_.stop();
  auto offline = feedOf(engine_->createGetNewsSummarysTask(column->alternatelink(), column, false));
  EXPECT_EQ(idsOf(offline), (std::vector<std::string>{"art-news-1", "art-news-2", "art-news-3"}));
}

TEST_F(ArticleTasksTest, CancellingTheFavouritesUploadEndsTheListWithoutAskingForIt) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  ASSERT_EQ(addLocally("art-news-2", "Fish market"), 0);
  // The upload is still on its way when the cancel arrives behind the task's run.
  service_.setResponseDelay("/fav/add.atom", 500);
  auto column = engine_->createFavoriteColumn();
  auto list = engine_->createGetNewsSummarysTask(column->alternatelink(), column, false);
  engine_->asyncRunTask(list);
  engine_->asyncCancelTask(list);
  auto finish = observer_->waitForFinish(list);
  ASSERT_TRUE(finish);
  EXPECT_TRUE(service_.requestsTo("/fav/get.atom").empty());
  // As for a list request that was cancelled: the local favourites, and no error.
  EXPECT_EQ(finish->code, 0);
  auto feeds = observer_->feedsOf(list);
  ASSERT_EQ(feeds.size(), 1u);
  EXPECT_EQ(idsOf(feeds[0]), std::vector<std::string>{"art-news-2"});
}

TEST_F(ArticleTasksTest, GuestFavouritesPageLocallyAndSearchesJoinTheirParameters) {
  auto favorites = engine_->getFavPersist();
  ASSERT_TRUE(favorites->insertEntry(summary("art-news-2", "Fish market")));
  ASSERT_TRUE(favorites->insertEntry(summary("art-news-3", "Ferry")));
  auto column = engine_->createFavoriteColumn();
  auto local = feedOf(engine_->createGetNewsSummarysTask(column->alternatelink(), column, false));
  EXPECT_EQ(idsOf(local), (std::vector<std::string>{"art-news-3", "art-news-2"}));
  EXPECT_TRUE(service_.requestsTo("/fav/get.atom").empty());
  // A local page beyond the list cannot be read.
  auto beyond = linkTo(std::string("local://20/40"));
  beyond->setType(std::string(EntryPersistenter::kLocalLinkType));
  EXPECT_EQ(runTask(engine_->createGetNewsSummarysTask(beyond, column, false))->code,
            kErrDataParse);
  EXPECT_TRUE(service_.requestsTo("/fav/add.atom").empty());

  auto search = linkTo(gUrlManager()->favoriteSearchUrl());
  ASSERT_TRUE(runTask(engine_->createGetSearchFavNewsSummarysTask(
      search, column, std::string("Ferry"), std::string("content"), 1700000000123, std::nullopt)));
  auto asked = service_.requests().back();
  EXPECT_EQ(asked.path, "/fav/search.atomFerry");  // after the local favourites were posted
  EXPECT_EQ(asked.query, "scope=content&since=1700000000");
  ASSERT_TRUE(runTask(engine_->createGetSearchFavNewsSummarysTask(
      search, column, std::string("Ferry"), std::string("everything"), std::nullopt, 5000)));
  EXPECT_EQ(service_.requests().back().query, "scope=all&until=5");
  EXPECT_EQ(runTask(engine_->createGetSearchFavNewsSummarysTask(
                        search, column, std::string(), std::nullopt, std::nullopt, std::nullopt))
                ->code,
            kErrInvalidArg);
}

TEST_F(ArticleTasksTest, LocalEntryTasksChangeTheStoreOrFail) {
  auto favorites = engine_->getFavPersist();
  auto entry = summary("art-news-1", "Lighthouse");
  EXPECT_EQ(runTask(std::make_shared<LocalAddEntryTask>(favorites, entry))->code, 0);
  EXPECT_EQ(runTask(std::make_shared<LocalUpdateEntryTask>(favorites, entry, std::string("Keeper")))
                ->code,
            0);
  EXPECT_EQ(favorites->allocReadEntry(entry->entryId())->title(), "Keeper");
  EXPECT_EQ(runTask(std::make_shared<LocalDeleteEntryTask>(favorites, entry->entryId()))->code, 0);
  EXPECT_FALSE(favorites->isEntryExist(entry->entryId()));
  EXPECT_EQ(runTask(std::make_shared<LocalAddEntryTask>(nullptr, entry))->code, kErrFail);
  auto withoutId = std::make_shared<NewsSummary>();
  EXPECT_EQ(runTask(std::make_shared<LocalAddEntryTask>(favorites, withoutId))->code, kErrFail);
}

TEST_F(ArticleTasksTest, CleaningReportsProgressRefusesASecondPassAndStopsWhenCancelled) {
  auto images = HttpDataEngine::sharedInstance()->imageCache();
  ASSERT_TRUE(images);
  auto fill = [&] {
    for (int i = 0; i < 120; ++i) {
      ASSERT_TRUE(images->save("http://sample/img/" + std::to_string(i) + ".png", Bytes(64, 7)));
    }
  };
  fill();
  auto clean = engine_->createCleanNormalCacheTask();
  ASSERT_EQ(runTask(clean)->code, 0);
  EXPECT_EQ(images->getCachedItemsCount(0), 0);
  auto progress = observer_->cleanProgressOf(clean);
  ASSERT_FALSE(progress.empty());
  EXPECT_GE(progress.front().first, 120);  // with the replies the HTTP cache holds
  EXPECT_FALSE(Application::isIdleTimerDisabled());

  // Two cleans at once: the second is refused while the first runs. Both are queued from the
  // task thread in one turn, so the second starts right after the first, whatever the load.
  fill();
  auto running = engine_->createCleanCacheTask();
  auto second = engine_->createCleanNormalCacheTask();
  gTaskEngine()->runLoop()->post([engine = engine_, running, second] {
    engine->asyncRunTask(running);
    engine->asyncRunTask(second);
  });
  auto refused = observer_->waitForFinish(second);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->code, kErrBadState);
  EXPECT_FALSE(refused->desc);
  ASSERT_EQ(observer_->waitForFinish(running)->code, 0);
  EXPECT_EQ(images->getCachedItemsCount(0), 0);

  // Cancelled before its first batch (the flag is set before the pass can ask for it): the pass
  // stops and the task still ends normally.
  fill();
  const int before = images->getCachedItemsCount(0);
  auto cancelled = engine_->createCleanNormalCacheTask();
  cancelled->cancel();
  engine_->asyncRunTask(cancelled);
  ASSERT_EQ(observer_->waitForFinish(cancelled)->code, 0);
  EXPECT_EQ(images->getCachedItemsCount(0), before);
}

// A clean of both item types, which asks for a second clean the moment its first pass has left
// the manager, before its own second pass starts: the next turn of the task thread waits for
// the pass thread to end (it ends once cleanFinished has returned) and then queues the second
// clean, ahead of the first clean's own check for its next pass.
class CleanAskingBetweenPasses : public LocalCleanCacheTask {
 public:
  explicit CleanAskingBetweenPasses(std::shared_ptr<Task> other)
      : LocalCleanCacheTask(kAllItemTypes), other_(std::move(other)) {}
  void cleanFinished() override {
    if (other_) {
      RunLoop::current()->post([other = std::exchange(other_, nullptr)] {
        auto manager = FileCacheManager::globalInstance();
        while (manager && manager->isCleaning()) std::this_thread::yield();
        if (auto engine = gDataEngine()) engine->asyncRunTask(other);
      });
    }
    LocalCleanCacheTask::cleanFinished();
  }

 private:
  std::shared_ptr<Task> other_;
};

TEST_F(ArticleTasksTest, ACleanAskedBetweenTheTwoPassesOfAnotherIsRefusedAndBothTypesAreCleaned) {
  auto images = HttpDataEngine::sharedInstance()->imageCache();
  ASSERT_TRUE(images);
  for (int i = 0; i < 20; ++i) {
    const std::string key = "http://sample/img/" + std::to_string(i) + ".png";
    ASSERT_TRUE(images->save(key, Bytes(64, 7)));
    ASSERT_TRUE(images->saveEnhanced(key + "?offline", Bytes(64, 8), 1, 0, 0, std::nullopt,
                                     std::nullopt));
  }
  ASSERT_EQ(images->getCachedItemsCount(1), 20);
  auto second = engine_->createCleanNormalCacheTask();
  auto both = std::make_shared<CleanAskingBetweenPasses>(second);
  engine_->asyncRunTask(both);
  auto refused = observer_->waitForFinish(second);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->code, kErrBadState);
  ASSERT_EQ(observer_->waitForFinish(both)->code, 0);
  EXPECT_EQ(images->getCachedItemsCount(0), 0);
  EXPECT_EQ(images->getCachedItemsCount(1), 0);
  // Once it is reported finished, its pass has left the manager and the next clean runs.
  EXPECT_FALSE(FileCacheManager::globalInstance()->isCleaning());
  EXPECT_EQ(runTask(engine_->createCleanNormalCacheTask())->code, 0);
}

}  // namespace
}  // namespace zu
