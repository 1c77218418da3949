#include "platform/device/SystemNetworkProbe.h"

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/device/NetworkInterfaces.h"

namespace zu {

namespace {

constexpr uint32_t kLoopbackNet = 0x7f000000;   // 127.0.0.0/8
constexpr uint32_t kLinkLocalNet = 0xa9fe0000;  // 169.254.0.0/16

bool usable(const NetworkInterfaces::Interface& item) {
  return item.up && item.running && !item.loopback;
}

}  // namespace

SystemNetworkProbe::~SystemNetworkProbe() {
  std::map<WatchId, Watch> watches;
  {
    std::lock_guard guard(lock_);
    watches.swap(watches_);
  }
  for (auto& [id, w] : watches) {
    if (auto loop = w.loop.lock()) loop->unwatchFd(w.loopWatch);
    ::close(w.fd);
  }
}

std::optional<uint32_t> SystemNetworkProbe::flags(const NetworkTarget& target) {
  uint32_t address = target.address;
  bool named = target.hostName.has_value();
  if (named) {
    const std::string& name = *target.hostName;
    if (name.empty()) return std::nullopt;
    in_addr parsed;
    if (name == "localhost" || name == "localhost.localdomain") {
      address = kLoopbackNet + 1;
      named = false;
    } else if (inet_pton(AF_INET, name.c_str(), &parsed) == 1) {
      address = ntohl(parsed.s_addr);
      named = false;
    }
  }
  if (!named && (address & 0xff000000u) == kLoopbackNet) return kReachable | kIsDirect;

  const auto interfaces = NetworkInterfaces::list();
  if (!named && address != 0) {
    for (const auto& item : interfaces) {
      if (!usable(item)) continue;
      for (const auto& [ip, mask] : item.ipv4) {
        bool linkLocal = (address & 0xffff0000u) == kLinkLocalNet;
        if (linkLocal || (address & mask) == (ip & mask)) return kReachable | kIsDirect;
      }
    }
  }
  auto route = NetworkInterfaces::defaultRouteInterface();
  if (!route) return 0u;
  for (const auto& item : interfaces) {
    if (item.name != *route || !usable(item)) continue;
    uint32_t result = kReachable;
    if (NetworkInterfaces::isCellularName(item.name)) result |= kIsCellular;
    return result;
  }
  return 0u;
}

NetworkProbe::WatchId SystemNetworkProbe::watch(const std::shared_ptr<RunLoop>& loop,
                                                std::function<void()> changed) {
  if (!loop) return 0;
  int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
  if (fd < 0) return 0;
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_IFADDR |
                    RTMGRP_IPV6_ROUTE;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    ::close(fd);
    return 0;
  }
  auto callback = [changed = std::move(changed)](int socketFd, bool readable, bool) {
    if (!readable) return;
    char buffer[8192];
    bool any = false;
    for (;;) {
      ssize_t n = ::recv(socketFd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0) {
        any = true;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      // ENOBUFS means events were lost: something did change.
      if (n < 0 && errno == ENOBUFS) any = true;
      break;
    }
    if (any) changed();
  };
  std::lock_guard guard(lock_);
  WatchId id = nextId_++;
  Watch& w = watches_[id];
  w.fd = fd;
  w.loop = loop;
  w.loopWatch = loop->watchFd(fd, true, false, std::move(callback));
  return id;
}

void SystemNetworkProbe::unwatch(WatchId id) {
  Watch w;
  {
    std::lock_guard guard(lock_);
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    w = it->second;
    watches_.erase(it);
  }
  if (auto loop = w.loop.lock()) loop->unwatchFd(w.loopWatch);
  ::close(w.fd);
}

}  // namespace zu
