#include "common/DeviceInfo.h"

#include <net/if.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "common/Md5.h"
#include "common/Reachability.h"
#include "platform/device/DeviceProfile.h"
#include "platform/device/NetworkInterfaces.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {
std::mutex gInterfaceLock;
std::optional<std::string> gInterfaceName;
}  // namespace

bool DeviceInfo::isNetworkAvailable() { return getNetworkStatus() != Reachability::kNotReachable; }

int DeviceInfo::getNetworkStatus() {
  return Reachability::reachabilityForInternetConnection()->currentReachabilityStatus();
}

bool DeviceInfo::isItouch() {
  static const bool touch =
      StringUtil::asciiUppercase(DeviceProfile::model()).find("TOUCH") != std::string::npos;
  return touch;
}

void DeviceInfo::setMacInterfaceName(std::optional<std::string> name) {
  std::lock_guard guard(gInterfaceLock);
  gInterfaceName = std::move(name);
}

std::string DeviceInfo::macInterfaceName() {
  {
    std::lock_guard guard(gInterfaceLock);
    if (gInterfaceName) return *gInterfaceName;
  }
  if (const char* configured = std::getenv("ZU_MAC_INTERFACE"); configured && *configured) {
    return configured;
  }
  if (auto route = NetworkInterfaces::defaultRouteInterface()) return *route;
  for (const auto& item : NetworkInterfaces::list()) {
    if (!item.loopback && item.hardwareAddress) return item.name;
  }
  return "en0";
}

std::optional<std::string> DeviceInfo::macAddress() {
  const std::string name = macInterfaceName();
  if (if_nametoindex(name.c_str()) == 0) {
    std::printf("Error: if_nametoindex error\n");
    return std::nullopt;
  }
  for (const auto& item : NetworkInterfaces::list()) {
    if (item.name != name || !item.hardwareAddress) continue;
    const auto& hw = *item.hardwareAddress;
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", hw[0], hw[1], hw[2], hw[3],
                  hw[4], hw[5]);
    return std::string(text);
  }
  std::printf("Error: no link-layer address for %s\n", name.c_str());
  return std::nullopt;
}

std::optional<std::string> DeviceInfo::macDeviceId() {
  auto mac = macAddress();
  if (!mac) return std::nullopt;
  auto digest = Md5::encode(StringUtil::asciiLowercase(*mac));
  if (!digest) return std::nullopt;
  return StringUtil::asciiLowercase(*digest);
}

}  // namespace zu
