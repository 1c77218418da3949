#include "platform/runtime/FolderHandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <mutex>
#include <random>
#include <system_error>
#include <utility>

#include "platform/runtime/Paths.h"

namespace zu {

namespace {

// How deep a removal goes into nested folders (each level holds a descriptor). The caches nest
// two levels; a deeper tree was not made by us and is left where it is too deep.
constexpr int kMaxRemovalDepth = 64;

std::string entry(std::string_view name) { return std::string(name); }

std::string randomSuffix() {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
  std::string out(6, 'X');
  for (char& c : out) c = kAlphabet[pick(generator)];
  return out;
}

// Lines about entries set aside, for the reporter; kept (a few) until one is set.
constexpr size_t kMaxPendingReports = 32;
std::mutex gReportLock;
std::function<void(const std::string&)> gReporter;  // guarded by gReportLock
std::deque<std::string> gPendingReports;            // guarded by gReportLock

std::string kindOf(const struct stat& st) {
  const mode_t mode = st.st_mode;
  if (S_ISLNK(mode)) return "a link";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (st.st_nlink > 1) return "a file of " + std::to_string(st.st_nlink) + " names";
  return "a file";
}

// Renames the entry `name` of `dirfd` to a fresh name beside it ("<name>.aside-XXXXXX"),
// never replacing anything; what it is or points at is not touched. `where` names the folder
// in the report. True when the entry is gone from `name`.
bool setAsideAt(int dirfd, const std::string& name, const struct stat& st,
                const std::filesystem::path& where) {
  // Short enough for any file system's name limit whatever the entry's own length.
  const std::string base = name.substr(0, 200) + ".aside-";
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string aside = base + randomSuffix();
    int rc = static_cast<int>(
        ::renameat2(dirfd, name.c_str(), dirfd, aside.c_str(), RENAME_NOREPLACE));
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // A file system without the flag: the fresh name is checked free first.
      struct stat st;
      if (::fstatat(dirfd, aside.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
      rc = ::renameat(dirfd, name.c_str(), dirfd, aside.c_str());
    }
    if (rc == 0) {
      FolderHandle::report("FolderHandle: " + (where / name).string() + " was " + kindOf(st) +
                           ", set aside as " + aside);
      return true;
    }
    if (errno == ENOENT) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

// The outcome of opening a folder that may be missing.
constexpr int kMissing = -2;

// Opens the folder `name` relative to `dirfd` (AT_FDCWD: a path) without following a link,
// making it when missing (`make`; kMissing otherwise) and setting aside anything but a folder
// or a plain file in its place. -1 with errno when it cannot be had (ENOTDIR: a plain file).
int openRealFolderAt(int dirfd, const std::string& name, mode_t mode, bool make,
                     const std::filesystem::path& where) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int fd = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) return fd;
    if (errno == ELOOP || errno == ENOTDIR) {
      // A link (to anything) or a pipe, socket or device where the folder belongs: only the
      // entry itself is moved. A file is the reader's and stays (no folder then).
      struct stat st;
      if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) continue;
        return -1;
      }
      if (S_ISDIR(st.st_mode)) continue;  // made meanwhile
      if (S_ISREG(st.st_mode)) {
        errno = ENOTDIR;
        return -1;
      }
      if (!setAsideAt(dirfd, name, st, where)) return -1;
    } else if (errno != ENOENT) {
      return -1;
    }
    if (!make) return kMissing;
    if (::mkdirat(dirfd, name.c_str(), mode) != 0 && errno != EEXIST) return -1;
  }
  return -1;
}

// The names of a relative path of plain names; nullopt for anything else (absolute, "..").
std::optional<std::vector<std::string>> partsOf(const std::filesystem::path& relative) {
  std::vector<std::string> parts;
  if (relative.has_root_path()) return std::nullopt;
  for (const auto& part : relative) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;  // a trailing '/', "./"
    if (!FolderHandle::isEntryName(name)) return std::nullopt;
    parts.push_back(name);
  }
  return parts;
}

