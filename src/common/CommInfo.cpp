#include "common/CommInfo.h"

#include <filesystem>
#include <mutex>

#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"

namespace zu {

namespace {

std::mutex gUserMutex;
std::optional<std::string> gUsername;
std::optional<std::string> gPassword;

// "<home>/<base>/<name>/" (and "<home>/<base>/<name>/<sub>/" with a third part). The folders of
// it that exist are reached from the home without following a link (a link in a folder's place
// is set aside); missing ones are not made here: their users make them when needed.
std::string folder(const std::filesystem::path& base, std::string_view name,
                   std::optional<std::string_view> sub = std::nullopt) {
  std::filesystem::path relative = base / std::string(name);
  // An empty or odd user name is no folder of its own: the path is only named then.
  const bool plainSub = sub && FolderHandle::isEntryName(*sub);
  if (plainSub) relative /= std::string(*sub);
  std::string out = Paths::checkedPath(relative).string();
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  out += '/';
  if (sub && !plainSub) {
    out += *sub;
    out += '/';
  }
  return out;
}

}  // namespace

void CommInfo::globalInit() {}

void CommInfo::globalUninit() {
  std::lock_guard<std::mutex> lock(gUserMutex);
  gUsername.reset();
  gPassword.reset();
}

void CommInfo::setUsername(std::optional<std::string_view> username) {
  if (!username) return;
  std::lock_guard<std::mutex> lock(gUserMutex);
  gUsername = std::string(*username);
}

void CommInfo::setPassword(std::optional<std::string_view> password) {
  if (!password) return;
  std::lock_guard<std::mutex> lock(gUserMutex);
  gPassword = std::string(*password);
}

std::optional<std::string> CommInfo::getUsername() {
  std::lock_guard<std::mutex> lock(gUserMutex);
  return gUsername;
}

std::optional<std::string> CommInfo::getPassword() {
  std::lock_guard<std::mutex> lock(gUserMutex);
  return gPassword;
}

std::string CommInfo::getEntryCacheRootPath() { return folder("Documents", "userEntry"); }

std::string CommInfo::getEntryStatusCacheRootPath() {
  return folder("Documents", "userEntryStatus");
}

std::string CommInfo::getEntryStatusCacheRootPathWithUsername() {
  // With no user yet the name part is empty, as a nil name formats to nothing useful either.
  std::string user = getUsername().value_or("");
  return folder("Documents", "userEntryStatus", user);
}

std::string CommInfo::getProgramCoverDir() {
  return folder(std::filesystem::path("Library") / "Caches", "CoverImages");
}

std::string CommInfo::getCustomPortraitDir() { return folder("Library", "Portrait"); }

std::string CommInfo::getFontsDir() { return folder("Library", "Fonts"); }

std::string CommInfo::getBooksDir() { return folder("Library", "Books"); }

std::string CommInfo::getBuildForModel() { return "iPhone"; }

void CommInfo::setCustomKey(const std::string& key, const Value& value) {
  UserDefaults::standard().set(key, value);
}

Value CommInfo::getCustomKey(const std::string& key) {
  return UserDefaults::standard().objectForKey(key);
}

void CommInfo::setCustomIntKey(const std::string& key, int64_t value) {
  setCustomKey(key, Value(std::to_string(value)));
}

int64_t CommInfo::getCustomIntKey(const std::string& key) {
  return UserDefaults::standard().integerForKey(key);
}

}  // namespace zu
