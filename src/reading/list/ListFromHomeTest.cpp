// The article list opened from the home grid, the whole application launched over the engine and
// the sample service: what the home grid's refresh of a column leaves for that column's list, and
// how the list and its bar come in over the grid and go again.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/core/Task.h"
#include "engine/core/DataEngine.h"
#include "platform/intl/Calendar.h"
#include "platform/intl/DateFormatter.h"
#include "platform/intl/TimeZone.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/motion/Presentation.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/views/Window.h"
#include "reading/ReadingNibs.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "reading/refresh/RefreshTableHeaderView.h"
#include "shell/app/LaunchTestSupport.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/home/ColumnGridCell.h"
#include "shell/home/MyColumnsController.h"
#include "testing/SettableNetworkProbe.h"
#include "views/GridView.h"

namespace zu {
namespace {

// The list's own engine, keeping the tasks it makes.
class KeepingListEngine : public ReportContentEngine {
 public:
  std::shared_ptr<Task> createGetNewsSummarysTask(const std::shared_ptr<Link>& link, const std::shared_ptr<Column>& column,
                                                  bool useCache) override {
    auto task = ReportContentEngine::createGetNewsSummarysTask(link, column, useCache);
    if (task) tasks.push_back(task);
    return task;
  }
  std::vector<std::shared_ptr<Task>> tasks;
};

class ListFromHomeTest : public testing::LaunchFixture {
 protected:
  void SetUp() override {
    ReadingNibs::registerNibs();
    LaunchFixture::SetUp();
    TimeZone::setDefault(TimeZone::named("Asia/Shanghai"));
    probe_->setFlags(SettableNetworkProbe::kWifi);
  }
  void TearDown() override {
    terminate();
    TimeZone::setDefault(std::nullopt);
    LaunchFixture::TearDown();
  }
  // A reader with `columns` subscribed, launched onto the home grid.
  void launchWith(const std::vector<std::string>& columns) {
    auto& defaults = UserDefaults::standard();
    defaults.set("username", Value("reader"));
    defaults.set("password", Value("pw"));
    defaults.set("isAnonymous", Value(false));
    service_.setSubscriptions(columns);
    launch();
  }
  // The list a tap on tile `index` pushed, once its first page is shown.
  std::shared_ptr<ReportContentController> openTile(int index) {
    home_->view()->window()->layoutIfNeeded();
    home_->gridViewTouchDownCellAtIndex(*home_->gridView(), index);
    home_->gridViewDidClickCellAtIndex(*home_->gridView(), index);
    settle(1);
    auto list = std::dynamic_pointer_cast<ReportContentController>(home_->navigationController()->topViewController());
    if (list) {
      EXPECT_TRUE(pump([&] { return !list->loadingView() && !list->sortdataSource().empty(); }));
    }
    return list;
  }
};

// The home grid refreshes the news column on launch and keeps when; the column's list, opened
// from its tile, says so in its pull header (today, this minute), and takes a later refresh of
// the same day as one of the same day: an unchanged first page changes nothing.
TEST_F(ListFromHomeTest, TheHomeGridsRefreshTimeIsTheListsLastRefresh) {
  launchWith({"col-news"});
  const std::string key = "col-news";
  ASSERT_TRUE(pump([&] {
    return !home_->isFirst() && !home_->isRefreshing() && gDataEngine()->getColumnRefreshTime(key).has_value();
  }));
  const double refreshed = *gDataEngine()->getColumnRefreshTime(key);
  EXPECT_NEAR(Clock::get()->now(), refreshed, 60);  // a date in seconds, not in milliseconds

  auto list = openTile(0);
  ASSERT_TRUE(list);
  auto header = list->refreshHeaderView();
  ASSERT_TRUE(header);
  ASSERT_TRUE(header->refreshTime().has_value());
  EXPECT_EQ(refreshed, *header->refreshTime());
  const DateFormatter format("yyyy年M月d日 HH:mm", TimeZone::defaultZone(), "zh_CN");
  EXPECT_EQ("上次刷新: " + format.format(refreshed), header->lastUpdatedLabel()->text());
  EXPECT_TRUE(Calendar().isSameDay(*header->refreshTime(), Clock::get()->now()));
  // Pulled down short of the refresh line, the header shows that line above the list.
  auto& table = *list->contenttable();
  table.setContentOffset(ui::Point(0, -60));
  settle(1);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*table.window(), "list-news-pulled"));
  NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
  table.window()->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*table.window(), "list-news-pulled-night"));
  NotificationCenter::defaultCenter().post("Notification_Night", Value(false));
  table.setContentOffset(ui::Point(0, 0));

  // The same first page again: once the list has its answer, it is the very list it was.
  const auto shown = list->dataSource();
  auto engine = std::make_shared<KeepingListEngine>();
  list->setEngine(engine);
  list->fetchUpdateData();
  ASSERT_EQ(1u, engine->tasks.size());
  const std::string refresh = engine->tasks[0]->getTaskIdStr();
  ASSERT_TRUE(pump([&] { return NotificationCenter::defaultCenter().observerCount(refresh) == 0; }));
  settle(0.1);
  EXPECT_TRUE(shown == list->dataSource()) << "the list was built again";
}

