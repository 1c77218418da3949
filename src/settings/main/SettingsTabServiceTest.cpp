// The settings tab against the sample service, through the whole engine and the application
// observer: a guest logs in from the user cell and sees the logged-in cell with the portrait,
// then opens the profile.
#include <gtest/gtest.h>

#include "engine/core/EngineTestSupport.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/TableViewCell.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/clean/MSCacheclean.h"
#include "settings/login/MoreSettingsLoginViewController.h"
#include "settings/main/MoreSettingsEngine.h"
#include "settings/main/MoreSettingsMainInterfaceViewController.h"
#include "settings/profile/MoreSettingsUserInfoViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/app/StandInScreen.h"
#include "shell/skin/NRSkinManager.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

class SettingsTabServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    // The shipped section table, carried into the test's own bundle.
    auto sections = Bundle::mainBundle()->pathForResource(MoreSettingsMainInterfaceViewController::kSectionsResource, "plist");
    ASSERT_TRUE(sections);
    const std::string table = TestFiles::read(*sections);
    EngineFixture::SetUp();
    writeBundleFile("MoreSettingsSections.plist", table);
    NRSkinManager::resetForTesting();
    startEngine();
    engine_->setObserver(std::make_shared<Observer>());
    SettingsNibs::registerNibs();
    StandInScreen::registerMissing();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    screen_.reset();
    navigation_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    EngineFixture::TearDown();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }
  std::string label(int tag) {
    auto view = std::dynamic_pointer_cast<ui::Label>(screen_->userInfoTableViewCell()->viewWithTag(tag));
    return view ? view->text() : std::string();
  }
  std::shared_ptr<ui::Image> portrait() {
    auto view = std::dynamic_pointer_cast<ui::ImageView>(screen_->userInfoTableViewCell()->viewWithTag(1));
    return view ? view->image() : nullptr;
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<MoreSettingsMainInterfaceViewController> screen_;
};

TEST_F(SettingsTabServiceTest, AGuestLogsInFromTheUserCellAndOpensTheProfile) {
  // Built the way the main interface builds the tab: from the registered file.
  auto made = ui::NibRegistry::shared().load(MoreSettingsMainInterfaceViewController::kNibName);
  ASSERT_FALSE(made.empty());
  screen_ = std::dynamic_pointer_cast<MoreSettingsMainInterfaceViewController>(made.front());
  ASSERT_TRUE(screen_);
  navigation_ = std::make_shared<ui::NavigationController>(screen_);
  ui::ViewController::installAsRoot(*window_, navigation_);
  ASSERT_TRUE(turnUntil([&] {
    window_->layoutIfNeeded();
    return screen_->isViewLoaded() && label(2) == "点击登录...";
  }));
  const auto guestPortrait = portrait();

  // The user cell presents the login screen; typing logs in at the service.
  screen_->sectionsTableView()->tapRow(ui::IndexPath::forRow(0, 0));
  std::shared_ptr<MoreSettingsLoginViewController> login;
  ASSERT_TRUE(turnUntil([&] {
    login = std::dynamic_pointer_cast<MoreSettingsLoginViewController>(screen_->modalViewController());
    return login != nullptr;
  }));
  ASSERT_TRUE(turnUntil([&] { return login->isViewLoaded(); }));
  login->nameTextField()->becomeFirstResponder();
  login->nameTextField()->insertText("reader");
  login->passwordTextField()->becomeFirstResponder();
  login->passwordTextField()->insertText("pw");
  login->passwordTextField()->insertReturn();
  ASSERT_TRUE(turnUntil([&] { return !screen_->modalViewController(); }));

  // Shown again: the reader's cell, the service's profile and its portrait downloaded.
  ASSERT_TRUE(turnUntil([&] { return label(2) != "点击登录..." && !label(2).empty(); }));
  EXPECT_EQ(engine_->getUsername(), label(3));
  EXPECT_EQ("已经绑定0个转发账号", label(4));
  ASSERT_TRUE(turnUntil([&] { return portrait() && portrait() != guestPortrait; }));
  EXPECT_TRUE(service_.requestsTo("/img/reader-icon.png").size() >= 1u);
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("settings-reader-service"));

  // The cell now opens the reader's own profile.
  screen_->sectionsTableView()->tapRow(ui::IndexPath::forRow(0, 0));
  ASSERT_TRUE(turnUntil([&] { return navigation_->viewControllers().size() == 2; }));
  EXPECT_TRUE(std::dynamic_pointer_cast<MoreSettingsUserInfoViewController>(navigation_->topViewController()));
}

// The data engine's own answers, with the offline batch running or not as the test says.
class BatchSwitchEngine : public MoreSettingsEngine {
 public:
  bool isOfflineBatchRunning() override { return batchRunning; }
  bool batchRunning = false;
};

// Selecting a cleaning row while an offline batch runs starts nothing; once the batch is over it
// cleans under the progress board, and the cleaning's end redraws the cleaning rows.
TEST_F(SettingsTabServiceTest, CleaningIsRefusedWhileABatchRunsAndRunsOtherwise) {
  auto engine = std::make_shared<BatchSwitchEngine>();
  engine->batchRunning = true;
  screen_ = std::make_shared<MoreSettingsMainInterfaceViewController>();
  screen_->setEngine(engine);
  navigation_ = std::make_shared<ui::NavigationController>(screen_);
  ui::ViewController::installAsRoot(*window_, navigation_);
  ASSERT_TRUE(turnUntil([&] {
    window_->layoutIfNeeded();
    return screen_->isViewLoaded();
  }));
  int ends = 0;
  NotificationCenter::defaultCenter().add(MSCacheclean::kEndNotification, this, [&](const Notification&) { ++ends; });
  auto& table = *screen_->sectionsTableView();
  const size_t windows = ui::Application::shared().windows().size();
  for (int64_t section : {3, 4}) {
    table.scrollToRow(ui::IndexPath::forRow(0, section), ui::TableViewScrollPosition::Middle, false);
    window_->layoutIfNeeded();
    table.tapRow(ui::IndexPath::forRow(0, section));
    EXPECT_EQ(windows, ui::Application::shared().windows().size()) << section;
  }

  engine->batchRunning = false;
  table.reloadData();
  table.scrollToRow(ui::IndexPath::forRow(0, 3), ui::TableViewScrollPosition::Middle, false);
  window_->layoutIfNeeded();
  table.tapRow(ui::IndexPath::forRow(0, 3));
  EXPECT_EQ(windows + 1, ui::Application::shared().windows().size());
  ASSERT_TRUE(turnUntil([&] { return ends == 1; }));
  window_->layoutIfNeeded();
  auto label = std::dynamic_pointer_cast<ui::Label>(table.cellForRow(ui::IndexPath::forRow(0, 3))->contentView()->viewWithTag(
      MoreSettingsMainInterfaceViewController::kCenteredLabelTag));
  ASSERT_TRUE(label);
  EXPECT_EQ("清理缓存", label->text());
  EXPECT_FALSE(table.indexPathForSelectedRow());
  NotificationCenter::defaultCenter().remove(this);
}

}  // namespace
}  // namespace zu
