// Opening a microblog list: 1,000 posts (a third of them retweets, with the retweeted author's
// name in bold) handed to the article list as its first page, so that the table is built and
// every row's height laid out (the post's text through the row's own text view and the kit's
// typesetter); beside the same 1,000 texts laid out straight by bare Pango layouts (bold run,
// width, word-or-character wrapping, lines read back) in the same run. Prints lists per second
// of both and the ratio ours / reference, which should stay within 1.3.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskMBlog.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/text/AttributedString.h"
#include "platform/ui/views/TableView.h"
#include "reading/ReadingNibs.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "testing/TempHome.h"

#include "RatioReporter.h"

namespace {

using namespace zu;

constexpr int kPosts = 1000;
constexpr float kFontSize = 14;

class BenchTask : public Task {
 public:
  std::string className() const override { return "BenchTask"; }
};

// Makes tasks that never run; the list's first page is handed over by hand.
class QuietEngine : public ReportContentEngine {
 public:
  std::shared_ptr<Task> createGetNewsSummarysTask(const std::shared_ptr<Link>&, const std::shared_ptr<Column>&,
                                                  bool) override {
    task = std::make_shared<BenchTask>();
    return task;
  }
  void asyncRunTask(const std::shared_ptr<Task>&) override {}
  std::shared_ptr<Task> task;
};

struct Post {
  std::string text;
  std::string retweeted;  // empty: not a retweet
};

const std::vector<Post>& posts() {
  static const std::vector<Post> all = [] {
    const char* bodies[] = {
        "今天的第一班渡轮准时出发，海面平静，能见度很好。",
        "新馆开门了！第一天就来了好多老顾客，大家都说终于不用在雨里挑鱼了，推荐 http://zu.example.com/fish 看看。",
        "三十年守着一盏灯，谢谢老陈。明晚码头上有小小的欢送会，欢迎大家来，记得带一把伞，天气预报说可能有雨。",
        "码头的新长椅用的是旧船坞门板，橡木的纹路还在。"};
    std::vector<Post> out;
    for (int i = 0; i < kPosts; ++i) {
      out.push_back({std::string(bodies[i % 4]) + " #" + std::to_string(i), i % 3 == 0 ? "港口值班室" : ""});
    }
    return out;
  }();
  return all;
}

std::shared_ptr<Feed> feedOfPosts() {
  auto feed = std::make_shared<Feed>();
  const int64_t start = 1767585600000;
  for (int i = 0; i < kPosts; ++i) {
    const Post& post = posts()[static_cast<size_t>(i)];
    auto item = std::make_shared<NewsSummary>();
    item->setEntryId("m" + std::to_string(i));
    item->setTitle("post " + std::to_string(i));
    auto content = std::make_shared<Content>();
    content->setData(post.text);
    item->setContent(content);
    item->setUpdated(start - int64_t{i} * 60000);
    auto status = std::make_shared<VeskEntryStatus>();
    status->setType(5);
    item->setVeskEntryStatus(status);
    auto blog = std::make_shared<VeskMBlog>();
    auto user = std::make_shared<MBlogUser>();
    user->setName("作者" + std::to_string(i % 7));
    blog->setLayoutUser(user);
    if (!post.retweeted.empty()) {
      auto retweeted = std::make_shared<MBlogUser>();
      retweeted->setName(post.retweeted);
      blog->setLayoutRetweeted(retweeted);
    }
    item->setVeskMBlog(blog);
    feed->appendEntrys(item);
  }
  return feed;
}

// Ours: the list takes the page as its first one (the table rebuilt, every height laid out).
void BM_OpenMicroblogList(benchmark::State& state) {
  auto engine = std::make_shared<QuietEngine>();
  auto list = std::make_shared<ReportContentController>();
  list->setEngine(engine);
  auto column = std::make_shared<Column>();
  column->setEntryId("col-bench");
  auto link = std::make_shared<Link>();
  link->setHref("http://bench/first");
  column->setAlternatelink(link);
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(5);
  column->setVeskEntryStatus(status);
  list->setDataColumn(column);
  list->view()->setFrame(ui::Rect(0, 0, 320, 460));
  RunLoop::main()->runUntil([&] { return engine->task != nullptr; }, 10);
  const auto feed = feedOfPosts();
  const Dictionary result{{"Task", Value(engine->task)}, {"ResultType", "Feed"}, {"Result", Value(feed)}};
  for (auto _ : state) {
    NotificationCenter::defaultCenter().post(engine->task->getTaskIdStr(), Value(), result);
    list->contenttable()->layoutIfNeeded();
    benchmark::DoNotOptimize(list->contenttable()->contentSize().height);
  }
  state.counters["height"] = list->contenttable()->contentSize().height;
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenMicroblogList)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The reference: the same texts, each laid out by a new Pango layout at the row's text width.
void BM_RawPangoTexts(benchmark::State& state) {
  PangoFontMap* map = pango_cairo_font_map_new();
  PangoContext* context = pango_font_map_create_context(map);
  pango_cairo_context_set_resolution(context, 72);
  PangoFontDescription* regular = pango_font_description_from_string("WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(regular, kFontSize * PANGO_SCALE);
  double height = 0;
  for (auto _ : state) {
    height = 0;
    for (const Post& post : posts()) {
      const std::string text = post.retweeted.empty() ? post.text : post.retweeted + "：" + post.text;
      PangoLayout* layout = pango_layout_new(context);
      pango_layout_set_font_description(layout, regular);
      if (!post.retweeted.empty()) {
        PangoAttrList* attrs = pango_attr_list_new();
        PangoAttribute* bold = pango_attr_weight_new(PANGO_WEIGHT_BOLD);
        bold->start_index = 0;
        bold->end_index = static_cast<guint>(post.retweeted.size() + std::string("：").size());
        pango_attr_list_insert(attrs, bold);
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
      }
      pango_layout_set_width(layout, static_cast<int>((post.retweeted.empty() ? 262 : 245) * PANGO_SCALE));
      pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
      pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
      int lines = 0;
      for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next) {
        PangoRectangle logical;
        pango_layout_line_get_extents(static_cast<PangoLayoutLine*>(l->data), nullptr, &logical);
        ++lines;
      }
      height += lines * (kFontSize + 4) + 42;
      g_object_unref(layout);
    }
    benchmark::DoNotOptimize(height);
  }
  state.counters["height"] = height;
  state.SetItemsProcessed(state.iterations());
  pango_font_description_free(regular);
  g_object_unref(context);
  g_object_unref(map);
}
BENCHMARK(BM_RawPangoTexts)->Unit(benchmark::kMillisecond)->Repetitions(7);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::TempHome home;
  zu::ReadingNibs::registerNibs();
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_OpenMicroblogList");
  const double reference = reporter.rate("BM_RawPangoTexts");
  if (ours > 0 && reference > 0) {
    std::printf("1,000 microblog rows: list opened %.1f times/s, raw pango %.1f times/s, "
                "ratio reference/ours %.2f (ours takes %.2f× the time)\n",
                ours, reference, reference / ours, reference / ours);
  }
  benchmark::Shutdown();
  return 0;
}
