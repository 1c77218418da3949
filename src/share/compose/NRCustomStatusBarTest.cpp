#include "share/compose/NRCustomStatusBar.h"

#include <gtest/gtest.h>

#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "shell/app/ShellTestSupport.h"

namespace zu {
namespace {

class NRCustomStatusBarTest : public testing::ShellFixture {
 protected:
  void TearDown() override {
    NRCustomStatusBar::hide();
    testing::ShellFixture::TearDown();
  }
  static bool isBlack(uint32_t pixel) { return pixel == 0xFF000000u; }
};

TEST_F(NRCustomStatusBarTest, LifeCycleOfTheSharedOverlay) {
  // Hiding with no overlay does nothing.
  NRCustomStatusBar::hide();
  EXPECT_EQ(nullptr, NRCustomStatusBar::shared());

  // A nil message makes the overlay but leaves it hidden, framed to the bar above everything
  // at the bar's level.
  NRCustomStatusBar::showWithStatusMessage(std::nullopt);
  auto first = NRCustomStatusBar::shared();
  ASSERT_NE(nullptr, first);
  EXPECT_TRUE(first->isHidden());
  EXPECT_EQ(ui::kWindowLevelStatusBar + 1, first->windowLevel());
  EXPECT_EQ(ui::Rect(0, 0, 320, 20), first->frame());
  EXPECT_EQ(ui::Rect(2, 3, 14, 14), first->indicator()->frame());
  EXPECT_EQ(ui::Rect(0, 0, 320, 20), first->statusLabel()->frame());
  EXPECT_FALSE(first->indicator()->isAnimating());

  // Two messages in a row: the second shows, the spinner runs, the same window.
  NRCustomStatusBar::showWithStatusMessage("新浪微博分享成功");
  NRCustomStatusBar::showWithStatusMessage("腾讯微博分享失败");
  EXPECT_EQ(first, NRCustomStatusBar::shared());
  EXPECT_FALSE(first->isHidden());
  EXPECT_EQ("腾讯微博分享失败", first->statusLabel()->text());
  EXPECT_TRUE(first->indicator()->isAnimating());
  EXPECT_FALSE(first->indicator()->isHidden());
  // A later nil message changes nothing.
  NRCustomStatusBar::showWithStatusMessage(std::nullopt);
  EXPECT_EQ("腾讯微博分享失败", first->statusLabel()->text());
  EXPECT_FALSE(first->isHidden());

  NRCustomStatusBar::hide();
  EXPECT_EQ(nullptr, NRCustomStatusBar::shared());
  EXPECT_TRUE(first->isHidden());
  EXPECT_FALSE(first->indicator()->isAnimating());

  // The next message makes a new overlay, framed to the bar of that moment.
  ui::Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kPortraitUpsideDown);
  NRCustomStatusBar::showWithStatusMessage("人人网分享成功");
  auto second = NRCustomStatusBar::shared();
  ASSERT_NE(nullptr, second);
  EXPECT_NE(first, second);
  EXPECT_EQ(ui::Rect(0, 460, 320, 20), second->frame());
}

TEST_F(NRCustomStatusBarTest, CoversTheStatusBarWithWhiteText) {
  auto content = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  content->setBackgroundColor(ui::Color::whiteColor());
  content->makeKeyAndVisible();

  auto before = ui::renderScreen();
  ASSERT_NE(nullptr, before);
  EXPECT_FALSE(isBlack(before->pixelAt(300, 10)));

  NRCustomStatusBar::showWithStatusMessage("新浪微博分享成功");
  auto shown = ui::renderScreen();
  ASSERT_NE(nullptr, shown);
  ASSERT_TRUE(ui::ContrastAudit::writeScreen(*shown, "status-overlay"));
  // The strip is black edge to edge over the bar, the page below it untouched.
  EXPECT_TRUE(isBlack(shown->pixelAt(300, 10)));
  EXPECT_TRUE(isBlack(shown->pixelAt(1, 19)));
  EXPECT_EQ(0xFFFFFFFFu, shown->pixelAt(160, 100));
  // White text lies in the middle of the strip, none at its ends.
  int light = 0;
  for (int x = 110; x < 210; ++x) {
    for (int y = 4; y < 16; ++y) light += (shown->pixelAt(x, y) & 0xFF) > 0xC0;
  }
  EXPECT_GT(light, 20);

  NRCustomStatusBar::hide();
  auto after = ui::renderScreen();
  EXPECT_FALSE(isBlack(after->pixelAt(300, 10)));
}

}  // namespace
}  // namespace zu
