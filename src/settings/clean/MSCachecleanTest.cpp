// A cleaning's board, texts, end notification and life, with the engine's task scripted, on a
// fake clock.
#include "settings/clean/MSCacheclean.h"

#include <gtest/gtest.h>

#include "engine/core/TaskEngine.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "shell/app/NightLookForTesting.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/progress/PBProgressBar.h"
#include "settings/progress/ProgressTestSupport.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

using testing::postCleaning;
using testing::postStatus;

constexpr int64_t kMB = 1024 * 1024;

class CacheCleanTest : public testing::ProgressFlowFixture {
 protected:
  void SetUp() override {
    ProgressFlowFixture::SetUp();
    window_->makeKeyAndVisible();
    NotificationCenter::defaultCenter().add(MSCacheclean::kEndNotification, this, [this](const Notification& n) {
      ++ends_;
      EXPECT_TRUE(n.object.isNull());
    });
  }
  std::shared_ptr<MSCacheclean> start(int type) {
    cleaner_ = MSCacheclean::clean(type, engine_);
    return cleaner_.lock();
  }
  std::string status() const {
    auto cleaner = cleaner_.lock();
    return cleaner && cleaner->progressModalView() ? cleaner->progressModalView()->statusLabel()->text() : "";
  }

  std::shared_ptr<ui::Window> window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  std::weak_ptr<MSCacheclean> cleaner_;
  int ends_ = 0;
};

TEST_F(CacheCleanTest, SizeTextsSwitchFromTenthsToWholeMegabytesAtTen) {
  EXPECT_EQ("9.0MB", MSCacheclean::cacheSizeStringWithSize(9 * kMB));
  EXPECT_EQ("0KB", MSCacheclean::cacheSizeStringWithSize(1023));
  EXPECT_EQ("1023KB", MSCacheclean::cacheSizeStringWithSize(kMB - 1));
  EXPECT_EQ("1.0MB", MSCacheclean::cacheSizeStringWithSize(kMB));
  EXPECT_EQ("10.0MB", MSCacheclean::cacheSizeStringWithSize(10485759));
  EXPECT_EQ("10MB", MSCacheclean::cacheSizeStringWithSize(10485760));
  EXPECT_EQ("10MB", MSCacheclean::cacheSizeStringWithSize(11 * kMB - 1));
  EXPECT_EQ("8192MB", MSCacheclean::cacheSizeStringWithSize(8192 * kMB));
}

// The cleaning board by night reads as by day.
TEST_F(CacheCleanTest, ByNightTheBoardReads) {
  testing::NightLook night;
  engine_->normalSize = 20 * kMB;
  ASSERT_TRUE(start(MSCacheclean::kNormalCache));
  postCleaning(engine_->last(), 200, 100);
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("clean-board-night"));
  // The cleaning ends and its board fades away before the next test.
  postStatus(engine_->last(), 0);
  EXPECT_EQ(1, ends_);
  settle(2);
}

