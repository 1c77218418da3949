#include "engine/core/OpenPlatformHooks.h"

#include <mutex>

namespace zu {

namespace {
std::mutex gHooksLock;
std::shared_ptr<OpenPlatformHooks> gHooks;
}  // namespace

std::shared_ptr<OpenPlatformHooks> OpenPlatformHooks::installed() {
  std::lock_guard lock(gHooksLock);
  return gHooks;
}

void OpenPlatformHooks::install(std::shared_ptr<OpenPlatformHooks> hooks) {
  std::lock_guard lock(gHooksLock);
  gHooks = std::move(hooks);
}

}  // namespace zu
