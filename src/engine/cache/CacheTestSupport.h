// Helpers for the file cache tests (included by *Test.cpp only): turning the test thread's run
// loop until a condition set by another thread holds, reading an index database directly, and
// holding a cache's writer thread in a FIFO.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/Clock.h"
#include "platform/runtime/FileUtil.h"
#include "platform/runtime/RunLoop.h"
#include "platform/sqlite/Database.h"

namespace zu::testing {

// Turns the calling thread's run loop until `pred` holds or `realTimeoutSeconds` of real time
// pass. The loop is kept turning by a task that re-posts itself, so a condition changed by
// another thread without posting here is still seen; the timeout is measured on the real clock
// because tests that drive a FakeClock do not advance it while waiting.
inline bool turnUntil(const std::function<bool()>& pred, double realTimeoutSeconds = 30) {
  auto loop = RunLoop::current();
  auto real = Clock::real();
  const double deadline = real->monotonic() + realTimeoutSeconds;
  auto tick = std::make_shared<std::function<void()>>();
  std::weak_ptr<std::function<void()>> weakTick = tick;
  *tick = [loop, weakTick] {
    std::this_thread::yield();
    if (auto t = weakTick.lock()) loop->post(*t);
  };
  loop->post(*tick);
  loop->runUntil([&] { return pred() || real->monotonic() > deadline; }, -1);
  tick.reset();
  return pred();
}

struct IndexRow {
  std::string uid;
  int64_t size;
  int64_t lastAccessed;
  int type;
};

// Every row of a cache's index, read through a connection of its own.
inline std::vector<IndexRow> readIndex(const std::string& indexPath) {
  std::vector<IndexRow> rows;
  Database db;
  if (db.open(indexPath) != SQLITE_OK) return rows;
  Statement st = db.prepare("select uid, size, lastAccessed, noAutoClean from tb_index;");
  while (st.next()) {
    rows.push_back({st.columnString(0), st.columnInt64(1), st.columnInt64(2), st.columnInt(3)});
  }
  return rows;
}

// Whether a thread of this process waits for the other end of a FIFO to be opened.
inline bool threadWaitsOnFifo() {
  for (const auto& task : FileUtil::listFolder("/proc/self/task")) {
    auto wchan = FileUtil::readFile(task / "wchan");
    if (wchan && std::string(wchan->begin(), wchan->end()) == "wait_for_partner") return true;
  }
  return false;
}

// Waits up to ten seconds for a thread to wait in a FIFO; false when none does (or the kernel
// does not show where threads wait).
inline bool waitForThreadOnFifo() {
  for (int i = 0; i < 1000 && !threadWaitsOnFifo(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return threadWaitsOnFifo();
}

// A FIFO where a writer thread will open a file to write it: the thread waits there until
// release() opens the other end and reads what it writes.
class FifoHold {
 public:
  explicit FifoHold(std::string path) : path_(std::move(path)) {
    made_ = ::mkfifo(path_.c_str(), 0600) == 0;
  }
  ~FifoHold() { release(); }
  bool made() const { return made_; }
  // Lets the writer go on; the bytes it wrote, or false when it was not waiting.
  bool release() {
    if (!made_ || released_) return false;
    released_ = true;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    // Blocking from here: the writer is connected, and its close ends the reading.
    ::fcntl(fd, F_SETFL, 0);
    char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
    return true;
  }

 private:
  const std::string path_;
  bool made_ = false;
  bool released_ = false;
};

}  // namespace zu::testing
