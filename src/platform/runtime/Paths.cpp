#include "platform/runtime/Paths.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <system_error>

namespace zu {

namespace {

std::mutex gMutex;
std::optional<std::filesystem::path> gTestHome;  // guarded by gMutex

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
}

void Paths::resetHomeForTesting() {
  std::lock_guard<std::mutex> lock(gMutex);
  gTestHome.reset();
}

}  // namespace zu
