#include "engine/core/TaskEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/core/ErrorCodes.h"
#include "engine/core/ErrorTask.h"
#include "engine/core/Task.h"
#include "engine/core/TaskTestSupport.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"

namespace zu {
namespace {

using testing::dumpLogToStderr;
using testing::FinishRecorder;
using testing::TaskEngineFixture;

// A task doing local work: it reports a finish from inside run(), then tries again.
class LocalTask : public Task {
 public:
  explicit LocalTask(int code) : code_(code) {}
  void run() override {
    Task::run();
    ranOn = Thread::currentName().value_or("null");
    done(code_, code_ == 0 ? std::nullopt : std::optional<std::string>(ErrorGetDescription(code_)));
    done(-1, "second");  // ignored
  }
  std::string ranOn;

 private:
  int code_;
};

// A task that stays running until cancelled; cancel finishes it with -6, as an HTTP task does.
class WaitingTask : public Task {
 public:
  void cancel() override {
    cancels++;
    done(kErrCancelled, ErrorGetDescription(kErrCancelled));
  }
  std::atomic<int> cancels{0};
};

// A task that cannot be cancelled: it keeps the base cancel.
class StubbornTask : public Task {};

using TaskEngineTest = TaskEngineFixture;

TEST_F(TaskEngineTest, IdsStartAtOneAndStayDistinctAcrossThreads) {
  auto first = std::make_shared<LocalTask>(0);
  EXPECT_EQ(first->getTaskId(), 1);
  EXPECT_EQ(first->getTaskIdStr(), "1");

  std::mutex m;
  std::vector<int> ids;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      std::vector<int> mine;
      for (int i = 0; i < 200; ++i) mine.push_back(std::make_shared<LocalTask>(0)->getTaskId());
      EXPECT_TRUE(std::is_sorted(mine.begin(), mine.end()));
      std::lock_guard lock(m);
      ids.insert(ids.end(), mine.begin(), mine.end());
    });
  }
  for (auto& t : threads) t.join();
  std::set<int> unique(ids.begin(), ids.end());
  EXPECT_EQ(unique.size(), 800u);
  EXPECT_EQ(*unique.begin(), 2);
  EXPECT_EQ(*unique.rbegin(), 801);
}

TEST_F(TaskEngineTest, TaskFinishesOnceOnTheTaskThreadAndIsReleased) {
  auto task = std::make_shared<LocalTask>(kErrNotFound);
  task->setUserIdentity("detail");
  std::weak_ptr<LocalTask> weak = task;
  int id = task->getTaskId();
  engine()->asyncRunTask(task);
  task.reset();  // the queued request keeps it alive

  ASSERT_TRUE(recorder()->waitForFinishes(1));
  // Give a wrongly repeated finish the chance to arrive.
  engine()->syncCancelAllTask();
  auto finishes = recorder()->finishes();
  ASSERT_EQ(finishes.size(), 1u);
  EXPECT_EQ(finishes[0].taskId, id);
  EXPECT_EQ(finishes[0].code, kErrNotFound);
  EXPECT_EQ(finishes[0].desc, "未找到");
  EXPECT_EQ(finishes[0].userIdentity, "detail");
  EXPECT_EQ(finishes[0].thread, "task");
  EXPECT_FALSE(finishes[0].isDoneDuringFinish);  // done only once the observer has heard
  EXPECT_TRUE(engine()->runningTasks().empty());
  EXPECT_TRUE(weak.expired());

  EXPECT_TRUE(logContains("task " + std::to_string(id) + " LocalTask done invoke"));
  EXPECT_TRUE(logContains("task " + std::to_string(id) + " LocalTask run"));
  EXPECT_TRUE(logContains("task " + std::to_string(id) + " LocalTask done code -3 desc 未找到"));
}

