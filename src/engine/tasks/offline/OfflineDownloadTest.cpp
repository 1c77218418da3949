// Offline download against the sample service: what it fetches, how many at once, progress,
// and its ends by cancel and by a lost network.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/cache/FileCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/cache/LinkCache.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpDataEngine.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/offline/OfflineDownColumnBatchTask.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/device/Application.h"
#include "platform/runtime/Paths.h"
#include "store/EntryPersistenter.h"
#include "testing/LoopbackServer.h"

namespace zu {
namespace {

using testing::ConnectedEngineFixture;

class OfflineDownloadTest : public ConnectedEngineFixture {
 protected:

  // Stores a column and marks it for offline download.
  std::shared_ptr<Column> offlineColumn(const std::string& id, const std::string& listPath) {
    auto column = std::make_shared<Column>();
    column->setEntryId(id);
    column->setTitle(id);
    auto link = std::make_shared<Link>();
    link->setRel(std::string("alternate"));
    link->setHref(service_.baseUrl() + listPath);
    column->setAlternatelink(link);
    EXPECT_TRUE(engine_->getSubPersist()->insertEntry(column));
    engine_->setColumnOfflineDownload(id, true);
    return column;
  }
  size_t requestsUnder(const std::string& prefix) {
    size_t count = 0;
    for (const auto& r : service_.requests()) count += r.path.rfind(prefix, 0) == 0;
    return count;
  }
  // The percent reports, as "index/total:percent".
  std::vector<std::string> percents() {
    std::vector<std::string> out;
    for (const auto& p : observer_->offlineProgress()) {
      if (p->isFlowNotify()) continue;
      out.push_back(std::to_string(p->index()) + "/" + std::to_string(p->total()) + ":" +
                    std::to_string(p->percent()));
    }
    return out;
  }

