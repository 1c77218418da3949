#include "shell/app/VESK_iPhoneAppDelegate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "SampleService.h"
#include "common/ServiceHosts.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"
#include "shell/app/AppEngine.h"
#include "shell/app/CommonAlert.h"
#include "shell/home/CoverViewController.h"
#include "shell/app/MSSettings.h"
#include "shell/app/MainWindowNib.h"
#include "shell/app/Observer.h"
#include "shell/app/ObserverAlertPresenter.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"

namespace zu {
namespace {

using testing::ShellFixture;

// Records the engine steps in order, with what the step could see of the rest of the system.
class RecordingEngine : public AppEngine {
 public:
  std::vector<std::string> steps;
  std::function<bool()> viewsLoaded;
  bool anonymous = true;

  void logInit() override { steps.push_back("logInit"); }
  void logUninit() override {
    steps.push_back(std::string("logUninit overlay=") +
                    (CustomBrightnessWindow::overlay() ? "yes" : "no"));
  }
  void initGlobalInstance() override {
    steps.push_back(std::string("init views=") + (viewsLoaded() ? "yes" : "no"));
  }
  void uninitGlobalInstance() override {
    const Value stored = UserDefaults::standard().objectForKey("isAnonymous");
    steps.push_back("uninit isAnonymous=" + stored.description());
  }
  void setObserver(std::shared_ptr<DataEngineObserver> observer) override {
    steps.push_back(std::string("setObserver ") +
                    (std::dynamic_pointer_cast<Observer>(observer) ? "Observer" : "?") +
                    " views=" + (viewsLoaded() ? "yes" : "no"));
  }
  bool isAnonymous() override {
    steps.push_back("isAnonymous");
    return anonymous;
  }
  void logout() override { steps.push_back("logout"); }
  void applicationDidEnterBackground() override { steps.push_back("background"); }
};

class AppDelegateTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    MainWindowNib::registerNib();
  }
  void TearDown() override {
    if (delegate_) delegate_->applicationWillTerminate();
    delegate_.reset();
    Bundle::resetMainBundleForTesting();
    ShellFixture::TearDown();
  }
  // Loads the main interface file and launches its delegate over the recording engine.
  void launch() {
    if (delegate_) delegate_->applicationWillTerminate();
    delegate_.reset();
    for (const auto& object : ui::NibRegistry::shared().load(MainWindowNib::kName)) {
      if (!delegate_) delegate_ = std::dynamic_pointer_cast<VESK_iPhoneAppDelegate>(object);
    }
    ASSERT_TRUE(delegate_);
    engine_ = std::make_shared<RecordingEngine>();
    engine_->viewsLoaded = [d = delegate_.get()] { return d->rootController()->isViewLoaded(); };
    delegate_->setEngine(engine_);
    StandInScreen::requests().clear();
    EXPECT_TRUE(delegate_->applicationDidFinishLaunching());
  }
  void useBundleVersion(const std::string& version) {
    const auto dir = home_.path() / ("bundle-" + version);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>CFBundleVersion</key><string>"
        << version << "</string></dict></plist>\n";
    Bundle::setMainBundleForTesting(dir);
  }
  // The screen once the launch cover is gone: the home screen sends it away after its first
  // read of the list, which the recording engine never gives, so the test says the list is in.
  std::shared_ptr<ui::Image> screen() {
    NotificationCenter::defaultCenter().post(CoverViewController::kColumnReadyNotification);
    settle();
    return ui::renderScreen();
  }

  std::shared_ptr<VESK_iPhoneAppDelegate> delegate_;
  std::shared_ptr<RecordingEngine> engine_;
};

