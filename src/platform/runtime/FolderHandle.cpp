#include "platform/runtime/FolderHandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>
#include <utility>

namespace zu {

namespace {

// How deep a removal goes into nested folders (each level holds a descriptor). The caches nest
// two levels; a deeper tree was not made by us and is left where it is too deep.
constexpr int kMaxRemovalDepth = 64;

std::string entry(std::string_view name) { return std::string(name); }

// Opens the folder `name` relative to `dirfd` (AT_FDCWD: a path), making it when missing and
// replacing a link in its place by a real folder.
int openRealFolderAt(int dirfd, const std::string& name, mode_t mode) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int fd = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) return fd;
    if (errno == ELOOP || errno == ENOTDIR) {
      // A link (to anything) where the folder belongs: only the link goes. A file is the
      // reader's and stays (no folder then).
      struct stat st;
      if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISLNK(st.st_mode)) {
        errno = ENOTDIR;
        return -1;
      }
      if (::unlinkat(dirfd, name.c_str(), 0) != 0 && errno != ENOENT) return -1;
    } else if (errno != ENOENT) {
      return -1;
    }
    if (::mkdirat(dirfd, name.c_str(), mode) != 0 && errno != EEXIST) return -1;
  }
  return -1;
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

std::string randomSuffix() {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
  std::string out(6, 'X');
  for (char& c : out) c = kAlphabet[pick(generator)];
  return out;
}

}  // namespace

FolderHandle::FolderHandle(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}

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

bool FolderHandle::isEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::optional<FolderHandle> FolderHandle::openReal(const std::filesystem::path& path,
                                                   mode_t mode) {
  std::filesystem::path p = path.lexically_normal();
  if (!p.has_filename()) p = p.parent_path();  // a trailing '/'
  if (p.empty()) return std::nullopt;
  std::error_code ec;
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  const int fd = openRealFolderAt(AT_FDCWD, p.string(), mode);
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd, p);
}

std::optional<FolderHandle> FolderHandle::openExisting(const std::filesystem::path& path) {
  std::filesystem::path p = path.lexically_normal();
  if (!p.has_filename()) p = p.parent_path();
  if (p.empty()) return std::nullopt;
  const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd, p);
}

std::optional<FolderHandle> FolderHandle::openRealSubfolder(std::string_view name,
                                                            mode_t mode) const {
  if (fd_ < 0 || !isEntryName(name)) return std::nullopt;
  const int fd = openRealFolderAt(fd_, entry(name), mode);
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd, path_ / std::string(name));
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

int FolderHandle::createTemporary(std::string_view prefix, std::string* name, mode_t mode) const {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = std::string(prefix) + randomSuffix();
    const int fd = openFile(candidate, O_WRONLY | O_CREAT | O_EXCL, mode);
    if (fd >= 0) {
      if (name) *name = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

bool FolderHandle::writeFileAtomically(std::string_view name, const Bytes& data,
                                       FileUtil::Sync sync, mode_t mode) const {
  if (!isEntryName(name)) return false;
  std::string temp;
  const int fd = createTemporary("." + std::string(name) + ".tmp.", &temp, 0600);
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
  const int fd = createTemporary("." + std::string(name) + ".part.", &temp, 0600);
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
