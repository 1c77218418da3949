#include "platform/ui/text/MenuController.h"

#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

const std::vector<std::string>& MenuController::standardActions() {
  static const auto* actions = new std::vector<std::string>{"cut:", "copy:", "select:", "selectAll:", "paste:"};
  return *actions;
}

MenuController& MenuController::shared() {
  static auto* menu = new MenuController();  // never destroyed
  return *menu;
}

void MenuController::setTargetRect(const Rect& rect, const std::shared_ptr<View>& view) {
  targetRect_ = rect;
  target_ = view;
}

View* MenuController::handlerOf(const std::string& action) const {
  auto target = target_.lock();
  for (View* v = target.get(); v; v = v->nextResponder()) {
    if (v->canPerformAction(action, nullptr)) return v;
  }
  return nullptr;
}

std::vector<MenuItem> MenuController::visibleItems() const {
  std::vector<MenuItem> shown;
  for (const std::string& action : standardActions()) {
    if (handlerOf(action)) shown.push_back({action, action});
  }
  for (const MenuItem& item : items_) {
    if (handlerOf(item.action)) shown.push_back(item);
  }
  return shown;
}

bool MenuController::setMenuVisible(bool visible, bool) {
  if (visible == visible_) return visible;
  if (visible && visibleItems().empty()) return false;
  NotificationCenter::defaultCenter().post(visible ? kWillShowMenuNotification : kWillHideMenuNotification,
                                           Value());
  visible_ = visible;
  return visible;
}

bool MenuController::chooseItem(const std::string& title) {
  if (!visible_) return false;
  for (const MenuItem& item : visibleItems()) {
    if (item.title != title) continue;
    auto keep = target_.lock();
    View* handler = handlerOf(item.action);
    setMenuVisible(false);
    if (!handler) return false;
    auto keepHandler = handler->shared();
    handler->performAction(item.action, nullptr);
    return true;
  }
  return false;
}

void MenuController::resetForTesting() {
  items_.clear();
  target_.reset();
  targetRect_ = Rect();
  visible_ = false;
}

}  // namespace zu::ui
