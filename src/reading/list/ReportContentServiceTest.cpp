// The article list against the sample service, through the whole engine and the application
// observer: the news column's first page in three day sections, a pull, the next page, and an
// empty column; pictures list-news.png and list-empty.png. Each row kind's list with thumbnails
// downloaded by the real session; the favourites of a reader with their count
// (favorites-count.png) and the favourites tab of a new reader (favorites-empty-tab.png).
#include <gtest/gtest.h>

#include "engine/core/EngineTestSupport.h"
#include "reading/support/ReadingServiceTestSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Label.h"
#include "reading/refresh/FavoriteNoneView.h"
#include "reading/cells/ReportContentTableCellForImage.h"
#include "reading/cells/ReportContentTableCellForVideo.h"
#include "reading/cells/ReportContentTableCellMBlog.h"
#include "reading/cells/ReportContentTableCellWithImage.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/app/MainWindowNib.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "platform/intl/TimeZone.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/ViewTreeDump.h"
#include "platform/ui/views/Window.h"
#include "reading/ReadingNibs.h"
#include "reading/refresh/RefreshTableHeaderView.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

class ReportContentServiceTest : public testing::ReadingServiceFixture {
 protected:
  std::shared_ptr<ReportContentController> open(std::shared_ptr<Column> column = nullptr) {
    auto list = std::dynamic_pointer_cast<ReportContentController>(ScreenRequest::articleList(column ? column : news_));
    EXPECT_TRUE(list);
    if (!list) return nullptr;
    list->setEngine(std::make_shared<testing::LoopbackListEngine>());
    navigation_ = std::make_shared<ui::NavigationController>(list);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    return list;
  }

  // The shipped pictures `names` in the fixture's own bundle.
  void shipPictures(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      writeBundleFile(name, TestFiles::read(std::filesystem::path(ZU_SOURCE_DIR) / "resources" / name));
    }
    ui::Image::clearNamedCache();
  }
  // The recommended microblog-kind column (it is not in the catalogue list).
  std::shared_ptr<Column> microblogColumn() {
    auto column = std::make_shared<Column>();
    column->setEntryId(std::string("col-mblog"));
    column->setTitle(std::string("码头微博"));
    auto link = std::make_shared<Link>();
    link->setHref(service_.baseUrl() + "/col/mblog.atom");
    column->setAlternatelink(link);
    auto status = std::make_shared<VeskEntryStatus>();
    status->setType(5);
    column->setVeskEntryStatus(status);
    return column;
  }
  template <typename Cell>
  std::shared_ptr<Cell> cellAt(ReportContentController& list, int64_t row, int64_t section = 0) {
    list.contenttable()->layoutIfNeeded();
    return std::dynamic_pointer_cast<Cell>(list.contenttable()->cellForRow(ui::IndexPath::forRow(row, section)));
  }

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
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "list-news"));

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
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "list-empty"));
}

