// Paths: the folders of the application home.
//
//   <home>/Documents/  <home>/Library/  <home>/Library/Caches/  <home>/Library/Preferences/
//   <home>/tmp/
//
// The home is $ZU_HOME when set, else $XDG_DATA_HOME/zureader, else ~/.local/share/zureader.
// The home's own path may be a link: it is made when missing and resolved once (per home), and
// every path handed out is below the resolved folder. What lies below the home is never reached
// through a link: every folder of it is opened from the home's own folder, held open, without
// following one (a single openat2 with RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH when every folder
// on the way is real, else one folder at a time with O_NOFOLLOW), and a link — or a named pipe,
// socket or device — where a folder belongs is set aside (renamed beside it to
// "<name>.aside-XXXXXX", never followed, opened or deleted; see FolderHandle) and a real folder
// made instead. A plain file where a folder belongs is the reader's and stays; the folder cannot
// be had then — except at Library, Library/Caches and Library/Preferences: without them the
// client keeps no preference, log or cache, so the file is set aside as a link is (when the
// folder is to be made) and the folder made. So nothing outside the home is read, written,
// chmodded or deleted through a link planted in it. A FolderHandle works relative to the
// folder it holds; a path handed out is checked when it is handed out, and work done by that
// path later (SQLite's) trusts the folders to stay as they were then.
//
// Every accessor returns an absolute std::filesystem::path and creates the folder (with its
// parents) when it is missing, so a first start with an empty home can open its log file and
// databases at once. A folder that cannot be had is still returned by the fixed accessors
// (documents() …); opening a file in it then fails in the ordinary way. folder() says so.
//
// The home and its fixed folders are owner-only (0700): they hold the log, the defaults (with
// the last login's password) and the bound accounts' tokens. A fixed folder is made so, or
// tightened when an older version made it open to others, the first time it is reached in a
// process. The home's folder is held open from its resolution on (a home removed meanwhile, as
// a test's is, is resolved again).
//
// Tests give each case a fresh home with setHomeForTesting() and restore the environment's home
// with resetHomeForTesting(). All functions are thread-safe.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "platform/runtime/FolderHandle.h"

namespace zu {

class Paths {
 public:
  Paths() = delete;

  static std::filesystem::path home();
  static std::filesystem::path documents();
  static std::filesystem::path library();
  static std::filesystem::path caches();
  static std::filesystem::path preferences();
  static std::filesystem::path tmp();

  // The folder `path` of the home — relative to it ("Library/WebKit"), or absolute below it —,
  // made sure of as the header says: reached without following a link, each missing folder
  // made (owner-only), a link in a folder's place set aside and a real folder made. Its real
  // path, below the home; nullopt when it cannot be had (a plain file on the way, a path that
  // leaves the home).
  static std::optional<std::filesystem::path> folder(const std::filesystem::path& path);
  // The same folder held open, missing folders made with `mode` (the fixed folders: 0700).
  static std::optional<FolderHandle> openFolder(const std::filesystem::path& path,
                                                mode_t mode = 0700);
  // The folder `path` of the home as it is, reached from the home without following a link and
  // changing nothing; nullopt when it or a folder on the way is missing, a link or no folder.
  static std::optional<FolderHandle> openExistingFolder(const std::filesystem::path& path);
  // The folder path `path` (relative to the home or absolute) with every folder of it below the
  // home that exists made sure of as folder() does (a link in a folder's place set aside);
  // missing folders are not made. A path outside the home is returned as it is.
  static std::filesystem::path checkedPath(const std::filesystem::path& path);
  // `path` relative to the home when it is absolute and lies below it (the home itself: an
  // empty path); nullopt otherwise.
  static std::optional<std::filesystem::path> relativeToHome(const std::filesystem::path& path);

  // Uses `home` as the application home until reset (the folder is created when missing).
  static void setHomeForTesting(const std::filesystem::path& home);
  // Goes back to the home named by the environment.
  static void resetHomeForTesting();

 private:
  // How a walk treats what it finds: makes missing folders and sets aside what is no folder
  // (kMake), only sets aside (kCheck: a missing folder ends the walk), or changes nothing
  // (kExisting: anything but a real folder ends it).
  enum class Walk { kMake, kCheck, kExisting };
  // Walks from the home's folder down to `path`, as the header says; nullopt when the walk
  // ends before it. `realHome` gets the resolved home.
  static std::optional<FolderHandle> walk(const std::filesystem::path& path, mode_t mode,
                                          Walk how, std::filesystem::path* realHome = nullptr);
  static std::optional<FolderHandle> walkFrom(const FolderHandle& home,
                                              const std::filesystem::path& relative, mode_t mode,
                                              Walk how);
};

}  // namespace zu