TEST_F(TaskEngineTest, MutedAndErrorTasksAndSecondRuns) {
  auto muted = std::make_shared<LocalTask>(0);
  muted->setMute(true);
  auto error = std::make_shared<ErrorTask>(kErrInvalidArg);
  engine()->asyncRunTask(muted);
  engine()->asyncRunTask(error);
  engine()->asyncRunTask(error);  // a task runs once
  engine()->asyncRunTask(nullptr);
  ASSERT_TRUE(recorder()->waitForFinishes(1));
  engine()->syncCancelAllTask();

  auto finishes = recorder()->finishes();
  ASSERT_EQ(finishes.size(), 1u);
  EXPECT_EQ(finishes[0].taskId, error->getTaskId());
  EXPECT_EQ(finishes[0].code, -7);
  EXPECT_EQ(finishes[0].desc, "参数无效");
  EXPECT_TRUE(muted->isDone());
  EXPECT_TRUE(error->isDone());
  EXPECT_TRUE(engine()->runningTasks().empty());
  EXPECT_TRUE(logContains("task " + muted->getTaskIdStr() + " LocalTask done code 0 desc ok"));
}

TEST_F(TaskEngineTest, CancelFromTheMainThreadReachesOnlyRunningTasks) {
  auto notStarted = std::make_shared<WaitingTask>();
  engine()->asyncCancelTask(notStarted);  // not running: nothing happens
  engine()->asyncCancelTask(nullptr);
  auto running = std::make_shared<WaitingTask>();
  engine()->asyncRunTask(running);
  engine()->asyncCancelTask(running);  // queued behind the run: the task is running by then
  ASSERT_TRUE(recorder()->waitForFinishes(1));
  EXPECT_EQ(recorder()->finishes()[0].taskId, running->getTaskId());
  EXPECT_EQ(recorder()->finishes()[0].code, -6);
  EXPECT_EQ(recorder()->finishes()[0].desc, "操作被取消");

  engine()->asyncCancelTask(running);  // finished: left alone
  engine()->syncCancelAllTask();
  EXPECT_EQ(running->cancels.load(), 1);
  EXPECT_EQ(notStarted->cancels.load(), 0);
  EXPECT_FALSE(notStarted->isDone());

  // A task that cannot be cancelled stays running and says so in the log.
  auto stubborn = std::make_shared<StubbornTask>();
  engine()->asyncRunTask(stubborn);
  engine()->syncCancelAllTask();
  EXPECT_EQ(engine()->runningTasks().size(), 1u);
  EXPECT_TRUE(logContains("Task cancel in fail."));
}

// Cancels everything from inside its own run(), on the task thread.
class CancellingTask : public Task {
 public:
  void run() override {
    Task::run();
    gTaskEngine()->syncCancelAllTask();  // must run inline, not wait for itself
    done(0, std::nullopt);
  }
};

TEST_F(TaskEngineTest, CancelFromTheTaskThreadDoesNotDeadlock) {
  auto a = std::make_shared<WaitingTask>();
  auto b = std::make_shared<WaitingTask>();
  auto canceller = std::make_shared<CancellingTask>();
  engine()->asyncRunTask(a);
  engine()->asyncRunTask(b);
  engine()->asyncRunTask(canceller);
  ASSERT_TRUE(recorder()->waitForFinishes(3));
  auto finishes = recorder()->finishes();
  // The cancels finish a and b in list order inside the canceller's run, before its own finish.
  EXPECT_EQ(finishes[0].taskId, a->getTaskId());
  EXPECT_EQ(finishes[1].taskId, b->getTaskId());
  EXPECT_EQ(finishes[2].taskId, canceller->getTaskId());
  EXPECT_EQ(finishes[2].code, 0);
  EXPECT_EQ(finishes[2].desc, std::nullopt);
}

TEST_F(TaskEngineTest, SyncCancelAllFinishesRunningTasksBeforeReturning) {
  std::vector<std::shared_ptr<WaitingTask>> tasks;
  for (int i = 0; i < 5; ++i) {
    tasks.push_back(std::make_shared<WaitingTask>());
    engine()->asyncRunTask(tasks.back());
  }
  engine()->syncCancelAllTask();
  EXPECT_EQ(recorder()->finishes().size(), 5u);
  EXPECT_TRUE(engine()->runningTasks().empty());
  for (auto& t : tasks) EXPECT_EQ(t->cancels.load(), 1);
}