std::vector<std::string> listNames(int fd) {
  std::vector<std::string> out;
  const int copy = ::dup(fd);
  if (copy < 0) return out;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    ::close(copy);
    return out;
  }
  ::rewinddir(dir);  // the copy shares the offset of earlier listings
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    out.emplace_back(name);
  }
  ::closedir(dir);
  return out;
}

// The kinds of temporary file this class makes, each named "." + the file's name + "." + kind +
// "." + six letters or digits (createTemporary): its own copy of a file of more names, the new
// bytes of a file written whole, a new file before it takes its name.
constexpr const char* kOwnCopy = "own";
constexpr const char* kRewrite = "tmp";
constexpr const char* kNewFile = "part";

std::string temporaryPrefix(std::string_view name, const char* kind) {
  return "." + std::string(name) + "." + kind + ".";
}

// Whether `name` is of a temporary file's shape (above).
bool isTemporaryName(std::string_view name) {
  constexpr size_t kSuffix = 6;
  if (name.size() < kSuffix || name[0] != '.') return false;
  const std::string_view prefix = name.substr(0, name.size() - kSuffix);
  for (const char* kind : {kOwnCopy, kRewrite, kNewFile}) {
    const std::string tail = "." + std::string(kind) + ".";
    // A file's name of one character at least between the leading dot and the kind.
    if (prefix.size() > tail.size() + 1 && prefix.substr(prefix.size() - tail.size()) == tail &&
        FolderHandle::isFreshName(name, prefix)) {
      return true;
    }
  }
  return false;
}

// Calls `visit` with each entry below the folder open as `fd` (shown as `where`) that is not a
// folder (its folder's descriptor and path, its name and its type as listed, DT_UNKNOWN when the
// file system does not say), descending into folders `depth` more levels, never through a link
// nor into an entry set aside ("<name>.aside-XXXXXX": kept whole).
void visitBelowAt(int fd, const std::filesystem::path& where, int depth,
                  const std::function<void(int, const std::filesystem::path&, const std::string&,
                                           unsigned char)>& visit) {
  struct Found {
    std::string name;
    unsigned char type;
  };
  std::vector<Found> found;
  const int copy = ::dup(fd);
  if (copy < 0) return;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    ::close(copy);
    return;
  }
  ::rewinddir(dir);
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    found.push_back({std::string(name), e->d_type});
  }
  ::closedir(dir);
  for (const Found& f : found) {
    if (f.type == DT_DIR || f.type == DT_UNKNOWN) {
      const int sub = ::openat(fd, f.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub >= 0) {
        if (depth > 0 && f.name.find(".aside-") == std::string::npos) {
          visitBelowAt(sub, where / f.name, depth - 1, visit);
        }
        ::close(sub);
        continue;
      }
    }
    visit(fd, where, f.name, f.type);
  }
}

bool removeAt(int dirfd, const std::string& name, int depth);

// Empties the folder open as `fd`; true when nothing is left in it.
bool emptyFolder(int fd, int depth) {
  bool ok = true;
  for (const std::string& name : listNames(fd)) ok = removeAt(fd, name, depth) && ok;
  return ok;
}

bool removeAt(int dirfd, const std::string& name, int depth) {
  struct stat st;
  if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlinkat(dirfd, name.c_str(), 0) == 0 || errno == ENOENT;
  if (depth >= kMaxRemovalDepth) return false;
  const int sub = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (sub < 0) {
    // Replaced by a link or file since: that entry itself goes.
    if (errno == ELOOP || errno == ENOTDIR) {
      return ::unlinkat(dirfd, name.c_str(), 0) == 0 || errno == ENOENT;
    }
    return errno == ENOENT;
  }
  const bool emptied = emptyFolder(sub, depth + 1);
  ::close(sub);
  return emptied && (::unlinkat(dirfd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT);
}

}  // namespace

FolderHandle::FolderHandle(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}

