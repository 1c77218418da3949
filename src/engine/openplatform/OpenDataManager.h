// OpenDataManager: the accounts one reader has bound on the open platforms, one row per
// platform in "sharePlatform.db" under Library/SharePlatformData/<user name>/ (table
// "share_platform": token, token secret, display name, avatar and profile addresses, a share
// counter and the share switch). The clients read it when they are created, write it when a
// bind completes and delete from it on unbind; the share screen reads and writes the switch
// through the clients.
//
// One store per reader: instance() hands out the registered store of that reader's file,
// opening and registering it on first use (a store that fails to open is not registered, so
// the next call tries again); stores stay open for the life of the process. Every value is
// bound. Each statement runs under the store's own lock, so a store may be used from any
// thread, though in practice the callers are on the main thread. Failures are logged with the
// class name and answered as listed (false, nullopt, 0; the share switch reads true).
//
// The file and its two folders are owner-only (0600 in 0700 folders): it holds the tokens.
//
// Durability: the bound accounts are the reader's own; the file keeps SQLite's rollback journal
// with "synchronous" FULL, so a bind is on the disk when it returns.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/openplatform/PlatformAccountInfo.h"
#include "platform/sqlite/Database.h"

namespace zu {

// Posted by the clients on the default center with the platform number (an int Value) as
// object: an access token has arrived / an account was unbound and its row deleted.
inline constexpr char kNotificationOptBindOk[] = "Notification_Opt_BindOk";
inline constexpr char kNotificationOptUnbindOk[] = "Notification_Opt_UnbindOk";

class OpenDataManager {
 public:
  static constexpr const char* kFolderName = "SharePlatformData";
  static constexpr const char* kFileName = "sharePlatform.db";
  static constexpr const char* kTableName = "share_platform";

  // The store of that reader; null for no name or when the database cannot be opened.
  static std::shared_ptr<OpenDataManager> instance(const std::optional<std::string>& user);
  // The database path of a reader in the current home (the folders are created).
  static std::string DBFilePath(const std::string& user);

  ~OpenDataManager();
  OpenDataManager(const OpenDataManager&) = delete;
  OpenDataManager& operator=(const OpenDataManager&) = delete;

  const std::string& user() const { return user_; }

  // Writes (replacing) the platform's row from the record; share counter and switch become
  // NULL. False when the table refuses it (no token or no secret) or the write fails.
  bool updateAccountInfo(int platform, const PlatformAccountInfo& info);
  void updateShareEnable(int platform, bool enable);
  bool updateShareTimes(int platform, int times);

  // The stored record, or nullopt when the platform has no row.
  std::optional<PlatformAccountInfo> getAccountInfo(int platform);
  // False only when the platform has a row whose switch is 0 or NULL.
  bool getShareEnable(int platform);
  int getShareTimes(int platform);
  std::vector<PlatformAccountInfo> accountsInfo();
  bool isExisted(int platform);

  void deletePlatform(int platform);
  void clear();

 private:
  explicit OpenDataManager(std::string user);
  bool create();

  std::string user_;
  std::mutex lock_;
  Database db_;
};

}  // namespace zu