// The launch order: engine before any view; the window shows the root controller; first run
// shows the six-page guide only and sets font size 1; the next launch shows none; a grown
// bundle version shows the five-page guide once.
TEST_F(AppDelegateTest, LaunchOrderAndTheGuidesOfFirstRunAndUpgrade) {
  useBundleVersion("1.0.0");
  launch();
  EXPECT_EQ((std::vector<std::string>{"logInit", "init views=no", "setObserver Observer views=no"}),
            engine_->steps);
  auto window = delegate_->window();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isKeyWindow());
  EXPECT_EQ(ui::kWindowLevelNormal, window->windowLevel());
  EXPECT_EQ(delegate_->rootController(), window->rootViewController());
  EXPECT_EQ(4u, delegate_->rootController()->viewControllers().size());
  EXPECT_EQ(delegate_->rootController()->view()->superview().get(), window.get());
  EXPECT_FALSE(ui::Application::shared().isStatusBarHidden());
  EXPECT_EQ(Value(true), UserDefaults::standard().objectForKey("autoRefreshOn"));
  ASSERT_TRUE(delegate_->commonAlert());
  EXPECT_EQ(window, delegate_->commonAlert()->window());
  ASSERT_EQ(std::vector<std::string>{ScreenRequest::kUserGuideNib}, openedScreens());
  EXPECT_EQ(Value("help"), StandInScreen::requests()[0].parameters.get("name"));
  EXPECT_EQ(Value(6), StandInScreen::requests()[0].parameters.get("num"));
  EXPECT_EQ(1, DESettings::getFondSize());
  EXPECT_FALSE(DESettings::isFirstRun());
  // Below system 15 the overlay is up, clear at the default lightness.
  ASSERT_TRUE(CustomBrightnessWindow::overlay());
  EXPECT_EQ(0.0f, CustomBrightnessWindow::overlay()->alpha());

  DESettings::setFondSize(3);
  MSSettings::setValueForAutoRefresh(false);
  launch();
  EXPECT_TRUE(openedScreens().empty());
  EXPECT_EQ(3, DESettings::getFondSize());
  EXPECT_FALSE(MSSettings::valueForAutoRefresh());  // a stored NO stays NO

  useBundleVersion("1.1.0");
  launch();
  ASSERT_EQ(std::vector<std::string>{ScreenRequest::kUserGuideNib}, openedScreens());
  EXPECT_EQ(Value("newhelp"), StandInScreen::requests()[0].parameters.get("name"));
  EXPECT_EQ(Value(5), StandInScreen::requests()[0].parameters.get("num"));
  launch();
  EXPECT_TRUE(openedScreens().empty());
}

// Background: the engine's step, then "isAnonymous". Terminate: "isAnonymous", the engine, the
// overlay, the log. Foreground posts its notification.
TEST_F(AppDelegateTest, BackgroundForegroundAndTerminateOrders) {
  launch();
  engine_->steps.clear();
  engine_->anonymous = false;
  delegate_->applicationDidEnterBackground();
  EXPECT_EQ((std::vector<std::string>{"background", "isAnonymous"}), engine_->steps);
  EXPECT_EQ(Value(false), UserDefaults::standard().objectForKey("isAnonymous"));

  int foregrounds = 0;
  NotificationCenter::defaultCenter().add("Notification_ApplicationEnterForeground", this,
                                          [&](const Notification&) { ++foregrounds; });
  delegate_->applicationWillEnterForeground();
  NotificationCenter::defaultCenter().remove(this);
  EXPECT_EQ(1, foregrounds);

  engine_->steps.clear();
  engine_->anonymous = true;
  delegate_->applicationWillTerminate();
  EXPECT_EQ((std::vector<std::string>{"isAnonymous", "uninit isAnonymous=1",
                                      "logUninit overlay=no"}),
            engine_->steps);
  delegate_.reset();
}

