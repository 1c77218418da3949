#include "platform/sqlite/SqliteFileGuard.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/runtime/FolderHandle.h"

namespace zu {
namespace {

using OpenCall = int (*)(const char*, int, int);
using CloseCall = int (*)(int);

OpenCall gRealOpen = nullptr;
CloseCall gRealClose = nullptr;

// The files SQLite holds open for writing, by descriptor. `lock` is held across each whole open
// (the system call, the decision and a copy) and close, so a descriptor is forgotten before the
// system can hand its number out again.
struct OpenFile {
  int fd;
  dev_t device;
  ino_t inode;
};
struct Guarded {
  std::mutex lock;
  std::vector<OpenFile> files;  // guarded by lock
};
// Never destroyed: connections held by objects of static lifetime close while the process exits.
Guarded& guarded() {
  static Guarded* state = new Guarded;
  return *state;
}

bool heldOpen(const std::vector<OpenFile>& files, const struct stat& st) {
  return std::any_of(files.begin(), files.end(), [&](const OpenFile& f) {
    return f.device == st.st_dev && f.inode == st.st_ino;
  });
}

int closeKeepingErrno(int fd) {
  const int error = errno;
  gRealClose(fd);
  errno = error;
  return -1;
}

int guardedOpen(const char* path, int flags, int mode) {
  Guarded& state = guarded();
  std::lock_guard<std::mutex> lock(state.lock);
  const int fd = gRealOpen(path, flags, mode);
  if (fd < 0 || (flags & O_ACCMODE) == O_RDONLY) return fd;
  struct stat st;
  if (::fstat(fd, &st) != 0) return closeKeepingErrno(fd);
  if (!S_ISREG(st.st_mode)) return fd;
  if (st.st_nlink > 1 && !heldOpen(state.files, st)) {
    const std::filesystem::path file(path);
    const auto folder = FolderHandle::openExisting(file.parent_path());
    const int own = folder ? folder->replaceWithOwnCopy(file.filename().string(), fd, flags, true)
                           : -1;
    if (own < 0) {
      // Not writable then: SQLite falls back to reading the file, or reports it cannot open.
      closeKeepingErrno(fd);
      errno = EACCES;
      return -1;
    }
    gRealClose(fd);
    if (::fstat(own, &st) != 0) return closeKeepingErrno(own);
    state.files.push_back({own, st.st_dev, st.st_ino});
    return own;
  }
  state.files.push_back({fd, st.st_dev, st.st_ino});
  return fd;
}

int guardedClose(int fd) {
  Guarded& state = guarded();
  std::lock_guard<std::mutex> lock(state.lock);
  state.files.erase(std::remove_if(state.files.begin(), state.files.end(),
                                   [fd](const OpenFile& f) { return f.fd == fd; }),
                    state.files.end());
  return gRealClose(fd);
}

}  // namespace

bool SqliteFileGuard::install() {
  static const bool installed = [] {
    if (sqlite3_initialize() != SQLITE_OK) return false;
    sqlite3_vfs* vfs = sqlite3_vfs_find("unix");
    if (!vfs || vfs->iVersion < 3 || !vfs->xSetSystemCall || !vfs->xGetSystemCall) return false;
    gRealOpen = reinterpret_cast<OpenCall>(vfs->xGetSystemCall(vfs, "open"));
    gRealClose = reinterpret_cast<CloseCall>(vfs->xGetSystemCall(vfs, "close"));
    if (!gRealOpen || !gRealClose) return false;
    // Close first: a descriptor opened through the guard is then always forgotten when closed.
    if (vfs->xSetSystemCall(vfs, "close", reinterpret_cast<sqlite3_syscall_ptr>(&guardedClose)) !=
        SQLITE_OK) {
      return false;
    }
    if (vfs->xSetSystemCall(vfs, "open", reinterpret_cast<sqlite3_syscall_ptr>(&guardedOpen)) !=
        SQLITE_OK) {
      vfs->xSetSystemCall(vfs, "close", reinterpret_cast<sqlite3_syscall_ptr>(gRealClose));
      return false;
    }
    return true;
  }();
  return installed;
}

}  // namespace zu
