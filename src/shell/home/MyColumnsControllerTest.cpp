#include "shell/home/MyColumnsController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "SampleService.h"
#include "common/CommInfo.h"
#include "common/ZipArchive.h"
#include "common/ServiceHosts.h"
#include "engine/cache/ColumnCache.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/UrlManager.h"
#include "engine/core/TaskEngine.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/book/VeskBook.h"
#include "model/atom/Vocabulary.h"
#include "model/service/ProgramCover.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskCustomization.h"
#include "platform/device/DeviceProfile.h"
#include "platform/device/NetworkProbe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/views/Window.h"
#include "shell/home/CoverViewController.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/app/MainWindowNib.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/offline/OfflineDownloadManager.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/LaunchTestSupport.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/app/VESK_iPhoneAppDelegate.h"
#include "store/BookLinkCache.h"
#include "store/EntryPersistenter.h"
#include "testing/MainLoopTurn.h"
#include "testing/SettableNetworkProbe.h"
#include "testing/TestFiles.h"
#include "views/GridView.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {
namespace {

using testing::ShellFixture;

// --- the rules -------------------------------------------------------------------------------

TEST(MyColumnsRulesTest, RefreshAfterALocalReadFollowsTheSettingFirstLoginAndNetwork) {
  struct Row {
    Value autoRefresh;
    bool firstLogin;
    int status;
    bool refresh;
  } rows[] = {
      {Value(), false, 1, true},      {Value(true), false, 2, true},  {Value(false), false, 1, false},
      {Value(false), true, 1, true},  {Value(), false, 0, false},     {Value(true), true, 0, false},
      {Value(false), true, 0, false}, {Value(false), false, 0, false},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.refresh, MyColumnsController::shouldRefreshAfterLocalRead(r.autoRefresh, r.firstLogin,
                                                                         r.status))
        << r.autoRefresh.description() << " first=" << r.firstLogin << " status=" << r.status;
  }
}

TEST(MyColumnsRulesTest, CacheTipFromOneHundredWholeMegabytesAndTheReportKeyAcrossAYear) {
  EXPECT_EQ(100, MyColumnsController::cacheTipMegabytes(104857600));
  EXPECT_EQ(std::nullopt, MyColumnsController::cacheTipMegabytes(104857599));
  EXPECT_EQ(std::nullopt, MyColumnsController::cacheTipMegabytes(0));
  EXPECT_EQ(2047, MyColumnsController::cacheTipMegabytes((int64_t{2047} << 20) + 12345));
  // 31 December, then 1 January of the next year: the new year's key is greater.
  EXPECT_GT(MyColumnsController::reportDayKey(2027, 1, 1), MyColumnsController::reportDayKey(2026, 12, 31));
  EXPECT_GT(MyColumnsController::reportDayKey(2026, 3, 1), MyColumnsController::reportDayKey(2026, 2, 31));
  EXPECT_GT(MyColumnsController::reportDayKey(2026, 1, 2), MyColumnsController::reportDayKey(2026, 1, 1));
}

TEST(MyColumnsRulesTest, TipsOfTwentyAndTwentyOneCharacters) {
  const std::string twenty = "今天的新闻已经全部更新完毕请您慢慢阅读吧";
  ASSERT_EQ(20u, StringUtil::utf16Length(twenty));
  EXPECT_EQ(ui::Rect(63, 350, 193, 30), MyColumnsController::tipFrame(twenty));
  EXPECT_EQ(ui::Rect(40, 350, 239, 60), MyColumnsController::tipFrame(twenty + "啊"));
}

// --- the screen over the engine and the sample service ---------------------------------------

std::shared_ptr<Column> generatedColumn(int n, bool withCover) {
  auto c = std::make_shared<Column>();
  c->setEntryId("col-gen-" + std::to_string(n));
  c->setTitle("第" + std::to_string(n) + "栏目");
  if (withCover) {
    auto link = std::make_shared<Link>();
    link->setHref("http://127.0.0.1/cover/" + std::to_string(n) + ".png");
    c->setCoverImageLink(link);
  }
  return c;
}

class HomeScreenTest : public testing::LaunchFixture {
 protected:
  void TearDown() override {
    terminate();
    if (DeviceProfile::screenScale() != 1) {
      DeviceProfile::setScreenScale(1);
      ui::Image::clearNamedCache();
    }
    MyFaceSettings::setModeIsNight(false);
    ui::AnimationLog::shared().clear();
    LaunchFixture::TearDown();
  }

  void launchOntoEightCovers();
  std::shared_ptr<EntryPersistenter> store() { return gDataEngine()->getSubPersist(); }
  void seed(int count, bool withCovers = false) {
    std::vector<std::shared_ptr<Entry>> columns;
    for (int i = 1; i <= count; ++i) columns.push_back(generatedColumn(i, withCovers));
    ASSERT_TRUE(store()->insertEntries(columns));
  }
  // Reads the list again from the store and waits for it.
  void reload(size_t expected) {
    home_->asyncRequestSubscribedColumnsFromLocal();
    ASSERT_TRUE(pump([&] { return home_->dataSource().size() == expected; }));
    layout();
    coversShown();
  }
  // The tiles' covers are decoded off the main thread: turns the main loop (the clock standing)
  // until every tile laid out shows the cover its column has.
  void coversShown() {
    ASSERT_TRUE(turnMainLoopUntil([&] {
      for (int i = 0; i < home_->gridView()->numberOfCells(); ++i) {
        ColumnGridCell* t = tile(i);
        if (t && t->column() && t->column()->coverImageData() && !t->contentImageView()->image()) return false;
      }
      return true;
    }));
  }
  void layout() {
    home_->view()->window()->layoutIfNeeded();
    home_->gridView()->layoutIfNeeded();
  }
  std::string ids() const {
    std::string out;
    for (const auto& c : home_->dataSource()) {
      if (!out.empty()) out += ' ';
      out += c->entryId().value_or("?");
    }
    return out;
  }
  ColumnGridCell* tile(int index) {
    return dynamic_cast<ColumnGridCell*>(home_->gridView()->getCellIndex(index).get());
  }
  CoverViewController* cover() {
    if (!home_->coverWindow()) return nullptr;
    return dynamic_cast<CoverViewController*>(home_->coverWindow()->rootViewController().get());
  }

};

// The grid's shape for 0, 6, 65 and 66 columns: cells = count + 1, the add cell last, 6 a page,
// and the page cache trimmed above 11 pages; the add cell is neither dragged nor dropped on.
TEST_F(HomeScreenTest, GridShapeForZeroSixSixtyFiveAndSixtySixColumns) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  EXPECT_EQ(MyColumnsController::kGridFrame, home_->gridView()->frame());
  EXPECT_EQ(4, home_->gridView()->flipPageModel());
  struct Shape {
    int columns, cells, pages, noCache;
  } shapes[] = {{0, 1, 1, 0}, {6, 7, 2, 0}, {65, 66, 11, 0}, {66, 67, 12, 2}};
  int seeded = 0;
  for (const auto& s : shapes) {
    SCOPED_TRACE(s.columns);
    if (s.columns > seeded) {
      std::vector<std::shared_ptr<Entry>> more;
      for (int i = seeded + 1; i <= s.columns; ++i) more.push_back(generatedColumn(i, false));
      ASSERT_TRUE(store()->insertEntries(more));
      seeded = s.columns;
    }
    reload(static_cast<size_t>(s.columns));
    GridView& grid = *home_->gridView();
    EXPECT_EQ(s.cells, grid.numberOfCells());
    EXPECT_EQ(s.pages, grid.numberOfPages());
    EXPECT_EQ(s.pages, home_->pageCount());
    EXPECT_EQ(s.noCache, grid.noCacheCountForPage());
    EXPECT_EQ(s.pages, home_->pageControl()->numberOfPages());
    EXPECT_EQ(0, home_->pageControl()->currentPage());
    // The last cell is the add cell, alone on the last page when the columns fill theirs.
    EXPECT_EQ((s.cells - 1) / MyColumnsController::kCellsPerPage, s.pages - 1);
    const int add = s.columns;
    EXPECT_FALSE(home_->gridViewSupportDraggingAtIndex(grid, add));
    if (s.columns > 0) {
      EXPECT_TRUE(home_->gridViewSupportDraggingAtIndex(grid, 0));
      EXPECT_FALSE(home_->gridViewShouldCellMoveFromIndexToIndex(grid, 0, add));
      EXPECT_FALSE(home_->gridViewShouldCellMoveFromIndexToIndex(grid, add, 0));
      EXPECT_TRUE(home_->gridViewShouldCellMoveFromIndexToIndex(grid, add - 1, 0));
    }
  }
  // The add cell is the last cell of the last page.
  home_->gridView()->setPage(11, false);
  layout();
  auto* add = tile(66);
  ASSERT_TRUE(add);
  EXPECT_EQ(ColumnGridCell::kAddNibName, add->identifiy());
  EXPECT_TRUE(add->addButton());
}

