// HttpEngineBench: GETs of a 20 KB body from a loopback server through HttpEngine as every
// caller gets it (run loop, libcurl multi handle, response object, the response-cache look-up
// of a plain GET), with the cache switched off, and through UrlConnection alone, against raw
// libcurl sending the same request, in the same run against the same server:
//  - one after another: raw libcurl easy transfers on one reused handle;
//  - 200 at once: 200 engines on one run loop against one raw libcurl multi handle driving 200
//    reused easy handles.
// Prints requests per second of each and the ratios ours / reference (target >= 0.8). The
// headline ratios come from paired runs: every iteration does ours and then the reference and
// times each on this thread's CPU clock and on the wall clock, so a change of load on the
// machine (which swings separately measured rates by tens of percent) hits both alike.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/CommInfo.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpEngineUtils.h"
#include "engine/http/HttpResponse.h"
#include "platform/runtime/RunLoop.h"
#include "testing/LoopbackServer.h"
#include "testing/TempHome.h"

#include "RatioReporter.h"

namespace zu {

constexpr int kConcurrent = 200;

namespace {

constexpr size_t kBodySize = 20 * 1024;

LoopbackServer& server() {
  static LoopbackServer* s = [] {
    auto* srv = new LoopbackServer();
    // A plain GET answer that the response cache may not keep, so every request goes to the
    // wire while the engine still does its cache look-up.
    LoopbackServer::Response r =
        LoopbackServer::Response::text(200, std::string(kBodySize, 'b'), "application/atom+xml");
    r.headers.push_back({"Cache-Control", "no-store"});
    srv->setResponse("/feed", r);
    return srv;
  }();
  return *s;
}

struct Observer : HttpEngineObserver {
  int results = 0;
  int failures = 0;
  void onHttpEngineResult(HttpEngine*, int code,
                          const std::shared_ptr<HttpResponse>& response) override {
    ++results;
    if (code != 0 || !response || response->responseBody().size() != kBodySize) ++failures;
  }
};

// One engine on this thread's run loop; `cache`: with the response-cache look-up every plain
// GET makes (the default), or without it (the engine and transport alone, as for the tasks
// that switch the cache off).
class EngineGets {
 public:
  EngineGets(std::string url, bool cache) : url_(std::move(url)), cache_(cache) {
    engine_.setObserver(&observer_);
  }
  void get() {
    int before = observer_.results;
    engine_.setCacheEnabled(cache_);
    engine_.get(url_);
    loop_->runUntil([&] { return observer_.results > before; }, 10);
  }
  int failures() const { return observer_.failures; }

 private:
  std::string url_;
  bool cache_;
  std::shared_ptr<RunLoop> loop_ = RunLoop::current();
  HttpEngine engine_;
  Observer observer_;
};

void BM_HttpEngineGet(benchmark::State& state) {
  EngineGets ours(server().url("/feed"), state.range(0) != 0);
  for (auto _ : state) ours.get();
  if (ours.failures()) state.SkipWithError("an exchange failed");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HttpEngineGet)
    ->ArgName("cache")
    ->Arg(1)
    ->Arg(0)
    ->Repetitions(15)->MinTime(0.2)
    ->Unit(benchmark::kMicrosecond);

// The transport alone: UrlConnection on the run loop, collecting the body.
struct ConnDelegate : UrlConnectionDelegate {
  int done = 0;
  int failures = 0;
  std::vector<uint8_t> body;
  void connectionDidReceiveResponse(UrlConnection&,
                                    const std::shared_ptr<const UrlResponse>&) override {}
  void connectionDidReceiveData(UrlConnection&, const uint8_t* d, size_t n) override {
    body.insert(body.end(), d, d + n);
  }
  void connectionDidFinishLoading(UrlConnection&) override {
    ++done;
    if (body.size() != kBodySize) ++failures;
  }
  void connectionDidFailWithError(UrlConnection&, const UrlError&) override {
    ++done;
    ++failures;
  }
};

void BM_UrlConnectionGet(benchmark::State& state) {
  const std::string url = server().url("/feed");
  auto loop = RunLoop::current();
  ConnDelegate d;
  for (auto _ : state) {
    int before = d.done;
    d.body.clear();
    auto c = UrlConnection::start(UrlRequest(url), &d);
    loop->runUntil([&] { return d.done > before; }, 10);
  }
  if (d.failures) state.SkipWithError("a transfer failed");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UrlConnectionGet)->Repetitions(15)->MinTime(0.2)->Unit(benchmark::kMicrosecond);

size_t collect(char* data, size_t size, size_t n, void* out) {
  static_cast<std::string*>(out)->append(data, size * n);
  return size * n;
}

// The reference: libcurl easy transfers on one reused handle. `sameRequest` sends the request
// the engine sends (its "X-User-Agent" and gzip/deflate negotiation with transparent
// decoding), otherwise a bare GET with libcurl's defaults.
class RawEasy {
 public:
  RawEasy(const std::string& url, bool sameRequest) : easy_(curl_easy_init()) {
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &body_);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    if (sameRequest) {
      std::string agent = "X-User-Agent: " + HttpEngineUtils::getXUserAgent();
      headers_ = curl_slist_append(headers_, agent.c_str());
      curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
      curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    }
  }
  ~RawEasy() {
    curl_easy_cleanup(easy_);
    curl_slist_free_all(headers_);
  }
  // One GET; false when it failed.
  bool get() {
    body_.clear();
    return curl_easy_perform(easy_) == CURLE_OK && body_.size() == kBodySize;
  }

