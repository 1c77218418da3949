#include "app/ScreenHost.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/ReplayScript.h"
#include "platform/runtime/RunLoop.h"
#include "platform/device/DeviceProfile.h"
#include "platform/ui/Application.h"
#include "platform/ui/Color.h"
#include "platform/ui/Device.h"
#include "platform/ui/Image.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

class ScreenHostTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ui::Keyboard::shared().resetForTesting();
    ui::Device::current().resetForTesting();
    DeviceProfile::setScreenScale(1);
    ui::Application::shared().resetForTesting();
  }
  TempHome home_;
};

// A snapshot is written once a new picture has stood for a frame, one per screen, numbered; a
// screen that returns to an earlier look is a new screen again.
TEST_F(ScreenHostTest, HeadlessSnapshotsOnePictureForEachSettledScreen) {
  const auto dir = home_.path() / "shots";
  ScreenHost host(true, dir, {});
  ASSERT_TRUE(host.isHeadless());
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->setBackgroundColor(ui::Color::rgba8(200, 30, 30));
  window->makeKeyAndVisible();

  EXPECT_TRUE(host.frame());
  EXPECT_EQ(0, host.snapshotsWritten());  // still settling
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(1, host.snapshotsWritten());
  EXPECT_FALSE(host.frame());
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(1, host.snapshotsWritten());

  // Two changes in a row: only the picture it rests on is written.
  window->setBackgroundColor(ui::Color::rgba8(30, 200, 30));
  EXPECT_TRUE(host.frame());
  window->setBackgroundColor(ui::Color::rgba8(30, 30, 200));
  EXPECT_TRUE(host.frame());
  EXPECT_FALSE(host.frame());
  window->setBackgroundColor(ui::Color::rgba8(200, 30, 30));
  EXPECT_TRUE(host.frame());
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(3, host.snapshotsWritten());

  auto first = ui::Image::fromFile(dir / "0001.png");
  auto second = ui::Image::fromFile(dir / "0002.png");
  ASSERT_TRUE(first && second);
  EXPECT_FALSE(std::filesystem::exists(dir / "0004.png"));
  EXPECT_EQ(320, first->pixelWidth());
  EXPECT_EQ(480, first->pixelHeight());
  EXPECT_EQ(ui::Color::rgba8(30, 30, 200), second->colorAt(160, 240));
  EXPECT_EQ(ui::Color::rgba8(200, 30, 30), first->colorAt(10, 470));
}

// On a double-density screen the pictures have twice the pixels of the 320 × 480 points, with
// the same things at the same places in points.
TEST_F(ScreenHostTest, DoubleDensitySnapshotsHaveTwiceThePixels) {
  DeviceProfile::setScreenScale(2);
  const auto dir = home_.path() / "shots2";
  {
    ScreenHost host(true, dir, {});
    auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
    window->setBackgroundColor(ui::Color::rgba8(30, 30, 200));
    auto square = std::make_shared<ui::View>(ui::Rect(100, 200, 10, 10));
    square->setBackgroundColor(ui::Color::rgba8(200, 30, 30));
    window->addSubview(square);
    window->makeKeyAndVisible();
    EXPECT_TRUE(host.frame());
    EXPECT_FALSE(host.frame());
  }
  auto picture = ui::Image::fromFile(dir / "0001.png");
  ASSERT_TRUE(picture);
  EXPECT_EQ(640, picture->pixelWidth());
  EXPECT_EQ(960, picture->pixelHeight());
  EXPECT_EQ(ui::Color::rgba8(200, 30, 30), picture->colorAt(201, 401));
  EXPECT_EQ(ui::Color::rgba8(200, 30, 30), picture->colorAt(218, 418));
  EXPECT_EQ(ui::Color::rgba8(30, 30, 200), picture->colorAt(221, 401));
}

// Headless without a snapshot folder nothing is composited at all.
TEST_F(ScreenHostTest, HeadlessWithoutSnapshotsSkipsTheComposite) {
  ScreenHost host(true, std::nullopt, {});
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->makeKeyAndVisible();
  EXPECT_FALSE(host.frame());
  EXPECT_EQ(0, host.snapshotsWritten());
}

// A replay reaches a field by a tap and types into it as the keys would: text, Backspace
// (which takes one whole character), Return (the field's return question); a rotation turns
// the device, and a screen that allows it turns with it.
TEST_F(ScreenHostTest, ReplayTypesIntoATappedField) {
  struct Screen : ui::ViewController {
    bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation) override { return true; }
  };
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  auto screen = std::make_shared<Screen>();
  ui::ViewController::installAsRoot(*window, screen);
  window->makeKeyAndVisible();
  auto field = std::make_shared<ui::TextField>(ui::Rect(20, 100, 280, 30));
  screen->view()->addSubview(field);
  struct Returns : ui::TextFieldDelegate {
    int count = 0;
    bool textFieldShouldReturn(ui::TextField&) override {
      ++count;
      return true;
    }
  };
  auto returns = std::make_shared<Returns>();
  field->setDelegate(returns);

  const auto script = ReplayScript::parse(
      "type before the tap\n"  // nobody has the keyboard yet: nothing happens
      "tap 60 135\n"           // the field, 20 points below the status bar
      "type 读者 ok\n"
      "key backspace\n"
      "type K\n"
      "key return\n"
      "wait 0.05\n"
      "rotate left\n");
  ASSERT_FALSE(script.error) << *script.error;
  ScreenHost host(true, std::nullopt, {});
  bool done = false;
  host.play(script.steps, [&] { done = true; });
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 20));
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ("读者 oK", field->text());
  EXPECT_EQ(1, returns->count);
  EXPECT_EQ(ui::DeviceOrientation::LandscapeLeft, ui::Device::current().orientation());
  EXPECT_EQ(SystemEnvironment::Orientation::kLandscapeRight, ui::Application::shared().statusBarOrientation());
  EXPECT_EQ(ui::Size(480, 300), screen->view()->bounds().size);
}

// A pinch through the host's input puts two fingers down mirrored about the screen's centre.
TEST_F(ScreenHostTest, PinchInputPutsTwoMirroredFingersDown) {
  auto window = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  window->makeKeyAndVisible();
  struct Fingers : ui::View {
    using View::View;
    std::vector<ui::Point> down;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event&) override {
      for (const auto& t : touches) down.push_back(t->locationInWindow());
    }
  };
  auto view = std::make_shared<Fingers>(ui::Screen::main().bounds());
  view->setMultipleTouchEnabled(true);
  window->addSubview(view);
  ScreenHost host(true, std::nullopt, {});
  host.input().press(ui::Point{100, 140}, true);
  host.input().press(ui::Point{5, 5});  // ignored while fingers are down
  host.input().release(ui::Point{90, 130});
  EXPECT_EQ((std::vector<ui::Point>{{100, 140}, {220, 340}}), view->down);
  EXPECT_FALSE(host.input().isPressed());
}

}  // namespace
}  // namespace zu