// A launch whose automatic login the service refuses: the error alert shows, nothing is loaded,
// and the cover still goes away, once.
TEST_F(HomeScreenTest, FailedAutomaticLoginShowsTheErrorAndTheCoverGoes) {
  auto& defaults = UserDefaults::standard();
  defaults.set("username", Value("locked"));
  defaults.set("password", Value("pw"));
  defaults.set("isAnonymous", Value(false));
  service_.refuseLogin("locked", 1);
  int ready = 0;
  NotificationCenter::defaultCenter().add(CoverViewController::kColumnReadyNotification, this,
                                          [&](const Notification&) { ++ready; });
  launch();
  ASSERT_TRUE(cover());
  EXPECT_TRUE(cover()->isVisible());
  ASSERT_TRUE(pump([&] { return alertCount() > 0; }));
  EXPECT_EQ(1, ready);
  EXPECT_FALSE(cover()->isVisible());
  EXPECT_TRUE(home_->dataSource().empty());
  EXPECT_EQ(1, home_->gridView()->numberOfCells());
  EXPECT_TRUE(gDataEngine()->isAnonymous());
  NotificationCenter::defaultCenter().remove(this);
}

// A launch whose first local read fails (the subscription store's file is no database, so the
// store cannot open): the error alert shows and the cover goes, once; a later read that fails
// again does not slide it a second time.
TEST_F(HomeScreenTest, FailedFirstLocalReadShowsTheErrorAndTheCoverGoes) {
  TestFiles::write(Paths::documents() / "userEntry" / "userSubscribe.db", std::string(4096, 'x'));
  int ready = 0;
  NotificationCenter::defaultCenter().add(CoverViewController::kColumnReadyNotification, this,
                                          [&](const Notification&) { ++ready; });
  launch();
  ASSERT_FALSE(store());
  ASSERT_TRUE(pump([&] { return alertCount() > 0; }));
  EXPECT_EQ(1, ready);
  EXPECT_FALSE(cover()->isVisible());
  EXPECT_FALSE(home_->isFirst());
  EXPECT_EQ(1, home_->gridView()->numberOfCells());
  home_->asyncRequestSubscribedColumnsFromLocal();
  ASSERT_TRUE(pump([&] { return alertCount() > 1; }));
  EXPECT_EQ(1, ready);
  NotificationCenter::defaultCenter().remove(this);
}

// A guest's refresh: the list arrives in steps (appends), then every tile spins while the batch
// checks it and stops when its answer came; the refresh time is stored and the button is back.
TEST_F(HomeScreenTest, RefreshAddsTilesInStepsThenSpinsThemWhileTheyUpdate) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  EXPECT_FALSE(cover()->isVisible());
  seed(3);
  probe_->setFlags(SettableNetworkProbe::kWifi);
  EXPECT_TRUE(UserDefaults::standard().objectForKey("refreshTime").isNull());
  home_->refreshButtonPressed();
  EXPECT_TRUE(home_->isRefreshing());
  EXPECT_FALSE(home_->refreshButton()->isEnabled());
  EXPECT_TRUE(home_->refreshIndicator()->isAnimating());
  // A second press while it runs starts nothing more.
  home_->refreshButtonPressed();
  bool spun = false;
  ASSERT_TRUE(pump([&] {
    if (home_->dataSource().size() == 3) {
      layout();
      for (int i = 0; i < 3; ++i) {
        if (auto* t = tile(i); t && t->loadingIndicator()->isAnimating()) spun = true;
      }
    }
    return !home_->isRefreshing();
  }));
  EXPECT_TRUE(spun);
  EXPECT_EQ("col-gen-1 col-gen-2 col-gen-3", ids());
  EXPECT_EQ(0, home_->updateCount());
  EXPECT_TRUE(home_->refreshButton()->isEnabled());
  EXPECT_FALSE(home_->refreshIndicator()->isAnimating());
  EXPECT_FALSE(UserDefaults::standard().objectForKey("refreshTime").isNull());
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(tile(i));
    EXPECT_FALSE(tile(i)->loadingIndicator()->isAnimating()) << i;
    EXPECT_FALSE(home_->dataSource()[static_cast<size_t>(i)]->needUpdate());
  }
  // The generated columns were asked for, one list each.
  EXPECT_FALSE(service_.requestsTo("/col/gen-1.atom").empty());
}

// The staged update replayed on the fake clock, one step every 0.05 s; a subscription appended
// and a tile deleted by the reader in between both stay, and the grid ends equal to the list.
TEST_F(HomeScreenTest, StagedUpdateStepsEveryFiftyMillisecondsAndSurvivesInterleavedChanges) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  // The launch's login fills the service's address table, which the column checks post to.
  ASSERT_TRUE(pump([&] { return gUrlManager() && gUrlManager()->isEverSet(); }));
  seed(3);
  reload(3);
  auto feedOf = [](std::vector<int> numbers) {
    auto feed = std::make_shared<Feed>();
    for (int n : numbers) feed->appendEntrys(generatedColumn(n, false));
    return feed;
  };
  // [1, 2, 3] -> [3, 1]: the delete of 2 now, the move 0.05 s later, then the batch.
  auto fresh = feedOf({3, 1});
  home_->dataSourceUpdate(fresh);
  runDueMainLoopTasks();
  EXPECT_EQ("col-gen-1 col-gen-3", ids());
  // The fresh objects took the places of the old ones before any step.
  EXPECT_EQ(fresh->entrys()->at(1), home_->dataSource()[0]);
  clock_->advance(0.049);
  runDueMainLoopTasks();
  EXPECT_EQ("col-gen-1 col-gen-3", ids());
  clock_->advance(0.001);
  runDueMainLoopTasks();
  EXPECT_EQ("col-gen-3 col-gen-1", ids());
  EXPECT_EQ(0, home_->updateCount());
  clock_->advance(0.05);
  runDueMainLoopTasks();
  EXPECT_EQ(1, home_->updateCount());
  ASSERT_TRUE(pump([&] { return home_->updateCount() == 0; }));

  // [3, 1] -> [4, 1, 5]; meanwhile a new subscription arrives and the reader deletes a tile.
  // The rest of the planned steps no longer fit the list and are left out; the batch step
  // shows the plan without the deleted column and with the subscribed one, and checks the
  // plan's remaining columns.
  const size_t refreshesBefore = service_.requestsTo("/sub/refresh.atom").size();
  home_->dataSourceUpdate(feedOf({4, 1, 5}));
  runDueMainLoopTasks();  // the delete of 3: [1]
  EXPECT_EQ("col-gen-1", ids());
  NotificationCenter::defaultCenter().post(
      MyColumnsController::kSubscribeNotification, Value(),
      Dictionary{{"ResultType", "Entry"}, {"Result", Value(generatedColumn(9, false))}});
  EXPECT_EQ("col-gen-1 col-gen-9", ids());
  NotificationCenter::defaultCenter().post(ColumnGridCell::kUnsubscribeNotification,
                                           Value(home_->dataSource()[0]));
  EXPECT_EQ("col-gen-9", ids());
  EXPECT_FALSE(store()->isEntryExist(std::string("col-gen-1")));
  for (int i = 0; i < 2; ++i) {
    clock_->advance(0.05);
    runDueMainLoopTasks();
    EXPECT_EQ("col-gen-9", ids());
  }
  clock_->advance(0.05);
  runDueMainLoopTasks();  // the batch
  EXPECT_EQ("col-gen-4 col-gen-5 col-gen-9", ids());
  layout();
  EXPECT_EQ(4, home_->gridView()->numberOfCells());
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(tile(i));
    EXPECT_EQ(home_->dataSource()[static_cast<size_t>(i)], tile(i)->column()) << i;
  }
  ASSERT_TRUE(pump([&] { return home_->updateCount() == 0; }));
  // The columns the batch asked the service about (each refresh names its column's id).
  std::string refreshed;
  const auto refreshes = service_.requestsTo("/sub/refresh.atom");
  for (size_t i = refreshesBefore; i < refreshes.size(); ++i) refreshed += refreshes[i].body;
  EXPECT_NE(std::string::npos, refreshed.find("col-gen-4<"));
  EXPECT_NE(std::string::npos, refreshed.find("col-gen-5<"));
  EXPECT_EQ(std::string::npos, refreshed.find("col-gen-1<"));

  // The next staged update runs its steps again: [4, 5, 9] -> [5, 4, 2].
  home_->dataSourceUpdate(feedOf({5, 4, 2}));
  ASSERT_TRUE(pump([&] { return home_->updateCount() == 1; }));
  EXPECT_EQ("col-gen-5 col-gen-4 col-gen-2", ids());
  ASSERT_TRUE(pump([&] { return home_->updateCount() == 0; }));

  // A background update re-reads the stored column into its tile; one not shown, and an
  // unsubscribe of a column not shown, change nothing.
  layout();
  auto shownBefore = home_->dataSource()[2];
  auto& center = NotificationCenter::defaultCenter();
  center.post(MyColumnsController::kBackgroundUpdatedNotification, Value(),
              Dictionary{{"Column", Value(generatedColumn(2, false))}});
  EXPECT_NE(shownBefore, home_->dataSource()[2]);
  ASSERT_TRUE(tile(2));
  EXPECT_EQ(home_->dataSource()[2], tile(2)->column());
  center.post(MyColumnsController::kBackgroundUpdatedNotification, Value(),
              Dictionary{{"Column", Value(generatedColumn(3, false))}});
  center.post(ColumnGridCell::kUnsubscribeNotification, Value(generatedColumn(7, false)));
  EXPECT_EQ("col-gen-5 col-gen-4 col-gen-2", ids());

  // Away (a screen over the grid), the tiles' pictures are released and an update does not
  // touch them. Coming back, once the current page is drawn again, an update that arrives
  // before the screen has finished appearing reaches its tile there (a microblog bound from the
  // screen that was over the grid).
  auto updateOf = [&](int n) {
    center.post(MyColumnsController::kBackgroundUpdatedNotification, Value(),
                Dictionary{{"Column", Value(generatedColumn(n, false))}});
  };
  home_->viewWillDisappear(false);
  home_->viewDidDisappear(false);
  updateOf(2);
  ASSERT_TRUE(tile(2));
  EXPECT_FALSE(tile(2)->column());
  home_->viewWillAppear(false);
  EXPECT_EQ(home_->dataSource()[2], tile(2)->column());
  shownBefore = home_->dataSource()[2];
  updateOf(2);
  EXPECT_NE(shownBefore, home_->dataSource()[2]);
  EXPECT_EQ(home_->dataSource()[2], tile(2)->column());
  home_->viewDidAppear(false);
  EXPECT_EQ(home_->dataSource()[2], tile(2)->column());
}

