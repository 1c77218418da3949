#include "common/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <exception>
#include <string_view>
#include <vector>
#include <system_error>

#include "platform/runtime/Clock.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/StringUtil.h"
#include "platform/runtime/Thread.h"

namespace zu {
namespace {

constexpr uint64_t kRotateAfterBytes = 2097152;  // 2 MiB
constexpr const char* kLogFileName = "log.txt";
constexpr const char* kLastLogFileName = "log_last.txt";
constexpr const char* kNewLogMarker = "<-------------new log------------->";

// Serialises the size test, rotation and writing, and guards the state below. It lives for the
// whole process (it is not made by init nor destroyed by uninit), so a line logged by a late
// thread while uninit runs is either written or dropped, never a use of a dead lock.
std::mutex gLock;
std::optional<std::string> gLogFilepath;
std::optional<std::string> gLastlogFilepath;
// The caches folder, held open: the log is opened, rotated and replaced relative to it, so a
// link planted on the way to it later is never followed.
std::optional<FolderHandle> gLogFolder;
// Lines logged by the thread that holds the log still (VESKLogWithFilesLocked's body, which may
// reach the home and so report an entry set aside): written once it lets go.
thread_local std::vector<std::string>* tDeferredLines = nullptr;
int gFileHandle = -1;
uint64_t gFileSize = 0;

// Appends all of `data`; false (with errno) when the system refuses part of it.
bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Opens the log `name` in `folder` for appending, made when missing. The log is owner-only
// (0600; one made open to others by an older version is tightened), and only a regular file of
// ours is written: a link or a named pipe in its place is removed (a link is not followed, which
// would append the log to, and have the feedback upload, whatever it points at; a pipe is not
// waited on, which would hold the launch until something reads it) and a fresh file made; a file
// of more than one name is set aside. -1 when it cannot be had.
int openLogFile(const FolderHandle& folder, const char* name, bool fresh) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int flags = O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | (fresh ? O_EXCL : 0);
    const int fd = folder.openFile(name, flags, 0600);
    if (fd < 0) {
      // A link (ELOOP), a pipe no one reads (ENXIO) or, for a fresh log, anything still there:
      // only the entry itself goes.
      if (errno != ELOOP && errno != ENXIO && errno != EEXIST) return -1;
      if (::unlinkat(folder.fd(), name, 0) != 0 && errno != ENOENT) return -1;
      continue;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
      ::close(fd);
      return -1;
    }
    if (!S_ISREG(st.st_mode)) {  // a pipe someone reads, a socket: replaced like a link
      ::close(fd);
      if (::unlinkat(folder.fd(), name, 0) != 0 && errno != ENOENT) return -1;
      continue;
    }
    if (st.st_nlink > 1) {
      // A file of another name too (a hard link, perhaps to a file outside the home) is never
      // appended to, chmodded or uploaded: it is set aside, kept whole under a name of its own,
      // and a fresh log started.
      ::close(fd);
      if (!folder.setAside(name)) return -1;
      continue;
    }
    // Writes to a regular file never block; the flag only kept the open from waiting.
    ::fcntl(fd, F_SETFL, O_APPEND);
    if ((st.st_mode & 077) != 0) ::fchmod(fd, 0600);
    return fd;
  }
  return -1;
}

// Moves the current log to the previous log's place and opens a fresh, empty current log.
// Called with gLock held. A failure leaves no handle open; the lines after it are then lost.
void swapLogFile() {
  if (gFileHandle >= 0) {
    ::close(gFileHandle);
    gFileHandle = -1;
  }
  const int folder = gLogFolder->fd();
  ::unlinkat(folder, kLastLogFileName, 0);                          // may not exist
  ::renameat(folder, kLogFileName, folder, kLastLogFileName);  // an error is ignored
  int fd = openLogFile(*gLogFolder, kLogFileName, true);
  if (fd < 0) {
    std::fprintf(stderr, "swapLogFile exception: %s %s\n", "FileOpenError",
                 std::strerror(errno));
    return;
  }
  gFileHandle = fd;
}

std::string formatMessage(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int needed = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (needed < 0) return std::string();
  if (static_cast<size_t>(needed) < sizeof small) return std::string(small, needed);
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<size_t>(needed));
  return out;
}

// Appends `message` to `line` with its control characters written as escapes, so a logged text
// can neither end its line early (CR, LF) nor speak to the terminal that shows the log (ESC, C1)
// nor turn the line around (bidi controls): CR, LF and tab as \r, \n and \t, the other C0
// controls and DEL as \xHH, C1 and bidi controls as \uHHHH. Everything else, invalid bytes too,
// is written as it came.
void appendEscaped(std::string& line, std::string_view message) {
  for (size_t i = 0; i < message.size();) {
    const size_t start = i;
    const char32_t c = StringUtil::decodeNext(message, i);
    if (!StringUtil::isControl(c) && !StringUtil::isBidiControl(c)) {
      line.append(message, start, i - start);
      continue;
    }
    char escape[8];
    switch (c) {
      case U'\r': line += "\\r"; continue;
      case U'\n': line += "\\n"; continue;
      case U'\t': line += "\\t"; continue;
      default: break;
    }
    if (c < 0x80) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
    }
    line += escape;
  }
}

// Local time "yyyy-MM-dd HH:mm:ss", from the process clock.
std::string timestamp() {
  time_t seconds = static_cast<time_t>(Clock::get()->nowMicros() / 1000000);
  struct tm local {};
  if (::localtime_r(&seconds, &local) == nullptr) return "0000-00-00 00:00:00";
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

// The writing thread's name as it appears between the brackets.
std::string threadLabel() {
  std::optional<std::string> name = Thread::currentName();
  if (!name) return "null";
  if (StringUtil::utf16Length(*name) >= 5) return StringUtil::utf16Prefix(*name, 4);
  return *name;
}

}  // namespace

