// DownloadWithPriorityDLManager: the download lanes of a session. A lane is an ordered list of
// images downloaded one after another; only its head has an engine task, so at most
// queueSize() images download at once (6 at creation, never more than 10). The manager is the
// specific observer of the image tasks it starts (DataEngine::createDownloadImageTask with an
// observer), so their results come to it alone.
//
// Threads: every operation but onImageDownloadResult runs on the session's thread. The engine
// calls onImageDownloadResult on its "task" thread; it only hands the result over to the
// session's thread, under a lock, and drops it once the manager is closed. The tasks keep the
// manager alive while they run (they hold it as their observer), so a late result always finds
// it; after close() such a result changes nothing.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/core/DataEngineObserver.h"
#include "platform/runtime/Value.h"

namespace zu {

class DownloadWithPriorityDLManagerDelegate;
class DownloadWithPriorityGroupObject;
class RunLoop;

class DownloadWithPriorityDLManager
    : public DataEngineObserver,
      public std::enable_shared_from_this<DownloadWithPriorityDLManager> {
 public:
  using ObjectPtr = std::shared_ptr<DownloadWithPriorityGroupObject>;
  static constexpr unsigned kInitialQueueSize = 6;
  static constexpr unsigned kMaxQueueSize = 10;

  // `delegate` (not retained) hears the results; `thread` is the session's loop.
  DownloadWithPriorityDLManager(std::weak_ptr<DownloadWithPriorityDLManagerDelegate> delegate,
                                std::shared_ptr<RunLoop> thread);
  ~DownloadWithPriorityDLManager() override;

  unsigned queueSize() const { return queueSize_; }
  // 0 is ignored; otherwise min(n, 10) lanes. A new count cancels every lane's download and
  // starts with empty lanes; the same count changes nothing.
  void setQueueSize(unsigned n);
  // Keeps the heads that are among the first `active` objects (their downloads go on), cancels
  // and drops every other head and empties the lanes, then deals the objects round-robin over
  // the lanes (the object at position k to lane k mod lanes) and starts the heads unless paused.
  void createRefreshBatchDownloadInQueueTask(const std::vector<ObjectPtr>& objects,
                                             unsigned active);
  // Deals and starts without touching what the lanes hold.
  void createBatchDownloadInQueueTask(const std::vector<ObjectPtr>& objects);
  // Drops the first object of each lane with that index, cancelling a head's download and
  // starting the next head.
  void cancelDownloadInQueueTask(unsigned orignalIndex);
  // Cancels the heads' downloads; while paused, refreshes rebuild the lanes but start nothing.
  void pauseDownloadInQueueTask();
  // Starts the heads again.
  void resumeDownloadInQueueTask();
  // Cancels the heads' downloads and empties every lane.
  void cancelAllDownloadInQueueTask();
  // A result handed over from the "task" thread: the lane whose head it belongs to reports it,
  // drops the head and starts the next; when every lane is empty the delegate hears
  // onQueueClear.
  void onImageDownloadResultOnThread(const Dictionary& result);
  // Forgets the delegate and the thread, cancels every lane's download and drops the lanes.
  // Later results are dropped.
  void close();

  // DataEngineObserver: only the image result does anything.
  void onImageDownloadResult(const std::shared_ptr<Task>& task, const std::string& url,
                             int errCode, const std::optional<std::string>& errDesc,
                             const std::optional<std::string>& localPath) override;
  void onTaskFinish(const std::shared_ptr<Task>&, int, const std::optional<std::string>&) override {}
  void onFeedResult(const std::shared_ptr<Task>&, const std::shared_ptr<Feed>&) override {}
  void onEntryResult(const std::shared_ptr<Task>&, const std::shared_ptr<Entry>&) override {}
  void onUserInfoResult(const std::shared_ptr<Task>&, const std::shared_ptr<UserInfo>&) override {}
  void onStringResult(const std::shared_ptr<Task>&, const std::optional<std::string>&) override {}
  void onAdsResult(const std::shared_ptr<Task>&, const std::shared_ptr<Ads>&) override {}
  void columnWillUpdate(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&) override {}
  void columnDidUpdated(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&,
                        bool) override {}
  void columnBackGroundUpdated(const std::shared_ptr<Column>&) override {}

 private:
  using Lane = std::deque<ObjectPtr>;

  // Puts the objects without a task, other than `staying`, at the ends of the lanes.
  void deal(const std::vector<ObjectPtr>& objects, const std::vector<ObjectPtr>& staying);
  // Starts every non-empty lane's head that has no task, unless paused.
  void startHeads();
  void startHeadTask(const ObjectPtr& head);
  static void cancelHeadTask(const ObjectPtr& head);

  std::weak_ptr<DownloadWithPriorityDLManagerDelegate> delegate_;
  std::vector<Lane> queueArray_;
  unsigned queueSize_ = kInitialQueueSize;
  bool isPause_ = false;
  std::atomic<bool> closed_{false};
  // The hand-off to the session's thread, read on the "task" thread.
  std::mutex threadLock_;
  std::shared_ptr<RunLoop> thread_;
};

}  // namespace zu
