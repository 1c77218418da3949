// HttpEngineBench: GETs of a 20 KB body from a loopback server through HttpEngine as every
// caller gets it (run loop, libcurl multi handle, response object, the response-cache look-up
// of a plain GET), with the cache switched off, and through UrlConnection alone, against raw
// libcurl sending the same request, in the same run against the same server:
//  - one after another: raw libcurl easy transfers on one reused handle;
//  - 200 at once: 200 engines on one run loop against one raw libcurl multi handle driving 200
//    reused easy handles.
// Prints requests per second of each and the ratios ours / reference (target >= 0.8).
#include <benchmark/benchmark.h>
#include <curl/curl.h>

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

// state.range(0): 1 with the response-cache look-up every plain GET makes, 0 without (the
// engine and transport alone, as for the tasks that switch the cache off).
void BM_HttpEngineGet(benchmark::State& state) {
  const std::string url = server().url("/feed");
  const bool cache = state.range(0) != 0;
  auto loop = RunLoop::current();
  HttpEngine engine;
  Observer observer;
  engine.setObserver(&observer);
  for (auto _ : state) {
    int before = observer.results;
    engine.setCacheEnabled(cache);
    engine.get(url);
    loop->runUntil([&] { return observer.results > before; }, 10);
  }
  if (observer.failures) state.SkipWithError("an exchange failed");
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

// The reference: libcurl easy transfers on one reused handle. state.range(0): 1 sends the same
// request the engine sends (its "X-User-Agent" and gzip/deflate negotiation with transparent
// decoding), 0 a bare GET with libcurl's defaults.
void BM_RawCurlEasyGet(benchmark::State& state) {
  const std::string url = server().url("/feed");
  const bool sameRequest = state.range(0) != 0;
  CURL* easy = curl_easy_init();
  std::string body;
  curl_slist* headers = nullptr;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  if (sameRequest) {
    std::string agent = "X-User-Agent: " + HttpEngineUtils::getXUserAgent();
    headers = curl_slist_append(headers, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  }
  int failures = 0;
  for (auto _ : state) {
    body.clear();
    if (curl_easy_perform(easy) != CURLE_OK || body.size() != kBodySize) ++failures;
  }
  curl_easy_cleanup(easy);
  curl_slist_free_all(headers);
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


// 200 engines start a GET each and the run loop turns until all have answered; one iteration
// is one such round. state.range(0): the response cache on (the default) or off.
void BM_HttpEngineGetConcurrent(benchmark::State& state) {
  const std::string url = server().url("/feed");
  const bool cache = state.range(0) != 0;
  auto loop = RunLoop::current();
  std::vector<std::unique_ptr<HttpEngine>> engines;
  Observer observer;
  for (int i = 0; i < kConcurrent; ++i) {
    engines.push_back(std::make_unique<HttpEngine>());
    engines.back()->setObserver(&observer);
  }
  for (auto _ : state) {
    int before = observer.results;
    for (auto& engine : engines) {
      engine->setCacheEnabled(cache);
      engine->get(url);
    }
    loop->runUntil([&] { return observer.results >= before + kConcurrent; }, 30);
  }
  if (observer.failures) state.SkipWithError("an exchange failed");
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
// reused round after round (so their connections are too), driven by curl_multi_poll.
void BM_RawCurlMultiGetConcurrent(benchmark::State& state) {
  const std::string url = server().url("/feed");
  CURLM* multi = curl_multi_init();
  std::string agent = "X-User-Agent: " + HttpEngineUtils::getXUserAgent();
  curl_slist* headers = curl_slist_append(nullptr, agent.c_str());
  std::vector<CURL*> easies;
  std::vector<std::string> bodies(kConcurrent);
  for (int i = 0; i < kConcurrent; ++i) {
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bodies[static_cast<size_t>(i)]);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    easies.push_back(easy);
  }
  int failures = 0;
  for (auto _ : state) {
    for (int i = 0; i < kConcurrent; ++i) {
      bodies[static_cast<size_t>(i)].clear();
      curl_multi_add_handle(multi, easies[static_cast<size_t>(i)]);
    }
    int running = kConcurrent;
    int done = 0;
    while (done < kConcurrent) {
      curl_multi_perform(multi, &running);
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
        if (msg->msg != CURLMSG_DONE) continue;
        if (msg->data.result != CURLE_OK) ++failures;
        curl_multi_remove_handle(multi, msg->easy_handle);
        ++done;
      }
      if (done < kConcurrent) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    for (const auto& body : bodies) failures += body.size() != kBodySize;
  }
  for (CURL* easy : easies) curl_easy_cleanup(easy);
  curl_multi_cleanup(multi);
  curl_slist_free_all(headers);
  if (failures) state.SkipWithError("a transfer failed");
  state.SetItemsProcessed(state.iterations() * kConcurrent);
}
BENCHMARK(BM_RawCurlMultiGetConcurrent)
    ->Repetitions(15)
    ->MinTime(0.3)
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
  // Rates above are per CPU second of the calling thread; the same ratios per second of wall
  // time include the waits on the wire, which a caller also sees.
  auto wall = [&](const char* ours, const char* ref) {
    const double o = reporter.realTime(ours), r = reporter.realTime(ref);
    return o > 0 ? r / o : 0.0;
  };
  if (reference > 0 && bare > 0 && togetherReference > 0) {
    // The headline: a plain GET with the response cache on, what every caller gets.
    std::printf("HttpEngine GET (default: response cache on), one at a time: %.0f requests/s, "
                "raw libcurl %.0f, ratio %.2f (target >= 0.80)\n",
                cached, reference, cached / reference);
    std::printf("HttpEngine GET (default: response cache on), %d at once: %.0f requests/s, "
                "raw libcurl multi %.0f, ratio %.2f (target >= 0.80)\n",
                zu::kConcurrent, together, togetherReference, together / togetherReference);
    std::printf("  cache switched off: one at a time ratio %.2f, %d at once ratio %.2f\n",
                uncached / reference, zu::kConcurrent, togetherUncached / togetherReference);
    std::printf("  UrlConnection alone: %.0f requests/s, ratio to a bare libcurl GET (%.0f) %.2f\n",
                transport, bare, transport / bare);
    std::printf("  by wall time: default one at a time %.2f, %d at once %.2f\n",
                wall("BM_HttpEngineGet/cache:1", "BM_RawCurlEasyGet/same_request:1"),
                zu::kConcurrent,
                wall("BM_HttpEngineGetConcurrent/cache:1", "BM_RawCurlMultiGetConcurrent"));
  }
  zu::FileCacheManager::uninitGlobalInstance();
  benchmark::Shutdown();
  return 0;
}