// From the home grid (no bar) to a column's list (a bar) and back, by day and by night. Half-way
// in, the list's bar comes with the list and the grid is where it was, only moved aside: not
// pushed down, nothing of the window showing between them. Half-way back, the bar leaves with
// the list, showing the list's own title and buttons (not the grid's), and the grid comes in as
// it will rest.
TEST_F(ListFromHomeTest, TheListsBarComesAndGoesWithTheList) {
  launchWith({"col-news", "col-photo"});
  // The grid at rest: both tiles in place with their cover pictures.
  auto pictured = [&](int index) {
    auto* tile = dynamic_cast<ColumnGridCell*>(home_->gridView()->getCellIndex(index).get());
    return tile && tile->contentImageView()->image();
  };
  ASSERT_TRUE(pump([&] { return !home_->isFirst() && !home_->isRefreshing() && pictured(0) && pictured(1); }));
  settle(1);
  ui::NavigationController* navigation = home_->navigationController();
  ASSERT_TRUE(navigation);
  const auto& bar = navigation->navigationBar();
  const double half = ui::NavigationController::kTransitionDuration / 2;
  auto x = [](ui::View& view) { return ui::Presentation::now().stateOf(view).frame().minX(); };
  for (const bool night : {false, true}) {
    SCOPED_TRACE(night ? "night" : "day");
    const std::string look = night ? "night" : "day";
    // Switched as the settings tab does, the grid out of sight.
    auto& tabs = *delegate_->rootController();
    tabs.setSelectedIndex(3);
    settle(1);
    std::optional<testing::NightLook> nightLook;
    if (night) nightLook.emplace();
    tabs.setSelectedIndex(0);
    ASSERT_TRUE(pump([&] { return pictured(0) && pictured(1); }));
    settle(1);
    home_->view()->window()->layoutIfNeeded();
    const auto grid = ui::renderScreen();

    home_->gridViewTouchDownCellAtIndex(*home_->gridView(), 0);
    home_->gridViewDidClickCellAtIndex(*home_->gridView(), 0);
    ASSERT_TRUE(pump([&] { return navigation->viewControllers().size() == 2; }));
    auto list = std::dynamic_pointer_cast<ReportContentController>(navigation->topViewController());
    ASSERT_TRUE(list);
    clock_.clock()->advance(half);
    auto in = ui::renderScreen();
    EXPECT_TRUE(ui::writeSnapshot(*in, "list-from-home-halfway-" + look));
    ASSERT_FALSE(bar->isHidden());
    const int listX = static_cast<int>(x(*list->view()));
    ASSERT_GT(listX, 40);
    ASSERT_LT(listX, 280);
    EXPECT_FLOAT_EQ(x(*list->view()), x(*bar));
    const int gridX = static_cast<int>(x(*home_->view()));
    EXPECT_GE(testing::matchingShare(*in, *grid, -gridX, 0, listX, 20, 480), 0.99);
    // Nothing uncovered in the list's part: the window's black ground shows nowhere.
    int uncovered = 0;
    for (int y = 20; y < 480; ++y) {
      for (int column = listX; column < 320; ++column) uncovered += in->pixelAt(column, y) == 0xff000000u;
    }
    EXPECT_EQ(0, uncovered);
    ASSERT_TRUE(pump([&] { return !list->loadingView() && !list->sortdataSource().empty(); }));
    settle(1);
    const auto shown = ui::renderScreen();

    // The grid's tiles show their pictures again as it comes back (decoded off the main thread).
    navigation->popViewController(true);
    ASSERT_TRUE(turnMainLoopUntil([&] { return pictured(0) && pictured(1); }));
    clock_.clock()->advance(half);
    auto back = ui::renderScreen();
    EXPECT_TRUE(ui::writeSnapshot(*back, "home-from-list-halfway-" + look));
    const int leaving = static_cast<int>(x(*list->view()));
    ASSERT_GT(leaving, 40);
    ASSERT_LT(leaving, 280);
    // The bar's rows as they showed over the list, moved with it.
    EXPECT_GE(testing::matchingShare(*back, *shown, -leaving, leaving, 320, 20, 20 + 44), 0.99);
    const int coming = static_cast<int>(x(*home_->view()));
    EXPECT_GE(testing::matchingShare(*back, *grid, -coming, 0, leaving, 20, 480), 0.99);
    settle(1);
    ASSERT_EQ(1u, navigation->viewControllers().size());
  }
}

}  // namespace
}  // namespace zu
