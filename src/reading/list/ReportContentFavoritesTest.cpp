// The article list as the reader's favourites, with a scripted engine: the browser's changes
// applied on the way back, the empty-favourites view, the guest's limit alert, the counted
// title, login and logout, and the favourites tab of the main interface file.
#include <gtest/gtest.h>

#include "model/service/VeskThumbnail.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/refresh/FavoriteNoneView.h"
#include "reading/support/ReportContentTestSupport.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/app/MainWindowNib.h"
#include "shell/app/ScreenRequest.h"

namespace zu {
namespace {

class ReportContentFavoritesTest : public ReportContentFixture {
 protected:
  // The favourites list under a settings page titled "更多", its first page reported.
  std::shared_ptr<ReportContentController> openFavorites(const std::vector<std::shared_ptr<NewsSummary>>& firstPage) {
    auto list = std::make_shared<ReportContentController>();
    list->setEngine(engine_);
    list->setDataColumn(engine_->createFavoriteColumn());
    auto settings = std::make_shared<ui::ViewController>();
    settings->setTitle(std::string("更多"));
    navigation_ = std::make_shared<ui::NavigationController>(settings);
    ui::ViewController::installAsRoot(*window_, navigation_);
    navigation_->pushViewController(list, false);
    settle(1);
    EXPECT_TRUE(RunLoop::main()->runUntil([&] { return last(ReportContentController::kSummaryTag) != nullptr; }, 10));
    report(last(ReportContentController::kSummaryTag), page(firstPage, false));
    return list;
  }
  // The browser opened over the list; `inBrowser` runs while it is shown; then back.
  void visitBrowser(const std::function<void()>& inBrowser) {
    navigation_->pushViewController(std::make_shared<ui::ViewController>(), false);
    settle(1);
    inBrowser();
    navigation_->popViewController(false);
    settle(1);
  }
  static void added(const std::shared_ptr<NewsSummary>& item) {
    // As the browser posts them: itself as object, the summary or the id in the user info.
    NotificationCenter::defaultCenter().post(ReportContentController::kAddFavoriteNotification, Value(),
                                             Dictionary{{"NewsSummary", Value(item)}});
  }
  static void removed(const std::string& id) {
    NotificationCenter::defaultCenter().post(ReportContentController::kDelFavoriteNotification, Value(),
                                             Dictionary{{"EntryId", Value(id)}});
  }
  static std::vector<std::string> ids(const ReportContentController& list) {
    std::vector<std::string> out;
    for (const auto& item : *list.dataSource()) out.push_back(item->entryId().value_or("?"));
    return out;
  }
};

TEST_F(ReportContentFavoritesTest, TheBrowsersChangesApplyOnTheWayBack) {
  // f0 f1 today, g0 yesterday.
  auto list = openFavorites({summary("f0", kNow - kHour), summary("f1", kNow - 2 * kHour), summary("g0", kNow - 20 * kHour)});
  EXPECT_FALSE(engine_->tagged(ReportContentController::kSummaryTag).back()->useCache);
  EXPECT_EQ(4, list->cellType());
  EXPECT_EQ((std::vector<size_t>{2, 1}), sectionSizes(*list));
  EXPECT_EQ("我的收藏(3)", list->titleLabel()->text());
  // Below another screen: a back item titled " 更多".
  auto back = list->navigationItem()->leftBarButtonItem();
  ASSERT_TRUE(back);
  EXPECT_TRUE(list->navigationItem()->hidesBackButton());
  auto backButton = std::dynamic_pointer_cast<ui::Button>(back->customView());
  ASSERT_TRUE(backButton);
  EXPECT_EQ(std::optional<std::string>(" 更多"), backButton->titleForState(ui::kControlStateNormal));

  // Added then removed: nothing. A removal of g0, yesterday's only item, takes its section.
  // Neither an addition without a summary nor a removal without an id counts.
  visitBrowser([&] {
    added(summary("x0", kNow));
    removed("x0");
    removed("g0");
    NotificationCenter::defaultCenter().post(ReportContentController::kAddFavoriteNotification, Value());
    removed("");
  });
  EXPECT_EQ((std::vector<std::string>{"f0", "f1"}), ids(*list));
  EXPECT_EQ((std::vector<size_t>{2}), sectionSizes(*list));
  EXPECT_EQ(1, list->contenttable()->numberOfSections());
  EXPECT_EQ("我的收藏(2)", list->titleLabel()->text());
  EXPECT_TRUE(engine_->tagged(ReportContentController::kUpdateTag).empty());

  // Removed, added again with a newer summary: the newer one stands at the top.
  auto older = summary("n0", kNow - 30 * kHour);
  auto newer = summary("n0", kNow);
  newer->setTitle("the newer summary");
  visitBrowser([&] {
    added(older);
    removed("n0");
    added(newer);
  });
  EXPECT_EQ((std::vector<std::string>{"n0", "f0", "f1"}), ids(*list));
  EXPECT_EQ(newer, list->sortdataSource()[0][0]);
  EXPECT_EQ(3, list->contenttable()->numberOfRowsInSection(0));

  // Every favourite removed: the empty-favourites view and the bare title.
  visitBrowser([&] {
    for (const char* id : {"n0", "f0", "f1"}) removed(id);
  });
  EXPECT_TRUE(list->dataSource()->empty());
  EXPECT_EQ(0, list->contenttable()->numberOfSections());
  ASSERT_TRUE(list->favoriteNoneView());
  EXPECT_EQ(list->view(), list->favoriteNoneView()->superview());
  EXPECT_EQ("我的收藏", list->titleLabel()->text());

  // An addition while the list is empty reloads from the service instead.
  visitBrowser([&] { added(summary("z0", kNow)); });
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kUpdateTag).size());
  report(last(ReportContentController::kUpdateTag), page({summary("z0", kNow)}, false));
  EXPECT_FALSE(list->favoriteNoneView());
  EXPECT_EQ((std::vector<std::string>{"z0"}), ids(*list));
  EXPECT_EQ("我的收藏(1)", list->titleLabel()->text());
  backButton->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle(1);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
}

