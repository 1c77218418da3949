// Observer: the application observer. The engine facade hands it to the task engine as the
// finish observer, and every task reports its data results to it. Each callback returns at
// once on the calling thread (the "task" thread, a cache-cleaning thread or a background
// thread): it builds the notification's user-info dictionary there and queues the posting on
// the main run loop, never waiting for the main thread.
//
// On the main thread each result is posted through NotificationCenter::defaultCenter() under
// the task's id ("Task", "ResultType", "StateResult", "Result", ... in the user info, object
// null), then again under the task's userBroadcast when set, or else, for an image result,
// under "NOTIFICATIONIMAGEDOWNLOAD". A finish is posted 0.1 s after it was reported (a delayed
// post on the main loop, so on the process Clock: a test with a FakeClock advances it), so it
// follows every data result the task reported before it, from whatever thread. A finish with
// -190000 shows the upgrade alert and posts nothing; a server authorisation code shows the
// error-tips alert and then posts as usual. A callback without a task has no name to post under:
// it is logged and dropped. A nil column ends its dictionary (the key is left out), as the
// platform's dictionaries ended at the first nil; other nil results are carried as null.
//
// Ownership: made once by the application and kept for the life of the process; it keeps the
// alert presenter. Queued postings hold what they need, not the observer.
#pragma once

#include <memory>

#include "engine/core/DataEngineObserver.h"
#include "platform/runtime/Value.h"
#include "shell/app/AlertPresenter.h"

namespace zu {

class Observer : public DataEngineObserver {
 public:
  // Without a presenter the alerts are skipped (the postings are unchanged).
  explicit Observer(std::shared_ptr<AlertPresenter> alerts = nullptr);

  void onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                    const std::optional<std::string>& errDesc) override;
  void onFeedResult(const std::shared_ptr<Task>& task, const std::shared_ptr<Feed>& feed) override;
  void onEntryResult(const std::shared_ptr<Task>& task,
                     const std::shared_ptr<Entry>& entry) override;
  void onUserInfoResult(const std::shared_ptr<Task>& task,
                        const std::shared_ptr<UserInfo>& userInfo) override;
  void onImageDownloadResult(const std::shared_ptr<Task>& task, const std::string& url,
                             int errCode, const std::optional<std::string>& errDesc,
                             const std::optional<std::string>& localPath) override;
  void onStringResult(const std::shared_ptr<Task>& task,
                      const std::optional<std::string>& string) override;
  void onAdsResult(const std::shared_ptr<Task>& task, const std::shared_ptr<Ads>& ads) override;
  void columnWillUpdate(const std::shared_ptr<Task>& task,
                        const std::shared_ptr<Column>& column) override;
  void columnDidUpdated(const std::shared_ptr<Task>& task, const std::shared_ptr<Column>& column,
                        bool dataChanged) override;
  void columnBackGroundUpdated(const std::shared_ptr<Column>& column) override;

  // The progress record is copied here: the batch task goes on overwriting its own.
  void onOfflineDownloadProgress(const std::shared_ptr<Task>& task,
                                 const OfflineDownloadProgress& progress) override;
  void onCacheCleanProgress(const std::shared_ptr<Task>& task, int total, int cleaned) override;
  void onDownloadFontProgress(const std::shared_ptr<Task>& task, int64_t receivedSize,
                              int64_t totalSize) override;
  void onDownloadBookProgress(const std::shared_ptr<Task>& task, const std::string& bookId,
                              int64_t receivedSize, int64_t totalSize) override;
  bool respondsToOnOfflineDownloadProgress() const override { return true; }
  bool respondsToOnCacheCleanProgress() const override { return true; }
  bool respondsToOnDownloadFontProgress() const override { return true; }
  bool respondsToOnDownloadBookProgress() const override { return true; }

  // Main thread: posts one result dictionary (see the class comment).
  static void postResultOnMainThread(const Dictionary& userInfo);

 private:
  // Queues postResultOnMainThread(userInfo) on the main run loop.
  static void queueResult(Dictionary userInfo);

  std::shared_ptr<AlertPresenter> alerts_;
};

}  // namespace zu
