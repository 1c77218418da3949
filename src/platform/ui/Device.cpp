#include "platform/ui/Device.h"

#include <charconv>
#include <cmath>

#include "platform/device/SystemEnvironment.h"

namespace zu::ui {

Device& Device::current() {
  static Device* device = new Device;  // never destroyed
  return *device;
}

namespace {

// Read as the phone's floatValue does, in the C locale: the leading number ("4.3.1" is 4.3);
// none is NaN.
float numberOf(const std::string& version) {
  float value = std::nanf("");
  const auto result = std::from_chars(version.data(), version.data() + version.size(), value);
  return result.ec == std::errc() ? value : std::nanf("");
}

bool same(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

std::string Device::systemVersion() const {
  const float current = SystemEnvironment::systemVersion();
  if (!systemVersion_.empty() && same(numberOf(systemVersion_), current)) return systemVersion_;
  if (std::isnan(current)) return std::string();
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, current);
  return std::string(buf, result.ptr);
}

void Device::setSystemVersion(std::string version) {
  systemVersion_ = std::move(version);
  SystemEnvironment::setSystemVersion(numberOf(systemVersion_));
}

void Device::resetForTesting() {
  systemVersion_.clear();
  SystemEnvironment::setSystemVersion(SystemEnvironment::kDefaultSystemVersion);
}

}  // namespace zu::ui
