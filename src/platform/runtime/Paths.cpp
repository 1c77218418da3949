#include "platform/runtime/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace zu {

namespace {

std::mutex gMutex;
std::optional<std::filesystem::path> gTestHome;  // guarded by gMutex
std::set<std::string> gTightened;                // guarded by gMutex: folders made owner-only

std::filesystem::path environmentHome() {
  const char* zu = std::getenv("ZU_HOME");
  if (zu && *zu) return std::filesystem::path(zu);
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return std::filesystem::path(xdg) / "zureader";
  const char* home = std::getenv("HOME");
  std::filesystem::path base = (home && *home) ? std::filesystem::path(home)
                                               : std::filesystem::temp_directory_path();
  return base / ".local" / "share" / "zureader";
}

std::filesystem::path absolutePath(const std::filesystem::path& p) {
  std::error_code ec;
  auto a = std::filesystem::absolute(p, ec);
  return ec ? p : a.lexically_normal();
}

// Makes `p` and the folders between it and `home` owner-only (0700), each once per process:
// the home holds the log, the defaults with the last login's password and the bound accounts'
// tokens. A folder made by an older version (0755) is tightened. Folders of someone else are
// left alone.
void makeOwnerOnly(const std::filesystem::path& home, const std::filesystem::path& p) {
  std::vector<std::filesystem::path> chain;
  for (std::filesystem::path at = p;; at = at.parent_path()) {
    chain.push_back(at);
    if (at == home || !at.has_relative_path() || at.parent_path() == at) break;
  }
  std::lock_guard<std::mutex> lock(gMutex);
  for (const auto& folder : chain) {
    if (!gTightened.insert(folder.string()).second) continue;
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
      continue;
    }
    if ((st.st_mode & 077) != 0) ::chmod(folder.c_str(), st.st_mode & 0700);
  }
}

// The folder `sub` of the home (the home itself when empty), created when missing.
std::filesystem::path folder(const std::filesystem::path& sub) {
  std::filesystem::path home;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    home = gTestHome ? *gTestHome : absolutePath(environmentHome());
  }
  std::filesystem::path p = sub.empty() ? home : home / sub;
  std::error_code ec;
  // create_directories is safe against a concurrent creator: an existing folder is no error.
  std::filesystem::create_directories(p, ec);
  makeOwnerOnly(home, p);
  return p;
}

}  // namespace

std::filesystem::path Paths::home() { return folder({}); }
std::filesystem::path Paths::documents() { return folder("Documents"); }
std::filesystem::path Paths::library() { return folder("Library"); }
std::filesystem::path Paths::caches() { return folder(std::filesystem::path("Library") / "Caches"); }
std::filesystem::path Paths::preferences() {
  return folder(std::filesystem::path("Library") / "Preferences");
}
std::filesystem::path Paths::tmp() { return folder("tmp"); }

void Paths::setHomeForTesting(const std::filesystem::path& home) {
  std::lock_guard<std::mutex> lock(gMutex);
  gTestHome = absolutePath(home);
  gTightened.clear();
}

void Paths::resetHomeForTesting() {
  std::lock_guard<std::mutex> lock(gMutex);
  gTestHome.reset();
  gTightened.clear();
}

}  // namespace zu
