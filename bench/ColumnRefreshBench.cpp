// ColumnRefreshBench: the reader's column refresh as the home screen pays for it. 100 subscribed
// columns ("col-gen-1" .. "col-gen-100" of the sample service: 5,050 articles in all) are
// refreshed through the data engine's batch task against the sample service on 127.0.0.1 (and
// once 1,000 columns of 20 articles, "disk_1000", on disk):
//
//   first:   the first refresh of a fresh home (every column changed, every list downloaded);
//   second:  the same refresh again at once (nothing changed; every list answer is a 304);
//   restart: the engine stopped, the response cache's copies dropped (as its 30 MiB limit drops
//            them once the lists outgrow it) and the engine started again over the same home,
//            then a third refresh (nothing changed; the lists should still be asked
//            conditionally).
//
// The same run is made with the home on a real disk folder (under the system's temporary
// folder, or $ZU_BENCH_DISK_DIR) and on tmpfs (/dev/shm): the disk run is ours, the tmpfs run the
// reference, so the ratio is what durability costs on top of the same work. Counters: the
// milliseconds of each refresh (and after it, until the column cache's and the response cache's
// writer threads have written what they were given), the fsync/fdatasync calls made during each
// (counted by the shim below, which stands in front of the C library's for SQLite and our own
// file code), and the article lists asked without validators in the second and restart
// refreshes.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "SampleService.h"
#include "common/Log.h"
#include "common/ServiceHosts.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/Task.h"
#include "engine/cache/ColumnCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/http/HttpDataEngine.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/UserDefaults.h"
#include "store/EntryPersistenter.h"

#include "RatioReporter.h"

namespace {
std::atomic<long> gSyncCalls{0};

template <typename Fn>
Fn realFunction(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
}  // namespace

// Counting shims: SQLite (a shared library) and the engine's file code reach these first.
extern "C" int fsync(int fd) {
  static auto real = realFunction<int (*)(int)>("fsync");
  gSyncCalls.fetch_add(1, std::memory_order_relaxed);
  return real(fd);
}
extern "C" int fdatasync(int fd) {
  static auto real = realFunction<int (*)(int)>("fdatasync");
  gSyncCalls.fetch_add(1, std::memory_order_relaxed);
  return real(fd);
}

namespace zu {
namespace {

constexpr int kColumns = 100;

// Hands task finishes to the main loop; ignores the rest.
class RefreshObserver : public DataEngineObserver {
 public:
  void onTaskFinish(const std::shared_ptr<Task>& task, int errCode,
                    const std::optional<std::string>&) override {
    RunLoop::main()->post([this, id = task->getTaskId(), errCode] {
      lastId = id;
      lastCode = errCode;
    });
  }
  void onFeedResult(const std::shared_ptr<Task>&, const std::shared_ptr<Feed>&) override {}
  void onEntryResult(const std::shared_ptr<Task>&, const std::shared_ptr<Entry>&) override {}
  void onUserInfoResult(const std::shared_ptr<Task>&, const std::shared_ptr<UserInfo>&) override {}
  void onStringResult(const std::shared_ptr<Task>&, const std::optional<std::string>&) override {}
  void onAdsResult(const std::shared_ptr<Task>&, const std::shared_ptr<Ads>&) override {}
  void onImageDownloadResult(const std::shared_ptr<Task>&, const std::string&, int,
                             const std::optional<std::string>&,
                             const std::optional<std::string>&) override {}
  void columnWillUpdate(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&) override {}
  void columnDidUpdated(const std::shared_ptr<Task>&, const std::shared_ptr<Column>&,
                        bool changed) override {
    if (changed) ++changedColumns;
  }
  void columnBackGroundUpdated(const std::shared_ptr<Column>&) override {}

