#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <cmath>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/drawing/Screen.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Application::shared().resetForTesting();
    Screen::main().resetForTesting();
    Device::current().resetForTesting();
    NotificationCenter::defaultCenter().remove(this);
  }

  ScopedFakeClock clock_;
};

TEST_F(ApplicationTest, HooksTokensAndMemoryWarnings) {
  Application& app = Application::shared();
  // No hook: nothing opens.
  EXPECT_FALSE(app.openURL("itms-apps://example/app"));
  std::vector<std::string> asked;
  app.setOpenURLHandler([&](const std::string& url) {
    asked.push_back(url);
    return url.rfind("http", 0) == 0;
  });
  EXPECT_TRUE(app.openURL("http://example/download"));
  EXPECT_FALSE(app.openURL("tel:0"));
  EXPECT_EQ(2u, asked.size());
  EXPECT_EQ((std::vector<std::string>{"http://example/download"}), app.openedURLs());
  int exitStatus = -1;
  app.setTerminateHandler([&](int status) { exitStatus = status; });
  app.terminate(0);
  EXPECT_EQ(0, exitStatus);

  // Background tasks are the platform's: ended ones never expire, the others do when the
  // background time runs out.
  int expired = 0;
  const auto first = app.beginBackgroundTask([&] { expired += 1; });
  const auto second = app.beginBackgroundTask([&] { expired += 10; });
  EXPECT_NE(zu::Application::kInvalidBackgroundTask, first);
  EXPECT_NE(first, second);
  app.endBackgroundTask(first);
  zu::Application::setApplicationState(zu::Application::State::kBackground);
  EXPECT_GT(app.backgroundTimeRemaining(), 0);
  clock_->advance(zu::Application::kBackgroundTimeLimit);
  runDueMainLoopTasks();
  EXPECT_EQ(10, expired);
  app.endBackgroundTask(second);
  zu::Application::setApplicationState(zu::Application::State::kActive);
  app.setIdleTimerDisabled(true);
  EXPECT_TRUE(zu::Application::isIdleTimerDisabled());
  app.setIdleTimerDisabled(false);

  int warnings = 0;
  NotificationCenter::defaultCenter().add("UIApplicationDidReceiveMemoryWarningNotification", this,
                                          [&](const Notification&) { ++warnings; });
  app.simulateMemoryWarning();
  EXPECT_EQ(1, warnings);
}

TEST_F(ApplicationTest, ScreenAndDeviceValues) {
  Screen& screen = Screen::main();
  EXPECT_EQ(Rect(0, 0, 320, 480), screen.bounds());
  EXPECT_EQ(Rect(0, 20, 320, 460), screen.applicationFrame());
  Application& app = Application::shared();
  EXPECT_EQ(Rect(0, 0, 320, 20), app.statusBarFrame());
  // The strip follows the bar's orientation along the screen's edges.
  app.setStatusBarOrientation(SystemEnvironment::Orientation::kPortraitUpsideDown);
  EXPECT_EQ(Rect(0, 460, 320, 20), app.statusBarFrame());
  // In landscape the strip is where the bar is drawn and the application frame leaves it out.
  app.setStatusBarOrientation(SystemEnvironment::Orientation::kLandscapeLeft);
  EXPECT_EQ(Rect(0, 0, 20, 480), app.statusBarFrame());
  EXPECT_EQ(Rect(20, 0, 300, 480), screen.applicationFrame());
  app.setStatusBarOrientation(SystemEnvironment::Orientation::kLandscapeRight);
  EXPECT_EQ(Rect(300, 0, 20, 480), app.statusBarFrame());
  EXPECT_EQ(Rect(0, 0, 300, 480), screen.applicationFrame());
  app.setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);
  Application::shared().setStatusBarHidden(true);
  EXPECT_EQ(Rect(0, 0, 320, 480), screen.applicationFrame());
  EXPECT_EQ(Rect(), app.statusBarFrame());
  screen.setBrightness(0.25f);
  EXPECT_EQ(0.25f, screen.brightness());
  screen.setBrightness(3);
  EXPECT_EQ(1.f, screen.brightness());
  screen.setBrightness(-1);
  EXPECT_EQ(0.f, screen.brightness());
  // The string and the process's system version number agree.
  EXPECT_EQ("5", Device::current().systemVersion());
  Device::current().setSystemVersion("4.3.1");
  EXPECT_EQ("4.3.1", Device::current().systemVersion());
  EXPECT_FLOAT_EQ(4.3f, SystemEnvironment::systemVersion());
  EXPECT_FALSE(SystemEnvironment::isSystemVersionAtLeast5());
  // Whoever sets the number last wins.
  SystemEnvironment::setSystemVersion(6.1f);
  EXPECT_EQ("6.1", Device::current().systemVersion());
  Device::current().setSystemVersion("beta");
  EXPECT_TRUE(std::isnan(SystemEnvironment::systemVersion()));
  EXPECT_EQ("beta", Device::current().systemVersion());
  Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kLandscapeLeft);
  EXPECT_FALSE(SystemEnvironment::isStatusBarPortrait());
}

}  // namespace
}  // namespace zu::ui
