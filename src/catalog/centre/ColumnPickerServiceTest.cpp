// The content centre against the sample service, through the whole engine and the application
// observer: the catalogue's three levels with a downloaded cover, its second page, a search, a
// subscription the home grid hears, and the custom subscription road from the custom-content
// category to a found column on the home grid.
#include <gtest/gtest.h>

#include "catalog/centre/ColumnPickerController.h"
#include "catalog/custom/NRSubscribeColumnsArrayController.h"
#include "catalog/custom/NRSubscribeSelfdefCell.h"
#include "catalog/custom/NRSubscribeSelfsearchHeaderView.h"
#include "catalog/widgets/PBCustomSegmentedControl.h"
#include "engine/core/EngineTestSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/service/VeskSubscribe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/controllers/SearchDisplayController.h"
#include "platform/ui/views/Window.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/detail/ColumnDetailViewController.h"
#include "shell/home/MyColumnsController.h"

namespace zu {
namespace {

std::vector<std::vector<std::string>> idsOf(const ColumnSections::List& list) {
  std::vector<std::vector<std::string>> ids;
  for (const auto& section : list) {
    ids.emplace_back();
    for (const auto& column : section) ids.back().push_back(column->entryId().value_or("?"));
  }
  return ids;
}

class ColumnPickerServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    engine_->setUsername(std::string("reader"), std::string("pw"));
    engine_->setObserver(std::make_shared<Observer>());
    ColumnDetailViewController::registerNibs();
    ColumnPickerController::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    // The home grid hears the subscriptions from its start.
    home_ = std::make_shared<MyColumnsController>();
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    home_.reset();
    navigation_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    EngineFixture::TearDown();
  }
  bool turnUntil(const std::function<bool()>& done) {
    return RunLoop::main()->runUntil(
        [&] {
          window_->layoutIfNeeded();
          return done();
        },
        20);
  }
  std::shared_ptr<ColumnPickerController> openRoot() {
    auto picker = std::make_shared<ColumnPickerController>();
    navigation_ = std::make_shared<ui::NavigationController>(picker);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    EXPECT_TRUE(turnUntil([&] { return !picker->dataSource().empty(); }));
    return picker;
  }
  std::shared_ptr<Column> rowColumn(const ColumnSections::List& list, const std::string& id) {
    for (const auto& section : list) {
      for (const auto& column : section) {
        if (column->entryId() == id) return column;
      }
    }
    return nullptr;
  }
  bool onHomeGrid(const std::string& id) {
    for (const auto& column : home_->dataSource()) {
      if (column->entryId() == id) return true;
    }
    return false;
  }
  // Taps the row and turns until the pushed level has its first page.
  std::shared_ptr<ColumnPickerController> openLevel(ColumnPickerController& from, const ui::IndexPath& row) {
    EXPECT_TRUE(from.tableView()->tapRow(row));
    auto level = std::dynamic_pointer_cast<ColumnPickerController>(navigation_->topViewController());
    EXPECT_TRUE(level && level.get() != &from);
    if (level) EXPECT_TRUE(turnUntil([&] { return !level->dataSource().empty(); }));
    return level;
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<MyColumnsController> home_;
};

TEST_F(ColumnPickerServiceTest, BrowsesThreeLevelsPagesSearchesAndSubscribes) {
  auto picker = openRoot();
  // The root's first page: the custom-content section, the categories, the popular columns.
  EXPECT_EQ(idsOf(picker->dataSource()), (std::vector<std::vector<std::string>>{
                                             {"cat-custom", "col-zelvane"}, {"cat-news", "cat-pictures"},
                                             {"col-news", "col-photo"}}));
  auto news = rowColumn(picker->dataSource(), "col-news");
  // Its cover is downloaded once and the row shown again from the cached file.
  ASSERT_TRUE(turnUntil([&] { return news->coverImageThumbnailLoaded(); }));
  // The load-more row brings the second page, which continues the popular section.
  auto& table = *picker->tableView();
  table.scrollToRow(ui::IndexPath::forRow(2, 2), ui::TableViewScrollPosition::Bottom, false);
  ASSERT_TRUE(turnUntil([&] { return picker->dataSource().back().size() == 6; }));
  EXPECT_EQ(idsOf(picker->dataSource()).back(),
            (std::vector<std::string>{"col-news", "col-photo", "col-rss", "col-video", "col-weather", "col-kitchen"}));
  EXPECT_FALSE(picker->curFeed()->nextLink());

  // Three levels: the news category, then its local category.
  table.scrollToRow(ui::IndexPath::forRow(0, 1), ui::TableViewScrollPosition::Top, false);
  auto level = openLevel(*picker, ui::IndexPath::forRow(0, 1));
  ASSERT_TRUE(level);
  EXPECT_EQ(idsOf(level->dataSource()),
            (std::vector<std::vector<std::string>>{{"col-news"}, {"col-rss"}, {"cat-news-local"}}));
  auto third = openLevel(*level, ui::IndexPath::forRow(0, 2));
  ASSERT_TRUE(third);
  EXPECT_EQ(idsOf(third->dataSource()),
            (std::vector<std::vector<std::string>>{{"col-news", "col-video", "col-weather"}}));
  navigation_->popToRootViewController(false);
  window_->layoutIfNeeded();

  // A search: the total heads the results.
  auto& bar = *picker->searchBar();
  ASSERT_TRUE(bar.becomeFirstResponder());
  bar.setText("the");
  picker->searchBarSearchButtonClicked(bar);
  ASSERT_TRUE(turnUntil([&] { return !picker->searchedDataSource().empty(); }));
  auto& results = *picker->searchDisplay()->searchResultsTableView();
  EXPECT_EQ(picker->heightForHeaderInSection(results, 0), ColumnPickerController::kHeaderHeight);
  EXPECT_NE(rowColumn(picker->searchedDataSource(), "col-news"), nullptr);

  // A subscription from the catalogue: the service keeps it and the home grid shows the tile.
  auto photo = rowColumn(picker->dataSource(), "col-photo");
  picker->subscribe(photo);
  ASSERT_TRUE(turnUntil([&] { return photo->veskSubscribe() && photo->veskSubscribe()->subscribed() == 1; }));
  ASSERT_TRUE(turnUntil([&] { return onHomeGrid("col-photo"); }));
  EXPECT_EQ(service_.subscriptions(), (std::vector<std::string>{"col-photo"}));
}

// The custom-content category opens the custom subscription list; an RSS scope finds columns a
// page at a time, and subscribing one puts it on the home grid.
TEST_F(ColumnPickerServiceTest, TheCustomSubscriptionRoadEndsOnTheHomeGrid) {
  auto picker = openRoot();
  ASSERT_TRUE(picker->tableView()->tapRow(ui::IndexPath::forRow(0, 0)));
  auto list = std::dynamic_pointer_cast<NRSubscribeColumnsArrayController>(navigation_->topViewController());
  ASSERT_TRUE(list);
  auto header = std::dynamic_pointer_cast<NRSubscribeSelfsearchHeaderView>(list->headerView());
  ASSERT_TRUE(header);
  ASSERT_TRUE(turnUntil([&] { return header->segmentControl()->numberOfSegments() == 4; }));
  header->segmentControl()->setSelectedSegmentIndex(3);
  header->searchBar()->setText("harbour");
  header->searchBarSearchButtonClicked(*header->searchBar());
  ASSERT_TRUE(turnUntil([&] { return list->dataSource() && !list->dataSource()->empty(); }));
  // Two found on the first page, the third on the next, asked for by the load-more row.
  ASSERT_TRUE(turnUntil([&] {
    list->tableView()->scrollToRow(ui::IndexPath::forRow(0, 1), ui::TableViewScrollPosition::Bottom, false);
    return list->curFeed() && !list->curFeed()->nextLink();
  }));
  EXPECT_EQ(idsOf(*list->dataSource()),
            (std::vector<std::vector<std::string>>{{"custom-rss-1"}, {"custom-rss-2", "custom-rss-3"}}));

  list->tableView()->scrollToRow(ui::IndexPath::forRow(0, 0), ui::TableViewScrollPosition::Top, false);
  window_->layoutIfNeeded();
  auto cell = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(list->tableView()->cellForRow(ui::IndexPath::forRow(0, 0)));
  ASSERT_TRUE(cell);
  cell->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_TRUE(turnUntil([&] { return onHomeGrid("custom-rss-1"); }));
  EXPECT_EQ(service_.subscriptions(), (std::vector<std::string>{"custom-rss-1"}));
  // The list heard its own repost: the row is subscribed.
  const auto& found = list->dataSource()->front().front();
  ASSERT_TRUE(found->veskSubscribe());
  EXPECT_EQ(found->veskSubscribe()->subscribed(), 1);
}

}  // namespace
}  // namespace zu