  int lastId = 0;  // main thread only
  int lastCode = -1;
  std::atomic<int> changedColumns{0};
};

const std::shared_ptr<RefreshObserver>& observer() {
  static auto* o = new std::shared_ptr<RefreshObserver>(std::make_shared<RefreshObserver>());
  return *o;
}

SampleService& service() {
  static auto* s = new SampleService();
  return *s;
}

bool runTask(const std::shared_ptr<Task>& task) {
  const int id = task->getTaskId();
  gDataEngine()->asyncRunTask(task);
  if (!RunLoop::main()->runUntil([&] { return observer()->lastId == id; }, 120)) return false;
  return observer()->lastCode == 0;
}

void startEngine() {
  DataEngine::initGlobalInstance();
  gDataEngine()->setObserver(observer());
  // The service URL table comes with the catalogue, as at the home screen's start.
  runTask(gDataEngine()->createGetServerColumnsTask(nullptr));
}

// "col-gen-<n>" for n = 1 .. 100 (n articles each), or 1,000 copies "col-gen-20-<k>" of 20.
std::vector<std::shared_ptr<Column>> subscribe(int columnCount) {
  std::vector<std::shared_ptr<Column>> columns;
  auto store = gDataEngine()->getSubPersist();
  for (int n = 1; n <= columnCount; ++n) {
    const std::string suffix =
        columnCount == kColumns ? std::to_string(n) : "20-" + std::to_string(n);
    auto column = std::make_shared<Column>();
    column->setEntryId("col-gen-" + suffix);
    column->setTitle("Generated column of " + suffix);
    auto link = std::make_shared<Link>();
    link->setRel(std::string("alternate"));
    link->setType(std::string("application/atom+xml"));
    link->setHref(service().baseUrl() + "/col/gen-" + suffix + ".atom");
    column->setAlternatelink(link);
    store->insertEntry(column);
    columns.push_back(column);
  }
  return columns;
}

struct Pass {
  double ms = 0;
  double drainMs = 0;  // after the refresh ended, until the caches' writer threads are done
  long syncs = 0;
  int unconditionalLists = 0;
  int changed = 0;
};

Pass refresh(const std::vector<std::shared_ptr<Column>>& columns, bool* ok) {
  service().clearRequests();
  observer()->changedColumns = 0;
  const long syncsBefore = gSyncCalls.load();
  const auto start = std::chrono::steady_clock::now();
  *ok = runTask(gDataEngine()->createUpdateColumnBatchTask(columns)) && *ok;
  Pass pass;
  const auto end = std::chrono::steady_clock::now();
  pass.ms = std::chrono::duration<double, std::milli>(end - start).count();
  gDataEngine()->getColumnCache()->flush();
  if (const auto& responses = HttpDataEngine::sharedInstance()->responseCache()) responses->flush();
  pass.drainMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - end).count();
  pass.syncs = gSyncCalls.load() - syncsBefore;
  pass.changed = observer()->changedColumns;
  for (const auto& request : service().requests()) {
    if (request.path.rfind("/col/gen-", 0) == 0 && !request.headers.count("if-none-match")) {
      ++pass.unconditionalLists;
    }
  }
  return pass;
}

std::filesystem::path makeHome(const std::filesystem::path& parent) {
  std::string pattern = (parent / "zu_refresh_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  Paths::setHomeForTesting(pattern);
  UserDefaults::resetStandardForTesting();
  return pattern;
}

std::filesystem::path diskParent() {
  const char* dir = std::getenv("ZU_BENCH_DISK_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
}

void BM_ColumnRefresh(benchmark::State& state, bool onDisk, int columnCount) {
  Pass first, second, restart;
  bool ok = true;
  for (auto _ : state) {
    const auto home = makeHome(onDisk ? diskParent() : std::filesystem::path("/dev/shm"));
    if (home.empty()) {
      state.SkipWithError("no home folder");
      return;
    }
    startEngine();
    auto columns = subscribe(columnCount);
    first = refresh(columns, &ok);
    second = refresh(columns, &ok);
    DataEngine::uninitGlobalInstance();
    std::error_code dropped;
    std::filesystem::remove_all(Paths::caches() / FileCacheManager::kRootFolderName /
                                    HttpDataEngine::kResponseCacheName,
                                dropped);
    startEngine();
    restart = refresh(columns, &ok);
    DataEngine::uninitGlobalInstance();
    state.SetIterationTime((first.ms + second.ms) / 1000);
    Paths::resetHomeForTesting();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    if (!ok) {
      state.SkipWithError("a refresh failed");
      return;
    }
  }
  state.counters["first_ms"] = first.ms;
  state.counters["second_ms"] = second.ms;
  state.counters["restart_ms"] = restart.ms;
  state.counters["first_drain_ms"] = first.drainMs;
  state.counters["second_drain_ms"] = second.drainMs;
  state.counters["first_syncs"] = static_cast<double>(first.syncs);
  state.counters["second_syncs"] = static_cast<double>(second.syncs);
  state.counters["restart_syncs"] = static_cast<double>(restart.syncs);
  state.counters["first_changed"] = first.changed;
  state.counters["second_changed"] = second.changed;
  state.counters["second_full_lists"] = second.unconditionalLists;
  state.counters["restart_full_lists"] = restart.unconditionalLists;
}
BENCHMARK_CAPTURE(BM_ColumnRefresh, disk, true, kColumns)
    ->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ColumnRefresh, tmpfs, false, kColumns)
    ->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
// A large home, once: whether a restart still asks every unchanged list conditionally.
BENCHMARK_CAPTURE(BM_ColumnRefresh, disk_1000, true, 1000)
    ->Iterations(1)->Repetitions(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void printPass(const RatioReporter& r, const char* name) {
  const std::string b = std::string("BM_ColumnRefresh/") + name;
  std::printf(
      "%-5s first %.0f ms (+%.0f ms until the caches' writes were done; %.0f syncs, %.0f "
      "changed), second %.0f ms (+%.0f ms; %.0f syncs, %.0f lists without validators), restart "
      "%.0f ms (%.0f syncs, %.0f lists without validators); second / first %.2f\n",
      name, r.counter(b, "first_ms"), r.counter(b, "first_drain_ms"), r.counter(b, "first_syncs"),
      r.counter(b, "first_changed"), r.counter(b, "second_ms"), r.counter(b, "second_drain_ms"),
      r.counter(b, "second_syncs"), r.counter(b, "second_full_lists"),
      r.counter(b, "restart_ms"), r.counter(b, "restart_syncs"),
      r.counter(b, "restart_full_lists"), r.counter(b, "second_ms") / r.counter(b, "first_ms"));
}

}  // namespace
}  // namespace zu

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  // The bundle's version file the engine reads at start, in a folder of its own.
  std::string bundle = (std::filesystem::temp_directory_path() / "zu_refresh_bundle_XXXXXX").string();
  if (::mkdtemp(bundle.data()) == nullptr) return 1;
  std::ofstream(bundle + "/Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleVersion</key><string>2.0.0</string></dict></plist>\n";
  zu::Bundle::setMainBundleForTesting(bundle);
  if (!zu::service().start()) {
    std::fprintf(stderr, "the sample service could not start\n");
    return 1;
  }
  zu::ServiceHosts::setAllHosts(zu::service().host());
  zu::VESKLogInit();
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  zu::printPass(reporter, "disk");
  zu::printPass(reporter, "tmpfs");
  zu::printPass(reporter, "disk_1000");
  const double disk = reporter.realTime("BM_ColumnRefresh/disk");
  const double tmpfs = reporter.realTime("BM_ColumnRefresh/tmpfs");
  if (disk > 0 && tmpfs > 0) {
    std::printf("first + second refresh: disk %.0f ms, tmpfs %.0f ms, ratio disk / tmpfs %.2f\n",
                disk, tmpfs, disk / tmpfs);
  }
  zu::VESKLogUninit();
  zu::service().stop();
  std::error_code ignored;
  std::filesystem::remove_all(bundle, ignored);
  benchmark::Shutdown();
  return 0;
}
