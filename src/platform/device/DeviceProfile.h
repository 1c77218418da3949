// DeviceProfile: what kind of machine the client runs on, in the terms the service and the
// screens expect of a phone: a model name, the system's name and version, the screen size in
// points with its scale, the reader's preferred language, whether background work is
// supported, and a unique device identifier.
//
// On Linux the model and system come from uname ("Linux x86_64", "6.1.0-..."); ZU_DEVICE_MODEL
// overrides the model. The screen is the client's 320x480 window at scale 1. The language is
// the first entry of the user defaults' "AppleLanguages", else the one named by LANG
// ("zh_CN.UTF-8" gives "zh-CN"), else "en".
//
// The screen's scale is 1 unless the executable was asked for a double-density window
// (setScreenScale(2)), which makes the kit draw twice the pixels and pick "@2x" pictures.
//
// What the status bar shows: the battery from the kernel's power-supply folder (the first
// supply of type "Battery": "capacity" in percent, "status"); a machine without one is on mains
// power and shows a full battery, plugged in. The signal from the network probe: a reachable
// internet over a cellular interface shows five bars, another reachable one the wireless fan
// with three, none shows no service.
//
// The unique identifier stands in for the phone's hardware identifier, which Linux does not
// offer: 40 lower-case hex digits made at random on first use and kept in the file
// Library/DeviceIdentifier of the application home, so it stays the same across restarts.
//
// Class functions only, callable from any thread.
#pragma once

#include <filesystem>
#include <string>

namespace zu {

class DeviceProfile {
 public:
  DeviceProfile() = delete;

  static constexpr const char* kIdentifierFileName = "DeviceIdentifier";
  static constexpr double kScreenWidth = 320;
  static constexpr double kScreenHeight = 480;

  static std::string model();
  static std::string systemName();
  static std::string systemVersion();
  // Screen size in points and the points-to-pixels scale.
  static double screenWidth() { return kScreenWidth; }
  static double screenHeight() { return kScreenHeight; }
  static double screenScale();
  // 1 or 2; anything else is taken as 1. Set once at start, before anything is drawn.
  static void setScreenScale(double scale);
  static std::string preferredLanguage();
  static bool isMultitaskingSupported() { return true; }
  // The persisted identifier; made (and written) when the home has none yet. When the file
  // cannot be written the identifier made is still returned, and kept for the process.
  static std::string uniqueIdentifier();

  struct Battery {
    enum class State { Unknown, Unplugged, Charging, Full };
    float level = 1;  // 0…1
    State state = State::Full;
  };
  static constexpr const char* kPowerSupplyFolder = "/sys/class/power_supply";
  static Battery battery(const std::filesystem::path& powerSupplyFolder = kPowerSupplyFolder);

  struct Signal {
    enum class Kind { None, Wireless, Cellular };
    Kind kind = Kind::None;
    int bars = 0;  // cellular 0…5, wireless 0…3
  };
  static Signal signal();
};

}  // namespace zu
