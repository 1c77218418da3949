// ViewController: owns one screen's view and receives its life-cycle callbacks, as the phone's
// view controller does. Made with std::make_shared and used on the main thread only. A
// controller owns its view; containers (NavigationController, TabBarController) own their child
// controllers, and a child's parent link is non-owning (cleared when the parent dies).
//
// Kept from the phone:
//  - The view loads lazily on the first view() call: loadView() (the interface file named by
//    nibName() — the class name when none was given — with the controller as owner, else a
//    plain view of the application frame), then viewDidLoad(), once per load.
//  - A memory warning (Application::simulateMemoryWarning) calls didReceiveMemoryWarning; by
//    default, when the view is loaded and not in a window, viewWillUnload, the view is
//    released, viewDidUnload. The next view() loads it again and calls viewDidLoad again.
//  - Appearance callbacks are sent by the containers and by modal presentation, never by
//    adding a view: the disappearing controller's viewWillDisappear, the appearing one's
//    viewWillAppear, the transition, then viewDidDisappear, then viewDidAppear. A controller
//    passes each callback on to the controllers whose views lie in its own view (children of a
//    container; from system version 5.0 also a controller whose view was added by hand),
//    after its own.
//  - Setting the title sets the navigation item's title and the tab bar item's.
//  - Presenting while a modal controller is already presented is refused (false), as is
//    presenting a controller that is already presented. Presenting from a child presents from
//    the outermost container; modalViewController() answers for the whole chain.
//  - shouldAutorotateToInterfaceOrientation is true for portrait only by default. When the
//    device turns (InterfaceRotation), the controller shown in the window is asked; one that
//    agrees gets willRotateToInterfaceOrientation (with the turn's duration) before its view
//    turns and didRotateFromInterfaceOrientation after, each passed on to the controllers
//    inside its view as appearance callbacks are.
// Where we differ on purpose: transitions without animation end synchronously; animated ones
// end when their animation record completes on the main loop (AnimationLog, injected clock).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/Object.h"

namespace zu::ui {

class NavigationController;
class NavigationItem;
class TabBarController;
class TabBarItem;
class View;
class Window;

// How a modal controller comes in, with the phone's numbers.
enum class ModalTransitionStyle { CoverVertical = 0, FlipHorizontal = 1, CrossDissolve = 2, PartialCurl = 3 };
// How much of the screen a modal controller takes, with the phone's numbers. On the phone's
// screen every style covers the whole screen, and so does every style here; the value is kept for
// the screens that choose one.
enum class ModalPresentationStyle { FullScreen = 0, PageSheet = 1, FormSheet = 2, CurrentContext = 3 };

enum class AppearanceCallback { WillAppear, DidAppear, WillDisappear, DidDisappear };
enum class RotationCallback { WillRotate, DidRotate };

class ViewController : public Object {
 public:
  // `nibName`: the interface file to load the view from; none: the class name's, if registered.
  explicit ViewController(std::optional<std::string> nibName = std::nullopt);
  ~ViewController() override;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  std::shared_ptr<ViewController> shared();

  // --- the view
  // Loads the view when needed.
  const std::shared_ptr<View>& view();
  bool isViewLoaded() const { return view_ != nullptr; }
  void setView(std::shared_ptr<View> view);
  const std::optional<std::string>& nibName() const { return nibName_; }
  // The controller whose view `view` is, or null.
  static ViewController* controllerOf(const View* view);

  // --- life cycle (override; call the base where the phone asks it)
  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewWillUnload() {}
  virtual void viewDidUnload() {}
  virtual void didReceiveMemoryWarning();
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}
  virtual void awakeFromNib() {}

  // Sends one appearance callback to this controller and on to the controllers inside its view.
  void sendAppearance(AppearanceCallback callback, bool animated);

  // --- titles and items
  const std::optional<std::string>& title() const { return title_; }
  virtual void setTitle(std::optional<std::string> title);
  const std::shared_ptr<NavigationItem>& navigationItem();
  const std::shared_ptr<TabBarItem>& tabBarItem();
  void setTabBarItem(std::shared_ptr<TabBarItem> item);

