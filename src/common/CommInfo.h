// CommInfo: the current user's name and password for every part of the engine that needs them
// without going through the facade, the folders where the engine keeps its files, and small
// persistent values ("custom keys") in the standard user defaults. Class functions only.
//
// Threads: the name and password are written on the main thread (at start-up and on a change
// of user, while no task runs) and read from any thread, notably the "task" thread; they are
// kept under a lock and handed out as copies. The folder and custom-key functions are
// thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/Value.h"

namespace zu {

class CommInfo {
 public:
  CommInfo() = delete;

  // Called first at engine start-up; nothing to prepare.
  static void globalInit();
  // Called last at engine shut-down: forgets the user name and password.
  static void globalUninit();

  // nullopt is ignored (the kept value stays).
  static void setUsername(std::optional<std::string_view> username);
  static void setPassword(std::optional<std::string_view> password);
  // The kept value, or nullopt before the first set and after globalUninit.
  static std::optional<std::string> getUsername();
  static std::optional<std::string> getPassword();

  // Full folder paths ending with "/". The folders are not created here; their users create
  // them when needed.
  static std::string getEntryCacheRootPath();                   // Documents/userEntry/
  static std::string getEntryStatusCacheRootPath();             // Documents/userEntryStatus/
  static std::string getEntryStatusCacheRootPathWithUsername(); // .../userEntryStatus/<user>/
  static std::string getProgramCoverDir();                      // Library/Caches/CoverImages/
  static std::string getCustomPortraitDir();                    // Library/Portrait/
  static std::string getFontsDir();                             // Library/Fonts/
  static std::string getBooksDir();                             // Library/Books/

  // The device model reported to the service.
  static std::string getBuildForModel();

  // Stores `value` under `key` in the standard user defaults and writes them at once; a null
  // Value removes the key.
  static void setCustomKey(const std::string& key, const Value& value);
  // The stored value, or a null Value.
  static Value getCustomKey(const std::string& key);
  // Stored as decimal text; read back as a 64-bit number (0 when missing or not a number).
  static void setCustomIntKey(const std::string& key, int64_t value);
  static int64_t getCustomIntKey(const std::string& key);
};

}  // namespace zu
