#include <gtest/gtest.h>

#include <thread>

#include "model/service/VeskMessage.h"
#include "model/service/VeskMessages.h"
#include "model/service/VeskSoftUpdate.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "shell/app/CommonAlert.h"
#include "shell/app/ObserverAlertPresenter.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"

namespace zu {
namespace {

using testing::ShellFixture;

class ShellAlertsTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NotificationCenter::defaultCenter().add("NOTIFICATIONRELOGIN", this,
                                            [this](const Notification&) { ++relogins_; });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    ShellFixture::TearDown();
  }
  // A presenting controller in a key window, as a screen asking for a prompt would be.
  std::shared_ptr<ui::ViewController> screenInWindow() {
    window_ = std::make_shared<ui::Window>(ui::Screen::main().bounds());
    auto screen = std::make_shared<ui::ViewController>();
    ui::ViewController::installAsRoot(*window_, screen);
    window_->makeKeyAndVisible();
    return screen;
  }
  static Dictionary record(std::shared_ptr<Object> object) {
    return Dictionary{{CommonAlert::kRecordKey, Value(std::move(object))}};
  }
  static std::shared_ptr<VeskMessage> message(std::string title, std::optional<std::string> href) {
    auto m = std::make_shared<VeskMessage>();
    m->setTitle(std::move(title));
    m->setData("正文");
    m->setHref(std::move(href));
    return m;
  }

  int relogins_ = 0;
  std::shared_ptr<ui::Window> window_;
};

// Tag 1: any button opens the store page, then ends the process with 0. Tag 2: any button asks
// for a new login, once; a second authorisation alert is not stacked on the first.
TEST_F(ShellAlertsTest, ObserverAlertsOpenTheStoreOrAskForALogin) {
  auto presenter = std::make_shared<ObserverAlertPresenter>();
  presenter->showUpgradeAlert(-190000, "请升级");
  auto upgrade = topAlert();
  ASSERT_TRUE(upgrade);
  EXPECT_EQ("通知", upgrade->title());
  EXPECT_EQ("请升级", upgrade->message());
  EXPECT_EQ(std::vector<std::string>{"确定"}, upgrade->buttonTitles());
  EXPECT_EQ(1, upgrade->tag());
  ASSERT_TRUE(upgrade->clickButton(0));
  const auto store = Bundle::mainBundle()->info(ObserverAlertPresenter::kStoreUrlKey);
  ASSERT_TRUE(store);
  EXPECT_EQ(std::vector<std::string>{*store}, ui::Application::shared().openedURLs());
  EXPECT_EQ(std::vector<int>{0}, terminated_);
  settle();

  presenter->showErrorTips(-100012, "x");
  presenter->showErrorTips(-100001, std::nullopt);
  ASSERT_EQ(1u, alertCount());
  auto authorise = topAlert();
  EXPECT_EQ("操作失败", authorise->title());
  EXPECT_EQ("帐号认证失败。", authorise->message());
  EXPECT_EQ(std::vector<std::string>{"确定"}, authorise->buttonTitles());
  EXPECT_EQ(2, authorise->tag());
  authorise->clickButton(0);
  EXPECT_EQ(1, relogins_);
  settle();
  EXPECT_EQ(0u, alertCount());
  // Once it is gone the next one shows again.
  presenter->showErrorTips(-100001, std::nullopt);
  ASSERT_TRUE(topAlert());
  EXPECT_EQ("您输入的密码与帐号不匹配，请重新输入。", topAlert()->message());
}

