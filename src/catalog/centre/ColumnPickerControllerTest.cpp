#include "catalog/centre/ColumnPickerController.h"

#include <gtest/gtest.h>

#include "catalog/centre/CatalogTestSupport.h"
#include "catalog/centre/LoadMoreCell.h"
#include "catalog/custom/NRSubscribeColumnsArrayController.h"
#include "catalog/custom/NRSubscribeSocialCell.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "share/accounts/AuthenicationViewController.h"
#include "platform/runtime/Bundle.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "shell/app/NightLookForTesting.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/system/EscapeKey.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

using testing::catalogueColumn;
using testing::cataloguePage;
using testing::postFeed;
using testing::postFinish;

class ColumnPickerTest : public testing::CatalogFixture {
 protected:
  // The root level with its first page answered.
  std::shared_ptr<ColumnPickerController> rootWith(const std::shared_ptr<Feed>& page, size_t selected = 2) {
    auto picker = openRoot(selected);
    auto task = engine_->last("columns");
    EXPECT_TRUE(task && task->ran);
    postFeed(task, page);
    postFinish(task, 0);
    settle();
    window_->layoutIfNeeded();
    return picker;
  }
  std::shared_ptr<ColumnCell> cellAt(ColumnPickerController& picker, int64_t section, int64_t row) {
    auto& table = *picker.tableView();
    table.scrollToRow(ui::IndexPath::forRow(row, section), ui::TableViewScrollPosition::Middle, false);
    table.layoutIfNeeded();
    return std::dynamic_pointer_cast<ColumnCell>(table.cellForRow(ui::IndexPath::forRow(row, section)));
  }
  static std::vector<std::shared_ptr<Column>> labelled() {
    return {catalogueColumn("news1", std::string("news"), false, "新闻"),
            catalogueColumn("news2", std::string("news"), false, "新闻"),
            catalogueColumn("tech", std::string("tech"), true, "科技"),
            catalogueColumn("news3", std::string("news"), false, "新闻"),
            catalogueColumn("loose1", std::nullopt),
            catalogueColumn("loose2", std::nullopt)};
  }
  // labelled(), with the reader already holding the second news column: its greyed button.
  static std::vector<std::shared_ptr<Column>> labelledOneHeld() {
    auto columns = labelled();
    auto held = std::make_shared<VeskSubscribe>();
    held->setSubscribed(1);
    held->setTimes(42);
    columns[1]->setVeskSubscribe(held);
    return columns;
  }
};

// The catalogue by night: its rows, section titles and subscribe buttons read on the dark skin.
TEST_F(ColumnPickerTest, ByNightTheCatalogueReads) {
  testing::NightLook night;
  auto picker = openRoot();
  postFeed(engine_->last("columns"), cataloguePage(labelledOneHeld()));
  postFinish(engine_->last("columns"), 0);
  settle();
  picker->tableView()->setContentOffset(ui::Point(0, 0), false);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "catalogue-root-night"));
}

// By night the catalogue's load-more row and the search table's tip row say their words in the
// skin's light table-title colour on the dark rows (the pictures' audit measures them).
TEST_F(ColumnPickerTest, ByNightTheLoadMoreRowAndTheSearchTipRead) {
  testing::NightLook night;
  auto picker = rootWith(cataloguePage(labelled(), "http://catalogue/page2"));
  auto& table = *picker->tableView();
  const int64_t last = table.numberOfSections() - 1;
  table.scrollToRow(ui::IndexPath::forRow(table.numberOfRowsInSection(last) - 1, last),
                    ui::TableViewScrollPosition::Bottom, false);
  table.layoutIfNeeded();
  ASSERT_TRUE(picker->loadMoreCell()->window());
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "catalogue-load-more-night"));

  ASSERT_TRUE(picker->searchBar()->becomeFirstResponder());
  ui::Keyboard::shared().type("港口");
  settle();
  window_->layoutIfNeeded();
  ASSERT_EQ(picker->searchTipCell()->loadTextLabel()->text(), ColumnPickerController::kTypingTip);
  ASSERT_TRUE(picker->searchTipCell()->window());
  const auto picture = ui::render(*window_);
  ASSERT_TRUE(picture);
  ui::ContrastAudit::expectReadable(ui::ContrastAudit::audit(*window_, *picture, "catalogue-search-typing-night"));
}

TEST_F(ColumnPickerTest, TheFirstPageFormsSectionsWithLabelledHeadersAndTheSearchPlaceholder) {
  auto picker = openRoot();
  EXPECT_TRUE(picker->tableView()->isHidden());
  EXPECT_TRUE(picker->waitingIndicator()->isAnimating());
  ASSERT_EQ(engine_->of("columns").size(), 1u);
  EXPECT_FALSE(engine_->last("columns")->link);  // the root asks for the service's catalogue
  EXPECT_EQ(picker->navigationItem()->title(), ColumnPickerController::kRootTitle);

  postFeed(engine_->last("columns"), cataloguePage(labelledOneHeld()));
  postFinish(engine_->last("columns"), 0);
  settle();
  EXPECT_FALSE(picker->tableView()->isHidden());
  EXPECT_FALSE(picker->waitingIndicator()->isAnimating());
  // news ×2, tech, news, and each term-less column alone.
  ASSERT_EQ(picker->tableView()->numberOfSections(), 5);
  EXPECT_EQ(picker->tableView()->numberOfRowsInSection(0), 2);
  EXPECT_EQ(picker->tableView()->numberOfRowsInSection(4), 1);
  EXPECT_EQ(picker->heightForHeaderInSection(*picker->tableView(), 0), 32.f);
  EXPECT_EQ(picker->heightForHeaderInSection(*picker->tableView(), 3), 0.f);
  EXPECT_EQ(picker->searchBar()->placeholder(), "搜索订阅源");
  EXPECT_TRUE(picker->searchBar()->isUserInteractionEnabled());
  EXPECT_EQ(picker->tableView()->tableHeaderView(), picker->searchBar());
  EXPECT_TRUE(picker->noSourceLabel()->isHidden());

  auto category = cellAt(*picker, 1, 0);
  ASSERT_TRUE(category);
  EXPECT_FALSE(category->arrowImageView()->isHidden());
  EXPECT_TRUE(category->subscribeButton()->isHidden());
  picker->tableView()->setContentOffset(ui::Point(0, 0), false);
  auto picture = ui::render(*window_);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(ui::ContrastAudit::write(*window_, *picture, "catalogue-root"));
}

