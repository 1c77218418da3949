#include "share/accounts/AuthenicationViewController.h"

#include <gtest/gtest.h>

#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "platform/web/RecordingWebBackend.h"
#include "platform/web/WebView.h"
#include "share/compose/ShareTestSupport.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

using testing::ScriptedClient;

class AuthenicationTest : public testing::ShareFixture {
 protected:
  void SetUp() override {
    ShareFixture::SetUp();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    below_ = std::make_shared<ui::ViewController>();
    navigation_ = std::make_shared<ui::NavigationController>(below_);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->makeKeyAndVisible();
    NotificationCenter::defaultCenter().add(AuthenicationViewController::kAuthorizedNotification, this,
                                            [this](const Notification& n) { authorized_.push_back(n.object.intValue()); });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    navigation_.reset();
    window_.reset();
    ShareFixture::TearDown();
  }

  // Opens the screen for `platform` as the bind alert does (through its interface file), pushed.
  std::shared_ptr<AuthenicationViewController> open(int platform, std::function<void()> back = {}) {
    auto screen = std::dynamic_pointer_cast<AuthenicationViewController>(
        ScreenRequest::authentication(platform, std::move(back)));
    EXPECT_NE(nullptr, screen);
    if (!screen) return nullptr;
    navigation_->pushViewController(screen, false);
    screen->view();
    return screen;
  }
  web::RecordingWebBackend& recorder(AuthenicationViewController& screen) {
    return *screen.webView()->recorder();
  }
  std::vector<std::string> loadedUrls(AuthenicationViewController& screen) {
    std::vector<std::string> urls;
    for (const auto& call : recorder(screen).calls()) {
      if (call.kind == web::RecordingWebBackend::Call::kLoadUrl) urls.push_back(call.content);
    }
    return urls;
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> below_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::vector<int64_t> authorized_;
};

TEST_F(AuthenicationTest, EveryNavigationReachesTheFactoryAndLoadsAndSuccessPops) {
  auto screen = open(2);
  ASSERT_TRUE(screen);
  ScriptedClient& client = *engine_->clients[2];
  EXPECT_EQ(1, client.authLogins);
  EXPECT_EQ(screen.get(), client.observer());
  // The skinned title shows; the item keeps the platform's share title.
  EXPECT_EQ("帐号绑定", NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*screen->navigationItem()));
  EXPECT_EQ(std::optional<std::string>("分享到腾讯微博"), screen->navigationItem()->title());
  EXPECT_TRUE(screen->navigationItem()->hidesBackButton());
  EXPECT_TRUE(screen->activityIndicator()->isAnimating());
  EXPECT_TRUE(recorder(*screen).ephemeral());

  settle();
  EXPECT_EQ(std::vector<std::string>{client.pageUrl()}, loadedUrls(*screen));
  recorder(*screen).finishLoad();
  settle();
  EXPECT_FALSE(screen->activityIndicator()->isAnimating());

  // A link of the page: handed to the factory with the screen's platform, and loaded.
  EXPECT_TRUE(recorder(*screen).simulateNavigation("http://auth.test/login?step=2", 0));
  settle();
  EXPECT_EQ(std::string("http://auth.test/login?step=2"), recorder(*screen).currentUrl());
  EXPECT_TRUE(authorized_.empty());

  // The callback address: the client binds, the screen posts the number and pops, and the page
  // still loads the address.
  const std::string callback = std::string(testing::kCallbackPrefix) + "?oauth_verifier=v";
  EXPECT_TRUE(recorder(*screen).simulateNavigation(callback, 0));
  settle();
  std::vector<std::pair<int, std::string>> expected = {
      {2, client.pageUrl()}, {2, "http://auth.test/login?step=2"}, {2, callback}};
  EXPECT_EQ(expected, engine_->navigations);
  EXPECT_EQ(callback, recorder(*screen).currentUrl());
  EXPECT_EQ(std::vector<int64_t>{2}, authorized_);
  EXPECT_EQ(below_, navigation_->topViewController());
  EXPECT_EQ(0u, alertCount());
}

// A frame inside the page (an advert) navigating to the callback address is asked about and
// allowed like any load, but binds nothing; the page's own frame does, also when the server
// redirects its load there.
TEST_F(AuthenicationTest, OnlyThePagesOwnFrameReachesTheFactory) {
  auto screen = open(2);
  ASSERT_TRUE(screen);
  settle();
  const std::string callback = std::string(testing::kCallbackPrefix) + "?oauth_verifier=v";
  EXPECT_TRUE(recorder(*screen).simulateFrameNavigation(callback, 5));
  settle();
  EXPECT_EQ((std::vector<std::pair<int, std::string>>{{2, engine_->clients[2]->pageUrl()}}), engine_->navigations);
  EXPECT_TRUE(authorized_.empty());

  EXPECT_TRUE(recorder(*screen).simulateNavigation("http://auth.test/login?step=2", 1));
  recorder(*screen).simulateRedirect(callback);
  settle();
  EXPECT_EQ(callback, engine_->navigations.back().second);
  EXPECT_EQ(std::vector<int64_t>{2}, authorized_);
}

