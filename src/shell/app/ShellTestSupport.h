// Helpers for the shell's tests (included by *Test.cpp only): a fixture with a fresh home, a
// fake clock, the stand-in screens registered and the kit's process-wide state reset after each
// test; the application's URL and terminate hooks recorded; turning the main loop until the
// queued work has run.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/Alert.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/text/Keyboard.h"
#include "shell/app/CustomBrightnessWindow.h"
#include "shell/app/StandInScreen.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu::testing {

class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    StandInScreen::requests().clear();
    StandInScreen::registerMissing();
    ui::Application& app = ui::Application::shared();
    app.setOpenURLHandler([](const std::string&) { return true; });
    app.setTerminateHandler([this](int status) { terminated_.push_back(status); });
  }
  void TearDown() override { resetShell(); }

 public:
  // Puts the kit's and the shell's process-wide state back (also for fixtures of their own).
  static void resetShell() {
    CustomBrightnessWindow::globalUninit();
    // Dismissed, not just forgotten: a shown alert and its window hold each other.
    const auto shown = ui::AlertRegistry::shared().shown();
    for (const auto& alert : shown) alert->dismissWithClickedButtonIndex(0, false);
    ui::AlertRegistry::shared().resetForTesting();
    ui::NibRegistry::shared().resetForTesting();
    ui::Animations::resetForTesting();
    ui::Application::shared().resetForTesting();
    ui::Device::current().resetForTesting();
    ui::Screen::main().resetForTesting();
    // No keyboard shown or still sliding away over the next test's screen.
    ui::Keyboard::shared().resetForTesting();
    StandInScreen::requests().clear();
  }

 protected:

  // Runs what is queued on the main loop now and what falls due within `seconds` of the clock.
  void settle(double seconds = 1) {
    clock_.clock()->advance(seconds);
    bool done = false;
    RunLoop::main()->post([&] { done = true; });
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 10));
  }
  static std::shared_ptr<ui::AlertView> topAlert() {
    return std::dynamic_pointer_cast<ui::AlertView>(ui::AlertRegistry::shared().top());
  }
  static size_t alertCount() { return ui::AlertRegistry::shared().shown().size(); }
  // The nib names of the stand-in screens opened so far.
  static std::vector<std::string> openedScreens() {
    std::vector<std::string> names;
    for (const auto& o : StandInScreen::requests()) names.push_back(o.nibName);
    return names;
  }

  TempHome home_;
  ScopedFakeClock clock_;
  std::vector<int> terminated_;
};

// The share of the pixels (x0 ≤ x < x1, y0 ≤ y < y1) of `moved` that equal, within two steps per
// channel, the pixels `dx` to the right of them in `still`: how much of a picture taken mid-way
// through a slide is the picture at rest, shifted.
inline double matchingShare(const ui::Image& moved, const ui::Image& still, int dx, int x0, int x1, int y0,
                            int y1) {
  int same = 0, all = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const uint32_t a = moved.pixelAt(x, y), b = still.pixelAt(x + dx, y);
      bool close = true;
      for (int shift = 0; shift < 32; shift += 8) {
        close = close && std::abs(static_cast<int>(a >> shift & 0xff) - static_cast<int>(b >> shift & 0xff)) <= 2;
      }
      same += close;
      ++all;
    }
  }
  return all ? static_cast<double>(same) / all : 0;
}

}  // namespace zu::testing
