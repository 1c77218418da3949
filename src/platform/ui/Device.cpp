#include "platform/ui/Device.h"

#include <charconv>
#include <cmath>

#include "platform/device/SystemEnvironment.h"

namespace zu::ui {

Device& Device::current() {
  static Device* device = new Device;  // never destroyed
  return *device;
}

void Device::setSystemVersion(std::string version) {
  systemVersion_ = std::move(version);
  // Read as the phone's floatValue does, in the C locale: the leading number ("4.3.1" is 4.3);
  // none is NaN.
  const char* begin = systemVersion_.data();
  float value = std::nanf("");
  const auto result = std::from_chars(begin, begin + systemVersion_.size(), value);
  if (result.ec != std::errc()) value = std::nanf("");
  SystemEnvironment::setSystemVersion(value);
}

}  // namespace zu::ui
