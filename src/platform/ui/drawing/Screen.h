// Screen: the one screen of the device (Screen::main()): 320 × 480 points at scale 1, and its
// brightness. Main thread.
//
// Kept from the phone: bounds are (0, 0, 320, 480); applicationFrame leaves out the 20-point
// status bar when the application shows it, along whichever screen edge the interface's top is
// (the status bar's orientation), in screen coordinates; brightness is 0…1 and values outside
// are clamped.
#pragma once

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Screen {
 public:
  static Screen& main();

  // The device profile's screen.
  Rect bounds() const;
  Rect applicationFrame() const;
  float scale() const;

  float brightness() const { return brightness_; }
  void setBrightness(float value);

  void resetForTesting() { brightness_ = 0.5f; }

 private:
  Screen() = default;
  float brightness_ = 0.5f;
};

}  // namespace zu::ui
