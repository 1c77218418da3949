#include "shell/app/Observer.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/core/ErrorCodes.h"
#include "engine/core/TaskTestSupport.h"
#include "model/service/Ads.h"
#include "model/columns/Column.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "model/columns/UserInfo.h"
#include "platform/runtime/NotificationCenter.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

// Everything that reached the main thread, in order: notifications and alerts.
class MainThreadLog : public AlertPresenter {
 public:
  struct Event {
    std::string name;  // notification name, or "alert:upgrade" / "alert:tips"
    Dictionary userInfo;
    Value object;
  };

  explicit MainThreadLog(std::vector<std::string> names = {}) {
    for (auto& name : names) listen(name);
  }
  void listen(const std::string& name) {
    NotificationCenter::defaultCenter().add(name, this, [this](const Notification& n) {
      record({n.name, n.userInfo, n.object});
    });
  }
  ~MainThreadLog() override { NotificationCenter::defaultCenter().remove(this); }

  void showUpgradeAlert(int errCode, const std::optional<std::string>& errDesc) override {
    record({"alert:upgrade", {{"code", errCode}, {"desc", errDesc.value_or("nil")}}, {}});
  }
  void showErrorTips(int errCode, const std::optional<std::string>& errDesc) override {
    record({"alert:tips", {{"code", errCode}, {"desc", errDesc.value_or("nil")}}, {}});
  }

  std::vector<Event> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  bool waitFor(size_t count) {
    return RunLoop::current()->runUntil([&] { return events().size() >= count; }, 10);
  }

 private:
  void record(Event e) {
    EXPECT_TRUE(RunLoop::main()->isCurrent()) << e.name;
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(e));
  }
  mutable std::mutex mutex_;
  std::vector<Event> events_;
};

// Reports data results from the task thread, then its finish.
class ReportingTask : public Task {
 public:
  ReportingTask(std::shared_ptr<DataEngineObserver> observer, int code)
      : observer_(std::move(observer)), code_(code) {}
  void run() override {
    Task::run();
    auto self = sharedTask();
    feed = std::make_shared<Feed>();
    column = std::make_shared<Column>();
    observer_->onFeedResult(self, feed);
    observer_->onImageDownloadResult(self, "http://127.0.0.1/a.png", 0, std::nullopt, "/tmp/a");
    observer_->onImageDownloadResult(self, "http://127.0.0.1/b.png", -3404, "x", std::nullopt);
    observer_->columnDidUpdated(self, column, false);
    observer_->onFeedResult(self, nullptr);
    done(code_, code_ == 0 ? std::nullopt : std::optional<std::string>(ErrorGetDescription(code_)));
  }
  std::shared_ptr<Feed> feed;
  std::shared_ptr<Column> column;

 private:
  std::shared_ptr<DataEngineObserver> observer_;
  int code_;
};

class ObserverTest : public testing::TaskEngineFixture {
 protected:
  void SetUp() override {
    TaskEngineFixture::SetUp();
    engine()->setTaskFinishObserver(observer_);
  }

  // Records the main thread's notifications and alerts; the observer reports to it.
  std::shared_ptr<MainThreadLog> log_ = std::make_shared<MainThreadLog>();
  std::shared_ptr<Observer> observer_ = std::make_shared<Observer>(log_);
};

