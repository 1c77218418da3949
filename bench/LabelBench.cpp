// Labels with a huge text: a list row's one-line title label (300 x 20 points, 17-point system
// font, tail truncation, the installed font through Pango) whose title is a megabyte of text,
// beside the same label with a kilobyte of the same text, in the same run. The megabyte is
// either a long title or one grapheme cluster (a letter carrying 524,288 combining accents), or
// another endless run of what cannot be seen: accents with a control character between each two,
// zero-width spaces, or emoji joined one to the next by zero-width joiners.
//  - a frame: the label drawn again, as a list redraws while it scrolls; the reference is the
//    kilobyte title's frame, and the ratio huge / small is what a huge title costs a frame
//    (it should stay near 1: the label keeps its laid-out lines and lays out only what it shows,
//    and a cluster's marks past a few dozen are not shaped);
//  - a first frame: a label whose text was just set drawn once (laid out, then painted), as a
//    row appears; the cluster's against the kilobyte title's (it should stay within twice that:
//    the cluster is cut to what can be seen in one read of the text, before anything is shaped;
//    the kilobyte title's own first frame is printed against its later frames for scale);
//  - a fill: the text set and the label drawn once, as a row is filled, printed for information
//    (the huge text is still decoded whole once).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"

#include "RatioReporter.h"

namespace {

using namespace zu::ui;

std::string titleOf(size_t bytes) {
  static const std::string piece = "一条很长的标题 with words and 标点，";
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

const std::string& hugeTitle() {
  static const std::string text = titleOf(1 << 20);
  return text;
}

// One grapheme cluster of a megabyte: a letter followed by 524,288 combining acute accents.
const std::string& clusterTitle() {
  static const std::string text = [] {
    std::string out = "a";
    for (size_t i = 0; i < (size_t{1} << 19); ++i) out += "\u0301";
    return out;
  }();
  return text;
}

// A letter followed by `unit` repeated to a megabyte.
std::string runOf(const char* head, const char* unit) {
  std::string out = head;
  while (out.size() < (size_t{1} << 20)) out += unit;
  return out;
}

const std::string& marksAndControlsTitle() {
  static const std::string text = runOf("a", "\u0301\x01");
  return text;
}

const std::string& zeroWidthTitle() {
  static const std::string text = runOf("a", "\u200b");
  return text;
}

const std::string& joinedTitle() {
  static const std::string text = runOf("", "\U0001F468\u200d");
  return text;
}

const std::string& smallTitle() {
  static const std::string text = titleOf(1 << 10);
  return text;
}

std::shared_ptr<Label> titleLabel(const std::string& text) {
  auto label = std::make_shared<Label>(Rect(0, 0, 300, 20));
  label->setFont(Font::systemFont(17));
  label->setLineBreakMode(LineBreakMode::TailTruncation);
  label->setText(text);
  return label;
}

void frames(benchmark::State& state, const std::string& text) {
  auto label = titleLabel(text);
  render(*label);  // the row's first frame
  for (auto _ : state) {
    label->setNeedsDisplay();
    auto image = render(*label);
    benchmark::DoNotOptimize(image);
  }
  state.SetItemsProcessed(state.iterations());
}

void firstFrames(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    state.PauseTiming();
    auto label = titleLabel(text);
    state.ResumeTiming();
    auto image = render(*label);
    benchmark::DoNotOptimize(image);
    state.PauseTiming();
    label.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations());
}

void fills(benchmark::State& state, const std::string& text) {
  auto label = titleLabel("");
  for (auto _ : state) {
    label->setText(text);
    auto image = render(*label);
    benchmark::DoNotOptimize(image);
    label->setText("");
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FrameHugeTitle(benchmark::State& state) { frames(state, hugeTitle()); }
void BM_FrameSmallTitle(benchmark::State& state) { frames(state, smallTitle()); }
void BM_FrameCluster(benchmark::State& state) { frames(state, clusterTitle()); }
void BM_FirstFrameCluster(benchmark::State& state) { firstFrames(state, clusterTitle()); }
void BM_FrameMarksAndControls(benchmark::State& state) { frames(state, marksAndControlsTitle()); }
void BM_FrameZeroWidth(benchmark::State& state) { frames(state, zeroWidthTitle()); }
void BM_FrameJoined(benchmark::State& state) { frames(state, joinedTitle()); }
void BM_FirstFrameSmallTitle(benchmark::State& state) { firstFrames(state, smallTitle()); }
void BM_FillHugeTitle(benchmark::State& state) { fills(state, hugeTitle()); }
void BM_FillCluster(benchmark::State& state) { fills(state, clusterTitle()); }
void BM_FillSmallTitle(benchmark::State& state) { fills(state, smallTitle()); }
BENCHMARK(BM_FrameHugeTitle)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FrameSmallTitle)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FrameCluster)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FirstFrameCluster)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FrameMarksAndControls)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FrameZeroWidth)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FrameJoined)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FirstFrameSmallTitle)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_FillHugeTitle)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_FillCluster)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_FillSmallTitle)->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto print = [&](const char* what, const char* huge, const char* small) {
    const double ours = reporter.rate(huge);
    const double reference = reporter.rate(small);
    if (ours <= 0 || reference <= 0) return;
    std::printf("%s: %.0f/s, against %.0f/s, ratio of times %.2f\n", what, ours, reference,
                reference / ours);
  };
  print("a frame, 1 MiB title against 1 KiB title", "BM_FrameHugeTitle", "BM_FrameSmallTitle");
  print("a frame, 1 MiB cluster against 1 KiB title", "BM_FrameCluster", "BM_FrameSmallTitle");
  print("first frame, 1 MiB cluster against 1 KiB title", "BM_FirstFrameCluster",
        "BM_FirstFrameSmallTitle");
  print("a frame, 1 MiB of accents and controls against 1 KiB title", "BM_FrameMarksAndControls",
        "BM_FrameSmallTitle");
  print("a frame, 1 MiB of zero-width spaces against 1 KiB title", "BM_FrameZeroWidth",
        "BM_FrameSmallTitle");
  print("a frame, 1 MiB of joined emoji against 1 KiB title", "BM_FrameJoined",
        "BM_FrameSmallTitle");
  print("first frame of the 1 KiB title against a frame of it", "BM_FirstFrameSmallTitle",
        "BM_FrameSmallTitle");
  print("set and first frame, 1 MiB title against 1 KiB title", "BM_FillHugeTitle",
        "BM_FillSmallTitle");
  print("set and first frame, 1 MiB cluster against 1 KiB title", "BM_FillCluster",
        "BM_FillSmallTitle");
  benchmark::Shutdown();
  return 0;
}
