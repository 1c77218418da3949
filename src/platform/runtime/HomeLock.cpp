#include "platform/runtime/HomeLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"

namespace zu {

namespace {

// The lock file in `library`, open (never to be written: read and write only so that a lock
// emulated over a network file system can be exclusive); -1 when none can be had.
int openLockFile(const FolderHandle& library) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::optional<struct stat> found = library.status(HomeLock::kName);
    if (found && (!S_ISREG(found->st_mode) || found->st_uid != ::geteuid())) {
      if (!library.setAside(HomeLock::kName)) return -1;
      continue;
    }
    // Non-blocking, so a named pipe put at the name meanwhile is not waited on.
    const int fd = library.openFile(HomeLock::kName, O_RDWR | O_CREAT | O_NONBLOCK, 0600);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ((st.st_mode & 077) == 0 || ::fchmod(fd, 0600) == 0)) {
      return fd;
    }
    ::close(fd);
  }
  return -1;
}

}  // namespace

HomeLock::HomeLock(const std::function<void()>& clearUp) {
  const std::string where = (Paths::library() / kName).string();
  if (const std::optional<FolderHandle> library = Paths::openFolder("Library")) fd_ = openLockFile(*library);
  if (fd_ < 0) {
    FolderHandle::report("HomeLock: no lock file at " + where + ": what an ended run left is not cleared up");
    return;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    clearUp();
    clearedUp_ = true;
  } else {
    const std::string why = errno == EWOULDBLOCK ? "another client runs on this home" : std::strerror(errno);
    FolderHandle::report("HomeLock: " + where + " not had alone (" + why +
                         "): what an ended run left is not cleared up now");
  }
  // Shared for the run; waits only while another launch clears up.
  while (::flock(fd_, LOCK_SH) != 0) {
    if (errno == EINTR) continue;
    FolderHandle::report("HomeLock: " + where + " cannot be held (" + std::strerror(errno) + ")");
    ::close(fd_);
    fd_ = -1;
    break;
  }
}

HomeLock::~HomeLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace zu