TEST_F(ObserverTest, DataResultsArriveBeforeTheFinishOnTheMainThread) {
  auto task = std::make_shared<ReportingTask>(observer_, kErrNotFound);
  const std::string id = task->getTaskIdStr();
  log_->listen(id);
  log_->listen("NOTIFICATIONIMAGEDOWNLOAD");
  engine()->asyncRunTask(task);

  ASSERT_TRUE(log_->waitFor(8));
  auto events = log_->events();
  std::vector<std::string> order;
  for (auto& e : events) {
    order.push_back(e.name + " " + e.userInfo.get("ResultType").stringValue().value_or("?") +
                    " " + e.userInfo.get("StateResult").stringValue().value_or("-"));
  }
  EXPECT_EQ(order, (std::vector<std::string>{
                       id + " Feed -", id + " ImageDownLoad -",
                       "NOTIFICATIONIMAGEDOWNLOAD ImageDownLoad -", id + " ImageDownLoad -",
                       "NOTIFICATIONIMAGEDOWNLOAD ImageDownLoad -",
                       id + " TaskStatus ColumnUpdatedNoChanged", id + " Feed -",
                       id + " TaskStatus TaskFinish"}));

  EXPECT_EQ(events[0].userInfo.get("Task").asObject<Task>(), task);
  EXPECT_EQ(events[0].userInfo.get("Result").asObject<Feed>(), task->feed);
  EXPECT_TRUE(events[0].object.isNull());
  EXPECT_EQ(events[3].userInfo.keys(),
            (std::vector<std::string>{"Task", "ResultType", "Result", "Url"}));
  EXPECT_EQ(events[3].userInfo.get("Result"), Value(-3404));
  EXPECT_EQ(events[3].userInfo.get("Url"), Value("http://127.0.0.1/b.png"));
  EXPECT_EQ(events[5].userInfo.get("Result").asObject<Column>(), task->column);
  EXPECT_TRUE(events[6].userInfo.get("Result").isNull());  // a nil feed
  const Dictionary& finish = events[7].userInfo;
  EXPECT_EQ(finish.keys(), (std::vector<std::string>{"Task", "ResultType", "StateResult",
                                                     "Result", "ErrDesc"}));
  EXPECT_EQ(finish.get("Result"), Value(-3));
  EXPECT_EQ(finish.get("ErrDesc"), Value("未找到"));
}

// Two feeds, then the finish 0.1 s later by the clock — also when the main loop was busy the
// whole time and the finish's moment has long passed when it turns again.
TEST_F(ObserverTest, FinishFollowsTheFeedsAfterATenthOfASecondEvenPastABusyMainLoop) {
  ScopedFakeClock clock;
  class TwoFeeds : public Task {
   public:
    TwoFeeds(std::shared_ptr<DataEngineObserver> observer, std::promise<void>* reported)
        : observer_(std::move(observer)), reported_(reported) {}
    void run() override {
      Task::run();
      observer_->onFeedResult(sharedTask(), std::make_shared<Feed>());
      observer_->onFeedResult(sharedTask(), std::make_shared<Feed>());
      done(0, std::nullopt);
      reported_->set_value();
    }

   private:
    std::shared_ptr<DataEngineObserver> observer_;
    std::promise<void>* reported_;
  };
  auto names = [&] {
    std::vector<std::string> out;
    for (auto& e : log_->events()) {
      out.push_back(e.userInfo.get("ResultType").stringValue().value_or("?"));
    }
    return out;
  };

  // Quiet main loop: the feeds at once, the finish only when the clock has moved 0.1 s.
  std::promise<void> first;
  auto quiet = std::make_shared<TwoFeeds>(observer_, &first);
  log_->listen(quiet->getTaskIdStr());
  engine()->asyncRunTask(quiet);
  first.get_future().wait();
  ASSERT_TRUE(log_->waitFor(2));
  EXPECT_EQ((std::vector<std::string>{"Feed", "Feed"}), names());
  clock.clock()->advance(0.05);
  RunLoop::main()->runUntil([] { return false; }, 0);
  EXPECT_EQ(2u, log_->events().size());
  clock.clock()->advance(0.05);
  ASSERT_TRUE(log_->waitFor(3));
  EXPECT_EQ("TaskStatus", names().back());

  // Busy main loop: the task reports and finishes while the main thread does something else
  // for a whole second; the feeds still come first.
  std::promise<void> second;
  auto busy = std::make_shared<TwoFeeds>(observer_, &second);
  log_->listen(busy->getTaskIdStr());
  engine()->asyncRunTask(busy);
  second.get_future().wait();
  clock.clock()->advance(1);
  ASSERT_TRUE(log_->waitFor(6));
  EXPECT_EQ((std::vector<std::string>{"Feed", "Feed", "TaskStatus", "Feed", "Feed", "TaskStatus"}),
            names());
}

