// The font settings screen and the font pack download flow, with the engine's task scripted, on
// a fake clock.
#include "settings/fonts/MoreSettingsFontViewController.h"

#include <gtest/gtest.h>

#include <utility>

#include "engine/core/DESettings.h"
#include "engine/core/TaskEngine.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/TableViewCell.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/feedback/FeedbackTestSupport.h"
#include "settings/fonts/MSFontDownload.h"
#include "settings/progress/PBProgressBar.h"
#include "settings/progress/ProgressTestSupport.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/MSFontStyle.h"
#include "shell/app/MSSettings.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

using testing::postFontProgress;
using testing::postStatus;

constexpr int kSong = 0;
constexpr int kHei = 1;

class FontScreenTest : public testing::ProgressFlowFixture {
 protected:
  void SetUp() override {
    ProgressFlowFixture::SetUp();
    stage_ = std::make_unique<testing::NavigationStage>();
    NotificationCenter::defaultCenter().add(MSFontDownload::kDownloadedNotification, this, [this](const Notification&) {
      // Posted before the style is stored.
      styleWhenNotified_.push_back(MSFontStyle::currentFontStyle());
    });
  }
  void TearDown() override {
    screen_.reset();
    stage_.reset();
    ProgressFlowFixture::TearDown();
  }
  void open() {
    screen_ = std::make_shared<MoreSettingsFontViewController>();
    screen_->setEngine(engine_);
    stage_->navigation->pushViewController(screen_, false);
    stage_->window->layoutIfNeeded();
    settle(1);
  }
  std::shared_ptr<ui::TableViewCell> cell(int64_t section, int64_t row) {
    stage_->window->layoutIfNeeded();
    return screen_->fontsTableView()->cellForRow(ui::IndexPath::forRow(row, section));
  }
  // The rows of a section that carry the check mark.
  std::vector<int> checked(int64_t section) {
    std::vector<int> rows;
    const int count = static_cast<int>(screen_->numberOfRowsInSection(*screen_->fontsTableView(), section));
    for (int row = 0; row < count; ++row) {
      auto shown = cell(section, row);
      if (shown && shown->accessoryView()) rows.push_back(row);
    }
    return rows;
  }
  void select(int64_t section, int64_t row) {
    screen_->didSelectRow(*screen_->fontsTableView(), ui::IndexPath::forRow(row, section));
  }
  std::shared_ptr<PBProgressModalView> board() {
    auto download = MSFontDownload::current();
    return download ? download->progressModalView() : nullptr;
  }
  void snapshot(const std::string& name) {
    auto image = ui::renderScreen();
    ASSERT_TRUE(image);
    EXPECT_TRUE(ui::ContrastAudit::writeScreen(*image, name).has_value());
  }

  std::unique_ptr<testing::NavigationStage> stage_;
  std::shared_ptr<MoreSettingsFontViewController> screen_;
  std::vector<int> styleWhenNotified_;
};

