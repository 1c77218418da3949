#include "engine/cache/SlotWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>

namespace zu {
namespace {

// flush() waits for the jobs put before it, not for a writer that is never idle: here every
// job puts another (as a refresh's saves keep coming while a flush waits), and flush() still
// returns once the first one, and one of its slot put again while it ran, have run.
TEST(SlotWriterTest, FlushWaitsForWhatWasPutBeforeItNotForAnIdleWriter) {
  std::atomic<bool> stop{false};
  std::atomic<int> runsOfFirst{0};
  std::atomic<int> firstSeen{0};
  SlotWriter<int>* self = nullptr;
  std::promise<void> firstRunning;
  std::shared_future<void> putAgain;
  std::promise<void> putAgainDone;
  putAgain = putAgainDone.get_future().share();
  SlotWriter<int> writer("test writer", [&](const std::string& slot, const int& job) {
    if (slot == "first") {
      if (runsOfFirst++ == 0) {
        firstRunning.set_value();
        putAgain.wait();  // "first" is put again while this runs
      }
      firstSeen = job;
    }
    if (!stop) self->put("chain" + std::to_string(job + 1), job + 1, 0);
  });
  self = &writer;
  writer.put("first", 1, 0);
  firstRunning.get_future().wait();
  writer.put("first", 2, 0);
  putAgainDone.set_value();

  auto flushed = std::async(std::launch::async, [&] { writer.flush(); });
  const bool returned = flushed.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  stop = true;
  flushed.wait();
  EXPECT_TRUE(returned);
  EXPECT_EQ(firstSeen, 2);
  EXPECT_FALSE(writer.pending("first"));
}

}  // namespace
}  // namespace zu
