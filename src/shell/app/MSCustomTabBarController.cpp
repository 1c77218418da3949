#include "shell/app/MSCustomTabBarController.h"

#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/runtime/NotificationCenter.h"
#include "shell/app/ControllerSelectedProtocol.h"
#include "shell/skin/MyFaceSettings.h"

namespace zu {

MSCustomTabBarController::MSCustomTabBarController() {
  MyFaceSettings::setMode();
  NotificationCenter::defaultCenter().add(kNightNotification, this,
                                          [this](const Notification& note) { modeChangeNotification(note.object.boolValue()); });
}

MSCustomTabBarController::~MSCustomTabBarController() { NotificationCenter::defaultCenter().remove(this); }

void MSCustomTabBarController::modeChangeNotification(bool night) {
  MyFaceSettings::setModeIsNight(night);
  if (const auto& bar = tabBar()) MyFaceSettings::setImageForTabBar(*bar, static_cast<int>(viewControllers().size()));
}

std::shared_ptr<ui::Button> MSCustomTabBarController::tabButton(int index) const {
  if (!isViewLoaded() || !tabBar()) return nullptr;
  for (const auto& subview : tabBar()->subviews()) {
    if (subview->tag() == kFirstButtonTag + index) return std::dynamic_pointer_cast<ui::Button>(subview);
  }
  return nullptr;
}

void MSCustomTabBarController::viewDidLoad() {
  ui::TabBarController::viewDidLoad();
  const auto& bar = tabBar();
  setTabBarHeight(ui::TabBar::kHeight - kBarShift);
  const int n = static_cast<int>(viewControllers().size());
  bar->setClipsToBounds(false);

  shadowView_ = std::make_shared<ui::ImageView>(ui::Rect(0, -5, 320, 5));
  shadowView_->setTag(kShadowTag);
  bar->insertSubviewAt(shadowView_, 0);
  shadowView_->setHidden(oldSelected_ == 0);

  auto cover = std::make_shared<ui::Control>(ui::Rect(0, 0, 320, bar->bounds().size.height));
  cover->setBackgroundColor(ui::Color::whiteColor());
  cover->setTag(kCoverTag);
  bar->addSubview(cover);

  for (int i = 0; i < n; ++i) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom,
                                               ui::Rect(kButtonWidth * i, 0, kButtonWidth, kButtonHeight));
    button->setTag(kFirstButtonTag + i);
    button->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control& sender) {
      if (auto* pressed = dynamic_cast<ui::Button*>(&sender)) tabButtonPressedAction(*pressed);
    });
    bar->addSubview(button);
  }
  MyFaceSettings::setImageForTabBar(*bar, n);
  if (auto selected = tabButton(oldSelected_)) selected->setEnabled(false);
}

void MSCustomTabBarController::viewDidUnload() {
  // The view is gone already; the tab bar stays with the controller and is used again.
  if (const auto& bar = tabBar()) {
    const int n = static_cast<int>(viewControllers().size());
    for (const auto& subview : std::vector<std::shared_ptr<ui::View>>(bar->subviews())) {
      const int tag = subview->tag();
      if ((tag >= kFirstButtonTag && tag < kFirstButtonTag + n) || tag == kCoverTag) subview->removeFromSuperview();
    }
  }
  if (shadowView_) shadowView_->removeFromSuperview();
  shadowView_.reset();
  ui::TabBarController::viewDidUnload();
}

void MSCustomTabBarController::setSelectedTabIndex(int index) {
  if (index < 0 || index >= static_cast<int>(viewControllers().size())) return;
  if (auto button = tabButton(index)) tabButtonPressedAction(*button);
}

void MSCustomTabBarController::tabButtonPressedAction(ui::Button& button) {
  const int index = button.tag() - kFirstButtonTag;
  if (index < 0 || index >= static_cast<int>(viewControllers().size())) return;
  auto keep = shared();
  if (auto old = tabButton(oldSelected_)) old->setEnabled(true);
  oldSelected_ = index;
  button.setEnabled(false);
  if (shadowView_) shadowView_->setHidden(oldSelected_ == 0);
  std::shared_ptr<ui::ViewController> top = viewControllers()[static_cast<size_t>(index)];
  if (auto* navigation = dynamic_cast<ui::NavigationController*>(top.get())) top = navigation->topViewController();
  if (auto* listener = dynamic_cast<ControllerSelectedProtocol*>(top.get())) listener->controllerSelected();
  setSelectedIndex(static_cast<size_t>(oldSelected_));
}

}  // namespace zu
