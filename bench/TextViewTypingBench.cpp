// Typing into a long text: a many-line text view (a comment box, 280 x 160 points, 14-point
// text through Pango) holding 300 KB of Chinese and Latin text in paragraphs of a couple of
// hundred characters, being edited; one key typed (a Chinese character) and the frame that
// follows drawn, with the caret at the text's end or in its middle. Beside it in the same run,
// a plain Pango layout of the same text at the same width (text, width, wrapping, lines read
// back), which is what laying the whole text out once costs. Prints the milliseconds a key
// costs at either place, the reference's, and the ratio key / reference: a key should cost a
// small part of laying the text out (the view lays out again only the paragraph typed into),
// and stay well under a frame (16 ms).
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/runtime/StringUtil.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/TextView.h"

#include "RatioReporter.h"
#include "RawPangoContext.h"

namespace {

using namespace zu::ui;

constexpr float kWidth = 280;
constexpr float kHeight = 160;
constexpr float kSize = 14;

const std::string& longText() {
  static const std::string text = [] {
    const std::string paragraph =
        "今天去了西湖，断桥边的柳树已经发芽了。“春天真的来了！”湖面上有很多游船，远处的雷峰塔在阳光下格外好看。"
        "See http://zu.example.com/hz for the guide; 周末人多要早点出门哦！\n";
    std::string out;
    while (out.size() < 300 * 1024) out += paragraph;
    return out;
  }();
  return text;
}

// One key typed at the text's end (`middle` false) or in its middle, and a frame drawn.
void typeAKey(benchmark::State& state, bool middle) {
  auto view = std::make_shared<TextView>(Rect(0, 0, kWidth, kHeight));
  view->setFont(Font::systemFont(kSize));
  view->setText(longText());
  if (!view->becomeFirstResponder()) {
    state.SkipWithError("the text view did not begin editing");
    return;
  }
  const size_t length = zu::StringUtil::utf16Length(longText());
  view->setSelectedRange(TextRange{middle ? length / 2 : length, 0});
  benchmark::DoNotOptimize(render(*view));
  for (auto _ : state) {
    view->insertText("字");
    benchmark::DoNotOptimize(render(*view));
  }
  state.counters["lines"] = view->contentSize().height / TextMetrics::current().lineHeight(view->font());
  state.SetItemsProcessed(state.iterations());
  view->resignFirstResponder();
}

void BM_KeyAtEnd(benchmark::State& state) { typeAKey(state, false); }
BENCHMARK(BM_KeyAtEnd)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_KeyInMiddle(benchmark::State& state) { typeAKey(state, true); }
BENCHMARK(BM_KeyInMiddle)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same text laid out whole by a plain Pango layout at the view's text width.
void BM_RawPangoLayout(benchmark::State& state) {
  const zu::RawPangoContext pango(kSize);
  const std::string& text = longText();
  int lines = 0;
  for (auto _ : state) {
    PangoLayout* layout = pango_layout_new(pango.context());
    pango_layout_set_font_description(layout, pango.font());
    pango_layout_set_width(layout, static_cast<int>((kWidth - 2 * TextView::kTextInset) * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    lines = pango_layout_get_line_count(layout);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    benchmark::DoNotOptimize(logical.height);
    g_object_unref(layout);
  }
  state.counters["lines"] = lines;
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawPangoLayout)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reference = reporter.rate("BM_RawPangoLayout");
  for (const char* name : {"BM_KeyAtEnd", "BM_KeyInMiddle"}) {
    const double ours = reporter.rate(name);
    if (ours > 0 && reference > 0) {
      std::printf("%s: %.2f ms a key (%.0f lines), plain pango layout of the text %.1f ms (%.0f lines), "
                  "ratio key / reference %.3f\n",
                  name, 1000 / ours, reporter.counter(name, "lines"), 1000 / reference,
                  reporter.counter("BM_RawPangoLayout", "lines"), reference / ours);
    }
  }
  benchmark::Shutdown();
  return 0;
}