 private:
  CURL* easy_;
  curl_slist* headers_ = nullptr;
  std::string body_;
};

void BM_RawCurlEasyGet(benchmark::State& state) {
  RawEasy raw(server().url("/feed"), state.range(0) != 0);
  int failures = 0;
  for (auto _ : state) failures += !raw.get();
  if (failures) state.SkipWithError("a transfer failed");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawCurlEasyGet)
    ->ArgName("same_request")
    ->Arg(1)
    ->Arg(0)
    ->Repetitions(15)
    ->MinTime(0.2)
    ->Unit(benchmark::kMicrosecond);


// 200 engines start a GET each and the run loop turns until all have answered: one round.
class EngineRounds {
 public:
  EngineRounds(std::string url, bool cache) : url_(std::move(url)), cache_(cache) {
    for (int i = 0; i < kConcurrent; ++i) {
      engines_.push_back(std::make_unique<HttpEngine>());
      engines_.back()->setObserver(&observer_);
    }
  }
  void round() {
    int before = observer_.results;
    for (auto& engine : engines_) {
      engine->setCacheEnabled(cache_);
      engine->get(url_);
    }
    loop_->runUntil([&] { return observer_.results >= before + kConcurrent; }, 30);
  }
  int failures() const { return observer_.failures; }

 private:
  std::string url_;
  bool cache_;
  std::shared_ptr<RunLoop> loop_ = RunLoop::current();
  std::vector<std::unique_ptr<HttpEngine>> engines_;
  Observer observer_;
};

void BM_HttpEngineGetConcurrent(benchmark::State& state) {
  EngineRounds ours(server().url("/feed"), state.range(0) != 0);
  for (auto _ : state) ours.round();
  if (ours.failures()) state.SkipWithError("an exchange failed");
  state.SetItemsProcessed(state.iterations() * kConcurrent);
}
BENCHMARK(BM_HttpEngineGetConcurrent)
    ->ArgName("cache")
    ->Arg(1)
    ->Arg(0)
    ->Repetitions(15)
    ->MinTime(0.3)
    ->Unit(benchmark::kMillisecond);

// The reference: one libcurl multi handle with 200 easy handles sending the engine's request,
// reused round after round (so their connections are too), driven by curl_multi_poll. With
// `maxConnections` the multi handle keeps that many idle connections, as the engine's does;
// without, libcurl's default (four per transfer in the handle, so connections close as a round
// drains).
class RawMulti {
 public:
  explicit RawMulti(const std::string& url, long maxConnections = 0)
      : multi_(curl_multi_init()), bodies_(kConcurrent) {
    if (maxConnections > 0) curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, maxConnections);
    std::string agent = "X-User-Agent: " + HttpEngineUtils::getXUserAgent();
    headers_ = curl_slist_append(nullptr, agent.c_str());
    for (int i = 0; i < kConcurrent; ++i) {
      CURL* easy = curl_easy_init();
      curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bodies_[static_cast<size_t>(i)]);
      curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
      curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers_);
      curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
      easies_.push_back(easy);
    }
  }
  ~RawMulti() {
    for (CURL* easy : easies_) curl_easy_cleanup(easy);
    curl_multi_cleanup(multi_);
    curl_slist_free_all(headers_);
  }
  // One round of 200 GETs; the number that failed.
  int round() {
    for (size_t i = 0; i < easies_.size(); ++i) {
      bodies_[i].clear();
      curl_multi_add_handle(multi_, easies_[i]);
    }
    int failures = 0;
    int running = kConcurrent;
    int done = 0;
    while (done < kConcurrent) {
      curl_multi_perform(multi_, &running);
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
        if (msg->msg != CURLMSG_DONE) continue;
        if (msg->data.result != CURLE_OK) ++failures;
        curl_multi_remove_handle(multi_, msg->easy_handle);
        ++done;
      }
      if (done < kConcurrent) curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
    }
    for (const auto& body : bodies_) failures += body.size() != kBodySize;
    return failures;
  }

 private:
  CURLM* multi_;
  curl_slist* headers_ = nullptr;
  std::vector<CURL*> easies_;
  std::vector<std::string> bodies_;
};

