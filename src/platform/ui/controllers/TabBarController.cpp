#include "platform/ui/controllers/TabBarController.h"

#include <algorithm>

#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/controllers/TabBarItem.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

TabBarController::TabBarController() : ViewController(std::nullopt), tabBar_(std::make_shared<TabBar>()) {}

TabBarController::~TabBarController() {
  for (auto& c : controllers_) {
    if (c->parentViewController() == this) c->setParentViewController(nullptr);
  }
}

void TabBarController::wireBar() {
  auto self = std::static_pointer_cast<TabBarController>(shared());
  if (self) tabBar_->setDelegate(std::weak_ptr<TabBarDelegate>(self));
}

std::shared_ptr<ViewController> TabBarController::selectedViewController() const {
  return selected_ < controllers_.size() ? controllers_[selected_] : nullptr;
}

void TabBarController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool) {
  auto keep = shared();
  wireBar();
  std::shared_ptr<ViewController> old = selectedViewController();
  std::vector<std::shared_ptr<ViewController>> list;
  for (auto& c : controllers) {
    if (!c || c.get() == this || std::find(list.begin(), list.end(), c) != list.end()) continue;
    const bool ours = std::find(controllers_.begin(), controllers_.end(), c) != controllers_.end();
    if (!ours && (c->parentViewController() || c->presentingViewController())) continue;
    list.push_back(c);
  }
  for (auto& c : controllers_) {
    if (std::find(list.begin(), list.end(), c) == list.end() && c->parentViewController() == this) {
      c->setParentViewController(nullptr);
    }
  }
  for (auto& c : list) c->setParentViewController(this);
  controllers_ = std::move(list);
  std::vector<std::shared_ptr<TabBarItem>> items;
  for (auto& c : controllers_) items.push_back(c->tabBarItem());
  tabBar_->setItems(std::move(items));

  auto it = std::find(controllers_.begin(), controllers_.end(), old);
  if (old && it != controllers_.end()) {
    selected_ = static_cast<size_t>(it - controllers_.begin());
    tabBar_->setSelectedItem(old->tabBarItem());
    return;
  }
  if (old) {
    // The old selection is gone: its view leaves before the first controller is shown.
    const bool onScreen = isViewLoaded() && view()->window();
    if (onScreen) old->sendAppearance(AppearanceCallback::WillDisappear, false);
    if (old->isViewLoaded() && old->view()->superview() == content_) old->view()->removeFromSuperview();
    if (onScreen) old->sendAppearance(AppearanceCallback::DidDisappear, false);
  }
  selected_ = kNoSelection;
  tabBar_->setSelectedItem(nullptr);
  if (!controllers_.empty()) setSelectedIndex(0);
}

void TabBarController::setSelectedIndex(size_t index) {
  if (index >= controllers_.size() || index == selected_) return;
  auto keep = shared();
  std::shared_ptr<ViewController> old = selectedViewController();
  selected_ = index;
  std::shared_ptr<ViewController> next = controllers_[index];
  tabBar_->setSelectedItem(next->tabBarItem());
  if (!isViewLoaded()) return;
  const bool onScreen = view()->window() != nullptr;
  std::shared_ptr<View> nextView = next->view();
  if (onScreen && old) old->sendAppearance(AppearanceCallback::WillDisappear, false);
  if (onScreen) next->sendAppearance(AppearanceCallback::WillAppear, false);
  if (old && old->isViewLoaded() && old->view()->superview() == content_) old->view()->removeFromSuperview();
  nextView->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  nextView->setFrame(content_->bounds());
  content_->addSubview(nextView);
  updateBottomBar(false);
  if (onScreen && old) old->sendAppearance(AppearanceCallback::DidDisappear, false);
  if (onScreen) next->sendAppearance(AppearanceCallback::DidAppear, false);
}

void TabBarController::setSelectedViewController(const ViewController* controller) {
  auto it = std::find_if(controllers_.begin(), controllers_.end(),
                         [&](const std::shared_ptr<ViewController>& c) { return c.get() == controller; });
  if (it != controllers_.end()) setSelectedIndex(static_cast<size_t>(it - controllers_.begin()));
}

void TabBarController::loadView() {
  wireBar();
  auto view = std::make_shared<View>(Screen::main().applicationFrame());
  view->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  setView(view);
  const Rect b = view->bounds();
  content_ = std::make_shared<View>(Rect(0, 0, b.size.width, b.size.height - barHeight_));
  content_->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  tabBar_->setFrame(Rect(0, b.size.height - barHeight_, b.size.width, barHeight_));
  view->addSubview(content_);
  view->addSubview(tabBar_);
  showSelected();
}

void TabBarController::showSelected() {
  auto selected = selectedViewController();
  if (!selected) return;
  const std::shared_ptr<View>& v = selected->view();
  v->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  v->setFrame(content_->bounds());
  content_->addSubview(v);
  updateBottomBar(false);
}

