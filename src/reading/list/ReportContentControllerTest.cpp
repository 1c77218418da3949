// The article list with a scripted engine on a fake clock in Asia/Shanghai: sections by day, the
// refresh merge, next pages, the pull, the empty and failed first loads, taps and events.
#include <gtest/gtest.h>

#include "platform/ui/system/EscapeKey.h"
#include "reading/cells/ReportContentTableCellImageAndVideo.h"
#include "reading/support/ReportContentTestSupport.h"

namespace zu {
namespace {

class ReportContentControllerTest : public ReportContentFixture {};

TEST_F(ReportContentControllerTest, FirstPageInDaySectionsAndNextPages) {
  auto list = open(column());
  auto first = last(ReportContentController::kSummaryTag);
  EXPECT_TRUE(first->useCache);
  EXPECT_EQ(std::optional<std::string>("http://list/first"), first->link->href());
  EXPECT_TRUE(list->loadingView());
  // Today 12:00, 11:00, 10:00; yesterday 23:00; a microblog-type item of yesterday that opens no
  // section of its own; two days ago 08:00.
  std::vector<std::shared_ptr<NewsSummary>> firstPage = items("a", 3, kNow);
  firstPage.push_back(summary("b0", kNow - 13 * kHour));
  firstPage.push_back(summary("m0", kNow - 14 * kHour, 5));
  firstPage.push_back(summary("c0", kNow - 52 * kHour));
  report(first, page(firstPage, true));
  EXPECT_FALSE(list->loadingView());
  EXPECT_EQ((std::vector<size_t>{3, 2, 2}), sectionSizes(*list));  // the last holds the load-more row
  EXPECT_EQ(3, list->contenttable()->numberOfSections());
  EXPECT_FALSE(list->contenttable()->isHidden());

  // Drawing the load-more row asks for the next page 0.1 s later, once however often it is drawn.
  showAllRows(*list);
  list->fetchNextData();
  settle(0.1);
  ASSERT_EQ(1u, engine_->tagged(ReportContentController::kNextTag).size());
  EXPECT_TRUE(list->isNextPageRunning());
  // It repeats the last listed item: only what follows is added; one continues its day.
  auto shared = list->dataSource();
  auto next = page({summary("c0", kNow - 52 * kHour), summary("c1", kNow - 53 * kHour),
                    summary("d0", kNow - 80 * kHour)}, true);
  report(last(ReportContentController::kNextTag), next);
  EXPECT_FALSE(list->isNextPageRunning());
  EXPECT_EQ(shared, list->dataSource());  // the browser's array grew in place
  EXPECT_EQ(8u, shared->size());
  EXPECT_EQ((std::vector<size_t>{3, 2, 2, 2}), sectionSizes(*list));

  // A failed page pauses the row until it is tapped.
  list->fetchNextData();
  report(last(ReportContentController::kNextTag), nullptr, -3001);
  auto& table = *list->contenttable();
  const auto loadMore = ui::IndexPath::forRow(1, 3);
  showAllRows(*list);
  auto cell = std::dynamic_pointer_cast<LoadMoreViewCell>(table.cellForRow(loadMore));
  ASSERT_TRUE(cell);
  EXPECT_TRUE(cell->paused());
  EXPECT_EQ(ReportContentController::kTapForMoreText, cell->statusLabel()->text());
  settle(0.2);
  EXPECT_EQ(2u, engine_->tagged(ReportContentController::kNextTag).size());  // paused: no new task
  table.tapRow(loadMore);
  EXPECT_EQ(3u, engine_->tagged(ReportContentController::kNextTag).size());
  // The last page ends the column: no load-more row afterwards.
  report(last(ReportContentController::kNextTag), page({summary("d1", kNow - 81 * kHour)}, false));
  EXPECT_EQ((std::vector<size_t>{3, 2, 2, 2}), sectionSizes(*list));
  EXPECT_EQ("d1", *list->sortdataSource().back().back()->entryId());
  EXPECT_EQ(2, table.numberOfRowsInSection(3));
}

TEST_F(ReportContentControllerTest, AnEmptyNextPageRemovesTheLoadMoreRow) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 2, kNow), true));
  EXPECT_EQ(3, list->contenttable()->numberOfRowsInSection(0));
  list->fetchNextData();
  report(last(ReportContentController::kNextTag), page({}, true));
  EXPECT_EQ(2, list->contenttable()->numberOfRowsInSection(0));
  list->fetchNextData();  // no next link any more
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kNextTag).size());
}