void BM_RawCurlMultiGetConcurrent(benchmark::State& state) {
  RawMulti raw(server().url("/feed"));
  int failures = 0;
  for (auto _ : state) failures += raw.round();
  if (failures) state.SkipWithError("a transfer failed");
  state.SetItemsProcessed(state.iterations() * kConcurrent);
}
BENCHMARK(BM_RawCurlMultiGetConcurrent)
    ->Repetitions(15)
    ->MinTime(0.3)
    ->Unit(benchmark::kMillisecond);

// Seconds on this thread's CPU clock and on the wall clock.
struct Clocks {
  double cpu;
  double wall;
  static Clocks now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    double wall = std::chrono::duration<double>(
                      std::chrono::steady_clock::now().time_since_epoch()).count();
    return {double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9, wall};
  }
};

// Times `ours` and then `reference` in every iteration and reports reference time / our time
// (above 1: ours is faster) on both clocks.
template <typename Ours, typename Reference>
void runPaired(benchmark::State& state, Ours&& ours, Reference&& reference) {
  double oursCpu = 0, oursWall = 0, refCpu = 0, refWall = 0;
  for (auto _ : state) {
    Clocks a = Clocks::now();
    ours();
    Clocks b = Clocks::now();
    reference();
    Clocks c = Clocks::now();
    oursCpu += b.cpu - a.cpu;
    oursWall += b.wall - a.wall;
    refCpu += c.cpu - b.cpu;
    refWall += c.wall - b.wall;
  }
  state.counters["ratio_cpu"] = oursCpu > 0 ? refCpu / oursCpu : 0;
  state.counters["ratio_wall"] = oursWall > 0 ? refWall / oursWall : 0;
}

// The default GET (response cache on) one at a time, paired with raw libcurl's same request.
void BM_PairedDefaultGet(benchmark::State& state) {
  EngineGets ours(server().url("/feed"), true);
  RawEasy raw(server().url("/feed"), true);
  int failures = 0;
  runPaired(state, [&] { ours.get(); }, [&] { failures += !raw.get(); });
  if (failures || ours.failures()) state.SkipWithError("an exchange failed");
}
BENCHMARK(BM_PairedDefaultGet)->Repetitions(15)->MinTime(0.3)->Unit(benchmark::kMicrosecond);

