#include "shell/app/RootNavigationViewController.h"

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/controllers/NavigationController.h"

namespace zu {

RootNavigationViewController::RootNavigationViewController(std::shared_ptr<ui::NavigationController> navController)
    : navController_(std::move(navController)) {
  if (navController_) view()->addSubview(navController_->view());
}

RootNavigationViewController::~RootNavigationViewController() {
  if (navController_ && navController_->isViewLoaded()) navController_->view()->removeFromSuperview();
}

bool RootNavigationViewController::platformForwards() { return SystemEnvironment::systemVersion() >= 5.0f; }

void RootNavigationViewController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  if (navController_ && !platformForwards()) navController_->sendAppearance(ui::AppearanceCallback::WillAppear, animated);
}

void RootNavigationViewController::viewDidAppear(bool animated) {
  ViewController::viewDidAppear(animated);
  if (navController_ && !platformForwards()) navController_->sendAppearance(ui::AppearanceCallback::DidAppear, animated);
}

void RootNavigationViewController::viewWillDisappear(bool animated) {
  ViewController::viewWillDisappear(animated);
  if (navController_ && !platformForwards()) navController_->sendAppearance(ui::AppearanceCallback::WillDisappear, animated);
}

void RootNavigationViewController::viewDidDisappear(bool animated) {
  ViewController::viewDidDisappear(animated);
  if (navController_ && !platformForwards()) navController_->sendAppearance(ui::AppearanceCallback::DidDisappear, animated);
}

bool RootNavigationViewController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

}  // namespace zu
