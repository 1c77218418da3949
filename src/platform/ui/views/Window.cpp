#include "platform/ui/views/Window.h"

#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/DisplayChanges.h"
#include "platform/ui/input/TouchDispatcher.h"
#include "platform/ui/text/MenuController.h"

namespace zu::ui {

Window::Window(const Rect& frame) : View(frame), touches_(std::make_unique<TouchDispatcher>(*this)) {
  View::setHidden(true);
}

// A window that goes away leaves the screen.
Window::~Window() { DisplayChanges::shared().markDirty(); }

void Window::setHidden(bool hidden) {
  View::setHidden(hidden);
  if (!hidden) {
    auto self = std::static_pointer_cast<Window>(shared());
    if (self) Application::shared().registerWindow(self);
  }
}

void Window::makeKeyAndVisible() {
  setHidden(false);
  makeKeyWindow();
}

void Window::makeKeyWindow() {
  auto self = std::static_pointer_cast<Window>(shared());
  if (self) Application::shared().setKeyWindow(self);
}

std::shared_ptr<View> Window::hitTest(Point p) {
  auto hit = View::hitTest(p);
  if (passesTouchesThrough_ && hit.get() == this) return nullptr;
  return hit;
}

std::shared_ptr<Touch> Window::beginTouch(Point point) {
  auto keep = shared();
  // A touch anywhere but on the edit menu dismisses it before it is handed out.
  auto& menu = MenuController::shared();
  menu.touchBeganIn(*this);
  auto touch = touches_->begin(point);
  menu.endTouchDispatch();
  return touch;
}

void Window::moveTouch(const std::shared_ptr<Touch>& touch, Point point) {
  auto keep = shared();
  touches_->move(touch, point);
}

void Window::endTouch(const std::shared_ptr<Touch>& touch) {
  if (touch) endTouch(touch, touch->locationInWindow());
}

void Window::endTouch(const std::shared_ptr<Touch>& touch, Point point) {
  auto keep = shared();
  touches_->end(touch, point);
}

void Window::cancelTouch(const std::shared_ptr<Touch>& touch) {
  auto keep = shared();
  touches_->cancel(touch);
}

void Window::tap(Point point) {
  auto touch = beginTouch(point);
  endTouch(touch, point);
}

void Window::drag(Point from, Point to, int steps) {
  auto touch = beginTouch(from);
  if (steps < 1) steps = 1;
  for (int i = 1; i <= steps; ++i) {
    const float k = static_cast<float>(i) / static_cast<float>(steps);
    moveTouch(touch, Point{from.x + (to.x - from.x) * k, from.y + (to.y - from.y) * k});
  }
  endTouch(touch, to);
}

bool Window::isKeyWindow() const { return Application::shared().keyWindow().get() == this; }

}  // namespace zu::ui
