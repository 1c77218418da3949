#include "platform/ui/controllers/NavigationController.h"

#include <algorithm>

#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

static_assert(NavigationBar::kItemsFadeDuration == NavigationController::kTransitionDuration,
              "the bar's items fade with the push");

namespace {

// While it lives, `view` is not resized with its superview; its autoresizing comes back after.
class KeptSize {
 public:
  explicit KeptSize(std::shared_ptr<View> view) : view_(std::move(view)) {
    if (!view_) return;
    mask_ = view_->autoresizingMask();
    view_->setAutoresizingMask(kAutoresizingNone);
  }
  ~KeptSize() {
    if (view_) view_->setAutoresizingMask(mask_);
  }
  KeptSize(const KeptSize&) = delete;
  KeptSize& operator=(const KeptSize&) = delete;

 private:
  std::shared_ptr<View> view_;
  unsigned mask_ = kAutoresizingNone;
};

// Holds a tab bar controller's slide while it lives.
class SlideHold {
 public:
  explicit SlideHold(TabBarController* tabs) : tabs_(tabs ? tabs->shared() : nullptr) {
    if (tabs) tabs->holdBottomBarSlide();
  }
  ~SlideHold() {
    if (auto tabs = std::static_pointer_cast<TabBarController>(tabs_)) tabs->releaseBottomBarSlide();
  }
  SlideHold(const SlideHold&) = delete;
  SlideHold& operator=(const SlideHold&) = delete;

 private:
  std::shared_ptr<ViewController> tabs_;
};

}  // namespace

NavigationController::NavigationController(std::shared_ptr<ViewController> root)
    : ViewController(std::nullopt),
      bar_(std::make_shared<NavigationBar>()),
      toolbar_(std::make_shared<Toolbar>()) {
  toolbar_->setHidden(true);
  if (root && !root->parentViewController()) {
    root->setParentViewController(this);
    bar_->setItems({root->navigationItem()});
    stack_.push_back(std::move(root));
  }
}

NavigationController::~NavigationController() {
  for (auto& c : stack_) {
    if (c->parentViewController() == this) c->setParentViewController(nullptr);
  }
}

std::shared_ptr<NavigationController> NavigationController::sharedNavigation() {
  return std::static_pointer_cast<NavigationController>(shared());
}

void NavigationController::wireBar() {
  if (bar_->delegate()) return;
  if (auto self = sharedNavigation()) bar_->setDelegate(std::weak_ptr<NavigationBarDelegate>(self));
}

const std::shared_ptr<NavigationBar>& NavigationController::navigationBar() {
  wireBar();
  return bar_;
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
  return stack_.empty() ? nullptr : stack_.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
  auto top = topViewController();
  if (auto modal = modalViewController()) return modal;
  return top;
}

bool NavigationController::hidesBottomBar() const {
  for (size_t i = 1; i < stack_.size(); ++i) {
    if (stack_[i]->hidesBottomBarWhenPushed()) return true;
  }
  return false;
}

// --- the view

Rect NavigationController::contentFrame() const {
  // Only called with the view loaded.
  auto* self = const_cast<NavigationController*>(this);
  const Rect b = self->view()->bounds();
  const float top = barHidden_ ? 0 : NavigationBar::kHeight;
  const float bottom = toolbarHidden_ ? 0 : Toolbar::kHeight;
  return Rect(0, top, b.size.width, std::max(0.f, b.size.height - top - bottom));
}

void NavigationController::loadView() {
  wireBar();
  auto view = std::make_shared<View>(Screen::main().applicationFrame());
  view->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  setView(view);
  content_ = std::make_shared<View>(view->bounds());
  content_->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  view->addSubview(content_);
  view->addSubview(bar_);
  view->addSubview(toolbar_);
  layoutBars(false);
  if (auto top = topViewController()) {
    const std::shared_ptr<View>& topView = top->view();
    topView->setFrame(content_->bounds());
    topView->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
    content_->addSubview(topView);
  }
}

void NavigationController::layoutBars(bool animated) {
  if (!isViewLoaded()) return;
  const Rect b = view()->bounds();
  auto changes = [&] {
    bar_->setFrame(Rect(0, barHidden_ ? -NavigationBar::kHeight : 0, b.size.width, NavigationBar::kHeight));
    toolbar_->setFrame(Rect(0, b.size.height - (toolbarHidden_ ? 0 : Toolbar::kHeight), b.size.width, Toolbar::kHeight));
    content_->setFrame(contentFrame());
  };
  const uint64_t serial = ++barsSerial_;
  if (!animated || !Animations::areEnabled()) {
    changes();
    bar_->setHidden(barHidden_);
    toolbar_->setHidden(toolbarHidden_);
    return;
  }
  // A bar that shows is visible from the start and slides in as the content makes room; one
  // that hides slides out while the content takes its room and is hidden at the end, so no
  // band of the empty view shows between them.
  if (!barHidden_) bar_->setHidden(false);
  if (!toolbarHidden_) toolbar_->setHidden(false);
  std::weak_ptr<Object> weakSelf = weak_from_this();
  Animations::animate(kBarAnimationDuration, changes, [weakSelf, serial](bool) {
    auto self = std::static_pointer_cast<NavigationController>(weakSelf.lock());
    if (!self || self->barsSerial_ != serial) return;
    self->bar_->setHidden(self->barHidden_);
    self->toolbar_->setHidden(self->toolbarHidden_);
  });
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated) {
  if (barHidden_ == hidden) return;
  barHidden_ = hidden;
  // Asked by a screen that comes or goes in an animated push or pop: the bar goes with the
  // screens (changeStack), not up or down over them.
  if (animated && barGoesWithScreens_) {
    barAsked_ = true;
    return;
  }
  layoutBars(animated);
}