TEST_F(AuthenicationTest, ErrorAlertAndBackButtonRunTheReturnAction) {
  // Opened without a return action: the alert's button pops.
  engine_->clients[1]->callbackError = -1002;
  engine_->clients[1]->callbackErrorText = "授权被拒绝";
  auto screen = open(1);
  ASSERT_TRUE(screen);
  settle();
  recorder(*screen).simulateNavigation(std::string(testing::kCallbackPrefix) + "?denied=1", 0);
  settle();
  auto alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(std::optional<std::string>("连接错误"), alert->title());
  EXPECT_EQ(std::optional<std::string>("授权被拒绝"), alert->message());
  EXPECT_EQ(std::vector<std::string>{"ok"}, alert->buttonTitles());
  EXPECT_EQ(AuthenicationViewController::kErrorAlertTag, alert->tag());
  EXPECT_EQ(screen, navigation_->topViewController());
  alert->clickButton(0);
  settle();
  EXPECT_EQ(below_, navigation_->topViewController());
  EXPECT_TRUE(authorized_.empty());

  // The opener's return action replaces the pop, for the alert and for "  返回" alike.
  int returns = 0;
  screen = open(4, [&returns] { ++returns; });
  ASSERT_TRUE(screen);
  auto back = std::dynamic_pointer_cast<ui::Button>(screen->navigationItem()->leftBarButtonItem()->customView());
  ASSERT_TRUE(back);
  EXPECT_EQ(std::optional<std::string>("  返回"), back->currentTitle());
  back->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ(1, returns);
  EXPECT_EQ(screen, navigation_->topViewController());
  screen->onOPError(engine_->clients[4].get(), -1001, "网络不通");
  ASSERT_TRUE(topAlert());
  topAlert()->clickButton(0);
  EXPECT_EQ(2, returns);
}

TEST_F(AuthenicationTest, OnlyTheMicroblogCookiesAreDeletedBeforeThePageLoads) {
  // The web engine files cookies by site; the configured domains are hosts under two of them.
  EXPECT_EQ((std::vector<std::string>{"t.qq.com", "t.sohu.com"}),
            AuthenicationViewController::microblogCookieDomains());
  engine_->cookieSites = {"qq.com", "sohu.com", "sina.com.cn", "douban.com"};
  auto screen = open(0);
  ASSERT_TRUE(screen);
  EXPECT_EQ((std::set<std::string>{"douban.com", "sina.com.cn"}), engine_->cookieSites);
}

TEST_F(AuthenicationTest, LateAnswersReachOnlyALiveScreen) {
  ScriptedClient& client = *engine_->clients[3];
  client.answer = ScriptedClient::Answer::kLater;
  auto screen = open(3);
  ASSERT_TRUE(screen);
  settle();
  EXPECT_TRUE(loadedUrls(*screen).empty());
  client.answerPending();
  settle();
  EXPECT_EQ(std::vector<std::string>{client.pageUrl()}, loadedUrls(*screen));

  // A second screen of the same platform takes the client over; the first one going away leaves
  // it alone.
  navigation_->popViewController(false);
  auto second = open(3);
  ASSERT_TRUE(second);
  std::weak_ptr<AuthenicationViewController> firstGone = screen;
  screen.reset();
  settle();
  ASSERT_TRUE(firstGone.expired());
  EXPECT_EQ(second.get(), client.observer());

  // The second goes too while its answer is outstanding: the answer reaches nobody.
  navigation_->popViewController(false);
  std::weak_ptr<AuthenicationViewController> secondGone = second;
  second.reset();
  settle();
  ASSERT_TRUE(secondGone.expired());
  EXPECT_EQ(nullptr, client.observer());
  client.answerPending();
  settle();
  EXPECT_EQ(0u, alertCount());
}

TEST_F(AuthenicationTest, LoadingPagePicture) {
  auto screen = open(1);
  ASSERT_TRUE(screen);
  auto picture = ui::renderScreen();
  ASSERT_TRUE(picture);
  ASSERT_TRUE(ui::writeSnapshot(*picture, "auth-loading"));
  // The grey spinner sits 40 points above the middle of the page, over the white page.
  const ui::Rect spinner = screen->activityIndicator()->frame();
  const ui::Point centre = screen->view()->convertPointTo(
      ui::Point(spinner.origin.x + spinner.size.width / 2, spinner.origin.y + spinner.size.height / 2),
      window_.get());
  EXPECT_FLOAT_EQ(screen->view()->bounds().size.height / 2 - 40,
                  spinner.origin.y + spinner.size.height / 2);
  int dark = 0;
  for (int dx = -10; dx <= 10; ++dx) {
    for (int dy = -10; dy <= 10; ++dy) {
      const ui::Color c = picture->colorAt(static_cast<int>(centre.x) + dx, static_cast<int>(centre.y) + dy);
      dark += c.red < 0.8f;
    }
  }
  EXPECT_GT(dark, 10);
  EXPECT_EQ(ui::Color::whiteColor(), picture->colorAt(160, 400));
}

}  // namespace
}  // namespace zu
