// GetAdvertisementsTask: fetches an advertisement document, then every image of its ads into
// the image cache (failed images are skipped), and hands the ads to the observer
// (onAdsResult) before finishing with 0; a document that does not parse finishes with -5000.
// Runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/HttpTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

class Ads;

class GetAdvertisementsTask : public HttpTask, public DownloadImageInnerTaskDelegate {
 public:
  explicit GetAdvertisementsTask(std::optional<std::string> url);

  void run() override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

  // The image addresses of every ad, in order.
  static std::vector<std::string> extractImageUrlsFromAds(const Ads& ads);

 private:
  std::optional<std::string> url_;
  std::shared_ptr<Ads> ads_;
};

}  // namespace zu
