// MSCustomTabBarController: the application's root tab bar controller (the main interface
// file's). Its view loads the kit's tab bar, then moves the bar 12 points down and 12 shorter
// (the content 12 taller), covers the kit's own items with a white control (tag 21) and puts one
// button per tab on top (tag 10 + i, 80 × 37 points at x 80 i), with a 5-point shadow strip
// just above the bar (tag 31, lowest in the bar) that is hidden on the first tab.
//
// The selected tab's button is disabled: that state is its selected look, and it cannot be
// pressed again. Selecting a tab (a press, or setSelectedTabIndex from another screen) enables
// the old button, disables the new one, shows or hides the strip, tells the tab's top
// controller through ControllerSelectedProtocol when it adopts it, then selects the index in the
// kit's controller (which sends the appearance callbacks). An index outside the tabs is ignored.
// Unloading the view (a memory warning) removes the buttons, cover and strip; the selection
// survives and the next load makes them again. The buttons and the strip wear the day or night
// look (MyFaceSettings) and change it on "Notification_Night" (object: a boxed bool).
//
// Main thread only; made with std::make_shared (usually by the main interface file).
#pragma once

#include <memory>

#include "platform/ui/controllers/TabBarController.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
}  // namespace ui

class MSCustomTabBarController : public ui::TabBarController {
 public:
  static constexpr int kShadowTag = 31;
  static constexpr int kCoverTag = 21;
  static constexpr int kFirstButtonTag = 10;
  static constexpr float kBarShift = 12;
  static constexpr float kButtonWidth = 80;
  static constexpr float kButtonHeight = 37;

  static constexpr const char* kNightNotification = "Notification_Night";

  // Takes the night flag from the display settings and follows "Notification_Night".
  MSCustomTabBarController();
  ~MSCustomTabBarController() override;

  int oldSelected() const { return oldSelected_; }
  const std::shared_ptr<ui::ImageView>& shadowView() const { return shadowView_; }
  // The button of tab `index` in the tab bar, or null (view not loaded, no such tab).
  std::shared_ptr<ui::Button> tabButton(int index) const;

  // Selects a tab as a press on its button would; an index outside the tabs is ignored.
  void setSelectedTabIndex(int index);
  void tabButtonPressedAction(ui::Button& button);
  // Switches the day/night look and dresses the tab bar's buttons and strip again.
  void modeChangeNotification(bool night);

  void viewDidLoad() override;
  void viewDidUnload() override;

 private:
  int oldSelected_ = 0;
  std::shared_ptr<ui::ImageView> shadowView_;
};

}  // namespace zu
