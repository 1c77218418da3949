#include "platform/ui/text/MenuController.h"

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/input/LongPressGestureRecognizer.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/EditMenuView.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// Above the screens and the status bar, below alerts.
constexpr float kMenuWindowLevel = kWindowLevelStatusBar + 1;

}  // namespace

const std::vector<MenuItem>& MenuController::standardItems() {
  static const auto* items = new std::vector<MenuItem>{
      {"剪切", "cut:"}, {"拷贝", "copy:"}, {"选择", "select:"}, {"全选", "selectAll:"}, {"粘贴", "paste:"}};
  return *items;
}

const std::vector<std::string>& MenuController::standardActions() {
  static const auto* actions = [] {
    auto* list = new std::vector<std::string>();
    for (const MenuItem& item : standardItems()) list->push_back(item.action);
    return list;
  }();
  return *actions;
}

MenuController& MenuController::shared() {
  static auto* menu = new MenuController();  // never destroyed
  return *menu;
}

void MenuController::addLongPressMenu(View& view, std::function<void()> began, std::function<Rect()> target) {
  auto press = std::make_shared<LongPressGestureRecognizer>();
  // The recogniser belongs to the view, so the view outlives its actions.
  press->addTarget(&view, [&view, began = std::move(began), target = std::move(target)](GestureRecognizer& g) {
    if (g.state() == GestureState::Began) {
      if (began) began();
    } else if (g.state() == GestureState::Ended) {
      auto& menu = MenuController::shared();
      menu.setTargetRect(target ? target() : view.bounds(), view.shared());
      menu.setMenuVisible(true);
    }
  });
  view.addGestureRecognizer(press);
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
  for (const MenuItem& item : standardItems()) {
    if (handlerOf(item.action)) shown.push_back(item);
  }
  for (const MenuItem& item : items_) {
    if (handlerOf(item.action)) shown.push_back(item);
  }
  return shown;
}

bool MenuController::setMenuVisible(bool visible, bool) {
  if (!visible) {
    if (!visible_) return false;
    NotificationCenter::defaultCenter().post(kWillHideMenuNotification, Value());
    visible_ = false;
    closeWindow();
    return false;
  }
  const auto items = visibleItems();
  if (items.empty()) {
    // Nothing the chain handles: a shown menu goes, none comes.
    if (visible_) setMenuVisible(false);
    return false;
  }
  if (!visible_) NotificationCenter::defaultCenter().post(kWillShowMenuNotification, Value());
  visible_ = true;
  place(items);
  return true;
}

void MenuController::place(const std::vector<MenuItem>& items) {
  auto target = target_.lock();
  Rect onScreen = targetRect_;
  if (target) {
    onScreen = target->convertRectTo(targetRect_, nullptr);
    if (Window* window = target->window()) onScreen = onScreen.offsetBy(window->frame().origin.x, window->frame().origin.y);
  }
  const Rect screen = Screen::main().bounds();
  const Rect bar = Application::shared().statusBarFrame();
  // The status bar along the top edge keeps the menu below it.
  const float topLimit = bar.origin.y <= screen.origin.y && bar.size.width >= screen.size.width ? bar.maxY() : 0;
  std::vector<std::string> titles;
  for (const MenuItem& item : items) titles.push_back(item.title);
  const auto placement = EditMenuView::layout(EditMenuView::barWidth(titles), onScreen, screen, topLimit);
  closeWindow();
  view_ = std::make_shared<EditMenuView>(titles, [items](size_t index) {
    // An item nothing handles any more (its view went) only hides the menu.
    auto& menu = MenuController::shared();
    if (index >= items.size() || !menu.chooseItem(items[index].title)) menu.setMenuVisible(false);
  });
  view_->setPlacement(placement);
  window_ = std::make_shared<Window>(placement.frame);
  window_->setWindowLevel(kMenuWindowLevel);
  window_->setBackgroundColor(Color::clearColor());
  window_->setOpaque(false);
  window_->setPassesTouchesThrough(true);
  window_->addSubview(view_);
  window_->setHidden(false);
}

void MenuController::closeWindow() {
  if (!window_) return;
  window_->setHidden(true);
  // The window may be handing out the touch that chose an item: it goes after this turn.
  if (auto loop = RunLoop::main()) loop->post([window = std::move(window_), view = std::move(view_)] {});
  window_.reset();
  view_.reset();
}

Rect MenuController::menuFrame() const { return visible_ && window_ ? window_->frame() : Rect(); }

std::shared_ptr<EditMenuView> MenuController::menuView() const { return visible_ ? view_ : nullptr; }

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

void MenuController::touchBeganIn(const Window& window) {
  if (!visible_ || &window == window_.get()) return;
  dismissingTouch_ = true;
  setMenuVisible(false);
}

void MenuController::resetForTesting() {
  items_.clear();
  target_.reset();
  targetRect_ = Rect();
  visible_ = false;
  dismissingTouch_ = false;
  if (window_) window_->setHidden(true);
  window_.reset();
  view_.reset();
}

}  // namespace zu::ui