// A read of the whole list (a login or a logout) while a staged update still replays: the list
// read is what the grid shows; the rest of the older plan, planned from a list that is gone,
// neither reorders it nor brings back its columns.
TEST_F(HomeScreenTest, AWholeReadDuringAStagedUpdateDropsTheRestOfThatUpdate) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  seed(3);
  reload(3);
  auto other = std::make_shared<Feed>();
  for (int n : {4, 5}) other->appendEntrys(generatedColumn(n, false));
  // [1, 2, 3] -> [4, 5]: three deletes and two appends, 0.05 s apart, then the batch.
  home_->dataSourceUpdate(other);
  runDueMainLoopTasks();
  EXPECT_EQ("col-gen-1 col-gen-2", ids());
  home_->asyncRequestSubscribedColumnsFromLocal();
  ASSERT_TRUE(turnMainLoopUntil([&] { return home_->dataSource().size() == 3; }));
  EXPECT_EQ("col-gen-1 col-gen-2 col-gen-3", ids());
  for (int i = 0; i < 10; ++i) {
    clock_->advance(0.05);
    runDueMainLoopTasks();
  }
  EXPECT_EQ("col-gen-1 col-gen-2 col-gen-3", ids());
  EXPECT_EQ(0, home_->updateCount());
  layout();
  EXPECT_EQ(4, home_->gridView()->numberOfCells());
}

// A login stores the shown order before it reads the list again, so the read shows that
// order and not the store's older one.
TEST_F(HomeScreenTest, ALoginStoresTheShownOrderBeforeReadingTheListAgain) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  seed(3);
  reload(3);
  home_->gridViewCellMoveFromIndexToIndex(*home_->gridView(), 0, 2);
  ASSERT_EQ("col-gen-2 col-gen-3 col-gen-1", ids());
  const auto shownBefore = home_->dataSource()[0];
  NotificationCenter::defaultCenter().post(MyColumnsController::kLoginSuccessNotification);
  auto stored = store()->allocReadEntriesInFeed(std::nullopt);
  ASSERT_TRUE(stored && stored->entrys());
  std::string storedIds;
  for (const auto& e : *stored->entrys()) storedIds += e->entryId().value_or("?") + " ";
  EXPECT_EQ("col-gen-2 col-gen-3 col-gen-1 ", storedIds);
  EXPECT_EQ(-1, home_->lastReportTime());
  // The read's fresh objects replace the shown ones.
  ASSERT_TRUE(pump([&] { return home_->dataSource()[0] != shownBefore; }));
  EXPECT_EQ("col-gen-2 col-gen-3 col-gen-1", ids());
}

// Edit mode: a long press turns it on (and never off), the tiles shrink and show their delete
// buttons, a delete removes the tile and the stored column, a drag moves a column; leaving edit
// mode stores the order, which the next launch shows.
TEST_F(HomeScreenTest, EditModeDeleteAndDragKeepTheOrderAcrossARestart) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  seed(5);
  reload(5);
  ui::Window& window = *home_->view()->window();
  auto centre = [&](int index) {
    const ui::Rect r = home_->gridView()->contentScrollView()->convertRectTo(
        home_->gridView()->rect0AtIndex(index), nullptr);
    return ui::Point{r.midX(), r.midY()};
  };
  auto pressLong = [&](ui::Point at) {
    auto touch = window.beginTouch(at);
    clock_->advance(0.6);
    runDueMainLoopTasks();
    return touch;
  };
  auto finger = pressLong(centre(1));
  EXPECT_TRUE(home_->isEditing());
  EXPECT_TRUE(home_->editButton()->isHidden());
  EXPECT_TRUE(home_->refreshButton()->isHidden());
  EXPECT_TRUE(home_->downloadButton()->isHidden());
  EXPECT_FALSE(home_->finishButton()->isHidden());
  ASSERT_TRUE(ui::AnimationLog::shared().last());
  EXPECT_EQ("editAnimation", ui::AnimationLog::shared().named("editAnimation").back()->name);
  // Drag column 2 (index 1) onto index 3.
  for (int i = 0; i < 2; ++i) window.moveTouch(finger, ui::Point{centre(1).x, centre(1).y + 40});
  for (int i = 0; i < 2; ++i) window.moveTouch(finger, ui::Point{centre(3).x, centre(3).y + 5});
  window.endTouch(finger);
  settle(1);
  EXPECT_EQ("col-gen-1 col-gen-3 col-gen-4 col-gen-2 col-gen-5", ids());
  EXPECT_TRUE(home_->isEditing());
  EXPECT_FLOAT_EQ(0.9f, tile(0)->frontView()->transform().a);
  EXPECT_FALSE(tile(0)->delButton()->isHidden());
  // A long press while editing leaves edit mode on.
  window.endTouch(pressLong(centre(0)));
  settle(1);
  EXPECT_TRUE(home_->isEditing());

  // Delete column 4 (index 2) with its tile's button.
  layout();
  ASSERT_TRUE(tile(2));
  tile(2)->delButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ("col-gen-1 col-gen-3 col-gen-2 col-gen-5", ids());
  EXPECT_FALSE(store()->isEntryExist(std::string("col-gen-4")));
  settle(1);
  layout();
  EXPECT_EQ(5, home_->gridView()->numberOfCells());

  // Escape ends edit mode as the finish button does, and stores the order; on the grid outside
  // edit mode it starts nothing (the finish button lies under the edit button there).
  EXPECT_TRUE(ui::EscapeKey::press());
  EXPECT_FALSE(home_->isEditing());
  EXPECT_FALSE(home_->editButton()->isHidden());
  ASSERT_TRUE(turnMainLoopUntil([] { return MyColumnsController::pendingOrderStores() == 0; }));
  EXPECT_FALSE(ui::EscapeKey::press());
  EXPECT_FALSE(home_->isEditing());

  // The finish button ends edit mode and stores the order.
  home_->editButtonPressed();
  ASSERT_TRUE(home_->isEditing());
  home_->finishButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(home_->isEditing());
  EXPECT_FALSE(home_->editButton()->isHidden());
  ASSERT_TRUE(turnMainLoopUntil([] { return MyColumnsController::pendingOrderStores() == 0; }));

  terminate();
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  EXPECT_EQ("col-gen-1 col-gen-3 col-gen-2 col-gen-5", ids());
}

// A launch with a stored login: the login, the local read (the cover goes), the account sync
// (which brings the account's columns into the store), the staged update and the update batch,
// every tile spinning until its column's answer came.
TEST_F(HomeScreenTest, LaunchLogsInLoadsSyncsAndRefreshesWithTheTilesSpinning) {
  auto& defaults = UserDefaults::standard();
  defaults.set("username", Value("reader"));
  defaults.set("password", Value("pw"));
  defaults.set("isAnonymous", Value(false));
  service_.setSubscriptions({"col-news", "col-photo"});
  probe_->setFlags(SettableNetworkProbe::kWifi);
  int syncResults = 0;
  NotificationCenter::defaultCenter().add(MyColumnsController::kSyncResultNotification, this,
                                          [&](const Notification&) { ++syncResults; });
  launch();
  std::set<int> spun;
  ASSERT_TRUE(pump([&] {
    if (!home_->dataSource().empty()) {
      layout();
      for (int i = 0; i < static_cast<int>(home_->dataSource().size()); ++i) {
        if (auto* t = tile(i); t && t->loadingIndicator()->isAnimating()) spun.insert(i);
      }
    }
    return !home_->isFirst() && !home_->isRefreshing() && home_->dataSource().size() == 2;
  }));
  EXPECT_FALSE(service_.requestsTo("/login").empty() && service_.requests().empty());
  EXPECT_EQ("reader", gDataEngine()->getUsername());
  EXPECT_FALSE(cover()->isVisible());
  EXPECT_GE(syncResults, 1);
  EXPECT_EQ("col-news col-photo", ids());
  EXPECT_EQ((std::set<int>{0, 1}), spun);
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(tile(i)->loadingIndicator()->isAnimating());
  EXPECT_FALSE(UserDefaults::standard().objectForKey("refreshTime").isNull());
  EXPECT_TRUE(home_->refreshButton()->isEnabled());
  NotificationCenter::defaultCenter().remove(this);

  // The login report goes once a day; a logout makes the next refresh report again.
  auto loginReports = [&] {
    size_t n = 0;
    for (const auto& r : service_.requestsTo("/stat")) n += r.query.find("method=login") == 0;
    return n;
  };
  ASSERT_TRUE(turnMainLoopUntil([&] { return loginReports() == 1; }));
  home_->refreshButtonPressed();
  ASSERT_TRUE(pump([&] { return !home_->isRefreshing(); }));
  NotificationCenter::defaultCenter().post(MyColumnsController::kLogoutNotification);
  EXPECT_EQ(-1, home_->lastReportTime());
  ASSERT_TRUE(pump([&] { return home_->lastReportTime() > 0 && !home_->isRefreshing(); }));
  ASSERT_TRUE(turnMainLoopUntil([&] { return loginReports() == 2; }));
}

