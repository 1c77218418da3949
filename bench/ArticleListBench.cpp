// The article list's table.
//  - Before timing: a list of 1,000 articles over ten days is scrolled end to end in 7-point
//    steps, and the number of cells the screen was asked for is printed beside the number of
//    rows: each row is asked for once, when it comes into view.
//  - Timing: one scroll step (7 points, turning back at either end) of a list of 100 articles,
//    the reference, and of 1,000, ours; prints steps per second of both and the ratio, which
//    should stay within 1.2 (the cost of a step does not grow with the list).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/TableView.h"
#include "reading/ReadingNibs.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "testing/TempHome.h"

#include "RatioReporter.h"

namespace {

using namespace zu;

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

struct ListScroller {
  std::shared_ptr<QuietEngine> engine = std::make_shared<QuietEngine>();
  std::shared_ptr<ReportContentController> list = std::make_shared<ReportContentController>();
  float step = 7;

  explicit ListScroller(int count) {
    list->setEngine(engine);
    auto column = std::make_shared<Column>();
    column->setEntryId("col-bench");
    auto link = std::make_shared<Link>();
    link->setHref("http://bench/first");
    column->setAlternatelink(link);
    list->setDataColumn(column);
    list->view()->setFrame(ui::Rect(0, 0, 320, 460));
    RunLoop::main()->runUntil([&] { return engine->task != nullptr; }, 10);
    auto feed = std::make_shared<Feed>();
    const int64_t start = 1767585600000;
    for (int i = 0; i < count; ++i) {
      auto item = std::make_shared<NewsSummary>();
      item->setEntryId("a" + std::to_string(i));
      item->setTitle("article " + std::to_string(i));
      auto content = std::make_shared<Content>();
      content->setData("the summary of article " + std::to_string(i));
      item->setContent(content);
      item->setUpdated(start - int64_t{i} * 86400000 * 10 / count);
      feed->appendEntrys(item);
    }
    NotificationCenter::defaultCenter().post(
        engine->task->getTaskIdStr(), Value(),
        Dictionary{{"Task", Value(engine->task)}, {"ResultType", "Feed"}, {"Result", Value(feed)}});
    list->contenttable()->layoutIfNeeded();
  }
  ui::TableView& table() { return *list->contenttable(); }
  // One step, turning back at the ends so every step moves the same distance.
  void advance() {
    const float max = table().contentSize().height - table().bounds().size.height;
    float y = table().contentOffset().y + step;
    if (y > max || y < 0) {
      step = -step;
      y = table().contentOffset().y + step;
    }
    table().setContentOffset(ui::Point{0, y});
  }
};

void BM_ListScrollStep(benchmark::State& state) {
  ListScroller scroller(static_cast<int>(state.range(0)));
  for (auto _ : state) scroller.advance();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListScrollStep)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void endToEnd() {
  ListScroller scroller(1000);
  auto& table = scroller.table();
  int64_t rows = 0;
  for (int64_t s = 0; s < table.numberOfSections(); ++s) rows += table.numberOfRowsInSection(s);
  const size_t before = table.cellsAskedFor();
  const float max = table.contentSize().height - table.bounds().size.height;
  for (float y = 0; y < max; y += 7) table.setContentOffset(ui::Point{0, y});
  table.setContentOffset(ui::Point{0, max});
  std::printf("end to end over %lld rows in %lld sections: %zu cells asked for (%zu before scrolling)\n",
              static_cast<long long>(rows), static_cast<long long>(table.numberOfSections()),
              table.cellsAskedFor(), before);
}

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::TempHome home;
  zu::ReadingNibs::registerNibs();
  endToEnd();
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reference = reporter.rate("BM_ListScrollStep/100");
  const double ours = reporter.rate("BM_ListScrollStep/1000");
  if (ours > 0 && reference > 0) {
    std::printf("scroll step: 1000 rows %.0f steps/s, 100 rows %.0f steps/s, ratio ours/reference %.2f\n", ours,
                reference, ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