// The browser asks for more pages while it covers the list; a memory warning meanwhile drops the
// list's view. Back in the list, the rows are every listed item, the next page's included.
TEST_F(ReportContentControllerTest, PagesThatCameWhileTheViewWasUnloadedAreListedOnReturn) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 3, kNow), true));
  navigation_->pushViewController(std::make_shared<ui::ViewController>(), false);
  settle(1);
  ui::Application::shared().simulateMemoryWarning();
  ASSERT_FALSE(list->isViewLoaded());
  list->needMorePages();
  report(last(ReportContentController::kNextTag), page(items("b", 2, kNow - 30 * kHour), false));
  EXPECT_EQ(5u, list->dataSource()->size());
  navigation_->popViewController(false);
  settle(1);
  ASSERT_TRUE(list->contenttable());
  // Today's three, then the two of the day before yesterday; the last page: no load-more row.
  EXPECT_EQ((std::vector<size_t>{3, 2}), sectionSizes(*list));
  ASSERT_EQ(2, list->contenttable()->numberOfSections());
  EXPECT_EQ(2, list->contenttable()->numberOfRowsInSection(1));
  list->contenttable()->tapRow(ui::IndexPath::forRow(1, 1));
  auto browser = std::dynamic_pointer_cast<ScrolledNewsBrowseController>(navigation_->topViewController());
  ASSERT_TRUE(browser);
  EXPECT_EQ(4, browser->firstinIndex());
}

TEST_F(ReportContentControllerTest, RefreshMergeCases) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 3, kNow - kHour), false));
  const auto before = list->dataSource();

  // The same first entry: nothing changes.
  list->fetchUpdateData();
  EXPECT_FALSE(last(ReportContentController::kUpdateTag)->useCache);
  report(last(ReportContentController::kUpdateTag), page(items("a", 3, kNow - kHour), false));
  EXPECT_EQ(before, list->dataSource());
  EXPECT_EQ((std::vector<size_t>{3}), sectionSizes(*list));

  // Two new of today go on top of the shared list, in feed order.
  list->fetchUpdateData();
  auto twoNew = page({summary("n0", kNow), summary("n1", kNow - kHour / 2), summary("a0", kNow - kHour)}, false);
  report(last(ReportContentController::kUpdateTag), twoNew);
  EXPECT_EQ(before, list->dataSource());
  ASSERT_EQ(5u, before->size());
  EXPECT_EQ("n0", *(*before)[0]->entryId());
  EXPECT_EQ("n1", *(*before)[1]->entryId());
  EXPECT_EQ((std::vector<size_t>{5}), sectionSizes(*list));
  EXPECT_EQ(5, list->contenttable()->numberOfRowsInSection(0));

  // Seven new: an animated rebuild 0.01 s later on a new array; the old one stays as it was.
  list->fetchUpdateData();
  auto seven = items("s", 7, kNow);
  seven.push_back(summary("n0", kNow - 13 * kHour));
  report(last(ReportContentController::kUpdateTag), page(seven, true));
  EXPECT_NE(before, list->dataSource());
  EXPECT_EQ(5u, before->size());
  EXPECT_EQ(8u, list->dataSource()->size());
  settle(0.01);
  EXPECT_EQ((std::vector<size_t>{7, 2}), sectionSizes(*list));  // yesterday's item with the load-more row
  EXPECT_EQ(2, list->contenttable()->numberOfSections());

  // A last refresh on another calendar day rebuilds the whole list at once.
  list->refreshHeaderView()->setRefreshTime(static_cast<double>(kNow - 30 * kHour) / 1000.0);
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page({summary("x0", kNow), summary("s0", kNow)}, false));
  EXPECT_EQ(2u, list->dataSource()->size());
  EXPECT_EQ((std::vector<size_t>{2}), sectionSizes(*list));
}

