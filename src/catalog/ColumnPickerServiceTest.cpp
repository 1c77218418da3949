// The content centre against the sample service, through the whole engine and the application
// observer: the catalogue with its covers, a deeper level, and a subscription the home grid hears.
#include <gtest/gtest.h>

#include "catalog/ColumnPickerController.h"
#include "engine/core/EngineTestSupport.h"
#include "model/columns/Column.h"
#include "model/service/VeskSubscribe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/detail/ColumnDetailViewController.h"

namespace zu {
namespace {

class ColumnPickerServiceTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    startEngine();
    engine_->setUsername(std::string("reader"), std::string("pw"));
    engine_->setObserver(std::make_shared<Observer>());
    ColumnDetailViewController::registerNibs();
    ColumnPickerController::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    navigation_.reset();
    window_.reset();
    testing::ShellFixture::resetShell();
    EngineFixture::TearDown();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }
  std::shared_ptr<Column> rowColumn(const ColumnPickerController& picker, const std::string& id) {
    for (const auto& section : picker.dataSource()) {
      for (const auto& column : section) {
        if (column->entryId() == id) return column;
      }
    }
    return nullptr;
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
};

TEST_F(ColumnPickerServiceTest, BrowsesTheCatalogueWithCoversAndSubscribes) {
  auto picker = std::make_shared<ColumnPickerController>();
  navigation_ = std::make_shared<ui::NavigationController>(picker);
  ui::ViewController::installAsRoot(*window_, navigation_);
  window_->layoutIfNeeded();
  ASSERT_TRUE(turnUntil([&] { return !picker->dataSource().empty(); }));
  EXPECT_FALSE(picker->tableView()->isHidden());
  auto news = rowColumn(*picker, "col-news");
  ASSERT_TRUE(news);
  // The cover is downloaded once and the row shown again from the cached file.
  ASSERT_TRUE(turnUntil([&] {
    picker->tableView()->layoutIfNeeded();
    return news->coverImageThumbnailLoaded();
  }));

  std::vector<std::string> heard;
  NotificationCenter::defaultCenter().add(ColumnDetailViewController::kSubscribeNotification, this,
                                          [&](const Notification&) { heard.push_back("subscribed"); });
  picker->subscribe(news);
  ASSERT_TRUE(turnUntil([&] { return news->veskSubscribe() && news->veskSubscribe()->subscribed() == 1; }));
  EXPECT_FALSE(heard.empty());  // the broadcast the home grid listens to
  EXPECT_EQ(service_.subscriptions(), (std::vector<std::string>{"col-news"}));

  // A row with an address of its own opens a level that asks the service for it.
  int64_t section = 0;
  while (picker->dataSource()[section].front() != news) ++section;
  ASSERT_TRUE(picker->tableView()->tapRow(ui::IndexPath::forRow(0, section)));
  auto level = std::dynamic_pointer_cast<ColumnPickerController>(navigation_->topViewController());
  ASSERT_TRUE(level && level != picker);
  EXPECT_EQ(level->parentColumn(), news);
  ASSERT_TRUE(turnUntil([&] { return !level->dataSource().empty(); }));
  EXPECT_FALSE(level->lastLoadFailed());
}

}  // namespace
}  // namespace zu