  // Two columns of 30 and 4 slowly answered articles: the download runs until the first
  // article of the first column is done; null when that does not happen.
  std::shared_ptr<Task> startSlowDownloadUntilAnArticleIsDone() {
    service_.setResponseDelay("/article/", 100);
    offlineColumn("col-gen-30", "/col/gen-30.atom");
    offlineColumn("col-gen-4", "/col/gen-4.atom");
    auto task = engine_->createOfflineDownloadTask();
    engine_->asyncRunTask(task);
    const bool started = RunLoop::current()->runUntil(
        [&] {
          for (const auto& p : percents()) {
            if (p != "1/2:0") return true;
          }
          return false;
        },
        20);
    return started ? task : nullptr;
  }
};

TEST_F(OfflineDownloadTest, MarkedColumnsAreDownloadedAndReadableWithTheServiceGone) {
  auto news = offlineColumn("col-news", "/col/news.atom");
  auto generated = offlineColumn("col-gen-3", "/col/gen-3.atom");
  offlineColumn("col-unmarked", "/col/photo.atom");
  engine_->setColumnOfflineDownload(std::string("col-unmarked"), false);

  auto task = engine_->createOfflineDownloadTask();
  engine_->asyncRunTask(task);
  auto finish = observer_->waitForFinish(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
  EXPECT_FALSE(Application::isIdleTimerDisabled());
  EXPECT_TRUE(FileCacheManager::globalInstance()->isAutoCleanEnabled());
  EXPECT_TRUE(service_.requestsTo("/col/photo.atom").empty());
  // Each article, its extra page and its comments; the style sheet at most once for each article
  // that uses it (the sheet now carries an expiry, so an article fetched after another's copy
  // arrived takes it from the link cache; articles fetched side by side may each ask).
  EXPECT_EQ(requestsUnder("/article/"), 6u);
  EXPECT_EQ(requestsUnder("/dynamic/"), 6u);
  EXPECT_EQ(requestsUnder("/comments/"), 6u);
  EXPECT_GE(service_.requestsTo("/style/article.css").size(), 1u);
  EXPECT_LE(service_.requestsTo("/style/article.css").size(), 3u);
  // The generated column's thumbnails and its articles' pictures, as offline items.
  for (int i = 1; i <= 3; ++i) {
    const std::string id = "gen-3-" + std::to_string(i);
    EXPECT_TRUE(
        HttpEngine::localFilePathIfExistsForUrl(service_.baseUrl() + "/img/" + id + "-thumb.png"));
    EXPECT_TRUE(HttpEngine::localFilePathIfExistsForUrl(service_.baseUrl() + "/img/" + id +
                                                        "-picture.png"));
  }
  // With the pictures of each article's comments (3 + 3), those the news articles show (3) and the
  // news list's two thumbnails.
  EXPECT_EQ(HttpDataEngine::sharedInstance()->imageCache()->getCachedItemsCount(1), 17);
  auto reports = observer_->offlineProgress();
  ASSERT_FALSE(reports.empty());
  int64_t bytes = 0;
  for (const auto& p : reports) {
    if (!p->isFlowNotify()) continue;
    EXPECT_GT(p->bytes(), bytes);
    bytes = p->bytes();
  }
  EXPECT_GT(bytes, 0);
  EXPECT_EQ(reports.back()->totalNewsCount(), 6);
  // The result went to the usage statistics: both columns, succeeded.
  ASSERT_TRUE(service_.waitForRequests("/report/statistics.atom", 1, std::chrono::seconds(20)));
  const std::string report = service_.requestsTo("/report/statistics.atom")[0].body;
  EXPECT_NE(report.find("<sources><source>col-news</source><source>col-gen-3</source>"),
            std::string::npos);
  EXPECT_NE(report.find("<result>1</result>"), std::string::npos);

  // Without the service: the lists, the articles and the style sheet are all still here.
  service_.stop();
  probe_->setFlags(SettableNetworkProbe::kOffline);
  auto list = engine_->createGetNewsSummarysTask(generated->alternatelink(), generated, true);
  ASSERT_EQ(runTask(list)->code, 0);
  ASSERT_EQ(observer_->feedsOf(list).at(0)->entrys()->size(), 3u);
  auto article = engine_->createGetNewsDetailTask(
      observer_->feedsOf(list).at(0)->entrys()->at(0)->alternatelink());
  ASSERT_EQ(runTask(article)->code, 0);
  auto detail = observer_->feedsOf(article).at(0)->entrys()->at(0);
  EXPECT_NE(detail->content()->data()->find("Sample text of gen-3-1"), std::string::npos);
  UrlRequest style(service_.baseUrl() + "/style/article.css");
  auto css = engine_->getLinkCache()->cachedResponseForRequest(style);
  ASSERT_TRUE(css);
  EXPECT_NE(std::string(css->data.begin(), css->data.end()).find("margin"), std::string::npos);
  ASSERT_TRUE(waitUntilIdle());
}

TEST_F(OfflineDownloadTest, AtMostThirtyArticlesAndTenAtOnceWithProgressPerArticle) {
  // Each answer waits long enough for the ten requests started together to reach the server
  // together even on a loaded machine (a tenth of a second was too short under the
  // sanitizers: seven met).
  service_.setResponseDelay("/article/", 600);
  offlineColumn("col-gen-45", "/col/gen-45.atom");
  offlineColumn("col-gen-5", "/col/gen-5.atom");
  auto task = engine_->createOfflineDownloadTask();
  ASSERT_EQ(runTask(task)->code, 0);
  EXPECT_EQ(requestsUnder("/article/gen-45-"), 30u);
  EXPECT_EQ(requestsUnder("/article/gen-5-"), 5u);
  // Ten articles at once, never more (each slow answer holds its engine).
  EXPECT_EQ(service_.maxConcurrentRequests(), 10);

  auto reported = percents();
  // The second column: started, one step per article, and done.
  std::vector<std::string> second;
  for (const auto& p : reported) {
    if (p.rfind("2/2:", 0) == 0) second.push_back(p);
  }
  EXPECT_EQ(second, (std::vector<std::string>{"2/2:0", "2/2:20", "2/2:40", "2/2:60", "2/2:80",
                                              "2/2:100", "2/2:100"}));
  EXPECT_EQ(reported.front(), "1/2:0");
}

TEST_F(OfflineDownloadTest, AStyleSheetTooLargeToHoldIsNotKept) {
  // Past the bound of every reply body held in memory: a runaway or hostile server.
  service_.setFile("/style/article.css",
                   std::string(static_cast<size_t>(HttpEngine::kMaxBodyInMemory) + 1, ' '),
                   "text/css");
  offlineColumn("col-gen-1", "/col/gen-1.atom");
  ASSERT_EQ(runTask(engine_->createOfflineDownloadTask())->code, 0);
  EXPECT_EQ(service_.requestsTo("/style/article.css").size(), 1u);
  service_.setFile("/style/article.css", std::nullopt);
  probe_->setFlags(SettableNetworkProbe::kOffline);
  UrlRequest style(service_.baseUrl() + "/style/article.css");
  EXPECT_FALSE(engine_->getLinkCache()->cachedResponseForRequest(style));
}

TEST_F(OfflineDownloadTest, AStyleSheetWithoutASchemeIsNotFetched) {
  // Written without "http://", the address names no host: it must not become a request to
  // whatever host its first part spells (here this server).
  service_.setFile(
      "/article/gen-1-1.atom",
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">"
      "<id>gen-1-1</id><title>Relative</title><updated>2026-01-05T07:30:00Z</updated><entry>"
      "<title>Relative</title><id>gen-1-1</id><updated>2026-01-05T07:30:00Z</updated>"
      "<content type=\"html\"><![CDATA[<html><head><link rel=\"stylesheet\" type=\"text/css\" "
      "href=\"" + service_.host() + "/style/article.css\"/></head><body><p>Relative</p></body>"
      "</html>]]></content></entry></feed>\n",
      "application/atom+xml");
  offlineColumn("col-gen-1", "/col/gen-1.atom");
  ASSERT_EQ(runTask(engine_->createOfflineDownloadTask())->code, 0);
  EXPECT_EQ(service_.requestsTo("/article/gen-1-1.atom").size(), 1u);
  EXPECT_TRUE(service_.requestsTo("/style/article.css").empty());
}

TEST_F(OfflineDownloadTest, AHeldStyleSheetStallsNeitherTheOtherArticlesNorACancel) {
  // A server that takes the first article's style sheet request and answers nothing for a
  // minute: the other articles come meanwhile, and a cancel ends the download at once.
  LoopbackServer sheets;
  LoopbackServer::Response held = LoopbackServer::Response::text(200, "p{}", "text/css");
  held.delayBeforeHeaders = std::chrono::seconds(60);
  sheets.setResponse("/held.css", held);
  service_.setFile(
      "/article/gen-3-1.atom",
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">"
      "<id>gen-3-1</id><title>Held</title><updated>2026-01-05T07:30:00Z</updated><entry>"
      "<title>Held</title><id>gen-3-1</id><updated>2026-01-05T07:30:00Z</updated>"
      "<content type=\"html\"><![CDATA[<html><head><link rel=\"stylesheet\" type=\"text/css\" "
      "href=\"" + sheets.url("/held.css") + "\"/></head><body><p>Held</p></body>"
      "</html>]]></content></entry></feed>\n",
      "application/atom+xml");
  offlineColumn("col-gen-3", "/col/gen-3.atom");
  auto task = engine_->createOfflineDownloadTask();
  engine_->asyncRunTask(task);
  ASSERT_TRUE(sheets.waitForRequests(1, std::chrono::seconds(20)));
  for (const char* picture : {"/img/gen-3-2-picture.png", "/img/gen-3-3-picture.png"}) {
    EXPECT_TRUE(service_.waitForRequests(picture, 1, std::chrono::seconds(20))) << picture;
  }
  engine_->asyncCancelTask(task);
  auto finish = observer_->waitForFinish(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrCancelled);
  EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
  // The held sheet was asked for once and is not in the link cache.
  EXPECT_EQ(sheets.requestCount(), 1u);
  UrlRequest style(sheets.url("/held.css"));
  EXPECT_FALSE(engine_->getLinkCache()->cachedResponseForRequest(style));
  ASSERT_TRUE(waitUntilIdle());
}

TEST_F(OfflineDownloadTest, NothingMarkedOrABookColumnEndAtOnce) {
  auto empty = engine_->createOfflineDownloadTask();
  ASSERT_EQ(runTask(empty)->code, 0);
  EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
  EXPECT_TRUE(percents().empty());

  auto book = offlineColumn("col-book", "/col/news.atom");
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(9);
  book->setVeskEntryStatus(status);
  ASSERT_TRUE(engine_->getSubPersist()->updateEntry(book));
  ASSERT_EQ(runTask(engine_->createOfflineDownloadTask())->code, 0);
  EXPECT_EQ(percents(), (std::vector<std::string>{"1/1:0", "1/1:100"}));
  EXPECT_TRUE(service_.requestsTo("/sub/refresh.atom").empty());
}

TEST_F(OfflineDownloadTest, NothingMarkedOnAFirstLaunchWithoutNetworkEndsWithoutARequest) {
  // No addresses fetched since the launch, none kept from before, and no network.
  stopEngine();
  std::filesystem::remove_all(Paths::caches() / UniqueCache::kFolderName);
  service_.setStatusForPath("/getServiceUrl.atom", 503);
  probe_->setFlags(SettableNetworkProbe::kOffline);
  startEngine();
  ASSERT_FALSE(gUrlManager()->isEverSet());
  service_.clearRequests();
  EXPECT_EQ(runTask(engine_->createOfflineDownloadTask())->code, 0);
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(service_.requests().empty());
  EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
}

TEST_F(OfflineDownloadTest, TheFirstDownloadAfterALaunchFillsTheUrlTableFirst) {
  // Nothing since the launch has fetched the service's addresses: the download fetches them
  // before its first column is refreshed, so its articles come.
  offlineColumn("col-gen-3", "/col/gen-3.atom");
  stopEngine();
  startEngine();
  ASSERT_FALSE(gUrlManager()->isEverSet());
  service_.clearRequests();
  ASSERT_EQ(runTask(engine_->createOfflineDownloadTask())->code, 0);
  EXPECT_EQ(service_.requestsTo("/getServiceUrl.atom").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/sub/refresh.atom").size(), 1u);
  EXPECT_EQ(requestsUnder("/article/gen-3-"), 3u);

  // Without the feed and without the copy kept from before, the download ends with the failure
  // (not with a success that downloaded nothing) and gives back what it held.
  stopEngine();
  std::filesystem::remove_all(Paths::caches() / UniqueCache::kFolderName);
  service_.setStatusForPath("/getServiceUrl.atom", 503);
  startEngine();
  EXPECT_EQ(runTask(engine_->createOfflineDownloadTask())->code, -3503);
  EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
}

TEST_F(OfflineDownloadTest, CancelMidWayEndsWithCancelledOnceTheArticlesInFlightReturn) {
  auto task = startSlowDownloadUntilAnArticleIsDone();
  ASSERT_TRUE(task);
  engine_->asyncCancelTask(task);
  auto finish = observer_->waitForFinish(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrCancelled);
  EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
  ASSERT_TRUE(service_.waitForRequests("/report/statistics.atom", 1, std::chrono::seconds(20)));
  EXPECT_NE(service_.requestsTo("/report/statistics.atom")[0].body.find("<result>2</result>"),
            std::string::npos);
  EXPECT_LT(requestsUnder("/article/gen-30-"), 30u);
  EXPECT_EQ(requestsUnder("/article/gen-4-"), 0u);
}

TEST_F(OfflineDownloadTest, CancelsSweptOverARepeatedDownloadEndItCleanly) {
  // A column downloaded before: its pictures are all in the cache, so each article's picture
  // list settles at once and finishes on a later turn, while the column's own engine, lent
  // to one article and its pictures after another, falls idle once the last article is
  // handed out. Round i cancels i x 5 ms after the first article of the download is done; a
  // cancel landing in such a moment reaches an idle engine, which must find no stale listener.
  offlineColumn("col-gen-30", "/col/gen-30.atom");
  ASSERT_EQ(runTask(engine_->createOfflineDownloadTask())->code, 0);
  for (int i = 0; i < 30; ++i) {
    const size_t reportsBefore = observer_->offlineProgress().size();
    auto task = engine_->createOfflineDownloadTask();
    engine_->asyncRunTask(task);
    ASSERT_TRUE(RunLoop::current()->runUntil(
        [&] {
          const auto reports = observer_->offlineProgress();
          for (size_t k = reportsBefore; k < reports.size(); ++k) {
            if (!reports[k]->isFlowNotify() && reports[k]->percent() > 0) return true;
          }
          return observer_->finishOf(task).has_value();
        },
        20))
        << "round " << i;
    RunLoop::current()->runUntil([] { return false; }, i * 0.005);
    engine_->asyncCancelTask(task);
    auto finish = observer_->waitForFinish(task);
    ASSERT_TRUE(finish) << "round " << i;
    EXPECT_TRUE(finish->code == kErrCancelled || finish->code == kErrOk)
        << "round " << i << ": " << finish->code;
    EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
  }
  ASSERT_TRUE(waitUntilIdle());
}

TEST_F(OfflineDownloadTest, LosingTheNetworkMidWayEndsWithNetworkUnavailable) {
  auto task = startSlowDownloadUntilAnArticleIsDone();
  ASSERT_TRUE(task);
  probe_->setFlags(SettableNetworkProbe::kOffline);
  service_.stop();
  auto finish = observer_->waitForFinish(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrNetworkUnavailable);
  EXPECT_FALSE(OfflineDownColumnBatchTask::isRunning());
  EXPECT_FALSE(Application::isIdleTimerDisabled());
}

}  // namespace
}  // namespace zu