TEST_F(ReportContentControllerTest, ANextPageDuringAnAnimatedRebuildIsPartOfIt) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 2, kNow - 10 * kHour), true));
  list->fetchNextData();
  auto next = last(ReportContentController::kNextTag);
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page(items("s", 8, kNow), true));  // rebuild due in 0.01 s
  report(next, page({summary("z0", kNow - 30 * kHour)}, true));
  EXPECT_EQ(9u, list->dataSource()->size());
  settle(0.01);
  // s0–s7 today, z0 yesterday with the load-more row; the table agrees.
  EXPECT_EQ((std::vector<size_t>{8, 2}), sectionSizes(*list));
  EXPECT_EQ(8, list->contenttable()->numberOfRowsInSection(0));
  EXPECT_EQ(2, list->contenttable()->numberOfRowsInSection(1));
}

TEST_F(ReportContentControllerTest, NewItemsOfAnotherDayOpenSectionsAtTheTop) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 2, kNow - 20 * kHour), false));  // yesterday
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag),
         page({summary("n0", kNow), summary("n1", kNow - 21 * kHour), summary("a0", kNow - 20 * kHour)}, false));
  // Today's n0 opens a section; n1 (yesterday) joins yesterday's section.
  EXPECT_EQ((std::vector<size_t>{1, 3}), sectionSizes(*list));
  EXPECT_EQ("n1", *list->sortdataSource()[1][0]->entryId());
  EXPECT_EQ(2, list->contenttable()->numberOfSections());
  EXPECT_EQ(3, list->contenttable()->numberOfRowsInSection(1));
}

TEST_F(ReportContentControllerTest, AlbumRowsPairTheirItemsAcrossAnOddPageAndEachHalfOpensItsOwn) {
  auto list = open(column(1));
  EXPECT_EQ(1, list->cellType());
  report(last(ReportContentController::kSummaryTag), page(items("p", 3, kNow, 1), true));
  // p0 p1 | p2 filler | load-more
  EXPECT_EQ((std::vector<size_t>{5}), sectionSizes(*list));
  EXPECT_EQ(3, list->contenttable()->numberOfRowsInSection(0));
  list->fetchNextData();
  report(last(ReportContentController::kNextTag), page(items("q", 3, kNow - 5 * kHour, 1), false));
  // The filler stays; the new page pairs from its own first item.
  EXPECT_EQ((std::vector<size_t>{8}), sectionSizes(*list));
  EXPECT_EQ(4, list->contenttable()->numberOfRowsInSection(0));

  // The row of q0 | q1, by a finger in the window: the right-hand title opens q1 (list index 4,
  // the item, not the slot's position 5), the left half's bottom margin q0 (3); selecting the
  // row itself opens nothing.
  auto& table = *list->contenttable();
  const auto row = ui::IndexPath::forRow(2, 0);
  table.scrollToRow(row, ui::TableViewScrollPosition::Top, false);
  window_->layoutIfNeeded();
  const ui::Rect rowFrame = table.convertRectTo(table.rectForRow(row), nullptr);
  auto opened = [&]() -> int {
    auto browser = std::dynamic_pointer_cast<ScrolledNewsBrowseController>(navigation_->topViewController());
    const int index = browser ? browser->firstinIndex() : -1;
    if (browser) {
      navigation_->popViewController(false);
      settle(1);
      window_->layoutIfNeeded();
    }
    return index;
  };
  window_->tap(ui::Point(rowFrame.minX() + 240, rowFrame.minY() + 122));
  EXPECT_EQ(4, opened());
  window_->tap(ui::Point(rowFrame.minX() + 80, rowFrame.maxY() - 6));
  EXPECT_EQ(3, opened());
  table.tapRow(row);
  EXPECT_EQ(-1, opened());

  // A drag that starts on the right half scrolls the list: that half's press mask, shown when the
  // finger came down, is taken away again, and nothing opens.
  auto cell = std::dynamic_pointer_cast<ReportContentTableCellImageAndVideo>(table.cellForRow(row));
  ASSERT_TRUE(cell);
  const float before = table.contentOffset().y;
  window_->drag(ui::Point(rowFrame.minX() + 240, rowFrame.minY() + 60),
                ui::Point(rowFrame.minX() + 240, rowFrame.minY() - 40));
  EXPECT_GT(table.contentOffset().y, before);
  EXPECT_FLOAT_EQ(0, cell->contentCellMaskSecond()->alpha());
  EXPECT_EQ(-1, opened());
}