// The search bar is tucked away when the catalogue first shows, also when the screen was laid
// out anew while the first page was on its way (a resize brings an offset beyond an empty
// table's end back to 0).
TEST_F(ColumnPickerTest, TheFirstPageShowsWithTheSearchBarTucked) {
  auto picker = openRoot(2);
  auto& table = *picker->tableView();
  ASSERT_EQ(table.contentOffset().y, 44.f);
  ui::Rect frame = table.frame();
  frame.size.height -= 49;
  table.setFrame(frame);
  ASSERT_EQ(table.contentOffset().y, 0.f);
  auto task = engine_->last("columns");
  postFeed(task, cataloguePage(labelled()));
  postFinish(task, 0);
  settle();
  window_->layoutIfNeeded();
  EXPECT_EQ(table.contentOffset().y, 44.f);
}

TEST_F(ColumnPickerTest, WithoutASearchLinkOrEntriesTheBarAndRowsGo) {
  auto picker = rootWith(cataloguePage({}, "http://catalogue/next", false));
  EXPECT_EQ(picker->searchBar()->placeholder(), ColumnPickerController::kNoSearchPlaceholder);
  EXPECT_FALSE(picker->searchBar()->isUserInteractionEnabled());
  EXPECT_FALSE(picker->tableView()->tableHeaderView());
  // The offset that tucked the bar away goes with it.
  EXPECT_EQ(picker->tableView()->contentOffset().y, 0.f);
  EXPECT_FALSE(picker->noSourceLabel()->isHidden());
  // No rows, and no load-more row: the empty page never became the current one.
  EXPECT_EQ(picker->tableView()->numberOfSections(), 0);
  EXPECT_FALSE(picker->curFeed());
}

TEST_F(ColumnPickerTest, OnePageRequestAtATimeAndAPageContinuesTheLastSection) {
  auto picker = rootWith(cataloguePage(labelled(), "http://catalogue/page2"));
  auto& table = *picker->tableView();
  const int64_t last = table.numberOfSections() - 1;
  ASSERT_EQ(table.numberOfRowsInSection(last), 2);  // the column and the load-more row
  // The table asks for the row twice (shown, scrolled away and back): one request.
  table.scrollToRow(ui::IndexPath::forRow(1, last), ui::TableViewScrollPosition::Bottom, false);
  table.layoutIfNeeded();
  picker->cellForRow(table, ui::IndexPath::forRow(1, last));
  ASSERT_EQ(engine_->of("columns").size(), 2u);
  auto page = engine_->last("columns");
  EXPECT_EQ(page->link->href(), "http://catalogue/page2");
  EXPECT_TRUE(picker->loadMoreCell()->loadingIndicator()->isAnimating());

  // The page's term-less column joins the last (term-less) section; its termed one opens a section.
  postFeed(page, cataloguePage({catalogueColumn("loose3", std::nullopt), catalogueColumn("p2", std::string("x"))}));
  postFinish(page, 0);
  settle();
  ASSERT_EQ(picker->dataSource().size(), 6u);
  EXPECT_EQ(picker->dataSource()[4].size(), 2u);
  EXPECT_EQ(picker->dataSource()[4][1]->entryId(), "loose3");
  EXPECT_EQ(picker->dataSource()[5].size(), 1u);
  EXPECT_FALSE(picker->isLoadingMore());
  EXPECT_EQ(table.numberOfRowsInSection(5), 1);  // no next link: no load-more row

  // A late result of the finished request changes nothing.
  postFeed(page, cataloguePage({catalogueColumn("late", std::string("x"))}));
  settle();
  EXPECT_EQ(picker->dataSource().size(), 6u);
}

// A page with a next link: once the page is in, the row shown again asks for the next one, even
// while the task still reports its covers.
TEST_F(ColumnPickerTest, TheNextPageIsAskedForOnceAPageIsIn) {
  auto picker = rootWith(cataloguePage({catalogueColumn("a", std::string("A"))}, "http://catalogue/page2"));
  auto& table = *picker->tableView();
  table.layoutIfNeeded();
  picker->cellForRow(table, ui::IndexPath::forRow(1, 0));
  auto second = engine_->last("columns");
  postFeed(second, cataloguePage({catalogueColumn("b", std::string("A"))}, "http://catalogue/page3"));
  settle();
  window_->layoutIfNeeded();
  ASSERT_EQ(engine_->of("columns").size(), 3u);
  EXPECT_EQ(engine_->last("columns")->link->href(), "http://catalogue/page3");
  // The earlier page's finish leaves the third page on its way.
  postFinish(second, 0);
  settle();
  EXPECT_TRUE(picker->isLoadingMore());
  EXPECT_FALSE(picker->lastLoadMoreFailed());
}

