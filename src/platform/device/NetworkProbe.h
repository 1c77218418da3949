// NetworkProbe: how the machine could reach a network target right now, as the phone's
// reachability service reports it: a set of flag bits (reachable, connection required, is
// direct, is cellular, ...), and a way to hear when that may have changed. Reachability
// (common) reads it; the system probe (SystemNetworkProbe) answers from the interfaces and
// default routes and hears changes from netlink; tests install a probe whose flags they set.
//
// shared() is the probe every Reachability uses: the system probe unless one was installed
// with setShared(). Probes are shared and thread-safe. A watch's callback runs on the run loop
// it was registered with, after a change may have happened (it may also come when nothing
// changed); the callback then reads flags() again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zu {

class RunLoop;

// What a Reachability watches: a host name, or an IPv4 address (host byte order) when no
// name is given. The address 0.0.0.0 stands for "the internet".
struct NetworkTarget {
  std::optional<std::string> hostName;
  uint32_t address = 0;
};

class NetworkProbe {
 public:
  // Flag bits, with the platform's values.
  static constexpr uint32_t kReachable = 0x2;
  static constexpr uint32_t kConnectionRequired = 0x4;
  static constexpr uint32_t kConnectionOnTraffic = 0x8;
  static constexpr uint32_t kInterventionRequired = 0x10;
  static constexpr uint32_t kConnectionOnDemand = 0x20;
  static constexpr uint32_t kIsDirect = 0x20000;
  static constexpr uint32_t kIsCellular = 0x40000;

  using WatchId = uint64_t;

  virtual ~NetworkProbe() = default;

  // The flags for the target, or nullopt when they cannot be read.
  virtual std::optional<uint32_t> flags(const NetworkTarget& target) = 0;
  // Calls `changed` on `loop` whenever the network may have changed, until unwatch. Returns 0
  // when no watch can be set up.
  virtual WatchId watch(const std::shared_ptr<RunLoop>& loop, std::function<void()> changed) = 0;
  virtual void unwatch(WatchId id) = 0;

  static std::shared_ptr<NetworkProbe> shared();
  // Installs the probe every later Reachability uses; null goes back to the system probe.
  static void setShared(std::shared_ptr<NetworkProbe> probe);
};

}  // namespace zu
