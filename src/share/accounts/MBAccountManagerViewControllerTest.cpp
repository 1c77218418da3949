#include "share/accounts/MBAccountManagerViewController.h"

#include <gtest/gtest.h>

#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "shell/app/NightLookForTesting.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "platform/web/RecordingWebBackend.h"
#include "platform/web/WebView.h"
#include "share/accounts/AuthenicationViewController.h"
#include "share/accounts/PromptForBindingView.h"
#include "share/compose/ShareTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

using testing::ScriptedClient;

class AccountsTest : public testing::ShareFixture {
 protected:
  void SetUp() override {
    ShareFixture::SetUp();
    engine_->clients[1]->bind("晨读者", "http://weibo.example/chen");
    engine_->clients[4]->bind("豆瓣书友", "http://douban.example/people/shuyou");
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    below_ = std::make_shared<ui::ViewController>();
    navigation_ = std::make_shared<ui::NavigationController>(below_);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->makeKeyAndVisible();
    NotificationCenter::defaultCenter().add(MBAccountManagerViewController::kUnauthorizedNotification, this,
                                            [this](const Notification& n) { unauthorized_.push_back(n.object.intValue()); });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    navigation_.reset();
    window_.reset();
    ShareFixture::TearDown();
  }

  std::shared_ptr<MBAccountManagerViewController> pushAccounts() {
    auto accounts = std::make_shared<MBAccountManagerViewController>(ui::TableViewStyle::Grouped);
    navigation_->pushViewController(accounts, false);
    settle();
    window_->layoutIfNeeded();
    return accounts;
  }
  // The row's cell, scrolled into view.
  static std::shared_ptr<ui::TableViewCell> cell(MBAccountManagerViewController& screen, int row) {
    auto table = screen.tableView();
    table->scrollToRow(ui::IndexPath::forRow(row, 1), ui::TableViewScrollPosition::None, false);
    table->layoutIfNeeded();
    return table->cellForRow(ui::IndexPath::forRow(row, 1));
  }
  static std::shared_ptr<AccountManagerCell> accountCell(MBAccountManagerViewController& screen, int row) {
    return std::dynamic_pointer_cast<AccountManagerCell>(cell(screen, row));
  }
  static ui::Color skinColor(const char* code) { return *NRSkinManager::sharedManager().colorWithCodeName(code); }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> below_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::vector<int64_t> unauthorized_;
};

// The bound accounts by night: the skin's dark rows under its light names and addresses.
TEST_F(AccountsTest, ByNightTheRowsAreDarkUnderLightNames) {
  testing::NightLook night;
  auto accounts = pushAccounts();
  ASSERT_TRUE(accounts->tableView());
  accounts->tableView()->setContentOffset(ui::Point(0, 0), false);
  // The screens that push it dress their bar in the current skin.
  NRSkinManager::sharedManager().setCurrentBackgroundImageOfNavigationBar(*accounts->navigationController()->navigationBar());
  const auto row = accountCell(*accounts, 0);
  ASSERT_TRUE(row && row->backgroundColor());
  EXPECT_LT(ui::ContrastAudit::relativeLuminance(*row->backgroundColor()), 0.1f);
  ASSERT_TRUE(ui::ContrastAudit::snapshotScreen("accounts-night"));
}

