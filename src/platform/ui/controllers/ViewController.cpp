#include "platform/ui/controllers/ViewController.h"

#include <unordered_map>

#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/InterfaceRotation.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/controllers/TabBarItem.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// Which controller owns which view, so appearance callbacks can find the controllers inside a
// view tree. Main thread only, like the controllers.
std::unordered_map<const View*, ViewController*>& owners() {
  static auto* map = new std::unordered_map<const View*, ViewController*>();
  return *map;
}

// From system version 5.0 the platform passes appearance callbacks to every controller whose
// view lies in another controller's view, not only to the children of containers.
// A version that is no number counts as older here, as the screens that forward by hand read it.
bool platformForwardsToAddedViews() { return SystemEnvironment::systemVersion() >= 5.0f; }

}  // namespace

ViewController::ViewController(std::optional<std::string> nibName) : nibName_(std::move(nibName)) {
  NotificationCenter::defaultCenter().add(Application::kDidReceiveMemoryWarningNotification, this,
                                          [this](const Notification&) { onMemoryWarning(); });
}

ViewController::~ViewController() {
  NotificationCenter::defaultCenter().remove(this);
  if (view_) owners().erase(view_.get());
  if (modal_ && modal_->presenting_ == this) modal_->presenting_ = nullptr;
}

std::shared_ptr<ViewController> ViewController::shared() {
  return std::static_pointer_cast<ViewController>(weak_from_this().lock());
}

ViewController* ViewController::controllerOf(const View* view) {
  auto it = owners().find(view);
  return it == owners().end() ? nullptr : it->second;
}

// --- the view

const std::shared_ptr<View>& ViewController::view() {
  if (!view_ && !loading_) {
    auto keep = shared();
    loading_ = true;
    loadView();
    if (!view_) setView(std::make_shared<View>(Screen::main().applicationFrame()));
    loading_ = false;
    viewDidLoad();
  }
  return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
  if (view_ == view) return;
  if (view_) owners().erase(view_.get());
  view_ = std::move(view);
  if (view_) owners()[view_.get()] = this;
}

bool ViewController::loadViewFromNib() {
  // No name given: the interface file named after the class, when there is one.
  const std::string name = nibName_ ? *nibName_ : classNameOf(*this);
  if (!NibRegistry::shared().contains(name)) return false;
  NibRegistry::shared().load(name, shared());
  return view_ != nullptr;
}

void ViewController::loadView() {
  if (!loadViewFromNib()) {
    auto view = std::make_shared<View>(Screen::main().applicationFrame());
    view->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
    setView(std::move(view));
  }
}

void ViewController::onMemoryWarning() {
  auto keep = shared();
  if (!keep) return;
  didReceiveMemoryWarning();
}

void ViewController::didReceiveMemoryWarning() {
  if (view_ && !view_->window()) releaseView();
}

void ViewController::releaseView() {
  viewWillUnload();
  std::shared_ptr<View> old = view_;
  setView(nullptr);
  old.reset();
  viewDidUnload();
}

// --- appearance

namespace {

// Calls `send` on each controller whose view lies in `view` (not below another controller's
// view): the children of `owner`, or any controller when `anyController`.
void forwardInto(ViewController& owner, View& view, bool anyController,
                 const std::function<void(ViewController&)>& send) {
  const std::vector<std::shared_ptr<View>> subviews = view.subviews();
  for (const auto& sub : subviews) {
    if (ViewController* inner = ViewController::controllerOf(sub.get())) {
      if (inner != &owner && (anyController || inner->parentViewController() == &owner)) send(*inner);
      continue;
    }
    forwardInto(owner, *sub, anyController, send);
  }
}

}  // namespace

void ViewController::sendAppearance(AppearanceCallback callback, bool animated) {
  auto keep = shared();
  switch (callback) {
    case AppearanceCallback::WillAppear:
      viewWillAppear(animated);
      break;
    case AppearanceCallback::DidAppear:
      viewDidAppear(animated);
      break;
    case AppearanceCallback::WillDisappear:
      viewWillDisappear(animated);
      break;
    case AppearanceCallback::DidDisappear:
      viewDidDisappear(animated);
      break;
  }
  if (view_) {
    std::shared_ptr<View> root = view_;
    forwardInto(*this, *root, platformForwardsToAddedViews(),
                [&](ViewController& inner) { inner.sendAppearance(callback, animated); });
  }
}

