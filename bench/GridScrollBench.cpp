// Grid view scrolling: a 300×400 grid of 2 × 3 cells a page, scrolled page by page over its
// first 16 pages and back (each step moves the content offset one page and settles, as a
// finger's page turn does), for a grid of 100 cells beside one of 10,000 cells in the same run.
// A page should cost the same in both (the grid looks only at the cells of the window's pages);
// prints pages per second of both and their ratio, and the data source's cellAtIndex calls per
// newly visible cell (1.00: every cell that comes into view is asked for once, through reuse).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/ui/views/View.h"
#include "views/GridView.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"
#include "views/ScrollViewForGridView_3_0.h"

#include "RatioReporter.h"

namespace {

using namespace zu;

class Source : public GridViewDataSourceProtocol, public GridViewProtocol {
 public:
  explicit Source(int count) : count_(count) {}
  int numberOfCellsInGridView(GridView&) override { return count_; }
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override {
    ++calls;
    auto cell = grid.dequeueReusableCellWithIdentifier("cell");
    if (!cell) {
      cell = std::make_shared<GridViewCell>();
      cell->setIdentifiy("cell");
    }
    cell->setTag(index);
    return cell;
  }
  int rowCountInGridView(GridView&) override { return 2; }
  int colCountInGridView(GridView&) override { return 3; }
  float plotratioXInGridView(GridView&) override { return 10; }
  float plotratioYInGridView(GridView&) override { return 10; }
  int64_t calls = 0;

 private:
  int count_;
};

constexpr int kPagesWalked = 16;

void BM_GridScroll(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  auto source = std::make_shared<Source>(count);
  auto root = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 480));
  auto grid = GridView::create(ui::Rect(0, 0, 300, 400));
  grid->setDataSource(source);
  grid->setGridViewDelegate(source);
  root->addSubview(grid);
  grid->layoutIfNeeded();
  auto& scroll = *grid->contentScrollView();
  source->calls = 0;
  int64_t pages = 0;
  int64_t shown = 0;
  int page = 0;
  int step = 1;
  for (auto _ : state) {
    page += step;
    if (page == kPagesWalked || page == 0) step = -step;
    scroll.setContentOffset(ui::Point{300.0f * static_cast<float>(page), 0});
    grid->scrollViewDidEndDecelerating(scroll);
    ++pages;
    shown += std::min(6, count - 6 * page);
  }
  state.SetItemsProcessed(pages);
  state.counters["calls_per_new_cell"] =
      static_cast<double>(source->calls) / static_cast<double>(shown);
}
BENCHMARK(BM_GridScroll)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double small = reporter.rate("BM_GridScroll/100");
  const double large = reporter.rate("BM_GridScroll/10000");
  if (small > 0 && large > 0) {
    std::printf("grid of 100 cells %.0f pages/s, of 10000 cells %.0f pages/s, ratio 10000/100 %.2f\n",
                small, large, large / small);
    std::printf("cellAtIndex calls per newly visible cell: %.2f (100), %.2f (10000)\n",
                reporter.counter("BM_GridScroll/100", "calls_per_new_cell"),
                reporter.counter("BM_GridScroll/10000", "calls_per_new_cell"));
  }
  benchmark::Shutdown();
  return 0;
}
