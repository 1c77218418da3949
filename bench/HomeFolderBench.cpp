// Reaching a folder of the home as the file cache does before each read or write: opened from
// the home's own folder one folder at a time without following a link (FolderHandle::openExisting
// of Library/Caches/FileCaches/images/file), beside the raw single open(2) of its path, with
// interleaved repetitions; prints opens per second of both and the ratio ours / raw (above 1
// means ours is faster). Also a launch's start of the log and the engine over a home that
// already holds a reader's files (a returning reader), as its time per start.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/Paths.h"

#include "RatioReporter.h"

namespace {

struct Fixture {
  std::filesystem::path home;
  std::filesystem::path files;

  Fixture() {
    char pattern[] = "/tmp/zu-home-bench-XXXXXX";
    home = mkdtemp(pattern);
    zu::Paths::setHomeForTesting(home);
    files = home / "Library" / "Caches" / "FileCaches" / "images" / "file";
    std::filesystem::create_directories(files);
    // A first launch leaves the reader's files in place.
    zu::VESKLogInit();
    zu::DataEngine::initGlobalInstance();
    zu::DataEngine::uninitGlobalInstance();
    zu::VESKLogUninit();
  }
  ~Fixture() {
    zu::Paths::resetHomeForTesting();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_WalkedFolder(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    auto folder = zu::FolderHandle::openExisting(f.files);
    benchmark::DoNotOptimize(folder);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WalkedFolder)->Repetitions(9)->MinTime(0.2);

void BM_RawFolder(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    const int fd = ::open(f.files.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    benchmark::DoNotOptimize(fd);
    ::close(fd);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawFolder)->Repetitions(9)->MinTime(0.2);

void BM_EngineStart(benchmark::State& state) {
  fixture();
  for (auto _ : state) {
    zu::VESKLogInit();
    zu::DataEngine::initGlobalInstance();
    zu::DataEngine::uninitGlobalInstance();
    zu::VESKLogUninit();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EngineStart)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  fixture();
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double walked = reporter.rate("BM_WalkedFolder");
  const double raw = reporter.rate("BM_RawFolder");
  if (walked > 0 && raw > 0) {
    std::printf("folder 5 deep: walked from the home %.0f opens/s, raw open(2) %.0f opens/s, "
                "ratio ours/raw %.2f (%.1f us more per open)\n",
                walked, raw, walked / raw, (1e6 / walked) - (1e6 / raw));
  }
  std::printf("engine start (log, stores, caches, defaults): %.2f ms\n",
              reporter.realTime("BM_EngineStart"));
  benchmark::Shutdown();
  return 0;
}
