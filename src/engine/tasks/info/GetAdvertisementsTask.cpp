#include "engine/tasks/info/GetAdvertisementsTask.h"

#include "engine/core/DataEngineObserver.h"
#include "engine/core/ErrorCodes.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "model/service/Ad.h"
#include "model/service/Ads.h"
#include "model/service/Img.h"
#include "model/atom/VESKAtomParser.h"

namespace zu {

GetAdvertisementsTask::GetAdvertisementsTask(std::optional<std::string> url)
    : url_(std::move(url)) {}

void GetAdvertisementsTask::run() {
  HttpTask::run();
  if (httpEngine()) httpEngine()->get(url_);
}

std::vector<std::string> GetAdvertisementsTask::extractImageUrlsFromAds(const Ads& ads) {
  std::vector<std::string> urls;
  for (const auto& ad : ads.ads().value_or(std::vector<std::shared_ptr<Ad>>())) {
    if (!ad) continue;
    for (const auto& img : ad->imgs().value_or(std::vector<std::shared_ptr<Img>>())) {
      if (img && img->src()) urls.push_back(*img->src());
    }
  }
  return urls;
}

void GetAdvertisementsTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  ads_ = VESKAtomParser::allocParseAds(TaskSupport::bodyText(*response));
  if (!ads_) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(sharedTask());
  std::make_shared<DownloadImageInnerTask>(httpEngine(), extractImageUrlsFromAds(*ads_), false,
                                           self)
      ->run();
}

void GetAdvertisementsTask::onDownloadImageInnerTaskFinished(
    DownloadImageInnerTask* /*task*/, int /*errCode*/, const std::optional<std::string>& /*desc*/) {
  if (isDone()) return;
  if (auto observer = TaskSupport::observer()) observer->onAdsResult(sharedTask(), ads_);
  done(kErrOk, std::nullopt);
}

}  // namespace zu
