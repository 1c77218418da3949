#include "app/ScreenHost.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/device/DeviceProfile.h"
#include "platform/ui/Application.h"
#include "platform/ui/Color.h"
#include "platform/ui/Image.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

class ScreenHostTest : public ::testing::Test {
 protected:
  void TearDown() override {
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

}  // namespace
}  // namespace zu
