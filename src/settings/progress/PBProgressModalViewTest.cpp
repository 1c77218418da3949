// The progress bar's clamping and pictures, and the progress board's window, hold, fade and
// cancel button, on a fake clock.
#include "settings/progress/PBProgressModalView.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/progress/PBProgressBar.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

class CountingBoardDelegate : public PBProgressModalViewDelegate {
 public:
  void progressModalViewCancelButtonPressed(PBProgressModalView&) override { ++presses; }
  int presses = 0;
};

class ProgressBoardTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    SettingsNibs::registerNibs();
    window_->makeKeyAndVisible();
  }
  // A tap on the board's cancel button through the board's window, as a finger gives it.
  static void tapCancel(PBProgressModalView& board) {
    const auto& button = board.cancelButton();
    const ui::Point centre = button->convertPointTo(ui::Point{30, 20}, board.backWindow().get());
    board.backWindow()->tap(centre);
  }

  std::shared_ptr<ui::Window> window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
};

TEST_F(ProgressBoardTest, TheBarClampsItsProgressAndStretchesTheMiddleOfItsPictures) {
  auto bar = std::make_shared<PBProgressBar>(ui::Rect(0, 0, 200, 8));
  auto doneWidth = [&] { return bar->progressImageView()->frame().size.width; };
  EXPECT_EQ(0, doneWidth());
  bar->setProgress(1.5f);
  EXPECT_EQ(1.f, bar->progress());
  EXPECT_EQ(200, doneWidth());
  bar->setProgress(-0.2f);
  EXPECT_EQ(0.f, bar->progress());
  EXPECT_EQ(0, doneWidth());
  bar->setProgress(NAN);
  EXPECT_EQ(0.f, bar->progress());
  EXPECT_EQ(0, doneWidth());
  // The done part follows the bar's width; the background fills the bar.
  bar->setProgress(0.25f);
  EXPECT_EQ(50, doneWidth());
  bar->setFrame(ui::Rect(0, 0, 400, 8));
  bar->layoutIfNeeded();
  EXPECT_EQ(100, doneWidth());
  EXPECT_EQ(ui::Rect(0, 0, 400, 8), bar->backgroundImageView()->frame());

  // A 40-point picture stretches its middle half; the background keeps caps of 20 and 3.
  auto picture = ui::Image::create(40, 8);
  bar->setProgressImage(picture);
  bar->setBackgroundImage(picture);
  EXPECT_EQ(ui::Rect(0.25f, 0, 0.5f, 1), bar->progressImageView()->contentStretch());
  EXPECT_EQ(ui::Rect(0.25f, 0, 0.5f, 1), bar->backgroundImageView()->contentStretch());
  ASSERT_TRUE(bar->backgroundImage());
  EXPECT_EQ(20, bar->backgroundImage()->leftCapWidth());
  EXPECT_EQ(3, bar->backgroundImage()->topCapHeight());
  EXPECT_EQ(picture, bar->progressImage());
  // The skin's pictures are 20 points wide, too narrow for those caps: their middle point
  // stretches, and the background's cap is its middle too.
  EXPECT_EQ(ui::Rect(0.45f, 0, 0.05f, 1), PBProgressBar::contentStretchFor(20));
  EXPECT_EQ(9, PBProgressBar::leftCapFor(20));
  EXPECT_EQ(20, PBProgressBar::leftCapFor(21));
  EXPECT_EQ(0, PBProgressBar::leftCapFor(1));
  // No picture (or one without width) keeps the whole picture stretching: no division by 0.
  bar->setProgressImage(nullptr);
  EXPECT_EQ(ui::Rect(0, 0, 1, 1), bar->progressImageView()->contentStretch());
  EXPECT_EQ(ui::Rect(0, 0, 1, 1), PBProgressBar::contentStretchFor(0));
  EXPECT_EQ(ui::Rect(0, 0, 1, 1), PBProgressBar::contentStretchFor(NAN));
}

TEST_F(ProgressBoardTest, TheBoardCoversTheScreenHoldsItselfAndFadesOutOverItsDuration) {
  auto delegate = std::make_shared<CountingBoardDelegate>();
  std::weak_ptr<PBProgressModalView> weak;
  {
    auto board = PBProgressModalView::create(delegate);
    weak = board;
    // Set before showing: shown by show().
    board->setProgress(0.5f);
    board->setStatusString(std::string("正在清理"));
    board->show();
    ASSERT_TRUE(board->backWindow());
    EXPECT_EQ(ui::Rect(0, 0, 768, 1024), board->backWindow()->frame());
    EXPECT_FALSE(board->backWindow()->isHidden());
    EXPECT_EQ(board->backWindow(), ui::Application::shared().visibleWindows().back());
    EXPECT_EQ("正在清理", board->statusLabel()->text());
    EXPECT_EQ(0.5f, board->progressBar()->progress());
    EXPECT_EQ(NRSkinManager::sharedManager().colorWithCodeName("colorKdmsCellTitle"), board->statusLabel()->textColor());
    EXPECT_TRUE(board->cancelButton()->backgroundImageForState(ui::kControlStateNormal));
    EXPECT_TRUE(board->backgroundBoard()->image());
  }
  // Its maker let go: the board holds itself while it shows.
  ASSERT_FALSE(weak.expired());
  weak.lock()->dismiss();
  weak.lock()->dismiss();  // no longer showing: nothing more
  settle(1.7);
  ASSERT_FALSE(weak.expired());
  EXPECT_FALSE(weak.lock()->backWindow()->isHidden());
  EXPECT_EQ(0.f, weak.lock()->view()->alpha());  // the model value at once, the fade recorded
  settle(0.1);
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(window_, ui::Application::shared().visibleWindows().back());
  EXPECT_EQ(0, delegate->presses);

  // At once: hidden and freed without the clock.
  auto instant = PBProgressModalView::create(delegate);
  std::weak_ptr<PBProgressModalView> instantWeak = instant;
  instant->show();
  instant.reset();
  instantWeak.lock()->dismissInstantly();
  EXPECT_TRUE(instantWeak.expired());
}