TEST_F(ReportContentServiceTest, EachRowKindFromTheSampleWithItsThumbnails) {
  // News: thumbnail rows for the two entries with pictures, a plain row for the third; the
  // session brings the pictures into the visible rows.
  auto news = open();
  ASSERT_TRUE(news);
  ASSERT_TRUE(turnUntil([&] { return news->sortdataSource().size() == 3; }));
  ASSERT_TRUE(news->thumbSession());
  ASSERT_TRUE(turnUntil([&] {
    auto row = cellAt<ReportContentTableCellWithImage>(*news, 0, 0);
    return row && row->contentCellImage()->image();
  }));
  EXPECT_FALSE(std::dynamic_pointer_cast<ReportContentTableCellWithImage>(news->contenttable()->cellForRow(ui::IndexPath::forRow(0, 2))));

  // The album of three: two rows, the second half of the last one hidden, its pictures loaded.
  auto album = open(columns_["col-photo"]);
  ASSERT_TRUE(album);
  EXPECT_EQ(1, album->cellType());
  ASSERT_TRUE(turnUntil([&] { return album->dataSource()->size() == 3; }));
  EXPECT_EQ(2, album->contenttable()->numberOfRowsInSection(0));
  ASSERT_TRUE(turnUntil([&] {
    auto last = cellAt<ReportContentTableCellForImage>(*album, 1);
    return last && last->contentCellButtonFirst()->imageForState(ui::kControlStateNormal);
  }));
  EXPECT_TRUE(cellAt<ReportContentTableCellForImage>(*album, 1)->contentCellButtonSecond()->isHidden());

  auto video = open(columns_["col-video"]);
  ASSERT_TRUE(video);
  EXPECT_EQ(2, video->cellType());
  ASSERT_TRUE(turnUntil([&] { return video->dataSource()->size() == 1; }));
  EXPECT_TRUE(cellAt<ReportContentTableCellForVideo>(*video, 0));

  // The microblog-kind column: one section, retweets marked, pictures under the text.
  auto blog = open(microblogColumn());
  ASSERT_TRUE(blog);
  EXPECT_EQ(3, blog->cellType());
  ASSERT_TRUE(turnUntil([&] { return blog->dataSource()->size() == 4; }));
  EXPECT_EQ((std::vector<size_t>{4}), [&] {
    std::vector<size_t> sizes;
    for (const auto& section : blog->sortdataSource()) sizes.push_back(section.size());
    return sizes;
  }());
  auto retweet = cellAt<ReportContentTableCellMBlog>(*blog, 2);
  ASSERT_TRUE(retweet);
  EXPECT_EQ("转发", retweet->contentCellRetweetString()->text());
  EXPECT_EQ("灯塔之友", retweet->contentCellName()->text());
  ASSERT_TRUE(turnUntil([&] {
    auto picture = cellAt<ReportContentTableCellMBlog>(*blog, 1);
    return picture && !picture->contentCellImage()->isHidden() && picture->contentCellImage()->image();
  }));
}

TEST_F(ReportContentServiceTest, AReadersFavouritesWithTheirCount) {
  shipPictures({"topbar.png", "listpage_line.png", "list_press_bj.png"});
  engine_->setObserver(observer_);
  auto first = engine_->createGetNewsSummarysTask(news_->alternatelink(), news_, false);
  ASSERT_TRUE(runTask(first));
  auto feeds = observer_->feedsOf(first);
  ASSERT_FALSE(feeds.empty());
  for (const auto& entry : *feeds.front()->entrys()) {
    auto finish = runTask(engine_->createAddFavoriteNewsSummaryTask(entry));
    ASSERT_TRUE(finish && finish->code == 0);
  }
  ASSERT_EQ(3u, service_.favorites().size());
  engine_->setObserver(std::make_shared<Observer>());
  auto list = open(engine_->createFavoriteColumn());
  ASSERT_TRUE(list);
  EXPECT_EQ(4, list->cellType());
  ASSERT_TRUE(turnUntil([&] { return list->dataSource()->size() == 3 && !list->loadingView(); }));
  EXPECT_EQ("我的收藏(3)", list->titleLabel()->text());
  EXPECT_EQ(0u, ui::AlertRegistry::shared().shown().size());
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "favorites-count"));
}

TEST_F(ReportContentServiceTest, ANewReadersFavouritesTabShowsTheEmptyView) {
  shipPictures({"shoucang_nocontent.png", "topbar.png"});
  engine_->logout();
  MainWindowNib::registerNib();
  std::shared_ptr<MSCustomTabBarController> tabs;
  for (const auto& object : ui::NibRegistry::shared().load(MainWindowNib::kName)) {
    if (auto found = std::dynamic_pointer_cast<MSCustomTabBarController>(object)) tabs = found;
  }
  ASSERT_TRUE(tabs);
  ui::ViewController::installAsRoot(*window_, tabs);
  window_->layoutIfNeeded();
  auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(tabs->viewControllers()[MainWindowNib::kFavoritesTab]);
  auto list = std::dynamic_pointer_cast<ReportContentController>(navigation->topViewController());
  ASSERT_TRUE(list);
  list->setEngine(std::make_shared<testing::LoopbackListEngine>());
  tabs->setSelectedTabIndex(static_cast<int>(MainWindowNib::kFavoritesTab));
  window_->layoutIfNeeded();
  ASSERT_TRUE(list->dataColumn() && list->dataColumn()->isFavoriteColumn());
  ASSERT_TRUE(turnUntil([&] { return list->favoriteNoneView() && !list->loadingView(); }));
  EXPECT_TRUE(list->dataSource()->empty());
  EXPECT_EQ(0u, ui::AlertRegistry::shared().shown().size());
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "favorites-empty-tab"));
}

}  // namespace
}  // namespace zu
