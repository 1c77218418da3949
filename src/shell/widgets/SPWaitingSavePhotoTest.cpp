#include "shell/widgets/SPWaitingSavePhoto.h"

#include <gtest/gtest.h>

#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "shell/widgets/CustomLoadingView.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

class WaitingIndicatorTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SPWaitingSavePhoto::resign();
    ui::Animations::setEnabled(true);
    ui::AnimationLog::shared().clear();
    ui::Application::shared().resetForTesting();
    ui::NibRegistry::shared().resetForTesting();
  }
  void advance(double seconds) {
    clock_->advance(seconds);
    runDueMainLoopTasks();
  }
  SPWaitingSavePhoto& indicator() { return SPWaitingSavePhoto::sharedWaitingSavePhoto(); }
  ui::View& panel() { return *indicator().viewController()->mainView(); }
  ui::Window& window() { return *indicator().window(); }
  float panelScale() { return panel().transform().a; }

  ScopedFakeClock clock_;
};

TEST_F(WaitingIndicatorTest, SpinnerStaysUntilHiddenAndTouchesPassThrough) {
  // A button on an ordinary window below the indicator.
  auto below = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 0, 320, 480));
  int presses = 0;
  button->addTarget(this, ui::kControlEventTouchUpInside, [&](ui::Control&) { ++presses; });
  below->addSubview(button);
  below->makeKeyAndVisible();

  SPWaitingSavePhoto::showLoadingView();
  EXPECT_EQ(window().windowLevel(), ui::kWindowLevelStatusBar - 100);
  EXPECT_FALSE(window().isHidden());
  EXPECT_EQ(indicator().viewController()->titleLable()->text(), "等待中");
  EXPECT_TRUE(indicator().viewController()->activityIndicator()->isAnimating());
  ASSERT_TRUE(ui::render(window()));
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("waiting-indicator-spinner"));

  below->tap(ui::Point{160, 240});
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(window().hitTest(ui::Point{160, 240}), nullptr);

  advance(10);
  EXPECT_FALSE(window().isHidden());
  SPWaitingSavePhoto::hideLoadingView();
  EXPECT_TRUE(window().isHidden());
  EXPECT_FALSE(indicator().viewController()->activityIndicator()->isAnimating());
}

TEST_F(WaitingIndicatorTest, ToastScalesInHoldsAndScalesOutThenResets) {
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(2, "已取消收藏");
  // Starts almost invisible, settles at full size.
  auto in = ui::AnimationLog::shared().last();
  ASSERT_TRUE(in);
  EXPECT_DOUBLE_EQ(in->duration, 0.3);
  const auto* grow = in->change(&panel(), "transform");
  ASSERT_TRUE(grow);
  EXPECT_FLOAT_EQ(std::get<ui::Transform>(grow->from).a, 0.001f);
  EXPECT_FLOAT_EQ(panelScale(), 1.f);
  EXPECT_EQ(panel().alpha(), 1.f);
  // The bundle's icon of the type (the named image; the bundle does not ship these icons yet).
  EXPECT_EQ(indicator().viewController()->imageView()->image(),
            ui::Image::named("picgroupbut_favorite_normal.png"));
  advance(0.3);
  // Grown in; it waits before going out.
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("waiting-indicator-toast"));
  auto out = ui::AnimationLog::shared().last();
  ASSERT_NE(out, in);
  EXPECT_DOUBLE_EQ(out->delay, 0.8);
  EXPECT_DOUBLE_EQ(out->duration, 0.3);
  // Grows out to twice its size while fading.
  EXPECT_NEAR(panelScale(), 2.0f, 1e-4);
  EXPECT_EQ(panel().alpha(), 0.f);
  EXPECT_FALSE(window().isHidden());

  advance(1.0);  // 1.3 s in: still going out
  EXPECT_FALSE(window().isHidden());
  advance(0.1);  // 1.4 s: gone and reset
  EXPECT_TRUE(window().isHidden());
  EXPECT_FLOAT_EQ(panelScale(), 1.f);
  EXPECT_EQ(panel().alpha(), 1.f);
  EXPECT_EQ(indicator().viewController()->imageView()->image(), nullptr);

  // Other types start from twice the size and shrink out to about nothing.
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(7, "完成");
  advance(0.3);
  EXPECT_NEAR(panelScale(), 0.001f, 1e-4);
  EXPECT_EQ(indicator().viewController()->imageView()->image(), nullptr);
}

TEST_F(WaitingIndicatorTest, TypeTwelveCentresTheLabelAndTheNextCallMovesItBack) {
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(12, "已复制");
  auto* label = indicator().viewController()->titleLable();
  const float shift = panel().bounds().size.height / 2 - label->center().y;
  ASSERT_NE(shift, 0.f);
  EXPECT_FLOAT_EQ(label->transform().ty, shift);
  EXPECT_FLOAT_EQ(label->frame().midY(), panel().bounds().size.height / 2);
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(1, "已收藏");
  EXPECT_FLOAT_EQ(label->transform().ty, 0.f);

  // Type 5 switches animations back on before it runs.
  ui::Animations::setEnabled(false);
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(5, "已分享");
  EXPECT_TRUE(ui::Animations::areEnabled());
}

TEST_F(WaitingIndicatorTest, ASpinnerShownDuringAToastIsNotHiddenByTheToastsEnd) {
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(1, "已收藏");
  advance(0.5);  // the toast is holding
  SPWaitingSavePhoto::showLoadingView();
  advance(2);
  EXPECT_FALSE(window().isHidden());
  EXPECT_TRUE(indicator().viewController()->activityIndicator()->isAnimating());
  EXPECT_FLOAT_EQ(panelScale(), 1.f);
  EXPECT_EQ(panel().alpha(), 1.f);

  // A toast after a toast: only the second one's end hides the window.
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(3, "已赞");
  advance(1.0);
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(4, "评论成功");
  advance(0.3);
  advance(0.3);  // the first toast would have ended here
  EXPECT_FALSE(window().isHidden());
  advance(0.8);
  EXPECT_TRUE(window().isHidden());

  // The shared instance ends with resign and a new one is made on the next use.
  SPWaitingSavePhoto::resign();
  EXPECT_EQ(SPWaitingSavePhoto::existing(), nullptr);
  SPWaitingSavePhoto::hideLoadingView();
  EXPECT_NE(SPWaitingSavePhoto::existing(), nullptr);
}

}  // namespace
}  // namespace zu
