#include "platform/ui/system/InterfaceRotation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Orientation = SystemEnvironment::Orientation;
using Log = std::vector<std::string>;

std::string text(const Rect& r) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%g,%g %gx%g", r.origin.x, r.origin.y, r.size.width, r.size.height);
  return buf;
}

// A screen that allows the orientations it is given and writes its rotation callbacks, with
// its view's bounds at that moment, into a log.
class Turning : public ViewController {
 public:
  Turning(std::string name, std::vector<Orientation> allowed, Log* log)
      : name_(std::move(name)), allowed_(std::move(allowed)), log_(log) {}
  bool shouldAutorotateToInterfaceOrientation(Orientation o) override {
    log_->push_back(name_ + ":asked " + std::to_string(static_cast<int>(o)));
    return std::find(allowed_.begin(), allowed_.end(), o) != allowed_.end();
  }
  void willRotateToInterfaceOrientation(Orientation to, double duration) override {
    char buf[64];
    std::snprintf(buf, sizeof buf, ":will %d %.1f ", static_cast<int>(to), duration);
    log_->push_back(name_ + buf + text(view()->bounds()));
  }
  void didRotateFromInterfaceOrientation(Orientation from) override {
    log_->push_back(name_ + ":did " + std::to_string(static_cast<int>(from)) + " " + text(view()->bounds()) +
                    " bar " + std::to_string(static_cast<int>(Application::shared().statusBarOrientation())));
  }

 private:
  std::string name_;
  std::vector<Orientation> allowed_;
  Log* log_;
};

class InterfaceRotationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    Keyboard::shared().resetForTesting();
    Animations::resetForTesting();
    AnimationLog::shared().clear();
    Application::shared().resetForTesting();
    Device::current().resetForTesting();
  }
  static void drain() {
    bool done = false;
    RunLoop::main()->post([&] { done = true; });
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 10));
  }
  Log take() { return std::exchange(log_, {}); }

  ScopedFakeClock clock_;
  std::shared_ptr<Window> window_;
  Log log_;
};

const std::vector<Orientation> kAll = {Orientation::kPortrait, Orientation::kPortraitUpsideDown,
                                       Orientation::kLandscapeLeft, Orientation::kLandscapeRight};

// The device turns: the screen on top is asked, told before and after, and in between the
// window's content turns and takes the landscape frame; the status bar follows.
TEST_F(InterfaceRotationTest, ATurnAsksTurnsAndReframesInThePhonesOrder) {
  auto pictures = std::make_shared<Turning>("pictures", kAll, &log_);
  auto nav = std::make_shared<NavigationController>(pictures);
  ViewController::installAsRoot(*window_, nav);
  const auto& root = nav->view();
  EXPECT_EQ("0,20 320x460", text(root->frame()));

  // Home button on the right: the interface's landscape right, a quarter turn clockwise.
  Device::current().setOrientation(DeviceOrientation::LandscapeLeft);
  EXPECT_EQ((Log{"pictures:asked 3", "pictures:will 3 0.4 0,0 320x416"}), take());
  EXPECT_EQ(Orientation::kLandscapeRight, Application::shared().statusBarOrientation());
  EXPECT_EQ("0,0 300x480", text(root->frame()));  // the status bar along the right edge
  EXPECT_EQ(Size(480, 300), root->bounds().size);
  EXPECT_EQ((Transform{0, 1, -1, 0, 0, 0}), root->transform());
  EXPECT_EQ(Size(480, 256), pictures->view()->bounds().size);  // under the 44-point bar
  EXPECT_EQ(480, nav->navigationBar()->bounds().size.width);
  // The turn is one animation of the root view; did-rotate comes at its end.
  auto turn = AnimationLog::shared().last();
  ASSERT_TRUE(turn);
  EXPECT_TRUE(turn->change(root.get(), "transform"));
  EXPECT_DOUBLE_EQ(InterfaceRotation::kQuarterTurnDuration, turn->duration);
  drain();
  EXPECT_TRUE(take().empty());
  clock_->advance(InterfaceRotation::kQuarterTurnDuration);
  drain();
  EXPECT_EQ((Log{"pictures:did 1 0,0 480x256 bar 3"}), take());

  // A half turn takes twice as long; the other landscape puts the status bar on the left.
  Device::current().setOrientation(DeviceOrientation::LandscapeRight, false);
  EXPECT_EQ((Log{"pictures:asked 4", "pictures:will 4 0.8 0,0 480x256", "pictures:did 3 0,0 480x256 bar 4"}),
            take());
  EXPECT_EQ("20,0 300x480", text(root->frame()));

  // Face up turns nothing; a screen that allows only portrait keeps the interface where it is
  // when the device turns elsewhere.
  Device::current().setOrientation(DeviceOrientation::FaceUp, false);
  EXPECT_TRUE(take().empty());
  auto article = std::make_shared<Turning>("article", std::vector<Orientation>{Orientation::kPortrait}, &log_);
  nav->pushViewController(article, false);
  take();
  Device::current().setOrientation(DeviceOrientation::PortraitUpsideDown, false);
  EXPECT_EQ((Log{"article:asked 2"}), take());
  EXPECT_EQ(Orientation::kLandscapeLeft, Application::shared().statusBarOrientation());
  Device::current().setOrientation(DeviceOrientation::Portrait, false);
  EXPECT_EQ((Log{"article:asked 1", "article:will 1 0.4 0,0 480x256", "article:did 4 0,0 320x416 bar 1"}), take());
  EXPECT_EQ("0,20 320x460", text(root->frame()));
  EXPECT_TRUE(root->transform().isIdentity());
}

