// TabBarController: view controllers shown one at a time above a 49-point tab bar whose items
// are the controllers' tab bar items. Made with std::make_shared; main thread only. It owns its
// controllers; its delegate is not retained.
//
// Kept from the phone:
//  - The first controller is selected when controllers are set (or the old selection when it is
//    still among them). Changing the selection while the view is in a window sends the old
//    controller's viewWillDisappear, the new one's viewWillAppear, swaps the views, then
//    viewDidDisappear and viewDidAppear, all unanimated.
//  - A tap on an item asks the delegate's shouldSelect; when it agrees the controller is
//    selected and didSelect follows (also when it was selected already; then a navigation
//    controller pops to its root, animated). Selecting by code asks and tells nobody.
//  - The view's subviews are the content area, then the tab bar. The tab bar hides, and the
//    content takes its room, while the selected navigation controller's stack hides it. In an
//    animated push or pop the bar slides across in step with the screens (out with the one that
//    leaves, in with the one that comes back), the content reaching down under it meanwhile, so
//    no strip of the empty view shows; it is hidden, or gives back the content's room, once the
//    slide ends. A push or pop begun while it slides lets the slide go on when it goes where the
//    new stack wants the bar, and otherwise turns it back with the new screens. The slide starts
//    with the screens' own, after their appearance callbacks, however long those take.
// Where we differ on purpose: a subclass that lowers its bar says how high it is
// (setTabBarHeight); the bar keeps that height at the bottom of the view and the content reaches
// down to it on every selection and navigation change (laid out for the bar's usual 49 points
// again, the content would leave a band above a lowered bar).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/controllers/TabBar.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

class TabBarController;

class TabBarControllerDelegate {
 public:
  virtual ~TabBarControllerDelegate() = default;
  virtual bool tabBarControllerShouldSelect(TabBarController&, ViewController&) { return true; }
  virtual void tabBarControllerDidSelect(TabBarController&, ViewController&) {}
};

class TabBarController : public ViewController, public TabBarDelegate {
 public:
  static constexpr size_t kNoSelection = static_cast<size_t>(-1);

  TabBarController();
  ~TabBarController() override;

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return controllers_; }
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated = false);
  size_t selectedIndex() const { return selected_; }
  // An index out of range is ignored.
  void setSelectedIndex(size_t index);
  std::shared_ptr<ViewController> selectedViewController() const;
  void setSelectedViewController(const ViewController* controller);

  const std::shared_ptr<TabBar>& tabBar() const { return tabBar_; }
  void setDelegate(std::weak_ptr<TabBarControllerDelegate> delegate) { delegate_ = std::move(delegate); }

  // Shows or hides the tab bar as the selected controller asks (its navigation stack). Animated
  // (a push when `forward`, else a pop), the bar slides across with the navigation's screens.
  void updateBottomBar(bool animated, bool forward = true);
  // While held, an animated change of updateBottomBar sets the bar and the content up at once
  // but starts the bar's slide only when the last hold is released: a navigation controller
  // holds it over its screens' appearance callbacks, so the bar starts moving with the screens
  // however long the callbacks take.
  void holdBottomBarSlide();
  void releaseBottomBarSlide();
  // The bar's height at the bottom of the view (TabBar::kHeight unless a subclass lowers it).
  float tabBarHeight() const { return barHeight_; }

  void loadView() override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;
  void tabBarDidSelectItem(TabBar& bar, TabBarItem& item) override;

 protected:
  // Lays the bar out `height` points high at the bottom of the view, the content above it.
  void setTabBarHeight(float height);

 private:
  void wireBar();
  void showSelected();
  // Whether the selected controller wants the tab bar.
  bool bottomBarWanted() const;
  // Puts the bar and the content where the selected controller wants them, at once.
  void layOutBottomBar();

  std::vector<std::shared_ptr<ViewController>> controllers_;
  size_t selected_ = kNoSelection;
  std::shared_ptr<TabBar> tabBar_;
  std::shared_ptr<View> content_;
  std::weak_ptr<TabBarControllerDelegate> delegate_;
  float barHeight_ = TabBar::kHeight;
  // Counts the bar's layouts, so the end of a superseded slide changes nothing.
  uint64_t bottomBarSerial_ = 0;
  // A slide of the bar runs, and whether it brings the bar in (else takes it out).
  bool sliding_ = false;
  bool slidesIn_ = false;
  // The holds on the slide, and the slide set up meanwhile.
  int slideHolds_ = 0;
  std::function<void()> heldSlide_;
};

}  // namespace zu::ui