// The default GET, 200 at once, paired with raw libcurl multi rounds: against libcurl's
// default idle-connection cache (raw_cache:0, the headline) and against raw libcurl keeping as
// many idle connections as the engine's multi handle does (raw_cache:256), so only the work per
// exchange is compared.
void BM_PairedDefaultGetConcurrent(benchmark::State& state) {
  EngineRounds ours(server().url("/feed"), true);
  RawMulti raw(server().url("/feed"), static_cast<long>(state.range(0)));
  int failures = 0;
  runPaired(state, [&] { ours.round(); }, [&] { failures += raw.round(); });
  if (failures || ours.failures()) state.SkipWithError("an exchange failed");
}
BENCHMARK(BM_PairedDefaultGetConcurrent)
    ->ArgName("raw_cache")
    ->Arg(0)
    ->Arg(256)
    ->Repetitions(15)
    ->MinTime(0.5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zu

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  zu::TempHome home;
  zu::FileCacheManager::initGlobalInstance();
  zu::CommInfo::setUsername("bench");
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double cached = reporter.rate("BM_HttpEngineGet/cache:1");
  const double uncached = reporter.rate("BM_HttpEngineGet/cache:0");
  const double transport = reporter.rate("BM_UrlConnectionGet");
  const double reference = reporter.rate("BM_RawCurlEasyGet/same_request:1");
  const double bare = reporter.rate("BM_RawCurlEasyGet/same_request:0");
  const double together = reporter.rate("BM_HttpEngineGetConcurrent/cache:1");
  const double togetherUncached = reporter.rate("BM_HttpEngineGetConcurrent/cache:0");
  const double togetherReference = reporter.rate("BM_RawCurlMultiGetConcurrent");
  // Rates are per CPU second of the calling thread; the wall-time ratios include the waits on
  // the wire, which a caller also sees.
  auto wall = [&](const char* ours, const char* ref) {
    const double o = reporter.realTime(ours), r = reporter.realTime(ref);
    return o > 0 ? r / o : 0.0;
  };
  if (reference > 0 && bare > 0 && togetherReference > 0) {
    // The headline: a plain GET with the response cache on, what every caller gets, measured
    // paired with the reference.
    std::printf("HttpEngine GET (default: response cache on) / raw libcurl, paired: one at a "
                "time %.2f by CPU, %.2f by wall time; %d at once %.2f by CPU, %.2f by wall time "
                "(target >= 0.80)\n",
                reporter.counter("BM_PairedDefaultGet", "ratio_cpu"),
                reporter.counter("BM_PairedDefaultGet", "ratio_wall"), zu::kConcurrent,
                reporter.counter("BM_PairedDefaultGetConcurrent/raw_cache:0", "ratio_cpu"),
                reporter.counter("BM_PairedDefaultGetConcurrent/raw_cache:0", "ratio_wall"));
    std::printf("  %d at once against raw libcurl keeping as many idle connections: %.2f by CPU, "
                "%.2f by wall time\n",
                zu::kConcurrent,
                reporter.counter("BM_PairedDefaultGetConcurrent/raw_cache:256", "ratio_cpu"),
                reporter.counter("BM_PairedDefaultGetConcurrent/raw_cache:256", "ratio_wall"));
    std::printf("  measured apart: one at a time %.0f requests/s, raw libcurl %.0f, ratio %.2f "
                "(wall %.2f); %d at once %.0f, raw libcurl multi %.0f, ratio %.2f (wall %.2f)\n",
                cached, reference, cached / reference,
                wall("BM_HttpEngineGet/cache:1", "BM_RawCurlEasyGet/same_request:1"),
                zu::kConcurrent, together, togetherReference, together / togetherReference,
                wall("BM_HttpEngineGetConcurrent/cache:1", "BM_RawCurlMultiGetConcurrent"));
    std::printf("  cache switched off: one at a time ratio %.2f, %d at once ratio %.2f\n",
                uncached / reference, zu::kConcurrent, togetherUncached / togetherReference);
    std::printf("  UrlConnection alone: %.0f requests/s, ratio to a bare libcurl GET (%.0f) %.2f\n",
                transport, bare, transport / bare);
  }
  zu::FileCacheManager::uninitGlobalInstance();
  benchmark::Shutdown();
  return 0;
}
