#include "platform/device/NetworkProbe.h"

#include "platform/device/SystemNetworkProbe.h"
#include "platform/runtime/SharedSlot.h"

namespace zu {

namespace {
SharedSlot<NetworkProbe> gProbe;
}  // namespace

std::shared_ptr<NetworkProbe> NetworkProbe::shared() {
  return gProbe.getOrMake([] { return std::make_shared<SystemNetworkProbe>(); });
}

void NetworkProbe::setShared(std::shared_ptr<NetworkProbe> probe) { gProbe.set(std::move(probe)); }

}  // namespace zu