TEST_F(CacheCleanTest, ACleaningShowsWhatItFreedFinishesFadesAndLetsGo) {
  engine_->normalSize = 20 * kMB;
  {
    auto cleaner = start(MSCacheclean::kNormalCache);
    ASSERT_TRUE(cleaner);
    EXPECT_EQ(20 * kMB, cleaner->initSize());
    ASSERT_EQ(1u, engine_->ran.size());
    EXPECT_EQ("clean-normal", engine_->last()->what);
    ASSERT_TRUE(cleaner->progressModalView());
    EXPECT_TRUE(cleaner->progressModalView()->isShowing());
  }
  EXPECT_EQ("正在清理", status());
  postCleaning(engine_->last(), 200, 100);
  auto board = cleaner_.lock()->progressModalView();
  EXPECT_EQ(0.5f, board->progressBar()->progress());
  EXPECT_EQ("正在清理，已释放空间：10MB", status());
  auto image = ui::renderScreen();
  ASSERT_TRUE(image);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*image, "clean-board-half").has_value());
  // The bar's done part and its rest are drawn differently, on either side of the middle.
  const ui::Rect bar = board->progressBar()->convertRectTo(board->progressBar()->bounds(), nullptr);
  const int y = static_cast<int>(bar.midY());
  EXPECT_NE(image->pixelAt(static_cast<int>(bar.minX() + bar.size.width / 4), y),
            image->pixelAt(static_cast<int>(bar.minX() + bar.size.width * 3 / 4), y));

  // A report without a total is no progress; one past its total fills the bar but frees no more
  // than the cache held.
  postCleaning(engine_->last(), 0, 0);
  EXPECT_EQ(0.f, board->progressBar()->progress());
  EXPECT_EQ("正在清理，已释放空间：0KB", status());
  postCleaning(engine_->last(), 10, 30);
  EXPECT_EQ(1.f, board->progressBar()->progress());
  EXPECT_EQ("正在清理，已释放空间：20MB", status());

  postStatus(engine_->last(), 0);
  EXPECT_EQ("清理完成", board->statusLabel()->text());
  EXPECT_EQ(1.f, board->progressBar()->progress());
  EXPECT_EQ(1, ends_);
  EXPECT_TRUE(cleaner_.expired());  // the cleaning let go; the board fades on its own
  std::weak_ptr<PBProgressModalView> weakBoard = board;
  board.reset();
  settle(1.7);
  ASSERT_FALSE(weakBoard.expired());
  EXPECT_FALSE(weakBoard.lock()->backWindow()->isHidden());
  settle(0.1);
  EXPECT_TRUE(weakBoard.expired());
  EXPECT_EQ(window_, ui::Application::shared().visibleWindows().back());
}

TEST_F(CacheCleanTest, CancelledAndFailedCleaningsStillPostTheirEnd) {
  engine_->offdownSize = 3 * kMB;
  auto cleaner = start(MSCacheclean::kOffdownCache);
  ASSERT_TRUE(cleaner);
  EXPECT_EQ("clean-offdown", engine_->last()->what);
  EXPECT_EQ(3 * kMB, cleaner->initSize());
  auto board = cleaner->progressModalView();
  cleaner.reset();
  // The board's button: the cleaning is cancelled through the engine; a second press reaches
  // nothing.
  const ui::Point button = board->cancelButton()->convertPointTo(ui::Point{30, 20}, board->backWindow().get());
  board->backWindow()->tap(button);
  board->backWindow()->tap(button);
  ASSERT_EQ(1u, engine_->cancelled.size());
  EXPECT_EQ(engine_->last(), engine_->cancelled[0]);
  EXPECT_EQ("取消清理", status());
  EXPECT_EQ(0, ends_);
  // The engine ends the cancelled task normally: the text stays "取消清理".
  postStatus(engine_->last(), 0);
  EXPECT_EQ("取消清理", board->statusLabel()->text());
  EXPECT_EQ(1, ends_);
  EXPECT_TRUE(cleaner_.expired());
  board.reset();
  settle(2);

  // Refused because another cleaning runs (-8): a failure like any other.
  start(MSCacheclean::kNormalCache);
  board = cleaner_.lock()->progressModalView();
  postStatus(engine_->last(), -8);
  EXPECT_EQ("清理出错", board->statusLabel()->text());
  EXPECT_EQ(2, ends_);
  EXPECT_TRUE(cleaner_.expired());
  EXPECT_TRUE(ui::AlertRegistry::shared().shown().empty());  // no alert for a failed cleaning
  board.reset();
  settle(2);
  EXPECT_EQ(window_, ui::Application::shared().visibleWindows().back());
}

TEST_F(CacheCleanTest, AnUnknownTypeOrNoTaskEndsAtOnceWithoutABoard) {
  EXPECT_FALSE(start(10002));
  EXPECT_TRUE(engine_->tasks.empty());
  engine_->makesTasks = false;
  EXPECT_FALSE(start(MSCacheclean::kNormalCache));
  EXPECT_TRUE(engine_->ran.empty());
  EXPECT_EQ(window_, ui::Application::shared().visibleWindows().back());
  EXPECT_EQ(0, ends_);
}

}  // namespace
}  // namespace zu
