// StatusBar: the phone's status bar as the screen shows it — a 20-point strip across the
// interface's top with the signal on the left, the time in the middle and the battery on the
// right. The renderer draws it over the windows below the status bar's level while the
// application shows it (Application::isStatusBarHidden), in the style the screens set
// (Application::setStatusBarStyle), along the top edge of the interface in the status bar's
// orientation (Application::statusBarFrame gives that strip on the screen).
// StatusBar::shared(), main thread only.
//
// Kept from the phone: 20 points high; the default style is dark text on a grey gradient,
// black opaque white on black, black translucent white on a half-transparent black through
// which the screen shows; windows above the status bar's level cover it.
// Where we differ on purpose: the readings come from this machine (DeviceProfile: the battery
// and the network's signal, the clock's local time as "HH:MM"); there is no carrier name. The
// battery and signal are read again at most every kReadingSeconds of the clock, so drawing 60
// frames a second does not read the system each time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/device/DeviceProfile.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Canvas;

class StatusBar {
 public:
  static constexpr float kHeight = 20;
  static constexpr double kReadingSeconds = 10;

  static StatusBar& shared();

  // Draws the bar in the strip (0, 0, width, kHeight) of the canvas's current space.
  void draw(Canvas& canvas, float width, StatusBarStyle style);
  // The clock's local time as the bar shows it.
  std::string timeText() const;
  // Reads the battery and signal again at the next draw.
  void refresh() { readAtMicros_ = kNever; }
  const DeviceProfile::Battery& battery() const { return battery_; }
  const DeviceProfile::Signal& signal() const { return signal_; }

 private:
  static constexpr int64_t kNever = INT64_MIN;
  StatusBar() = default;
  void readIfStale();

  DeviceProfile::Battery battery_;
  DeviceProfile::Signal signal_;
  int64_t readAtMicros_ = kNever;
};

}  // namespace zu::ui