TEST_F(FontScreenTest, TheStoredChoicesAreCheckedAndSizesStoredAtOnce) {
  DESettings::setFondSize(1);
  EXPECT_EQ("黑体，普通", MoreSettingsFontViewController::fontDescription());
  open();
  EXPECT_EQ("字体设置", NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*screen_->navigationItem()));
  EXPECT_TRUE(screen_->navigationItem()->hidesBackButton());
  ASSERT_TRUE(screen_->navigationItem()->leftBarButtonItem());
  auto& table = *screen_->fontsTableView();
  EXPECT_EQ(2, screen_->numberOfSections(table));
  EXPECT_EQ(2, screen_->numberOfRowsInSection(table, 0));
  EXPECT_EQ(4, screen_->numberOfRowsInSection(table, 1));
  EXPECT_EQ(39.f, screen_->heightForHeaderInSection(table, 0));
  EXPECT_EQ(10.f, screen_->heightForHeaderInSection(table, 1));
  EXPECT_EQ("宋体", cell(0, 0)->detailTextLabel()->text());
  EXPECT_EQ("极大", cell(1, 3)->detailTextLabel()->text());
  EXPECT_EQ(std::vector<int>{kHei}, checked(0));  // nothing stored: "黑体"
  EXPECT_EQ(std::vector<int>{1}, checked(1));
  snapshot("fonts");

  select(1, 3);
  EXPECT_EQ(3, DESettings::getFondSize());
  EXPECT_EQ(std::vector<int>{3}, checked(1));
  EXPECT_EQ("黑体，极大", MoreSettingsFontViewController::fontDescription());
  select(0, kHei);  // "黑体" never downloads
  EXPECT_TRUE(engine_->tasks.empty());
  EXPECT_EQ(0u, alertCount());
  EXPECT_EQ(kHei, MSFontStyle::currentFontStyle());

  // A pack already on the device: "宋体" is stored at once.
  engine_->downloaded["宋体"] = true;
  select(0, kSong);
  EXPECT_EQ(0u, alertCount());
  EXPECT_EQ(kSong, MSFontStyle::currentFontStyle());
  EXPECT_EQ(std::vector<int>{kSong}, checked(0));
  EXPECT_EQ("宋体，极大", MoreSettingsFontViewController::fontDescription());

  // A stored size beyond the table is clamped for the marks and the text.
  DESettings::setFondSize(7);
  stage_->navigation->popViewController(false);
  stage_->navigation->pushViewController(screen_, false);
  EXPECT_EQ(3, screen_->currentSizeCheck());
  EXPECT_EQ(std::vector<int>{3}, checked(1));
  DESettings::setFondSize(-2);
  EXPECT_EQ("宋体，小", MoreSettingsFontViewController::fontDescription());
}

// By night the check marks of the stored choices stand out from the dark rows.
TEST_F(FontScreenTest, ByNightTheCheckMarksStandOutFromTheRows) {
  testing::NightLook night;
  DESettings::setFondSize(1);
  open();
  // The tab's navigation bar is dressed in the current skin, as the application's is.
  NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*stage_->navigation);
  stage_->window->layoutIfNeeded();
  const auto picture = ui::renderScreen();
  ASSERT_TRUE(picture);
  for (const auto& [section, row] : {std::pair<int64_t, int64_t>{0, kHei}, {1, 1}}) {
    auto mark = cell(section, row)->accessoryView();
    ASSERT_TRUE(mark);
    EXPECT_GE(ui::ContrastAudit::markContrast(*picture, mark->convertRectTo(mark->bounds(), nullptr)), 3.f)
        << section << "," << row;
  }
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*picture, "fonts-night").has_value());
}

TEST_F(FontScreenTest, SongAsksFirstAndIsStoredOnlyAfterItsPackArrived) {
  open();
  // Declined: nothing stored, nothing run.
  select(0, kSong);
  ASSERT_EQ(1u, alertCount());
  auto offer = topAlert();
  EXPECT_EQ(MSFontDownload::kAlertTitle, offer->title());
  EXPECT_EQ(MSFontDownload::kAlertMessage, offer->message());
  EXPECT_EQ(std::vector<std::string>({"暂时不", "确定下载"}), offer->buttonTitles());
  // Repeated taps while the offer shows start nothing more.
  select(0, kSong);
  EXPECT_EQ(1u, alertCount());
  ASSERT_TRUE(offer->clickButtonTitled("暂时不"));
  settle(1);
  EXPECT_FALSE(MSFontDownload::current());
  EXPECT_TRUE(engine_->tasks.empty());
  EXPECT_EQ(0, MSSettings::valueForFontStyle());
  EXPECT_EQ(kHei, MSFontStyle::currentFontStyle());

  // Accepted: the board shows the download's progress; the style is stored after the notice.
  select(0, kSong);
  ASSERT_TRUE(topAlert()->clickButtonTitled("确定下载"));
  settle(0.5);
  ASSERT_EQ(1u, engine_->ran.size());
  EXPECT_EQ("font:宋体", engine_->last()->what);
  ASSERT_TRUE(board());
  EXPECT_EQ("正在下载字体包：宋体", board()->statusLabel()->text());
  EXPECT_EQ(0.f, board()->progressBar()->progress());
  select(0, kSong);  // a tap during the download starts nothing
  EXPECT_EQ(1u, engine_->tasks.size());
  EXPECT_EQ(0u, alertCount());
  postFontProgress(engine_->last(), 0, 0);
  EXPECT_EQ(0.f, board()->progressBar()->progress());
  postFontProgress(engine_->last(), 3 * 1024, 8 * 1024);
  EXPECT_EQ(0.375f, board()->progressBar()->progress());
  snapshot("font-download");
  EXPECT_EQ(kHei, MSFontStyle::currentFontStyle());

  auto shown = board();
  postStatus(engine_->last(), 0);
  EXPECT_EQ(std::vector<int>{kHei}, styleWhenNotified_);
  EXPECT_EQ(kSong, MSFontStyle::currentFontStyle());
  EXPECT_EQ("下载完成", shown->statusLabel()->text());
  EXPECT_EQ(1.f, shown->progressBar()->progress());
  EXPECT_FALSE(MSFontDownload::current());
  EXPECT_FALSE(shown->backWindow()->isHidden());  // fading out over 1.8 s
  // The notice came before the style was stored; the mark follows the stored style on the
  // loop's next turn, without the screen having to appear again.
  settle(0);
  EXPECT_EQ(std::vector<int>{kSong}, checked(0));
  EXPECT_EQ("宋体，小", MoreSettingsFontViewController::fontDescription());
  std::weak_ptr<PBProgressModalView> weak = shown;
  shown.reset();
  settle(1.8);
  EXPECT_TRUE(weak.expired());
  snapshot("font-downloaded");
}

