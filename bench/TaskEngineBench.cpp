// Task round trip: a task is created, run on the engine's "task" thread, finishes, and its
// finish is delivered on the main run loop, which the benchmark thread turns until it arrives.
// The reference does the same two hops with a bare std::thread, a mutex + condition-variable
// work queue and a result queue back to the waiting thread. Measured with the log closed and
// with it open (every task writes three log lines). Prints the time per round trip of each and
// the ratio ours / reference (above 1 means ours is slower). The repetitions run interleaved and
// their medians are compared.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "common/Log.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "engine/core/TaskFinishObserver.h"
#include "platform/runtime/RunLoop.h"
#include "testing/TempHome.h"

#include "RatioReporter.h"

namespace {

class LocalTask : public zu::Task {
 public:
  void run() override {
    Task::run();
    done(0, std::nullopt);
  }
};

// Hands each finish to the main loop, as the application observer does.
class MainLoopFinish : public zu::TaskFinishObserver {
 public:
  void onTaskFinish(const std::shared_ptr<zu::Task>& task, int errCode,
                    const std::optional<std::string>&) override {
    zu::RunLoop::main()->post([this, id = task->getTaskId(), errCode] {
      lastId = id;
      benchmark::DoNotOptimize(errCode);
    });
  }
  int lastId = 0;  // main thread only
};

void roundTrips(benchmark::State& state, bool logged) {
  std::optional<zu::TempHome> home;
  if (logged) {
    home.emplace();
    zu::VESKLogInit();
  }
  zu::TaskEngine::initGlobalInstance();
  auto observer = std::make_shared<MainLoopFinish>();
  zu::gTaskEngine()->setTaskFinishObserver(observer);
  auto loop = zu::RunLoop::main();
  for (auto _ : state) {
    auto task = std::make_shared<LocalTask>();
    int id = task->getTaskId();
    zu::gTaskEngine()->asyncRunTask(task);
    task.reset();
    if (!loop->runUntil([&] { return observer->lastId == id; }, 10)) {
      state.SkipWithError("finish not delivered");
      break;
    }
  }
  zu::TaskEngine::uninitGlobalInstance();
  if (logged) zu::VESKLogUninit();
}

void BM_TaskEngineRoundTrip(benchmark::State& state) { roundTrips(state, false); }
BENCHMARK(BM_TaskEngineRoundTrip)->Repetitions(9)->MinTime(0.2)->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void BM_TaskEngineRoundTripLogged(benchmark::State& state) { roundTrips(state, true); }
BENCHMARK(BM_TaskEngineRoundTripLogged)->Repetitions(9)->MinTime(0.2)->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// A blocking queue of jobs.
class JobQueue {
 public:
  void push(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    cv_.notify_one();
  }
  std::function<void()> pop() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return !jobs_.empty(); });
    auto job = std::move(jobs_.front());
    jobs_.pop_front();
    return job;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> jobs_;
};

struct BareTask {
  int id;
  int code = -1;
};

void BM_BareThreadRoundTrip(benchmark::State& state) {
  JobQueue work;
  JobQueue results;
  std::atomic<bool> quit{false};
  std::thread worker([&] {
    while (!quit) work.pop()();
  });
  int nextId = 0;
  int lastId = 0;
  for (auto _ : state) {
    auto task = std::make_shared<BareTask>(BareTask{++nextId});
    work.push([task, &results, &lastId] {
      task->code = 0;
      results.push([id = task->id, &lastId] { lastId = id; });
    });
    task.reset();
    while (lastId != nextId) results.pop()();
  }
  work.push([&] { quit = true; });
  worker.join();
}
BENCHMARK(BM_BareThreadRoundTrip)->Repetitions(9)->MinTime(0.2)->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.realTime("BM_TaskEngineRoundTrip");
  const double logged = reporter.realTime("BM_TaskEngineRoundTripLogged");
  const double bare = reporter.realTime("BM_BareThreadRoundTrip");
  if (ours > 0 && bare > 0) {
    std::printf("round trip: task engine %.2f us, with log %.2f us, bare thread + queue %.2f us\n",
                ours, logged, bare);
    std::printf("ratio ours/reference %.2f (with log %.2f)\n", ours / bare, logged / bare);
  }
  benchmark::Shutdown();
  return 0;
}
