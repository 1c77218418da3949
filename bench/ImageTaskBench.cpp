// ImageTaskBench: a batch of 32 images that the response cache already holds, settled by the
// screens' image download task (the "task" thread, the inner task's cache look-up per image,
// an image result per URL to a specific observer, the finish back on the main run loop),
// against the bare cache look-ups of the same URLs on the benchmark thread. Prints images per
// second of each and the ratio ours / reference: what the task machinery costs on top of the
// look-ups that the work needs anyway. Repetitions run interleaved; medians are compared.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/Task.h"
#include "engine/http/HttpEngine.h"
#include "platform/runtime/RunLoop.h"
#include "testing/LoopbackServer.h"
#include "testing/TempHome.h"

#include "RatioReporter.h"

namespace zu {
namespace {

constexpr int kImages = 32;

// Counts image results and hands the finish to the main loop.
class BatchObserver : public DataEngineObserver {
 public:
  void onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                    const std::optional<std::string>&) override {
    RunLoop::main()->post([this, id = task->getTaskId(), errCode] {
      lastId = id;
      lastCode = errCode;
    });
  }
  void onImageDownloadResult(const std::shared_ptr<Task>&, const std::string&, int errCode,
                             const std::optional<std::string>&,
                             const std::optional<std::string>&) override {
    if (errCode == 0) ++images;
  }
  void onFeedResult(const std::shared_ptr<Task>&, const std::shared_ptr<Feed>&) override {}
  void onEntryResult(const std::shared_ptr<Task>&, const std::shared_ptr<Entry>&) override {}
  void onUserInfoResult(const std::shared_ptr<Task>&, const std::shared_ptr<UserInfo>&) override {}
  void onStringResult(const std::shared_ptr<Task>&, const std::optional<std::string>&) override {}
  void onAdsResult(const std::shared_ptr<Task>&, const std::shared_ptr<Ads>&) override {}
  void columnWillUpdate(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&) override {}
  void columnDidUpdated(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&,
                        bool) override {}
  void columnBackGroundUpdated(const std::shared_ptr<Column>&) override {}

  int lastId = 0;    // main thread only
  int lastCode = -1;
  std::atomic<int> images{0};
};

std::vector<std::string>& imageUrls() {
  static std::vector<std::string> urls;
  return urls;
}

// The facade's observer for the whole run (made once, never destroyed).
const std::shared_ptr<BatchObserver>& observerPtr() {
  static auto* o = new std::shared_ptr<BatchObserver>(std::make_shared<BatchObserver>());
  return *o;
}
BatchObserver& observer() { return *observerPtr(); }

// Runs one batch task over the URLs and turns the main loop until its finish arrived; false
// when it did not arrive or not every image was settled with 0.
bool runBatch() {
  auto engine = gDataEngine();
  auto task = engine->createDownloadImageBatchTask(imageUrls());
  const int id = task->getTaskId();
  const int before = observer().images;
  engine->asyncRunTask(task);
  task.reset();
  if (!RunLoop::main()->runUntil([&] { return observer().lastId == id; }, 30)) return false;
  return observer().lastCode == 0 && observer().images - before == kImages;
}

void BM_ImageTaskCachedBatch(benchmark::State& state) {
  for (auto _ : state) {
    if (!runBatch()) {
      state.SkipWithError("batch not settled");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kImages);
}
BENCHMARK(BM_ImageTaskCachedBatch)->Repetitions(9)->MinTime(0.2)->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void BM_BareCacheLookups(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& url : imageUrls()) {
      auto path = HttpEngine::localFilePathIfExistsForUrl(url);
      if (!path) {
        state.SkipWithError("image not cached");
        return;
      }
      benchmark::DoNotOptimize(path);
    }
  }
  state.SetItemsProcessed(state.iterations() * kImages);
}
BENCHMARK(BM_BareCacheLookups)->Repetitions(9)->MinTime(0.2)->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
}  // namespace zu

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::TempHome home;
  zu::LoopbackServer server;
  for (int i = 0; i < zu::kImages; ++i) {
    const std::string path = "/img/" + std::to_string(i) + ".png";
    server.setResponse(path, zu::LoopbackServer::Response::text(200, std::string(4096, 'p'),
                                                                 "image/png"));
    zu::imageUrls().push_back(server.url(path));
  }
  zu::DataEngine::initGlobalInstance();
  zu::gDataEngine()->setObserver(zu::observerPtr());
  // The first batch downloads every image into the response cache.
  if (!zu::runBatch()) {
    std::fprintf(stderr, "the images could not be downloaded\n");
    return 1;
  }
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_ImageTaskCachedBatch");
  const double reference = reporter.rate("BM_BareCacheLookups");
  if (ours > 0 && reference > 0) {
    std::printf("bare cache look-ups: %.0f images/s\n", reference);
    std::printf("image download task over cached images: %.0f images/s, ratio %.2f\n", ours,
                ours / reference);
  }
  zu::DataEngine::uninitGlobalInstance();
  benchmark::Shutdown();
  return 0;
}