// The thumbnail session's indexes are the list's: a favourite added at the top or one removed
// makes a new session over the list as it now stands, the added one's thumbnail included.
TEST_F(ReportContentFavoritesTest, TheThumbnailSessionFollowsTheAppliedChanges) {
  auto withThumbnail = [](const std::shared_ptr<NewsSummary>& item) {
    auto thumbnail = std::make_shared<VeskThumbnail>();
    thumbnail->setHref("http://img/" + *item->entryId());
    item->setVeskThumbnail(thumbnail);
    return item;
  };
  auto list = openFavorites({withThumbnail(summary("f0", kNow - kHour)), summary("f1", kNow - 2 * kHour)});
  ASSERT_EQ(1u, engine_->sessions.size());
  visitBrowser([&] { added(withThumbnail(summary("x0", kNow))); });
  ASSERT_EQ(2u, engine_->sessions.size());
  EXPECT_TRUE(engine_->sessions[0]->closed);
  EXPECT_EQ((DownloadWithPrioritySession::UrlList{"http://img/x0", "http://img/f0", std::nullopt}),
            engine_->sessions[1]->urls);
  visitBrowser([&] { removed("f0"); });
  ASSERT_EQ(3u, engine_->sessions.size());
  EXPECT_EQ((DownloadWithPrioritySession::UrlList{"http://img/x0", std::nullopt}), engine_->sessions[2]->urls);
  // Nothing changed: the session stays.
  visitBrowser([] {});
  EXPECT_EQ(3u, engine_->sessions.size());
}

// A refresh with seven new favourites rebuilds the list 0.01 s later; changes from the browser
// applied in between go into that rebuild, not into a table about to be made again.
TEST_F(ReportContentFavoritesTest, ChangesAppliedWhileARebuildWaitsArePartOfIt) {
  auto list = openFavorites(items("f", 7, kNow - kHour));
  navigation_->pushViewController(std::make_shared<ui::ViewController>(), false);
  settle(1);
  added(summary("x0", kNow));
  removed("n6");
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page(items("n", 7, kNow - 2 * kHour), false));
  ASSERT_TRUE(list->sortdataSource().empty());  // the rebuild waits
  navigation_->popViewController(false);
  EXPECT_NO_THROW(settle(1));
  EXPECT_EQ((std::vector<std::string>{"x0", "n0", "n1", "n2", "n3", "n4", "n5"}), ids(*list));
  EXPECT_EQ((std::vector<size_t>{7}), sectionSizes(*list));
  EXPECT_EQ(7, list->contenttable()->numberOfRowsInSection(0));
  EXPECT_FALSE(list->favoriteNoneView());
  EXPECT_EQ("我的收藏(7)", list->titleLabel()->text());
}

TEST_F(ReportContentFavoritesTest, AGuestAtTwentyIsWarnedOnEveryLoadAndOffersTheLogin) {
  engine_->anonymous = true;
  engine_->favoriteCount = 20;
  auto list = openFavorites(items("f", 20, kNow));
  ASSERT_EQ(1u, alertCount());
  auto alert = topAlert();
  EXPECT_EQ(std::optional<std::string>(ReportContentController::kLimitAlertTitle), alert->title());
  EXPECT_EQ(std::optional<std::string>(ReportContentController::kLimitAlertMessage), alert->message());
  EXPECT_EQ(ReportContentController::kLimitAlertTag, alert->tag());
  // "登录" opens the login screen over the list, which stays.
  alert->dismissWithClickedButtonIndex(1, false);
  settle(1);
  EXPECT_EQ((std::vector<std::string>{ScreenRequest::kLoginNib}), openedScreens());
  EXPECT_EQ(2u, navigation_->viewControllers().size());
  ASSERT_TRUE(list->modalViewController());
  list->dismissModalViewController(false);
  settle(1);

  // A refresh warns again; "取消" only closes.
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page(items("f", 20, kNow), false));
  ASSERT_EQ(1u, alertCount());
  topAlert()->dismissWithClickedButtonIndex(0, false);
  settle(1);
  EXPECT_EQ(1u, openedScreens().size());
  EXPECT_EQ(2u, navigation_->viewControllers().size());

  // Below the limit, or logged in: no alert.
  engine_->favoriteCount = 19;
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page(items("f", 19, kNow), false));
  engine_->favoriteCount = 40;
  engine_->anonymous = false;
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page(items("f", 40, kNow), false));
  EXPECT_EQ(0u, alertCount());
}