TEST_F(AccountsTest, SevenPlatformsWithBoundAndUnboundRows) {
  auto accounts = pushAccounts();
  auto table = accounts->tableView();
  ASSERT_TRUE(table);
  EXPECT_EQ(ui::TableViewStyle::Plain, table->style());
  EXPECT_EQ(0, table->numberOfRowsInSection(0));
  EXPECT_EQ(7, table->numberOfRowsInSection(1));
  EXPECT_EQ("帐号绑定", NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*accounts->navigationItem()));

  // Every row is a platform's row: no filler row with all seven present.
  for (int row = 0; row < 7; ++row) {
    auto account = accountCell(*accounts, row);
    ASSERT_TRUE(account) << row;
    EXPECT_EQ("MB_Icon" + std::to_string(row) + ".png", account->logoImageView()->image()->name());
    EXPECT_EQ(10.f, account->logoImageView()->layer().cornerRadius);
  }
  auto bound = accountCell(*accounts, 1);
  EXPECT_TRUE(bound->authorized());
  EXPECT_EQ("晨读者", bound->nameLabel()->text());
  EXPECT_EQ(14.f, bound->nameLabel()->frame().origin.y);
  EXPECT_EQ("http://weibo.example/chen", bound->linkLabel()->text());
  auto unbind = std::dynamic_pointer_cast<ui::Button>(bound->accessoryView());
  ASSERT_TRUE(unbind);
  EXPECT_EQ(ui::Size(48, 30), unbind->frame().size);

  auto unbound = accountCell(*accounts, 2);
  EXPECT_FALSE(unbound->authorized());
  EXPECT_EQ("腾讯微博", unbound->nameLabel()->text());
  EXPECT_EQ(24.f, unbound->nameLabel()->frame().origin.y);
  EXPECT_EQ("", unbound->linkLabel()->text());
  EXPECT_TRUE(std::dynamic_pointer_cast<ui::ImageView>(unbound->accessoryView()));

  // 0-based parity: row 0 takes the even colour, row 1 the odd one.
  EXPECT_EQ(skinColor("colorKdccTableOushuCellBackground"), *accountCell(*accounts, 0)->backgroundColor());
  EXPECT_EQ(skinColor("colorKdccTableJishuCellBackground"), *accountCell(*accounts, 1)->backgroundColor());

  // The footer of the empty first section explains, spelled "帐号".
  EXPECT_EQ(std::optional<float>(65), accounts->heightForFooterInSection(*table, 0));
  auto footer = std::dynamic_pointer_cast<ui::TableViewCell>(accounts->viewForFooterInSection(*table, 0));
  ASSERT_TRUE(footer);
  EXPECT_EQ(MBAccountManagerViewController::kFooterText, footer->textLabel()->text());
  EXPECT_NE(std::string::npos, footer->textLabel()->text().find("帐号"));

  table->setContentOffset(ui::Point(0, 0), false);
  ASSERT_TRUE(ui::ContrastAudit::snapshotScreen("accounts"));
}

TEST_F(AccountsTest, ListIsReadOnEveryAppearanceWithFillerRowsOrMoreRows) {
  engine_->listed = 5;
  auto accounts = pushAccounts();
  auto table = accounts->tableView();
  EXPECT_EQ(7, table->numberOfRowsInSection(1));
  auto filler = cell(*accounts, 6);
  ASSERT_TRUE(filler);
  EXPECT_FALSE(std::dynamic_pointer_cast<AccountManagerCell>(filler));
  EXPECT_EQ(MBAccountManagerViewController::kFillerText, filler->textLabel()->text());
  EXPECT_NE(std::string::npos, filler->textLabel()->text().find("账号"));
  EXPECT_EQ(ui::TextAlignment::Center, filler->textLabel()->textAlignment());
  // Filler rows take the odd colour, whatever their parity.
  EXPECT_EQ(skinColor("colorKdccTableJishuCellBackground"), *cell(*accounts, 5)->backgroundColor());
  EXPECT_EQ(skinColor("colorKdccTableJishuCellBackground"), *filler->backgroundColor());

  // An eighth client, whose platform has no picture: eight rows, and its row keeps the logo of
  // the interface file. The list is read again when the screen comes back.
  auto extra = std::make_shared<ScriptedClient>(7, "试验平台");
  engine_->clients.push_back(extra);
  engine_->listed = 8;
  navigation_->pushViewController(std::make_shared<ui::ViewController>(), false);
  navigation_->popViewController(false);
  settle();
  window_->layoutIfNeeded();
  EXPECT_EQ(8u, accounts->platformList().size());
  EXPECT_EQ(8, table->numberOfRowsInSection(1));
  auto last = accountCell(*accounts, 7);
  ASSERT_TRUE(last);
  EXPECT_EQ("试验平台", last->nameLabel()->text());
  EXPECT_EQ("skin_cc_icon.png", last->logoImageView()->image()->name());
}

TEST_F(AccountsTest, UnbindingTurnsTheRowAtOnceAndPosts) {
  auto accounts = pushAccounts();
  auto bound = accountCell(*accounts, 4);
  ASSERT_TRUE(bound && bound->authorized());
  auto unbind = std::dynamic_pointer_cast<ui::Button>(bound->accessoryView());
  ASSERT_TRUE(unbind);
  unbind->sendActionsForControlEvents(ui::kControlEventTouchUpInside);

  EXPECT_EQ(1, engine_->clients[4]->clears);
  EXPECT_EQ(std::vector<int64_t>{4}, unauthorized_);
  EXPECT_EQ(0u, alertCount());
  window_->layoutIfNeeded();
  auto row = accountCell(*accounts, 4);
  ASSERT_TRUE(row);
  EXPECT_FALSE(row->authorized());
  EXPECT_EQ("豆瓣", row->nameLabel()->text());
  EXPECT_EQ("", row->linkLabel()->text());
  EXPECT_TRUE(std::dynamic_pointer_cast<ui::ImageView>(row->accessoryView()));
  // The other bound account is untouched.
  EXPECT_TRUE(accountCell(*accounts, 1)->authorized());
  EXPECT_EQ(0, engine_->clients[1]->clears);
}

