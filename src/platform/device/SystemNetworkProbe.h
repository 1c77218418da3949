// SystemNetworkProbe: the network probe over the running Linux system.
//
// Flags for a target:
//  - a loopback address (127/8, or the names "localhost" and "localhost.localdomain"):
//    reachable and direct;
//  - the link-local network 169.254/16: reachable and direct when an interface other than
//    loopback is up and running with an IPv4 address;
//  - an address on the subnet of such an interface: reachable and direct;
//  - any other address, and any other host name (names are not resolved here): reachable when
//    a default route is up on a running interface, cellular as well when that interface is a
//    modem's ("wwan", "wwp", "ppp", "rmnet"); otherwise no flags (not reachable).
// A watch opens a netlink route socket listening for link, address and route changes and
// watches it on the given run loop. Thread-safe.
#pragma once

#include <map>
#include <mutex>

#include "platform/device/NetworkProbe.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

class SystemNetworkProbe : public NetworkProbe {
 public:
  SystemNetworkProbe() = default;
  ~SystemNetworkProbe() override;

  std::optional<uint32_t> flags(const NetworkTarget& target) override;
  WatchId watch(const std::shared_ptr<RunLoop>& loop, std::function<void()> changed) override;
  void unwatch(WatchId id) override;

 private:
  struct Watch {
    int fd = -1;
    std::weak_ptr<RunLoop> loop;
    RunLoop::WatchId loopWatch = 0;
  };
  std::mutex lock_;
  std::map<WatchId, Watch> watches_;
  WatchId nextId_ = 1;
};

}  // namespace zu
