#include "engine/core/GetServiceUrlInnerTask.h"

#include <string_view>

#include "common/Log.h"
#include "engine/cache/UniqueCache.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "model/entry/Feed.h"
#include "model/service/VeskStatControl.h"
#include "model/atom/VESKAtomParser.h"
#include "model/service/statC.h"

namespace zu {

namespace {

std::shared_ptr<UniqueCache> uniqueCache() {
  auto engine = gDataEngine();
  return engine ? engine->getUniqueCache() : nullptr;
}

std::string_view textOf(const Bytes& bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

GetServiceUrlInnerTask::GetServiceUrlInnerTask(
    std::shared_ptr<HttpEngine> engine, std::shared_ptr<GetServiceUrlInnerTaskDelegate> delegate)
    : HttpInnerTask(std::move(engine)), delegate_(std::move(delegate)) {}

void GetServiceUrlInnerTask::start() {
  auto urls = gUrlManager();
  if (urls && urls->isEverSet()) {
    done(kErrOk, std::nullopt);
    return;
  }
  httpEngine()->get(UrlManager::serviceUrlFeedAddress());
}

void GetServiceUrlInnerTask::applyStatControl(const Feed& feed) {
  const auto& control = feed.veskStatControl();
  DESettings::setWifiOnlySatistic(control && control->wifiOnly());
  if (!control || !control->c()) return;
  for (const auto& item : *control->c()) {
    if (!item) continue;
    const bool on = item->v() == 1;
    switch (item->k()) {
      case 1: DESettings::setOperationalSatistic(on); break;
      case 2: DESettings::setActionSatistic(on); break;
      case 3: DESettings::setContentSatistic(on); break;
      case 4: DESettings::setPageSeqSatistic(on); break;
      default: VESKLogImpl("GetServiceUrl: State Controll key error %d", item->k()); break;
    }
  }
}

void GetServiceUrlInnerTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseGetServiceUrlFeed(textOf(response->responseBody()));
  auto urls = gUrlManager();
  if (!feed || !urls) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  urls->setUrls(feed->links().value_or(std::vector<std::shared_ptr<Link>>()));
  applyStatControl(*feed);
  if (auto cache = uniqueCache()) {
    cache->saveData(response->responseBody(), UniqueCache::kServiceUrlKey,
                    UrlManager::serviceUrlFeedAddress());
  }
  done(kErrOk, std::nullopt);
}

void GetServiceUrlInnerTask::onHttpError(int errCode, const std::optional<std::string>& errDesc) {
  if (errCode != kErrCancelled) {
    auto cache = uniqueCache();
    auto urls = gUrlManager();
    std::optional<Bytes> kept =
        cache ? cache->loadData(UniqueCache::kServiceUrlKey, UrlManager::serviceUrlFeedAddress())
              : std::nullopt;
    if (kept && urls) {
      auto links = VESKAtomParser::allocParseLinksInFeed(textOf(*kept));
      if (links && !links->empty()) {
        VESKLogImpl("GetServiceUrl: fetch failed (%d), using the kept service URL feed", errCode);
        urls->setUrls(*links);
        done(kErrOk, std::nullopt);
        return;
      }
    }
  }
  done(errCode, errDesc);
}

void GetServiceUrlInnerTask::finish(int errCode, const std::optional<std::string>& errDesc) {
  std::shared_ptr<GetServiceUrlInnerTaskDelegate> delegate = std::move(delegate_);
  if (delegate) delegate->onGetServiceUrlInnerTaskFinished(this, errCode, errDesc);
}

}  // namespace zu