FolderHandle FolderHandle::adopt(int fd, std::filesystem::path path) {
  return FolderHandle(fd, std::move(path));
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

FolderHandle::~FolderHandle() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderHandle::isFreshName(std::string_view name, std::string_view prefix) {
  return name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

bool FolderHandle::isEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

void FolderHandle::setReporter(std::function<void(const std::string& line)> reporter) {
  std::deque<std::string> pending;
  {
    std::lock_guard<std::mutex> lock(gReportLock);
    gReporter = reporter;
    if (reporter) pending.swap(gPendingReports);
  }
  for (const std::string& line : pending) reporter(line);
}

void FolderHandle::discardPendingReports() {
  std::lock_guard<std::mutex> lock(gReportLock);
  gPendingReports.clear();
}

void FolderHandle::report(std::string line) {
  std::function<void(const std::string&)> reporter;
  {
    std::lock_guard<std::mutex> lock(gReportLock);
    if (!gReporter) {
      if (gPendingReports.size() == kMaxPendingReports) gPendingReports.pop_front();
      gPendingReports.push_back(std::move(line));
      return;
    }
    reporter = gReporter;
  }
  reporter(line);  // outside the lock: the reporter may take locks of its own
}

std::optional<FolderHandle> FolderHandle::openReal(const std::filesystem::path& path,
                                                   mode_t mode) {
  // Below the home: from the home's folder, one folder at a time.
  if (Paths::relativeToHome(path)) return Paths::openFolder(path, mode);
  std::filesystem::path p = path.lexically_normal();
  if (!p.has_filename()) p = p.parent_path();  // a trailing '/'
  if (p.empty()) return std::nullopt;
  std::error_code ec;
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  const int fd = openRealFolderAt(AT_FDCWD, p.string(), mode, true, {});
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd, p);
}

std::optional<FolderHandle> FolderHandle::openExisting(const std::filesystem::path& path) {
  if (Paths::relativeToHome(path)) return Paths::openExistingFolder(path);
  std::filesystem::path p = path.lexically_normal();
  if (!p.has_filename()) p = p.parent_path();
  if (p.empty()) return std::nullopt;
  const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd, p);
}

std::optional<FolderHandle> FolderHandle::openRealSubfolder(std::string_view name, mode_t mode,
                                                            bool make) const {
  if (fd_ < 0 || !isEntryName(name)) return std::nullopt;
  const int fd = openRealFolderAt(fd_, entry(name), mode, make, path_);
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd, path_ / std::string(name));
}

