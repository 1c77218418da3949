// Helpers for the feedback screen's tests (included by *Test.cpp only): a window whose root is a
// navigation controller over a plain screen, on which the settings tab would push the feedback
// screen. Dropped in reverse order of making.
#pragma once

#include <memory>

#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/views/Window.h"

namespace zu::testing {

struct NavigationStage {
  NavigationStage() {
    window->makeKeyAndVisible();
    ui::ViewController::installAsRoot(*window, navigation);
  }
  ~NavigationStage() {
    navigation.reset();
    below.reset();
    window.reset();
  }

  std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  std::shared_ptr<ui::ViewController> below = std::make_shared<ui::ViewController>();
  std::shared_ptr<ui::NavigationController> navigation = std::make_shared<ui::NavigationController>(below);
};

}  // namespace zu::testing