// A tile the reader deletes after the read that follows the account sync took the list from
// the store, but before the screen had its answer, stays deleted (the service not yet told);
// a column subscribed then stays shown.
TEST_F(HomeScreenTest, TilesDeletedOrSubscribedDuringARefreshStaySo) {
  auto& defaults = UserDefaults::standard();
  defaults.set("username", Value("reader"));
  defaults.set("password", Value("pw"));
  defaults.set("isAnonymous", Value(false));
  service_.setSubscriptions({"col-news", "col-photo", "col-rss"});
  probe_->setFlags(SettableNetworkProbe::kWifi);
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isRefreshing() && home_->dataSource().size() == 3; }));
  auto deleteTile = [&](const std::string& id) {
    const int index = ColumnListPlanner::findColumn(id, home_->dataSource());
    ASSERT_GE(index, 0) << id;
    NotificationCenter::defaultCenter().post(
        ColumnGridCell::kUnsubscribeNotification,
        Value(home_->dataSource()[static_cast<size_t>(index)]));
  };
  home_->editButtonPressed();
  // The sync's answer starts the fresh read; the changes come once the task thread has run it.
  bool armed = true;
  auto changeAfterTheRead = [&] {
    gTaskEngine()->runLoop()->postAndWait([] {});
    deleteTile("col-photo");
    auto added = generatedColumn(9, false);
    ASSERT_TRUE(store()->insertEntry(added));
    NotificationCenter::defaultCenter().post(
        MyColumnsController::kSubscribeNotification, Value(),
        Dictionary{{"ResultType", "Entry"}, {"Result", Value(added)}});
  };
  NotificationCenter::defaultCenter().add(
      MyColumnsController::kSyncResultNotification, this, [&](const Notification&) {
        if (std::exchange(armed, false)) RunLoop::main()->post(changeAfterTheRead);
      });
  home_->refreshButtonPressed();
  ASSERT_TRUE(pump([&] { return !armed && !home_->isRefreshing(); }));
  NotificationCenter::defaultCenter().remove(this);
  EXPECT_EQ("col-news col-rss col-gen-9", ids());
  layout();
  EXPECT_EQ(4, home_->gridView()->numberOfCells());
  EXPECT_EQ((std::vector<std::string>{"col-news", "col-photo", "col-rss"}),
            service_.subscriptions());
}

// Columns added to the account elsewhere arrive at the next refresh one step at a time, the
// steps 0.05 s apart by the clock, then the batch.
TEST_F(HomeScreenTest, ColumnsAddedOnTheServiceArriveInStepsFiftyMillisecondsApart) {
  auto& defaults = UserDefaults::standard();
  defaults.set("username", Value("reader"));
  defaults.set("password", Value("pw"));
  defaults.set("isAnonymous", Value(false));
  service_.setSubscriptions({"col-news"});
  probe_->setFlags(SettableNetworkProbe::kWifi);
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst() && !home_->isRefreshing() && home_->dataSource().size() == 1; }));

  service_.setSubscriptions({"col-news", "col-photo", "col-rss"});
  int syncResults = 0;
  NotificationCenter::defaultCenter().add(MyColumnsController::kSyncResultNotification, this,
                                          [&](const Notification&) { ++syncResults; });
  home_->refreshButtonPressed();
  // The sync's finish (posted 0.1 s after it by the clock) starts the fresh read; from there
  // the clock stands still until the first step has run.
  ASSERT_TRUE(pump([&] { return syncResults > 0; }));
  NotificationCenter::defaultCenter().remove(this);
  ASSERT_TRUE(turnMainLoopUntil([&] { return home_->dataSource().size() != 1; }));
  EXPECT_EQ(2u, home_->dataSource().size());  // one column now, the other a step later
  clock_->advance(0.035);
  runDueMainLoopTasks();
  EXPECT_EQ(2u, home_->dataSource().size());
  clock_->advance(0.015);
  runDueMainLoopTasks();
  EXPECT_EQ(3u, home_->dataSource().size());
  ASSERT_TRUE(pump([&] { return !home_->isRefreshing(); }));
  EXPECT_EQ("col-news col-photo col-rss", ids());
  layout();
  EXPECT_EQ(4, home_->gridView()->numberOfCells());
}

// Launches onto a grid of eight columns with covers in the column cache, as the store gives
// them to the grid.
void HomeScreenTest::launchOntoEightCovers() {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  std::vector<std::shared_ptr<Entry>> columns;
  for (int i = 1; i <= 8; ++i) {
    auto c = generatedColumn(i, true);
    auto picture = ui::Image::create(140, 120);
    const uint32_t shade = 0xff000000u | (static_cast<uint32_t>(40 + i * 25) << 16) |
                           (static_cast<uint32_t>(160 - i * 10) << 8) | 0x90u;
    for (int p = 0; p < 140 * 120; ++p) picture->mutablePixels()[p] = shade;
    gDataEngine()->getColumnCache()->saveCover(c->entryId(), c->coverImageLink()->href(),
                                               *picture->pngData());
    columns.push_back(c);
  }
  ASSERT_TRUE(store()->insertEntries(columns));
  reload(8);
  ASSERT_TRUE(tile(0));
  EXPECT_TRUE(tile(0)->contentImageView()->image());
  settle(1);
}

// The top of a screen: the status bar and the navigation bar under it.
std::shared_ptr<ui::Image> topOf(const ui::Image& screen) {
  auto strip = ui::Image::create(320, 64);
  ui::Canvas canvas(*strip);
  canvas.drawImage(screen, ui::Rect(0, 0, 320, 480));
  return strip;
}

// On a double-density screen the grid is built from the "@2x" artwork and drawn at twice the
// pixels: the same picture as at scale 1, point for point, only finer.
TEST_F(HomeScreenTest, TheDayGridAtDoubleDensity) {
  DeviceProfile::setScreenScale(2);
  ui::Image::clearNamedCache();
  launchOntoEightCovers();
  auto tabs = std::dynamic_pointer_cast<MSCustomTabBarController>(delegate_->rootController());
  ASSERT_TRUE(tabs);
  auto button = tabs->tabButton(1)->currentBackgroundImage();
  ASSERT_TRUE(button);
  EXPECT_EQ(2.f, button->scale());
  EXPECT_EQ("homemenu_favorites_normal", button->name());
  auto fine = ui::renderScreen(2);
  auto coarse = ui::renderScreen(1);
  ASSERT_TRUE(fine && coarse);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*fine, "home-grid-day@2x").has_value());
  EXPECT_EQ(640, fine->pixelWidth());
  EXPECT_EQ(960, fine->pixelHeight());
  // Flat places match: the grid's background, a cover's middle, the tab bar's cover.
  for (const ui::Point p : {ui::Point{4, 300}, ui::Point{60, 120}, ui::Point{300, 470}}) {
    const ui::Color a = coarse->colorAt(static_cast<int>(p.x), static_cast<int>(p.y));
    const ui::Color b = fine->colorAt(static_cast<int>(2 * p.x), static_cast<int>(2 * p.y));
    EXPECT_NEAR(a.red, b.red, 0.05f) << p.x << "," << p.y;
    EXPECT_NEAR(a.green, b.green, 0.05f) << p.x << "," << p.y;
    EXPECT_NEAR(a.blue, b.blue, 0.05f) << p.x << "," << p.y;
  }
}

