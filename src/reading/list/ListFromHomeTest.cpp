// The article list opened from the home grid, the whole application launched over the engine and
// the sample service: what the home grid's refresh of a column leaves for that column's list.
#include <gtest/gtest.h>

#include "engine/core/Task.h"
#include "engine/core/DataEngine.h"
#include "platform/intl/Calendar.h"
#include "platform/intl/DateFormatter.h"
#include "platform/intl/TimeZone.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/views/Window.h"
#include "reading/ReadingNibs.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "reading/refresh/RefreshTableHeaderView.h"
#include "shell/app/LaunchTestSupport.h"
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
    if (list) EXPECT_TRUE(pump([&] { return !list->loadingView() && !list->sortdataSource().empty(); }));
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
  EXPECT_TRUE(ui::writeSnapshot(*ui::render(*table.window()), "list-news-pulled"));
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

}  // namespace
}  // namespace zu
