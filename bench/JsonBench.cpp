// JSON parsing throughput: our parser (text to Values) beside nlohmann::json (text to its own
// document tree) on the same generated document, in the same run. Prints MB/s of both and the
// ratio ours / reference (above 1 means ours is faster).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "common/KjJsonParser.h"

#include "RatioReporter.h"

namespace {

// A list answer of the kind the open platforms send: status objects with 64-bit ids, text with
// escapes and non-ASCII characters, nested user objects, floats, booleans and nulls.
const std::string& document() {
  static const std::string text = [] {
    std::string s = "{\"statuses\":[";
    for (int i = 0; i < 2000; ++i) {
      if (i) s += ',';
      std::string id = std::to_string(3600000000000000000LL + i * 7919LL);
      s += "{\"created_at\":\"Mon Dec 07 04:31:50 +0800 2026\",\"id\":" + id + ",\"idstr\":\"" + id +
           "\",\"text\":\"\xE4\xBB\x8A\xE5\xA4\xA9\xE5\xA4\xA9\xE6\xB0\x94\xE5\xBE\x88\xE5\xA5\xBD "
           "\\\"quoted\\\" line\\nnext \\u4e2d\\u6587 http:\\/\\/t.example\\/" + std::to_string(i) +
           "\",\"truncated\":false,\"favorited\":" + (i % 3 ? "false" : "true") +
           ",\"geo\":null,\"reposts_count\":" + std::to_string(i * 13) +
           ",\"score\":" + std::to_string(i) + ".25,\"user\":{\"id\":" + std::to_string(1000000 + i) +
           ",\"screen_name\":\"reader_" + std::to_string(i) +
           "\",\"location\":\"\xE5\x8C\x97\xE4\xBA\xAC\",\"followers_count\":" + std::to_string(i * 101) +
           ",\"verified\":true,\"ratio\":-1.5e-3,\"tags\":[\"a\",\"b\",\"c\"]}}";
    }
    s += "],\"previous_cursor\":0,\"next_cursor\":3600000000000015837,\"total_number\":2000}";
    return s;
  }();
  return text;
}

void BM_KjJsonParser(benchmark::State& state) {
  const std::string& text = document();
  zu::KjJsonParser parser;
  for (auto _ : state) {
    auto value = parser.objectWithString(text);
    if (!value) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_KjJsonParser)->Unit(benchmark::kMillisecond);

void BM_NlohmannJson(benchmark::State& state) {
  const std::string& text = document();
  for (auto _ : state) {
    auto value = nlohmann::json::parse(text);
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_NlohmannJson)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zu::RatioReporter reporter;
  std::printf("document: %.2f MB\n", static_cast<double>(document().size()) / 1e6);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.bytesRate("BM_KjJsonParser");
  const double reference = reporter.bytesRate("BM_NlohmannJson");
  if (ours > 0 && reference > 0) {
    std::printf("KjJsonParser %.1f MB/s, nlohmann::json %.1f MB/s, ratio ours/reference %.2f\n",
                ours / 1e6, reference / 1e6, ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
