// GetInfoTask: fetches the service's notice feed ("vesk_infoGet", after the service URL feed
// when the URL table is not filled yet) and raises what is new since the last time:
//  - a software version newer than the one last notified: "Notification_SoftwareUpdateInfo"
//    with the VeskSoftUpdate under "NotiKey_VeskSoftUpdate", and the version is remembered;
//  - messages newer than the last notified time: "Notification_MessageInfo" with the VeskMessages
//    (reduced to the new messages) under the same key; the time is remembered either way;
//  - a newer recommended-apps list: kept in the engine settings, and its images fetched into the
//    image cache (the first failed image ends the task with its code).
// Both notifications are posted on the main thread (their observer builds an alert there).
//
// Finishes: 0, -5000 for a reply that is not a feed, or the URL feed's or an image's code.
// Made and run by DataEngine::getInfo. Runs on the "task" thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/ServiceUrlTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

class VeskAppRecommend;

class GetInfoTask : public ServiceUrlTask, public DownloadImageInnerTaskDelegate {
 public:
  static constexpr const char* kSoftwareUpdateNotification = "Notification_SoftwareUpdateInfo";
  static constexpr const char* kMessageNotification = "Notification_MessageInfo";
  static constexpr const char* kRecordKey = "NotiKey_VeskSoftUpdate";

  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

  // True when the version is given and higher than the version last notified.
  static bool haveNewSoftVersion(const std::optional<std::string>& version);
  // The image addresses of the recommended apps, in order.
  static std::vector<std::string> extractRecommendAppImages(const VeskAppRecommend& recommend);

 protected:
  // Fetches the notice feed.
  void onServiceUrlReady() override;

 private:
  // Posts the notification on the main thread, without waiting.
  static void postOnMainThread(const char* name, std::shared_ptr<Object> record);
};

}  // namespace zu