// The covers a page task downloads reload their rows: the first page's, and a page's still once
// the next page is on its way.
TEST_F(ColumnPickerTest, APagesCoversArriveWhileTheNextPageIsOnItsWay) {
  // The page tasks download these; the rows start no download of their own.
  engine_->downloading.insert("http://covers/a.png");
  engine_->downloading.insert("http://covers/b.png");
  const auto file = Bundle::mainBundle()->pathForResource("MB_Icon0", "png");
  ASSERT_TRUE(file);
  auto picker = openRoot(2);
  auto firstTask = engine_->last("columns");
  postFeed(firstTask, cataloguePage({catalogueColumn("a", std::string("A"))}, "http://catalogue/page2"));
  settle();
  window_->layoutIfNeeded();
  auto a = picker->dataSource()[0][0];
  ASSERT_FALSE(a->coverImageThumbnailLoaded());
  engine_->localFiles["http://covers/a.png"] = file->string();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(std::static_pointer_cast<Object>(firstTask))},
                                              {"ResultType", "ImageDownLoad"},
                                              {"Url", "http://covers/a.png"},
                                              {"Result", 0}});
  settle();
  EXPECT_TRUE(a->coverImageThumbnailLoaded());
  postFinish(firstTask, 0);
  settle();

  auto& table = *picker->tableView();
  table.layoutIfNeeded();
  picker->cellForRow(table, ui::IndexPath::forRow(1, 0));
  auto second = engine_->last("columns");
  postFeed(second, cataloguePage({catalogueColumn("b", std::string("A"))}, "http://catalogue/page3"));
  settle();
  window_->layoutIfNeeded();
  ASSERT_EQ(engine_->of("columns").size(), 3u);
  auto b = picker->dataSource()[0][1];
  ASSERT_FALSE(b->coverImageThumbnailLoaded());
  engine_->localFiles["http://covers/b.png"] = file->string();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(std::static_pointer_cast<Object>(second))},
                                              {"ResultType", "ImageDownLoad"},
                                              {"Url", "http://covers/b.png"},
                                              {"Result", 0}});
  settle();
  EXPECT_TRUE(b->coverImageThumbnailLoaded());
  // The third page is still the one on its way.
  EXPECT_TRUE(picker->isLoadingMore());
}

TEST_F(ColumnPickerTest, AFailedPageStopsPagingUntilTheRowIsTapped) {
  auto picker = rootWith(cataloguePage({catalogueColumn("a", std::string("A"))}, "http://catalogue/page2"));
  auto& table = *picker->tableView();
  table.layoutIfNeeded();
  picker->cellForRow(table, ui::IndexPath::forRow(1, 0));
  auto page = engine_->last("columns");
  postFinish(page, -3000, "server down");
  settle();
  EXPECT_TRUE(picker->lastLoadMoreFailed());
  ASSERT_EQ(alertCount(), 1u);
  EXPECT_EQ(topAlert()->tag(), ColumnPickerController::kLoadMoreAlertTag);
  topAlert()->dismissWithClickedButtonIndex(0, false);
  const size_t asked = engine_->of("columns").size();
  picker->cellForRow(table, ui::IndexPath::forRow(1, 0));
  EXPECT_EQ(engine_->of("columns").size(), asked);
  EXPECT_FALSE(picker->loadMoreCell()->loadingIndicator()->isAnimating());
  picker->didSelectRow(table, ui::IndexPath::forRow(1, 0));
  EXPECT_EQ(engine_->of("columns").size(), asked + 1);
}

TEST_F(ColumnPickerTest, AFailedFirstLoadOnAnotherTabIsQuietAndRetriedWhenTheTabShows) {
  auto picker = openRoot(0);
  auto first = engine_->last("columns");
  postFinish(first, -3000, "offline");
  settle();
  EXPECT_TRUE(picker->lastLoadFailed());
  EXPECT_EQ(alertCount(), 0u);
  EXPECT_TRUE(picker->tableView()->isHidden());
  // The return to the foreground retries only on the selected tab.
  NotificationCenter::defaultCenter().post("Notification_ApplicationEnterForeground");
  EXPECT_EQ(engine_->of("columns").size(), 1u);

  tabs_->setSelectedIndex(2);
  settle();
  ASSERT_EQ(engine_->of("columns").size(), 2u);
  auto retry = engine_->last("columns");
  // The first request's results no longer count.
  postFeed(first, cataloguePage({catalogueColumn("stale", std::string("A"))}));
  settle();
  EXPECT_TRUE(picker->dataSource().empty());
  postFinish(retry, -3000, "offline");
  settle();
  ASSERT_EQ(alertCount(), 1u);
  EXPECT_EQ(topAlert()->tag(), ColumnPickerController::kFirstLoadAlertTag);
  topAlert()->dismissWithClickedButtonIndex(0, false);
  NotificationCenter::defaultCenter().post("Notification_ApplicationEnterForeground");
  ASSERT_EQ(engine_->of("columns").size(), 3u);
  postFeed(engine_->last("columns"), cataloguePage({catalogueColumn("a", std::string("A"))}));
  settle();
  EXPECT_FALSE(picker->lastLoadFailed());
  EXPECT_FALSE(picker->tableView()->isHidden());
  EXPECT_EQ(picker->dataSource().size(), 1u);
}

