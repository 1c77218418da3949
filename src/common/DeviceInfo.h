// DeviceInfo: whether the network is usable and how, what kind of device this is, and the
// device's MAC address with the device id derived from it (sent by the engine as the MAC
// device id). Class functions only, callable from any thread.
//
// The MAC address is that of one configured interface: the name given to
// setMacInterfaceName(), else $ZU_MAC_INTERFACE, else the interface of the default route,
// else the first interface other than loopback that has a link-layer address. The engine
// stores the derived id once at its first start, so it stays the same afterwards even when
// the interfaces change.
#pragma once

#include <optional>
#include <string>

namespace zu {

class DeviceInfo {
 public:
  DeviceInfo() = delete;

  // True when the internet connection status is not 0.
  static bool isNetworkAvailable();
  // The internet connection status (0, 1, 2), asked afresh on each call.
  static int getNetworkStatus();
  // False: this is the phone build.
  static bool isBuildForIPad() { return false; }
  // True when the device model contains "TOUCH" in any letter case; worked out once.
  static bool isItouch();
  // The configured interface's MAC address as "%02X:%02X:%02X:%02X:%02X:%02X", or nullopt
  // (with a console line) when the interface or its address cannot be found.
  static std::optional<std::string> macAddress();
  // MD5 of the lower-cased MAC address text, as 32 lower-case hex digits; nullopt without a
  // MAC address.
  static std::optional<std::string> macDeviceId();

  // The interface macAddress() reads; nullopt goes back to the automatic choice.
  static void setMacInterfaceName(std::optional<std::string> name);
  static std::string macInterfaceName();
};

}  // namespace zu
