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
#include "testing/SettableNetworkProbe.h"
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

// The battery is the first supply of type "Battery" (an adapter listed before it is passed
// over); a machine with none, or a battery whose files say nothing usable, shows full power.
TEST(DeviceProfileTest, BatteryFromThePowerSupplyFolder) {
  TempHome home;
  const auto folder = home.path() / "power_supply";
  auto supply = [&](const std::string& name, const std::string& type, const std::string& capacity,
                    const std::string& status) {
    std::filesystem::create_directories(folder / name);
    std::ofstream(folder / name / "type") << type << "\n";
    if (!capacity.empty()) std::ofstream(folder / name / "capacity") << capacity << "\n";
    if (!status.empty()) std::ofstream(folder / name / "status") << status << "\n";
  };
  auto none = DeviceProfile::battery(folder);
  EXPECT_EQ(1.f, none.level);
  EXPECT_EQ(DeviceProfile::Battery::State::Full, none.state);

  supply("AC", "Mains", "", "");
  supply("BAT0", "Battery", "37", "Discharging");
  auto low = DeviceProfile::battery(folder);
  EXPECT_FLOAT_EQ(0.37f, low.level);
  EXPECT_EQ(DeviceProfile::Battery::State::Unplugged, low.state);

  std::ofstream(folder / "BAT0" / "capacity") << "140\n";
  std::ofstream(folder / "BAT0" / "status") << "Charging\n";
  auto charging = DeviceProfile::battery(folder);
  EXPECT_EQ(1.f, charging.level);
  EXPECT_EQ(DeviceProfile::Battery::State::Charging, charging.state);

  std::ofstream(folder / "BAT0" / "capacity") << "n/a\n";
  std::ofstream(folder / "BAT0" / "status") << "Weird\n";
  auto unknown = DeviceProfile::battery(folder);
  EXPECT_EQ(1.f, unknown.level);
  EXPECT_EQ(DeviceProfile::Battery::State::Unknown, unknown.state);
}

// The signal follows the network probe: cellular bars, the wireless fan, or no service.
TEST(DeviceProfileTest, SignalFollowsTheNetworkProbe) {
  auto probe = std::make_shared<SettableNetworkProbe>(SettableNetworkProbe::kCellular);
  NetworkProbe::setShared(probe);
  EXPECT_EQ(DeviceProfile::Signal::Kind::Cellular, DeviceProfile::signal().kind);
  EXPECT_EQ(5, DeviceProfile::signal().bars);
  probe->setFlags(SettableNetworkProbe::kWifi);
  EXPECT_EQ(DeviceProfile::Signal::Kind::Wireless, DeviceProfile::signal().kind);
  EXPECT_EQ(3, DeviceProfile::signal().bars);
  probe->setFlags(SettableNetworkProbe::kOffline);
  EXPECT_EQ(DeviceProfile::Signal::Kind::None, DeviceProfile::signal().kind);
  probe->setFlags(std::nullopt);
  EXPECT_EQ(0, DeviceProfile::signal().bars);
  NetworkProbe::setShared(nullptr);
}

}  // namespace
}  // namespace zu