void ViewController::sendRotation(RotationCallback callback, SystemEnvironment::Orientation orientation,
                                  double duration) {
  auto keep = shared();
  if (callback == RotationCallback::WillRotate) {
    willRotateToInterfaceOrientation(orientation, duration);
  } else {
    didRotateFromInterfaceOrientation(orientation);
  }
  if (view_) {
    std::shared_ptr<View> root = view_;
    forwardInto(*this, *root, platformForwardsToAddedViews(),
                [&](ViewController& inner) { inner.sendRotation(callback, orientation, duration); });
  }
}

// --- titles and items

void ViewController::setTitle(std::optional<std::string> title) {
  title_ = std::move(title);
  navigationItem()->setTitle(title_);
  if (tabBarItem_) tabBarItem_->setTitle(title_);
}

const std::shared_ptr<NavigationItem>& ViewController::navigationItem() {
  if (!navigationItem_) navigationItem_ = std::make_shared<NavigationItem>(title_);
  return navigationItem_;
}

const std::shared_ptr<TabBarItem>& ViewController::tabBarItem() {
  if (!tabBarItem_) tabBarItem_ = std::make_shared<TabBarItem>(title_);
  return tabBarItem_;
}

void ViewController::setTabBarItem(std::shared_ptr<TabBarItem> item) { tabBarItem_ = std::move(item); }

// --- containment

NavigationController* ViewController::navigationController() const {
  for (ViewController* p = parent_; p; p = p->parent_) {
    if (auto* nav = dynamic_cast<NavigationController*>(p)) return nav;
  }
  return nullptr;
}

TabBarController* ViewController::tabBarController() const {
  for (ViewController* p = parent_; p; p = p->parent_) {
    if (auto* tabs = dynamic_cast<TabBarController*>(p)) return tabs;
  }
  return nullptr;
}

ViewController* ViewController::outermost() {
  ViewController* c = this;
  while (c->parent_) c = c->parent_;
  return c;
}

// --- modal presentation

void ViewController::transition(bool animated, double duration, const std::function<void()>& changes,
                                 std::function<void()> finish) {
  if (!animated) {
    changes();
    finish();
    return;
  }
  Animations::animate(duration, changes, [finish = std::move(finish)](bool) { finish(); });
}

namespace {

constexpr double kModalDuration = 0.4;

Rect modalFrame(const ViewController& controller) {
  return controller.wantsFullScreenLayout() ? Screen::main().bounds() : Screen::main().applicationFrame();
}

// True for the styles drawn as a transition of the modal view's superview (a flip or a curl):
// the view joins or leaves the superview inside the animation, so the transition turns from
// the content before to the content after.
bool turns(ModalTransitionStyle style) {
  return style == ModalTransitionStyle::FlipHorizontal || style == ModalTransitionStyle::PartialCurl;
}

// The changes of a modal transition: the view comes in (or goes out) by its style. A turning
// style sets the transition on `super`.
void modalMotion(const std::shared_ptr<View>& view, const std::shared_ptr<View>& super, ModalTransitionStyle style,
                 const Rect& frame, bool coming) {
  switch (style) {
    case ModalTransitionStyle::CrossDissolve:
      view->setAlpha(coming ? 1 : 0);
      break;
    case ModalTransitionStyle::FlipHorizontal:
    case ModalTransitionStyle::PartialCurl:
      if (super) {
        Animations::setTransition(style == ModalTransitionStyle::FlipHorizontal
                                      ? (coming ? kAnimationTransitionFlipFromRight : kAnimationTransitionFlipFromLeft)
                                      : (coming ? kAnimationTransitionCurlUp : kAnimationTransitionCurlDown),
                                  super);
      }
      break;
    case ModalTransitionStyle::CoverVertical:
      view->setFrame(coming ? frame : frame.offsetBy(0, Screen::main().bounds().size.height));
      break;
  }
}

}  // namespace