// The pictures: the grid by day and by night (with the status bar over each), edit mode, a tip.
TEST_F(HomeScreenTest, PicturesOfTheGridByDayAndNightInEditModeAndATip) {
  launchOntoEightCovers();
  auto day = ui::renderScreen();
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*day, "home-grid-day").has_value());
  EXPECT_TRUE(ui::writeSnapshot(*topOf(*day), "status-bar-day").has_value());

  NotificationCenter::defaultCenter().post(MyColumnsController::kNightNotification, Value(true));
  EXPECT_TRUE(gIsNight);
  EXPECT_EQ(MyFaceSettings::getBackgroundColorForMainView(), home_->view()->backgroundColor());
  settle(1);
  auto night = ui::renderScreen();
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*night, "home-grid-night").has_value());
  EXPECT_TRUE(ui::writeSnapshot(*topOf(*night), "status-bar-night").has_value());
  EXPECT_NE(day->pixelAt(160, 30), night->pixelAt(160, 30));
  // The application shows the status bar in its default style, by day and by night.
  EXPECT_FALSE(ui::Application::shared().isStatusBarHidden());
  EXPECT_EQ(day->pixelAt(100, 10), night->pixelAt(100, 10));
  EXPECT_NE(day->pixelAt(100, 10), day->pixelAt(100, 30));
  NotificationCenter::defaultCenter().post(MyColumnsController::kNightNotification, Value(false));

  home_->editButtonPressed();
  settle(1);
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("home-grid-edit"));
  home_->editButtonPressed();

  // The cache tip: 21 characters and more get the large tip; it fades in, then out and away.
  home_->showTipView("您的缓存已达 100 MB，\n建议您先手动清除缓存以提升性能");
  auto tipView = home_->view()->subviews().back();
  EXPECT_EQ(ui::Rect(40, 350, 239, 60), tipView->frame());
  EXPECT_EQ(1.0f, tipView->alpha());
  settle(0.4);  // faded in; the grid is back from edit mode
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("home-tip"));
  settle(0.5);
  EXPECT_EQ(0.0f, tipView->alpha());  // fading out after its two seconds
  ASSERT_TRUE(tipView->superview());
  settle(3);
  EXPECT_FALSE(tipView->superview());
  // Two tips in quick succession are both shown, one over the other.
  const size_t before = home_->view()->subviews().size();
  home_->showTipView("一");
  home_->showTipView("二");
  EXPECT_EQ(before + 2, home_->view()->subviews().size());
}

// The grid's pages scroll as on the phone: a flick toward the next page carries the content
// there frame by frame, both pages showing on the way, and it comes to rest on the page.
TEST_F(HomeScreenTest, PageScrollMovesFrameByFrameOntoTheNextPage) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  std::vector<std::shared_ptr<Entry>> columns;
  for (int i = 1; i <= 14; ++i) columns.push_back(generatedColumn(i, false));
  ASSERT_TRUE(store()->insertEntries(columns));
  reload(14);
  settle(1);
  auto grid = home_->gridView();
  ASSERT_GE(grid->numberOfPages(), 2);
  auto scroll = grid->contentScrollView();
  const float page = scroll->bounds().size.width;
  ASSERT_TRUE(tile(0));

  scroll->beginDrag(ui::Point{240, 200});
  scroll->dragTo(ui::Point{200, 200});
  EXPECT_TRUE(scroll->endDrag(ui::Point{1000, 0}));
  clock_->advance(0.07);
  runDueMainLoopTasks();
  const float x = scroll->contentOffset().x;
  EXPECT_GT(x, page * 0.3f);
  EXPECT_LT(x, page * 0.7f);
  EXPECT_TRUE(scroll->isDecelerating());
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("home-grid-page-scroll"));
  // Mid-way the next page's first tile has come in from the right while the tile beside it on
  // the first page is leaving.
  int firstOfPage1 = 0;
  while (firstOfPage1 < 14 && !(tile(firstOfPage1) && tile(firstOfPage1)->frame().minX() >= page)) {
    ++firstOfPage1;
  }
  ASSERT_LT(firstOfPage1, 14);
  EXPECT_LT(tile(firstOfPage1)->convertRectTo(tile(firstOfPage1)->bounds(), nullptr).minX(), 320);
  ASSERT_TRUE(tile(firstOfPage1 - 1));
  EXPECT_GT(tile(firstOfPage1 - 1)->convertRectTo(tile(firstOfPage1 - 1)->bounds(), nullptr).maxX(), 0);

  for (int frame = 0; frame < 60 && scroll->isDecelerating(); ++frame) {
    clock_->advance(1.0 / 60);
    runDueMainLoopTasks();
  }
  EXPECT_FALSE(scroll->isDecelerating());
  EXPECT_EQ(page, scroll->contentOffset().x);
  EXPECT_EQ(1, grid->getCurPage());
}

// The last-refresh tip waits for a stored refresh time and for the screen to be visible.
TEST_F(HomeScreenTest, LastRefreshTipAfterTwoHoursOnlyWithAStoredTime) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  const size_t before = home_->view()->subviews().size();
  clock_->advance(7201);
  runDueMainLoopTasks();
  // No refresh time stored: nothing shows and the tip stays due.
  EXPECT_EQ(before, home_->view()->subviews().size());
  UserDefaults::standard().set("refreshTime", Value(clock_->now() - 30));
  home_->viewWillDisappear(false);
  home_->viewDidDisappear(false);
  clock_->advance(7201);
  runDueMainLoopTasks();
  EXPECT_TRUE(home_->needToShowLastRefreshTime());
  EXPECT_EQ(before, home_->view()->subviews().size());
  home_->viewWillAppear(false);
  home_->viewDidAppear(false);
  EXPECT_FALSE(home_->needToShowLastRefreshTime());
  ASSERT_EQ(before + 1, home_->view()->subviews().size());
  auto label = std::dynamic_pointer_cast<ui::Label>(home_->view()->subviews().back()->subviews().at(0));
  ASSERT_TRUE(label);
  EXPECT_EQ(0u, label->text().rfind("上次刷新 ", 0));
}

// --- opening a column, the detail flip and the downloads -------------------------------------

// A column with an article page on the sample service (a news column, type 0).
std::shared_ptr<Column> listedColumn(int n, const std::string& baseUrl) {
  auto c = generatedColumn(n, false);
  c->setVeskEntryStatus(std::make_shared<VeskEntryStatus>());
  auto link = std::make_shared<Link>();
  link->setRel(std::string("alternate"));
  link->setHref(baseUrl + "/col/gen-" + std::to_string(n) + ".atom");
  c->setAlternatelink(link);
  return c;
}

class HomeOpeningTest : public HomeScreenTest {
 protected:
  // Stores the columns and shows them on the launched grid.
  void show(const std::vector<std::shared_ptr<Column>>& columns) {
    std::vector<std::shared_ptr<Entry>> entries(columns.begin(), columns.end());
    ASSERT_TRUE(store()->insertEntries(entries));
    reload(columns.size());
  }
  // A finger on tile `index` and its tap: the mask, then the click.
  void tap(int index) {
    home_->gridViewTouchDownCellAtIndex(*home_->gridView(), index);
    home_->gridViewDidClickCellAtIndex(*home_->gridView(), index);
  }
  ui::NavigationController* homeNavigation() { return home_->navigationController(); }
  size_t windowViews() { return home_->view()->window()->subviews().size(); }
};

