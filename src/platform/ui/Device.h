// Device: what the code may ask about the device (Device::current()): the system version
// string (the one value tests inject), the model, the name and whether it multitasks.
// Main thread.
//
// Kept from the phone: systemVersion is a dotted string that callers compare as a number. The
// number is the process's one system version (SystemEnvironment, which book layout reads):
// setting the string sets it too (a string that is no number sets NaN), so both always agree.
#pragma once

#include <string>

namespace zu::ui {

class Device {
 public:
  static Device& current();

  // "5.0" (SystemEnvironment's default) unless set otherwise.
  const std::string& systemVersion() const { return systemVersion_; }
  void setSystemVersion(std::string version);
  std::string model() const { return "iPhone"; }
  std::string systemName() const { return "iPhone OS"; }
  bool isMultitaskingSupported() const { return true; }

  void resetForTesting() { setSystemVersion(kDefaultSystemVersion); }

 private:
  static constexpr const char* kDefaultSystemVersion = "5.0";
  Device() = default;
  std::string systemVersion_ = kDefaultSystemVersion;
};

}  // namespace zu::ui
