#include "engine/core/DESettings.h"

#include <gtest/gtest.h>

#include "common/CommInfo.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/UserDefaults.h"
#include "store/EntryPersistenter.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

class DESettingsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    DESettings::setSubscriptionStore(nullptr);
    CommInfo::globalUninit();
  }

  static Value stored(const char* key) { return UserDefaults::standard().objectForKey(key); }

  TempHome home_;
};

TEST_F(DESettingsTest, FreshInstallDefaults) {
  EXPECT_TRUE(DESettings::isFirstRun());
  EXPECT_TRUE(DESettings::isFirstRead());
  EXPECT_TRUE(DESettings::needAlertLogin());
  EXPECT_FALSE(DESettings::allowWifiOnlyStatistic());
  EXPECT_FALSE(DESettings::allowPageSeqStatistic());
  EXPECT_FALSE(DESettings::allowOperationalStatistic());
  EXPECT_FALSE(DESettings::allowActionStatistic());
  EXPECT_FALSE(DESettings::allowContentStatistic());
  EXPECT_TRUE(DESettings::needDisplayUpgradeHelper());
  EXPECT_FALSE(DESettings::allowOfflineDownloadUnder3g());
  EXPECT_EQ(DESettings::getFondSize(), 0);
  EXPECT_EQ(DESettings::getDeviceId(), std::nullopt);
  EXPECT_EQ(DESettings::getNotifiedMessageTime(), 0);
  EXPECT_EQ(DESettings::getProgramCoverInfo(0), std::nullopt);
  const std::optional<std::string> running = Bundle::mainBundle()->info("CFBundleVersion");
  ASSERT_TRUE(running);
  EXPECT_EQ(DESettings::getNotifiedSoftVersion(), running);
  // Store settings without a registered store.
  EXPECT_EQ(DESettings::getSubSequenceUpdateTime(), 0);
  EXPECT_FALSE(DESettings::guestSubscribeColumnEverSync());
}

TEST_F(DESettingsTest, ValuesAreStoredAsTextAndSurviveReload) {
  DESettings::setFirstRun(false);
  DESettings::setNeedAlertLogin(false);
  DESettings::setContentSatistic(true);
  DESettings::setWifiOnlySatistic(false);
  DESettings::setFondSize(-18);
  DESettings::setRecommendAppTime(1234567890123);
  DESettings::setDeviceId(std::string("dev-'id'"));
  DESettings::setAllowOfflineDownloadUnder3g(true);
  DESettings::setProgramCoverInfo(Dictionary{{"url", Value("http://x/c.jpg")}}, 3);

  UserDefaults::resetStandardForTesting();  // read back from the file
  EXPECT_EQ(stored("EverRun"), Value("true"));
  EXPECT_EQ(stored("NeedAlertLogin"), Value("false"));
  EXPECT_EQ(stored("ContentStatistic"), Value("true"));
  EXPECT_EQ(stored("WifiOnlyStatistic"), Value("false"));
  EXPECT_EQ(stored("FondSize"), Value("-18"));
  EXPECT_EQ(stored("RecommendAppTime"), Value("1234567890123"));
  EXPECT_FALSE(DESettings::isFirstRun());
  EXPECT_TRUE(DESettings::isFirstRead());
  EXPECT_FALSE(DESettings::needAlertLogin());
  EXPECT_TRUE(DESettings::allowContentStatistic());
  EXPECT_FALSE(DESettings::allowWifiOnlyStatistic());
  EXPECT_EQ(DESettings::getFondSize(), -18);
  EXPECT_EQ(DESettings::getRecommendAppTime(), 1234567890123);
  EXPECT_EQ(DESettings::getDeviceId(), "dev-'id'");
  EXPECT_TRUE(DESettings::allowOfflineDownloadUnder3g());
  auto cover = DESettings::getProgramCoverInfo(3);
  ASSERT_TRUE(cover);
  EXPECT_EQ(*cover, (Dictionary{{"url", Value("http://x/c.jpg")}}));
  EXPECT_EQ(DESettings::getProgramCoverInfo(2), std::nullopt);

  // Only the exact texts count; integer flags keep their low byte.
  CommInfo::setCustomKey("ContentStatistic", Value("TRUE"));
  EXPECT_FALSE(DESettings::allowContentStatistic());
  CommInfo::setCustomKey("NeedAlertLogin", Value("no"));
  EXPECT_TRUE(DESettings::needAlertLogin());
  CommInfo::setCustomIntKey("AllowOfflineDownloadUnder3g", 256);
  EXPECT_FALSE(DESettings::allowOfflineDownloadUnder3g());
  DESettings::setDeviceId(std::nullopt);
  EXPECT_TRUE(stored("kProperty_DeviceID").isNull());
}