  // --- containment
  ViewController* parentViewController() const { return parent_; }
  void setParentViewController(ViewController* parent) { parent_ = parent; }
  // The nearest enclosing navigation or tab bar controller, or null.
  NavigationController* navigationController() const;
  TabBarController* tabBarController() const;
  bool hidesBottomBarWhenPushed() const { return hidesBottomBarWhenPushed_; }
  void setHidesBottomBarWhenPushed(bool hides) { hidesBottomBarWhenPushed_ = hides; }
  bool wantsFullScreenLayout() const { return wantsFullScreenLayout_; }
  void setWantsFullScreenLayout(bool wants) { wantsFullScreenLayout_ = wants; }

  // --- modal presentation
  bool presentModalViewController(const std::shared_ptr<ViewController>& controller, bool animated);
  // Dismisses the controller this one (or its chain) presents; called on a presented
  // controller, dismisses it. A dismissal may begin while the controller is still coming in;
  // the covered screen is shown again at its end. A text entry being edited in the dismissed
  // screen resigns as it starts to go, so the keyboard slides away with it.
  void dismissModalViewController(bool animated);
  std::shared_ptr<ViewController> modalViewController() const;
  ViewController* presentingViewController() const { return presenting_; }
  ModalTransitionStyle modalTransitionStyle() const { return modalTransitionStyle_; }
  void setModalTransitionStyle(ModalTransitionStyle style) { modalTransitionStyle_ = style; }
  ModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
  void setModalPresentationStyle(ModalPresentationStyle style) { modalPresentationStyle_ = style; }

  // --- orientation
  virtual bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation);
  SystemEnvironment::Orientation interfaceOrientation() const;
  // Before the view turns to `to` over `duration` seconds; after it turned from `from`.
  virtual void willRotateToInterfaceOrientation(SystemEnvironment::Orientation /*to*/, double /*duration*/) {}
  virtual void didRotateFromInterfaceOrientation(SystemEnvironment::Orientation /*from*/) {}
  // Sends one rotation callback (`orientation`: the new one for WillRotate, the old one for
  // DidRotate) to this controller and on to the controllers inside its view.
  void sendRotation(RotationCallback callback, SystemEnvironment::Orientation orientation, double duration);

  // Puts `controller`'s view in `window` as its root (frame: the application frame, or the
  // screen with wantsFullScreenLayout) with viewWillAppear / viewDidAppear.
  static void installAsRoot(Window& window, const std::shared_ptr<ViewController>& controller);

  std::string description() const override;

 protected:
  // Loads the interface file of nibName() (or of the class name) with this controller as
  // owner; true when it set the view.
  bool loadViewFromNib();
  // The outermost controller of the parent chain (this one when it has no parent).
  ViewController* outermost();
  // Runs `changes` inside a block animation of `duration` when animated (then `finish` when it
  // ends on the main loop), or plainly followed by `finish` at once.
  static void transition(bool animated, double duration, const std::function<void()>& changes,
                         std::function<void()> finish);

 private:
  void releaseView();
  void onMemoryWarning();

  std::optional<std::string> nibName_;
  std::shared_ptr<View> view_;
  std::optional<std::string> title_;
  std::shared_ptr<NavigationItem> navigationItem_;
  std::shared_ptr<TabBarItem> tabBarItem_;
  ViewController* parent_ = nullptr;      // non-owning; cleared by the parent's destructor
  ViewController* presenting_ = nullptr;  // non-owning; the presenter owns us through modal_
  std::shared_ptr<ViewController> modal_;
  bool dismissing_ = false;
  bool hidesBottomBarWhenPushed_ = false;
  bool wantsFullScreenLayout_ = false;
  ModalTransitionStyle modalTransitionStyle_ = ModalTransitionStyle::CoverVertical;
  ModalPresentationStyle modalPresentationStyle_ = ModalPresentationStyle::FullScreen;
  bool loading_ = false;
};

}  // namespace zu::ui
