#include "app/ScreenInput.h"

#include <utility>

#include "platform/ui/system/Application.h"
#include "platform/ui/system/CopyKey.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/ui/text/FocusChain.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/input/Touch.h"
#include "platform/ui/views/Window.h"

namespace zu {

ScreenInput::~ScreenInput() {
  // Fingers still down when the host goes are lifted where they are.
  auto window = window_.lock();
  for (auto& finger : fingers_) {
    if (window && finger) window->cancelTouch(finger);
    finger.reset();
  }
}

ui::Point ScreenInput::mirrored(ui::Point point) {
  const ui::Rect screen = ui::Screen::main().bounds();
  return {screen.size.width - point.x, screen.size.height - point.y};
}

void ScreenInput::press(ui::Point point, bool pinch) {
  if (isPressed()) return;
  auto window = ui::Application::shared().windowForTouch(point);
  if (!window) {
    // Over the drawn keyboard (which takes the touches of the windows below it): its key.
    key_ = ui::Keyboard::shared().keyAt(point);
    return;
  }
  window_ = window;
  fingers_[0] = window->beginTouch(window->pointFromSuperview(point));
  if (pinch) fingers_[1] = window->beginTouch(window->pointFromSuperview(mirrored(point)));
}

void ScreenInput::move(ui::Point point) {
  auto window = window_.lock();
  if (!window || !fingers_[0]) return;
  window->moveTouch(fingers_[0], window->pointFromSuperview(point));
  if (fingers_[1]) window->moveTouch(fingers_[1], window->pointFromSuperview(mirrored(point)));
}

void ScreenInput::release(ui::Point point) {
  if (auto key = std::exchange(key_, std::nullopt)) {
    // A key is pressed when the finger lifts on it.
    if (ui::Keyboard::shared().keyAt(point) == key) ui::Keyboard::shared().pressKey(*key);
    return;
  }
  if (!isPressed()) return;
  auto window = window_.lock();
  auto first = std::move(fingers_[0]);
  auto second = std::move(fingers_[1]);
  fingers_[0].reset();
  fingers_[1].reset();
  if (!window) return;
  if (second) window->endTouch(second, window->pointFromSuperview(mirrored(point)));
  window->endTouch(first, window->pointFromSuperview(point));
}

bool ScreenInput::type(const std::string& text) { return ui::Keyboard::shared().type(text); }

bool ScreenInput::backspace() { return ui::Keyboard::shared().pressDelete(); }

bool ScreenInput::enter() { return ui::Keyboard::shared().pressReturn(); }

bool ScreenInput::edit(const std::string& action) {
  // Ctrl+C copies a page's selection too, while no entry is edited.
  if (action == "copy:") return ui::CopyKey::press();
  return ui::Keyboard::shared().performEditCommand(action);
}

bool ScreenInput::deleteForward() { return ui::Keyboard::shared().pressDeleteForward(); }

bool ScreenInput::deleteWord(bool forward) { return ui::Keyboard::shared().deleteWord(forward); }

bool ScreenInput::compose(const std::string& text, size_t cursor) {
  return ui::Keyboard::shared().setMarkedText(text, cursor);
}

bool ScreenInput::isComposing() const { return ui::Keyboard::shared().hasMarkedText(); }

bool ScreenInput::moveCaret(ui::CaretMove move, bool extend) { return ui::Keyboard::shared().moveCaret(move, extend); }

bool ScreenInput::tab(bool backwards) { return ui::FocusChain::advance(backwards); }

bool ScreenInput::back() {
  // Escape while the input method composes drops the composition and nothing else.
  if (isComposing()) return compose(std::string(), 0);
  return ui::EscapeKey::press();
}

void ScreenInput::turnLeft() { ui::Device::current().turnLeft(); }

void ScreenInput::turnRight() { ui::Device::current().turnRight(); }

void ScreenInput::turnTo(ui::DeviceOrientation orientation) { ui::Device::current().setOrientation(orientation); }

}  // namespace zu
