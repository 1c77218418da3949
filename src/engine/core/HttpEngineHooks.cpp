#include "engine/core/HttpEngineHooks.h"

#include "platform/runtime/SharedSlot.h"

namespace zu {

namespace {
SharedSlot<HttpEngineHooks> gHooks;
}  // namespace

std::shared_ptr<HttpEngineHooks> HttpEngineHooks::installed() { return gHooks.get(); }

void HttpEngineHooks::install(std::shared_ptr<HttpEngineHooks> hooks) {
  gHooks.set(std::move(hooks));
}

}  // namespace zu