TEST_F(TaskEngineTest, StopCancelsRunningTasksAndEndsTheThread) {
  auto waiting = std::make_shared<WaitingTask>();
  auto stubborn = std::make_shared<StubbornTask>();
  engine()->asyncRunTask(waiting);
  engine()->asyncRunTask(stubborn);
  std::shared_ptr<RunLoop> loop = engine()->runLoop();

  TaskEngine::uninitGlobalInstance();
  EXPECT_EQ(gTaskEngine(), nullptr);
  EXPECT_TRUE(loop->isStopped());
  EXPECT_EQ(waiting->cancels.load(), 1);
  auto finishes = recorder()->finishes();
  ASSERT_EQ(finishes.size(), 1u);  // reported during the last pass, before stop returned
  EXPECT_EQ(finishes[0].code, -6);
  EXPECT_FALSE(stubborn->isDone());

  // Nothing runs on a stopped engine; a task made now has no engine and id 0.
  auto late = std::make_shared<LocalTask>(0);
  EXPECT_EQ(late->getTaskId(), 0);
  std::shared_ptr<TaskEngine> stopped = engine();
  stopped->asyncRunTask(late);
  stopped->syncCancelAllTask();  // returns at once
  EXPECT_FALSE(late->isDone());
}

// Stops the engine from its own thread, as a task ending the process would.
class StoppingTask : public Task {
 public:
  void run() override {
    Task::run();
    gTaskEngine()->stop();
    RunLoop::main()->post([] {});  // wake the test thread to look again
  }
};

TEST_F(TaskEngineTest, StopFromTheTaskThreadEndsTheLoop) {
  auto waiting = std::make_shared<WaitingTask>();
  engine()->asyncRunTask(waiting);
  engine()->asyncRunTask(std::make_shared<StoppingTask>());
  std::shared_ptr<RunLoop> loop = engine()->runLoop();
  ASSERT_TRUE(RunLoop::current()->runUntil([&] { return loop->isStopped(); }, 10));
  EXPECT_EQ(waiting->cancels.load(), 1);
}

// Waits inside its run() until it is cancelled, then stops the engine itself.
class CancelThenStopTask : public Task {
 public:
  void run() override {
    Task::run();
    RunLoop::current()->runUntil([this] { return cancelled_; }, 10);
    gTaskEngine()->stop();
  }
  void cancel() override { cancelled_ = true; }

 private:
  bool cancelled_ = false;  // task thread only
};

TEST_F(TaskEngineTest, StopFromTheTaskThreadWhileAnotherThreadStopsDoesNotDeadlock) {
  auto task = std::make_shared<CancelThenStopTask>();
  engine()->asyncRunTask(task);
  engine()->runLoop()->postAndWait([] {});  // the task waits inside its run()

  // The main thread's stop cancels the task and waits for the thread to end, while the task
  // goes on to stop the engine from the task thread.
  std::atomic<bool> stopped{false};
  std::thread stopper([&] {
    TaskEngine::uninitGlobalInstance();
    stopped = true;
    RunLoop::main()->post([] {});
  });
  bool ended = RunLoop::current()->runUntil([&] { return stopped.load(); }, 10);
  if (!ended) {
    ADD_FAILURE() << "stop deadlocked";
    stopper.detach();
    std::abort();  // the blocked threads cannot be joined
  }
  stopper.join();
  EXPECT_TRUE(engine()->runLoop()->isStopped());
  EXPECT_TRUE(logContains("task " + task->getTaskIdStr() + " CancelThenStopTask run"));
}

class ThrowingTask : public Task {
 public:
  void run() override {
    Task::run();
    throw std::runtime_error("broken invariant");
  }
};

using TaskEngineDeathTest = TaskEngineFixture;

TEST_F(TaskEngineDeathTest, ExceptionOnTheTaskThreadIsLoggedAndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        // Show the log on the way out so the parent can check the line.
        std::set_terminate([] {
          dumpLogToStderr();
          std::abort();
        });
        engine()->asyncRunTask(std::make_shared<ThrowingTask>());
        RunLoop::current()->runUntil([] { return false; }, 30);
      },
      "taskThread exception: std::runtime_error broken invariant CallStack:");
}

}  // namespace
}  // namespace zu
