#include "platform/device/DeviceProfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/device/NetworkInterfaces.h"
#include "platform/device/SystemNetworkProbe.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/UserDefaults.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

TEST(DeviceProfileTest, IdentifierIsKeptInTheHomeAndSurvivesRestarts) {
  std::string first;
  std::filesystem::path kept;
  {
    TempHome home;
    first = DeviceProfile::uniqueIdentifier();
    EXPECT_EQ(first.size(), 40u);
    EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos);
    // A later start reads the same file back.
    EXPECT_EQ(DeviceProfile::uniqueIdentifier(), first);
    kept = home.path() / "kept";
    std::filesystem::copy_file(Paths::library() / DeviceProfile::kIdentifierFileName, kept);
    auto copy = FileUtil::readFile(kept);
    ASSERT_TRUE(copy);

    // A damaged file is replaced by a fresh identifier, which is then kept.
    std::ofstream(Paths::library() / DeviceProfile::kIdentifierFileName) << "not an id";
    std::string fresh = DeviceProfile::uniqueIdentifier();
    EXPECT_NE(fresh, first);
    EXPECT_EQ(fresh.size(), 40u);
    EXPECT_EQ(DeviceProfile::uniqueIdentifier(), fresh);
  }
  TempHome other;
  EXPECT_NE(DeviceProfile::uniqueIdentifier(), first);  // another home is another device
}

TEST(DeviceProfileTest, LanguageFollowsTheDefaultsThenTheEnvironment) {
  TempHome home;
  const char* saved = std::getenv("LANG");
  std::string savedLang = saved ? saved : "";
  ::setenv("LANG", "zh_CN.UTF-8", 1);
  EXPECT_EQ(DeviceProfile::preferredLanguage(), "zh-CN");
  ::setenv("LANG", "C", 1);
  EXPECT_EQ(DeviceProfile::preferredLanguage(), "en");
  UserDefaults::standard().set("AppleLanguages", Array{Value("fr"), Value("en")});
  EXPECT_EQ(DeviceProfile::preferredLanguage(), "fr");
  if (saved) {
    ::setenv("LANG", savedLang.c_str(), 1);
  } else {
    ::unsetenv("LANG");
  }
  EXPECT_FALSE(DeviceProfile::model().empty());
  EXPECT_FALSE(DeviceProfile::systemVersion().empty());
}

TEST(DeviceProfileTest, SystemProbeReadsTheMachinesInterfaces) {
  bool sawLoopback = false;
  for (const auto& item : NetworkInterfaces::list()) {
    if (!item.loopback) continue;
    sawLoopback = true;
    EXPECT_TRUE(item.up);
    // The loopback device has a six-byte all-zero link-layer address.
    ASSERT_TRUE(item.hardwareAddress);
    EXPECT_EQ(*item.hardwareAddress, (NetworkInterfaces::HardwareAddress{0, 0, 0, 0, 0, 0}));
  }
  EXPECT_TRUE(sawLoopback);
  EXPECT_TRUE(NetworkInterfaces::isCellularName("wwan0"));
  EXPECT_FALSE(NetworkInterfaces::isCellularName("eth0"));

  SystemNetworkProbe probe;
  NetworkTarget loopback;
  loopback.address = 0x7f000001;
  EXPECT_EQ(probe.flags(loopback), NetworkProbe::kReachable | NetworkProbe::kIsDirect);
  NetworkTarget byName;
  byName.hostName = "localhost";
  EXPECT_EQ(probe.flags(byName), NetworkProbe::kReachable | NetworkProbe::kIsDirect);
  byName.hostName = "";
  EXPECT_EQ(probe.flags(byName), std::nullopt);
  // The internet is reachable exactly when a default route is up.
  NetworkTarget internet;
  auto flags = probe.flags(internet);
  ASSERT_TRUE(flags);
  EXPECT_EQ((*flags & NetworkProbe::kReachable) != 0,
            NetworkInterfaces::defaultRouteInterface().has_value());

  auto id = probe.watch(RunLoop::current(), [] {});
  EXPECT_NE(id, 0u);
  probe.unwatch(id);
  probe.unwatch(id);  // a second end is ignored
}

}  // namespace
}  // namespace zu