// The key window's screen decides; a window above it (a waiting panel) whose screen allows
// only portrait neither holds the turn back nor turns.
TEST_F(InterfaceRotationTest, TheKeyWindowDecidesAndOtherWindowsFollowWhenAllowed) {
  auto pictures = std::make_shared<Turning>("pictures", kAll, &log_);
  ViewController::installAsRoot(*window_, pictures);
  auto panelWindow = std::make_shared<Window>(Rect(0, 0, 320, 480));
  panelWindow->setWindowLevel(kWindowLevelStatusBar);
  panelWindow->setHidden(false);
  auto panel = std::make_shared<Turning>("panel", std::vector<Orientation>{Orientation::kPortrait}, &log_);
  ViewController::installAsRoot(*panelWindow, panel);
  auto turning = std::make_shared<Turning>("turning", kAll, &log_);
  auto other = std::make_shared<Window>(Rect(0, 0, 320, 480));
  other->setHidden(false);
  ViewController::installAsRoot(*other, turning);
  take();

  Device::current().setOrientation(DeviceOrientation::LandscapeRight, false);
  EXPECT_EQ((Log{"pictures:asked 4", "turning:asked 4", "panel:asked 4", "pictures:will 4 0.4 0,0 320x460",
                 "turning:will 4 0.4 0,0 320x460", "pictures:did 1 0,0 480x300 bar 4",
                 "turning:did 1 0,0 480x300 bar 4"}),
            take());
  EXPECT_TRUE(panel->view()->transform().isIdentity());
  EXPECT_EQ(Orientation::kLandscapeLeft, Application::shared().statusBarOrientation());
}

