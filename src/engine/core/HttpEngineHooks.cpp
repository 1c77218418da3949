#include "engine/core/HttpEngineHooks.h"

#include <mutex>

namespace zu {

namespace {
std::mutex gHooksLock;
std::shared_ptr<HttpEngineHooks> gHooks;
}  // namespace

std::shared_ptr<HttpEngineHooks> HttpEngineHooks::installed() {
  std::lock_guard lock(gHooksLock);
  return gHooks;
}

void HttpEngineHooks::install(std::shared_ptr<HttpEngineHooks> hooks) {
  std::lock_guard lock(gHooksLock);
  gHooks = std::move(hooks);
}

}  // namespace zu
