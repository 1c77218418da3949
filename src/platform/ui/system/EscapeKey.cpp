#include "platform/ui/system/EscapeKey.h"

#include <memory>

#include "platform/ui/controllers/Alert.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/views/OnScreen.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// Presses `control` as a tap would, when it is enabled and on screen.
bool pressControl(Control& control, bool evenHidden = false) {
  if (!control.isEnabled() || !OnScreen::holds(control, evenHidden)) return false;
  auto keep = control.shared();
  control.sendActionsForControlEvents(kControlEventTouchUpInside);
  return true;
}

// Front to back through the shown part of `view`'s tree: the first view `press` takes.
template <typename Press>
bool pressFirstIn(const std::shared_ptr<View>& view, const Press& press) {
  if (!view || !OnScreen::takesPart(*view)) return false;
  if (press(view)) return true;
  const auto subviews = view->subviews();  // a press may change the tree
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    if (pressFirstIn(*it, press)) return true;
  }
  return false;
}

// Front to back through the whole of `view`'s tree, hidden parts too.
bool pressHiddenWayBackIn(const std::shared_ptr<View>& view) {
  if (!view) return false;
  if (auto control = std::dynamic_pointer_cast<Control>(view); control && control->leavesScreenWhenHidden()) {
    if (pressControl(*control, true)) return true;
  }
  const auto subviews = view->subviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    if (pressHiddenWayBackIn(*it)) return true;
  }
  return false;
}

// A bar's way back, pressed: its back button, else its top item's left button.
bool pressBarWayBack(NavigationBar& bar) {
  if (const auto& backItem = bar.backButtonItem()) {
    if (backItem->isEnabled() && backItem->view() && OnScreen::holds(*backItem->view())) return bar.backButtonTapped();
  }
  const auto top = bar.topItem();
  const auto left = top ? top->leftBarButtonItem() : nullptr;
  if (!left || !left->isEnabled()) return false;
  const auto view = left->view();
  if (!view || !OnScreen::holds(*view)) return false;
  if (auto control = std::dynamic_pointer_cast<Control>(left->customView())) return pressControl(*control);
  return left->sendAction();
}

// A search bar showing its cancel button: the button, tapped.
bool pressSearchCancel(const std::shared_ptr<View>& view) {
  auto bar = std::dynamic_pointer_cast<SearchBar>(view);
  if (!bar || !bar->showsCancelButton() || !bar->cancelButton() || !OnScreen::holds(*bar->cancelButton())) return false;
  return bar->cancelButtonTapped();
}

// A way back on screen: a bar's back or left button first; a marked control among its other
// buttons after.
bool pressWayBack(const std::shared_ptr<View>& view) {
  if (auto bar = std::dynamic_pointer_cast<NavigationBar>(view); bar && pressBarWayBack(*bar)) return true;
  auto control = std::dynamic_pointer_cast<Control>(view);
  return control && control->leavesScreen() && pressControl(*control);
}

}  // namespace

bool EscapeKey::press() {
  // An alert lies above the edit menu's level: it comes first.
  if (auto alert = AlertRegistry::shared().top(); alert && alert->isVisible()) {
    const int cancel = alert->cancelButtonIndex();
    return cancel != Alert::kNoButton && alert->clickButton(cancel);
  }
  auto& menu = MenuController::shared();
  if (menu.isMenuVisible()) {
    // The selection the menu was for ends with it.
    auto target = menu.targetView();
    menu.setMenuVisible(false);
    if (target) target->endSelection();
    return true;
  }
  const Point middle = Screen::main().bounds().center();
  auto window = Application::shared().windowForTouch(middle);
  if (window && window->escapeAction()) {
    const auto action = window->escapeAction();  // the action may close the window
    action();
    return true;
  }
  if (TextInput* editing = Keyboard::shared().firstResponderInput()) {
    auto keep = Keyboard::shared().firstResponder();
    return editing->resignFirstResponder();
  }
  if (!window) return false;
  // The screen under the middle: the window's subview that holds the view a touch would reach.
  const std::shared_ptr<View> screen = OnScreen::topScreen();
  if (!screen) return false;
  auto keep = window;
  return pressFirstIn(screen, pressSearchCancel) || pressFirstIn(screen, pressWayBack) ||
         (OnScreen::takesPart(*screen) && pressHiddenWayBackIn(screen));
}

}  // namespace zu::ui
