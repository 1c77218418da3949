#include "engine/openplatform/OpenDataManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <system_error>

#include "common/Log.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace {

// The statements keep the layout of the text the table was first created with.
constexpr const char* kCreate =
    "create table if not exists share_platform \t\t\t\t\t\t   (platform integer, \t\t\t\t\t\t   "
    "token text not null, \t\t\t\t\t\t   token_secret text not null, \t\t\t\t\t\t   nick_name "
    "text, \t\t\t\t\t\t   image_url text, \t\t\t\t\t\t   user_url text, \t\t\t\t\t\t   "
    "share_times integer, \t\t\t\t\t\t   share_enable integer, \t\t\t\t\t\t   PRIMARY "
    "KEY(platform));";
constexpr const char* kInsert =
    "insert or replace into share_platform \t\t\t\t\t\t   (platform, token, token_secret, "
    "nick_name, user_url, image_url) values \t\t\t\t\t\t   (?, ?, ?, ?, ?, ?);";
constexpr const char* kSetShareEnable =
    "update share_platform set share_enable = ? where platform = ?";
constexpr const char* kSetShareTimes =
    "update share_platform set share_times = ? where platform = ?";
constexpr const char* kSelectAccount =
    "select token, token_secret, nick_name, user_url, image_url \t\t\t\t\t\t  from "
    "share_platform where platform=?;";
constexpr const char* kSelectAll =
    "select token, token_secret, nick_name, user_url, image_url \t\t\t\t\t\t  from "
    "share_platform;";
constexpr const char* kSelectShareEnable = "select share_enable from share_platform where platform=?;";
constexpr const char* kSelectShareTimes = "select share_times from share_platform where platform=?;";
constexpr const char* kSelectRow = "select * from share_platform where platform=?;";
constexpr const char* kDelete = "delete from share_platform where platform=?;";
constexpr const char* kClear = "delete from share_platform;";

PlatformAccountInfo readAccount(const Statement& s) {
  PlatformAccountInfo info;
  info.accessToken = s.columnText(0);
  info.secret = s.columnText(1);
  info.nickName = s.columnText(2);
  info.userUrl = s.columnText(3);
  info.imageUrl = s.columnText(4);
  return info;
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<OpenDataManager>> stores;
};

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

std::string OpenDataManager::DBFilePath(const std::string& user) {
  // The user name is taken as a name inside the folder even when it begins with '/' (a path
  // joined with an absolute one would leave the application home altogether).
  const std::filesystem::path root = Paths::library() / kFolderName;
  const std::filesystem::path folder = root / std::filesystem::path(user).relative_path();
  // Owner-only, both levels (made so, or tightened when an older version left them open): the
  // file holds the bound accounts' tokens and secrets.
  for (const auto& level : {root, folder}) {
    if (auto handle = FolderHandle::openReal(level, 0700)) ::fchmod(handle->fd(), 0700);
  }
  return (folder / kFileName).string();
}

std::shared_ptr<OpenDataManager> OpenDataManager::instance(const std::optional<std::string>& user) {
  if (!user) return nullptr;
  // Keyed by the file, so a reader has one store per application home.
  std::string path = DBFilePath(*user);
  auto& r = registry();
  std::lock_guard<std::mutex> guard(r.mutex);
  auto it = r.stores.find(path);
  if (it != r.stores.end()) return it->second;
  std::shared_ptr<OpenDataManager> store(new OpenDataManager(*user));
  if (!store->create()) return nullptr;
  r.stores.emplace(path, store);
  return store;
}

OpenDataManager::OpenDataManager(std::string user) : user_(std::move(user)) {}

OpenDataManager::~OpenDataManager() = default;

