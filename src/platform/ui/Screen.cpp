#include "platform/ui/Screen.h"

#include <cmath>

#include "platform/ui/Application.h"

namespace zu::ui {

Screen& Screen::main() {
  static Screen* screen = new Screen;  // never destroyed
  return *screen;
}

Rect Screen::applicationFrame() const {
  if (Application::shared().isStatusBarHidden()) return bounds();
  return Rect(0, 20, 320, 460);
}

void Screen::setBrightness(float value) {
  if (std::isnan(value)) return;
  brightness_ = value < 0 ? 0 : (value > 1 ? 1 : value);
}

}  // namespace zu::ui