TEST_F(ColumnPickerTest, SubscribingBroadcastsAndTheRowFollowsTheResult) {
  auto picker = rootWith(cataloguePage({catalogueColumn("a", std::string("A")), catalogueColumn("b", std::string("A"))}));
  auto row = cellAt(*picker, 0, 0);
  ASSERT_TRUE(row);
  row->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto task = engine_->last("subscribe");
  ASSERT_TRUE(task && task->ran);
  EXPECT_EQ(task->column->entryId(), "a");
  EXPECT_EQ(task->userIdentity(), "a");
  EXPECT_EQ(task->userBroadcast(), "NOTIFICATIONSUBSCRIBECOLUMN");
  postFinish(task, 0);
  settle();
  ASSERT_TRUE(picker->dataSource()[0][0]->veskSubscribe());
  EXPECT_EQ(picker->dataSource()[0][0]->veskSubscribe()->subscribed(), 1);
  EXPECT_FALSE(cellAt(*picker, 0, 0)->subscribeButton()->isEnabled());
  EXPECT_EQ(alertCount(), 0u);

  // Refused: the alert, and the row subscribable again.
  auto other = cellAt(*picker, 0, 1);
  other->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(other->subscribeButton()->isEnabled());
  postFinish(engine_->last("subscribe"), -3000, "refused");
  settle();
  EXPECT_EQ(alertCount(), 1u);
  EXPECT_TRUE(cellAt(*picker, 0, 1)->subscribeButton()->isEnabled());
  EXPECT_FALSE(picker->dataSource()[0][1]->veskSubscribe());

  // Unsubscribed from the home grid: the row is subscribable again.
  auto gone = std::make_shared<Column>();
  gone->setEntryId("a");
  NotificationCenter::defaultCenter().post("NOTIFICATIONUNSUBSCRIBECOLUMN", Value(std::static_pointer_cast<Object>(gone)));
  EXPECT_EQ(picker->dataSource()[0][0]->veskSubscribe()->subscribed(), 0);
  EXPECT_TRUE(cellAt(*picker, 0, 0)->subscribeButton()->isEnabled());
}

TEST_F(ColumnPickerTest, CoversComeFromTheCacheOrOneDownload) {
  const auto file = Bundle::mainBundle()->pathForResource("MB_Icon0", "png");
  ASSERT_TRUE(file);
  engine_->localFiles["http://covers/cached.png"] = file->string();
  engine_->downloading.insert("http://covers/busy.png");
  auto picker = rootWith(cataloguePage({catalogueColumn("cached", std::string("A")),
                                        catalogueColumn("fresh", std::string("A")),
                                        catalogueColumn("busy", std::string("A"))}));
  EXPECT_TRUE(picker->dataSource()[0][0]->coverImageThumbnailLoaded());
  EXPECT_FALSE(picker->dataSource()[0][1]->coverImageThumbnailLoaded());
  auto downloads = engine_->of("image");
  ASSERT_EQ(downloads.size(), 1u);
  EXPECT_EQ(downloads[0]->comment, "http://covers/fresh.png");

  // The download arrives: the row is shown again from the cached file.
  engine_->localFiles["http://covers/fresh.png"] = file->string();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(std::static_pointer_cast<Object>(downloads[0]))},
                                              {"ResultType", "ImageDownLoad"},
                                              {"Url", "http://covers/fresh.png"},
                                              {"Result", 0}});
  settle();
  EXPECT_TRUE(picker->dataSource()[0][1]->coverImageThumbnailLoaded());
  EXPECT_EQ(engine_->of("image").size(), 1u);
}

TEST_F(ColumnPickerTest, ACategoryOpensALevelAndALeafItsDetail) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto* navigation = picker->navigationController();
  picker->tableView()->tapRow(ui::IndexPath::forRow(0, 1));
  settle();
  ASSERT_EQ(navigation->viewControllers().size(), 2u);
  auto level = std::dynamic_pointer_cast<ColumnPickerController>(navigation->topViewController());
  ASSERT_TRUE(level);
  EXPECT_EQ(level->parentColumn()->entryId(), "tech");
  ASSERT_TRUE(engine_->last("columns")->link);
  EXPECT_EQ(engine_->last("columns")->link->href(), "http://catalogue/tech");
  EXPECT_EQ(level->navigationItem()->title(), "Column tech");
  postFeed(engine_->last("columns"), cataloguePage({catalogueColumn("t1", std::string("ai"), false, "人工智能"),
                                                    catalogueColumn("t2", std::string("ai"), false, "人工智能")}));
  settle();
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "catalogue-level"));

  // A leaf opens its detail, modally.
  level->tableView()->tapRow(ui::IndexPath::forRow(0, 0));
  settle();
  auto detailNavigation = std::dynamic_pointer_cast<ui::NavigationController>(level->modalViewController());
  ASSERT_TRUE(detailNavigation);
  auto detail = std::dynamic_pointer_cast<ColumnDetailViewController>(detailNavigation->topViewController());
  ASSERT_TRUE(detail);
  EXPECT_EQ(detail->column()->entryId(), "t1");
  EXPECT_EQ(detail->detailFrom(), 0);
}