TEST_F(AccountsTest, OnlyAnUnboundRowOpensTheAuthorisationScreen) {
  auto accounts = pushAccounts();
  auto table = accounts->tableView();
  table->tapRow(ui::IndexPath::forRow(1, 1));
  settle();
  EXPECT_EQ(accounts, navigation_->topViewController());
  EXPECT_EQ(0, engine_->clients[1]->authLogins);

  table->tapRow(ui::IndexPath::forRow(3, 1));
  settle();
  auto auth = std::dynamic_pointer_cast<AuthenicationViewController>(navigation_->topViewController());
  ASSERT_TRUE(auth);
  EXPECT_EQ(3, auth->accountType());
  EXPECT_EQ(1, engine_->clients[3]->authLogins);

  // The binding completes on the page; back on the list the row shows the account.
  settle();
  auth->webView()->recorder()->simulateNavigation(std::string(testing::kCallbackPrefix) + "?ok", 0);
  settle();
  window_->layoutIfNeeded();
  EXPECT_EQ(accounts, navigation_->topViewController());
  auto row = accountCell(*accounts, 3);
  ASSERT_TRUE(row);
  EXPECT_TRUE(row->authorized());
  EXPECT_EQ("已绑定的读者", row->nameLabel()->text());
}

class BindPromptTest : public AccountsTest {
 protected:
  std::shared_ptr<ui::ViewController> pushShareScreen(const char* nib) {
    auto screen = std::make_shared<ui::ViewController>(std::string(nib));
    screen->setView(std::make_shared<ui::View>(ui::Rect(0, 0, 320, 416)));
    screen->view()->setBackgroundColor(ui::Color::whiteColor());
    navigation_->pushViewController(screen, false);
    settle();
    return screen;
  }
  std::shared_ptr<PromptForBindingView> prompt(const std::shared_ptr<ui::ViewController>& screen) {
    auto view = std::make_shared<PromptForBindingView>(screen->view()->bounds(), ui::Image::named("MB_Icon0.png"), screen);
    screen->view()->addSubview(view);
    return view;
  }
};

TEST_F(BindPromptTest, BindPushesTheAccountsScreenOnAShareScreen) {
  auto share = pushShareScreen(PromptForBindingView::kShareScreenNib);
  auto view = prompt(share);
  EXPECT_EQ(0.5f, view->alpha());
  EXPECT_EQ(ui::Rect(60, 250, 80, 20), view->bindButton()->frame());
  EXPECT_EQ(std::optional<std::string>("马上绑定"), view->bindButton()->currentTitle());
  EXPECT_EQ(ui::Rect(180, 250, 80, 20), view->cancelButton()->frame());
  EXPECT_EQ(std::optional<std::string>("取消"), view->cancelButton()->currentTitle());
  ASSERT_TRUE(ui::ContrastAudit::snapshotScreen("bind-prompt"));

  view->bindButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_TRUE(std::dynamic_pointer_cast<MBAccountManagerViewController>(navigation_->topViewController()));
  EXPECT_EQ(nullptr, view->superview());
}

TEST_F(BindPromptTest, CancelGoesBackAndOtherScreensOnlyLoseThePrompt) {
  auto share = pushShareScreen(PromptForBindingView::kShareScreenNib);
  auto view = prompt(share);
  view->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_EQ(below_, navigation_->topViewController());
  EXPECT_EQ(nullptr, view->superview());

  auto other = pushShareScreen("SomeOtherScreen");
  view = prompt(other);
  view->bindButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_EQ(other, navigation_->topViewController());
  EXPECT_NE(nullptr, view->superview());
  view->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_EQ(other, navigation_->topViewController());
  EXPECT_EQ(nullptr, view->superview());

  // The prompt does not keep its screen alive.
  std::weak_ptr<ui::ViewController> gone = other;
  auto kept = prompt(other);
  navigation_->popViewController(false);
  other.reset();
  settle();
  EXPECT_TRUE(gone.expired());
  EXPECT_EQ(nullptr, kept->controller());
  kept->backToContext();
  EXPECT_EQ(below_, navigation_->topViewController());

  // A button kept past its prompt (a touch in flight) acts on nothing once the prompt is gone.
  auto again = pushShareScreen(PromptForBindingView::kShareScreenNib);
  auto last = prompt(again);
  auto cancel = last->cancelButton();
  auto bind = last->bindButton();
  last->removeFromSuperview();
  last.reset();
  cancel->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  bind->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  settle();
  EXPECT_EQ(again, navigation_->topViewController());
  EXPECT_EQ(0u, cancel->actionCount(ui::kControlEventTouchUpInside));
}

}  // namespace
}  // namespace zu
