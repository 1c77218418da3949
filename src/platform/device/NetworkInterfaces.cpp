#include "platform/device/NetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace zu {

namespace {

NetworkInterfaces::Interface& interfaceNamed(std::vector<NetworkInterfaces::Interface>& list,
                                             const char* name) {
  for (auto& item : list) {
    if (item.name == name) return item;
  }
  list.emplace_back();
  list.back().name = name;
  return list.back();
}

std::optional<std::string> ipv4DefaultRoute() {
  std::ifstream in("/proc/net/route");
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string iface, destination, gateway, mask;
    unsigned flags = 0;
    int refCount, use, metric;
    fields >> iface >> destination >> gateway >> std::hex >> flags >> std::dec >> refCount >>
        use >> metric >> mask;
    if (!fields) continue;
    if (destination == "00000000" && mask == "00000000" && (flags & RTF_UP) && iface != "lo") {
      return iface;
    }
  }
  return std::nullopt;
}

std::optional<std::string> ipv6DefaultRoute() {
  std::ifstream in("/proc/net/ipv6_route");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string destination, prefix, source, sourcePrefix, nextHop, metric, refCount, use,
        flags, iface;
    fields >> destination >> prefix >> source >> sourcePrefix >> nextHop >> metric >>
        refCount >> use >> flags >> iface;
    if (!fields) continue;
    unsigned long flagBits = std::strtoul(flags.c_str(), nullptr, 16);
    if (destination == std::string(32, '0') && prefix == "00" && (flagBits & RTF_UP) &&
        iface != "lo") {
      return iface;
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<NetworkInterfaces::Interface> NetworkInterfaces::list() {
  std::vector<Interface> out;
  struct ifaddrs* addrs = nullptr;
  if (getifaddrs(&addrs) != 0) return out;
  for (struct ifaddrs* a = addrs; a; a = a->ifa_next) {
    if (!a->ifa_name) continue;
    Interface& item = interfaceNamed(out, a->ifa_name);
    item.up = item.up || (a->ifa_flags & IFF_UP);
    item.running = item.running || (a->ifa_flags & IFF_RUNNING);
    item.loopback = item.loopback || (a->ifa_flags & IFF_LOOPBACK);
    if (!a->ifa_addr) continue;
    switch (a->ifa_addr->sa_family) {
      case AF_INET: {
        uint32_t address = ntohl(reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr);
        uint32_t mask = a->ifa_netmask
                            ? ntohl(reinterpret_cast<sockaddr_in*>(a->ifa_netmask)->sin_addr.s_addr)
                            : 0xffffffffu;
        item.ipv4.emplace_back(address, mask);
        break;
      }
      case AF_INET6:
        item.hasIpv6 = true;
        break;
      case AF_PACKET: {
        auto* link = reinterpret_cast<sockaddr_ll*>(a->ifa_addr);
        if (link->sll_halen == 6) {
          HardwareAddress hw;
          std::memcpy(hw.data(), link->sll_addr, 6);
          item.hardwareAddress = hw;
        }
        break;
      }
      default:
        break;
    }
  }
  freeifaddrs(addrs);
  return out;
}

std::optional<std::string> NetworkInterfaces::defaultRouteInterface() {
  if (auto v4 = ipv4DefaultRoute()) return v4;
  return ipv6DefaultRoute();
}

bool NetworkInterfaces::isCellularName(const std::string& name) {
  for (const char* prefix : {"wwan", "wwp", "ppp", "rmnet"}) {
    if (name.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

}  // namespace zu