TEST_F(ColumnPickerTest, BoundAccountAndCustomContentColumnsOpenTheirScreens) {
  OpenPlatformFactory::instance().reset();
  auto account = [](const std::string& id, const std::string& title) {
    auto column = catalogueColumn(id, std::string("mine"));
    column->setTitle(title);
    auto customization = std::make_shared<VeskCustomization>();
    customization->setType("sinamblog");
    customization->setSelf(true);
    column->setVeskCustomization(customization);
    return column;
  };
  auto custom = catalogueColumn("custom", std::string("own"), true);
  custom->category()->setIscustomcontent(true);
  auto picker = rootWith(cataloguePage({account("sina", "新浪微博"), account("nothing", "无此平台"), custom}));
  auto& table = *picker->tableView();
  // A bound-account row: 57 high for a known platform, 0 for none.
  EXPECT_EQ(picker->heightForRow(table, ui::IndexPath::forRow(0, 0)), 57.f);
  EXPECT_EQ(picker->heightForRow(table, ui::IndexPath::forRow(1, 0)), 0.f);
  EXPECT_TRUE(std::dynamic_pointer_cast<NRSubscribeSocialCell>(table.cellForRow(ui::IndexPath::forRow(0, 0))));

  picker->didSelectRow(table, ui::IndexPath::forRow(0, 0));
  settle();
  auto authNavigation = std::dynamic_pointer_cast<ui::NavigationController>(picker->modalViewController());
  ASSERT_TRUE(authNavigation);
  auto auth = std::dynamic_pointer_cast<AuthenicationViewController>(authNavigation->topViewController());
  ASSERT_TRUE(auth);
  EXPECT_EQ(auth->accountType(), 1);
  picker->authReturnButtonAction();
  settle();
  EXPECT_FALSE(picker->modalViewController());

  // Authorised: nothing opens.
  PlatformAccountInfo info;
  info.accessToken = "t";
  info.secret = "s";
  OpenPlatformFactory::instance().getOpenPlatformInstance(1)->setAccountInfo(info);
  picker->didSelectRow(table, ui::IndexPath::forRow(0, 0));
  settle();
  EXPECT_FALSE(picker->modalViewController());

  // The custom subscription list is pushed with the category as its parent.
  picker->didSelectRow(table, ui::IndexPath::forRow(0, 1));
  settle();
  ASSERT_EQ(picker->navigationController()->viewControllers().size(), 2u);
  auto list = std::dynamic_pointer_cast<NRSubscribeColumnsArrayController>(picker->navigationController()->topViewController());
  ASSERT_TRUE(list);
  EXPECT_EQ(list->type(), NRSubscribeColumnsArrayController::kCustomListType);
  EXPECT_EQ(list->parentColumn(), custom);
  EXPECT_EQ(list->delegate().get(), static_cast<NRSubscribeColumnsArrayViewDelegate*>(picker.get()));
  OpenPlatformFactory::instance().reset();
}

TEST_F(ColumnPickerTest, SearchingShowsTheTipWhileTypingThenTheNewestResults) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto& search = *picker->searchDisplay();
  auto& results = *search.searchResultsTableView();
  ASSERT_TRUE(picker->searchBar()->becomeFirstResponder());
  EXPECT_TRUE(search.isActive());
  EXPECT_TRUE(picker->inInput());
  ui::Keyboard::shared().type("港口");
  // One tip row, 200 high, that no tap selects.
  ASSERT_EQ(results.numberOfSections(), 1);
  ASSERT_EQ(results.numberOfRowsInSection(0), 1);
  EXPECT_EQ(picker->heightForRow(results, ui::IndexPath::forRow(0, 0)), 200.f);
  EXPECT_FALSE(picker->willSelectRow(results, ui::IndexPath::forRow(0, 0)));
  auto tip = std::dynamic_pointer_cast<LoadMoreCell>(results.cellForRow(ui::IndexPath::forRow(0, 0)));
  ASSERT_TRUE(tip);
  EXPECT_EQ(tip->loadTextLabel()->text(), ColumnPickerController::kTypingTip);
  settle();
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "catalogue-search-typing"));
  // The search field being edited is in sight, above the keyboard.
  EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*ui::Keyboard::shared().firstResponder()));

  ui::Keyboard::shared().pressReturn();
  auto stale = engine_->last("search");
  ASSERT_TRUE(stale && stale->ran);
  EXPECT_EQ(stale->comment, "港口");
  EXPECT_EQ(stale->link->href(), "http://search?q={searchTerms}");
  EXPECT_FALSE(picker->inInput());
  EXPECT_TRUE(picker->isSearchResult());
  // A second search before the first answered: only its results count.
  picker->searchBarSearchButtonClicked(*picker->searchBar());
  auto newest = engine_->last("search");
  ASSERT_NE(stale, newest);
  postFeed(stale, cataloguePage({catalogueColumn("stale", std::string("s"))}));
  postFinish(stale, -3000, "late");
  settle();
  EXPECT_TRUE(picker->searchedDataSource().empty());
  EXPECT_EQ(alertCount(), 0u);

  auto page = cataloguePage({catalogueColumn("found1", std::string("a")), catalogueColumn("found2", std::nullopt),
                             catalogueColumn("found3", std::string("b"))},
                            "http://search/page2");
  auto total = std::make_shared<OpenSearch>();
  total->setTotalResults(25);
  page->setOpenSearch(total);
  postFeed(newest, page);
  postFinish(newest, 0);
  settle();
  // A term-less result joins the section before it.
  ASSERT_EQ(results.numberOfSections(), 2);
  EXPECT_EQ(results.numberOfRowsInSection(0), 2);
  EXPECT_EQ(results.numberOfRowsInSection(1), 2);  // and the load-more row
  EXPECT_EQ(picker->heightForHeaderInSection(results, 1), 32.f);
  auto header = picker->viewForHeaderInSection(results, 0);
  ASSERT_TRUE(header && !header->subviews().empty());
  auto label = std::dynamic_pointer_cast<ui::Label>(header->subviews().back());
  ASSERT_TRUE(label);
  EXPECT_EQ(label->text(), "共搜索到25个结果");
  results.layoutIfNeeded();
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "catalogue-search-results"));

  // A result subscribed gets its record, as a catalogue row does.
  auto row = std::dynamic_pointer_cast<ColumnCell>(results.cellForRow(ui::IndexPath::forRow(1, 0)));
  ASSERT_TRUE(row);
  row->buttonPressed();
  postFinish(engine_->last("subscribe"), 0);
  settle();
  ASSERT_TRUE(picker->searchedDataSource()[0][1]->veskSubscribe());
  EXPECT_EQ(picker->searchedDataSource()[0][1]->veskSubscribe()->subscribed(), 1);

  // The load-more row of the results (shown, and asked for twice more) asks for the next page once.
  picker->cellForRow(results, ui::IndexPath::forRow(1, 1));
  picker->cellForRow(results, ui::IndexPath::forRow(1, 1));
  size_t pages = 0;
  for (const auto& task : engine_->of("columns")) pages += task->link && task->link->href() == "http://search/page2";
  EXPECT_EQ(pages, 1u);

  ASSERT_TRUE(picker->searchBar()->cancelButtonTapped());
  EXPECT_FALSE(picker->isSearchResult());
  EXPECT_FALSE(search.isActive());
}

