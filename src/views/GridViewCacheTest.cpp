#include <gtest/gtest.h>

#include <algorithm>

#include "testing/MainLoopTurn.h"
#include "views/GridViewTesting.h"

namespace zu {
namespace {

using gridtest::GridFixture;
using Indexes = std::vector<int>;
using ui::Point;
using ui::Rect;

Indexes range(int from, int to) {
  Indexes out;
  for (int i = from; i < to; ++i) out.push_back(i);
  return out;
}

Indexes sorted(Indexes v) {
  std::sort(v.begin(), v.end());
  return v;
}

class GridCacheTest : public GridFixture {
 protected:
  // Cells currently in the scroll view.
  std::vector<std::shared_ptr<GridViewCell>> cellViews() {
    std::vector<std::shared_ptr<GridViewCell>> out;
    for (auto& v : scroll().subviews()) {
      if (auto cell = std::dynamic_pointer_cast<GridViewCell>(v)) out.push_back(cell);
    }
    return out;
  }
};

TEST_F(GridCacheTest, ParkedCellsComeBackWithoutAskingTheDataSource) {
  source_->reuse = false;
  makeGrid(30);  // 6 cells a page, 5 pages
  EXPECT_EQ(range(0, 6), source_->asked);
  auto cell2 = grid_->getCellIndex(2);
  ASSERT_TRUE(cell2);
  EXPECT_EQ(2, cell2->tag());
  EXPECT_EQ(2, grid_->indexOfCell(*cell2));
  EXPECT_FALSE(cell2->completed());

  // Dragging page 1 into view parks page 0's cells (invisible, still in the scroll view) and
  // asks once per newly visible cell; dragging back revives them without a call.
  scroll().beginDrag(Point{250, 100});
  scroll().dragTo(Point{-50, 100});
  EXPECT_EQ(range(0, 12), source_->asked);
  EXPECT_EQ(0, cell2->alpha());
  EXPECT_EQ(scroll().shared(), cell2->superview());
  EXPECT_EQ(range(6, 12), sorted(grid_->indexsForVisibleCells()));
  scroll().dragTo(Point{250, 100});
  EXPECT_EQ(range(0, 12), source_->asked);
  EXPECT_EQ(cell2, grid_->getCellIndex(2));
  EXPECT_EQ(1, cell2->alpha());
  EXPECT_EQ(range(0, 12), sorted(grid_->indexsForCacheCells()));

  // Settling on page 1 revives its parked cells, again without a call, and clears the
  // queues: the parked page 0 goes for good.
  scroll().endDrag();
  EXPECT_EQ(12u, cellViews().size());
  grid_->setPage(1, false);
  EXPECT_EQ(range(0, 12), source_->asked);
  EXPECT_EQ(range(6, 12), sorted(grid_->indexsForCacheCells()));
  EXPECT_EQ(6u, cellViews().size());
  EXPECT_EQ(nullptr, grid_->getCellIndex(30));
  EXPECT_EQ(nullptr, grid_->getCellIndex(-1));
}

TEST_F(GridCacheTest, DequeuePrefersFreeCellsAndFreesEachIndexOnce) {
  source_->reuse = false;
  makeGrid(30);
  scroll().beginDrag(Point{250, 100});
  scroll().dragTo(Point{-50, 100});  // page 0 parked, page 1 cached
  auto cell7 = grid_->getCellIndex(7);
  grid_->dirtyOneCellOfCacheAndQueue0WithNumber(7);
  EXPECT_EQ(-1, cell7->indexNumber());
  EXPECT_EQ(0, cell7->alpha());
  auto free = grid_->dequeueReusableCellWithIdentifier("cell");
  EXPECT_EQ(cell7, free);
  EXPECT_TRUE(free->completed());
  EXPECT_EQ(nullptr, free->superview());
  // With only parked cells left, dequeue takes one; its index then has no cell and is made
  // again when it comes back.
  auto stolen = grid_->dequeueReusableCellWithIdentifier("cell");
  ASSERT_TRUE(stolen);
  const int lost = stolen->tag();
  EXPECT_LT(lost, 6);
  EXPECT_EQ(-1, stolen->indexNumber());
  EXPECT_EQ(nullptr, grid_->getCellIndex(lost));
  EXPECT_EQ(nullptr, grid_->dequeueReusableCellWithIdentifier("other"));
  scroll().dragTo(Point{250, 100});
  EXPECT_EQ(lost, source_->asked.back());
  EXPECT_EQ(13u, source_->asked.size());
  scroll().endDrag();
  grid_->prepareCells();  // as a settle does: the queues are cleared

  // A dirtied cell is handed back to the data source through dequeue before a new one is made.
  source_->reuse = true;
  auto cell4 = grid_->getCellIndex(4);
  const int made = source_->made;
  grid_->dirtyCellsOfCacheAndQueue0WithIndexs({4});
  grid_->relayoutCells0();
  EXPECT_EQ(cell4, grid_->getCellIndex(4));
  EXPECT_EQ(4, cell4->indexNumber());
  EXPECT_EQ(made, source_->made);

  // Dirtying an index twice keeps one free cell under it; the earlier one leaves the view.
  source_->reuse = false;
  auto first = grid_->getCellIndex(5);
  grid_->dirtyOneCellOfCacheAndQueue0WithNumber(5);
  grid_->relayoutCells0();
  auto second = grid_->getCellIndex(5);
  ASSERT_NE(first, second);
  grid_->dirtyOneCellOfCacheAndQueue0WithNumber(5);
  EXPECT_EQ(nullptr, first->superview());
  EXPECT_EQ(scroll().shared(), second->superview());
  EXPECT_EQ(second, grid_->dequeueReusableCellWithIdentifier("cell"));
  EXPECT_EQ(nullptr, grid_->dequeueReusableCellWithIdentifier("cell"));
}

TEST_F(GridCacheTest, MemoryWarningDropsParkedCells) {
  source_->reuse = false;
  makeGrid(30);
  scroll().beginDrag(Point{250, 100});
  scroll().dragTo(Point{-50, 100});
  auto cell0 = grid_->getCellIndex(0);
  scroll().dragTo(Point{-50, 100});
  EXPECT_EQ(range(0, 12), sorted(grid_->indexsForCacheCells()));
  ui::Application::shared().simulateMemoryWarning();
  EXPECT_EQ(range(6, 12), sorted(grid_->indexsForCacheCells()));
  EXPECT_EQ(6u, cellViews().size());
  scroll().dragTo(Point{250, 100});
  EXPECT_EQ(18u, source_->asked.size());
  scroll().endDrag();

  // Releasing what is off screen keeps only the visible page, even inside a wider window.
  grid_->setCacheCapacity(3);
  grid_->prepareCells();
  EXPECT_EQ(range(0, 18), sorted(grid_->indexsForCacheCells()));
  grid_->setReleaseCacheQueueNoDisplayWhenMemoryWarning(true);
  ui::Application::shared().simulateMemoryWarning();
  EXPECT_EQ(range(0, 6), sorted(grid_->indexsForCacheCells()));
}

TEST_F(GridCacheTest, GeometryChangeMovesParkedCellsAndRemovesThemLater) {
  source_->reuse = false;
  makeGrid(30);
  scroll().beginDrag(Point{250, 100});
  scroll().dragTo(Point{-50, 100});  // page 1 shown, page 0 parked
  auto cell3 = grid_->getCellIndex(3);
  auto cell8 = grid_->getCellIndex(8);
  grid_->dirtyOneCellOfCacheAndQueue0WithNumber(6);  // whatever it was, it must not come back
  // One row a page instead of two: three cells a page, so page 1 now holds cells 3 to 5. The
  // cells of the old page 1 move to their new places and stay visible; those of the new page
  // come back from the queue without a call.
  recorder_->rows = 1;
  grid_->reflushWithLoad(true, false);
  grid_->reflushIfNeeded();
  EXPECT_EQ(range(0, 12), source_->asked);
  EXPECT_EQ(cell3, grid_->getCellIndex(3));
  EXPECT_EQ(grid_->rect0AtIndex(3), cell3->frame());
  EXPECT_EQ(grid_->rect0AtIndex(8), cell8->frame());
  EXPECT_EQ(1, cell8->alpha());
  scroll().endDrag();

  // Cells dropped from the queues now leave the view a moment later, not at once.
  grid_->prepareCells();
  EXPECT_EQ(scroll().shared(), cell8->superview());
  clock_->advance(0.1);
  runDueMainLoopTasks();
  EXPECT_EQ(nullptr, cell8->superview());
  EXPECT_EQ(scroll().shared(), cell3->superview());
  EXPECT_EQ(range(3, 6), sorted(grid_->indexsForCacheCells()));

  // A removal still pending when the grid goes is dropped with it (settling on page 3 drops
  // page 1's cells from the queues).
  grid_->setPage(3, false);
  EXPECT_EQ(scroll().shared(), cell3->superview());
  std::weak_ptr<GridView> weak = grid_;
  grid_->removeFromSuperview();
  grid_.reset();
  EXPECT_TRUE(weak.expired());
  clock_->advance(0.1);
  runDueMainLoopTasks();
}

TEST_F(GridCacheTest, CacheWindowAndNearestFirstPreparation) {
  configure_ = [](GridView& g) { g.setCacheCapacity(3); };
  makeGrid(30);
  // Pages 0 to 2 around page 0; the others of the window come afterwards, on the main loop.
  EXPECT_EQ(Rect(0, 0, 900, 400), grid_->rectForPrepareContent0(Rect(0, 0, 300, 400)));
  EXPECT_EQ(Rect(300, 0, 900, 400), grid_->rectForPrepareContent0(Rect(600, 0, 300, 400)));
  EXPECT_EQ(Rect(600, 0, 900, 400), grid_->rectForPrepareContent0(Rect(1200, 0, 300, 400)));
  EXPECT_EQ(range(0, 6), source_->asked);
  EXPECT_TRUE(grid_->isPreparing());
  finishPreparation();
  EXPECT_EQ(range(0, 18), source_->asked);

  // On page 2 a reload prepares outward from the visible cells 12–17, one below, one above.
  grid_->setPage(2, false);
  source_->asked.clear();
  grid_->reflushWithLoad(true, true);
  grid_->reflushIfNeeded();
  EXPECT_EQ(range(12, 18), sorted(source_->asked));
  source_->asked.clear();
  finishPreparation();
  EXPECT_EQ((Indexes{11, 18, 10, 19, 9, 20, 8, 21, 7, 22, 6, 23}), source_->asked);

  // Extending only the way the last programmatic change went.
  grid_->setCacheSingle(true);
  EXPECT_EQ(Rect(600, 0, 900, 400), grid_->rectForPrepareContent0(Rect(600, 0, 300, 400)));
  grid_->setPage(1, false);
  EXPECT_EQ(Rect(0, 0, 900, 400), grid_->rectForPrepareContent0(Rect(600, 0, 300, 400)));
}

TEST_F(GridCacheTest, FirstCellsOfAPageAreNotKeptOffScreen) {
  configure_ = [](GridView& g) {
    g.setCacheCapacity(3);
    g.setNoCacheCountForPage(2);
  };
  makeGrid(30);
  finishPreparation();
  grid_->setPage(1, false);
  EXPECT_EQ((Indexes{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15, 16, 17}), sorted(grid_->indexsForCacheCells()));
  EXPECT_FALSE(grid_->needCache0AtIndex(12));
  EXPECT_TRUE(grid_->needCache0AtIndex(14));
}

TEST_F(GridCacheTest, PendingWorkDoesNotOutliveTheGrid) {
  configure_ = [](GridView& g) { g.setCacheCapacity(3); };
  makeGrid(30);
  EXPECT_TRUE(grid_->isPreparing());
  std::weak_ptr<GridView> weak = grid_;
  grid_->removeFromSuperview();
  grid_.reset();
  EXPECT_TRUE(weak.expired());
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_EQ(range(0, 6), source_->asked);
}

}  // namespace
}  // namespace zu
