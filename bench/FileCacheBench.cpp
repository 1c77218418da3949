// File cache look-ups as a caller makes them: FileCache::loadEnhanced (key to uid, indexed row
// read, reading the 2 KB body, access recording with its batched write) beside the raw
// primitives it is built on (MD5 of the key, the same indexed SELECT through plain sqlite3,
// reading the file) over the same 10,000 items and the same key sequence,
// half of the keys present and half absent, with interleaved repetitions. Prints look-ups per
// second of both and the ratio ours / raw (above 1 means ours is faster).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/cache/FileCache.h"
#include "platform/crypto/Md5.h"

#include "RatioReporter.h"

namespace {

constexpr int kItems = 10000;

struct Fixture {
  std::filesystem::path root;
  std::shared_ptr<zu::FileCache> cache;
  std::vector<std::string> keys;  // alternately present and absent

  Fixture() {
    char pattern[] = "/tmp/zu-filecache-bench-XXXXXX";
    root = mkdtemp(pattern);
    cache = zu::FileCache::create("HttpCache", root.string());
    zu::Bytes body(2048, 'x');
    for (int i = 0; i < kItems; ++i) {
      std::string key = "http://svc.example/feed/" + std::to_string(i) + "?page=1";
      cache->saveEnhanced(key, body, 0, 1700000000 + i, 1690000000, std::string("\"etag\""),
                          std::nullopt);
      keys.push_back(key);
      keys.push_back("http://svc.example/other/" + std::to_string(i));
    }
    cache->flush();
  }
  ~Fixture() {
    cache.reset();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_FileCacheLookup(benchmark::State& state) {
  Fixture& f = fixture();
  size_t i = 0;
  int64_t hits = 0;
  for (auto _ : state) {
    int64_t n1 = 0, n2 = 0;
    std::string t1;
    zu::Bytes body;
    int rc = f.cache->loadEnhanced(f.keys[i], &body, &n1, &n2, &t1, nullptr);
    hits += rc == 0;
    benchmark::DoNotOptimize(n1);
    benchmark::DoNotOptimize(body.data());
    if (++i == f.keys.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["hit_rate"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FileCacheLookup)->Repetitions(9)->MinTime(0.3);

// The whole file, as the cache reads it: one open, fstat and read into a buffer of its size.
bool readFile(const std::string& path, int64_t size, zu::Bytes* out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && st.st_size == size;
  if (ok) {
    out->resize(static_cast<size_t>(size));
    ok = ::read(fd, out->data(), out->size()) == static_cast<ssize_t>(size);
  }
  ::close(fd);
  return ok;
}

void BM_RawMd5SelectStat(benchmark::State& state) {
  Fixture& f = fixture();
  sqlite3* db = nullptr;
  sqlite3_open_v2((f.root / "HttpCache" / "index.db").c_str(), &db, SQLITE_OPEN_READWRITE,
                  nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "select size, noAutoClean, extraNum1, extraNum2, extraText1, extraText2 "
                     "from tb_index where uid=?;",
                     -1, &stmt, nullptr);
  const std::string dir = (f.root / "HttpCache" / "file").string() + "/";
  size_t i = 0;
  int64_t hits = 0;
  for (auto _ : state) {
    std::string uid = zu::crypto::Md5::hexUpper(f.keys[i]);
    sqlite3_bind_text(stmt, 1, uid.data(), static_cast<int>(uid.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(stmt) == SQLITE_ROW) {
      int64_t size = sqlite3_column_int64(stmt, 0);
      int64_t n1 = sqlite3_column_int64(stmt, 2);
      std::string t1(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4)));
      zu::Bytes body;
      hits += readFile(dir + uid, size, &body);
      benchmark::DoNotOptimize(n1);
      benchmark::DoNotOptimize(body.data());
    }
    sqlite3_reset(stmt);
    if (++i == f.keys.size()) i = 0;
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations());
  state.counters["hit_rate"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RawMd5SelectStat)->Repetitions(9)->MinTime(0.3);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  std::printf("items: %d, keys: %zu (50%% present)\n", kItems, fixture().keys.size());
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_FileCacheLookup");
  const double raw = reporter.rate("BM_RawMd5SelectStat");
  if (ours > 0 && raw > 0) {
    std::printf("FileCache %.0f lookups/s, raw MD5+SELECT+read %.0f lookups/s, ratio ours/raw %.2f\n",
                ours, raw, ours / raw);
  }
  benchmark::Shutdown();
  return 0;
}
