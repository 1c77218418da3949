// NetworkInterfaces: a snapshot of the machine's network interfaces (getifaddrs) and of its
// default routes (/proc/net/route, /proc/net/ipv6_route), for the device's MAC address and the
// network probe. Class functions only; each call reads the system afresh. Thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zu {

class NetworkInterfaces {
 public:
  NetworkInterfaces() = delete;

  using HardwareAddress = std::array<uint8_t, 6>;

  struct Interface {
    std::string name;
    bool up = false;
    bool running = false;
    bool loopback = false;
    // IPv4 addresses with their netmasks, host byte order.
    std::vector<std::pair<uint32_t, uint32_t>> ipv4;
    bool hasIpv6 = false;
    // The link-layer address, when the interface has a six-byte one.
    std::optional<HardwareAddress> hardwareAddress;
  };

  // Every interface, in the order the system lists them; empty when they cannot be read.
  static std::vector<Interface> list();
  // The interface that carries an IPv4 (else IPv6) default route that is up, or nullopt.
  static std::optional<std::string> defaultRouteInterface();
  // True when the interface name is the kind a mobile (cellular) modem gets.
  static bool isCellularName(const std::string& name);
};

}  // namespace zu