// Escape while typing a search only puts the keyboard away: the field keeps its words, nothing is
// searched and the search stays; the next Escape is the search's 取消, which ends it — and so is
// the first one while results show (Return has put the keyboard away).
TEST_F(ColumnPickerTest, EscapeEndsTheTypingThenTheSearch) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto& search = *picker->searchDisplay();
  ASSERT_TRUE(picker->searchBar()->becomeFirstResponder());
  ui::Keyboard::shared().type("港口");
  EXPECT_TRUE(ui::EscapeKey::press());
  EXPECT_FALSE(picker->searchBar()->textField()->isFirstResponder());
  EXPECT_EQ("港口", picker->searchBar()->text());
  EXPECT_FALSE(engine_->last("search"));
  EXPECT_TRUE(search.isActive());
  EXPECT_FALSE(picker->inInput());
  EXPECT_TRUE(ui::EscapeKey::press());
  EXPECT_FALSE(search.isActive());
  EXPECT_FALSE(picker->navigationController()->isNavigationBarHidden());

  ASSERT_TRUE(picker->searchBar()->becomeFirstResponder());
  ui::Keyboard::shared().type("港口");
  ui::Keyboard::shared().pressReturn();
  ASSERT_TRUE(engine_->last("search"));
  EXPECT_TRUE(picker->isSearchResult());
  EXPECT_TRUE(ui::EscapeKey::press());
  EXPECT_FALSE(search.isActive());
  EXPECT_FALSE(picker->isSearchResult());
}

TEST_F(ColumnPickerTest, TheSearchBarIsPinnedWhenPulledAndSnapsWholeAfterADrag) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto& table = *picker->tableView();
  const auto& bar = *picker->searchBar();
  table.setContentOffset(ui::Point(0, -30), false);
  EXPECT_EQ(bar.frame().origin.y, -30.f);
  table.setContentOffset(ui::Point(0, 100), false);
  EXPECT_EQ(bar.frame().origin.y, 0.f);

  // Less than half the bar hidden shows it whole; more than half hides it whole; beyond, nothing.
  table.setContentOffset(ui::Point(0, 15), false);
  picker->scrollViewDidEndDragging(table, false);
  settle();
  EXPECT_EQ(table.contentOffset().y, 0.f);
  table.setContentOffset(ui::Point(0, 30), false);
  picker->scrollViewDidEndDragging(table, true);  // decelerating: left alone
  settle();
  EXPECT_EQ(table.contentOffset().y, 30.f);
  picker->scrollViewDidEndDragging(table, false);
  settle();
  EXPECT_EQ(table.contentOffset().y, 44.f);
  table.setContentOffset(ui::Point(0, 120), false);
  picker->scrollViewDidEndDragging(table, false);
  settle();
  EXPECT_EQ(table.contentOffset().y, 120.f);
  // Exactly half the bar hidden is neither less nor more than half: it stays as it was left.
  table.setContentOffset(ui::Point(0, 22), false);
  picker->scrollViewDidEndDragging(table, false);
  settle();
  EXPECT_EQ(table.contentOffset().y, 22.f);
}

