// MenuController: the edit menu (MenuController::shared(), main thread only): the standard
// edit actions and the screens' own items, shown over or under a rectangle of a view. The menu
// asks the view and then its responder chain (View::canPerformAction, first yes wins) about each
// action when it is shown, so only what some view handles appears; choosing an item performs it
// on that view (View::performAction) and hides the menu.
//
// Drawn: a shown menu is an EditMenuView in a window of its own above the screens (below
// alerts), as large as the menu, placed over the target rectangle (or under it, see
// EditMenuView). A finger lifted on an item chooses it (an item whose view has gone only hides
// the menu). Only the bar and its arrow take touches: a touch that begins anywhere else, beside
// the arrow too, hides the menu first (a tap elsewhere dismisses it) and then goes on as usual;
// isDismissingTouch() is true while that touch is being handed out, so a recogniser can leave
// it alone.
//
// Kept from the phone: the standard actions come first, in the order "cut:", "copy:",
// "select:", "selectAll:", "paste:" (titled as the phone titles them in Chinese: "剪切", "拷贝",
// "选择", "全选", "粘贴"), then the custom items in the order they were set; the items are set
// once and stay for every later menu; a menu with no item the chain handles is not shown.
// Posts "UIMenuControllerWillShowMenuNotification" and "UIMenuControllerWillHideMenuNotification"
// (no object).
// Where we differ on purpose: no animation (the flag is accepted); a menu wider than the screen
// is not paged.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class EditMenuView;
class View;
class Window;

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
  // The standard actions with their titles, in menu order.
  static const std::vector<MenuItem>& standardItems();

  static MenuController& shared();

  // Gives `view` a long press that shows the menu for it when the finger lifts: `began` runs as
  // the press begins (a text entry may begin editing), `target` gives the rectangle (in the
  // view's coordinates) the menu then points at. The view owns the recogniser.
  static void addLongPressMenu(View& view, std::function<void()> began, std::function<Rect()> target);

  const std::vector<MenuItem>& menuItems() const { return items_; }
  void setMenuItems(std::vector<MenuItem> items) { items_ = std::move(items); }

  // Where the menu points: a rectangle in `view`'s coordinates; `view` starts the chain that
  // is asked. Not retained.
  void setTargetRect(const Rect& rect, const std::shared_ptr<View>& view);
  const Rect& targetRect() const { return targetRect_; }
  // The view the menu is for, while it lives.
  std::shared_ptr<View> targetView() const { return target_.lock(); }

  bool isMenuVisible() const { return visible_; }
  // Showing asks the chain; false when nothing would show (the menu then stays hidden). Showing
  // a shown menu places it again with the present items and target.
  bool setMenuVisible(bool visible, bool animated = false);
  // The menu's frame on the screen while shown (the null rectangle otherwise).
  Rect menuFrame() const;
  // The shown menu's view, or null.
  std::shared_ptr<EditMenuView> menuView() const;

  // The items shown: standard ones, then custom ones, that a view of the chain handles.
  std::vector<MenuItem> visibleItems() const;
  // The reader chooses the shown item of that title: performed by the first view of the chain
  // that handles it, then the menu hides. False when no shown item has that title.
  bool chooseItem(const std::string& title);

  // Called by a window as a touch begins in it, before the touch is handed out: a touch outside
  // the menu's own window hides the menu. endTouchDispatch() follows once it was handed out.
  void touchBeganIn(const Window& window);
  void endTouchDispatch() { dismissingTouch_ = false; }
  // True while the touch that hid the menu is being handed out.
  bool isDismissingTouch() const { return dismissingTouch_; }

  void resetForTesting();

 private:
  MenuController() = default;
  // The first view of the target's chain that handles `action`, or null.
  View* handlerOf(const std::string& action) const;
  // Shows `items` in the menu window, placed for the target.
  void place(const std::vector<MenuItem>& items);
  void closeWindow();

  std::vector<MenuItem> items_;
  std::weak_ptr<View> target_;
  Rect targetRect_;
  bool visible_ = false;
  bool dismissingTouch_ = false;
  std::shared_ptr<Window> window_;
  std::shared_ptr<EditMenuView> view_;
};

}  // namespace zu::ui