bool TabBarController::bottomBarWanted() const {
  auto* nav = dynamic_cast<NavigationController*>(selectedViewController().get());
  return !(nav && nav->hidesBottomBar());
}

void TabBarController::layOutBottomBar() {
  const bool show = bottomBarWanted();
  const Rect b = view()->bounds();
  tabBar_->setFrame(Rect(0, b.size.height - barHeight_, b.size.width, barHeight_));
  tabBar_->setHidden(!show);
  content_->setFrame(Rect(0, 0, b.size.width, b.size.height - (show ? barHeight_ : 0)));
}

void TabBarController::updateBottomBar(bool animated, bool forward) {
  if (!isViewLoaded() || !content_) return;
  const bool show = bottomBarWanted();
  // A slide that runs already goes where the stack wants the bar: it goes on, and lays the bar
  // and the content out at its end.
  if (sliding_ && show == slidesIn_) return;
  const uint64_t serial = ++bottomBarSerial_;
  // Shown now, or by the end of the slide that runs.
  const bool shown = sliding_ ? slidesIn_ : !tabBar_->isHidden();
  sliding_ = false;
  heldSlide_ = nullptr;
  if (!animated || show == shown || !view()->window() || !Animations::areEnabled()) {
    Animations::performWithoutAnimation([this] { layOutBottomBar(); });
    return;
  }
  // In step with the navigation's slide: the bar leaves with the screen that goes (left on a
  // push, right on a pop) or arrives with the one that comes. The content reaches down to the
  // bottom while the bar moves, and gives it its room back only once it is in place, so the
  // screens always cover what the bar does not.
  const Rect b = view()->bounds();
  const Rect home(0, b.size.height - barHeight_, b.size.width, barHeight_);
  const float away = forward ? -b.size.width : b.size.width;
  Animations::performWithoutAnimation([&] {
    content_->setFrame(Rect(0, 0, b.size.width, b.size.height));
    tabBar_->setHidden(false);
    tabBar_->setFrame(show ? home.offsetBy(-away, 0) : home);
  });
  sliding_ = true;
  slidesIn_ = show;
  std::weak_ptr<Object> weakSelf = weak_from_this();
  const Rect to = show ? home : home.offsetBy(away, 0);
  auto slide = [weakSelf, serial, to] {
    auto self = std::static_pointer_cast<TabBarController>(weakSelf.lock());
    if (!self || self->bottomBarSerial_ != serial) return;
    auto bar = self->tabBar_;
    Animations::animate(NavigationController::kTransitionDuration, [bar, to] { bar->setFrame(to); },
                        [weakSelf, serial](bool) {
                          auto self = std::static_pointer_cast<TabBarController>(weakSelf.lock());
                          if (!self || self->bottomBarSerial_ != serial || !self->content_) return;
                          self->sliding_ = false;
                          self->layOutBottomBar();
                        });
  };
  if (slideHolds_ > 0) {
    heldSlide_ = std::move(slide);
  } else {
    slide();
  }
}

void TabBarController::holdBottomBarSlide() { ++slideHolds_; }

void TabBarController::releaseBottomBarSlide() {
  if (slideHolds_ == 0 || --slideHolds_ > 0 || !heldSlide_) return;
  auto slide = std::move(heldSlide_);
  heldSlide_ = nullptr;
  slide();
}

void TabBarController::setTabBarHeight(float height) {
  barHeight_ = std::max(0.f, height);
  if (!isViewLoaded() || !content_) return;
  updateBottomBar(false);
}

bool TabBarController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  if (controllers_.empty()) return ViewController::shouldAutorotateToInterfaceOrientation(orientation);
  for (auto& c : controllers_) {
    if (!c->shouldAutorotateToInterfaceOrientation(orientation)) return false;
  }
  return true;
}

void TabBarController::tabBarDidSelectItem(TabBar&, TabBarItem& item) {
  auto keep = shared();
  auto it = std::find_if(controllers_.begin(), controllers_.end(),
                         [&](const std::shared_ptr<ViewController>& c) { return c->tabBarItem().get() == &item; });
  if (it == controllers_.end()) return;
  std::shared_ptr<ViewController> controller = *it;
  const size_t index = static_cast<size_t>(it - controllers_.begin());
  auto delegate = delegate_.lock();
  if (delegate && !delegate->tabBarControllerShouldSelect(*this, *controller)) {
    // Refused: the bar shows the old selection again.
    auto current = selectedViewController();
    tabBar_->setSelectedItem(current ? current->tabBarItem() : nullptr);
    return;
  }
  if (index == selected_) {
    if (auto* nav = dynamic_cast<NavigationController*>(controller.get())) nav->popToRootViewController(true);
  } else {
    setSelectedIndex(index);
  }
  if (delegate) delegate->tabBarControllerDidSelect(*this, *controller);
}

}  // namespace zu::ui
