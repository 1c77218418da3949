// CustomBrightnessWindow: dims the whole screen in software. On an old system (a system version
// below 15.0, or one that is no number) globalInit() puts one borderless black window of
// 1000 × 1000 points above the alerts (level alert + 1) that takes no touches, whose alpha
// follows the brightness b: 1 − (0.7 b + 0.3), computed in double and narrowed, so 1.0 is clear
// and 0.0 the darkest (0.7). The accepted brightness is stored as the lightness setting and
// re-applied at every start. On a newer system no overlay exists and the screen's own
// brightness is driven instead (and not stored).
//
// Brightness outside 0…1 is dropped, by the class and by the window. A brightness set on an
// old system before globalInit() is lost, not stored. Main thread only; the class keeps the one
// overlay from globalInit() to globalUninit().
#pragma once

#include <memory>

#include "platform/ui/views/Window.h"

namespace zu {

class CustomBrightnessWindow : public ui::Window {
 public:
  static void globalInit();
  static void globalUninit();
  static void setBrightness(float brightness);
  static float brightness();
  // The overlay, or null (none yet, or a newer system).
  static std::shared_ptr<CustomBrightnessWindow> overlay();
  // Whether the running system needs the overlay.
  static bool isOldSystem();

  explicit CustomBrightnessWindow(const ui::Rect& frame);
  void setWindowBrightness(float brightness);
};

}  // namespace zu
