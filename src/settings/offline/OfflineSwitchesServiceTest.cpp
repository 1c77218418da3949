// The offline download switches against the sample service's engine, through the application
// observer: the subscribed columns are listed and the switches are stored in the engine.
#include <gtest/gtest.h>

#include "engine/core/EngineTestSupport.h"
#include "model/columns/Column.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/views/TableViewCell.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/offline/MSOfflineManageViewController.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"
#include "store/EntryPersistenter.h"

namespace zu {
namespace {

class OfflineSwitchesServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    engine_->setObserver(std::make_shared<Observer>());
    SettingsNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    navigation_ = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    ui::ViewController::installAsRoot(*window_, navigation_);
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
  void subscribe(const std::string& id, const std::string& title) {
    auto column = std::make_shared<Column>();
    column->setEntryId(id);
    column->setTitle(title);
    // A news column (type 0): the engine counts it among the offline downloads.
    auto status = std::make_shared<VeskEntryStatus>();
    status->setType(0);
    column->setVeskEntryStatus(status);
    ASSERT_TRUE(engine_->getSubPersist()->insertEntry(column));
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<MSOfflineManageViewController> screen_;
};

TEST_F(OfflineSwitchesServiceTest, TheSubscribedColumnsAreListedAndTheSwitchesStoredInTheEngine) {
  subscribe("col-news", "Harbour Morning News");
  subscribe("col-photo", "Lantern Photo Walks");
  screen_ = std::make_shared<MSOfflineManageViewController>();
  ASSERT_TRUE(navigation_->pushViewController(screen_, false));
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return screen_->subscribedColumns().size() == 2; }, 20));
  window_->layoutIfNeeded();
  const int64_t section = screen_->columnsSection();
  auto cell = screen_->tableView()->cellForRow(ui::IndexPath::forRow(1, section));
  ASSERT_TRUE(cell);
  EXPECT_EQ("Lantern Photo Walks", cell->textLabel()->text());
  auto control = std::dynamic_pointer_cast<ui::Switch>(cell->accessoryView());
  ASSERT_TRUE(control);
  const bool before = engine_->isColumnOfflineDownloadOn(std::string("col-photo"));
  EXPECT_EQ(before, control->isOn());
  control->setOn(!before);
  control->sendActionsForControlEvents(ui::kControlEventValueChanged);
  EXPECT_EQ(!before, engine_->isColumnOfflineDownloadOn(std::string("col-photo")));

  screen_->closeAllButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ(0, engine_->getOfflineDownloadColumnCount());
  EXPECT_FALSE(screen_->closeAllButton()->isEnabled());
  screen_->openAllButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_TRUE(engine_->isColumnOfflineDownloadOn(std::string("col-news")));
  EXPECT_EQ(2, engine_->getOfflineDownloadColumnCount());
  EXPECT_FALSE(screen_->openAllButton()->isEnabled());
}

}  // namespace
}  // namespace zu
