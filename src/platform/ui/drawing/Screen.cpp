#include "platform/ui/drawing/Screen.h"

#include <cmath>

#include "platform/device/DeviceProfile.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/InterfaceRotation.h"

namespace zu::ui {

Screen& Screen::main() {
  static Screen* screen = new Screen;  // never destroyed
  return *screen;
}

Rect Screen::bounds() const {
  return Rect(0, 0, static_cast<float>(DeviceProfile::screenWidth()),
              static_cast<float>(DeviceProfile::screenHeight()));
}

float Screen::scale() const { return static_cast<float>(DeviceProfile::screenScale()); }

Rect Screen::applicationFrame() const {
  return InterfaceRotation::frameFor(Application::shared().statusBarOrientation(), false);
}

void Screen::setBrightness(float value) {
  if (std::isnan(value)) return;
  brightness_ = value < 0 ? 0 : (value > 1 ? 1 : value);
}

}  // namespace zu::ui
