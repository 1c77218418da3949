#include "platform/device/DeviceProfile.h"

#include <sys/utsname.h>

#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>

#include "platform/runtime/FileUtil.h"
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

}  // namespace

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
  if (auto bytes = FileUtil::readFile(file)) {
    std::string text(bytes->begin(), bytes->end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (isIdentifier(text)) return text;
  }
  if (gUnsavedIdentifier && gUnsavedIdentifier->first == file) return gUnsavedIdentifier->second;
  std::string id = makeIdentifier();
  if (!FileUtil::writeFileAtomically(file, id + "\n")) gUnsavedIdentifier.emplace(file, id);
  return id;
}

}  // namespace zu