TEST_F(ReportContentControllerTest, PullRefreshesOnlyFromSixtyFiveAndEndsAfterOneSecond) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 3, kNow), false));
  auto& table = *list->contenttable();
  auto& header = *list->refreshHeaderView();
  table.beginDrag(ui::Point(160, 200));
  table.dragTo(ui::Point(160, 201));
  ASSERT_TRUE(table.isDragging());
  header.setState(1);
  table.setContentOffset(ui::Point(0, -65));
  EXPECT_EQ(1, header.state());  // not beyond -65
  table.setContentOffset(ui::Point(0, -66));
  EXPECT_EQ(0, header.state());
  table.setContentOffset(ui::Point(0, -64));
  EXPECT_EQ(1, header.state());
  list->scrollViewDidEndDragging(table, false);  // released at -64: nothing
  EXPECT_FALSE(list->isReloading());
  table.setContentOffset(ui::Point(0, -65));
  list->scrollViewDidEndDragging(table, false);
  EXPECT_TRUE(list->isReloading());
  EXPECT_EQ(2, header.state());
  EXPECT_EQ(60, table.contentInset().top);
  settle(0.99);
  EXPECT_TRUE(engine_->tagged(ReportContentController::kUpdateTag).empty());
  settle(0.01);
  EXPECT_FALSE(list->isReloading());
  EXPECT_EQ(1, header.state());
  ASSERT_EQ(1u, engine_->tagged(ReportContentController::kUpdateTag).size());
  EXPECT_NEAR(kNow / 1000.0 + 1, engine_->refreshTimes["col-1"], 1e-3);  // when the pull finished, in seconds
  table.endDrag();

  // Offline: the tips for -3003, and the header still returns to normal after 1 s.
  engine_->reachable = false;
  table.setContentOffset(ui::Point(0, -70));
  list->scrollViewDidEndDragging(table, false);
  settle(1.0);
  EXPECT_EQ(1, header.state());
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kUpdateTag).size());
  EXPECT_EQ(1u, alertCount());
}

TEST_F(ReportContentControllerTest, EmptyAndFailedFirstLoads) {
  {
    auto list = open(column());
    auto root = std::make_shared<ui::ViewController>();
    navigation_->setViewControllers({root, list}, false);
    report(last(ReportContentController::kSummaryTag), page({}, false));
    ASSERT_EQ(1u, alertCount());
    topAlert()->dismissWithClickedButtonIndex(0, false);
    settle(1);
    EXPECT_EQ(1u, navigation_->viewControllers().size());  // closing the tips left the screen
  }
  engine_->tasks.clear();
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), nullptr, -3001);
  EXPECT_FALSE(list->loadingView());
  EXPECT_TRUE(list->view()->viewWithTag(ReportContentController::kEmptyListTag));
  EXPECT_EQ(1u, alertCount());
}

TEST_F(ReportContentControllerTest, TapOpensTheBrowserAndMarksRead) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 3, kNow), false));
  list->contenttable()->tapRow(ui::IndexPath::forRow(1, 0));
  auto browser = std::dynamic_pointer_cast<ScrolledNewsBrowseController>(navigation_->topViewController());
  ASSERT_TRUE(browser);
  EXPECT_EQ(list->dataSource(), browser->newsSummary());  // the list's own array, not a copy
  EXPECT_EQ(1, browser->firstinIndex());
  EXPECT_EQ(list->dataColumn(), browser->dataColumn());
  EXPECT_EQ((std::vector<std::string>{"a1"}), engine_->read);
  EXPECT_EQ(1, (*list->dataSource())[1]->veskEntryStatus()->read());
}

