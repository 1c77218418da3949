// Helpers for the file cache tests (included by *Test.cpp only): turning the test thread's run
// loop until a condition set by another thread holds, reading an index database directly, and
// holding a cache's writer thread in its hook.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/cache/ColumnCache.h"
#include "engine/cache/FileCache.h"
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

// Holds a cache's writer thread as it comes to write one file, as a disk that does not answer
// would, until release().
class WriterHold {
 public:
  // A file cache's writer (writing behind), at the file of `key`.
  WriterHold(FileCache& cache, const std::string& key) : WriterHold() {
    cache.setWriterHookForTesting(holdAt(FileCache::uidForKey(key)));
  }
  // A column cache's writer, at the save of `path` (a path ColumnCache::getPath names).
  WriterHold(ColumnCache& cache, const std::string& path) : WriterHold() {
    cache.setWriterHookForTesting(holdAt(path));
  }
  ~WriterHold() { release(); }
  WriterHold(const WriterHold&) = delete;
  WriterHold& operator=(const WriterHold&) = delete;

  // Waits (up to ten seconds) until the writer is held; false when it never came.
  bool waitUntilHeld() {
    std::unique_lock<std::mutex> lock(state_->mutex);
    return state_->changed.wait_for(lock, std::chrono::seconds(10), [&] { return state_->held; });
  }
  // Lets the writer go on; false when it was not held (or was let go before).
  bool release() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->released) return false;
    state_->released = true;
    state_->changed.notify_all();
    return state_->held;
  }

 private:
  WriterHold() : state_(std::make_shared<State>()) {}
  std::function<void(const std::string&)> holdAt(std::string target) {
    return [state = state_, target = std::move(target)](const std::string& writing) {
      if (writing != target) return;
      std::unique_lock<std::mutex> lock(state->mutex);
      state->held = true;
      state->changed.notify_all();
      state->changed.wait(lock, [&] { return state->released; });
    };
  }

  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool released = false;
  };
  std::shared_ptr<State> state_;
};

}  // namespace zu::testing
