#include "platform/device/DeviceProfile.h"

#include <sys/utsname.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>

#include "platform/device/NetworkProbe.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"

namespace zu {

namespace {

constexpr size_t kIdentifierLength = 40;

std::mutex gIdentifierLock;
// The identifier made when it could not be written, by home folder.
std::optional<std::pair<std::filesystem::path, std::string>> gUnsavedIdentifier;

bool isIdentifier(std::string_view text) {
  if (text.size() != kIdentifierLength) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string makeIdentifier() {
  std::random_device random;
  static const char kHex[] = "0123456789abcdef";
  std::string id;
  while (id.size() < kIdentifierLength) {
    unsigned value = random();
    for (int i = 0; i < 8 && id.size() < kIdentifierLength; ++i, value >>= 4) {
      id.push_back(kHex[value & 0xf]);
    }
  }
  return id;
}

std::atomic<double> gScreenScale{1.0};

// The first line of a small sysfs file, without its newline; empty when unreadable.
std::string firstLine(const std::filesystem::path& file) {
  auto bytes = FileUtil::readFile(file);
  if (!bytes) return {};
  std::string text(bytes->begin(), bytes->end());
  return text.substr(0, text.find('\n'));
}

}  // namespace

double DeviceProfile::screenScale() { return gScreenScale.load(); }

void DeviceProfile::setScreenScale(double scale) { gScreenScale.store(scale == 2 ? 2.0 : 1.0); }

DeviceProfile::Battery DeviceProfile::battery(const std::filesystem::path& folder) {
  std::error_code ec;
  std::vector<std::filesystem::path> supplies;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) supplies.push_back(entry.path());
  std::sort(supplies.begin(), supplies.end());
  for (const auto& supply : supplies) {
    if (firstLine(supply / "type") != "Battery") continue;
    Battery battery;
    const std::string capacity = firstLine(supply / "capacity");
    char* end = nullptr;
    const long percent = std::strtol(capacity.c_str(), &end, 10);
    battery.level = capacity.empty() || end == capacity.c_str() ? 1.f
                                                                 : static_cast<float>(std::clamp(percent, 0L, 100L)) / 100;
    const std::string status = firstLine(supply / "status");
    if (status == "Charging") {
      battery.state = Battery::State::Charging;
    } else if (status == "Full" || status == "Not charging") {
      battery.state = Battery::State::Full;
    } else if (status == "Discharging") {
      battery.state = Battery::State::Unplugged;
    } else {
      battery.state = Battery::State::Unknown;
    }
    return battery;
  }
  return Battery{};
}

DeviceProfile::Signal DeviceProfile::signal() {
  const auto flags = NetworkProbe::shared()->flags(NetworkTarget{});
  if (!flags || !(*flags & NetworkProbe::kReachable) || (*flags & NetworkProbe::kConnectionRequired)) {
    return Signal{};
  }
  if (*flags & NetworkProbe::kIsCellular) return Signal{Signal::Kind::Cellular, 5};
  return Signal{Signal::Kind::Wireless, 3};
}

std::string DeviceProfile::model() {
  if (const char* configured = std::getenv("ZU_DEVICE_MODEL"); configured && *configured) {
    return configured;
  }
  struct utsname names;
  if (uname(&names) != 0) return "Linux";
  return std::string(names.sysname) + " " + names.machine;
}

std::string DeviceProfile::systemName() {
  struct utsname names;
  return uname(&names) == 0 ? std::string(names.sysname) : std::string("Linux");
}

std::string DeviceProfile::systemVersion() {
  struct utsname names;
  return uname(&names) == 0 ? std::string(names.release) : std::string();
}

std::string DeviceProfile::preferredLanguage() {
  if (auto languages = UserDefaults::standard().arrayForKey("AppleLanguages")) {
    if (!languages->empty()) {
      if (auto first = languages->front().stringValue(); first && !first->empty()) return *first;
    }
  }
  const char* lang = std::getenv("LANG");
  if (lang && *lang && std::string_view(lang) != "C" && std::string_view(lang) != "POSIX") {
    std::string text(lang);
    text = text.substr(0, text.find_first_of(".@"));
    for (char& c : text) {
      if (c == '_') c = '-';
    }
    if (!text.empty()) return text;
  }
  return "en";
}

std::string DeviceProfile::uniqueIdentifier() {
  std::lock_guard guard(gIdentifierLock);
  const std::filesystem::path file = Paths::library() / kIdentifierFileName;
  // Read and written relative to the library folder: a link in the file's place is neither
  // read nor written through.
  const std::optional<FolderHandle> library = FolderHandle::openReal(file.parent_path(), 0700);
  if (auto bytes = library ? library->readFile(kIdentifierFileName) : std::nullopt) {
    std::string text(bytes->begin(), bytes->end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (isIdentifier(text)) return text;
  }
  if (gUnsavedIdentifier && gUnsavedIdentifier->first == file) return gUnsavedIdentifier->second;
  std::string id = makeIdentifier();
  const std::string line = id + "\n";
  if (!library || !library->writeFileAtomically(kIdentifierFileName, Bytes(line.begin(), line.end()))) {
    gUnsavedIdentifier.emplace(file, id);
  }
  return id;
}

}  // namespace zu