// The landscape window as the screen shows it: the content drawn sideways, its top (the
// navigation bar) along the device's right edge, left of the status bar's strip.
TEST_F(InterfaceRotationTest, RotatedWindowRendersSideways) {
  auto pictures = std::make_shared<Turning>("pictures", kAll, &log_);
  pictures->setTitle(std::string("Landscape"));
  auto nav = std::make_shared<NavigationController>(pictures);
  ViewController::installAsRoot(*window_, nav);
  window_->setBackgroundColor(Color::blackColor());
  pictures->view()->setBackgroundColor(Color::rgba8(240, 236, 224));
  auto band = std::make_shared<View>(Rect(0, 0, 120, pictures->view()->bounds().size.height));
  band->setBackgroundColor(Color::rgba8(200, 40, 40));
  band->setAutoresizingMask(kAutoresizingFlexibleHeight);
  pictures->view()->addSubview(band);
  auto label = std::make_shared<Label>(Rect(140, 100, 320, 40));
  label->setText(std::string("480 × 320, turned"));
  pictures->view()->addSubview(label);
  Device::current().setOrientation(DeviceOrientation::LandscapeLeft, false);

  auto picture = renderScreen();
  ASSERT_TRUE(picture);
  writeSnapshot(*picture, "rotated-window");
  EXPECT_EQ(320, picture->pixelWidth());
  EXPECT_EQ(480, picture->pixelHeight());
  // The band runs along the interface's left edge: the device's top rows, below the bar.
  EXPECT_EQ(Color::rgba8(200, 40, 40), picture->colorAt(100, 60));
  EXPECT_EQ(Color::rgba8(240, 236, 224), picture->colorAt(100, 300));
  // The status bar runs along the interface's top: the strip at the device's right edge, its
  // light grey reaching the corners; nothing of it is drawn across the device's top.
  for (const Point p : {Point{310, 4}, Point{310, 150}, Point{310, 476}}) {
    const Color bar = picture->colorAt(static_cast<int>(p.x), static_cast<int>(p.y));
    EXPECT_GT(bar.red, 0.6f) << p.y;
    EXPECT_NEAR(bar.red, bar.blue, 0.02f) << p.y;
  }
  EXPECT_EQ(Color::rgba8(200, 40, 40), picture->colorAt(100, 10));
  // The navigation bar: the band the interface's top 44 points make, at device x 256…300.
  EXPECT_NE(picture->colorAt(100, 300), picture->colorAt(280, 300));
  // Touches find the turned views where they are drawn.
  EXPECT_EQ(band, window_->hitTest(Point{100, 60}));
  auto hit = window_->hitTest(Point{280, 300});
  while (hit && hit != nav->navigationBar()) hit = hit->superview();
  EXPECT_TRUE(hit);  // in the bar
}

// A portrait-only screen presented over a turned interface turns it back; a turned screen
// revealed by the dismissal takes the current orientation's place.
TEST_F(InterfaceRotationTest, ModalScreensSettleTheOrientation) {
  auto viewer = std::make_shared<Turning>("viewer", kAll, &log_);
  ViewController::installAsRoot(*window_, viewer);
  Device::current().setOrientation(DeviceOrientation::LandscapeRight, false);
  EXPECT_EQ(Size(480, 300), viewer->view()->bounds().size);
  take();

  auto form = std::make_shared<Turning>("form", std::vector<Orientation>{Orientation::kPortrait}, &log_);
  ASSERT_TRUE(viewer->presentModalViewController(form, false));
  EXPECT_EQ(Orientation::kPortrait, Application::shared().statusBarOrientation());
  EXPECT_EQ("0,20 320x460", text(form->view()->frame()));
  const Log log = take();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ("form:did 4 0,0 320x460 bar 1", log.back());

  viewer->dismissModalViewController(false);
  EXPECT_EQ(Orientation::kPortrait, Application::shared().statusBarOrientation());
  EXPECT_TRUE(viewer->view()->transform().isIdentity());
  EXPECT_EQ("0,20 320x460", text(viewer->view()->frame()));
}

class Clicks : public AlertViewDelegate {
 public:
  std::vector<int> clicked;
  void alertViewClickedButtonAtIndex(AlertView&, int index) override { clicked.push_back(index); }
};