TEST_F(ColumnPickerTest, ASearchStaysOpenAndCancellableAfterAnotherTabOrADetail) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto& search = *picker->searchDisplay();
  auto& results = *search.searchResultsTableView();
  ASSERT_TRUE(picker->searchBar()->becomeFirstResponder());
  ui::Keyboard::shared().type("harbour");
  ui::Keyboard::shared().pressReturn();
  postFeed(engine_->last("search"), cataloguePage({catalogueColumn("found1", std::string("a"))}));
  postFinish(engine_->last("search"), 0);
  settle();
  ASSERT_EQ(results.numberOfRowsInSection(0), 1);
  // The bar, and its cancel button, where a finger can reach them.
  auto cancelInSight = [&] {
    window_->layoutIfNeeded();
    const auto& cancel = picker->searchBar()->cancelButton();
    const ui::Rect frame = cancel->convertRectTo(cancel->bounds(), window_.get());
    const ui::Point middle(frame.midX(), frame.midY());
    auto hit = window_->hitTest(middle);
    return !cancel->isHidden() && frame.origin.y >= 0 && hit && hit->isDescendantOf(cancel.get());
  };
  ASSERT_TRUE(cancelInSight());

  // Another tab and back again.
  tabs_->setSelectedIndex(0);
  settle();
  tabs_->setSelectedIndex(2);
  settle();
  EXPECT_TRUE(search.isActive());
  EXPECT_TRUE(cancelInSight());

  // A result's detail, opened and closed.
  ASSERT_TRUE(results.tapRow(ui::IndexPath::forRow(0, 0)));
  settle();
  ASSERT_TRUE(picker->modalViewController());
  picker->dismissModalViewController(false);
  settle();
  EXPECT_TRUE(search.isActive());
  EXPECT_EQ(results.numberOfRowsInSection(0), 1);
  EXPECT_FALSE(results.indexPathForSelectedRow());
  ASSERT_TRUE(cancelInSight());
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "catalogue-search-after-detail"));

  // The way out works: a tap on 取消 ends the search and the catalogue scrolls again.
  const auto& cancel = picker->searchBar()->cancelButton();
  const ui::Rect frame = cancel->convertRectTo(cancel->bounds(), window_.get());
  window_->tap(ui::Point(frame.midX(), frame.midY()));
  settle();
  EXPECT_FALSE(search.isActive());
  EXPECT_FALSE(picker->isSearchResult());
  EXPECT_TRUE(picker->tableView()->isScrollEnabled());
  // Back on the catalogue, the next appearance tucks the bar away again.
  tabs_->setSelectedIndex(0);
  settle();
  tabs_->setSelectedIndex(2);
  settle();
  EXPECT_EQ(picker->tableView()->contentOffset().y, 44.f);
}

TEST_F(ColumnPickerTest, AViewUnloadedByAMemoryWarningComesBackWithoutAskingAgain) {
  auto picker = rootWith(cataloguePage(labelled()));
  tabs_->setSelectedIndex(0);
  settle();
  ui::Application::shared().simulateMemoryWarning();
  ASSERT_FALSE(picker->isViewLoaded());
  tabs_->setSelectedIndex(2);
  settle();
  ASSERT_TRUE(picker->isViewLoaded());
  EXPECT_EQ(engine_->of("columns").size(), 1u);  // the lists were kept
  EXPECT_FALSE(picker->tableView()->isHidden());
  EXPECT_EQ(picker->tableView()->numberOfSections(), 5);
  EXPECT_EQ(picker->searchBar()->placeholder(), "搜索订阅源");

  // A search shown when the view went comes back over the catalogue with its words.
  ASSERT_TRUE(picker->searchBar()->becomeFirstResponder());
  ui::Keyboard::shared().type("港");
  ui::Keyboard::shared().pressReturn();
  tabs_->setSelectedIndex(0);
  settle();
  ui::Application::shared().simulateMemoryWarning();
  ASSERT_FALSE(picker->isViewLoaded());
  tabs_->setSelectedIndex(2);
  settle();
  ASSERT_TRUE(picker->searchDisplay());
  EXPECT_TRUE(picker->searchDisplay()->isActive());
  EXPECT_EQ(picker->searchBar()->text(), "港");
  EXPECT_TRUE(picker->noSourceLabel()->isHidden());
}

TEST_F(ColumnPickerTest, TheNightSkinRecoloursTheScreenInPlace) {
  auto& skin = NRSkinManager::sharedManager();
  skin.changeSkin("Default");
  auto picker = rootWith(cataloguePage(labelled()));
  const auto day = picker->tableView()->backgroundColor();
  skin.changeSkin("Night");
  NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
  const auto night = picker->tableView()->backgroundColor();
  EXPECT_EQ(night, skin.colorWithCodeName("colorKdpContentBackground"));
  EXPECT_NE(day, night);
  EXPECT_EQ(picker->view()->backgroundColor(), night);
  EXPECT_EQ(picker->searchDisplay()->searchResultsTableView()->backgroundColor(), night);
  skin.changeSkin("Default");
}

// A search that fails shows the alert that leaves a level (nothing moves at the root); a
// failed page of results shows its own alert, after which the load-more row reads
// "载入更多订阅源", stops its spinner and waits for a tap.
TEST_F(ColumnPickerTest, AFailedSearchAndAFailedPageOfResults) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto& results = *picker->searchDisplay()->searchResultsTableView();
  ASSERT_TRUE(picker->searchBar()->becomeFirstResponder());
  ui::Keyboard::shared().type("港口");
  ui::Keyboard::shared().pressReturn();
  postFinish(engine_->last("search"), -3000, "search down");
  settle();
  ASSERT_EQ(alertCount(), 1u);
  EXPECT_EQ(topAlert()->tag(), ColumnPickerController::kFirstLoadAlertTag);
  ASSERT_TRUE(topAlert()->clickButton(0));
  settle();
  EXPECT_EQ(picker->navigationController()->viewControllers().size(), 1u);
  EXPECT_TRUE(picker->searchedDataSource().empty());

  picker->searchBarSearchButtonClicked(*picker->searchBar());
  auto search = engine_->last("search");
  postFeed(search, cataloguePage({catalogueColumn("found", std::string("a"))}, "http://search/page2"));
  postFinish(search, 0);
  settle();
  ASSERT_EQ(results.numberOfRowsInSection(0), 2);
  const auto loadMore = ui::IndexPath::forRow(1, 0);
  picker->cellForRow(results, loadMore);
  auto page = engine_->last("columns");
  ASSERT_TRUE(page && page->link);
  EXPECT_EQ(page->link->href(), "http://search/page2");
  postFinish(page, -3000, "page down");
  settle();
  ASSERT_EQ(alertCount(), 1u);
  EXPECT_EQ(topAlert()->tag(), ColumnPickerController::kSearchMoreAlertTag);
  ASSERT_TRUE(topAlert()->clickButton(0));
  settle();
  EXPECT_EQ(picker->searchTipCell()->loadTextLabel()->text(), ColumnPickerController::kSearchMoreText);
  EXPECT_FALSE(picker->searchTipCell()->loadingIndicator()->isAnimating());
  const size_t asked = engine_->of("columns").size();
  picker->cellForRow(results, loadMore);
  EXPECT_EQ(engine_->of("columns").size(), asked);
  picker->didSelectRow(results, loadMore);
  EXPECT_EQ(engine_->of("columns").size(), asked + 1);
}

