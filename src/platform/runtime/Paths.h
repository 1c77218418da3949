// Paths: the folders of the application home.
//
//   <home>/Documents/  <home>/Library/  <home>/Library/Caches/  <home>/Library/Preferences/
//   <home>/tmp/
//
// The home is $ZU_HOME when set, else $XDG_DATA_HOME/zureader, else ~/.local/share/zureader.
// Every accessor returns an absolute std::filesystem::path and creates the folder (with its
// parents) when it is missing, so a first start with an empty home can open its log file and
// databases at once. A folder that cannot be created is still returned; opening a file in it then
// fails in the ordinary way.
//
// The home and its folders are owner-only (0700): they hold the log, the defaults (with the
// last login's password) and the bound accounts' tokens. A folder is made so, or tightened when
// an older version made it open to others, the first time it is asked for in a process.
//
// Tests give each case a fresh home with setHomeForTesting() and restore the environment's home
// with resetHomeForTesting(). All functions are thread-safe.
#pragma once

#include <filesystem>

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

  // Uses `home` as the application home until reset (the folder is created when missing).
  static void setHomeForTesting(const std::filesystem::path& home);
  // Goes back to the home named by the environment.
  static void resetHomeForTesting();
};

}  // namespace zu