// Two re-logins in a row: two log-outs and two "Notification_Logout", one login screen shown
// (the root controller refuses a second presentation while the first is up).
TEST_F(AppDelegateTest, ReloginLogsOutAndPresentsOneLoginScreen) {
  launch();
  engine_->steps.clear();
  std::vector<std::string> order;
  NotificationCenter::defaultCenter().add("Notification_Logout", this, [&](const Notification& n) {
    order.push_back("Notification_Logout");
    EXPECT_TRUE(n.object.isNull());
  });
  StandInScreen::requests().clear();
  NotificationCenter::defaultCenter().post("NOTIFICATIONRELOGIN");
  NotificationCenter::defaultCenter().post("NOTIFICATIONRELOGIN");
  NotificationCenter::defaultCenter().remove(this);
  EXPECT_EQ((std::vector<std::string>{"logout", "logout"}), engine_->steps);
  EXPECT_EQ(2u, order.size());

  ASSERT_FALSE(StandInScreen::requests().empty());
  const Dictionary& login = StandInScreen::requests()[0].parameters;
  EXPECT_EQ(ScreenRequest::kLoginNib, StandInScreen::requests()[0].nibName);
  EXPECT_EQ(Value("登录"), login.get("title"));
  EXPECT_EQ(Value("取消"), login.get("cancelButtonTitle"));
  EXPECT_EQ(Value(false), login.get("needToAskSync"));
  auto shown = std::dynamic_pointer_cast<StandInScreen>(
      delegate_->rootController()->modalViewController());
  ASSERT_TRUE(shown);
  settle();
  shown->close();
  settle();
  EXPECT_FALSE(delegate_->rootController()->modalViewController());
}

// What a reviewer looks at: the launch screen, the authorisation alert over it, and the
// overlay at lightness 0.5 darkening the same screen to 65 %.
TEST_F(AppDelegateTest, LaunchAlertAndOverlayPictures) {
  launch();  // first run: the guide
  auto guide = screen();
  ASSERT_TRUE(guide);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*guide, "shell-first-run"));
  launch();
  auto plain = screen();
  ASSERT_TRUE(plain);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*plain, "shell-launch"));
  EXPECT_NE(guide->colorAt(160, 240), plain->colorAt(160, 240));

  auto presenter = std::make_shared<ObserverAlertPresenter>();
  presenter->showErrorTips(-100012, std::nullopt);
  auto alerted = screen();
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*alerted, "shell-alert"));
  topAlert()->clickButton(0);
  settle();

  MSSettings::setValueForLightness(0.5f);
  launch();
  auto dimmed = screen();
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*dimmed, "shell-overlay-0.5"));
  // The tab bar at the bottom, a bright part of the screen, at 65 % of its light.
  const ui::Color bright = plain->colorAt(40, 470);
  const ui::Color dark = dimmed->colorAt(40, 470);
  EXPECT_GT(bright.red, 0.1f);
  EXPECT_NEAR(bright.red * 0.65f, dark.red, 0.02f);
  EXPECT_NEAR(bright.green * 0.65f, dark.green, 0.02f);
}

// The real engine over the sample service: launch makes it with the observer, a re-login logs
// the guest out on the task thread while the main thread waits, background and terminate store
// the guest state and tear the engine down.
TEST_F(AppDelegateTest, RealEngineLaunchReloginAndTerminate) {
  SampleService service;
  ASSERT_TRUE(service.start());
  ServiceHosts::setAllHosts(service.host());
  for (const auto& object : ui::NibRegistry::shared().load(MainWindowNib::kName)) {
    if (!delegate_) delegate_ = std::dynamic_pointer_cast<VESK_iPhoneAppDelegate>(object);
  }
  ASSERT_TRUE(delegate_);
  delegate_->applicationDidFinishLaunching();
  auto engine = gDataEngine();
  ASSERT_TRUE(engine);
  EXPECT_TRUE(std::dynamic_pointer_cast<Observer>(engine->getObserver()));
  EXPECT_TRUE(engine->isAnonymous());

  NotificationCenter::defaultCenter().post("NOTIFICATIONRELOGIN");
  EXPECT_TRUE(engine->isAnonymous());
  EXPECT_TRUE(std::dynamic_pointer_cast<StandInScreen>(
      delegate_->rootController()->modalViewController()));
  engine.reset();

  delegate_->applicationDidEnterBackground();
  EXPECT_EQ(Value(true), UserDefaults::standard().objectForKey("isAnonymous"));
  delegate_->applicationWillTerminate();
  delegate_.reset();
  EXPECT_FALSE(gDataEngine());
  ServiceHosts::setAllHosts(std::nullopt);
  service.stop();
}

}  // namespace
}  // namespace zu
