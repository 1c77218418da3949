#include "platform/runtime/Thread.h"

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace zu {
namespace {

TEST(ThreadTest, NamesLiveInOurRegistryPerThread) {
  EXPECT_EQ(Thread::currentName(), std::nullopt) << "the main thread has no name unless set";
  Thread::setCurrentName(std::string());
  EXPECT_EQ(Thread::currentName(), std::optional<std::string>(""));
  Thread::setCurrentName(std::nullopt);
  EXPECT_EQ(Thread::currentName(), std::nullopt);

  // Longer than the kernel's 15 bytes: the registry keeps the whole name.
  auto worker = Thread::start("a-rather-long-thread-name");
  std::optional<std::string> there;
  ASSERT_TRUE(worker->runLoop()->postAndWait([&] { there = Thread::currentName(); }));
  EXPECT_EQ(there, "a-rather-long-thread-name");
  EXPECT_EQ(worker->name(), "a-rather-long-thread-name");
  EXPECT_EQ(Thread::currentName(), std::nullopt) << "naming a thread must not name another";

  std::optional<std::string> plain = "unset";
  std::thread([&] { plain = Thread::currentName(); }).join();
  EXPECT_EQ(plain, std::nullopt);
}

TEST(ThreadTest, BodyRunsWithItsLoopAndStopAndJoinEndsIt) {
  std::atomic<bool> bodyReturned{false};
  std::shared_ptr<RunLoop> seenInBody;
  auto thread = Thread::start("task", [&] {
    seenInBody = RunLoop::current();
    RunLoop::current()->run();
    bodyReturned = true;
  });
  ASSERT_TRUE(thread->runLoop());
  bool onThread = false;
  ASSERT_TRUE(thread->runLoop()->postAndWait([&] { onThread = thread->isCurrent(); }));
  EXPECT_TRUE(onThread);
  EXPECT_FALSE(thread->isCurrent());
  EXPECT_EQ(seenInBody, thread->runLoop());
  EXPECT_NE(thread->runLoop(), RunLoop::current());
  thread->stopAndJoin();
  EXPECT_TRUE(bodyReturned);
  thread->stopAndJoin();  // idempotent
  EXPECT_FALSE(thread->runLoop()->postAndWait([] {}));
}

TEST(ThreadTest, DroppingLastReferenceOnItsOwnThreadDoesNotDeadlock) {
  auto thread = Thread::start("self");
  auto loop = thread->runLoop();
  // The last reference goes away inside a task on the thread itself.
  std::shared_ptr<Thread> held = std::move(thread);
  ASSERT_TRUE(loop->postAndWait([&held] { held.reset(); }));
  EXPECT_TRUE(loop->isStopped());
}

}  // namespace
}  // namespace zu
