#include "platform/runtime/FileUtil.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cerrno>
#include <string>
#include <sys/stat.h>

#include "platform/runtime/FolderHandle.h"

namespace zu {

bool FileUtil::writeAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::optional<Bytes> FileUtil::readOpenFile(int fd, struct stat* status) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  Bytes out;
  out.reserve(static_cast<size_t>(st.st_size));
  uint8_t buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    out.insert(out.end(), buffer, buffer + n);
  }
  if (status) *status = st;
  return out;
}

std::optional<Bytes> FileUtil::readFile(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer that may
  // never come; readOpenFile then refuses anything but a regular file.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<Bytes> out = readOpenFile(fd);
  ::close(fd);
  return out;
}

std::optional<Bytes> FileUtil::readFileToSend(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  std::optional<Bytes> out = readOpenFile(fd, &st);
  ::close(fd);
  if (out && st.st_nlink > 1) {
    FolderHandle::report("FileUtil: " + path.string() + " has " + std::to_string(st.st_nlink) +
                         " names, not sent");
    return std::nullopt;
  }
  return out;
}

bool FileUtil::writeFileAtomically(const std::filesystem::path& path, const Bytes& data,
                                   Sync sync, mode_t mode) {
  // mkostemp makes the file O_CREAT | O_EXCL (mode 0600) under a name no one had.
  std::string pattern = path.string() + ".tmp.XXXXXX";
  int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = writeAll(fd, data.data(), data.size()) && ::fchmod(fd, mode) == 0 &&
            (sync == Sync::kDeferred || ::fsync(fd) == 0);
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(pattern.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    const int saved = errno;
    ::unlink(pattern.c_str());
    errno = saved;
    return false;
  }
  if (sync == Sync::kDurable) {
    // The rename itself reaches the disk with its folder.
    const std::filesystem::path dir = path.parent_path();
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      ::fsync(dfd);
      ::close(dfd);
    }
  }
  return true;
}

bool FileUtil::writeFileAtomically(const std::filesystem::path& path, std::string_view data,
                                   Sync sync, mode_t mode) {
  return writeFileAtomically(path, Bytes(data.begin(), data.end()), sync, mode);
}

std::vector<std::filesystem::path> FileUtil::listFolder(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> items;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    items.push_back(it->path());
  }
  return items;
}

}  // namespace zu