TEST_F(ObserverTest, BroadcastNameAndNilDescription) {
  auto task = std::make_shared<ReportingTask>(observer_, 0);
  const std::string id = task->getTaskIdStr();
  for (const char* name : {id.c_str(), "NOTIFICATIONIMAGEDOWNLOAD", "bc"}) log_->listen(name);
  task->setUserBroadcast("bc");
  engine()->asyncRunTask(task);

  ASSERT_TRUE(log_->waitFor(12));
  auto events = log_->events();
  ASSERT_EQ(events.size(), 12u);
  for (size_t i = 0; i < events.size(); i += 2) {
    EXPECT_EQ(events[i].name, id);
    EXPECT_EQ(events[i + 1].name, "bc");  // instead of the image name
    EXPECT_EQ(events[i].userInfo, events[i + 1].userInfo);
  }
  EXPECT_EQ(events.back().userInfo.get("ErrDesc"), Value("null"));
  EXPECT_EQ(events.back().userInfo.get("Result"), Value(0));
}

TEST_F(ObserverTest, UpgradeCodeShowsTheAlertOnlyAndAuthorisationCodesAlertThenPost) {
  auto upgrade = std::make_shared<ReportingTask>(nullptr, 0);
  auto login = std::make_shared<ReportingTask>(nullptr, 0);
  auto plain = std::make_shared<ReportingTask>(nullptr, 0);
  for (auto& t : {upgrade, login, plain}) log_->listen(t->getTaskIdStr());
  std::thread taskThread([&] {
    observer_->onTaskFinish(upgrade, kErrNeedUpgrade, "程序需要更新");
    observer_->onTaskFinish(login, GetServerErrorCode(12), std::nullopt);
    observer_->onTaskFinish(plain, GetServerErrorCode(13), "no");
  });
  taskThread.join();
  ASSERT_TRUE(log_->waitFor(4));
  auto events = log_->events();
  ASSERT_EQ(events.size(), 4u);  // nothing is posted under the upgrade task's id
  EXPECT_EQ(events[0].name, "alert:upgrade");
  EXPECT_EQ(events[0].userInfo.get("desc"), Value("程序需要更新"));
  EXPECT_EQ(events[1].name, "alert:tips");  // the alert comes before the posting
  EXPECT_EQ(events[1].userInfo.get("code"), Value(-100012));
  EXPECT_EQ(events[2].name, login->getTaskIdStr());
  EXPECT_EQ(events[2].userInfo.get("ErrDesc"), Value("null"));
  EXPECT_EQ(events[3].name, plain->getTaskIdStr());  // -100013 is no authorisation code
}

TEST_F(ObserverTest, EveryOtherResultTypeAndColumnState) {
  auto task = std::make_shared<ReportingTask>(nullptr, 0);
  MainThreadLog posted({task->getTaskIdStr()});
  Observer observer;
  auto entry = std::make_shared<Entry>();
  auto userInfo = std::make_shared<UserInfo>();
  auto ads = std::make_shared<Ads>();
  auto column = std::make_shared<Column>();
  std::thread worker([&] {
    observer.onEntryResult(task, entry);
    observer.onUserInfoResult(task, userInfo);
    observer.onStringResult(task, "http://t.example/x");
    observer.onStringResult(task, std::nullopt);
    observer.onAdsResult(task, ads);
    observer.columnWillUpdate(task, column);
    observer.columnDidUpdated(task, column, true);
    // Without a task there is no name to post under: dropped, not posted under "".
    observer.onFeedResult(nullptr, nullptr);
    observer.onTaskFinish(nullptr, -3, std::nullopt);
    // A nil column ends the dictionary before "Result".
    observer.columnDidUpdated(task, nullptr, false);
    observer.columnBackGroundUpdated(nullptr);
    // Finishes keep their order: this one arrives after where the task-less one would have.
    observer.onTaskFinish(task, 0, std::nullopt);
  });
  worker.join();
  posted.listen("");
  posted.listen("NOTIFICATIONCOLUMNBACKGROUNDUPDATED");
  ASSERT_TRUE(posted.waitFor(10));
  auto events = posted.events();
  std::vector<std::string> types;
  for (auto& e : events) {
    types.push_back(e.userInfo.get("ResultType").stringValue().value_or("?") + " " +
                    e.userInfo.get("StateResult").stringValue().value_or("-"));
  }
  EXPECT_EQ(types, (std::vector<std::string>{
                       "Entry -", "UserInfo -", "SURLString -", "SURLString -", "ads -",
                       "TaskStatus ColumnWillUpdate", "TaskStatus ColumnUpdatedChanged",
                       "TaskStatus ColumnUpdatedNoChanged", "? -", "TaskStatus TaskFinish"}));
  EXPECT_EQ(events[0].userInfo.get("Result").asObject<Entry>(), entry);
  EXPECT_EQ(events[1].userInfo.get("Result").asObject<UserInfo>(), userInfo);
  EXPECT_EQ(events[2].userInfo.get("Result"), Value("http://t.example/x"));
  EXPECT_TRUE(events[3].userInfo.get("Result").isNull());
  EXPECT_EQ(events[4].userInfo.get("Result").asObject<Ads>(), ads);
  EXPECT_EQ(events[5].userInfo.keys(),
            (std::vector<std::string>{"Task", "ResultType", "StateResult", "Result"}));
  EXPECT_EQ(events[6].userInfo.get("Result").asObject<Column>(), column);
  EXPECT_EQ(events[7].userInfo.keys(), (std::vector<std::string>{"Task", "ResultType", "StateResult"}));
  EXPECT_EQ(events[7].userInfo.get("StateResult"), Value("ColumnUpdatedNoChanged"));
  EXPECT_EQ(events[8].name, "NOTIFICATIONCOLUMNBACKGROUNDUPDATED");
  EXPECT_TRUE(events[8].userInfo.empty());
  EXPECT_EQ(events[9].name, task->getTaskIdStr());
  EXPECT_EQ(events[9].userInfo.get("StateResult"), Value("TaskFinish"));
  EXPECT_EQ(events.size(), 10u);
}