// Each way a tap ends: the add cell selects the content centre tab; a disabled tile shows the
// text-only tip without a spinner; an unbound microblog asks for a binding, whose alert opens
// the authorisation screen for its platform; a column without an article page says "无数据。";
// a column with one pushes its article list and is marked shown. The mask goes every time.
TEST_F(HomeOpeningTest, TapOpensTheListOrSaysWhyNot) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  auto plain = listedColumn(1, service_.baseUrl());
  auto noPage = generatedColumn(2, false);
  auto blog = listedColumn(3, service_.baseUrl());
  blog->setVeskCustomization(std::make_shared<VeskCustomization>());
  blog->veskCustomization()->setType(std::string(vocab::kCustomSinaMblog));
  auto album = listedColumn(4, service_.baseUrl());
  album->setVeskEntryStatus(std::make_shared<VeskEntryStatus>());
  album->veskEntryStatus()->setType(1);
  show({plain, noPage, blog, album});
  ASSERT_TRUE(home_->dataSource()[0]->alternatelink());
  store()->setColumnLastestSummaryId(std::string("col-gen-1"), std::string("a-9"));

  // The add cell, through the tab bar's buttons.
  auto* tabs = dynamic_cast<MSCustomTabBarController*>(delegate_->rootController().get());
  ASSERT_TRUE(tabs);
  home_->gridViewDidClickCellAtIndex(*home_->gridView(), 4);
  EXPECT_EQ(2u, tabs->selectedIndex());
  EXPECT_FALSE(tabs->tabButton(2)->isEnabled());
  EXPECT_TRUE(tabs->tabButton(0)->isEnabled());
  tabs->setSelectedTabIndex(0);
  layout();

  // Past the add cell, and in edit mode: nothing opens.
  home_->gridViewDidClickCellAtIndex(*home_->gridView(), 9);
  home_->editButtonPressed();
  tap(0);
  EXPECT_FALSE(home_->touchMaskView());
  home_->editButtonPressed();
  settle(1);
  EXPECT_EQ(1u, homeNavigation()->viewControllers().size());

  // Disabled in text-only mode: the tip, no spinner, touches back.
  NotificationCenter::defaultCenter().post(ColumnGridCell::kDisplayModeNotification, Value(true));
  layout();
  ASSERT_TRUE(tile(3)->isDisabled());
  const size_t subviews = home_->view()->subviews().size();
  tap(3);
  EXPECT_FALSE(tile(3)->loadingIndicator()->isAnimating());
  EXPECT_FALSE(home_->view()->isUserInteractionEnabled());
  clock_->advance(0.1);
  runDueMainLoopTasks();
  EXPECT_EQ(subviews + 1, home_->view()->subviews().size());
  auto tipLabel = std::dynamic_pointer_cast<ui::Label>(home_->view()->subviews().back()->subviews().at(0));
  ASSERT_TRUE(tipLabel);
  EXPECT_EQ(MyColumnsController::kTextOnlyTip, tipLabel->text());
  EXPECT_TRUE(home_->view()->isUserInteractionEnabled());
  EXPECT_FALSE(home_->touchMaskView());
  NotificationCenter::defaultCenter().post(ColumnGridCell::kDisplayModeNotification, Value(false));

  // The unbound microblog: the bind notification with its platform, the alert, the screen.
  std::optional<int64_t> platform;
  NotificationCenter::defaultCenter().add(MyColumnsController::kBindAlertNotification, this,
                                          [&](const Notification& n) {
                                            platform = n.userInfo.get("platformtype").intValue();
                                            EXPECT_EQ(home_, n.userInfo.get("context").asObject<MyColumnsController>());
                                          });
  tap(2);
  EXPECT_TRUE(tile(2)->loadingIndicator()->isAnimating());
  settle(0.1);
  NotificationCenter::defaultCenter().remove(this);
  EXPECT_EQ(std::optional<int64_t>(1), platform);
  EXPECT_FALSE(tile(2)->loadingIndicator()->isAnimating());
  ASSERT_TRUE(topAlert());
  EXPECT_EQ(std::optional<std::string>("还没有绑定微博"), topAlert()->title());
  topAlert()->clickButton(1);
  settle(1);
  ASSERT_FALSE(StandInScreen::requests().empty());
  EXPECT_EQ(ScreenRequest::kAuthenticationNib, StandInScreen::requests().back().nibName);
  EXPECT_EQ(1, StandInScreen::requests().back().parameters.get("accountType").intValue());
  if (tabs->modalViewController()) tabs->dismissModalViewController(false);
  settle(1);

  // No article page.
  const size_t alerts = alertCount();
  tap(1);
  settle(0.1);
  ASSERT_EQ(alerts + 1, alertCount());
  EXPECT_EQ("无数据。", topAlert()->messageText());
  topAlert()->dismissWithClickedButtonIndex(0, false);
  EXPECT_FALSE(home_->touchMaskView());

  // The list: pushed with the bottom bar hidden, the column marked shown.
  tap(0);
  EXPECT_TRUE(home_->touchMaskView());
  clock_->advance(0.099);
  runDueMainLoopTasks();
  EXPECT_EQ(1u, homeNavigation()->viewControllers().size());
  settle(0.001);
  ASSERT_EQ(2u, homeNavigation()->viewControllers().size());
  auto list = std::dynamic_pointer_cast<StandInScreen>(homeNavigation()->topViewController());
  ASSERT_TRUE(list);
  EXPECT_EQ(ScreenRequest::kArticleListNib, list->request()->nibName());
  auto listed = list->request()->parameters().get("column").asObject<Column>();
  ASSERT_TRUE(listed);
  EXPECT_EQ(std::optional<std::string>("col-gen-1"), listed->entryId());
  EXPECT_TRUE(list->hidesBottomBarWhenPushed());
  EXPECT_EQ(std::optional<std::string>("a-9"), store()->getColumnLastestShowedSummaryId(std::string("col-gen-1")));
  EXPECT_FALSE(home_->touchMaskView());
  EXPECT_TRUE(home_->view()->isUserInteractionEnabled());
  // The grid hides the navigation bar, so the list's tap is the way back to it.
  std::weak_ptr<StandInScreen> weakList = list;
  list.reset();
  weakList.lock()->close();
  settle(1);
  EXPECT_EQ(1u, homeNavigation()->viewControllers().size());
  EXPECT_EQ(home_, homeNavigation()->topViewController());
  EXPECT_TRUE(weakList.expired());
}

// A book column from the sample service: its catalogue (one section) and its package.
std::shared_ptr<Column> servedBook(SampleService& service, const std::filesystem::path& work) {
  const std::string base = service.baseUrl();
  service.setFile("/book/bk/catalog.atom",
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\" "
                  "xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"><id>bk</id><vesk:catalogVersion>1"
                  "</vesk:catalogVersion><vesk:chapter><title>第一章</title><id>c1</id>"
                  "<vesk:indexid>1</vesk:indexid><vesk:section type=\"1\"><title>s1</title><id>s1</id>"
                  "<link href=\"" + base + "/book/bk/s1.htm\"/><vesk:indexid>1</vesk:indexid>"
                  "<vesk:allowpreview>0</vesk:allowpreview><updated>2023-11-14T22:13:20Z</updated>"
                  "</vesk:section></vesk:chapter></feed>",
                  "application/atom+xml");
  std::filesystem::create_directories(work);
  const auto page = work / "1.htm";
  std::ofstream(page) << "<html><body><p>" << std::string(200000, 'x') << "</p></body></html>";
  const auto zip = work / "bk.zip";
  ZipArchive archive;
  EXPECT_TRUE(archive.createZipFile2(zip.string()));
  EXPECT_TRUE(archive.addFileToZip(page.string(), "OPS/1.htm"));
  EXPECT_TRUE(archive.closeZipFile2());
  std::ifstream in(zip, std::ios::binary);
  service.setFile("/book/bk.epub", std::string(std::istreambuf_iterator<char>(in), {}));

  auto column = std::make_shared<Column>();
  column->setEntryId(std::string("bk"));
  column->setTitle(std::string("书"));
  column->setVeskEntryStatus(std::make_shared<VeskEntryStatus>());
  column->veskEntryStatus()->setType(9);
  auto catalog = std::make_shared<Link>();
  catalog->setHref(base + "/book/bk/catalog.atom");
  column->setCatalogLink(catalog);
  auto content = std::make_shared<Link>();
  content->setHref(base + "/book/bk.epub");
  column->setBookContentLink(content);
  auto book = std::make_shared<VeskBook>();
  book->setUpdated(1700000000000);
  column->setVeskBook(book);
  auto page1 = std::make_shared<Link>();
  page1->setRel(std::string("alternate"));
  page1->setHref(base + "/book/bk/catalog.atom");
  column->setAlternatelink(page1);
  return column;
}

// A book not yet downloaded: two taps start one download from the sample service and open
// nothing; its progress reaches the tile (1 at the end); a later tap opens it.
TEST_F(HomeOpeningTest, BookDownloadsOnceThenOpens) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  show({servedBook(service_, ShellFixture::home_.path() / "book-src")});
  auto engine = gDataEngine();
  ASSERT_FALSE(engine->isBookDownloaded(std::string("bk")));
  std::vector<std::string> kinds;
  NotificationCenter::defaultCenter().add(MyColumnsController::kBookDownloadNotification, this,
                                          [&](const Notification& n) {
                                            kinds.push_back(n.userInfo.get("ResultType").stringValue().value_or(""));
                                          });
  // The book's answer waits until the taps below are done, so the download is still running
  // for each of them however slowly or quickly the machine runs it.
  service_.holdAnswers("/book/bk.epub", true);
  tap(0);
  EXPECT_FALSE(home_->touchMaskView());
  EXPECT_FALSE(tile(0)->loadingIndicator()->isAnimating());
  // The second tap comes while the download is being started, and starts nothing.
  tap(0);
  ASSERT_TRUE(pump([&] { return engine->isBookDownloading("bk"); }));
  tap(0);
  service_.holdAnswers("/book/bk.epub", false);
  ASSERT_TRUE(pump([&] { return engine->isBookDownloaded(std::string("bk")) && !engine->isBookDownloading("bk"); }));
  ASSERT_TRUE(pump([&] { return !kinds.empty() && kinds.back() == "TaskStatus"; }));
  NotificationCenter::defaultCenter().remove(this);
  EXPECT_EQ(1u, service_.requestsTo("/book/bk.epub").size());
  EXPECT_NE(kinds.end(), std::find(kinds.begin(), kinds.end(), "EBookDownload"));
  EXPECT_EQ(1.0f, tile(0)->bookDownloadProgress());
  EXPECT_EQ(1u, homeNavigation()->viewControllers().size());

  tap(0);
  settle(0.1);
  ASSERT_EQ(2u, homeNavigation()->viewControllers().size());
  EXPECT_EQ(1u, service_.requestsTo("/book/bk.epub").size());
  homeNavigation()->popViewController(false);
  settle(1);
}

// A download still running when the screen's view was unloaded (another tab, a memory
// warning): back on the screen, the new download button turns and shows the pop-up on the
// window again.
TEST_F(HomeOpeningTest, OfflineDownloadPopUpShowsAgainAfterTheViewWasUnloaded) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  show({listedColumn(1, service_.baseUrl())});
  probe_->setFlags(SettableNetworkProbe::kWifi);
  gDataEngine()->setColumnOfflineDownload(std::string("col-gen-1"), true);
  service_.setResponseDelay("/col/", 2000);  // the download outlasts the steps below
  home_->offlineDownloadButtonPressed();
  auto manager = home_->offlineDownloadManager();
  ASSERT_TRUE(manager);
  settle(1);
  manager->hideDownloadView();
  settle(1);
  auto* tabs = dynamic_cast<MSCustomTabBarController*>(delegate_->rootController().get());
  tabs->setSelectedTabIndex(1);
  ui::Application::shared().simulateMemoryWarning();
  ASSERT_FALSE(home_->isViewLoaded());
  tabs->setSelectedTabIndex(0);
  ASSERT_TRUE(OfflineDownloadManager::isDownloading());
  EXPECT_TRUE(home_->downloadButton()->imageView()->isAnimating());
  home_->downloadButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_EQ(manager, home_->offlineDownloadManager());
  ASSERT_TRUE(manager->backgroundView());
  EXPECT_EQ(home_->view()->window(), manager->backgroundView()->window());
  service_.setResponseDelay("/col/", 0);
}

