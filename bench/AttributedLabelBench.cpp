// The attributed label with many links: a text of N web addresses (as a pasted custom
// subscription keyword brings to the no-result view) set on a 290 x 160 label and drawn, then
// touched on its first link, with the installed font through Pango. Measured for 4,000 links
// and for 40 in the same run; linear work costs the 4,000-link text at most a hundred times the
// 40-link one. Prints both and the ratio of times, and that ratio over 100 (at most about 1
// when the label is linear in its text).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "catalog/widgets/RyAttributedLabel.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"

#include "RatioReporter.h"

namespace {

using namespace zu;

std::string addresses(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "http://zu.example.com/k/" + std::to_string(i) + " ";
  return text;
}

void setDrawAndTouch(benchmark::State& state, int links) {
  const std::string text = addresses(links);
  auto label = std::make_shared<RyAttributedLabel>(ui::Rect(0, 0, 290, 160));
  label->setNumberOfLines(0);
  size_t found = 0;
  for (auto _ : state) {
    label->setText(text);
    auto image = ui::render(*label);
    benchmark::DoNotOptimize(image);
    found = label->linkAtPoint(ui::Point{20, 8}) ? 1 : 0;
  }
  state.counters["hit"] = static_cast<double>(found);
  state.SetItemsProcessed(state.iterations());
}

void BM_Label4000Links(benchmark::State& state) { setDrawAndTouch(state, 4000); }
void BM_Label40Links(benchmark::State& state) { setDrawAndTouch(state, 40); }
BENCHMARK(BM_Label4000Links)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Label40Links)->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double many = reporter.rate("BM_Label4000Links");
  const double few = reporter.rate("BM_Label40Links");
  if (many > 0 && few > 0) {
    std::printf("set, draw and touch: 4000 links %.1f/s, 40 links %.0f/s, ratio of times %.1f "
                "(%.2f of linear)\n",
                many, few, few / many, few / many / 100);
  }
  benchmark::Shutdown();
  return 0;
}