void NavigationController::setToolbarHidden(bool hidden, bool animated) {
  if (toolbarHidden_ == hidden) return;
  toolbarHidden_ = hidden;
  layoutBars(animated);
}

// --- the stack

void NavigationController::finishPending() {
  if (!pending_) return;
  auto finish = std::move(pending_);
  pending_ = nullptr;
  finish();
}

void NavigationController::changeStack(std::vector<std::shared_ptr<ViewController>> stack, bool animated,
                                       bool forward) {
  auto keep = shared();
  finishPending();
  std::shared_ptr<ViewController> oldTop = topViewController();
  // A screen taken off the stack takes the keyboard along as it goes.
  if (oldTop && oldTop->isViewLoaded() && std::find(stack.begin(), stack.end(), oldTop) == stack.end()) {
    Keyboard::shared().resignWithin(*oldTop->view());
  }
  for (auto& c : stack_) {
    if (std::find(stack.begin(), stack.end(), c) == stack.end() && c->parentViewController() == this) {
      c->setParentViewController(nullptr);
    }
  }
  for (auto& c : stack) c->setParentViewController(this);
  stack_ = std::move(stack);
  std::shared_ptr<ViewController> newTop = topViewController();
  std::vector<std::shared_ptr<NavigationItem>> items;
  for (auto& c : stack_) items.push_back(c->navigationItem());
  const bool onScreen = isViewLoaded() && view()->window() != nullptr;
  const bool slides = animated && onScreen && oldTop != newTop && Animations::areEnabled();
  // The bar as it shows the old screen's title and buttons, for a bar that goes with the old
  // screen.
  const std::shared_ptr<Image> oldBar =
      slides && !bar_->isHidden() ? snapshotTree(*bar_, Screen::main().scale()) : nullptr;
  std::shared_ptr<View> oldView = oldTop && oldTop->isViewLoaded() ? oldTop->view() : nullptr;
  // The old screen keeps its size while the room around it changes for the new one (the tab
  // bar's, the navigation bar's) and it slides away: a list scrolled to its end would jump as
  // it grew.
  KeptSize kept(slides ? oldView : nullptr);
  // The tab bar's slide starts with the screens' (when this ends), after the callbacks.
  TabBarController* tabs = tabBarController();
  SlideHold hold(tabs);
  // The bar shows the new top's buttons and title where they belong at once, even inside an
  // animation block the caller has open; animated, the old ones fade into them.
  Animations::performWithoutAnimation([&] { bar_->setItems(std::move(items), animated); });
  if (tabs) tabs->updateBottomBar(animated, forward);
  if (oldTop == newTop || !isViewLoaded()) return;

  if (!onScreen) {
    if (oldView && oldView->superview() == content_) oldView->removeFromSuperview();
    if (newTop) {
      const std::shared_ptr<View>& newView = newTop->view();
      newView->setFrame(content_->bounds());
      content_->addSubview(newView);
    }
    return;
  }
  // The new screen is loaded and takes the content area's size before its will-appear, and is
  // placed and laid out before it shows, outside any animation block the caller has open: a
  // push inside a block (a transition) must not grow the screen, its rows, or the title and
  // buttons it gives the bar when it loads, from their first frames.
  std::shared_ptr<View> newView;
  if (newTop) {
    Animations::performWithoutAnimation([&] {
      newView = newTop->view();
      newView->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
      newView->setFrame(content_->bounds());
    });
  }
  auto delegate = delegate_.lock();
  const bool barWasHidden = barHidden_;
  barGoesWithScreens_ = slides;
  barAsked_ = false;
  if (delegate && newTop) delegate->navigationControllerWillShow(*this, *newTop, animated);
  if (oldTop) oldTop->sendAppearance(AppearanceCallback::WillDisappear, animated);
  if (newTop) newTop->sendAppearance(AppearanceCallback::WillAppear, animated);
  barGoesWithScreens_ = false;
  const bool barMoves = barAsked_ && barHidden_ != barWasHidden;
  // Hidden and shown again (or the other way) by the callbacks: the bar stays as it was.
  if (barAsked_ && !barMoves) layoutBars(false);
  barAsked_ = false;
  const float width = content_->bounds().size.width;
  const float away = forward ? -width : width;
  const Rect barHome(0, 0, view()->bounds().size.width, NavigationBar::kHeight);
  std::shared_ptr<ImageView> leavingBar;
  if (barMoves) {
    // The content takes its new room at once; the old screen keeps its place on the screen
    // (reaching under the coming bar or into the going bar's room) and the bar comes with the
    // new screen or goes with the old one, so neither screen is pushed up or down and nothing
    // uncovered shows between them.
    ++barsSerial_;
    Animations::performWithoutAnimation([&] {
      const Rect from = content_->frame();
      const Rect oldFrame = oldView ? oldView->frame() : Rect();
      content_->setFrame(contentFrame());
      const Rect to = content_->frame();
      if (oldView) oldView->setFrame(oldFrame.offsetBy(from.minX() - to.minX(), from.minY() - to.minY()));
      bar_->setHidden(barHidden_);
      if (!barHidden_) {
        bar_->setFrame(barHome.offsetBy(-away, 0));
      } else {
        bar_->setFrame(barHome.offsetBy(0, -NavigationBar::kHeight));
        if (oldBar) {
          leavingBar = std::make_shared<ImageView>(oldBar);
          leavingBar->setFrame(barHome);
          view()->insertSubviewAbove(leavingBar, content_);
        }
      }
    });
  }
  const Rect place = content_->bounds();
  if (newView) {
    Animations::performWithoutAnimation([&] {
      newView->setFrame(animated ? place.offsetBy(-away, 0) : place);
      content_->addSubview(newView);
      newView->layoutIfNeeded();
    });
  }
  const Rect oldPlace = oldView ? oldView->frame() : Rect();
  std::weak_ptr<NavigationControllerDelegate> weakDelegate = delegate_;
  auto finish = [self = sharedNavigation(), oldTop, newTop, oldView, leavingBar, animated, weakDelegate] {
    if (leavingBar) leavingBar->removeFromSuperview();
    if (oldView && oldView->superview() == self->content_) oldView->removeFromSuperview();
    if (oldTop) oldTop->sendAppearance(AppearanceCallback::DidDisappear, animated);
    if (newTop) newTop->sendAppearance(AppearanceCallback::DidAppear, animated);
    auto delegate = weakDelegate.lock();
    if (delegate && newTop) delegate->navigationControllerDidShow(*self, *newTop, animated);
  };
  if (!animated) {
    finish();
    return;
  }
  const uint64_t serial = ++transitionSerial_;
  pending_ = finish;
  std::weak_ptr<Object> weakSelf = weak_from_this();
  Animations::animate(
      kTransitionDuration,
      [&] {
        if (newView) newView->setFrame(place);
        if (oldView) oldView->setFrame(oldPlace.offsetBy(away, 0));
        if (barMoves && !barHidden_) bar_->setFrame(barHome);
        if (leavingBar) leavingBar->setFrame(barHome.offsetBy(away, 0));
      },
      [weakSelf, serial](bool) {
        auto self = std::static_pointer_cast<NavigationController>(weakSelf.lock());
        if (self && self->transitionSerial_ == serial) self->finishPending();
      });
}