TEST_F(ReportContentControllerTest, NetworkEventsRefreshAnEmptyListOnTheSelectedTabOnlyNeverOnAppearing) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), nullptr, -3001);
  ASSERT_TRUE(list->dataSource()->empty());
  NotificationCenter::defaultCenter().post(Reachability::kChangedNotification);
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kUpdateTag).size());

  // On a tab that is not selected the refresh waits for the next appearance.
  tabs_ = std::make_shared<ui::TabBarController>();
  auto other = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
  tabs_->setViewControllers({other, navigation_});
  ui::ViewController::installAsRoot(*window_, tabs_);
  ASSERT_EQ(tabs_.get(), list->tabBarController());
  ASSERT_EQ(other, tabs_->selectedViewController());
  NotificationCenter::defaultCenter().post("Notification_ApplicationEnterForeground");
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kUpdateTag).size());
  EXPECT_TRUE(list->isNeedRefresh());

  // Selecting the tab shows the list, which does not refresh on coming into view: only the
  // favourites list does that. Nor do a login and a logout make it reload when shown again.
  tabs_->setSelectedIndex(1);
  settle(0.5);
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kUpdateTag).size());
  for (const char* event : {"MoreSettingsLoginResultSuccessNotification", "Notification_Logout"}) {
    NotificationCenter::defaultCenter().post(event);
  }
  navigation_->pushViewController(std::make_shared<ui::ViewController>(), false);
  settle(1);
  navigation_->popViewController(false);
  settle(1);
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kUpdateTag).size());
  // On the selected tab a network event refreshes the empty list at once; offline, nothing.
  NotificationCenter::defaultCenter().post(Reachability::kChangedNotification);
  EXPECT_EQ(2u, engine_->tagged(ReportContentController::kUpdateTag).size());
  engine_->reachable = false;
  NotificationCenter::defaultCenter().post(Reachability::kChangedNotification);
  EXPECT_EQ(2u, engine_->tagged(ReportContentController::kUpdateTag).size());
}

TEST_F(ReportContentControllerTest, ReturnsFromTheBrowserBringTheArticleItEndedOnIntoView) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 20, kNow), false));  // today and yesterday
  auto& table = *list->contenttable();
  auto comeBack = [&](const ui::IndexPath& tapped, int offset) {
    table.tapRow(tapped);
    settle(1);
    NotificationCenter::defaultCenter().post(ReportContentController::kCurrentIndexNotification, Value(),
                                             Dictionary{{"offset", offset}});
    navigation_->popViewController(false);
    settle(1);
  };
  // Sections: a0–a12 today, a13–a19 yesterday. a5 opened, the browser ended 3 later on a8,
  // below the screen: scrolled to the middle.
  comeBack(ui::IndexPath::forRow(5, 0), 3);
  EXPECT_EQ(-1, list->indexPush());
  auto visible = table.indexPathsForVisibleRows();
  ASSERT_GE(visible.size(), 3u);
  EXPECT_NE(visible.end(), std::find(visible.begin(), visible.end(), ui::IndexPath::forRow(8, 0)));
  EXPECT_NE(ui::IndexPath::forRow(8, 0), visible.front());
  // Across the day: a0 → a15, the third row of yesterday.
  table.setContentOffset(ui::Point(0, 0));
  comeBack(ui::IndexPath::forRow(0, 0), 15);
  visible = table.indexPathsForVisibleRows();
  EXPECT_NE(visible.end(), std::find(visible.begin(), visible.end(), ui::IndexPath::forRow(2, 1)));
  // Back from the end: a19 → a9, not on the screen, comes to the top.
  table.scrollToRow(ui::IndexPath::forRow(6, 1), ui::TableViewScrollPosition::Bottom, false);
  comeBack(ui::IndexPath::forRow(6, 1), -10);
  visible = table.indexPathsForVisibleRows();
  ASSERT_FALSE(visible.empty());
  EXPECT_EQ(ui::IndexPath::forRow(9, 0), visible.front());
  // No move: the list stays where it was.
  const auto offset = table.contentOffset();
  comeBack(ui::IndexPath::forRow(10, 0), 0);
  EXPECT_EQ(offset.y, table.contentOffset().y);
}