bool ViewController::presentModalViewController(const std::shared_ptr<ViewController>& controller,
                                                bool animated) {
  if (!controller || controller.get() == this) return false;
  auto keep = shared();
  ViewController* host = outermost();
  if (host->modal_ || controller->presenting_ || controller->parent_) return false;
  auto keepHost = host->shared();
  host->modal_ = controller;
  controller->presenting_ = host;
  std::shared_ptr<View> covered = host->view_;
  std::shared_ptr<View> super = covered ? covered->superview() : nullptr;
  if (!super || !covered->window()) return true;  // off screen: shown when the host appears

  const Rect frame = modalFrame(*controller);
  const std::shared_ptr<View>& modalView = controller->view();
  // The view has its place before it hears that it will appear.
  modalView->setTransform(Transform::identity());
  modalView->setFrame(frame);
  host->sendAppearance(AppearanceCallback::WillDisappear, animated);
  controller->sendAppearance(AppearanceCallback::WillAppear, animated);
  const ModalTransitionStyle style = controller->modalTransitionStyle_;
  const bool turning = animated && turns(style);
  if (animated && !turning) modalMotion(modalView, super, style, frame, false);
  if (!turning) super->addSubview(modalView);
  transition(
      animated, kModalDuration,
      [&] {
        if (animated) modalMotion(modalView, super, style, frame, true);
        if (turning) super->addSubview(modalView);
      },
      [keepHost, controller, covered, animated] {
        // Dismissed before the presentation ended: the covered view stays.
        if (keepHost->modal_ != controller || keepHost->dismissing_) return;
        covered->removeFromSuperview();
        keepHost->sendAppearance(AppearanceCallback::DidDisappear, animated);
        controller->sendAppearance(AppearanceCallback::DidAppear, animated);
        if (Window* window = controller->view_ ? controller->view_->window() : nullptr) {
          InterfaceRotation::settle(*window);
        }
      });
  return true;
}

void ViewController::dismissModalViewController(bool animated) {
  auto keep = shared();
  ViewController* host = outermost();
  if (!host->modal_) {
    // Sent to the presented controller itself: its presenter dismisses it.
    if (host->presenting_) host->presenting_->dismissModalViewController(animated);
    return;
  }
  if (host->dismissing_) return;
  std::shared_ptr<ViewController> controller = host->modal_;
  // A chain of presented controllers goes away with the one dismissed.
  if (controller->modal_) controller->dismissModalViewController(false);
  auto keepHost = host->shared();
  std::shared_ptr<View> modalView = controller->view_;
  // The dismissed screen takes the keyboard along as it goes.
  if (modalView) Keyboard::shared().resignWithin(*modalView);
  std::shared_ptr<View> super = modalView ? modalView->superview() : nullptr;
  auto done = [keepHost, controller] {
    keepHost->dismissing_ = false;
    keepHost->modal_.reset();
    controller->presenting_ = nullptr;
  };
  if (!super || !modalView->window()) {
    if (modalView) modalView->removeFromSuperview();
    done();
    return;
  }
  host->dismissing_ = true;
  std::shared_ptr<View> covered = host->view();
  controller->sendAppearance(AppearanceCallback::WillDisappear, animated);
  host->sendAppearance(AppearanceCallback::WillAppear, animated);
  super->insertSubviewBelow(covered, modalView);
  const ModalTransitionStyle style = controller->modalTransitionStyle_;
  const Rect frame = modalView->frame();
  const bool turning = animated && turns(style);
  transition(
      animated, kModalDuration,
      [&] {
        if (animated) modalMotion(modalView, super, style, frame, false);
        if (turning) modalView->removeFromSuperview();
      },
      [keepHost, controller, modalView, animated, done, frame] {
        modalView->removeFromSuperview();
        modalView->setFrame(frame);
        modalView->setAlpha(1);
        done();
        controller->sendAppearance(AppearanceCallback::DidDisappear, animated);
        keepHost->sendAppearance(AppearanceCallback::DidAppear, animated);
        if (Window* window = keepHost->view_ ? keepHost->view_->window() : nullptr) {
          InterfaceRotation::settle(*window);
        }
      });
}

std::shared_ptr<ViewController> ViewController::modalViewController() const {
  const ViewController* c = this;
  while (c->parent_) c = c->parent_;
  return c->modal_;
}

// --- orientation

bool ViewController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

SystemEnvironment::Orientation ViewController::interfaceOrientation() const {
  return Application::shared().statusBarOrientation();
}

void ViewController::installAsRoot(Window& window, const std::shared_ptr<ViewController>& controller) {
  if (!controller) return;
  window.setRootViewController(controller);
  const std::shared_ptr<View>& view = controller->view();
  view->setFrame(modalFrame(*controller));
  controller->sendAppearance(AppearanceCallback::WillAppear, false);
  window.addSubview(view);
  controller->sendAppearance(AppearanceCallback::DidAppear, false);
}

std::string ViewController::description() const {
  return classNameOf(*this);
}

}  // namespace zu::ui
