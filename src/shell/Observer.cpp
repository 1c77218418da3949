#include "shell/Observer.h"

#include "engine/core/ErrorCodes.h"
#include "engine/core/Task.h"
#include "model/Ads.h"
#include "model/Column.h"
#include "model/Entry.h"
#include "model/Feed.h"
#include "model/OfflineDownloadProgress.h"
#include "model/UserInfo.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {

constexpr double kFinishDelaySeconds = 0.1;

// A nil object is carried as the null value.
template <typename T>
Value objectValue(const std::shared_ptr<T>& object) {
  return object ? Value(object) : Value();
}

Value textValue(const std::optional<std::string>& text) { return text ? Value(*text) : Value(); }

}  // namespace

Observer::Observer(std::shared_ptr<AlertPresenter> alerts) : alerts_(std::move(alerts)) {}

void Observer::postResultOnMainThread(const Dictionary& userInfo) {
  auto task = userInfo.get("Task").asObject<Task>();
  if (!task) return;
  NotificationCenter& center = NotificationCenter::defaultCenter();
  center.post(task->getTaskIdStr(), Value(), userInfo);
  if (auto broadcast = task->userBroadcast()) {
    center.post(*broadcast, Value(), userInfo);
  } else if (const std::string* type = userInfo.get("ResultType").asString();
             type && *type == "ImageDownLoad") {
    center.post("NOTIFICATIONIMAGEDOWNLOAD", Value(), userInfo);
  }
}

void Observer::queueResult(Dictionary userInfo) {
  RunLoop::main()->post([userInfo = std::move(userInfo)] { postResultOnMainThread(userInfo); });
}

void Observer::onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                            const std::optional<std::string>& errDesc) {
  Dictionary userInfo{{"Task", objectValue(task)},
                      {"ResultType", "TaskStatus"},
                      {"StateResult", "TaskFinish"},
                      {"Result", errCode},
                      {"ErrDesc", errDesc ? *errDesc : std::string("null")}};
  RunLoop::main()->postDelayed(
      kFinishDelaySeconds,
      [alerts = alerts_, userInfo = std::move(userInfo), errCode, errDesc,
       taskId = task ? std::optional<std::string>(task->getTaskIdStr()) : std::nullopt] {
        if (errCode == kErrNeedUpgrade) {
          // Nothing is posted under the task's id: its receivers are dropped instead.
          if (taskId) NotificationCenter::defaultCenter().removeAllForName(*taskId);
          if (alerts) alerts->showUpgradeAlert(errCode, errDesc);
          return;
        }
        if (isServerAuthorizeError(errCode) && alerts) alerts->showErrorTips(errCode, errDesc);
        postResultOnMainThread(userInfo);
      });
}

void Observer::onFeedResult(const std::shared_ptr<Task>& task, const std::shared_ptr<Feed>& feed) {
  queueResult({{"Task", objectValue(task)}, {"ResultType", "Feed"}, {"Result", objectValue(feed)}});
}

void Observer::onEntryResult(const std::shared_ptr<Task>& task,
                             const std::shared_ptr<Entry>& entry) {
  queueResult(
      {{"Task", objectValue(task)}, {"ResultType", "Entry"}, {"Result", objectValue(entry)}});
}

void Observer::onUserInfoResult(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<UserInfo>& userInfo) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "UserInfo"},
               {"Result", objectValue(userInfo)}});
}

void Observer::onImageDownloadResult(const std::shared_ptr<Task>& task, const std::string& url,
                                     int errCode, const std::optional<std::string>& /*errDesc*/,
                                     const std::optional<std::string>& /*localPath*/) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "ImageDownLoad"},
               {"Result", errCode},
               {"Url", url}});
}

void Observer::onStringResult(const std::shared_ptr<Task>& task,
                              const std::optional<std::string>& string) {
  queueResult(
      {{"Task", objectValue(task)}, {"ResultType", "SURLString"}, {"Result", textValue(string)}});
}

void Observer::onAdsResult(const std::shared_ptr<Task>& task, const std::shared_ptr<Ads>& ads) {
  queueResult({{"Task", objectValue(task)}, {"ResultType", "ads"}, {"Result", objectValue(ads)}});
}

void Observer::columnWillUpdate(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<Column>& column) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "TaskStatus"},
               {"StateResult", "ColumnWillUpdate"},
               {"Result", objectValue(column)}});
}

void Observer::columnDidUpdated(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<Column>& column, bool dataChanged) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "TaskStatus"},
               {"StateResult", dataChanged ? "ColumnUpdatedChanged" : "ColumnUpdatedNoChanged"},
               {"Result", objectValue(column)}});
}

void Observer::columnBackGroundUpdated(const std::shared_ptr<Column>& column) {
  Dictionary userInfo{{"Column", objectValue(column)}};
  RunLoop::main()->post([userInfo = std::move(userInfo)] {
    NotificationCenter::defaultCenter().post("NOTIFICATIONCOLUMNBACKGROUNDUPDATED", Value(),
                                             userInfo);
  });
}

void Observer::onOfflineDownloadProgress(const std::shared_ptr<Task>& task,
                                         const OfflineDownloadProgress& progress) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "ColumnsOffDownLoad"},
               {"Result", objectValue(progress.copy())}});
}

void Observer::onCacheCleanProgress(const std::shared_ptr<Task>& task, int total, int cleaned) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "CacheCleaning"},
               {"CacheCleanTotal", total},
               {"CacheCleanCleaned", cleaned}});
}

void Observer::onDownloadFontProgress(const std::shared_ptr<Task>& task, int64_t receivedSize,
                                      int64_t totalSize) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "FontDownload"},
               {"FontTotalSize", totalSize},
               {"FontDownloadedSize", receivedSize}});
}

void Observer::onDownloadBookProgress(const std::shared_ptr<Task>& task, const std::string& bookId,
                                      int64_t receivedSize, int64_t totalSize) {
  queueResult({{"Task", objectValue(task)},
               {"ResultType", "EBookDownload"},
               {"EBookDownloadId", bookId},
               {"EBookTotalSize", totalSize},
               {"EBookDownloadedSize", receivedSize}});
}

}  // namespace zu