// Unloading the screen's view lets the manager drop the pop-up it built over it.
TEST_F(HomeOpeningTest, UnloadingTheViewDropsTheOfflineDownloadPopUp) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  show({listedColumn(1, service_.baseUrl())});
  probe_->setFlags(SettableNetworkProbe::kWifi);
  gDataEngine()->setColumnOfflineDownload(std::string("col-gen-1"), true);
  service_.setResponseDelay("/col/", 2000);
  home_->offlineDownloadButtonPressed();
  auto manager = home_->offlineDownloadManager();
  ASSERT_TRUE(manager);
  settle(1);
  ASSERT_TRUE(manager->downloadView());
  auto* tabs = dynamic_cast<MSCustomTabBarController*>(delegate_->rootController().get());
  tabs->setSelectedTabIndex(1);
  ui::Application::shared().simulateMemoryWarning();
  ASSERT_FALSE(home_->isViewLoaded());
  EXPECT_FALSE(manager->downloadView());
  EXPECT_FALSE(manager->backgroundView());
  tabs->setSelectedTabIndex(0);
  service_.setResponseDelay("/col/", 0);
}

// The delayed opening checks its tile: a column deleted within the 0.1 s opens nothing.
TEST_F(HomeOpeningTest, ATileDeletedBeforeItsOpeningOpensNothing) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  show({listedColumn(1, service_.baseUrl())});
  tap(0);
  home_->dataSourceDelete(0);
  settle(1);
  EXPECT_EQ(1u, homeNavigation()->viewControllers().size());
  EXPECT_TRUE(home_->view()->isUserInteractionEnabled());
}

// Every tap queues its 0.1 s opening; once it ran, the screen holds nothing of it.
TEST_F(HomeOpeningTest, RepeatedTapsLeaveNoQueuedTaskBehind) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  show({generatedColumn(1, false)});
  ASSERT_EQ(0u, home_->queuedTaskCount());
  for (int i = 0; i < 3; ++i) {
    tap(0);
    EXPECT_EQ(1u, home_->queuedTaskCount());
    settle(1);
    EXPECT_EQ(0u, home_->queuedTaskCount());
  }
  EXPECT_EQ(3u, alertCount());
}

// Book progress as the tile receives it: the fraction as floats, 0 for a total of 0, 1 and -1
// for the finish; other notifications give nothing.
TEST(MyColumnsRulesTest, BookProgressFromItsNotifications) {
  auto progress = [](Dictionary d) { return MyColumnsController::bookProgress(d); };
  EXPECT_FLOAT_EQ(0.25f, *progress({{"ResultType", "EBookDownload"},
                                    {"EBookTotalSize", int64_t{4} << 32},
                                    {"EBookDownloadedSize", int64_t{1} << 32}}));
  EXPECT_EQ(0.0f, *progress({{"ResultType", "EBookDownload"}, {"EBookTotalSize", int64_t{0}},
                             {"EBookDownloadedSize", int64_t{10}}}));
  EXPECT_EQ(1.0f, *progress({{"ResultType", "TaskStatus"}, {"StateResult", "TaskFinish"}, {"Result", 0}}));
  EXPECT_EQ(-1.0f, *progress({{"ResultType", "TaskStatus"}, {"StateResult", "TaskFinish"}, {"Result", -3}}));
  EXPECT_FALSE(progress({{"ResultType", "TaskStatus"}, {"StateResult", "TaskStart"}}));
  EXPECT_FALSE(progress({{"ResultType", "Feed"}}));
}

// The offline download button: on a mobile network without permission the no-Wi-Fi picture
// (a tap takes it away), with no network the alert, with nothing switched on the other
// picture, on Wi-Fi the manager; while it lives a press opens it whatever the network; its end
// lets it go after its own completion has returned.
TEST_F(HomeOpeningTest, OfflineDownloadButtonMatrixAndTheManagersEnd) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  show({listedColumn(1, service_.baseUrl()), listedColumn(2, service_.baseUrl())});
  auto* window = home_->view()->window();
  auto helpShown = [&](const char* name) {
    auto top = std::dynamic_pointer_cast<ui::ImageView>(window->subviews().back());
    return top && top->image() && top->image() == ui::Image::named(name);
  };

  probe_->setFlags(SettableNetworkProbe::kCellular);
  DESettings::setAllowOfflineDownloadUnder3g(false);
  NotificationCenter::defaultCenter().post("kNetworkReachabilityChangedNotification");
  EXPECT_TRUE(home_->downloadButton()->isEnabled());
  const size_t views = windowViews();
  home_->downloadButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_EQ(views + 1, windowViews());
  ASSERT_TRUE(helpShown(MyColumnsController::kNoWifiHelpPicture));
  EXPECT_FALSE(home_->offlineDownloadManager());
  auto help = std::dynamic_pointer_cast<ui::ImageView>(window->subviews().back());
  EXPECT_EQ(help->image()->size(), help->frame().size);
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("home-offline-help-nowifi"));
  home_->dismissView(*help);
  EXPECT_EQ(views, windowViews());

  probe_->setFlags(SettableNetworkProbe::kOffline);
  NotificationCenter::defaultCenter().post("kNetworkReachabilityChangedNotification");
  EXPECT_TRUE(home_->downloadButton()->isEnabled());  // never disabled
  home_->offlineDownloadButtonPressed();
  ASSERT_TRUE(topAlert());
  EXPECT_EQ(std::optional<std::string>("提示"), topAlert()->title());
  EXPECT_EQ("未连接网络，不能进行离线下载", topAlert()->messageText());
  settle(1);
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("home-offline-no-network"));
  topAlert()->dismissWithClickedButtonIndex(0, false);
  EXPECT_FALSE(home_->offlineDownloadManager());

  probe_->setFlags(SettableNetworkProbe::kWifi);
  home_->offlineDownloadButtonPressed();
  ASSERT_TRUE(helpShown(MyColumnsController::kDownloadHelpPicture));
  home_->dismissView(*window->subviews().back());
  EXPECT_FALSE(home_->offlineDownloadManager());

  gDataEngine()->setColumnOfflineDownload(std::string("col-gen-2"), true);
  home_->offlineDownloadButtonPressed();
  std::weak_ptr<OfflineDownloadManager> manager = home_->offlineDownloadManager();
  ASSERT_TRUE(manager.lock());
  EXPECT_EQ(1, manager.lock()->columnsCount());
  // An existing manager opens whatever the network.
  probe_->setFlags(SettableNetworkProbe::kOffline);
  home_->offlineDownloadButtonPressed();
  EXPECT_EQ(manager.lock(), home_->offlineDownloadManager());
  // The download ends with its summary; closing it shrinks the pop-up and the manager goes.
  ASSERT_TRUE(pump([&] {
    auto alert = topAlert();
    return alert && alert->tag() == OfflineDownloadManager::kSummaryAlertTag;
  }));
  topAlert()->dismissWithClickedButtonIndex(0, false);
  ASSERT_TRUE(pump([&] { return !home_->offlineDownloadManager(); }));
  ASSERT_TRUE(pump([&] { return manager.expired(); }));
  EXPECT_FALSE(OfflineDownloadManager::isDownloading());
  EXPECT_FALSE(service_.requestsTo("/col/gen-2.atom").empty());
}

