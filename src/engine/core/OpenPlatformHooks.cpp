#include "engine/core/OpenPlatformHooks.h"

#include "platform/runtime/SharedSlot.h"

namespace zu {

namespace {
SharedSlot<OpenPlatformHooks> gHooks;
}  // namespace

std::shared_ptr<OpenPlatformHooks> OpenPlatformHooks::installed() { return gHooks.get(); }

void OpenPlatformHooks::install(std::shared_ptr<OpenPlatformHooks> hooks) {
  gHooks.set(std::move(hooks));
}

}  // namespace zu
