// Home grid: 66 subscribed columns with their covers, read from the local store until the
// grid's first page is drawn, beside the bare local read on the same store in the same run.
//
//   Ours: the home screen asks for its list (the read task on the engine's thread, the covers
//     read from the column cache), takes the result on the main loop, reloads the grid, lays
//     out the first page's tiles (pictures decoded, titles measured) and the window is drawn.
//   Reference: the same read task run alone until its list reaches the main loop.
//
// Repetitions run interleaved; medians are compared. Prints the milliseconds of each and what
// the screen adds; the budget is 50 ms on top of the read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "shell/home/MyColumnsController.h"
#include "testing/TempHome.h"

#include "HomeGridScene.h"
#include "RatioReporter.h"

namespace {

using namespace zu;

constexpr int kColumns = 66;

bool gSceneMade = false;

HomeGridScene& scene() {
  static TempHome home;
  static HomeGridScene s = [] {
    HomeGridScene out = HomeGridScene::make(kColumns);
    gSceneMade = true;
    return out;
  }();
  return s;
}

void BM_HomeGridLocalReadToFirstPage(benchmark::State& state) {
  HomeGridScene& s = scene();
  for (auto _ : state) {
    const auto before = s.home->dataSource().empty() ? nullptr : s.home->dataSource().front();
    s.home->asyncRequestSubscribedColumnsFromLocal();
    RunLoop::main()->runUntil(
        [&] { return !s.home->dataSource().empty() && s.home->dataSource().front() != before; }, 30);
    auto picture = ui::render(*s.window);
    benchmark::DoNotOptimize(picture->pixels());
  }
  if (s.home->dataSource().size() != kColumns) state.SkipWithError("the list did not arrive");
}
BENCHMARK(BM_HomeGridLocalReadToFirstPage)->Unit(benchmark::kMillisecond)->Repetitions(9);

void BM_BareLocalRead(benchmark::State& state) {
  HomeGridScene& s = scene();
  int entries = 0;
  for (auto _ : state) {
    auto task = s.engine->createGetSubscribedColumnsTask(true);
    bool arrived = false;
    NotificationCenter::defaultCenter().add(task->getTaskIdStr(), &arrived, [&](const Notification& n) {
      if (const std::string* type = n.userInfo.get("ResultType").asString(); type && *type == "Feed") {
        arrived = true;
        ++entries;
      }
    });
    s.engine->asyncRunTask(task);
    RunLoop::main()->runUntil([&] { return arrived; }, 30);
    NotificationCenter::defaultCenter().remove(&arrived);
  }
  if (entries == 0) state.SkipWithError("the list did not arrive");
}
BENCHMARK(BM_BareLocalRead)->Unit(benchmark::kMillisecond)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.realTime("BM_HomeGridLocalReadToFirstPage");
  const double reference = reporter.realTime("BM_BareLocalRead");
  std::printf("\n66 columns with covers, local read to first page drawn: ours %.2f ms, bare read "
              "%.2f ms, ratio ours/reference %.2f; the screen adds %.2f ms, budget 50 ms: %s\n",
              ours, reference, reference > 0 ? ours / reference : 0, ours - reference,
              ours - reference < 50 ? "kept" : "MISSED");
  if (gSceneMade) scene().tearDown();
  benchmark::Shutdown();
  return 0;
}