TEST_F(ObserverTest, ProgressReportsAreCopiedWhenReported) {
  auto task = std::make_shared<ReportingTask>(nullptr, 0);
  MainThreadLog posted({task->getTaskIdStr(), "NOTIFICATIONCOLUMNBACKGROUNDUPDATED"});
  Observer observer;  // no alert presenter
  auto progress = std::make_shared<OfflineDownloadProgress>();
  auto column = std::make_shared<Column>();
  progress->setColumn(column);
  progress->setIndex(1);
  progress->setTotal(3);
  progress->setPercent(10);
  std::thread worker([&] {
    observer.onOfflineDownloadProgress(task, *progress);
    // The batch overwrites its one record for the next report before the main thread looks.
    progress->setIsFlowNotify(true);
    progress->setPercent(90);
    progress->setBytes(4096);
    observer.onCacheCleanProgress(task, 40, 7);
    observer.onDownloadFontProgress(task, 100, 5000000000LL);
    observer.onDownloadBookProgress(task, "book-9", 1, 2);
    observer.columnBackGroundUpdated(column);
  });
  worker.join();
  ASSERT_TRUE(posted.waitFor(5));
  auto events = posted.events();

  auto first = events[0].userInfo.get("Result").asObject<OfflineDownloadProgress>();
  ASSERT_TRUE(first);
  EXPECT_NE(first, progress);
  EXPECT_FALSE(first->isFlowNotify());
  EXPECT_EQ(first->percent(), 10);
  EXPECT_EQ(first->bytes(), 0);
  EXPECT_EQ(first->column(), column);
  EXPECT_EQ(events[0].userInfo.get("ResultType"), Value("ColumnsOffDownLoad"));

  EXPECT_EQ(events[1].userInfo, (Dictionary{{"Task", Value(std::static_pointer_cast<Task>(task))},
                                            {"ResultType", "CacheCleaning"},
                                            {"CacheCleanTotal", 40},
                                            {"CacheCleanCleaned", 7}}));
  EXPECT_EQ(events[2].userInfo.get("FontTotalSize"), Value(5000000000LL));
  EXPECT_EQ(events[2].userInfo.get("FontDownloadedSize"), Value(100));
  EXPECT_EQ(events[3].userInfo.keys(),
            (std::vector<std::string>{"Task", "ResultType", "EBookDownloadId", "EBookTotalSize",
                                      "EBookDownloadedSize"}));
  EXPECT_EQ(events[4].name, "NOTIFICATIONCOLUMNBACKGROUNDUPDATED");
  EXPECT_EQ(events[4].userInfo, (Dictionary{{"Column", Value(column)}}));
  EXPECT_TRUE(observer.respondsToOnDownloadBookProgress());
  EXPECT_FALSE(observer.respondsToOnDownloadBookUpdatesProgress());
}

}  // namespace
}  // namespace zu