std::optional<FolderHandle> FolderHandle::openExistingPath(
    const std::filesystem::path& relative) const {
  const auto parts = partsOf(relative);
  if (fd_ < 0 || !parts) return std::nullopt;
  std::filesystem::path path = path_;
  std::string joined;
  for (const std::string& name : *parts) {
    path /= name;
    joined += (joined.empty() ? "" : "/") + name;
  }
  if (joined.empty()) {  // this folder itself
    const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    return FolderHandle(fd, path);
  }
  // In one call where the kernel has it: the whole path resolved below this folder, no link
  // followed.
  open_how how{};
  how.flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
  const int fd = static_cast<int>(::syscall(SYS_openat2, fd_, joined.c_str(), &how, sizeof how));
  if (fd >= 0) return FolderHandle(fd, path);
  if (errno != ENOSYS && errno != EPERM && errno != EINVAL) return std::nullopt;
  // Else one folder at a time.
  int at = -1;
  for (const std::string& name : *parts) {
    const int next = ::openat(at < 0 ? fd_ : at, name.c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (at >= 0) ::close(at);
    if (next < 0) return std::nullopt;
    at = next;
  }
  return FolderHandle(at, path);
}

bool FolderHandle::setAsideUnlessFile(std::string_view name) const {
  if (fd_ < 0 || !isEntryName(name)) return false;
  const std::string n = entry(name);
  struct stat st;
  if (::fstatat(fd_, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (S_ISREG(st.st_mode)) return true;
  return setAsideAt(fd_, n, st, path_);
}

bool FolderHandle::setAside(std::string_view name) const {
  if (fd_ < 0 || !isEntryName(name)) return false;
  const std::string n = entry(name);
  struct stat st;
  if (::fstatat(fd_, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  return setAsideAt(fd_, n, st, path_);
}

size_t FolderHandle::removeTemporariesBelow(int depth) const {
  if (fd_ < 0) return 0;
  size_t removed = 0;
  visitBelowAt(fd_, path_, depth,
               [&](int dirfd, const std::filesystem::path& where, const std::string& name, unsigned char type) {
                 if ((type != DT_REG && type != DT_UNKNOWN) || !isTemporaryName(name)) return;
                 // Only a file this process's user made and no one else has a name for.
                 struct stat st;
                 if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
                     st.st_nlink != 1 || st.st_uid != ::geteuid()) {
                   return;
                 }
                 if (::unlinkat(dirfd, name.c_str(), 0) != 0) return;
                 ++removed;
                 report("FolderHandle: removed " + (where / name).string() + " (" + std::to_string(st.st_size) +
                        " bytes), a temporary file left by a run that ended");
               });
  return removed;
}

std::vector<std::string> FolderHandle::names() const {
  if (fd_ < 0) return {};
  return listNames(fd_);
}

std::optional<struct stat> FolderHandle::status(std::string_view name) const {
  if (fd_ < 0 || !isEntryName(name)) return std::nullopt;
  struct stat st;
  if (::fstatat(fd_, entry(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return st;
}

bool FolderHandle::isRegularFile(std::string_view name) const {
  const auto st = status(name);
  return st && S_ISREG(st->st_mode);
}

bool FolderHandle::remove(std::string_view name) const {
  if (fd_ < 0 || !isEntryName(name)) return false;
  return removeAt(fd_, entry(name), 0);
}

bool FolderHandle::removeAll() const {
  if (fd_ < 0) return false;
  return emptyFolder(fd_, 0);
}

bool FolderHandle::rename(std::string_view from, std::string_view to) const {
  if (fd_ < 0 || !isEntryName(from) || !isEntryName(to)) return false;
  return ::renameat(fd_, entry(from).c_str(), fd_, entry(to).c_str()) == 0;
}

std::optional<Bytes> FolderHandle::readFile(std::string_view name, struct stat* status) const {
  // Non-blocking, so a named pipe in the file's place is refused instead of waited on.
  const int fd = openFile(name, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<Bytes> out = FileUtil::readOpenFile(fd, status);
  ::close(fd);
  return out;
}

int FolderHandle::openFile(std::string_view name, int flags, mode_t mode) const {
  if (fd_ < 0 || !isEntryName(name)) {
    errno = EINVAL;
    return -1;
  }
  return ::openat(fd_, entry(name).c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
}

int FolderHandle::openForWriting(std::string_view name, int flags, mode_t mode) const {
  // Opened without O_TRUNC: a file of another name must not be emptied before it is looked at.
  const int fd = openFile(name, flags & ~O_TRUNC, mode);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  if (S_ISREG(st.st_mode) && st.st_nlink > 1) {
    const int own = replaceWithOwnCopy(name, fd, flags, (flags & O_TRUNC) == 0);
    const int error = errno;
    ::close(fd);
    errno = error;
    return own;
  }
  if ((flags & O_TRUNC) != 0 && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

int FolderHandle::replaceWithOwnCopy(std::string_view name, int fd, int flags,
                                     bool keepContent) const {
  struct stat st;
  if (!isEntryName(name) || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    errno = EINVAL;
    return -1;
  }
  std::string temp;
  const int copy = createTemporary(temporaryPrefix(name, kOwnCopy), &temp, 0600, O_RDWR);
  if (copy < 0) return -1;
  bool ok = true;
  if (keepContent) {
    // Read through the descriptor decided on (or, when it was opened for writing only, the
    // same file opened again through it), from its start, whatever its offset.
    int source = fd;
    const int access = ::fcntl(fd, F_GETFL);
    if (access >= 0 && (access & O_ACCMODE) == O_WRONLY) {
      source = ::open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDONLY | O_CLOEXEC);
      struct stat same;
      if (source >= 0 && (::fstat(source, &same) != 0 || same.st_dev != st.st_dev ||
                          same.st_ino != st.st_ino)) {
        ::close(source);
        source = -1;
        errno = EIO;
      }
      ok = source >= 0;
    }
    uint8_t buffer[65536];
    for (off_t at = 0; ok;) {
      const ssize_t n = ::pread(source, buffer, sizeof buffer, at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      ok = FileUtil::writeAll(copy, buffer, static_cast<size_t>(n));
      at += n;
    }
    if (source >= 0 && source != fd) {
      const int error = errno;
      ::close(source);
      errno = error;
    }
  }
  // On the disk before it takes the name: a crash leaves the old name or the whole copy.
  ok = ok && ::fchmod(copy, st.st_mode & 0777) == 0 && ::fsync(copy) == 0 &&
       rename(temp, name);
  if (!ok) {
    const int error = errno;
    ::close(copy);
    ::unlinkat(fd_, temp.c_str(), 0);
    errno = error;
    return -1;
  }
  ::fsync(fd_);
  if ((flags & O_APPEND) != 0) ::fcntl(copy, F_SETFL, O_APPEND);
  // Read-write whatever access `flags` asked for: more than a writer asked, never less.
  report("FolderHandle: " + (path_ / std::string(name)).string() + " had " +
         std::to_string(st.st_nlink) + " names, replaced by a copy of its own");
  return copy;
}

int FolderHandle::createTemporary(std::string_view prefix, std::string* name, mode_t mode,
                                  int access) const {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = std::string(prefix) + randomSuffix();
    const int fd = openFile(candidate, (access & O_ACCMODE) | O_CREAT | O_EXCL, mode);
    if (fd >= 0) {
      if (name) *name = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

std::optional<FolderHandle> FolderHandle::createTemporaryFolder(std::string_view prefix,
                                                                std::string* name,
                                                                mode_t mode) const {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = std::string(prefix) + randomSuffix();
    if (!isEntryName(candidate)) return std::nullopt;
    if (::mkdirat(fd_, candidate.c_str(), mode) != 0) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    std::optional<FolderHandle> made = openExistingPath(candidate);
    if (!made) return std::nullopt;
    if (name) *name = std::move(candidate);
    return made;
  }
  errno = EEXIST;
  return std::nullopt;
}

bool FolderHandle::writeFileAtomically(std::string_view name, const Bytes& data,
                                       FileUtil::Sync sync, mode_t mode) const {
  if (!isEntryName(name)) return false;
  std::string temp;
  const int fd = createTemporary(temporaryPrefix(name, kRewrite), &temp, 0600);
  if (fd < 0) return false;
  bool ok = FileUtil::writeAll(fd, data.data(), data.size()) && ::fchmod(fd, mode) == 0 &&
            (sync == FileUtil::Sync::kDeferred || ::fsync(fd) == 0);
  if (::close(fd) != 0) ok = false;
  if (ok) ok = rename(temp, name);
  if (!ok) ::unlinkat(fd_, temp.c_str(), 0);
  return ok;
}

bool FolderHandle::writeNewFile(std::string_view name, const Bytes& data, mode_t mode) const {
  if (!isEntryName(name)) return false;
  std::string temp;
  const int fd = createTemporary(temporaryPrefix(name, kNewFile), &temp, 0600);
  if (fd < 0) return false;
  bool ok = FileUtil::writeAll(fd, data.data(), data.size()) && ::fchmod(fd, mode) == 0 &&
            ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  int error = ok ? 0 : errno;
  if (ok) {
    // A hard link puts the file in place only where the name is free; the temporary name goes
    // either way.
    if (::linkat(fd_, temp.c_str(), fd_, entry(name).c_str(), 0) != 0) {
      ok = false;
      error = errno;
    }
  }
  ::unlinkat(fd_, temp.c_str(), 0);
  errno = error;
  return ok;
}

}  // namespace zu
