#include "platform/device/NetworkProbe.h"

#include <mutex>

#include "platform/device/SystemNetworkProbe.h"

namespace zu {

namespace {
std::mutex gProbeLock;
std::shared_ptr<NetworkProbe> gProbe;
}  // namespace

std::shared_ptr<NetworkProbe> NetworkProbe::shared() {
  std::lock_guard guard(gProbeLock);
  if (!gProbe) gProbe = std::make_shared<SystemNetworkProbe>();
  return gProbe;
}

void NetworkProbe::setShared(std::shared_ptr<NetworkProbe> probe) {
  std::lock_guard guard(gProbeLock);
  gProbe = std::move(probe);
}

}  // namespace zu
