#include "platform/runtime/RunLoop.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/runtime/FakeClock.h"
#include "platform/runtime/Thread.h"

namespace zu {
namespace {

using ::testing::ElementsAre;

constexpr double kTimeout = 10;

class RunLoopTest : public ::testing::Test {
 protected:
  void TearDown() override { Clock::resetForTesting(); }

  // Turns the test thread's (main) loop until `pred` holds.
  static bool turnUntil(const std::function<bool()>& pred) {
    return RunLoop::current()->runUntil(pred, kTimeout);
  }
  // Posts a marker and turns until it ran: everything due before it has run too.
  static void drain() {
    bool ran = false;
    RunLoop::current()->post([&] { ran = true; });
    ASSERT_TRUE(turnUntil([&] { return ran; }));
  }
};

// A gate that holds a loop's thread inside a task until opened.
struct Gate {
  std::mutex mutex;
  std::condition_variable cv;
  bool open = false;
  void wait() {
    std::unique_lock<std::mutex> lock(mutex);
    cv.wait(lock, [&] { return open; });
  }
  void release() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      open = true;
    }
    cv.notify_all();
  }
};

TEST_F(RunLoopTest, QueueRunsByDueTimeThenPostOrder) {
  auto clock = FakeClock::install();
  auto loop = RunLoop::current();
  ASSERT_EQ(loop, RunLoop::main());
  std::vector<std::string> ran;
  auto rec = [&](std::string s) { return [&ran, s] { ran.push_back(s); }; };
  loop->post(rec("a"));
  loop->postDelayed(2, rec("late"));
  loop->postDelayed(1, rec("d1"));
  loop->post(rec("b"));
  loop->postDelayed(0, rec("zero"));  // due now, but posted after "b"
  loop->postDelayed(1, rec("d1b"));
  loop->post(rec("c"));
  drain();
  EXPECT_THAT(ran, ElementsAre("a", "b", "zero", "c"));

  clock->advance(0.999);
  drain();
  EXPECT_EQ(ran.size(), 4u);
  clock->advance(0.001);
  ASSERT_TRUE(turnUntil([&] { return ran.size() == 6; }));
  EXPECT_EQ(ran[4], "d1");
  EXPECT_EQ(ran[5], "d1b");
  clock->advance(5);
  ASSERT_TRUE(turnUntil([&] { return ran.size() == 7; }));
  EXPECT_EQ(ran.back(), "late");
}

TEST_F(RunLoopTest, PostsFromSeveralThreadsKeepEachThreadsOrder) {
  auto clock = FakeClock::install();
  auto worker = Thread::start("worker");
  auto loop = worker->runLoop();
  constexpr int kThreads = 4, kPosts = 300;
  // Touched only on the worker thread.
  std::vector<std::pair<int, int>> ran;
  std::vector<int> delayedRan;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      loop->postDelayed(1, [&delayedRan, t] { delayedRan.push_back(t); });
      for (int i = 0; i < kPosts; ++i) loop->post([&ran, t, i] { ran.emplace_back(t, i); });
    });
  }
  for (auto& p : posters) p.join();

  size_t plainCount = 0, delayedCount = 0;
  ASSERT_TRUE(loop->postAndWait([&] {
    plainCount = ran.size();
    delayedCount = delayedRan.size();
  }));
  EXPECT_EQ(plainCount, size_t(kThreads * kPosts));
  EXPECT_EQ(delayedCount, 0u) << "delayed tasks ran before the fake clock reached them";
  std::vector<int> next(kThreads, 0);
  for (auto [t, i] : ran) {
    EXPECT_EQ(i, next[t]) << "thread " << t;
    next[t] = i + 1;
  }

  clock->advance(1);
  // Posted after the advance: due at the same time as the delayed ones but later in sequence.
  ASSERT_TRUE(loop->postAndWait([&] { delayedCount = delayedRan.size(); }));
  EXPECT_EQ(delayedCount, size_t(kThreads));
  worker->stopAndJoin();
}

