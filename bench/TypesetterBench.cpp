// Text layout: a 140-character microblog post (a bold author name, Chinese text with
// punctuation, a web address) laid out into lines 262 points wide by the Typesetter over the
// installed font, beside the same text and fonts laid out by a bare Pango layout (attributes,
// width, word-or-character wrapping, lines read back) in the same run. Both start from the text
// each time, as a table row being filled does. Prints layouts per second of both and the ratio
// ours / reference.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <string>

#include "platform/runtime/StringUtil.h"
#include "platform/ui/text/Typesetter.h"

#include "RatioReporter.h"
#include "RawPangoContext.h"

namespace {

using namespace zu::ui;

constexpr float kWidth = 262;
constexpr float kSize = 14;

const std::string& post() {
  static const std::string text =
      "张小明：今天去了西湖，断桥边的柳树已经发芽了。“春天真的来了！”湖面上有很多游船，"
      "远处的雷峰塔在阳光下格外好看。晚上在河坊街吃了小笼包和片儿川，味道很正宗。"
      "推荐大家去 http://zu.example.com/hz 看看攻略，周末人多要早点出门哦！下次还想再去一次，真是太美了。";
  return text;
}

// The author's name and its colon, bold.
constexpr size_t kNameLength = 4;

void BM_Typesetter(benchmark::State& state) {
  size_t lines = 0;
  for (auto _ : state) {
    AttributedString text(post(), TextAttributes{Font::named("Helvetica", kSize)});
    text.setFont(Font::named("Helvetica-Bold", kSize), TextRange{0, kNameLength});
    const Typesetter typesetter(std::move(text));
    const TextFrame frame = typesetter.createFrame(TextRange{}, Rect(0, 0, kWidth, 0));
    lines = frame.lines().size();
    benchmark::DoNotOptimize(frame.size());
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Typesetter)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void BM_RawPango(benchmark::State& state) {
  const zu::RawPangoContext pango(kSize);
  const std::string& text = post();
  const size_t nameBytes = zu::StringUtil::utf16Prefix(text, kNameLength).size();
  size_t lines = 0;
  for (auto _ : state) {
    PangoLayout* layout = pango_layout_new(pango.context());
    pango_layout_set_font_description(layout, pango.font());
    PangoAttrList* attrs = pango_attr_list_new();
    PangoAttribute* bold = pango_attr_weight_new(PANGO_WEIGHT_BOLD);
    bold->start_index = 0;
    bold->end_index = static_cast<guint>(nameBytes);
    pango_attr_list_insert(attrs, bold);
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
    pango_layout_set_width(layout, static_cast<int>(kWidth * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    lines = 0;
    for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next) {
      PangoRectangle logical;
      pango_layout_line_get_extents(static_cast<PangoLayoutLine*>(l->data), nullptr, &logical);
      benchmark::DoNotOptimize(logical.width);
      ++lines;
    }
    g_object_unref(layout);
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawPango)->Unit(benchmark::kMicrosecond)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_Typesetter");
  const double reference = reporter.rate("BM_RawPango");
  if (ours > 0 && reference > 0) {
    std::printf("typesetter %.0f layouts/s (%.0f lines), raw pango %.0f layouts/s (%.0f lines), "
                "ratio ours/reference %.2f\n",
                ours, reporter.counter("BM_Typesetter", "lines"), reference,
                reporter.counter("BM_RawPango", "lines"), ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
