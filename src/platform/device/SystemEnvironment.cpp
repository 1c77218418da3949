#include "platform/device/SystemEnvironment.h"

#include <atomic>

namespace zu {
namespace {

std::atomic<float> gSystemVersion{SystemEnvironment::kDefaultSystemVersion};
std::atomic<SystemEnvironment::Orientation> gOrientation{
    SystemEnvironment::Orientation::kPortrait};

}  // namespace

float SystemEnvironment::systemVersion() { return gSystemVersion.load(); }

void SystemEnvironment::setSystemVersion(float version) { gSystemVersion.store(version); }

bool SystemEnvironment::isSystemVersionAtLeast5() {
  // "below 5.0" is the only case that picks the old layout; NaN compares false.
  return !(systemVersion() < 5.0f);
}

SystemEnvironment::Orientation SystemEnvironment::statusBarOrientation() {
  return gOrientation.load();
}

void SystemEnvironment::setStatusBarOrientation(Orientation orientation) {
  gOrientation.store(orientation);
}

bool SystemEnvironment::isStatusBarPortrait() {
  Orientation o = statusBarOrientation();
  return o == Orientation::kPortrait || o == Orientation::kPortraitUpsideDown;
}

}  // namespace zu
