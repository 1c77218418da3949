#include "platform/runtime/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/runtime/FolderHandle.h"

namespace zu {

namespace fs = std::filesystem;

namespace {

// The home as named (absolute) and as resolved: the folder it names, with no link in its path,
// held open.
struct Home {
  fs::path named;
  fs::path real;
  std::shared_ptr<const FolderHandle> folder;  // null while the home cannot be had
};

std::mutex gMutex;
std::optional<fs::path> gTestHome;  // guarded by gMutex
std::optional<Home> gHome;          // guarded by gMutex: the last home resolved
std::set<std::string> gTightened;   // guarded by gMutex: fixed folders made owner-only

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

// Makes a fixed folder of ours owner-only (one made open to others by an older version is
// tightened), once per process; someone else's is left alone.
void makeOwnerOnly(const FolderHandle& folder) {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (!gTightened.insert(folder.path().string()).second) return;
  }
  struct stat st;
  if (::fstat(folder.fd(), &st) != 0 || st.st_uid != ::geteuid()) return;
  if ((st.st_mode & 077) != 0) ::fchmod(folder.fd(), st.st_mode & 0700);
}

// The home's fixed folders, relative to it, which are owner-only.
bool isFixedFolder(const fs::path& relative) {
  static const fs::path kFixed[] = {"Documents", "Library", fs::path("Library") / "Caches",
                                    fs::path("Library") / "Preferences", "tmp"};
  for (const fs::path& fixed : kFixed) {
    if (relative == fixed) return true;
  }
  return false;
}

// Whether every fixed folder on the way to `relative` (of the home at `real`) was made
// owner-only already in this process.
bool allTightened(const fs::path& real, const fs::path& relative) {
  fs::path reached;
  std::lock_guard<std::mutex> lock(gMutex);
  for (const auto& part : relative) {
    if (part.empty() || part == ".") continue;
    reached /= part;
    if (isFixedFolder(reached) && !gTightened.count((real / reached).string())) return false;
  }
  return true;
}

// The current home, resolved once: its own path may be a link (or lie below one), which is
// followed here and nowhere below it; the folder is then held open. It is made when missing
// (`make`); a home not made yet is named as it is (no folder) and resolved when it is.
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
  if (ec) return Home{named, named, nullptr};
  const int fd = ::open(real.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Home{named, real, nullptr};
  auto folder = std::make_shared<const FolderHandle>(FolderHandle::adopt(fd, real));
  makeOwnerOnly(*folder);
  std::lock_guard<std::mutex> lock(gMutex);
  gHome = Home{named, real, std::move(folder)};
  return *gHome;
}

// Forgets `home` when its folder was removed since it was resolved (a test's home), so the next
// walk resolves it again; true then.
bool forgetIfRemoved(const Home& home) {
  struct stat st;
  if (!home.folder || ::fstat(home.folder->fd(), &st) != 0 || st.st_nlink > 0) return false;
  std::lock_guard<std::mutex> lock(gMutex);
  if (gHome && gHome->folder == home.folder) gHome.reset();
  return true;
}

// The part of `path` after `base` when it is `base` or lies below it, compared as text; nullopt
// otherwise.
std::optional<std::string_view> textBelow(const std::string& path, const std::string& base) {
  if (path.compare(0, base.size(), base) != 0) return std::nullopt;
  if (path.size() == base.size()) return std::string_view();
  if (path[base.size()] != '/') return std::nullopt;
  return std::string_view(path).substr(base.size() + 1);
}

// `path` relative to `home` when it is absolute and lies below it.
std::optional<fs::path> below(const Home& home, const fs::path& path) {
  if (!path.is_absolute()) return std::nullopt;
  // The common case, a path made from the home's: compared as text.
  if (path.native().find("..") == std::string::npos) {
    for (const fs::path* base : {&home.real, &home.named}) {
      if (auto rest = textBelow(path.native(), base->native())) return fs::path(*rest);
    }
  }
  const fs::path p = path.lexically_normal();
  for (const fs::path* base : {&home.real, &home.named}) {
    const fs::path relative = p.lexically_relative(*base);
    if (relative.empty() || *relative.begin() == "..") continue;
    return relative == "." ? fs::path() : relative;
  }
  return std::nullopt;
}

}  // namespace

std::optional<FolderHandle> Paths::walk(const fs::path& path, mode_t mode, Walk how,
                                        fs::path* realHome) {
  for (int attempt = 0;; ++attempt) {
    const Home home = currentHome();
    if (realHome) *realHome = home.real;
    std::optional<fs::path> relative = path.is_absolute() ? below(home, path) : path;
    if (!relative) return std::nullopt;
    std::optional<FolderHandle> at = home.folder ? walkFrom(*home.folder, *relative, mode, how)
                                                 : std::nullopt;
    if (at || attempt > 0 || !forgetIfRemoved(home)) return at;
  }
}

std::optional<FolderHandle> Paths::walkFrom(const FolderHandle& home, const fs::path& relative,
                                            mode_t mode, Walk how) {
  // A folder already real all the way (the common case) is opened at once.
  if (how == Walk::kExisting || allTightened(home.path(), relative)) {
    std::optional<FolderHandle> existing = home.openExistingPath(relative);
    if (existing || how == Walk::kExisting) return existing;
  }
  std::optional<FolderHandle> at;
  fs::path reached;
  for (const auto& part : relative) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    reached /= name;
    const bool fixed = isFixedFolder(reached);
    const FolderHandle& parent = at ? *at : home;
    std::optional<FolderHandle> next = parent.openRealSubfolder(name, fixed ? 0700 : mode, how == Walk::kMake);
    // A plain file in the place of Library or one of its fixed folders: without them the client
    // keeps no preference (every launch would show the first-run guide), no log and no cache, so
    // the file is set aside as a link is.
    if (!next && fixed && *reached.begin() == "Library" && how == Walk::kMake && parent.isRegularFile(name) &&
        parent.setAside(name)) {
      next = parent.openRealSubfolder(name, 0700, true);
    }
    at = std::move(next);
    if (!at) return std::nullopt;
    if (fixed) makeOwnerOnly(*at);
  }
  if (!at) return home.openExistingPath({});  // the home itself
  return at;
}

std::optional<FolderHandle> Paths::openFolder(const fs::path& path, mode_t mode) {
  return walk(path, mode, Walk::kMake);
}

std::optional<FolderHandle> Paths::openExistingFolder(const fs::path& path) {
  return walk(path, 0, Walk::kExisting);
}

std::optional<fs::path> Paths::folder(const fs::path& path) {
  std::optional<FolderHandle> at = openFolder(path);
  if (!at) return std::nullopt;
  return at->path();
}

fs::path Paths::checkedPath(const fs::path& path) {
  fs::path home;
  walk(path, 0700, Walk::kCheck, &home);
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
  FolderHandle::discardPendingReports();  // of the home before
  std::lock_guard<std::mutex> lock(gMutex);
  gTestHome = absolutePath(home);
  gTightened.clear();
}

void Paths::resetHomeForTesting() {
  FolderHandle::discardPendingReports();
  std::lock_guard<std::mutex> lock(gMutex);
  gTestHome.reset();
  gTightened.clear();
}

}  // namespace zu
