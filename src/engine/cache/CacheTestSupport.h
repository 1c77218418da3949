// Helpers for the file cache tests (included by *Test.cpp only): turning the test thread's run
// loop until a condition set by another thread holds, and reading an index database directly.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/Clock.h"
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

}  // namespace zu::testing