TEST_F(ReportContentFavoritesTest, NoTipsEverAnEmptyViewInsteadAndLoginOrLogoutReloads) {
  auto list = open(engine_->createFavoriteColumn());
  report(last(ReportContentController::kSummaryTag), nullptr, -3001);
  EXPECT_EQ(0u, alertCount());
  EXPECT_FALSE(list->view()->viewWithTag(ReportContentController::kEmptyListTag));
  ASSERT_TRUE(list->favoriteNoneView());
  // An empty page neither.
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page({}, false));
  EXPECT_EQ(0u, alertCount());

  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page(items("f", 2, kNow), false));
  EXPECT_FALSE(list->favoriteNoneView());
  const size_t refreshes = engine_->tagged(ReportContentController::kUpdateTag).size();
  for (const char* event : {"MoreSettingsLoginResultSuccessNotification", "Notification_Logout"}) {
    visitBrowser([&] { NotificationCenter::defaultCenter().post(event); });
  }
  EXPECT_EQ(refreshes + 2, engine_->tagged(ReportContentController::kUpdateTag).size());
  // Without an event, coming back reloads nothing.
  visitBrowser([] {});
  EXPECT_EQ(refreshes + 2, engine_->tagged(ReportContentController::kUpdateTag).size());
}

// Favourites changed in the browser are recorded by the favourites list alone (and dropped
// once applied); an ordinary list keeps no records of them.
TEST_F(ReportContentFavoritesTest, OnlyTheFavouritesListKeepsRecordsOfChanges) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 3, kNow), false));
  visitBrowser([&] {
    added(summary("x0", kNow));
    removed("a1");
    EXPECT_EQ(0u, list->favoriteActionRecordCount());
  });
  EXPECT_EQ(0u, list->favoriteActionRecordCount());
  EXPECT_EQ(3u, list->dataSource()->size());

  auto favourites = open(engine_->createFavoriteColumn());
  report(last(ReportContentController::kSummaryTag), page(items("f", 2, kNow), false));
  visitBrowser([&] {
    added(summary("x0", kNow));
    removed("f1");
    EXPECT_EQ(2u, favourites->favoriteActionRecordCount());
  });
  EXPECT_EQ(0u, favourites->favoriteActionRecordCount());
}

TEST_F(ReportContentFavoritesTest, TheFavouritesTabsRootIsTheListAndItsButtonGivesTheColumn) {
  MainWindowNib::registerNib();
  auto objects = ui::NibRegistry::shared().load(MainWindowNib::kName);
  std::shared_ptr<MSCustomTabBarController> tabs;
  for (const auto& object : objects) {
    if (auto found = std::dynamic_pointer_cast<MSCustomTabBarController>(object)) tabs = found;
  }
  ASSERT_TRUE(tabs);
  auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(tabs->viewControllers()[MainWindowNib::kFavoritesTab]);
  ASSERT_TRUE(navigation);
  auto list = std::dynamic_pointer_cast<ReportContentController>(navigation->topViewController());
  ASSERT_TRUE(list);
  EXPECT_EQ(std::optional<std::string>("收藏"), list->title());
  EXPECT_FALSE(list->dataColumn());
  list->setEngine(engine_);
  list->controllerSelected();
  ASSERT_TRUE(list->dataColumn());
  EXPECT_TRUE(list->dataColumn()->isFavoriteColumn());

  // Without the list's file the tab keeps its placeholder.
  ui::NibRegistry::shared().resetForTesting();
  MainWindowNib::registerNib();
  for (const auto& object : ui::NibRegistry::shared().load(MainWindowNib::kName)) {
    if (auto found = std::dynamic_pointer_cast<MSCustomTabBarController>(object)) tabs = found;
  }
  navigation = std::dynamic_pointer_cast<ui::NavigationController>(tabs->viewControllers()[MainWindowNib::kFavoritesTab]);
  EXPECT_FALSE(std::dynamic_pointer_cast<ReportContentController>(navigation->topViewController()));
}

}  // namespace
}  // namespace zu
