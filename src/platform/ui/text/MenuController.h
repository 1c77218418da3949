// MenuController: the edit menu (MenuController::shared(), main thread only): the standard
// edit actions and the screens' own items, shown over a rectangle of a view. The menu asks the
// view and then its responder chain (View::canPerformAction, first yes wins) about each action
// when it is shown, so only what some view handles appears; choosing an item performs it on
// that view (View::performAction) and hides the menu.
//
// Kept from the phone: the standard actions come first, in the order "cut:", "copy:",
// "select:", "selectAll:", "paste:", then the custom items in the order they were set; the
// items are set once and stay for every later menu; a menu with no item the chain handles is
// not shown. Posts "UIMenuControllerWillShowMenuNotification" and
// "UIMenuControllerWillHideMenuNotification" (no object).
// Where we differ on purpose: nothing is drawn; visibleItems() and chooseItem() are how the
// screen host and tests see and use the menu. A standard item's title is its action name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class View;

struct MenuItem {
  std::string title;
  std::string action;  // the selector's name, colon included ("customCopy:")
  bool operator==(const MenuItem&) const = default;
};

class MenuController {
 public:
  inline static const char* const kWillShowMenuNotification = "UIMenuControllerWillShowMenuNotification";
  inline static const char* const kWillHideMenuNotification = "UIMenuControllerWillHideMenuNotification";
  static const std::vector<std::string>& standardActions();

  static MenuController& shared();

  const std::vector<MenuItem>& menuItems() const { return items_; }
  void setMenuItems(std::vector<MenuItem> items) { items_ = std::move(items); }

  // Where the menu points: a rectangle in `view`'s coordinates; `view` starts the chain that
  // is asked. Not retained.
  void setTargetRect(const Rect& rect, const std::shared_ptr<View>& view);
  const Rect& targetRect() const { return targetRect_; }

  bool isMenuVisible() const { return visible_; }
  // Showing asks the chain; false when nothing would show (the menu then stays hidden).
  bool setMenuVisible(bool visible, bool animated = false);

  // The items shown: standard ones, then custom ones, that a view of the chain handles.
  std::vector<MenuItem> visibleItems() const;
  // The reader chooses the shown item of that title: performed by the first view of the chain
  // that handles it, then the menu hides. False when no shown item has that title.
  bool chooseItem(const std::string& title);

  void resetForTesting();

 private:
  MenuController() = default;
  // The first view of the target's chain that handles `action`, or null.
  View* handlerOf(const std::string& action) const;

  std::vector<MenuItem> items_;
  std::weak_ptr<View> target_;
  Rect targetRect_;
  bool visible_ = false;
};

}  // namespace zu::ui
