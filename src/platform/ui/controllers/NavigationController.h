// NavigationController: a stack of view controllers shown one at a time under a navigation bar,
// with an optional toolbar at the bottom. Made with std::make_shared; main thread only. It owns
// the controllers on its stack; its delegate is not retained.
//
// Kept from the phone:
//  - Each transition (push, pop, pop to root or to a controller, set stack) between two top
//    controllers, while the navigation controller's view is in a window: delegate willShow,
//    the old top's viewWillDisappear, the new top's viewWillAppear (loading its view first),
//    the bar's items change, then viewDidDisappear, viewDidAppear, delegate didShow. Off
//    screen, the stack and the bar change with no callbacks; the next appearance goes to the
//    top controller.
//  - Popping the root or popping to a controller not on the stack does nothing (null / empty);
//    pushing a controller already on a stack is refused.
//  - The bar's items are the stack's navigation items; the back button pops, animated.
//  - A controller on the stack that hides the bottom bar when pushed hides the tab bar of the
//    enclosing tab bar controller while it or a controller above it is on the stack.
//  - The bar is 44 points high; hiding it gives its room to the content; the toolbar starts
//    hidden. Hidden or shown with animation, a bar slides (kBarAnimationDuration) in step with
//    the content's frame: it stays visible until it has slid out, so no band of the empty view
//    shows between them.
//  - In an animated push or pop the bar's title and buttons fade into the new top's
//    (NavigationBar, over the push's duration).
//  - A screen taken off the stack (popped, or left out of a new stack) gives up the keyboard as
//    it starts to go: a text entry in it that is being edited resigns, and the keyboard slides
//    away with the screen rather than after it.
// Where we differ on purpose: a screen that shows or hides the navigation bar with animation as it
// comes or goes in an animated push or pop (from its will-appear or will-disappear) has the bar
// come in with the new screen, from the side it comes from, or go out with the old one, showing
// the old screen's title and buttons as it goes (a picture of the bar, while the bar itself is
// hidden at once); the content takes its new room at once and the old screen keeps its place on
// the screen as it slides away. So no screen is pushed down or up by a bar dropping or rising
// over it, no corner of the new screen is left uncovered while the bar moves, and a leaving bar
// never shows the new top's title (or a screen's hidden one) on its way out. The old screen also keeps its size while
// the room around it changes for the new one (the tab bar's, the bar's), so a list scrolled to
// its end does not jump as it leaves.
// Where we differ on purpose: a transition begun while an animated one runs ends the running
// one first (its did-callbacks run at once), so callbacks always pair. The new top's view is
// loaded and takes the content area's frame before its viewWillAppear and is placed and laid
// out before it shows, and the bar shows the new items, none of it recorded by an animation
// block the caller has open: a push inside a transition shows the screen and its title and
// buttons laid out at their final frames, not growing from their first sizes.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

class NavigationController;
class Toolbar;

class NavigationControllerDelegate {
 public:
  virtual ~NavigationControllerDelegate() = default;
  virtual void navigationControllerWillShow(NavigationController&, ViewController&, bool /*animated*/) {}
  virtual void navigationControllerDidShow(NavigationController&, ViewController&, bool /*animated*/) {}
};

class NavigationController : public ViewController, public NavigationBarDelegate {
 public:
  // The duration of an animated push or pop.
  static constexpr double kTransitionDuration = 0.35;
  // The duration of an animated hiding or showing of the navigation bar or the toolbar.
  static constexpr double kBarAnimationDuration = 0.2;

  explicit NavigationController(std::shared_ptr<ViewController> root = nullptr);
  ~NavigationController() override;

  std::shared_ptr<NavigationController> sharedNavigation();

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated = false);
  // False when `controller` is null, on a stack already, or presented.
  bool pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
  std::shared_ptr<ViewController> popViewController(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToViewController(const ViewController* controller,
                                                                    bool animated);
  std::shared_ptr<ViewController> topViewController() const;
  // The top controller's modal controller when it presents one, else the top controller.
  std::shared_ptr<ViewController> visibleViewController() const;

  const std::shared_ptr<NavigationBar>& navigationBar();
  bool isNavigationBarHidden() const { return barHidden_; }
  void setNavigationBarHidden(bool hidden, bool animated = false);
  const std::shared_ptr<Toolbar>& toolbar() const { return toolbar_; }
  bool isToolbarHidden() const { return toolbarHidden_; }
  void setToolbarHidden(bool hidden, bool animated = false);

  void setDelegate(std::weak_ptr<NavigationControllerDelegate> delegate) { delegate_ = std::move(delegate); }

  // True while a controller on the stack hides the bottom bar.
  bool hidesBottomBar() const;

  void loadView() override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

  // The bar's back button pops the top controller.
  bool navigationBarShouldPopItem(NavigationBar& bar, NavigationItem& item) override;

 private:
  void changeStack(std::vector<std::shared_ptr<ViewController>> stack, bool animated, bool forward);
  void adopt(const std::shared_ptr<ViewController>& controller);
  void layoutBars(bool animated);
  Rect contentFrame() const;
  void finishPending();
  void wireBar();

  std::vector<std::shared_ptr<ViewController>> stack_;
  std::shared_ptr<NavigationBar> bar_;
  std::shared_ptr<Toolbar> toolbar_;
  std::shared_ptr<View> content_;
  bool barHidden_ = false;
  bool toolbarHidden_ = true;
  std::weak_ptr<NavigationControllerDelegate> delegate_;
  // The did-half of a running animated transition.
  std::function<void()> pending_;
  uint64_t transitionSerial_ = 0;
  // Counts the bars' layouts, so the end of a superseded animated one changes nothing.
  uint64_t barsSerial_ = 0;
  // While the screens of an animated push or pop are told they appear and disappear: an
  // animated hiding or showing of the bar then goes with the screens, and was asked for.
  bool barGoesWithScreens_ = false;
  bool barAsked_ = false;
};

}  // namespace zu::ui
