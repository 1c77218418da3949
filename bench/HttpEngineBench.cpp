// HttpEngineBench: GETs of a 20 KB body from a loopback server, one after another, through
// HttpEngine (run loop, libcurl multi handle, response object, with and without the response
// cache look-up of a plain GET) and through UrlConnection alone, against raw libcurl easy
// transfers on one reused handle sending the same request, in the same run against the same
// server. Prints requests per second of each and the ratios ours / reference (target >= 0.8).
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
  // The repetitions of the benchmarks run interleaved in random order, so a load change on
  // the machine hits all alike; the reporter keeps each one's median.
  const double cached = reporter.rate("BM_HttpEngineGet/cache:1");
  const double uncached = reporter.rate("BM_HttpEngineGet/cache:0");
  const double transport = reporter.rate("BM_UrlConnectionGet");
  const double reference = reporter.rate("BM_RawCurlEasyGet/same_request:1");
  const double bare = reporter.rate("BM_RawCurlEasyGet/same_request:0");
  if (reference > 0 && bare > 0) {
    std::printf("raw libcurl easy, the same request: %.0f requests/s (a bare GET: %.0f)\n",
                reference, bare);
    std::printf("UrlConnection alone (bare GET): %.0f requests/s, ratio to the bare GET %.2f\n",
                transport, transport / bare);
    std::printf("HttpEngine GET with the response-cache look-up: %.0f requests/s, ratio %.2f\n",
                cached, cached / reference);
    std::printf("HttpEngine GET, cache switched off: %.0f requests/s, ratio %.2f "
                "(target >= 0.80)\n",
                uncached, uncached / reference);
  }
  zu::FileCacheManager::uninitGlobalInstance();
  benchmark::Shutdown();
  return 0;
}
