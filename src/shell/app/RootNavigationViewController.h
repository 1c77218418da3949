// RootNavigationViewController: a plain controller that hosts a navigation controller's view in
// its own (added at construction, which loads the view at once). Below system version 5.0 (or
// when the version is no number) the platform does not pass appearance callbacks on to a
// controller whose view was added by hand, so this controller sends each one on itself; from
// 5.0 on the platform does. Portrait only. Main thread only; owns the navigation controller.
#pragma once

#include <memory>

#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {
class NavigationController;
}  // namespace zu::ui

namespace zu {

class RootNavigationViewController : public ui::ViewController {
 public:
  explicit RootNavigationViewController(std::shared_ptr<ui::NavigationController> navController);
  ~RootNavigationViewController() override;

  const std::shared_ptr<ui::NavigationController>& navController() const { return navController_; }

  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

 private:
  static bool platformForwards();

  std::shared_ptr<ui::NavigationController> navController_;
};

}  // namespace zu