bool NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller, bool animated) {
  if (!controller || controller->parentViewController() || controller->presentingViewController() ||
      controller.get() == this) {
    return false;
  }
  auto stack = stack_;
  stack.push_back(controller);
  changeStack(std::move(stack), animated, true);
  return true;
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
  if (stack_.size() < 2) return nullptr;
  std::shared_ptr<ViewController> top = stack_.back();
  auto stack = stack_;
  stack.pop_back();
  changeStack(std::move(stack), animated, false);
  return top;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool animated) {
  if (stack_.size() < 2) return {};
  return popToViewController(stack_.front().get(), animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(
    const ViewController* controller, bool animated) {
  auto it = std::find_if(stack_.begin(), stack_.end(),
                         [&](const std::shared_ptr<ViewController>& c) { return c.get() == controller; });
  if (it == stack_.end() || it + 1 == stack_.end()) return {};
  std::vector<std::shared_ptr<ViewController>> popped(it + 1, stack_.end());
  std::vector<std::shared_ptr<ViewController>> stack(stack_.begin(), it + 1);
  changeStack(std::move(stack), animated, false);
  return popped;
}

void NavigationController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                                              bool animated) {
  std::vector<std::shared_ptr<ViewController>> stack;
  for (auto& c : controllers) {
    if (!c || c.get() == this || std::find(stack.begin(), stack.end(), c) != stack.end()) continue;
    const bool ours = std::find(stack_.begin(), stack_.end(), c) != stack_.end();
    if (!ours && (c->parentViewController() || c->presentingViewController())) continue;
    stack.push_back(c);
  }
  const bool forward =
      !stack.empty() && std::find(stack_.begin(), stack_.end(), stack.back()) == stack_.end();
  changeStack(std::move(stack), animated, forward);
}

bool NavigationController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  if (auto top = topViewController()) return top->shouldAutorotateToInterfaceOrientation(orientation);
  return ViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

bool NavigationController::navigationBarShouldPopItem(NavigationBar&, NavigationItem& item) {
  auto top = topViewController();
  if (stack_.size() > 1 && top && top->navigationItem().get() == &item) popViewController(true);
  // The stack sets the bar's items itself.
  return false;
}

}  // namespace zu::ui
