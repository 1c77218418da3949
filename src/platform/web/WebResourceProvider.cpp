#include "platform/web/WebResourceProvider.h"

#include <mutex>

namespace zu::web {

namespace {

std::mutex gMutex;
std::shared_ptr<WebResourceProvider> gShared;

}  // namespace

std::shared_ptr<WebResourceProvider> WebResourceProvider::shared() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gShared;
}

void WebResourceProvider::setShared(std::shared_ptr<WebResourceProvider> provider) {
  std::lock_guard<std::mutex> lock(gMutex);
  gShared = std::move(provider);
}

}  // namespace zu::web
