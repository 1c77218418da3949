#include "engine/tasks/info/GetInfoTask.h"

#include "common/DateUtil.h"
#include "engine/core/DESettings.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/tasks/support/TaskSupport.h"
#include "engine/tasks/images/DownloadImageInnerTask.h"
#include "model/entry/Feed.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskMessage.h"
#include "model/service/VeskMessages.h"
#include "model/service/VeskNotification.h"
#include "model/service/VeskSoftUpdate.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

void GetInfoTask::onServiceUrlReady() {
  auto urls = gUrlManager();
  httpEngine()->get(urls ? urls->getInfoUrl() : std::nullopt);
}

bool GetInfoTask::haveNewSoftVersion(const std::optional<std::string>& version) {
  if (!version) return false;
  const std::optional<std::string> notified = DESettings::getNotifiedSoftVersion();
  return versionCompare(*version, notified ? std::optional<std::string_view>(*notified)
                                           : std::nullopt) > 0;
}

std::vector<std::string> GetInfoTask::extractRecommendAppImages(const VeskAppRecommend& recommend) {
  std::vector<std::string> images;
  for (const auto& app : recommend.veskApps().value_or(std::vector<std::shared_ptr<VeskApp>>())) {
    if (app && app->img()) images.push_back(*app->img());
  }
  return images;
}

void GetInfoTask::postOnMainThread(const char* name, std::shared_ptr<Object> record) {
  RunLoop::main()->post([name = std::string(name), record = std::move(record)] {
    Dictionary info;
    info.set(kRecordKey, Value(record));
    NotificationCenter::defaultCenter().post(name, Value(), std::move(info));
  });
}

void GetInfoTask::onHttpSuccess(const std::shared_ptr<HttpResponse>& response) {
  auto feed = VESKAtomParser::allocParseFeed(TaskSupport::bodyText(*response),
                                             kEntryKindEntry);
  if (!feed) {
    done(kErrDataParse, ErrorGetDescription(kErrDataParse));
    return;
  }
  const auto& notification = feed->veskNotification();
  const auto softUpdate = notification ? notification->veskSoftUpdate() : nullptr;
  if (softUpdate && haveNewSoftVersion(softUpdate->newVersion())) {
    postOnMainThread(kSoftwareUpdateNotification, softUpdate);
    DESettings::setNotifiedSoftVersion(softUpdate->newVersion());
  }

  const auto messages = notification ? notification->veskMessages() : nullptr;
  const int64_t notifiedTime = DESettings::getNotifiedMessageTime();
  if (messages && messages->updated() > notifiedTime) {
    std::vector<std::shared_ptr<VeskMessage>> fresh;
    for (const auto& message :
         messages->veskMessageArray().value_or(std::vector<std::shared_ptr<VeskMessage>>())) {
      if (message && message->updated() > notifiedTime) fresh.push_back(message);
    }
    if (!fresh.empty()) {
      messages->setVeskMessageArray(std::move(fresh));
      postOnMainThread(kMessageNotification, messages);
    }
    DESettings::setNotifiedMessageTime(messages->updated());
  }

  const auto recommend = notification ? notification->veskAppRecommend() : nullptr;
  if (!recommend || recommend->updated() <= DESettings::getRecommendAppTime()) {
    done(kErrOk, std::nullopt);
    return;
  }
  DESettings::setRecommendAppXml(VESKAtomBuilder::allocVeskAppRecommendToXML(recommend.get()));
  DESettings::setRecommendAppTime(recommend->updated());
  auto self = std::dynamic_pointer_cast<DownloadImageInnerTaskDelegate>(sharedTask());
  std::make_shared<DownloadImageInnerTask>(httpEngine(), extractRecommendAppImages(*recommend),
                                           true, self)
      ->run();
}

void GetInfoTask::onDownloadImageInnerTaskFinished(DownloadImageInnerTask* /*task*/, int errCode,
                                                   const std::optional<std::string>& errDesc) {
  if (!isDone()) done(errCode, errDesc);
}

}  // namespace zu
