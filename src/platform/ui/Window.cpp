#include "platform/ui/Window.h"

#include "platform/ui/Application.h"

namespace zu::ui {

Window::Window(const Rect& frame) : View(frame) { View::setHidden(true); }

Window::~Window() = default;

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

bool Window::isKeyWindow() const { return Application::shared().keyWindow().get() == this; }

}  // namespace zu::ui