void VESKLogInit() {
  // Reports of entries set aside while the log opens are kept until it is open (a second init
  // would otherwise log them while holding the log).
  FolderHandle::setReporter(nullptr);
  {
    std::lock_guard<std::mutex> lock(gLock);
    if (gFileHandle >= 0) {  // a second init starts over instead of leaking the handle
      ::close(gFileHandle);
      gFileHandle = -1;
    }
    // The caches folder, made on a first start, reached from the home without following a
    // link (one on the way is set aside and a real folder made).
    gLogFilepath.reset();
    gLastlogFilepath.reset();
    gLogFolder = Paths::openFolder(std::filesystem::path("Library") / "Caches");
    if (!gLogFolder) return;
    gLogFilepath = (gLogFolder->path() / kLogFileName).string();
    gLastlogFilepath = (gLogFolder->path() / kLastLogFileName).string();
    gFileSize = 0;

    int fd = openLogFile(*gLogFolder, kLogFileName, false);
    if (fd < 0) return;
    // The previous log, kept by an older version open to others, is made owner-only too; a
    // pipe in its place is not waited on (O_NONBLOCK) and left alone. One of more than one name
    // is set aside as the log is, not chmodded (the other name may be a file outside the home)
    // and never uploaded with a feedback.
    if (int last = gLogFolder->openFile(kLastLogFileName, O_RDONLY | O_NONBLOCK); last >= 0) {
      struct stat st;
      if (::fstat(last, &st) == 0 && S_ISREG(st.st_mode)) {
        if (st.st_nlink > 1) {
          gLogFolder->setAside(kLastLogFileName);
        } else if ((st.st_mode & 077) != 0) {
          ::fchmod(last, 0600);
        }
      }
      ::close(last);
    }
    off_t end = ::lseek(fd, 0, SEEK_END);
    gFileSize = end > 0 ? static_cast<uint64_t>(end) : 0;
    gFileHandle = fd;
    // An empty line between the runs; not counted, as the size only steers rotation.
    if (gFileSize != 0) writeAll(gFileHandle, "\r\n");
  }
  VESKLogImpl("%s", kNewLogMarker);
  // Entries of the home set aside, this launch's first (kept until now) among them.
  FolderHandle::setReporter([](const std::string& line) { VESKLogImpl("%s", line.c_str()); });
}

void VESKLogUninit() {
  FolderHandle::setReporter(nullptr);
  std::lock_guard<std::mutex> lock(gLock);
  if (gFileHandle >= 0) ::close(gFileHandle);
  gFileHandle = -1;
  gLogFolder.reset();
  gLogFilepath.reset();
  gLastlogFilepath.reset();
  gFileSize = 0;
}

void VESKLogImpl(const char* format, ...) {
  if (format == nullptr) return;
  // Logging never throws into its caller: a failure (even running out of memory while
  // building the line) is reported on the console and the line is dropped.
  std::string message;
  va_list args;
  va_start(args, format);
  try {
    message = formatMessage(format, args);
  } catch (const std::exception& e) {
    va_end(args);
    std::fprintf(stderr, "gFileHandle writedata exception %s %s\n", "std::exception", e.what());
    return;
  }
  va_end(args);

  try {
    std::string line = timestamp();
    line += '[';
    line += threadLabel();
    line += "]: ";
    appendEscaped(line, message);
    line += "\r\n";

    if (tDeferredLines) {
      tDeferredLines->push_back(std::move(message));
      return;
    }
    // What the rotation reports (a fresh log given a second name at once is set aside, and
    // the home's reporter logs that) is written once the log is let go: logged while it is
    // held, it would wait on the log's own lock for ever.
    std::vector<std::string> rotationLines;
    {
      std::lock_guard<std::mutex> lock(gLock);
      if (gFileHandle < 0) return;
      if (gFileSize > kRotateAfterBytes) {
        struct Deferring {
          explicit Deferring(std::vector<std::string>* lines) { tDeferredLines = lines; }
          ~Deferring() { tDeferredLines = nullptr; }
        } deferring(&rotationLines);
        swapLogFile();
        gFileSize = 0;
      }
      if (gFileHandle >= 0) {
        if (writeAll(gFileHandle, line)) {
          gFileSize += line.size();
        } else {
          std::fprintf(stderr, "gFileHandle writedata exception %s %s\n", "FileWriteError",
                       std::strerror(errno));
        }
      }
    }
    for (const std::string& deferred : rotationLines) VESKLogImpl("%s", deferred.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gFileHandle writedata exception %s %s\n", "std::exception", e.what());
  }
}

std::optional<std::string> VESKLogGetLogFilepath() {
  std::lock_guard<std::mutex> lock(gLock);
  return gLogFilepath;
}

std::optional<std::string> VESKLogGetLastlogFilepath() {
  std::lock_guard<std::mutex> lock(gLock);
  return gLastlogFilepath;
}

void VESKLogWithFilesLocked(
    const std::function<void(const std::optional<std::string>&, const std::optional<std::string>&)>& body) {
  std::vector<std::string> deferred;
  {
    std::lock_guard<std::mutex> lock(gLock);
    // Every line goes out with an unbuffered write; make it reach the file before it is read.
    if (gFileHandle >= 0) ::fdatasync(gFileHandle);
    tDeferredLines = &deferred;
    body(gLogFilepath, gLastlogFilepath);
    tDeferredLines = nullptr;
  }
  for (const std::string& line : deferred) VESKLogImpl("%s", line.c_str());
}

}  // namespace zu