// Update and message alerts: their texts, left-aligned messages, only button 1 acts; an
// update posted from a worker thread is shown on the main loop.
TEST_F(ShellAlertsTest, UpdateAndMessageAlerts) {
  auto alerts = CommonAlert::create();
  screenInWindow();
  alerts->setWindow(window_);
  auto update = std::make_shared<VeskSoftUpdate>();
  update->setTitle("新版本");
  update->setData("修正了错误");
  update->setHref("http://127.0.0.1/dl");
  std::thread([&] {
    NotificationCenter::defaultCenter().post("Notification_SoftwareUpdateInfo", Value(),
                                             record(update));
  }).join();
  EXPECT_EQ(0u, alertCount());
  settle(0);
  auto shown = topAlert();
  ASSERT_TRUE(shown);
  EXPECT_EQ(111, shown->tag());
  EXPECT_EQ("新版本", shown->title());
  EXPECT_EQ("修正了错误", shown->message());
  EXPECT_EQ((std::vector<std::string>{"取消", "好"}), shown->buttonTitles());
  EXPECT_EQ(ui::TextAlignment::Left, shown->messageAlignment());
  shown->clickButton(0);
  EXPECT_TRUE(ui::Application::shared().openedURLs().empty());
  NotificationCenter::defaultCenter().post("Notification_SoftwareUpdateInfo", Value(),
                                           record(update));
  topAlert()->clickButton(1);
  EXPECT_EQ(std::vector<std::string>{"http://127.0.0.1/dl"},
            ui::Application::shared().openedURLs());

  // No record, no messages: nothing.
  settle();
  NotificationCenter::defaultCenter().post("Notification_SoftwareUpdateInfo");
  NotificationCenter::defaultCenter().post("Notification_MessageInfo", Value(),
                                           record(std::make_shared<VeskMessages>()));
  EXPECT_EQ(0u, alertCount());

  // Only the first message; no details button without an address.
  auto messages = std::make_shared<VeskMessages>();
  messages->appendVeskMessageArray(message("第一条", ""));
  messages->appendVeskMessageArray(message("第二条", "http://127.0.0.1/m2"));
  NotificationCenter::defaultCenter().post("Notification_MessageInfo", Value(), record(messages));
  ASSERT_EQ(1u, alertCount());
  EXPECT_EQ("第一条", topAlert()->title());
  EXPECT_EQ(std::vector<std::string>{"关闭"}, topAlert()->buttonTitles());
  EXPECT_EQ(ui::TextAlignment::Left, topAlert()->messageAlignment());
  topAlert()->clickButton(0);
  settle();
  EXPECT_TRUE(openedScreens().empty());

  // With an address, "查看详情" opens the browser on the window's root controller.
  auto linked = std::make_shared<VeskMessages>();
  linked->appendVeskMessageArray(message("通知", "http://127.0.0.1/m1"));
  NotificationCenter::defaultCenter().post("Notification_MessageInfo", Value(), record(linked));
  EXPECT_EQ((std::vector<std::string>{"关闭", "查看详情"}), topAlert()->buttonTitles());
  topAlert()->clickButton(1);
  EXPECT_EQ(std::vector<std::string>{ScreenRequest::kBrowserNib}, openedScreens());
  EXPECT_EQ(Value("http://127.0.0.1/m1"), StandInScreen::requests()[0].parameters.get("link"));
  auto root = std::dynamic_pointer_cast<ui::ViewController>(window_->rootViewController());
  ASSERT_TRUE(root && root->modalViewController());
}

// Bind and login prompts: presented by the asking screen; the authorisation screen for the
// platform in a navigation controller, closed by its return action; the login asks about sync.
TEST_F(ShellAlertsTest, BindAndLoginPromptsOpenTheirScreensOnTheContext) {
  auto alerts = CommonAlert::create();
  auto context = screenInWindow();
  NotificationCenter::defaultCenter().post(
      "Notification_ShowBindAlert", Value(),
      Dictionary{{"context", Value(context)}, {"platformtype", 1}});
  auto bind = topAlert();
  ASSERT_TRUE(bind);
  EXPECT_EQ(333, bind->tag());
  EXPECT_EQ("还没有绑定微博", bind->title());
  EXPECT_EQ((std::vector<std::string>{"取消", "立即绑定"}), bind->buttonTitles());
  EXPECT_EQ(ui::TextAlignment::Center, bind->messageAlignment());
  bind->clickButton(0);
  EXPECT_TRUE(openedScreens().empty());
  settle();

  NotificationCenter::defaultCenter().post(
      "Notification_ShowBindAlert", Value(),
      Dictionary{{"context", Value(context)}, {"platformtype", 1}});
  topAlert()->clickButton(1);
  ASSERT_EQ(std::vector<std::string>{ScreenRequest::kAuthenticationNib}, openedScreens());
  EXPECT_EQ(Value(1), StandInScreen::requests()[0].parameters.get("accountType"));
  auto navigation =
      std::dynamic_pointer_cast<ui::NavigationController>(context->modalViewController());
  ASSERT_TRUE(navigation);
  auto screen = std::dynamic_pointer_cast<StandInScreen>(navigation->viewControllers().at(0));
  ASSERT_TRUE(screen);
  settle();
  screen->close();  // the screen's return action
  settle();
  EXPECT_FALSE(context->modalViewController());

  NotificationCenter::defaultCenter().post("Notification_ShowLoginAlert", Value(),
                                           Dictionary{{"context", Value(context)}});
  EXPECT_EQ(444, topAlert()->tag());
  EXPECT_EQ((std::vector<std::string>{"取消", "登录"}), topAlert()->buttonTitles());
  topAlert()->clickButton(1);
  ASSERT_EQ(2u, StandInScreen::requests().size());
  const Dictionary& login = StandInScreen::requests()[1].parameters;
  EXPECT_EQ(ScreenRequest::kLoginNib, StandInScreen::requests()[1].nibName);
  EXPECT_EQ(Value("登录"), login.get("title"));
  EXPECT_EQ(Value("取消"), login.get("cancelButtonTitle"));
  EXPECT_EQ(Value(true), login.get("needToAskSync"));
  EXPECT_TRUE(std::dynamic_pointer_cast<StandInScreen>(context->modalViewController()));

  // The context is not kept: once it has gone, the prompt's button opens nothing.
  settle();
  context->dismissModalViewController(false);
  {
    auto passing = std::make_shared<ui::ViewController>();
    NotificationCenter::defaultCenter().post("Notification_ShowLoginAlert", Value(),
                                             Dictionary{{"context", Value(passing)}});
  }
  topAlert()->clickButton(1);
  EXPECT_EQ(2u, StandInScreen::requests().size());
}

}  // namespace
}  // namespace zu
