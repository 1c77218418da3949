#include "common/Reachability.h"

#include <arpa/inet.h>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {
constexpr uint32_t kLinkLocalNet = 0xa9fe0000;  // 169.254.0.0
}  // namespace

Reachability::Reachability(NetworkTarget target, bool localWiFi)
    : target_(std::move(target)), localWiFiRef_(localWiFi), probe_(NetworkProbe::shared()) {}

Reachability::~Reachability() { stopNotifier(); }

std::shared_ptr<Reachability> Reachability::reachabilityWithHostName(
    const std::optional<std::string>& hostName) {
  if (!hostName || hostName->empty()) return nullptr;
  NetworkTarget target;
  target.hostName = *hostName;
  return std::shared_ptr<Reachability>(new Reachability(std::move(target), false));
}

std::shared_ptr<Reachability> Reachability::reachabilityWithAddress(const sockaddr_in& address) {
  if (address.sin_family != AF_INET) return nullptr;
  NetworkTarget target;
  target.address = ntohl(address.sin_addr.s_addr);
  return std::shared_ptr<Reachability>(new Reachability(std::move(target), false));
}

std::shared_ptr<Reachability> Reachability::reachabilityForInternetConnection() {
  sockaddr_in zero{};
  zero.sin_family = AF_INET;
  return reachabilityWithAddress(zero);
}

std::shared_ptr<Reachability> Reachability::reachabilityForLocalWiFi() {
  NetworkTarget target;
  target.address = kLinkLocalNet;
  return std::shared_ptr<Reachability>(new Reachability(std::move(target), true));
}

bool Reachability::startNotifier() {
  stopNotifier();
  std::weak_ptr<Reachability> weak =
      std::static_pointer_cast<Reachability>(shared_from_this());
  // The flags seen now are the base the first change is measured against.
  std::optional<uint32_t> now = probe_->flags(target_);
  NetworkProbe::WatchId id = probe_->watch(RunLoop::current(), [weak] {
    if (auto self = weak.lock()) self->onNetworkChanged();
  });
  if (id == 0) return false;
  std::lock_guard guard(lock_);
  watch_ = id;
  lastFlags_ = now;
  return true;
}

void Reachability::stopNotifier() {
  NetworkProbe::WatchId id;
  {
    std::lock_guard guard(lock_);
    id = watch_;
    watch_ = 0;
  }
  if (id != 0) probe_->unwatch(id);
}

void Reachability::onNetworkChanged() {
  std::optional<uint32_t> flags = probe_->flags(target_);
  {
    std::lock_guard guard(lock_);
    if (watch_ == 0 || flags == lastFlags_) return;
    lastFlags_ = flags;
  }
  NotificationCenter::defaultCenter().post(kChangedNotification, Value(shared_from_this()));
}

int Reachability::localWiFiStatusForFlags(uint32_t flags) {
  const uint32_t both = NetworkProbe::kReachable | NetworkProbe::kIsDirect;
  return (flags & both) == both ? kReachableViaWiFi : kNotReachable;
}

int Reachability::networkStatusForFlags(uint32_t flags) {
  if (!(flags & NetworkProbe::kReachable)) return kNotReachable;
  if (flags & NetworkProbe::kIsCellular) return kReachableViaWWAN;
  if (flags & NetworkProbe::kConnectionRequired) {
    bool automatic =
        (flags & (NetworkProbe::kConnectionOnDemand | NetworkProbe::kConnectionOnTraffic)) &&
        !(flags & NetworkProbe::kInterventionRequired);
    if (!automatic) return kNotReachable;
  }
  return kReachableViaWiFi;
}

bool Reachability::connectionRequired() {
  std::optional<uint32_t> flags = probe_->flags(target_);
  return flags && (*flags & NetworkProbe::kConnectionRequired);
}

int Reachability::currentReachabilityStatus() {
  std::optional<uint32_t> flags = probe_->flags(target_);
  if (!flags) return kNotReachable;
  return localWiFiRef_ ? localWiFiStatusForFlags(*flags) : networkStatusForFlags(*flags);
}

}  // namespace zu
