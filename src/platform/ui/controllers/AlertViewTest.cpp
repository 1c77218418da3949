#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

class Listener : public AlertViewDelegate, public ActionSheetDelegate {
 public:
  std::vector<std::string> log;
  void willPresentAlertView(AlertView& a) override { log.push_back("willPresent " + std::to_string(a.tag())); }
  void didPresentAlertView(AlertView&) override { log.push_back("didPresent"); }
  void alertViewClickedButtonAtIndex(AlertView& a, int i) override {
    log.push_back("clicked " + std::to_string(i) + " " + a.buttonTitleAtIndex(i));
  }
  void alertViewWillDismissWithButtonIndex(AlertView&, int i) override { log.push_back("willDismiss " + std::to_string(i)); }
  void alertViewDidDismissWithButtonIndex(AlertView&, int i) override { log.push_back("didDismiss " + std::to_string(i)); }
  void actionSheetClickedButtonAtIndex(ActionSheet& s, int i) override {
    log.push_back("sheet clicked " + s.buttonTitleAtIndex(i));
  }
  void actionSheetDidDismissWithButtonIndex(ActionSheet&, int i) override {
    log.push_back("sheet didDismiss " + std::to_string(i));
  }
};

class AlertViewTest : public ::testing::Test {
 protected:
  void TearDown() override {
    AlertRegistry::shared().resetForTesting();
    Animations::resetForTesting();
    Application::shared().resetForTesting();
  }
  static void drain() {
    bool done = false;
    RunLoop::main()->post([&] { done = true; });
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 10));
  }
  ScopedFakeClock clock_;
};

TEST_F(AlertViewTest, ButtonPressesCallBackInOrderAndLeaveTheRegistry) {
  auto listener = std::make_shared<Listener>();
  {
    // Nobody keeps the alert but the registry while it is shown.
    auto alert = std::make_shared<AlertView>("提示", "网络不可用", listener, "取消", std::vector<std::string>{"重试"});
    alert->setTag(111);
    EXPECT_EQ(0, alert->cancelButtonIndex());
    alert->show();
    alert->show();
  }
  ASSERT_EQ(1u, AlertRegistry::shared().shown().size());
  auto shown = std::dynamic_pointer_cast<AlertView>(AlertRegistry::shared().top());
  ASSERT_TRUE(shown);
  EXPECT_EQ("网络不可用", shown->messageText());
  EXPECT_TRUE(shown->isVisible());
  ASSERT_TRUE(shown->window());
  EXPECT_EQ(kWindowLevelAlert, shown->window()->windowLevel());
  EXPECT_EQ((std::vector<std::string>{"willPresent 111", "didPresent"}), listener->log);
  listener->log.clear();

  EXPECT_FALSE(shown->clickButton(5));
  EXPECT_TRUE(shown->clickButtonTitled("重试"));
  // The press dismisses animated: did-dismiss waits for the animation's end.
  EXPECT_EQ((std::vector<std::string>{"clicked 1 重试", "willDismiss 1"}), listener->log);
  EXPECT_FALSE(shown->clickButton(0));
  drain();
  clock_->advance(0.2);
  drain();
  EXPECT_EQ((std::vector<std::string>{"clicked 1 重试", "willDismiss 1", "didDismiss 1"}), listener->log);
  EXPECT_TRUE(AlertRegistry::shared().shown().empty());
  EXPECT_FALSE(shown->window());

  // Dismissed by code: no click, and at once when not animated.
  listener->log.clear();
  shown->show();
  listener->log.clear();
  shown->dismissWithClickedButtonIndex(0, false);
  EXPECT_EQ((std::vector<std::string>{"willDismiss 0", "didDismiss 0"}), listener->log);
  shown->dismissWithClickedButtonIndex(0, false);
  EXPECT_EQ(2u, listener->log.size());
}

TEST_F(AlertViewTest, ActionSheetOrdersDestructiveOthersThenCancel) {
  auto listener = std::make_shared<Listener>();
  auto sheet = std::make_shared<ActionSheet>("分享", listener, "取消", "删除", std::vector<std::string>{"邮件", "短信"});
  EXPECT_EQ(0, sheet->destructiveButtonIndex());
  EXPECT_EQ(3, sheet->cancelButtonIndex());
  EXPECT_EQ((std::vector<std::string>{"删除", "邮件", "短信", "取消"}), sheet->buttonTitles());
  sheet->showInView(nullptr);
  ASSERT_EQ(sheet, AlertRegistry::shared().top());
  EXPECT_EQ(480, sheet->frame().maxY());
  EXPECT_TRUE(sheet->clickButton(2));
  clock_->advance(1);
  drain();
  EXPECT_EQ((std::vector<std::string>{"sheet clicked 短信", "sheet didDismiss 2"}), listener->log);
  EXPECT_FALSE(AlertRegistry::shared().top());
}

TEST_F(AlertViewTest, TouchesOnTheAlertWindowPressItsButtons) {
  auto listener = std::make_shared<Listener>();
  auto alert = std::make_shared<AlertView>("登录失败", "用户名或密码错误", listener, "取消",
                                           std::vector<std::string>{"重新登录"});
  alert->show();
  auto window = Application::shared().keyWindow();
  ASSERT_TRUE(window);
  EXPECT_EQ(alert->window(), window.get());
  auto picture = render(*window);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(writeSnapshot(*picture, "alert-view"));
  // Between the buttons nothing happens; on the second one it is pressed.
  const Rect second = alert->convertRectTo(alert->buttonFrame(1), window.get());
  const Rect first = alert->convertRectTo(alert->buttonFrame(0), window.get());
  window->tap(Point{(first.maxX() + second.minX()) / 2, second.midY()});
  EXPECT_TRUE(alert->isVisible());
  window->tap(Point{second.midX(), second.midY()});
  EXPECT_FALSE(alert->isVisible());
  EXPECT_EQ((std::vector<std::string>{"willPresent 0", "didPresent", "clicked 1 重新登录", "willDismiss 1"}),
            listener->log);
}

// A delegate may left-align the message before the alert appears; the title stays centred.
TEST_F(AlertViewTest, MessageAlignmentMovesOnlyTheMessageLines) {
  // The leftmost bright pixel in rows [top, bottom) of the alert's picture.
  auto leftmostInk = [](const Image& picture, int top, int bottom) {
    int left = picture.pixelWidth();
    for (int y = top; y < bottom; ++y) {
      for (int x = 6; x < picture.pixelWidth() - 6; ++x) {
        if (picture.colorAt(x, y).red > 0.8f) left = std::min(left, x);
      }
    }
    return left;
  };
  auto drawn = [&](TextAlignment alignment) {
    auto alert = std::make_shared<AlertView>("标题", "短", std::weak_ptr<AlertViewDelegate>(), "好");
    alert->setMessageAlignment(alignment);
    alert->show();
    auto picture = render(*alert);
    alert->dismissWithClickedButtonIndex(0, false);
    return picture;
  };
  auto centred = drawn(TextAlignment::Center);
  auto left = drawn(TextAlignment::Left);
  ASSERT_TRUE(centred && left);
  // Title band, then the message band under it (the scan leaves the panel's border out).
  EXPECT_EQ(leftmostInk(*centred, 12, 30), leftmostInk(*left, 12, 30));
  EXPECT_LT(leftmostInk(*left, 36, 60) + 60, leftmostInk(*centred, 36, 60));
  EXPECT_GE(leftmostInk(*left, 36, 60), 8);
}

}  // namespace
}  // namespace zu::ui
