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

#include "common/ServiceHosts.h"
#include "engine/cache/ColumnCache.h"
#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "platform/device/NetworkProbe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/Image.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "shell/home/ColumnGridCell.h"
#include "shell/home/CoverViewController.h"
#include "shell/home/MyColumnsController.h"
#include "shell/app/Observer.h"
#include "store/EntryPersistenter.h"
#include "testing/SettableNetworkProbe.h"
#include "testing/TempHome.h"
#include "views/GridView.h"

#include "RatioReporter.h"

namespace {

using namespace zu;

constexpr int kColumns = 66;

struct Scene {
  std::shared_ptr<DataEngine> engine;
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<MyColumnsController> home;
};

bool gSceneMade = false;

Scene& scene() {
  static TempHome home;
  static Scene s = [] {
    Scene out;
    // No network: the screen reads locally and starts no refresh; info requests fail at once.
    NetworkProbe::setShared(std::make_shared<SettableNetworkProbe>(SettableNetworkProbe::kOffline));
    ServiceHosts::setAllHosts(std::string("127.0.0.1:1"));
    DataEngine::initGlobalInstance();
    out.engine = gDataEngine();
    out.engine->setObserver(std::make_shared<Observer>());
    std::vector<std::shared_ptr<Entry>> columns;
    for (int i = 0; i < kColumns; ++i) {
      auto c = std::make_shared<Column>();
      c->setEntryId("col-" + std::to_string(i));
      c->setTitle("第" + std::to_string(i) + "个栏目的标题");
      auto link = std::make_shared<Link>();
      link->setHref("http://127.0.0.1/cover/" + std::to_string(i) + ".png");
      c->setCoverImageLink(link);
      auto picture = ui::Image::create(140, 120);
      for (int p = 0; p < 140 * 120; ++p) {
        picture->mutablePixels()[p] = 0xff000000u | static_cast<uint32_t>((i * 37 + p) & 0xffffff);
      }
      out.engine->getColumnCache()->saveCover(c->entryId(), link->href(), *picture->pngData());
      columns.push_back(c);
    }
    out.engine->getSubPersist()->insertEntries(columns);
    MyColumnsController::registerNib();
    ColumnGridCell::registerNibs();
    CoverViewController::registerNib();
    out.window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    out.home = std::make_shared<MyColumnsController>();
    ui::ViewController::installAsRoot(*out.window, out.home);
    out.window->makeKeyAndVisible();
    RunLoop::main()->runUntil([&] { return out.home->dataSource().size() == kColumns; }, 30);
    gSceneMade = true;
    return out;
  }();
  return s;
}

void BM_HomeGridLocalReadToFirstPage(benchmark::State& state) {
  Scene& s = scene();
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
  Scene& s = scene();
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
  if (gSceneMade) {
    Scene& s = scene();
    s.home.reset();
    s.window.reset();
    s.engine.reset();
    zu::DataEngine::uninitGlobalInstance();
  }
  benchmark::Shutdown();
  return 0;
}
