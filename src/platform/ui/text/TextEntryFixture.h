// TextEntryFixture: the ground of the text entries' tests — the fixed metrics (exact sizes: 6
// points an ASCII character of 12-point text, 12 any other), a 320 × 480 window on screen, and
// the keyboard, the metrics and the application put back afterwards. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/system/Application.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

class TextEntryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    Keyboard::shared().resetForTesting();
    TextMetrics::setCurrent(nullptr);
    Application::shared().resetForTesting();
  }
  // Presses a caret key on whatever is edited.
  static void press(CaretMove move, bool shift = false) { ASSERT_TRUE(Keyboard::shared().moveCaret(move, shift)); }

  std::shared_ptr<Window> window_;
};

}  // namespace zu::ui
