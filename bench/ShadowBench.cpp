// Soft shadows: a 320×480 screen of eight 140×110 tiles with the home grid's edit-mode shadow
// (opacity 1, radius 2, offset 0, −3), rendered by render(view) with the blurred shadow, beside
// the same tree whose shadows have radius 0 (the hard shape fill, what the renderer drew before
// shadows were blurred) in the same run; at scale 1 and 2. Prints frames per second, the ratio
// hard / soft (the share of the frame rate the blur keeps) and the soft frame's time beside the
// 16.7 ms a 60 Hz screen allows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/View.h"

#include "RatioReporter.h"

namespace {

using namespace zu::ui;

std::shared_ptr<View> tiles(float shadowRadius) {
  auto root = std::make_shared<View>(Rect(0, 0, 320, 480));
  root->setBackgroundColor(Color::white(0.95f));
  for (int i = 0; i < 8; ++i) {
    auto tile = std::make_shared<View>(
        Rect(static_cast<float>(12 + (i % 2) * 153), static_cast<float>(60 + (i / 2) * 120), 140, 110));
    tile->setBackgroundColor(Color(0.2f + 0.08f * static_cast<float>(i), 0.35f, 0.4f));
    tile->layer().shadowOpacity = 1;
    tile->layer().shadowRadius = shadowRadius;
    root->addSubview(tile);
  }
  return root;
}

void renderTiles(benchmark::State& state, float shadowRadius) {
  auto root = tiles(shadowRadius);
  const float scale = static_cast<float>(state.range(0));
  for (auto _ : state) {
    auto image = render(*root, scale);
    benchmark::DoNotOptimize(image);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_SoftShadows(benchmark::State& state) { renderTiles(state, 2); }
BENCHMARK(BM_SoftShadows)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void BM_HardShadows(benchmark::State& state) { renderTiles(state, 0); }
BENCHMARK(BM_HardShadows)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* scale : {"1", "2"}) {
    const std::string suffix = std::string("/") + scale;
    const double ours = reporter.rate("BM_SoftShadows" + suffix);
    const double reference = reporter.rate("BM_HardShadows" + suffix);
    if (ours > 0 && reference > 0) {
      std::printf("scale %s: soft shadows %.0f frames/s, hard %.0f frames/s, ratio %.2f; "
                  "a soft frame takes %.2f ms of the 16.7 ms at 60 Hz\n",
                  scale, ours, reference, ours / reference, 1000 / ours);
    }
  }
  benchmark::Shutdown();
  return 0;
}
