#include "platform/runtime/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/runtime/FolderHandle.h"

namespace zu {

namespace fs = std::filesystem;

namespace {

// The home as named (absolute) and as resolved: the folder it names, with no link in its path.
struct Home {
  fs::path named;
  fs::path real;
};

std::mutex gMutex;
std::optional<fs::path> gTestHome;  // guarded by gMutex
std::optional<Home> gHome;          // guarded by gMutex: the last home resolved

fs::path environmentHome() {
  const char* zu = std::getenv("ZU_HOME");
  if (zu && *zu) return fs::path(zu);
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return fs::path(xdg) / "zureader";
  const char* home = std::getenv("HOME");
  fs::path base = (home && *home) ? fs::path(home) : fs::temp_directory_path();
  return base / ".local" / "share" / "zureader";
}

fs::path absolutePath(const fs::path& p) {
  std::error_code ec;
  auto a = fs::absolute(p, ec);
  return ec ? p : a.lexically_normal();
}

// The current home, resolved once: its own path may be a link (or lie below one), which is
// followed here and nowhere below it. It is made when missing (`make`); a home not made yet
// is named as it is and resolved when it is.
Home currentHome(bool make = true) {
  fs::path named;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    named = gTestHome ? *gTestHome : absolutePath(environmentHome());
    if (gHome && gHome->named == named) return *gHome;
  }
  std::error_code ec;
  if (make) fs::create_directories(named, ec);
  fs::path real = fs::canonical(named, ec);
  if (ec) return Home{named, named};
  std::lock_guard<std::mutex> lock(gMutex);
  gHome = Home{named, real};
  return *gHome;
}

// `path` relative to `home` when it is absolute and lies below it.
std::optional<fs::path> below(const Home& home, const fs::path& path) {
  if (!path.is_absolute()) return std::nullopt;
  const fs::path p = path.lexically_normal();
  for (const fs::path* base : {&home.real, &home.named}) {
    const fs::path relative = p.lexically_relative(*base);
    if (relative.empty() || *relative.begin() == "..") continue;
    return relative == "." ? fs::path() : relative;
  }
  return std::nullopt;
}

// The home's fixed folders, relative to it, which are owner-only.
bool isFixedFolder(const fs::path& relative) {
  static const fs::path kFixed[] = {"",
                                    "Documents",
                                    "Library",
                                    fs::path("Library") / "Caches",
                                    fs::path("Library") / "Preferences",
                                    "tmp"};
  for (const fs::path& fixed : kFixed) {
    if (relative == fixed) return true;
  }
  return false;
}

// Makes a fixed folder of ours owner-only (one made open to others by an older version is
// tightened); someone else's is left alone.
void makeOwnerOnly(const FolderHandle& folder) {
  struct stat st;
  if (::fstat(folder.fd(), &st) != 0 || st.st_uid != ::geteuid()) return;
  if ((st.st_mode & 077) != 0) ::fchmod(folder.fd(), st.st_mode & 0700);
}

}  // namespace

std::optional<FolderHandle> Paths::walk(const fs::path& path, mode_t mode, bool make,
                                        fs::path* realHome) {
  const Home home = currentHome();
  if (realHome) *realHome = home.real;
  std::optional<fs::path> relative = path.is_absolute() ? below(home, path) : path;
  if (!relative) return std::nullopt;
  int fd = ::open(home.real.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {  // removed since it was resolved: made again
    std::error_code ec;
    fs::create_directories(home.real, ec);
    fd = ::open(home.real.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  }
  if (fd < 0) return std::nullopt;
  std::optional<FolderHandle> at = FolderHandle(fd, home.real);
  makeOwnerOnly(*at);
  fs::path reached;
  for (const auto& part : *relative) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    reached /= name;
    const bool fixed = isFixedFolder(reached);
    at = at->openRealSubfolder(name, fixed ? 0700 : mode, make);
    if (!at) return std::nullopt;
    if (fixed) makeOwnerOnly(*at);
  }
  return at;
}

std::optional<FolderHandle> Paths::openFolder(const fs::path& path, mode_t mode) {
  return walk(path, mode, true);
}

std::optional<fs::path> Paths::folder(const fs::path& path) {
  std::optional<FolderHandle> at = openFolder(path);
  if (!at) return std::nullopt;
  return at->path();
}

fs::path Paths::checkedPath(const fs::path& path) {
  fs::path home;
  walk(path, 0700, false, &home);
  if (path.is_absolute()) return path;
  return home / path;
}

std::optional<fs::path> Paths::relativeToHome(const fs::path& path) {
  if (!path.is_absolute()) return std::nullopt;
  return below(currentHome(false), path);
}

// The fixed folders: a folder that cannot be had is still named (opening a file in it fails).
static fs::path fixedFolder(const fs::path& relative) {
  if (std::optional<fs::path> made = Paths::folder(relative)) return *made;
  return currentHome().real / relative;
}

fs::path Paths::home() { return fixedFolder({}); }
fs::path Paths::documents() { return fixedFolder("Documents"); }
fs::path Paths::library() { return fixedFolder("Library"); }
fs::path Paths::caches() { return fixedFolder(fs::path("Library") / "Caches"); }
fs::path Paths::preferences() { return fixedFolder(fs::path("Library") / "Preferences"); }
fs::path Paths::tmp() { return fixedFolder("tmp"); }

void Paths::setHomeForTesting(const fs::path& home) {
  std::lock_guard<std::mutex> lock(gMutex);
  gTestHome = absolutePath(home);
}

void Paths::resetHomeForTesting() {
  std::lock_guard<std::mutex> lock(gMutex);
  gTestHome.reset();
}

}  // namespace zu
