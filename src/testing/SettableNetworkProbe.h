// SettableNetworkProbe: a network probe whose flags a test sets. Every target gets the flags
// set for its host name or address when there are any, else the default flags. Setting flags
// tells every watch (on its run loop) that the network changed. Install it with
// NetworkProbe::setShared() and remove it again with setShared(nullptr). Thread-safe.
#pragma once

#include <map>
#include <mutex>

#include "platform/device/NetworkProbe.h"

namespace zu {

class SettableNetworkProbe : public NetworkProbe {
 public:
  // Flags of the network states tests use most.
  static constexpr uint32_t kWifi = kReachable;
  static constexpr uint32_t kCellular = kReachable | kIsCellular;
  static constexpr uint32_t kOffline = 0;

  explicit SettableNetworkProbe(uint32_t defaultFlags = kWifi) : default_(defaultFlags) {}

  // Changes the default flags (nullopt: "cannot be read") and tells the watches.
  void setFlags(std::optional<uint32_t> flags);
  // Flags for one IPv4 address (host byte order) only.
  void setFlagsForAddress(uint32_t address, std::optional<uint32_t> flags);

  std::optional<uint32_t> flags(const NetworkTarget& target) override;
  WatchId watch(const std::shared_ptr<RunLoop>& loop, std::function<void()> changed) override;
  void unwatch(WatchId id) override;
  size_t watchCount() const;

 private:
  void notifyWatches();

  struct Watch {
    std::weak_ptr<RunLoop> loop;
    std::shared_ptr<std::function<void()>> changed;
  };
  mutable std::mutex lock_;
  std::optional<uint32_t> default_;
  std::map<uint32_t, std::optional<uint32_t>> byAddress_;
  std::map<WatchId, Watch> watches_;
  WatchId nextId_ = 1;
};

}  // namespace zu
