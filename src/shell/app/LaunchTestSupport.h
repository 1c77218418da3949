// LaunchFixture: a test fixture that launches the whole application from its main interface
// file against the sample service on 127.0.0.1 (included by *Test.cpp only). The service's host
// is every host, the network probe is the test's own (offline until a test says otherwise), the
// guide and the upgrade helper are off. launch() makes the application delegate and finds the
// home grid; the fixture ends the application, the service and the hosts after the test. Main
// thread; the fake clock of ShellFixture moves only where a test moves it (pump).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "SampleService.h"
#include "common/ServiceHosts.h"
#include "engine/core/DESettings.h"
#include "platform/device/NetworkProbe.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/TabBarController.h"
#include "shell/app/MainWindowNib.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/app/VESK_iPhoneAppDelegate.h"
#include "shell/home/MyColumnsController.h"
#include "testing/MainLoopTurn.h"
#include "testing/SettableNetworkProbe.h"

namespace zu::testing {

class LaunchFixture : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    ASSERT_TRUE(service_.start());
    ServiceHosts::setAllHosts(service_.host());
    NetworkProbe::setShared(probe_);
    MainWindowNib::registerNib();
    DESettings::setFirstRun(false);
    DESettings::setNeedDisplayUpgradeHelper(false);
  }
  void TearDown() override {
    terminate();
    NetworkProbe::setShared(nullptr);
    ServiceHosts::setAllHosts(std::nullopt);
    service_.stop();
    ShellFixture::TearDown();
  }

  // The application from its main interface file, launched; home_ is the home grid.
  void launch() {
    for (const auto& object : ui::NibRegistry::shared().load(MainWindowNib::kName)) {
      if (!delegate_) delegate_ = std::dynamic_pointer_cast<VESK_iPhoneAppDelegate>(object);
    }
    ASSERT_TRUE(delegate_);
    ASSERT_TRUE(delegate_->applicationDidFinishLaunching());
    auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(
        delegate_->rootController()->viewControllers().at(0));
    ASSERT_TRUE(navigation);
    home_ = std::dynamic_pointer_cast<MyColumnsController>(navigation->viewControllers().at(0));
    ASSERT_TRUE(home_);
    ASSERT_TRUE(home_->isViewLoaded());
  }
  // Ends the launched application (nothing without one).
  void terminate() {
    if (!delegate_) return;
    // The order stores hold the engine: let them end before it is torn down.
    EXPECT_TRUE(turnMainLoopUntil([] { return MyColumnsController::pendingOrderStores() == 0; }));
    home_.reset();
    delegate_->applicationWillTerminate();
    delegate_.reset();
    // Finishes still queued on the main loop name tasks of the engine just gone; the next
    // engine numbers its tasks from 1 again, so they are delivered now, to nobody.
    settle(1);
  }
  // Turns the main loop, the fake clock moving 0.01 s whenever nothing is due, until `done`.
  bool pump(const std::function<bool()>& done, double timeout = 20) {
    return turnMainLoopUntil(
        [&] {
          if (done()) return true;
          clock_.clock()->advance(0.01);
          return false;
        },
        timeout);
  }

  SampleService service_;
  std::shared_ptr<SettableNetworkProbe> probe_ =
      std::make_shared<SettableNetworkProbe>(SettableNetworkProbe::kOffline);
  std::shared_ptr<VESK_iPhoneAppDelegate> delegate_;
  std::shared_ptr<MyColumnsController> home_;
};

}  // namespace zu::testing
