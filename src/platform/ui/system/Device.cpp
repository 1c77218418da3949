#include "platform/ui/system/Device.h"

#include <charconv>
#include <cmath>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/system/InterfaceRotation.h"

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

void Device::setOrientation(DeviceOrientation orientation, bool animated) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  NotificationCenter::defaultCenter().post(kOrientationDidChangeNotification, Value());
  const int n = static_cast<int>(orientation);
  // Device and interface orientations share the numbers 1 to 4.
  if (n >= 1 && n <= 4) InterfaceRotation::deviceDidTurn(static_cast<SystemEnvironment::Orientation>(n), animated);
}

namespace {

// The upright ways in counter-clockwise order of the device's turning.
// (A counter-clockwise quarter turn from portrait puts the home button on the right: landscape left.)
constexpr DeviceOrientation kCounterClockwise[] = {DeviceOrientation::Portrait, DeviceOrientation::LandscapeLeft,
                                                   DeviceOrientation::PortraitUpsideDown,
                                                   DeviceOrientation::LandscapeRight};

DeviceOrientation turned(DeviceOrientation from, int steps) {
  int at = 0;
  for (int i = 0; i < 4; ++i) {
    if (kCounterClockwise[i] == from) at = i;
  }
  return kCounterClockwise[(at + steps + 4) % 4];
}

}  // namespace

void Device::turnLeft() { setOrientation(turned(orientation_, 1)); }

void Device::turnRight() { setOrientation(turned(orientation_, -1)); }

void Device::resetForTesting() {
  orientation_ = DeviceOrientation::Portrait;
  systemVersion_.clear();
  SystemEnvironment::setSystemVersion(SystemEnvironment::kDefaultSystemVersion);
}

}  // namespace zu::ui
