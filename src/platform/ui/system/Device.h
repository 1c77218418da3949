// Device: what the code may ask about the device (Device::current()): the system version
// string (the one value tests inject), the model, system name and multitasking of the
// platform's device profile, and which way the device points. Main thread.
//
// Kept from the phone: systemVersion is a dotted string that callers compare as a number. The
// number is the process's one system version (SystemEnvironment, which book layout reads):
// setting the string sets it too (a string that is no number sets NaN), so both always agree.
#pragma once

#include <string>

#include "platform/device/DeviceProfile.h"

namespace zu::ui {

// Which way the device points, numbered as the phone numbers it (landscape left: the home
// button on the right, which is the interface's landscape right).
enum class DeviceOrientation {
  Unknown = 0,
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 3,
  LandscapeRight = 4,
  FaceUp = 5,
  FaceDown = 6,
};

class Device {
 public:
  inline static const char* const kOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

  static Device& current();

  // The string last set when it still reads as the system environment's version; otherwise
  // that version as text ("5" for the default 5.0), so whoever set the number wins.
  std::string systemVersion() const;
  void setSystemVersion(std::string version);
  std::string model() const { return DeviceProfile::model(); }
  std::string systemName() const { return DeviceProfile::systemName(); }
  bool isMultitaskingSupported() const { return DeviceProfile::isMultitaskingSupported(); }

  DeviceOrientation orientation() const { return orientation_; }
  // The device turned (the screen host's rotate key, a replay, a test): posts
  // "UIDeviceOrientationDidChangeNotification" (no object) when the orientation changed, then
  // the interface follows (InterfaceRotation::deviceDidTurn) when it points one of the four
  // upright ways.
  void setOrientation(DeviceOrientation orientation, bool animated = true);
  // Turned a quarter to the left (counter-clockwise) or right, from the last upright way.
  void turnLeft();
  void turnRight();

  void resetForTesting();

 private:
  Device() = default;
  std::string systemVersion_;
  DeviceOrientation orientation_ = DeviceOrientation::Portrait;
};

}  // namespace zu::ui