// The detail flip: the backdrop on the window turns black while the tile's snapshot flips from
// the right into the full detail; closing on a subscribed related column on another page turns
// the grid there and flips from the left into its tile; a close while a flip runs, or a second
// one, is ignored; a column unsubscribed in the detail slides down with no flip.
TEST_F(HomeOpeningTest, DetailFlipsOpenAndClosesIntoTheTileOrSlidesDown) {
  launch();
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  std::vector<std::shared_ptr<Column>> columns;
  for (int i = 1; i <= 8; ++i) columns.push_back(listedColumn(i, service_.baseUrl()));
  show(columns);
  ColumnDetailViewController::registerNibs();  // as the application does at start
  ui::AnimationLog::shared().clear();
  auto* cell = tile(1);
  ASSERT_TRUE(cell);
  const ui::Rect r = cell->frontView()->superview()->convertRectTo(cell->frontView()->frame(),
                                                                    home_->view().get());
  home_->presentCellDetail(*cell);
  auto backdrop = home_->detailBackdrop();
  auto navigation = home_->detailInfoNavigationController();
  ASSERT_TRUE(backdrop && navigation);
  EXPECT_EQ(home_->view()->window(), backdrop->superview().get());
  EXPECT_EQ(ui::Rect(0, 20, 320, 460), backdrop->frame());
  EXPECT_EQ(ui::Color::blackColor().withAlpha(0), backdrop->backgroundColor());
  EXPECT_EQ(r, navigation->view()->frame());
  EXPECT_TRUE(navigation->view()->clipsToBounds());
  auto snapshot = std::dynamic_pointer_cast<ui::ImageView>(navigation->view()->viewWithTag(823));
  ASSERT_TRUE(snapshot && snapshot->image());
  EXPECT_NE(0u, snapshot->image()->pixelAt(static_cast<int>(r.size.width / 2), 10) >> 24);
  EXPECT_TRUE(cell->frontView()->isHidden());
  auto detail = std::dynamic_pointer_cast<ColumnDetailViewController>(navigation->viewControllers().at(0));
  ASSERT_TRUE(detail);
  EXPECT_EQ(3, detail->detailFrom());
  EXPECT_EQ(home_, detail->delegateVC());
  EXPECT_EQ(home_->dataSource()[1], detail->column());
  EXPECT_FALSE(ui::AnimationLog::shared().last());
  clock_->advance(0.001);
  runDueMainLoopTasks();
  auto open = ui::AnimationLog::shared().last();
  ASSERT_TRUE(open);
  EXPECT_EQ(1.0, open->duration);
  EXPECT_EQ(ui::kAnimationOptionTransitionFlipFromRight,
            open->options & ui::kAnimationOptionTransitionFlipFromRight);
  EXPECT_EQ(navigation->view(), open->transitionView.lock());
  ASSERT_TRUE(open->change(navigation->view().get(), "frame"));
  EXPECT_EQ(ui::AnimatableValue(ui::Rect(0, 0, 320, 460)), open->change(navigation->view().get(), "frame")->to);
  ASSERT_TRUE(open->change(backdrop.get(), "backgroundColor"));
  EXPECT_EQ(ui::AnimatableValue(ui::Color::blackColor()), open->change(backdrop.get(), "backgroundColor")->to);
  EXPECT_TRUE(snapshot->isHidden());
  // A close while the flip runs is ignored.
  home_->closeColumnDetailWithEntryId(std::string("col-gen-2"));
  EXPECT_EQ(open, ui::AnimationLog::shared().last());
  settle(1);
  home_->view()->window()->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("home-detail-after-flip"));

  // The reader moved to column 8, which is subscribed: page 1, its tile, a flip from the left.
  home_->closeColumnDetailWithEntryId(std::string("col-gen-8"));
  home_->closeColumnDetailWithEntryId(std::string("col-gen-8"));  // a second close: ignored
  EXPECT_EQ(1, home_->gridView()->getCurPage());
  auto close = ui::AnimationLog::shared().last();
  ASSERT_TRUE(close && close != open);
  EXPECT_EQ(ui::kAnimationOptionTransitionFlipFromLeft,
            close->options & (ui::kAnimationOptionTransitionFlipFromLeft | ui::kAnimationOptionTransitionFlipFromRight));
  EXPECT_EQ(1.0, close->duration);
  auto* target = tile(7);
  ASSERT_TRUE(target);
  EXPECT_EQ(home_->currentDetailInfoCell().get(), target);
  EXPECT_FALSE(cell->frontView()->isHidden());
  EXPECT_TRUE(target->frontView()->isHidden());
  const ui::Rect r8 = target->frontView()->superview()->convertRectTo(target->frontView()->frame(),
                                                                       home_->view().get());
  EXPECT_EQ(ui::AnimatableValue(r8), close->change(navigation->view().get(), "frame")->to);
  EXPECT_EQ(ui::AnimatableValue(ui::Color::blackColor().withAlpha(0)),
            close->change(backdrop.get(), "backgroundColor")->to);
  EXPECT_FALSE(snapshot->isHidden());
  settle(1.1);
  EXPECT_FALSE(backdrop->superview());
  EXPECT_FALSE(home_->detailInfoNavigationController());
  EXPECT_FALSE(target->frontView()->isHidden());

  // Opened again from tile 8 and closed on a column no longer subscribed: the slide.
  home_->presentCellDetail(*target);
  settle(0.1);
  settle(1.1);
  backdrop = home_->detailBackdrop();
  navigation = home_->detailInfoNavigationController();
  ASSERT_TRUE(backdrop && navigation);
  home_->dataSourceDelete(7);
  // The detail's own close button reaches the grid.
  auto second = std::dynamic_pointer_cast<ColumnDetailViewController>(navigation->viewControllers().at(0));
  ASSERT_TRUE(second);
  second->closeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto slide = ui::AnimationLog::shared().last();

  ASSERT_TRUE(slide);
  EXPECT_EQ(0.6, slide->duration);
  EXPECT_EQ(0u, slide->options & (ui::kAnimationOptionTransitionFlipFromLeft | ui::kAnimationOptionTransitionFlipFromRight));
  EXPECT_EQ(ui::AnimatableValue(ui::Rect(0, 480, 320, 460)), slide->change(navigation->view().get(), "frame")->to);
  EXPECT_EQ(ui::Color::blackColor().withAlpha(0), backdrop->backgroundColor());
  settle(1);
  EXPECT_FALSE(backdrop->superview());
  EXPECT_FALSE(home_->detailInfoNavigationController());
  EXPECT_EQ(7u, home_->dataSource().size());
}


// A relaunch with the home of an earlier run kept: the cover is drawn with the picture that run
// downloaded from the first frame the launch shows, though the cached columns are ready at once
// (a picture read later left a black panel sliding away).
TEST_F(HomeScreenTest, ARelaunchShowsTheKeptCoverPictureFromItsFirstFrame) {
  launch();
  ASSERT_TRUE(pump([] {
    return std::filesystem::exists(CommInfo::getProgramCoverDir() + "0_large") && DESettings::getProgramCoverInfo(0);
  }));
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  terminate();
  for (const char* look : {"day", "night"}) {
    SCOPED_TRACE(look);
    MyFaceSettings::setModeIsNight(std::string(look) == "night");
    launch();
    ASSERT_TRUE(cover());
    EXPECT_TRUE(cover()->showsPicture());
    EXPECT_EQ("Harbour at dawn", cover()->titleLabel()->text());
    auto first = ui::renderScreen();
    EXPECT_TRUE(ui::ContrastAudit::writeScreen(*first, std::string("home-relaunch-cover-") + look));
    // The picture, not the cover's black ground, above its text panel.
    EXPECT_NE(0xff000000u, first->pixelAt(160, 150));
    EXPECT_NE(0xff000000u, first->pixelAt(40, 60));
    terminate();
  }
}

// A pull past the grid's first page asks the cover back: with no picture to show (the downloaded
// covers' files gone) it stays away, its window hidden as the slide left it, not shown off screen
// where the screens in front are looked for; with its picture back, the same pull slides it in.
TEST_F(HomeScreenTest, APullPastTheFirstPageBringsBackOnlyACoverWithAPicture) {
  // A relaunch: the covers are those the first launch downloaded, not the bundle's.
  launch();
  ASSERT_TRUE(pump([] {
    return std::filesystem::exists(CommInfo::getProgramCoverDir() + "0_large") && DESettings::getProgramCoverInfo(0);
  }));
  ASSERT_TRUE(pump([&] { return !home_->isFirst(); }));
  terminate();
  launch();
  ASSERT_FALSE(cover()->covers().empty());
  ASSERT_EQ(CommInfo::getProgramCoverDir() + "0_large", cover()->covers()[0]->largeCoverPath());
  ASSERT_TRUE(pump([&] { return !home_->isFirst() && home_->coverWindow()->isHidden(); }));
  // (The folder's name ends in a slash.)
  const std::filesystem::path pictures = std::filesystem::path(CommInfo::getProgramCoverDir()).parent_path();
  const std::filesystem::path aside = pictures.string() + ".aside";
  std::filesystem::rename(pictures, aside);

  home_->movePageOverBeginOnGridView(*home_->gridView());
  EXPECT_FALSE(cover()->isVisible());
  EXPECT_TRUE(home_->coverWindow()->isHidden());
  const auto shown = ui::Application::shared().visibleWindows();
  EXPECT_EQ(shown.end(), std::find(shown.begin(), shown.end(), home_->coverWindow()));

  std::filesystem::rename(aside, pictures);
  home_->movePageOverBeginOnGridView(*home_->gridView());
  EXPECT_TRUE(cover()->isVisible());
  EXPECT_TRUE(cover()->showsPicture());
  EXPECT_FALSE(home_->coverWindow()->isHidden());
  ASSERT_TRUE(pump([&] { return home_->coverWindow()->frame().origin.x == 0; }));
}

// A launch with the network up refreshes the book pages' script and style sheets from the
// service: all seven arrive, so the book link cache keeps the service's copies (one missing file
// would leave the bundle's in use for good).
TEST_F(HomeScreenTest, ALaunchKeepsTheServicesBookStyleSheets) {
  probe_->setFlags(SettableNetworkProbe::kWifi);
  launch();
  const auto links = BookLinkCache::getBookCssJsUrls();
  ASSERT_EQ(7u, links.size());
  ASSERT_TRUE(pump([&] {
    return std::all_of(links.begin(), links.end(), [](const std::string& link) {
      return std::filesystem::is_regular_file(
          BookLinkCache::getCachePathByRelativeToken(*BookLinkCache::bookUrlRelativeToken(link)));
    });
  }));
  EXPECT_FALSE(service_.requestsTo("/js/parablanks.js").empty());
  EXPECT_FALSE(service_.requestsTo("//css/book/fs-6.css").empty());
  for (const auto& link : links) {
    auto data = BookLinkCache::dataWithUrl(link);
    ASSERT_TRUE(data) << link;
    EXPECT_NE(std::string(data->begin(), data->end()).find("The service's"), std::string::npos) << link;
  }
}

}  // namespace
}  // namespace zu