TEST_F(RunLoopTest, CancelRemovesOnlyPendingDelayedTasks) {
  auto clock = FakeClock::install();
  auto loop = RunLoop::current();
  int x = 0, y = 0;
  RunLoop::Token tx = loop->postDelayed(1, [&] { ++x; });
  RunLoop::Token ty = loop->postDelayed(1, [&] { ++y; });
  ASSERT_NE(tx, 0u);
  ASSERT_NE(tx, ty);
  EXPECT_TRUE(loop->cancel(tx));
  EXPECT_FALSE(loop->cancel(tx));
  EXPECT_FALSE(loop->cancel(0));
  clock->advance(1);
  ASSERT_TRUE(turnUntil([&] { return y == 1; }));
  drain();
  EXPECT_EQ(x, 0);
  EXPECT_FALSE(loop->cancel(ty)) << "a task that already ran cannot be cancelled";
}

TEST_F(RunLoopTest, StopWakesBlockedLoopAndIsFinal) {
  std::promise<void> returned;
  auto worker = Thread::start("blocked", [&] {
    RunLoop::current()->run();
    returned.set_value();
  });
  auto loop = worker->runLoop();
  ASSERT_TRUE(loop->postAndWait([] {}));  // the loop is turning and now waits with nothing due
  loop->postDelayed(3600, [] {});
  loop->stop();
  EXPECT_EQ(returned.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(loop->isStopped());
  bool ran = false;
  EXPECT_FALSE(loop->post([&] { ran = true; }));
  EXPECT_EQ(loop->postDelayed(0, [&] { ran = true; }), 0u);
  EXPECT_FALSE(loop->postAndWait([&] { ran = true; }));
  worker->stopAndJoin();
  EXPECT_FALSE(ran);
}

TEST_F(RunLoopTest, PostAndWaitRunsInlineOnOwnThreadAndWaitsElsewhere) {
  bool ran = false;
  // The main loop is not being turned: only an inline run can complete this.
  EXPECT_TRUE(RunLoop::current()->postAndWait([&] { ran = true; }));
  EXPECT_TRUE(ran);

  auto worker = Thread::start("worker");
  std::optional<std::string> nameThere;
  bool onWorker = false;
  EXPECT_TRUE(worker->runLoop()->postAndWait([&] {
    nameThere = Thread::currentName();
    onWorker = worker->runLoop()->isCurrent();
    // Nested postAndWait on the loop's own thread must not deadlock.
    EXPECT_TRUE(RunLoop::current()->postAndWait([] {}));
  }));
  EXPECT_EQ(nameThere, "worker");
  EXPECT_TRUE(onWorker);
}

TEST_F(RunLoopTest, PostAndWaitNeverHangsOnStoppedLoop) {
  // A loop stopped while the caller waits: the queued task is dropped, the caller gets false.
  Gate gate;
  auto worker = Thread::start("gated");
  auto loop = worker->runLoop();
  loop->post([&] { gate.wait(); });
  std::atomic<bool> waitedRan{false};
  auto waited = std::async(std::launch::async,
                           [&] { return loop->postAndWait([&] { waitedRan = true; }); });
  // Either the call is already waiting or it comes after the stop; both must give false.
  loop->stop();
  gate.release();
  ASSERT_EQ(waited.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_FALSE(waited.get());
  worker->stopAndJoin();
  EXPECT_FALSE(waitedRan);

  // A plain thread's loop is stopped when the thread ends.
  std::shared_ptr<RunLoop> orphan;
  std::thread([&] { orphan = RunLoop::current(); }).join();
  EXPECT_TRUE(orphan->isStopped());
  EXPECT_FALSE(orphan->postAndWait([] {}));
}

TEST_F(RunLoopTest, PostAndWaitReportsTaskThatThrewOnLoopThread) {
  std::promise<std::string> caught;
  auto worker = Thread::start("catching", [&] {
    try {
      RunLoop::current()->run();
    } catch (const std::exception& e) {
      caught.set_value(e.what());
    }
  });
  EXPECT_FALSE(worker->runLoop()->postAndWait([] { throw std::runtime_error("boom"); }));
  auto f = caught.get_future();
  ASSERT_EQ(f.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(f.get(), "boom");
}

TEST_F(RunLoopTest, ThrowingTaskPropagatesAndLoopStaysUsable) {
  auto loop = RunLoop::current();
  bool after = false;
  loop->post([] { throw std::runtime_error("task failed"); });
  loop->post([&] { after = true; });
  EXPECT_THROW(loop->runUntil([&] { return after; }, kTimeout), std::runtime_error);
  EXPECT_FALSE(after);
  EXPECT_TRUE(turnUntil([&] { return after; }));
}

TEST_F(RunLoopTest, RunUntilTimesOutInRealTimeUnderFakeClockAndRejectsOtherThreads) {
  auto clock = FakeClock::install();
  bool ran = false;
  const RunLoop::Token token = RunLoop::current()->postDelayed(1, [&] { ran = true; });
  EXPECT_FALSE(RunLoop::current()->runUntil([&] { return ran; }, 0.05));
  EXPECT_FALSE(ran);
  // The main loop outlives the test: the task, which refers to this frame, must not stay
  // queued for a later test's clock to run.
  EXPECT_TRUE(RunLoop::current()->cancel(token));

  auto worker = Thread::start("other");
  EXPECT_THROW(worker->runLoop()->run(), std::logic_error);
  EXPECT_THROW(worker->runLoop()->runUntil([] { return true; }, 0), std::logic_error);
}

TEST_F(RunLoopTest, DelayAimedAtAClockReadingIsDueWhenTheClockGetsThere) {
  auto clock = FakeClock::install();
  // A timer aims at an absolute time and posts the difference to "now": in seconds that
  // difference is a few ulps off (here 0.3000000000001819 instead of 0.3).
  const double now = 3000.123457;
  const double delay = (now + 0.3) - now;
  ASSERT_NE(0.3, delay);
  bool ran = false;
  RunLoop::current()->postDelayed(delay, [&] { ran = true; });
  clock->advance(0.3);
  drain();
  EXPECT_TRUE(ran);
}

TEST_F(RunLoopTest, SwitchingClocksKeepsRemainingDelay) {
  auto first = FakeClock::install();
  first->advance(10000);  // far ahead of the real monotonic scale
  bool ran = false;
  RunLoop::current()->postDelayed(60, [&] { ran = true; });
  auto second = FakeClock::install();  // starts at the real monotonic time again
  second->advance(59);
  drain();
  EXPECT_FALSE(ran);
  second->advance(1);
  EXPECT_TRUE(turnUntil([&] { return ran; }));
}

struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() {
    EXPECT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
  }
  ~Pipe() {
    close(fds[0]);
    close(fds[1]);
  }
  int readEnd() const { return fds[0]; }
  int writeEnd() const { return fds[1]; }
};

TEST_F(RunLoopTest, WatchesDescriptorsAndUnwatchesFromCallbacks) {
  auto loop = RunLoop::current();
  Pipe p;
  std::string received;
  RunLoop::WatchId id = loop->watchFd(p.readEnd(), true, false, [&](int fd, bool r, bool) {
    char buf[64];
    ssize_t n;
    while (r && (n = read(fd, buf, sizeof buf)) > 0) received.append(buf, size_t(n));
  });
  ASSERT_NE(id, 0u);
  std::thread([&] { ASSERT_EQ(write(p.writeEnd(), "hello", 5), 5); }).join();
  ASSERT_TRUE(turnUntil([&] { return received == "hello"; }));

  // Switch the same watch to writability: an empty pipe is writable at once.
  bool writable = false;
  ASSERT_TRUE(loop->unwatchFd(id));
  RunLoop::WatchId wid = loop->watchFd(p.writeEnd(), false, false, [&](int, bool, bool w) {
    writable = w;
  });
  drain();
  EXPECT_FALSE(writable) << "a watch with no interest must not fire";
  ASSERT_TRUE(loop->updateFd(wid, false, true));
  ASSERT_TRUE(turnUntil([&] { return writable; }));
  EXPECT_TRUE(loop->unwatchFd(wid));
  EXPECT_FALSE(loop->unwatchFd(wid));
  EXPECT_FALSE(loop->updateFd(wid, true, true));

  // Two ready pipes: the first callback removes itself and the second watch; the second is
  // not called even though its readiness was reported in the same turn.
  Pipe a, b;
  int aCalls = 0, bCalls = 0;
  RunLoop::WatchId ida = 0, idb = 0;
  ida = loop->watchFd(a.readEnd(), true, false, [&](int, bool, bool) {
    ++aCalls;
    loop->unwatchFd(ida);
    loop->unwatchFd(idb);
  });
  idb = loop->watchFd(b.readEnd(), true, false, [&](int, bool, bool) { ++bCalls; });
  ASSERT_EQ(write(a.writeEnd(), "x", 1), 1);
  ASSERT_EQ(write(b.writeEnd(), "y", 1), 1);
  ASSERT_TRUE(turnUntil([&] { return aCalls == 1; }));
  drain();  // data is still unread: a live watch would fire again before the marker
  EXPECT_EQ(aCalls, 1);
  EXPECT_EQ(bCalls, 0);
}

// A descriptor callback that turns the loop again, with a watch set of its own, leaves the outer
// turn's view of what was ready intact: the outer turn still delivers the readiness it saw to
// its other watch, with that watch's descriptor (here after the data was read meanwhile, so a
// later turn would not see it again).
TEST_F(RunLoopTest, NestedTurnInsideCallbackKeepsOuterTurnsReadiness) {
  auto loop = RunLoop::current();
  Pipe a, b, c;
  std::vector<std::string> calls;
  RunLoop::WatchId ida = 0, idb = 0, idc = 0;
  auto drainPipe = [](int fd) {
    char buf[16];
    while (read(fd, buf, sizeof buf) > 0) {
    }
  };
  ida = loop->watchFd(a.readEnd(), true, false, [&](int fd, bool, bool) {
    drainPipe(fd);
    calls.push_back("a");
    loop->unwatchFd(ida);
    // The inner turns watch b alone.
    loop->updateFd(idc, false, false);
    bool innerDone = false;
    idb = loop->watchFd(b.readEnd(), true, false, [&](int bfd, bool, bool) {
      drainPipe(bfd);
      calls.push_back("b");
      innerDone = true;
    });
    ASSERT_EQ(write(b.writeEnd(), "b", 1), 1);
    ASSERT_TRUE(loop->runUntil([&] { return innerDone; }, kTimeout));
    loop->unwatchFd(idb);
    loop->updateFd(idc, true, false);
    drainPipe(c.readEnd());
  });
  idc = loop->watchFd(c.readEnd(), true, false, [&](int fd, bool, bool) {
    calls.push_back(fd == c.readEnd() ? "c" : "c on a wrong descriptor");
    drainPipe(fd);
  });
  ASSERT_EQ(write(a.writeEnd(), "a", 1), 1);
  ASSERT_EQ(write(c.writeEnd(), "c", 1), 1);
  turnUntil([&] { return calls.size() >= 3; });
  loop->unwatchFd(idc);
  EXPECT_THAT(calls, ElementsAre("a", "b", "c"));
}

TEST_F(RunLoopTest, WakeUpAndWatchFromAnotherThreadReachBlockedLoop) {
  auto worker = Thread::start("net");
  auto loop = worker->runLoop();
  Pipe p;
  std::promise<void> readable;
  std::atomic<bool> once{false};
  // Added while the worker is blocked in poll: the loop must pick up the new watch.
  RunLoop::WatchId id = loop->watchFd(p.readEnd(), true, false, [&](int, bool r, bool) {
    if (r && !once.exchange(true)) readable.set_value();
  });
  ASSERT_EQ(write(p.writeEnd(), "z", 1), 1);
  auto f = readable.get_future();
  EXPECT_EQ(f.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  loop->unwatchFd(id);
  ASSERT_TRUE(loop->postAndWait([] {}));
  worker->stopAndJoin();
}

TEST_F(RunLoopTest, DestroyingLoopDropsPendingTasks) {
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  {
    std::shared_ptr<RunLoop> loop;
    std::thread([&] { loop = RunLoop::current(); }).join();
    loop->postDelayed(1, [token] { ++*token; });  // refused: the loop stopped with its thread
    auto worker = Thread::start("short");
    worker->runLoop()->postDelayed(3600, [token] { ++*token; });
    token.reset();
    worker->stopAndJoin();
  }
  EXPECT_TRUE(watch.expired()) << "a dropped task's captures must be released";
}

}  // namespace
}  // namespace zu