TEST_F(DESettingsTest, UpgradeHelperFollowsTheBundleVersion) {
  DESettings::setNeedDisplayUpgradeHelper(false);
  EXPECT_EQ(stored("DisplayedHelperVersion"), Value(*Bundle::mainBundle()->info("CFBundleVersion")));
  EXPECT_FALSE(DESettings::needDisplayUpgradeHelper());
  // Shown by an older version: the running one is higher.
  CommInfo::setCustomKey("DisplayedHelperVersion", Value("0.0.1"));
  EXPECT_TRUE(DESettings::needDisplayUpgradeHelper());
  CommInfo::setCustomKey("DisplayedHelperVersion", Value("999.0.0"));
  EXPECT_FALSE(DESettings::needDisplayUpgradeHelper());
  DESettings::setNeedDisplayUpgradeHelper(true);
  EXPECT_TRUE(stored("DisplayedHelperVersion").isNull());
  EXPECT_TRUE(DESettings::needDisplayUpgradeHelper());
}

TEST_F(DESettingsTest, ColumnOrderTimesBelongToTheCurrentUsersStore) {
  CommInfo::setUsername(std::string("alice"));
  {
    auto store = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(store);
    DESettings::setSubscriptionStore(store);
    EXPECT_EQ(DESettings::getSubSequenceLocalChangeTime(), 0);
    DESettings::setSubSequenceLocalChangeTime(1700000000123);
    DESettings::setSubSequenceUpdateTime(-7);
    DESettings::setGuestSubscribeColumnEverSync(true);
    EXPECT_EQ(store->getUserDefinedValue(std::string("SubSequenceLocalChangeTime")),
              "1700000000123");
    EXPECT_EQ(store->getUserDefinedValue(std::string("GuestSubscribeColumnEverSync")), "YES");

    CommInfo::setUsername(std::string("bob"));
    EXPECT_EQ(DESettings::getSubSequenceLocalChangeTime(), 0);
    // The guest's columns went up once for the whole device.
    EXPECT_EQ(store->getUserDefinedValue(std::string("GuestSubscribeColumnEverSync")), std::nullopt);
    EXPECT_TRUE(DESettings::guestSubscribeColumnEverSync());
    DESettings::setGuestSubscribeColumnEverSync(false);
    EXPECT_EQ(store->getUserDefinedValue(std::string("GuestSubscribeColumnEverSync")), "NO");
    EXPECT_FALSE(DESettings::guestSubscribeColumnEverSync());
    // A value an older version kept only for its user still counts for that user.
    CommInfo::setUsername(std::string("alice"));
    EXPECT_TRUE(DESettings::guestSubscribeColumnEverSync());
  }
  // The registration does not keep the store alive.
  EXPECT_EQ(DESettings::getSubSequenceUpdateTime(), 0);

  // A new store object (a restart) reads the same values.
  CommInfo::setUsername(std::string("alice"));
  auto store = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
  DESettings::setSubscriptionStore(store);
  EXPECT_EQ(DESettings::getSubSequenceLocalChangeTime(), 1700000000123);
  EXPECT_EQ(DESettings::getSubSequenceUpdateTime(), -7);
  EXPECT_TRUE(DESettings::guestSubscribeColumnEverSync());
}

}  // namespace
}  // namespace zu