TEST_F(ReportContentControllerTest, AnAlbumReturnFindsItsRowAfterAnOddPage) {
  auto list = open(column(1));
  report(last(ReportContentController::kSummaryTag), page(items("p", 3, kNow, 1), true));
  list->fetchNextData();
  report(last(ReportContentController::kNextTag), page(items("q", 15, kNow - 5 * kHour, 1), false));
  // p0 p1 | p2 _ | q0 q1 | q2 q3 | q4 q5 | q6 q7 | q8 q9 | …: q8 (list index 11) is on row 6, not on
  // the row of a count that forgets the filler (11 / 2 = 5).
  auto& table = *list->contenttable();
  table.layoutIfNeeded();
  auto first = std::dynamic_pointer_cast<ReportContentTableCellImageAndVideo>(table.cellForRow(ui::IndexPath::forRow(0, 0)));
  ASSERT_TRUE(first);
  first->contentCellButtonFirst()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);  // p0
  settle(1);
  NotificationCenter::defaultCenter().post(ReportContentController::kCurrentIndexNotification, Value(),
                                           Dictionary{{"offset", 11}});  // q8
  navigation_->popViewController(false);
  settle(1);
  // Scrolled to the middle: row 6's centre is the centre of the screen.
  const auto row = table.rectForRow(ui::IndexPath::forRow(6, 0));
  const float middle = table.contentOffset().y + table.bounds().size.height / 2;
  EXPECT_NEAR(row.origin.y + row.size.height / 2, middle, 1.0f);
}

TEST_F(ReportContentControllerTest, BarButtonsPopAndPresentTheColumnDetail) {
  auto list = open(column());
  auto root = std::make_shared<ui::ViewController>();
  navigation_->setViewControllers({root, list}, false);
  settle(1);
  ASSERT_TRUE(list->leftButton());
  ASSERT_TRUE(list->rightButton());
  EXPECT_EQ(navigation_->navigationBar().get(), list->rightButton()->superview().get());
  EXPECT_EQ(278, list->rightButton()->frame().origin.x);
  EXPECT_TRUE(list->leftButton()->imageForState(ui::kControlStateNormal));
  EXPECT_TRUE(list->rightButton()->imageForState(ui::kControlStateHighlighted));
  list->rightButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto presented = std::dynamic_pointer_cast<ui::NavigationController>(list->modalViewController());
  ASSERT_TRUE(presented);
  auto detail = std::dynamic_pointer_cast<ColumnDetailViewController>(presented->topViewController());
  ASSERT_TRUE(detail);
  EXPECT_EQ(list->dataColumn(), detail->column());
  EXPECT_EQ(ui::ModalTransitionStyle::FlipHorizontal, presented->modalTransitionStyle());
  list->dismissModalViewController(false);
  settle(1);
  auto left = list->leftButton();
  left->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
  EXPECT_FALSE(left->superview());  // taken off the bar when the list went

  // The home button is the list's way back: Escape presses it.
  auto another = open(column());
  navigation_->setViewControllers({std::make_shared<ui::ViewController>(), another}, false);
  settle(1);
  ASSERT_TRUE(another->leftButton() && another->leftButton()->window());
  EXPECT_TRUE(ui::EscapeKey::press());
  settle(1);
  EXPECT_EQ(1u, navigation_->viewControllers().size());

  // Night and day follow "Notification_Night" while a column is shown.
  auto third = open(column());
  navigation_->setViewControllers({std::make_shared<ui::ViewController>(), third}, false);
  settle(1);
  NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
  EXPECT_TRUE(third->nightMode());
  EXPECT_EQ(ui::Image::named("black_topbut_home_normal.png"), third->leftButton()->imageForState(ui::kControlStateNormal));
  EXPECT_EQ(ui::Color(43 / 255.0f, 44 / 255.0f, 48 / 255.0f, 1), third->contenttable()->backgroundColor());
  NotificationCenter::defaultCenter().post("Notification_Night", Value(false));
  EXPECT_EQ(ui::Image::named("topbut_home_normal.png"), third->leftButton()->imageForState(ui::kControlStateNormal));

  // A custom subscription has no "i".
  auto custom = column();
  custom->setVeskCustomization(std::make_shared<VeskCustomization>());
  auto second = open(custom);
  settle(1);
  EXPECT_TRUE(second->leftButton());
  EXPECT_FALSE(second->rightButton());
}

}  // namespace
}  // namespace zu
