// The article list against the sample service, through the whole engine and the application
// observer: the news column's first page in three day sections, a pull, the next page, and an
// empty column; pictures list-news.png and list-empty.png.
#include <gtest/gtest.h>

#include "engine/core/EngineTestSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "platform/intl/TimeZone.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/ViewTreeDump.h"
#include "platform/ui/Window.h"
#include "reading/ReadingNibs.h"
#include "reading/RefreshTableHeaderView.h"
#include "reading/ReportContentController.h"
#include "reading/ReportContentEngine.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

// The data engine as it is; the loopback service counts as the internet.
class LoopbackEngine : public ReportContentEngine {
 public:
  bool isInternetReachable() override { return true; }
};

class ReportContentServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    TimeZone::setDefault(TimeZone::named("Asia/Shanghai"));
    startEngine();
    engine_->setUsername(std::string("reader"), std::string("pw"));
    // The news column with its article list, as the recommended list carries it.
    auto recommended = std::make_shared<Link>();
    recommended->setHref(service_.baseUrl() + "/sub/recommend.atom");
    auto catalogue = engine_->createGetServerColumnsTask(recommended);
    auto finish = runTask(catalogue);
    ASSERT_TRUE(finish && finish->code == 0);
    for (const auto& feed : observer_->feedsOf(catalogue)) {
      for (const auto& entry : *feed->entrys()) {
        if (entry->entryId() == std::optional<std::string>("col-news")) news_ = std::dynamic_pointer_cast<Column>(entry);
      }
    }
    ASSERT_TRUE(news_);
    engine_->setObserver(std::make_shared<Observer>());
    testing::ShellFixture::resetShell();
    StandInScreen::registerMissing();
    ReadingNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    navigation_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    TimeZone::setDefault(std::nullopt);
    EngineFixture::TearDown();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }

  std::shared_ptr<ReportContentController> open() {
    auto list = std::dynamic_pointer_cast<ReportContentController>(ScreenRequest::articleList(news_));
    EXPECT_TRUE(list);
    if (!list) return nullptr;
    list->setEngine(std::make_shared<LoopbackEngine>());
    navigation_ = std::make_shared<ui::NavigationController>(list);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    return list;
  }

  std::shared_ptr<Column> news_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
};

TEST_F(ReportContentServiceTest, NewsInThreeDaySectionsPullAndNextPage) {
  auto list = open();
  ASSERT_TRUE(list);
  ASSERT_TRUE(turnUntil([&] { return list->sortdataSource().size() == 3 && !list->loadingView(); }));
  EXPECT_EQ(std::optional<std::string>("Ferry timetable changes for the winter"), list->sortdataSource()[0][0]->title());
  EXPECT_EQ(2u, list->sortdataSource()[2].size());  // the last day and the load-more row
  auto& table = *list->contenttable();
  EXPECT_FALSE(table.isHidden());
  const std::string tree = ui::dumpViewTree(*window_);
  EXPECT_NE(std::string::npos, tree.find("Fish market opens a second hall")) << tree;
  EXPECT_TRUE(ui::writeSnapshot(*ui::render(*window_), "list-news"));

  // A pull: released beyond -65, the refresh asks the service again 1 s later.
  const size_t firstPages = service_.requestsTo("/col/news.atom").size();
  table.beginDrag(ui::Point(160, 200));
  table.dragTo(ui::Point(160, 201));
  table.setContentOffset(ui::Point(0, -80));
  list->scrollViewDidEndDragging(table, false);
  table.endDrag();
  EXPECT_TRUE(list->isReloading());
  ASSERT_TRUE(turnUntil([&] { return !list->isReloading(); }));
  ASSERT_TRUE(turnUntil([&] { return service_.requestsTo("/col/news.atom").size() > firstPages; }));
  EXPECT_EQ(1, list->refreshHeaderView()->state());
  EXPECT_TRUE(engine_->getColumnRefreshTime(std::string("col-news")).has_value());

  // The next page, asked for when the load-more row is drawn.
  table.setContentOffset(ui::Point(0, 0));
  table.scrollToRow(ui::IndexPath::forRow(1, 2), ui::TableViewScrollPosition::Bottom, false);
  table.layoutIfNeeded();
  ASSERT_TRUE(turnUntil([&] { return list->dataSource()->size() == 4 && !list->isNextPageRunning(); }));
  EXPECT_EQ(1u, service_.requestsTo("/col/news-2.atom").size());
  EXPECT_FALSE(list->sortdataSource().back().back()->title() == std::nullopt);  // the last page: no load-more row
}

TEST_F(ReportContentServiceTest, AnEmptyColumnShowsItsTipsAndClosingThemLeaves) {
  service_.setDocument("column-news.xml",
                       std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                   "<feed xmlns=\"http://www.w3.org/2005/Atom\"><id>col-news</id><title>t</title>"
                                   "<updated>2026-01-05T07:30:00Z</updated></feed>"));
  auto list = open();
  ASSERT_TRUE(list);
  auto root = std::make_shared<ui::ViewController>();
  navigation_->setViewControllers({root, list}, false);
  ASSERT_TRUE(turnUntil([&] { return !ui::AlertRegistry::shared().shown().empty() && !list->loadingView(); }));
  EXPECT_TRUE(list->dataSource()->empty());
  EXPECT_TRUE(list->view()->viewWithTag(ReportContentController::kEmptyListTag));  // under the tips
  std::dynamic_pointer_cast<ui::AlertView>(ui::AlertRegistry::shared().top())->dismissWithClickedButtonIndex(0, false);
  ASSERT_TRUE(turnUntil([&] { return navigation_->viewControllers().size() == 1; }));
}

TEST_F(ReportContentServiceTest, AFailedFirstLoadShowsTheEmptyListPicture) {
  // The fixture's bundle is the test's own: it gets the shipped picture.
  writeBundleFile("nocontent_logo.png",
                  TestFiles::read(std::filesystem::path(ZU_SOURCE_DIR) / "resources" / "nocontent_logo.png"));
  service_.setStatusForPath("/col/news.atom", 500);
  auto list = open();
  ASSERT_TRUE(list);
  ASSERT_TRUE(turnUntil([&] { return !list->loadingView(); }));
  auto empty = list->view()->viewWithTag(ReportContentController::kEmptyListTag);
  ASSERT_TRUE(empty);
  ASSERT_EQ(1u, empty->subviews().size());
  EXPECT_TRUE(std::dynamic_pointer_cast<ui::ImageView>(empty->subviews()[0])->image());
  EXPECT_TRUE(ui::writeSnapshot(*ui::render(*window_), "list-empty"));
}

}  // namespace
}  // namespace zu
