#include "common/Reachability.h"

#include <gtest/gtest.h>

#include "common/DeviceInfo.h"
#include "platform/device/NetworkInterfaces.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "testing/SettableNetworkProbe.h"

namespace zu {
namespace {

using P = NetworkProbe;

class ReachabilityTest : public ::testing::Test {
 protected:
  void SetUp() override { NetworkProbe::setShared(probe_); }
  void TearDown() override {
    NetworkProbe::setShared(nullptr);
    DeviceInfo::setMacInterfaceName(std::nullopt);
  }
  std::shared_ptr<SettableNetworkProbe> probe_ = std::make_shared<SettableNetworkProbe>();
};

TEST_F(ReachabilityTest, FlagsGiveTheStatus) {
  EXPECT_EQ(Reachability::networkStatusForFlags(0), 0);
  EXPECT_EQ(Reachability::networkStatusForFlags(P::kReachable), 1);
  EXPECT_EQ(Reachability::networkStatusForFlags(P::kReachable | P::kIsCellular), 2);
  // A connection that must be made first counts only when it is made on its own.
  EXPECT_EQ(Reachability::networkStatusForFlags(P::kReachable | P::kConnectionRequired), 0);
  EXPECT_EQ(Reachability::networkStatusForFlags(P::kReachable | P::kConnectionRequired |
                                                P::kConnectionOnDemand),
            1);
  EXPECT_EQ(Reachability::networkStatusForFlags(P::kReachable | P::kConnectionRequired |
                                                P::kConnectionOnTraffic),
            1);
  EXPECT_EQ(Reachability::networkStatusForFlags(P::kReachable | P::kConnectionRequired |
                                                P::kConnectionOnDemand |
                                                P::kInterventionRequired),
            0);
  // Local Wi-Fi needs reachable and direct, whatever the cellular flag says.
  EXPECT_EQ(Reachability::localWiFiStatusForFlags(P::kReachable | P::kIsDirect | P::kIsCellular),
            1);
  EXPECT_EQ(Reachability::localWiFiStatusForFlags(P::kReachable), 0);
  EXPECT_EQ(Reachability::localWiFiStatusForFlags(P::kIsDirect), 0);
}

TEST_F(ReachabilityTest, ObjectsAskTheProbeForTheirTarget) {
  auto internet = Reachability::reachabilityForInternetConnection();
  auto wifi = Reachability::reachabilityForLocalWiFi();
  ASSERT_TRUE(internet && wifi);
  EXPECT_TRUE(wifi->isLocalWiFi());
  EXPECT_EQ(Reachability::reachabilityWithHostName(std::nullopt), nullptr);
  EXPECT_EQ(Reachability::reachabilityWithHostName(std::string()), nullptr);
  auto host = Reachability::reachabilityWithHostName(std::string("api.example.org"));
  ASSERT_TRUE(host);

  probe_->setFlags(P::kReachable | P::kIsCellular);
  probe_->setFlagsForAddress(0xa9fe0000, P::kReachable | P::kIsDirect);
  EXPECT_EQ(internet->currentReachabilityStatus(), 2);
  EXPECT_EQ(host->currentReachabilityStatus(), 2);
  EXPECT_EQ(wifi->currentReachabilityStatus(), 1);
  EXPECT_EQ(DeviceInfo::getNetworkStatus(), 2);
  EXPECT_TRUE(DeviceInfo::isNetworkAvailable());

  probe_->setFlags(P::kReachable | P::kConnectionRequired);
  EXPECT_TRUE(internet->connectionRequired());
  EXPECT_EQ(internet->currentReachabilityStatus(), 0);
  probe_->setFlags(std::nullopt);  // flags that cannot be read
  EXPECT_FALSE(internet->connectionRequired());
  EXPECT_EQ(internet->currentReachabilityStatus(), 0);
  EXPECT_FALSE(DeviceInfo::isNetworkAvailable());
}

TEST_F(ReachabilityTest, NotifierPostsEachChangeOnItsThread) {
  auto loop = RunLoop::current();
  auto internet = Reachability::reachabilityForInternetConnection();
  std::vector<int> statuses;
  std::vector<const Object*> senders;
  int owner = 0;
  NotificationCenter::defaultCenter().add(
      Reachability::kChangedNotification, &owner, [&](const Notification& n) {
        auto sender = n.object.asObject<Reachability>();
        senders.push_back(sender.get());
        statuses.push_back(sender ? sender->currentReachabilityStatus() : -1);
      });
  ASSERT_TRUE(internet->startNotifier());

  probe_->setFlags(SettableNetworkProbe::kOffline);
  ASSERT_TRUE(loop->runUntil([&] { return statuses.size() == 1; }, 10));
  probe_->setFlags(SettableNetworkProbe::kCellular);
  ASSERT_TRUE(loop->runUntil([&] { return statuses.size() == 2; }, 10));
  EXPECT_EQ(statuses, (std::vector<int>{0, 2}));
  EXPECT_EQ(senders, (std::vector<const Object*>{internet.get(), internet.get()}));

  // The same flags again are no change; after stopping nothing is posted.
  probe_->setFlags(SettableNetworkProbe::kCellular);
  internet->stopNotifier();
  probe_->setFlags(SettableNetworkProbe::kWifi);
  bool drained = false;
  loop->post([&] { drained = true; });
  loop->runUntil([&] { return drained; }, 10);
  EXPECT_EQ(statuses.size(), 2u);
  EXPECT_EQ(probe_->watchCount(), 0u);

  // Destroying a started object ends its watch.
  ASSERT_TRUE(internet->startNotifier());
  EXPECT_EQ(probe_->watchCount(), 1u);
  internet.reset();
  EXPECT_EQ(probe_->watchCount(), 0u);
  NotificationCenter::defaultCenter().remove(&owner);
}

TEST_F(ReachabilityTest, MacAddressAndDeviceIdOfTheConfiguredInterface) {
  DeviceInfo::setMacInterfaceName(std::string("zz-no-such0"));
  EXPECT_EQ(DeviceInfo::macAddress(), std::nullopt);
  EXPECT_EQ(DeviceInfo::macDeviceId(), std::nullopt);

  // The loopback device's address is all zeros; the id is the MD5 of the lower-cased text.
  std::optional<std::string> loopback;
  for (const auto& item : NetworkInterfaces::list()) {
    if (item.loopback) loopback = item.name;
  }
  ASSERT_TRUE(loopback);
  DeviceInfo::setMacInterfaceName(loopback);
  EXPECT_EQ(DeviceInfo::macAddress(), "00:00:00:00:00:00");
  EXPECT_EQ(DeviceInfo::macDeviceId(), "528c8e6cd4a3c6598999a0e9df15ad32");
}

}  // namespace
}  // namespace zu