bool OpenDataManager::create() {
  std::lock_guard<std::mutex> guard(lock_);
  const std::filesystem::path path = DBFilePath(user_);
  // Reached from the home without following a link. Anything but a regular file at the file's
  // name (a link, a named pipe, a folder) is set aside, so the store is made anew; the file is
  // made (or kept) owner-only before SQLite opens it, and SQLite gives its journal the same mode.
  // A file of more than one name is replaced by a copy of one first: the mode of the other
  // name's file (perhaps one outside the home) is never changed.
  const std::optional<FolderHandle> folder = FolderHandle::openReal(path.parent_path(), 0700);
  if (folder && folder->setAsideUnlessFile(kFileName)) {
    if (const int fd = folder->openForWriting(kFileName, O_RDWR | O_CREAT | O_NONBLOCK, 0600);
        fd >= 0) {
      ::fchmod(fd, 0600);
      ::close(fd);
    }
  }
  if (!folder || db_.openInFolder(*folder, kFileName) != SQLITE_OK) {
    VESKLogImpl("OpenDataManager: Creating SharePlatform database file failed: %s",
                db_.lastError().c_str());
    db_.close();
    return false;
  }
  if (db_.exec(kCreate) != SQLITE_OK) {
    VESKLogImpl("OpenDataManager: Failed to create table: %s", db_.lastError().c_str());
    return false;
  }
  return true;
}

bool OpenDataManager::updateAccountInfo(int platform, const PlatformAccountInfo& info) {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kInsert);
  s.bind(1, platform);
  s.bind(2, info.accessToken);
  s.bind(3, info.secret);
  s.bind(4, info.nickName);
  s.bind(5, info.userUrl);
  s.bind(6, info.imageUrl);
  if (!s.execute()) {
    VESKLogImpl("OpenDataManager: update failed: %s", db_.lastError().c_str());
    return false;
  }
  return true;
}

void OpenDataManager::updateShareEnable(int platform, bool enable) {
  std::lock_guard<std::mutex> guard(lock_);
  VESKLogImpl("OpenDataManager: Update sql: share_enable = %d where platform = %d",
              enable ? 1 : 0, platform);
  Statement s = db_.prepare(kSetShareEnable);
  s.bind(1, enable ? 1 : 0);
  s.bind(2, platform);
  if (!s.execute()) VESKLogImpl("OpenDataManager: update failed: %s", db_.lastError().c_str());
}

bool OpenDataManager::updateShareTimes(int platform, int times) {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kSetShareTimes);
  s.bind(1, times);
  s.bind(2, platform);
  if (!s.execute()) {
    VESKLogImpl("OpenDataManager: update failed: %s", db_.lastError().c_str());
    return false;
  }
  return true;
}

std::optional<PlatformAccountInfo> OpenDataManager::getAccountInfo(int platform) {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kSelectAccount);
  s.bind(1, platform);
  if (!s.next()) return std::nullopt;
  return readAccount(s);
}

bool OpenDataManager::getShareEnable(int platform) {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kSelectShareEnable);
  s.bind(1, platform);
  if (!s.next()) return true;
  return !s.columnIsNull(0) && s.columnInt64(0) != 0;
}

int OpenDataManager::getShareTimes(int platform) {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kSelectShareTimes);
  s.bind(1, platform);
  if (!s.next()) return 0;
  return s.columnInt(0);
}

std::vector<PlatformAccountInfo> OpenDataManager::accountsInfo() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<PlatformAccountInfo> out;
  Statement s = db_.prepare(kSelectAll);
  while (s.next()) out.push_back(readAccount(s));
  return out;
}

bool OpenDataManager::isExisted(int platform) {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kSelectRow);
  s.bind(1, platform);
  return s.next();
}

void OpenDataManager::deletePlatform(int platform) {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kDelete);
  s.bind(1, platform);
  if (!s.execute()) {
    VESKLogImpl("OpenDataManager: Failed to delete the row: %s", db_.lastError().c_str());
  }
}

void OpenDataManager::clear() {
  std::lock_guard<std::mutex> guard(lock_);
  Statement s = db_.prepare(kClear);
  if (!s.execute()) {
    VESKLogImpl("OpenDataManager: Failed to clear the table: %s", db_.lastError().c_str());
  }
}

}  // namespace zu
