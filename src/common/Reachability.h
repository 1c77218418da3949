// Reachability: whether a host, an address, the internet or the local Wi-Fi can be reached,
// as a network status (0 not reachable, 1 Wi-Fi or another non-cellular route, 2 cellular),
// and a notification "kNetworkReachabilityChangedNotification" (object: this Reachability)
// each time that target's reachability flags change.
//
// The flags come from the shared NetworkProbe (platform/device): the system's interfaces and
// routes, or the probe a test installed. Objects are made by the four factories and shared.
//
// Threads: the status may be asked on any thread. startNotifier() registers with the calling
// thread's run loop, and the notification is posted on that thread only (the main thread for
// the screens); stopNotifier() belongs to the same thread. Destroying the object stops it.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/device/NetworkProbe.h"
#include "platform/runtime/Object.h"

namespace zu {

class RunLoop;

class Reachability : public Object {
 public:
  static constexpr const char* kChangedNotification = "kNetworkReachabilityChangedNotification";
  static constexpr int kNotReachable = 0;
  static constexpr int kReachableViaWiFi = 1;
  static constexpr int kReachableViaWWAN = 2;

  // Null for a missing or empty name.
  static std::shared_ptr<Reachability> reachabilityWithHostName(
      const std::optional<std::string>& hostName);
  // Null for an address that is not IPv4.
  static std::shared_ptr<Reachability> reachabilityWithAddress(const sockaddr_in& address);
  // Watches the zero address: the internet connection.
  static std::shared_ptr<Reachability> reachabilityForInternetConnection();
  // Watches the link-local network 169.254.0.0 and reads its flags as local Wi-Fi.
  static std::shared_ptr<Reachability> reachabilityForLocalWiFi();

  ~Reachability() override;

  // Starts posting the notification on the calling thread's run loop. False when the probe
  // cannot watch. Starting again replaces the earlier registration.
  bool startNotifier();
  void stopNotifier();

  // 1 when both reachable and is-direct are set, else 0.
  static int localWiFiStatusForFlags(uint32_t flags);
  // 0 not reachable; 2 cellular; 0 when a connection is required and cannot be made on its
  // own (neither on demand nor on traffic, or intervention required); else 1.
  static int networkStatusForFlags(uint32_t flags);

  // True when the flags can be read and connection-required is set.
  bool connectionRequired();
  // 0 when the flags cannot be read; else by the local Wi-Fi or the network rule.
  int currentReachabilityStatus();
  bool isLocalWiFi() const { return localWiFiRef_; }

 private:
  Reachability(NetworkTarget target, bool localWiFi);
  void onNetworkChanged();

  const NetworkTarget target_;
  const bool localWiFiRef_;
  const std::shared_ptr<NetworkProbe> probe_;
  std::mutex lock_;
  NetworkProbe::WatchId watch_ = 0;
  std::optional<uint32_t> lastFlags_;
};

}  // namespace zu
