// The paged article browser against the sample service, through the whole engine and the
// application observer: an article opened from the news list, its neighbour loaded once it has
// finished, paging to the next, and the article's style sheet and picture taken from the cache
// once fetched.
#include <gtest/gtest.h>

#include "engine/core/EngineTestSupport.h"
#include "reading/support/ReadingServiceTestSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/intl/TimeZone.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "platform/web/RecordingWebBackend.h"
#include "reading/browser/NewsBrowseController.h"
#include "reading/browser/NewsWebView.h"
#include "reading/ReadingNibs.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "reading/browser/ScrolledNewsBrowseController.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/app/ShellWebResourceProvider.h"
#include "views/GridView.h"

namespace zu {
namespace {

class ScrolledNewsBrowseServiceTest : public testing::ReadingServiceFixture {
 protected:
  void TearDown() override {
    NewsBrowseController::clearErrorAlertShown();
    ReadingServiceFixture::TearDown();
  }
  static bool loadedHtml(NewsBrowseController& page) {
    for (const auto& call : page.webView()->recorder()->calls()) {
      if (call.kind == web::RecordingWebBackend::Call::kLoadHtml) return true;
    }
    return false;
  }
};

TEST_F(ScrolledNewsBrowseServiceTest, AnArticleFromTheListThenItsNeighbourThenTheNextPage) {
  auto list = std::dynamic_pointer_cast<ReportContentController>(ScreenRequest::articleList(news_));
  ASSERT_TRUE(list);
  list->setEngine(std::make_shared<testing::LoopbackListEngine>());
  navigation_ = std::make_shared<ui::NavigationController>(list);
  ui::ViewController::installAsRoot(*window_, navigation_);
  window_->layoutIfNeeded();
  ASSERT_TRUE(turnUntil([&] { return list->sortdataSource().size() == 3 && !list->loadingView(); }));
  list->contenttable()->tapRow(ui::IndexPath::forRow(0, 0));
  auto browser = std::dynamic_pointer_cast<ScrolledNewsBrowseController>(navigation_->topViewController());
  ASSERT_TRUE(browser);
  ASSERT_TRUE(turnUntil([&] { return browser->pageAt(0) && browser->pageAt(0)->detailData() && loadedHtml(*browser->pageAt(0)); }));
  auto first = browser->pageAt(0);
  const auto& detail = *first->detailData();
  EXPECT_EQ(std::optional<std::string>("art-news-3"), detail.entryId());
  // The article's picture and its command links.
  ASSERT_TRUE(detail.veskCategorys());
  ASSERT_EQ(1u, detail.veskCategorys()->size());
  EXPECT_EQ(1, detail.veskCategorys()->at(0)->seq());
  EXPECT_EQ(service_.baseUrl() + "/img/art-news-3-picture.png", detail.veskCategorys()->at(0)->href());
  const std::string html = first->webView()->recorder()->calls().back().content;
  EXPECT_EQ(0u, html.find("<script>window.vesk= {"));
  EXPECT_NE(std::string::npos, html.find("web:getimageclick;seq=1"));
  EXPECT_NE(std::string::npos, html.find("vesk.updateFontLevel = function"));
  // The neighbour's detail was prefetched, but its page waits for the first to finish.
  ASSERT_TRUE(turnUntil([&] { return (*browser->newsSummary())[1]->detail() != nullptr; }));
  // Once the push has ended the grid holds both neighbours.
  ASSERT_TRUE(turnUntil([&] { return browser->pageAt(1) != nullptr; }));
  auto second = browser->pageAt(1);
  EXPECT_FALSE(second->isStartLoading());
  first->webView()->recorder()->finishLoad();
  ASSERT_TRUE(turnUntil([&] { return loadedHtml(*second); }));
  EXPECT_EQ(1u, service_.requestsTo("/article/art-news-2.atom").size());  // no second request
  // The toolbar follows the page turned to.
  browser->newsBrowseGrid()->setPage(1, false);
  window_->layoutIfNeeded();
  ASSERT_TRUE(turnUntil([&] { return browser->reportToolBarController()->summaryData() == (*browser->newsSummary())[1]; }));
  EXPECT_EQ(1, (*browser->newsSummary())[1]->veskEntryStatus()->read());
  // The article's style sheet and picture, asked as the engine asks: fetched once, then cached.
  ShellWebResourceProvider provider;
  for (const std::string& path : {std::string("/style/article.css"), std::string("/img/art-news-3-picture.png")}) {
    const std::string url = service_.baseUrl() + path;
    for (int round = 0; round < 2; ++round) {
      bool answered = false;
      provider.resourceForUrl(url, web::WebResourceProvider::Reach::kCacheThenNetwork, [&](std::optional<web::WebResource> resource) {
        answered = true;
        EXPECT_TRUE(resource && !resource->data.empty()) << path;
      });
      ASSERT_TRUE(turnUntil([&] { return answered; }));
    }
    EXPECT_TRUE(provider.holds(url)) << path;
    EXPECT_EQ(1u, service_.requestsTo(path).size()) << path;
  }
}

}  // namespace
}  // namespace zu
