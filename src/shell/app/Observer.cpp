#include "shell/app/Observer.h"

#include "common/Log.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/Task.h"
#include "model/service/Ads.h"
#include "model/columns/Column.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "model/columns/UserInfo.h"
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

// A result without a task has no name to be posted under: it is logged and dropped.
bool hasTask(const std::shared_ptr<Task>& task, const char* callback) {
  if (!task) VESKLogImpl("Observer: %s without a task, dropped", callback);
  return task != nullptr;
}

// The column closes the dictionary: a nil column leaves its key out.
Dictionary columnStatus(const std::shared_ptr<Task>& task, const char* state,
                        const std::shared_ptr<Column>& column) {
  Dictionary userInfo{{"Task", Value(task)}, {"ResultType", "TaskStatus"}, {"StateResult", state}};
  if (column) userInfo.set("Result", Value(column));
  return userInfo;
}

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
  if (!hasTask(task, "onTaskFinish")) return;
  Dictionary userInfo{{"Task", Value(task)},
                      {"ResultType", "TaskStatus"},
                      {"StateResult", "TaskFinish"},
                      {"Result", errCode},
                      {"ErrDesc", errDesc ? *errDesc : std::string("null")}};
  RunLoop::main()->postDelayed(
      kFinishDelaySeconds,
      [alerts = alerts_, userInfo = std::move(userInfo), errCode, errDesc] {
        if (errCode == kErrNeedUpgrade) {
          // The upgrade alert is the only answer: nothing is posted.
          if (alerts) alerts->showUpgradeAlert(errCode, errDesc);
          return;
        }
        if (isServerAuthorizeError(errCode) && alerts) alerts->showErrorTips(errCode, errDesc);
        postResultOnMainThread(userInfo);
      });
}

void Observer::onFeedResult(const std::shared_ptr<Task>& task, const std::shared_ptr<Feed>& feed) {
  if (!hasTask(task, "onFeedResult")) return;
  queueResult({{"Task", Value(task)}, {"ResultType", "Feed"}, {"Result", objectValue(feed)}});
}

void Observer::onEntryResult(const std::shared_ptr<Task>& task,
                             const std::shared_ptr<Entry>& entry) {
  if (!hasTask(task, "onEntryResult")) return;
  queueResult(
      {{"Task", Value(task)}, {"ResultType", "Entry"}, {"Result", objectValue(entry)}});
}

void Observer::onUserInfoResult(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<UserInfo>& userInfo) {
  if (!hasTask(task, "onUserInfoResult")) return;
  queueResult({{"Task", Value(task)},
               {"ResultType", "UserInfo"},
               {"Result", objectValue(userInfo)}});
}

void Observer::onImageDownloadResult(const std::shared_ptr<Task>& task, const std::string& url,
                                     int errCode, const std::optional<std::string>& /*errDesc*/,
                                     const std::optional<std::string>& /*localPath*/) {
  if (!hasTask(task, "onImageDownloadResult")) return;
  queueResult({{"Task", Value(task)},
               {"ResultType", "ImageDownLoad"},
               {"Result", errCode},
               {"Url", url}});
}

void Observer::onStringResult(const std::shared_ptr<Task>& task,
                              const std::optional<std::string>& string) {
  if (!hasTask(task, "onStringResult")) return;
  queueResult(
      {{"Task", Value(task)}, {"ResultType", "SURLString"}, {"Result", textValue(string)}});
}

void Observer::onAdsResult(const std::shared_ptr<Task>& task, const std::shared_ptr<Ads>& ads) {
  if (!hasTask(task, "onAdsResult")) return;
  queueResult({{"Task", Value(task)}, {"ResultType", "ads"}, {"Result", objectValue(ads)}});
}

void Observer::columnWillUpdate(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<Column>& column) {
  if (!hasTask(task, "columnWillUpdate")) return;
  queueResult(columnStatus(task, "ColumnWillUpdate", column));
}

void Observer::columnDidUpdated(const std::shared_ptr<Task>& task,
                                const std::shared_ptr<Column>& column, bool dataChanged) {
  if (!hasTask(task, "columnDidUpdated")) return;
  queueResult(
      columnStatus(task, dataChanged ? "ColumnUpdatedChanged" : "ColumnUpdatedNoChanged", column));
}

void Observer::columnBackGroundUpdated(const std::shared_ptr<Column>& column) {
  Dictionary userInfo;
  if (column) userInfo.set("Column", Value(column));
  RunLoop::main()->post([userInfo = std::move(userInfo)] {
    NotificationCenter::defaultCenter().post("NOTIFICATIONCOLUMNBACKGROUNDUPDATED", Value(),
                                             userInfo);
  });
}

void Observer::onOfflineDownloadProgress(const std::shared_ptr<Task>& task,
                                         const OfflineDownloadProgress& progress) {
  if (!hasTask(task, "onOfflineDownloadProgress")) return;
  queueResult({{"Task", Value(task)},
               {"ResultType", "ColumnsOffDownLoad"},
               {"Result", objectValue(progress.copy())}});
}

void Observer::onCacheCleanProgress(const std::shared_ptr<Task>& task, int total, int cleaned) {
  if (!hasTask(task, "onCacheCleanProgress")) return;
  queueResult({{"Task", Value(task)},
               {"ResultType", "CacheCleaning"},
               {"CacheCleanTotal", total},
               {"CacheCleanCleaned", cleaned}});
}

void Observer::onDownloadFontProgress(const std::shared_ptr<Task>& task, int64_t receivedSize,
                                      int64_t totalSize) {
  if (!hasTask(task, "onDownloadFontProgress")) return;
  queueResult({{"Task", Value(task)},
               {"ResultType", "FontDownload"},
               {"FontTotalSize", totalSize},
               {"FontDownloadedSize", receivedSize}});
}

void Observer::onDownloadBookProgress(const std::shared_ptr<Task>& task, const std::string& bookId,
                                      int64_t receivedSize, int64_t totalSize) {
  if (!hasTask(task, "onDownloadBookProgress")) return;
  queueResult({{"Task", Value(task)},
               {"ResultType", "EBookDownload"},
               {"EBookDownloadId", bookId},
               {"EBookTotalSize", totalSize},
               {"EBookDownloadedSize", receivedSize}});
}

}  // namespace zu
