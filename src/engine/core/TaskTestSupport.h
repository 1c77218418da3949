// Helpers for the task engine's tests (included by *Test.cpp only): a fixture that gives each
// test a fresh home, an open log and a fresh global task engine whose finishes are recorded,
// and readers of the log file.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/Log.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "engine/core/TaskFinishObserver.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"
#include "testing/TempHome.h"

namespace zu::testing {

// Records every finish with the thread it came on, and wakes the main loop so that a test
// turning it sees the new state.
class FinishRecorder : public TaskFinishObserver {
 public:
  struct Finish {
    int taskId;
    int code;
    std::optional<std::string> desc;
    std::optional<std::string> userIdentity;
    std::string thread;
    bool isDoneDuringFinish;  // what the task's isDone() answered inside onTaskFinish
  };

  void onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                    const std::optional<std::string>& errDesc) override {
    {
      std::lock_guard lock(mutex_);
      finishes_.push_back({task->getTaskId(), errCode, errDesc, task->userIdentity(),
                           Thread::currentName().value_or("null"), task->isDone()});
    }
    RunLoop::main()->post([] {});
  }

  std::vector<Finish> finishes() const {
    std::lock_guard lock(mutex_);
    return finishes_;
  }

  // Turns the calling thread's loop until `count` finishes arrived (10 s at most).
  bool waitForFinishes(size_t count) {
    return RunLoop::current()->runUntil([&] { return finishes().size() >= count; }, 10);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Finish> finishes_;
};

inline std::string readLog() {
  auto path = VESKLogGetLogFilepath();
  if (!path) return {};
  std::ifstream in(*path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void dumpLogToStderr() {
  std::string text = readLog();
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

class TaskEngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    engine_ = gTaskEngine();
    recorder_ = std::make_shared<FinishRecorder>();
    engine_->setTaskFinishObserver(recorder_);
  }

  void TearDown() override {
    TaskEngine::uninitGlobalInstance();
    engine_.reset();
    VESKLogUninit();
  }

  const std::shared_ptr<TaskEngine>& engine() const { return engine_; }
  const std::shared_ptr<FinishRecorder>& recorder() const { return recorder_; }
  static bool logContains(const std::string& text) {
    return readLog().find(text) != std::string::npos;
  }

 private:
  TempHome home_;
  std::shared_ptr<TaskEngine> engine_;
  std::shared_ptr<FinishRecorder> recorder_;
};

}  // namespace zu::testing
