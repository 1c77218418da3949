#include "settings/offline/MSOfflineManageViewController.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/TableViewCell.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/offline/OfflineManageEngine.h"
#include "shell/app/Observer.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

class ScriptedColumnsTask : public Task {
 public:
  std::string className() const override { return "ScriptedColumnsTask"; }
};

// Keeps the switches in memory and makes tasks that never run: the test posts their results.
class ScriptedOfflineEngine : public OfflineManageEngine {
 public:
  std::shared_ptr<Task> createGetSubscribedColumnsTask(bool loadImageData) override {
    imageData.push_back(loadImageData);
    tasks.push_back(std::make_shared<ScriptedColumnsTask>());
    return tasks.back();
  }
  void asyncRunTask(const std::shared_ptr<Task>&) override {}
  bool isColumnOfflineDownloadOn(const Text& id) override { return id && on[*id]; }
  void setColumnOfflineDownload(const Text& id, bool value) override {
    if (id) on[*id] = value;
    changes.push_back(id.value_or("?") + (value ? " on" : " off"));
  }
  void setAllColumnOfflineDownload(bool value) override {
    for (auto& [id, state] : on) state = value;
    changes.push_back(value ? "all on" : "all off");
  }
  int getOfflineDownloadColumnCount() override {
    int count = 0;
    for (const auto& [id, state] : on) count += state;
    return count;
  }
  bool allowOfflineDownloadUnder3g() override { return allowUnder3g; }
  void setAllowOfflineDownloadUnder3g(bool allow) override { allowUnder3g = allow; }
  bool isItouch() override { return itouch; }

  std::vector<std::shared_ptr<Task>> tasks;
  std::vector<bool> imageData;
  std::map<std::string, bool> on;
  std::vector<std::string> changes;
  bool allowUnder3g = false;
  bool itouch = false;
};

class OfflineSwitchesTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    TaskEngine::initGlobalInstance();
    SettingsNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    navigation_ = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    ui::ViewController::installAsRoot(*window_, navigation_);
    settle(1);
  }
  void TearDown() override {
    screen_.reset();
    navigation_.reset();
    window_.reset();
    TaskEngine::uninitGlobalInstance();
    ShellFixture::TearDown();
  }

  // Pushes the screen, on the bar the settings tab dresses in the current skin, and answers its
  // columns task with `count` columns (ids "c0", "c1", …).
  void open(int count) {
    screen_ = std::make_shared<MSOfflineManageViewController>();
    screen_->setEngine(engine_);
    NRSkinManager::sharedManager().setCurrentBackgroundImageOfNavigationBar(*navigation_->navigationBar());
    ASSERT_TRUE(navigation_->pushViewController(screen_, false));
    settle(1);
    answer(count);
  }
  void answer(int count, size_t task = SIZE_MAX) {
    auto feed = std::make_shared<Feed>();
    for (int i = 0; i < count; ++i) {
      auto entry = std::make_shared<Entry>();
      entry->setEntryId("c" + std::to_string(i));
      entry->setTitle("栏目" + std::to_string(i + 1));
      feed->appendEntrys(entry);
    }
    const auto& which = task == SIZE_MAX ? engine_->tasks.back() : engine_->tasks[task];
    Observer::postResultOnMainThread(Dictionary{{"Task", Value(which)}, {"ResultType", "Feed"}, {"Result", Value(feed)}});
    settle(0);
    window_->layoutIfNeeded();
  }
  void finish(int code) {
    Observer::postResultOnMainThread(Dictionary{{"Task", Value(engine_->tasks.back())},
                                                {"ResultType", "TaskStatus"},
                                                {"StateResult", "TaskFinish"},
                                                {"Result", code},
                                                {"ErrDesc", "null"}});
    settle(0);
  }
  std::shared_ptr<ui::Switch> switchAt(int64_t row, int64_t section) {
    auto cell = screen_->tableView()->cellForRow(ui::IndexPath::forRow(row, section));
    return cell ? std::dynamic_pointer_cast<ui::Switch>(cell->accessoryView()) : nullptr;
  }
  static void flip(ui::Switch& control) {
    control.setOn(!control.isOn());
    control.sendActionsForControlEvents(ui::kControlEventValueChanged);
  }
  bool openAllEnabled() const { return screen_->openAllButton()->isEnabled(); }
  bool closeAllEnabled() const { return screen_->closeAllButton()->isEnabled(); }

  std::shared_ptr<ScriptedOfflineEngine> engine_ = std::make_shared<ScriptedOfflineEngine>();
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<MSOfflineManageViewController> screen_;
};

