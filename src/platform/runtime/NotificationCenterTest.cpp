#include "platform/runtime/NotificationCenter.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zu {
namespace {

using ::testing::ElementsAre;

TEST(NotificationCenterTest, DeliversToMatchingNamesInOrderAndRemovesByOwnerNameOrId) {
  NotificationCenter center;
  int ownerA = 0, ownerB = 0;
  std::vector<std::string> calls;
  center.add("Changed", &ownerA, [&](const Notification& n) {
    calls.push_back("A1:" + *n.object.asString() + ":" +
                    std::to_string(n.userInfo.get("count").intValue()));
  });
  center.add("Other", &ownerA, [&](const Notification&) { calls.push_back("A2"); });
  auto idB = center.add("Changed", &ownerB, [&](const Notification&) { calls.push_back("B"); });
  center.add("Changed", nullptr, [&](const Notification&) { calls.push_back("anon"); });

  center.post("Changed", "sender", Dictionary{{"count", 3}});
  EXPECT_THAT(calls, ElementsAre("A1:sender:3", "B", "anon"));

  calls.clear();
  EXPECT_EQ(center.remove(&ownerA, "Changed"), 1u);
  center.post("Changed", "s");
  center.post("Other");
  EXPECT_THAT(calls, ElementsAre("B", "anon", "A2"));

  calls.clear();
  EXPECT_TRUE(center.removeRegistration(idB));
  EXPECT_FALSE(center.removeRegistration(idB));
  EXPECT_EQ(center.remove(&ownerA), 1u);
  EXPECT_EQ(center.remove(nullptr), 0u) << "a null owner key must not match anonymous entries";
  center.post("Changed", "s");
  center.post("Other");
  EXPECT_THAT(calls, ElementsAre("anon"));
}

TEST(NotificationCenterTest, ChangesDuringDeliveryTakeEffectSafely) {
  NotificationCenter center;
  int owner = 0, late = 0;
  std::vector<std::string> calls;
  NotificationCenter::RegistrationId second = 0;
  center.add("N", &owner, [&](const Notification&) {
    calls.push_back("first");
    center.removeRegistration(second);  // registered after us: must not be called now
    center.add("N", &late, [&](const Notification&) { calls.push_back("added"); });
  });
  second = center.add("N", &owner, [&](const Notification&) { calls.push_back("second"); });
  center.add("N", &owner, [&](const Notification&) {
    calls.push_back("third");
    center.remove(&owner);  // removes itself and the others, including the one running
  });
  center.post("N");
  EXPECT_THAT(calls, ElementsAre("first", "third"));

  calls.clear();
  center.post("N");
  EXPECT_THAT(calls, ElementsAre("added"));
  EXPECT_EQ(center.observerCount("N"), 1u);

  // A handler may post again from inside a delivery.
  calls.clear();
  center.add("Outer", &owner, [&](const Notification&) { center.post("N"); });
  center.post("Outer");
  EXPECT_THAT(calls, ElementsAre("added"));
}

TEST(NotificationCenterTest, DeadOwnersAreSkippedAndDropped) {
  NotificationCenter center;
  auto owner = std::make_shared<std::string>("observer");
  int calls = 0;
  center.add("N", owner, [&](const Notification&) { ++calls; });
  center.post("N");
  EXPECT_EQ(calls, 1);

  // The owner dies without removing itself.
  owner.reset();
  EXPECT_EQ(center.observerCount("N"), 0u);
  center.post("N");
  EXPECT_EQ(calls, 1);

  // A handler that kills the next owner during delivery: that owner is not called.
  auto victim = std::make_shared<int>(0);
  int victimCalls = 0;
  center.add("M", nullptr, [&](const Notification&) { victim.reset(); });
  center.add("M", victim, [&](const Notification&) { ++victimCalls; });
  center.post("M");
  EXPECT_EQ(victimCalls, 0);
}

TEST(NotificationCenterTest, PostsFromManyThreadsWhileObserversComeAndGo) {
  NotificationCenter center;
  std::atomic<int> delivered{0};
  int stable = 0;
  center.add("N", &stable, [&](const Notification& n) {
    EXPECT_EQ(n.name, "N");
    ++delivered;
  });
  constexpr int kThreads = 4, kPosts = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kPosts; ++i) center.post("N");
    });
  }
  threads.emplace_back([&] {
    for (int i = 0; i < kPosts; ++i) {
      int churn = 0;
      center.add("N", &churn, [](const Notification&) {});
      center.remove(&churn);
    }
  });
  for (auto& t : threads) t.join();
  EXPECT_EQ(delivered, kThreads * kPosts);
  EXPECT_EQ(center.observerCount("N"), 1u);
}

}  // namespace
}  // namespace zu