// The skin's board at half way: an opaque board, a bar with round ends over a track that runs to
// the bar's end; once it is dismissed the cancel button is gone.
TEST_F(ProgressBoardTest, TheBoardDrawsARoundEndedBarOnItsTrackAndOffersNoCancelOnceOver) {
  // A black screen behind: none of it shows through the board.
  window_->setBackgroundColor(ui::Color::blackColor());
  auto board = PBProgressModalView::create({});
  board->setProgress(0.5f);
  board->setStatusString(std::string("正在下载字体包：宋体"));
  board->show();
  auto image = ui::renderScreen();
  ASSERT_TRUE(image);
  EXPECT_TRUE(ui::writeSnapshot(*image, "progress-board-half").has_value());
  const ui::Rect bar = board->progressBar()->convertRectTo(board->progressBar()->bounds(), nullptr);
  auto at = [&](float x, float y) { return image->pixelAt(static_cast<int>(x), static_cast<int>(y)); };
  const float top = bar.minY() + 1, middle = bar.midY();
  // The done part is as high 3 points from its start as in its middle, and so is the track 3
  // points before the bar's end (a drawn-out picture tapers to a point there).
  EXPECT_EQ(at(bar.minX() + bar.size.width / 4, top), at(bar.minX() + 3, top));
  EXPECT_EQ(at(bar.minX() + bar.size.width / 4, middle), at(bar.minX() + 3, middle));
  EXPECT_EQ(at(bar.minX() + bar.size.width * 3 / 4, top), at(bar.maxX() - 4, top));
  EXPECT_NE(at(bar.minX() + bar.size.width / 4, middle), at(bar.minX() + bar.size.width * 3 / 4, middle));
  const ui::Rect plate = board->backgroundBoard()->convertRectTo(board->backgroundBoard()->bounds(), nullptr);
  EXPECT_EQ(0xfff8f8f8u, at(plate.minX() + 6, plate.midY()));
  EXPECT_EQ(0xfff8f8f8u, at(plate.maxX() - 6, plate.maxY() - 6));
  // The track differs from the board around it.
  EXPECT_NE(at(bar.minX() + bar.size.width * 3 / 4, middle), at(bar.minX() + bar.size.width * 3 / 4, bar.minY() - 6));
  EXPECT_FALSE(board->cancelButton()->isHidden());

  board->setProgress(1);
  board->setStatusString(std::string("下载完成"));
  board->dismiss();
  EXPECT_TRUE(board->cancelButton()->isHidden());
  settle(1.8);
  EXPECT_TRUE(board->backWindow()->isHidden());
  // Shown again, it offers its cancel again.
  board->show();
  EXPECT_FALSE(board->cancelButton()->isHidden());
  board->dismissInstantly();
}

TEST_F(ProgressBoardTest, ASecondCancelReachesNothingAndTheFlowsDismissAfterItDoesNothing) {
  auto delegate = std::make_shared<CountingBoardDelegate>();
  auto board = PBProgressModalView::create(delegate);
  board->show();
  tapCancel(*board);
  EXPECT_EQ(1, delegate->presses);
  EXPECT_FALSE(board->isShowing());
  tapCancel(*board);
  board->cancelButtonAction();
  EXPECT_EQ(1, delegate->presses);
  board->dismiss();  // the flow's own, after the cancel: the 1.0 s fade stands
  settle(1.0);
  EXPECT_TRUE(board->backWindow()->isHidden());
  EXPECT_FALSE(board->isHoldingItself());
  // Shown again, it takes touches again.
  board->show();
  tapCancel(*board);
  EXPECT_EQ(2, delegate->presses);
  settle(1.0);
  // Without a delegate a press still closes the board.
  auto alone = PBProgressModalView::create({});
  alone->show();
  tapCancel(*alone);
  EXPECT_FALSE(alone->isShowing());
  settle(1.0);
  EXPECT_TRUE(alone->backWindow()->isHidden());
}

}  // namespace
}  // namespace zu