TEST_F(FontScreenTest, ACancelledOrFailedDownloadStoresNothing) {
  open();
  select(0, kSong);
  ASSERT_TRUE(topAlert()->clickButtonTitled("确定下载"));
  settle(0.5);
  auto shown = board();
  ASSERT_TRUE(shown);
  const ui::Point button = shown->cancelButton()->convertPointTo(ui::Point{30, 20}, shown->backWindow().get());
  shown->backWindow()->tap(button);
  ASSERT_EQ(1u, engine_->cancelled.size());
  EXPECT_EQ("取消下载", shown->statusLabel()->text());
  postStatus(engine_->last(), -6);
  EXPECT_EQ("取消下载", shown->statusLabel()->text());
  EXPECT_FALSE(MSFontDownload::current());
  EXPECT_TRUE(styleWhenNotified_.empty());
  EXPECT_EQ(kHei, MSFontStyle::currentFontStyle());
  EXPECT_EQ(0u, alertCount());  // a cancel shows no error
  shown.reset();
  settle(2);

  // Failed: the board goes at once and the tip shows the code.
  select(0, kSong);
  ASSERT_TRUE(topAlert()->clickButtonTitled("确定下载"));
  settle(0.5);
  shown = board();
  ASSERT_TRUE(shown);
  postStatus(engine_->last(), -5002, std::string("文件MD5错误"));
  EXPECT_EQ("下载出错", shown->statusLabel()->text());
  EXPECT_TRUE(shown->backWindow()->isHidden());
  EXPECT_FALSE(shown->isHoldingItself());
  EXPECT_FALSE(MSFontDownload::current());
  EXPECT_TRUE(styleWhenNotified_.empty());
  EXPECT_EQ(kHei, MSFontStyle::currentFontStyle());
  ASSERT_EQ(1u, alertCount());
  EXPECT_EQ(ErrorTips::getTipForError(-5002, std::string("文件MD5错误"), std::string(" ")), topAlert()->message());

  // An engine that makes no task: no board, nothing stored, the flow over.
  topAlert()->dismissWithClickedButtonIndex(0, false);
  engine_->makesTasks = false;
  select(0, kSong);
  ASSERT_TRUE(topAlert()->clickButtonTitled("确定下载"));
  settle(0.5);
  EXPECT_FALSE(MSFontDownload::current());
  EXPECT_EQ(kHei, MSFontStyle::currentFontStyle());
  EXPECT_EQ(1u, alertCount());  // the tip
}

}  // namespace
}  // namespace zu