// A landscape screen: the drawn keyboard lies along the interface's bottom (the device's left
// edge, for a device turned to its left: the interface's landscape right) with the landscape
// keyboard's 162 points, its frames reported in window coordinates; an alert shown is centred in the interface and turned with it, takes
// taps where it is drawn, and turns back with the interface.
TEST_F(InterfaceRotationTest, ALandscapeScreenDrawsItsKeyboardAndAlertAlongTheInterface) {
  auto form = std::make_shared<Turning>("form", kAll, &log_);
  ViewController::installAsRoot(*window_, form);
  window_->setBackgroundColor(Color::blackColor());
  form->view()->setBackgroundColor(Color::rgba8(240, 236, 224));
  Device::current().setOrientation(DeviceOrientation::LandscapeLeft, false);
  auto field = std::make_shared<TextField>(Rect(20, 20, 300, 31));
  field->setBorderStyle(TextBorderStyle::RoundedRect);
  field->setText("横屏输入");
  form->view()->addSubview(field);
  std::optional<Rect> announced;
  NotificationCenter::defaultCenter().add(Keyboard::kWillShowNotification, this, [&](const Notification& note) {
    announced = Keyboard::frameFromUserInfo(note.userInfo, Keyboard::kFrameEndKey);
  });
  ASSERT_TRUE(field->becomeFirstResponder());
  clock_->advance(Keyboard::kAnimationDuration);  // the keyboard has slid in
  NotificationCenter::defaultCenter().remove(this);
  EXPECT_EQ(Orientation::kLandscapeRight, Application::shared().statusBarOrientation());
  EXPECT_EQ(Rect(0, 0, 162, 480), Keyboard::shownFrame());
  EXPECT_EQ(Rect(-162, 0, 162, 480), Keyboard::hiddenFrame());
  EXPECT_EQ(Rect(0, 158, 480, 162), Keyboard::interfaceFrame());
  ASSERT_TRUE(announced.has_value());
  EXPECT_EQ(Keyboard::shownFrame(), *announced);

  auto clicks = std::make_shared<Clicks>();
  auto alert = std::make_shared<AlertView>(std::string("提示"), std::string("横屏的提示框"), clicks,
                                           std::string("取消"), std::vector<std::string>{"好"});
  alert->show();
  // 284 × 143, turned: 143 wide and 284 high in the middle of the screen.
  EXPECT_EQ(Rect(88.5f, 98, 143, 284), alert->frame());
  EXPECT_EQ((Size{284, 143}), alert->bounds().size);

  auto picture = renderScreen();
  ASSERT_TRUE(picture);
  writeSnapshot(*picture, "landscape-keyboard-alert");
  // The keyboard's keys and backdrop at the device's left edge, beside the alert; nothing of
  // it across the device's bottom right, where the portrait keyboard was.
  auto keyboardLike = [&](int x, int y) {
    const Color c = picture->colorAt(x, y);
    return c.blue > c.red && c.blue > 0.25f;  // the blue-grey backdrop, darkened by the alert
  };
  EXPECT_TRUE(keyboardLike(40, 40));
  EXPECT_TRUE(keyboardLike(40, 440));
  EXPECT_FALSE(keyboardLike(250, 470));
  // The status bar along the interface's top: the device's right edge.
  EXPECT_GT(picture->colorAt(312, 150).red, 0.25f);

  // A tap where the "好" button is drawn presses it.
  const Rect button = alert->buttonFrame(1);
  alert->window()->tap(alert->convertPointTo(Point{button.midX(), button.midY()}, nullptr));
  EXPECT_EQ(std::vector<int>{1}, clicks->clicked);

  // An alert up while the interface turns back turns with it.
  auto second = std::make_shared<AlertView>(std::string("再次"), std::nullopt, std::weak_ptr<AlertViewDelegate>(),
                                            std::string("好"));
  second->show();
  EXPECT_FALSE(second->transform().isIdentity());
  Device::current().setOrientation(DeviceOrientation::Portrait, false);
  EXPECT_TRUE(second->transform().isIdentity());
  EXPECT_EQ(Rect(18, 240 - 143.f / 2, 284, 143), second->frame());
  EXPECT_EQ(Rect(0, 264, 320, 216), Keyboard::shownFrame());
  second->dismissWithClickedButtonIndex(0, false);
  field->resignFirstResponder();
}

}  // namespace
}  // namespace zu::ui
