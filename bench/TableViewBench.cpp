// Table view scrolling.
//  - Before timing: a table of 10,000 rows (320×460 points, 44-point rows) is scrolled end to
//    end in 7-point steps, and the number of cells its data source was asked for is printed
//    beside the number of rows: each row is asked for once, when it comes into view.
//  - Timing: one scroll step (7 points, turning back at either end) of a table of 100 rows,
//    the reference, and of 10,000 rows, ours; prints steps per second of both and the ratio,
//    which should stay near 1 (the cost of a step does not grow with the row count).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/ui/views/Label.h"
#include "platform/ui/views/TableView.h"

#include "RatioReporter.h"

namespace {

using namespace zu::ui;

class Rows : public TableViewDataSource {
 public:
  explicit Rows(int64_t count) : count_(count) {}
  int64_t numberOfRowsInSection(TableView&, int64_t) override { return count_; }
  std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& p) override {
    auto cell = table.dequeueReusableCell("row");
    if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "row");
    cell->textLabel()->setText("row " + std::to_string(p.row));
    return cell;
  }

 private:
  int64_t count_;
};

struct Scroller {
  std::shared_ptr<Rows> rows;
  std::shared_ptr<TableView> table;
  float step = 7;

  explicit Scroller(int64_t count) : rows(std::make_shared<Rows>(count)) {
    table = std::make_shared<TableView>(Rect(0, 0, 320, 460));
    table->setDataSource(rows);
    table->layoutIfNeeded();
  }
  // One step, turning back at the ends so every step moves the same distance.
  void advance() {
    const float max = table->contentSize().height - table->bounds().size.height;
    float y = table->contentOffset().y + step;
    if (y > max || y < 0) {
      step = -step;
      y = table->contentOffset().y + step;
    }
    table->setContentOffset(Point{0, y});
  }
};

void BM_ScrollStep(benchmark::State& state) {
  Scroller scroller(state.range(0));
  for (auto _ : state) scroller.advance();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScrollStep)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void endToEnd() {
  Scroller scroller(10000);
  const float max = scroller.table->contentSize().height - scroller.table->bounds().size.height;
  for (float y = 0; y < max; y += 7) scroller.table->setContentOffset(Point{0, y});
  scroller.table->setContentOffset(Point{0, max});
  std::printf("end to end over 10000 rows: %zu cells asked for, %zu cells queued for reuse\n",
              scroller.table->cellsAskedFor(), scroller.table->queuedCellCount());
}

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  endToEnd();
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reference = reporter.rate("BM_ScrollStep/100");
  const double ours = reporter.rate("BM_ScrollStep/10000");
  if (ours > 0 && reference > 0) {
    std::printf("scroll step: 10000 rows %.0f steps/s, 100 rows %.0f steps/s, ratio ours/reference %.2f\n", ours,
                reference, ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