TEST_F(OfflineSwitchesTest, APhoneListsTheWifiSwitchAndTheColumnsAndTheButtonsFollowTheCount) {
  engine_->on = {{"c0", true}, {"c1", true}, {"c2", true}};
  engine_->allowUnder3g = false;
  open(3);
  ASSERT_EQ(1u, engine_->tasks.size());
  EXPECT_FALSE(engine_->imageData[0]);
  ui::TableView& table = *screen_->tableView();
  EXPECT_EQ(2, table.numberOfSections());
  EXPECT_EQ(1, table.numberOfRowsInSection(0));
  EXPECT_EQ(3, table.numberOfRowsInSection(1));
  // The WiFi switch is on exactly when offline download under 3G is not allowed.
  auto wifi = switchAt(0, 0);
  ASSERT_TRUE(wifi);
  EXPECT_TRUE(wifi->isOn());
  auto wifiCell = table.cellForRow(ui::IndexPath::forRow(0, 0));
  EXPECT_EQ(MSOfflineManageViewController::kWifiText, wifiCell->textLabel()->text());
  // Its two lines part where its phrases meet: the condition, then what it allows.
  const ui::Label& wifiLabel = *wifiCell->textLabel();
  EXPECT_EQ((std::vector<std::string>{"只允许WiFi网络", "进行离线下载"}),
            ui::TextMetrics::current().lines(wifiLabel.text(), wifiLabel.font(),
                                             ui::Size{wifiLabel.bounds().width(), wifiLabel.bounds().height()},
                                             wifiLabel.lineBreakMode()));
  for (int row = 0; row < 3; ++row) {
    auto control = switchAt(row, 1);
    ASSERT_TRUE(control);
    EXPECT_EQ(10 + row, control->tag());
    EXPECT_TRUE(control->isOn());
  }
  // All on: only all-off is enabled, and the greyed all-on word reads on its faded face. One
  // switched off: both.
  EXPECT_FALSE(openAllEnabled());
  EXPECT_TRUE(closeAllEnabled());
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("offline-switches-all-on"));
  flip(*switchAt(1, 1));
  EXPECT_EQ(std::vector<std::string>{"c1 off"}, engine_->changes);
  EXPECT_TRUE(openAllEnabled());
  EXPECT_TRUE(closeAllEnabled());
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("offline-switches"));
  // Rows cannot be selected.
  EXPECT_FALSE(screen_->willSelectRow(table, ui::IndexPath::forRow(0, 1)));

  // The WiFi switch stores the opposite.
  flip(*wifi);
  EXPECT_TRUE(engine_->allowUnder3g);
  flip(*wifi);
  EXPECT_FALSE(engine_->allowUnder3g);

  // All off: the visible switches follow, the engine is told, and only all-on is enabled.
  screen_->closeAllButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ("all off", engine_->changes.back());
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(switchAt(row, 1)->isOn());
  EXPECT_TRUE(openAllEnabled());
  EXPECT_FALSE(closeAllEnabled());
  EXPECT_TRUE(wifi->isOn());  // not a column switch
  // The greyed all-off word reads at the disabled bar on its faded face.
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("offline-switches-all-off"));
}

// By night the all-off button wears the night skin's dark face: its word is light on it (the
// picture's audit measures both buttons' words).
TEST_F(OfflineSwitchesTest, ByNightBothButtonsWordsRead) {
  testing::NightLook night;
  engine_->on = {{"c0", true}, {"c1", false}};
  open(2);
  ASSERT_TRUE(openAllEnabled());
  ASSERT_TRUE(closeAllEnabled());
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("offline-switches-night"));
  // Once every column is off, the greyed all-off word still reads at the disabled bar.
  screen_->closeAllButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_FALSE(closeAllEnabled());
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("offline-switches-night-all-off"));
  screen_->openAllButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_FALSE(openAllEnabled());
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("offline-switches-night-all-on"));
}

TEST_F(OfflineSwitchesTest, AnIpodTouchHasOnlyTheColumnsSection) {
  engine_->itouch = true;
  engine_->on = {{"c0", true}};
  open(2);
  ui::TableView& table = *screen_->tableView();
  EXPECT_EQ(1, table.numberOfSections());
  EXPECT_EQ(2, table.numberOfRowsInSection(0));
  EXPECT_EQ(10, switchAt(0, 0)->tag());
  EXPECT_TRUE(switchAt(0, 0)->isOn());
  EXPECT_FALSE(switchAt(1, 0)->isOn());
  flip(*switchAt(1, 0));
  EXPECT_EQ(std::vector<std::string>{"c1 on"}, engine_->changes);
  // The device is read once, when the view loads.
  engine_->itouch = false;
  screen_->viewWillAppear(false);
  answer(2);
  EXPECT_EQ(1, table.numberOfSections());
}

TEST_F(OfflineSwitchesTest, SettingAllReachesRowsOutOfSightWhenTheyComeBack) {
  for (int i = 0; i < 20; ++i) engine_->on["c" + std::to_string(i)] = i % 2 == 0;
  open(20);
  ui::TableView& table = *screen_->tableView();
  EXPECT_FALSE(table.cellForRow(ui::IndexPath::forRow(19, 1)));  // out of sight
  screen_->allopenButtonPressedAction();
  EXPECT_EQ("all on", engine_->changes.back());
  EXPECT_TRUE(switchAt(0, 1)->isOn());
  EXPECT_FALSE(openAllEnabled());
  table.setContentOffset(ui::Point(0, table.contentSize().height - table.bounds().size.height));
  window_->layoutIfNeeded();
  auto last = switchAt(19, 1);
  ASSERT_TRUE(last);
  EXPECT_TRUE(last->isOn());
  EXPECT_EQ(29, last->tag());
}

TEST_F(OfflineSwitchesTest, StaleSwitchesAndTasksChangeNothingAndErrorsShowUnlessCancelled) {
  engine_->on = {{"c0", false}, {"c1", false}, {"c2", false}};
  open(3);
  auto third = switchAt(2, 1);
  ASSERT_TRUE(third);
  // The next appearance lists one column: the third row's switch no longer names a column.
  screen_->viewWillAppear(false);
  answer(1);
  third->setTag(12);
  third->setOn(true);
  screen_->offlineSwitchValueChangedAction(*third);
  EXPECT_TRUE(engine_->changes.empty());
  // The earlier task's late list is not taken.
  answer(5, 0);
  EXPECT_EQ(1u, screen_->subscribedColumns().size());

  finish(-6);
  EXPECT_EQ(0u, alertCount());
  screen_->viewWillAppear(false);
  finish(-3);
  EXPECT_EQ(1u, alertCount());
}

}  // namespace
}  // namespace zu
