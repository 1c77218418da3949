#include "platform/ui/system/EscapeKey.h"

#include <memory>

#include "platform/ui/controllers/Alert.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

bool takesPart(const View& view) {
  return !view.isHidden() && view.alpha() >= 0.01f && view.isUserInteractionEnabled();
}

// `view` and every view above it up to its window are shown and take touches, and it lies in
// its window.
bool onScreen(const View& view) {
  for (const View* v = &view; v; v = v->superview().get()) {
    if (!takesPart(*v)) return false;
  }
  const Window* window = view.window();
  if (!window) return false;
  return view.convertRectTo(view.bounds(), nullptr).intersects(window->bounds());
}

// A bar's way back, pressed: its back button, else its top item's left button.
bool pressBarWayBack(NavigationBar& bar) {
  if (const auto& backItem = bar.backButtonItem()) {
    if (backItem->isEnabled() && backItem->view() && onScreen(*backItem->view())) return bar.backButtonTapped();
  }
  const auto top = bar.topItem();
  const auto left = top ? top->leftBarButtonItem() : nullptr;
  if (!left || !left->isEnabled()) return false;
  const auto view = left->view();
  if (!view || !onScreen(*view)) return false;
  if (auto control = std::dynamic_pointer_cast<Control>(left->customView())) {
    if (!control->isEnabled()) return false;
    control->sendActionsForControlEvents(kControlEventTouchUpInside);
    return true;
  }
  return left->sendAction();
}

// Front to back: the first way back in `view`'s tree, pressed.
bool pressWayBackIn(const std::shared_ptr<View>& view) {
  if (!view || !takesPart(*view)) return false;
  // A bar's back or left button first; a marked control among its other buttons after.
  if (auto bar = std::dynamic_pointer_cast<NavigationBar>(view); bar && pressBarWayBack(*bar)) return true;
  if (auto control = std::dynamic_pointer_cast<Control>(view); control && control->leavesScreen()) {
    if (!control->isEnabled() || !onScreen(*control)) return false;
    control->sendActionsForControlEvents(kControlEventTouchUpInside);
    return true;
  }
  const auto subviews = view->subviews();  // a press may change the tree
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    if (pressWayBackIn(*it)) return true;
  }
  return false;
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
    menu.setMenuVisible(false);
    return true;
  }
  const Point middle = Screen::main().bounds().center();
  auto window = Application::shared().windowForTouch(middle);
  if (!window) return false;
  // The screen under the middle: the window's subview that holds the view a touch would reach.
  std::shared_ptr<View> screen = window->hitTest(window->pointFromSuperview(middle));
  while (screen && screen->superview() && screen->superview() != window) screen = screen->superview();
  if (!screen || screen == window) return false;
  auto keep = window;
  return pressWayBackIn(screen);
}

}  // namespace zu::ui
