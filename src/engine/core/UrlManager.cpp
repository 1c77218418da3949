#include "engine/core/UrlManager.h"

#include "common/ServiceHosts.h"
#include "model/entry/Link.h"
#include "platform/runtime/SharedSlot.h"

namespace zu {

namespace {
SharedSlot<UrlManager> gInstance;
}  // namespace

void UrlManager::initGlobalInstance() {
  gInstance.getOrMake([] { return std::make_shared<UrlManager>(); });
}

void UrlManager::uninitGlobalInstance() { gInstance.set(nullptr); }

std::shared_ptr<UrlManager> gUrlManager() { return gInstance.get(); }

std::string UrlManager::serviceUrlFeedAddress() {
  return "http://" + ServiceHosts::serviceHost() + kServiceUrlFeedPath;
}

std::string UrlManager::statisticsAddress() {
  return "http://" + ServiceHosts::statisticsHost() + kStatisticsPath;
}

UrlManager::Text UrlManager::getUrlsByRel(const std::vector<std::shared_ptr<Link>>& links,
                                          const std::string& rel) {
  for (const auto& link : links) {
    if (link && link->rel() == rel) return link->href();
  }
  return std::nullopt;
}

void UrlManager::setUrls(const std::vector<std::shared_ptr<Link>>& links) {
  std::lock_guard guard(lock_);
#define ZU_URL_SET(getter, setter, rel) urls_[k_##getter] = getUrlsByRel(links, rel);
  ZU_SERVICE_URL_TABLE(ZU_URL_SET)
#undef ZU_URL_SET
  everSet_ = true;
}

bool UrlManager::isEverSet() const {
  std::lock_guard guard(lock_);
  return everSet_;
}

#define ZU_URL_DEFINE(getter, setter, rel)        \
  UrlManager::Text UrlManager::getter() const {   \
    std::lock_guard guard(lock_);                 \
    return urls_[k_##getter];                     \
  }                                               \
  void UrlManager::setter(Text url) {             \
    std::lock_guard guard(lock_);                 \
    urls_[k_##getter] = std::move(url);           \
  }
ZU_SERVICE_URL_TABLE(ZU_URL_DEFINE)
#undef ZU_URL_DEFINE

}  // namespace zu
