// Device: what the code may ask about the device (Device::current()): the system version
// string (the one value tests inject), and the model, system name and multitasking of the
// platform's device profile. Main thread.
//
// Kept from the phone: systemVersion is a dotted string that callers compare as a number. The
// number is the process's one system version (SystemEnvironment, which book layout reads):
// setting the string sets it too (a string that is no number sets NaN), so both always agree.
#pragma once

#include <string>

#include "platform/device/DeviceProfile.h"

namespace zu::ui {

class Device {
 public:
  static Device& current();

  // The string last set when it still reads as the system environment's version; otherwise
  // that version as text ("5" for the default 5.0), so whoever set the number wins.
  std::string systemVersion() const;
  void setSystemVersion(std::string version);
  std::string model() const { return DeviceProfile::model(); }
  std::string systemName() const { return DeviceProfile::systemName(); }
  bool isMultitaskingSupported() const { return DeviceProfile::isMultitaskingSupported(); }

  void resetForTesting();

 private:
  Device() = default;
  std::string systemVersion_;
};

}  // namespace zu::ui