// The root's left button "我的订阅" selects the home grid's tab; a deeper level's back button
// is titled after the level it returns to and goes back to it.
TEST_F(ColumnPickerTest, TheBarButtonsSelectTheHomeTabOrReturnToTheLevelBelow) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto buttonOf = [](ui::ViewController& screen) {
    auto item = screen.navigationItem()->leftBarButtonItem();
    return item ? std::dynamic_pointer_cast<ui::Button>(item->customView()) : nullptr;
  };
  auto mine = buttonOf(*picker);
  ASSERT_TRUE(mine);
  EXPECT_EQ(mine->titleForState(ui::kControlStateNormal), std::optional<std::string>("我的订阅"));
  ASSERT_EQ(tabs_->selectedIndex(), 2u);
  mine->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_EQ(tabs_->selectedIndex(), 0u);
  tabs_->setSelectedIndex(2);
  settle();

  // Two levels down: "Column tech" then its category "Column deep".
  auto* navigation = picker->navigationController();
  picker->tableView()->tapRow(ui::IndexPath::forRow(0, 1));
  settle();
  auto level = std::dynamic_pointer_cast<ColumnPickerController>(navigation->topViewController());
  ASSERT_TRUE(level);
  auto back = buttonOf(*level);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->titleForState(ui::kControlStateNormal), std::optional<std::string>(" 内容中心"));
  postFeed(engine_->last("columns"), cataloguePage({catalogueColumn("deep", std::string("d"), true)}));
  postFinish(engine_->last("columns"), 0);
  settle();
  level->tableView()->tapRow(ui::IndexPath::forRow(0, 0));
  settle();
  auto deeper = std::dynamic_pointer_cast<ColumnPickerController>(navigation->topViewController());
  ASSERT_TRUE(deeper && deeper != level);
  auto deeperBack = buttonOf(*deeper);
  ASSERT_TRUE(deeperBack);
  EXPECT_EQ(deeperBack->titleForState(ui::kControlStateNormal), std::optional<std::string>(" Column tech"));
  deeperBack->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_EQ(navigation->topViewController(), level);
}

// The column detail reports a subscription: the listed column turns subscribed (a column
// without a subscribe record gets none) and its row's button is disabled.
TEST_F(ColumnPickerTest, TheDetailsSubscriptionMarksTheListedColumn) {
  auto recorded = catalogueColumn("a", std::string("A"));
  recorded->setVeskSubscribe(std::make_shared<VeskSubscribe>());
  auto picker = rootWith(cataloguePage({recorded, catalogueColumn("b", std::string("A"))}));
  EXPECT_TRUE(cellAt(*picker, 0, 0)->subscribeButton()->isEnabled());
  auto detail = std::make_shared<ColumnDetailViewController>();
  auto reported = std::make_shared<Column>();
  reported->setEntryId("a");
  picker->columnDetailViewController(*detail, reported);
  EXPECT_EQ(picker->dataSource()[0][0]->veskSubscribe()->subscribed(), 1);
  EXPECT_FALSE(cellAt(*picker, 0, 0)->subscribeButton()->isEnabled());
  reported->setEntryId("b");
  picker->columnDetailViewController(*detail, reported);
  EXPECT_FALSE(picker->dataSource()[0][1]->veskSubscribe());
  // A column that is not listed changes nothing.
  reported->setEntryId("elsewhere");
  picker->columnDetailViewController(*detail, reported);
  EXPECT_EQ(picker->dataSource()[0][0]->veskSubscribe()->subscribed(), 1);
}

TEST_F(ColumnPickerTest, ClosingTheAlertOfAFailedLevelGoesBackButKeepsTheRoot) {
  auto picker = rootWith(cataloguePage(labelled()));
  auto* navigation = picker->navigationController();
  picker->tableView()->tapRow(ui::IndexPath::forRow(0, 1));
  settle();
  ASSERT_EQ(navigation->viewControllers().size(), 2u);
  postFinish(engine_->last("columns"), -3000, "gone");
  settle();
  ASSERT_EQ(alertCount(), 1u);
  ASSERT_EQ(topAlert()->tag(), ColumnPickerController::kFirstLoadAlertTag);
  ASSERT_TRUE(topAlert()->clickButton(0));
  settle();
  EXPECT_EQ(navigation->viewControllers().size(), 1u);

  // At the root the alert closes and nothing moves.
  auto alert = std::make_shared<ui::AlertView>(std::nullopt, std::nullopt);
  alert->setTag(ColumnPickerController::kFirstLoadAlertTag);
  picker->alertViewClickedButtonAtIndex(*alert, 0);
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
  EXPECT_EQ(navigation->topViewController(), picker);
}

}  // namespace
}  // namespace zu
