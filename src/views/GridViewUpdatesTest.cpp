#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ViewTreeDump.h"
#include "testing/MainLoopTurn.h"
#include "views/GridViewTesting.h"

namespace zu {
namespace {

using gridtest::GridFixture;
using Journal = std::vector<std::string>;
using ui::Point;
using ui::Rect;

// The grid's dictionaries as text: key:tag for each cell, "?" after a cell whose indexNumber
// does not match its key (the key for cached and parked cells, -1 for free ones).
std::string contents(const GridView& grid) {
  auto entry = [](int key, const GridViewCell& cell) {
    const int expected = key >= 0 ? key : -1;
    return " " + std::to_string(key) + ":" + std::to_string(cell.tag()) +
           (cell.indexNumber() == expected ? "" : "?");
  };
  std::string out = "cache{";
  for (const auto& [key, cell] : grid.cellCache()) out += entry(key, *cell);
  out += " }";
  for (const auto& [id, queue] : grid.reuseCellQueue()) {
    out += " " + id + "{";
    for (const auto& [key, cell] : queue) out += entry(key, *cell);
    out += " }";
  }
  return out;
}

// Only the lines of a journal that start with one of `prefixes`.
Journal only(const Journal& journal, std::initializer_list<const char*> prefixes) {
  Journal out;
  for (const auto& line : journal) {
    for (const char* prefix : prefixes) {
      if (line.rfind(prefix, 0) == 0) {
        out.push_back(line);
        break;
      }
    }
  }
  return out;
}

// Within half a point: cells made at a rectangle of whole points get the exact cell size.
bool sameCentre(const Rect& a, const Rect& b) {
  return std::abs(a.midX() - b.midX()) < 0.5f && std::abs(a.midY() - b.midY()) < 0.5f;
}

Point operator+(Point a, Point b) { return Point{a.x + b.x, a.y + b.y}; }

class GridUpdatesTest : public GridFixture {
 protected:
  // 30 distinct cells (6 a page); the content scrolled to page 1 without settling, so page 0's
  // cells are parked; cell 7 reloaded, so its old cell waits free under -8 and the new one is
  // tagged 107.
  void parkPageZeroAndFreeSeven() {
    source_->reuse = false;
    makeGrid(30);
    scroll().setContentOffset(Point{300, 0});
    grid_->reloadCellAtIndexs({7}, false);
    grid_->getCellIndex(7)->setTag(107);
    ASSERT_EQ("cache{ 6:6 7:107 8:8 9:9 10:10 11:11 } cell{ -8:7 0:0 1:1 2:2 3:3 4:4 5:5 }", contents(*grid_));
    source_->asked.clear();
    recorder_->take();
  }
  // Cells in the scroll view that none of the dictionaries holds: lost cells.
  int lostCells() {
    int lost = 0;
    for (auto& v : scroll().subviews()) {
      auto cell = std::dynamic_pointer_cast<GridViewCell>(v);
      if (!cell) continue;
      bool held = false;
      for (const auto& [k, c] : grid_->cellCache()) held = held || c == cell;
      for (const auto& [id, q] : grid_->reuseCellQueue()) {
        for (const auto& [k, c] : q) held = held || c == cell;
      }
      if (!held) ++lost;
    }
    return lost;
  }
  // Moves a pressed finger to `to`. The long press reports where the scroll view last saw the
  // finger, which it learns after the recogniser: a second event at the same place brings it.
  void slide(const std::shared_ptr<ui::Touch>& finger, Point to) {
    window_->moveTouch(finger, to);
    window_->moveTouch(finger, to);
  }
  Point centreInWindow(int index) {
    const Rect r = scroll().convertRectTo(grid_->rect0AtIndex(index), nullptr);
    return Point{r.midX(), r.midY()};
  }
  // A finger held on `at` until the long press begins.
  std::shared_ptr<ui::Touch> pressLong(Point at) {
    auto touch = window_->beginTouch(at);
    clock_->advance(0.6);
    runDueMainLoopTasks();
    return touch;
  }
};

TEST_F(GridUpdatesTest, InsertRekeysCachedAndParkedCellsHighestFirstAndLeavesFreeCells) {
  parkPageZeroAndFreeSeven();
  // What the dictionaries hold when the first missing cell is asked for: renumbered, and the
  // cells that left the window parked.
  std::string whenAsked;
  source_->onAsk = [&](int) {
    if (whenAsked.empty()) whenAsked = contents(*grid_);
  };
  source_->count = 32;
  grid_->insertCellAtIndexs({0, 8}, false);
  EXPECT_EQ("cache{ 6:5 7:6 9:107 10:8 11:9 } cell{ -8:7 1:0 2:1 3:2 4:3 5:4 12:10 13:11 }", whenAsked);
  // Only the inserted index of the visible page was asked for; the preparation then cleared
  // the queues.
  EXPECT_EQ((std::vector<int>{8}), source_->asked);
  EXPECT_EQ("cache{ 6:5 7:6 8:8 9:107 10:8 11:9 } cell{ }", contents(*grid_));
  EXPECT_EQ((Journal{"pages 5->6"}), only(recorder_->take(), {"pages"}));
  EXPECT_EQ(0, lostCells());
  EXPECT_EQ(-1, grid_->updateType());
}

TEST_F(GridUpdatesTest, DeleteFreesDeletedCellsAndRekeysTheRestLowestFirst) {
  parkPageZeroAndFreeSeven();
  source_->count = 28;
  grid_->deleteCellAtIndexs({2, 9}, false);
  // 2 (parked) and 9 (cached) are free; 3…8 moved down one, 10 and 11 two; the cell now at 5
  // left the visible page and is parked; 10 and 11 were made.
  EXPECT_EQ("cache{ 6:107 7:8 8:10 9:11 10:10 11:11 } cell{ -10:9 -8:7 -3:2 0:0 1:1 2:3 3:4 4:5 5:6 }",
            contents(*grid_));
  EXPECT_EQ((std::vector<int>{10, 11}), source_->asked);
  EXPECT_EQ(0, lostCells());
}

TEST_F(GridUpdatesTest, DeleteAdjustsTheTouchedIndexAndLeavesUnmadeCellsOut) {
  source_->reuse = false;
  makeGrid(7);
  auto finger = window_->beginTouch(centreInWindow(5));
  ASSERT_EQ(5, grid_->curTouchCellIndex());
  source_->count = 5;
  grid_->deleteCellAtIndexs({2, 4}, false);
  // 3 → 2, 5 → 3; cell 6 was never made and keeps no entry; the touched cell followed.
  EXPECT_EQ(3, grid_->curTouchCellIndex());
  EXPECT_EQ("cache{ 0:0 1:1 2:3 3:5 4:4 } cell{ -5:4 -3:2 }", contents(*grid_));
  window_->cancelTouch(finger);

  clock_->advance(1);
  finger = window_->beginTouch(centreInWindow(3));
  ASSERT_EQ(3, grid_->curTouchCellIndex());
  source_->count = 3;
  grid_->deleteCellAtIndexs({1, 3}, false);
  EXPECT_EQ(-1, grid_->curTouchCellIndex());
  window_->cancelTouch(finger);
}

TEST_F(GridUpdatesTest, DeletingTheLastPageShowsThePageBeforeAndReportsIt) {
  makeGrid(8);
  grid_->setPage(1, false);
  recorder_->take();
  source_->count = 6;
  grid_->deleteCellAtIndexs({6, 7}, true);
  EXPECT_EQ((Journal{"pages 2->1", "scrolled 1->0", "ended 1->0"}), recorder_->take());
  EXPECT_EQ(0, grid_->getCurPage());
  EXPECT_EQ(0, scroll().contentOffset().x);
  EXPECT_EQ(6u, grid_->indexsForVisibleCells().size());
}

TEST_F(GridUpdatesTest, MoveCarriesCachedAndParkedCellsAndShiftsTheOthers) {
  parkPageZeroAndFreeSeven();
  // The source is parked: it travels to 8, and 4…8 move down one.
  grid_->moveCellFromIndex(3, 8);
  EXPECT_EQ("cache{ 6:107 7:8 8:3 9:9 10:10 11:11 } cell{ -8:7 0:0 1:1 2:2 3:4 4:5 5:6 }", contents(*grid_));
  EXPECT_EQ(0, lostCells());
  EXPECT_EQ(1, grid_->getCellIndex(8)->alpha());
  // Upward from a cached cell: 8…10 move up one.
  grid_->moveCellFromIndex(11, 8, true);
  EXPECT_EQ("cache{ 6:107 7:8 8:11 9:3 10:9 11:10 } cell{ -8:7 0:0 1:1 2:2 3:4 4:5 5:6 }", contents(*grid_));
  auto moved = ui::AnimationLog::shared().named("relayout");
  ASSERT_EQ(1u, moved.size());
  EXPECT_EQ(0.01, moved[0]->delay);
  EXPECT_TRUE(source_->asked.empty());

  // Equal, out of range and refused moves change nothing and tell nothing.
  const std::string before = contents(*grid_);
  grid_->moveCellFromIndex(3, 3);
  grid_->moveCellFromIndex(-1, 3);
  grid_->moveCellFromIndex(3, 30);
  recorder_->allowMoves = false;
  grid_->moveCellFromIndex(6, 7);
  EXPECT_EQ(before, contents(*grid_));
  EXPECT_TRUE(only(recorder_->take(), {"move"}).empty());
}

TEST_F(GridUpdatesTest, StartStateOfEachUpdateTypeIsInTheAnimationLog) {
  source_->reuse = false;
  makeGrid(12);
  auto& log = ui::AnimationLog::shared();

  // Insert: the new cell grows from half size and fades in at its place; the others slide on.
  source_->count = 13;
  auto oldFirst = grid_->getCellIndex(0);
  grid_->insertCellAtIndexs({0}, true);
  auto inserted = grid_->getCellIndex(0);
  ASSERT_TRUE(inserted);
  auto insert = log.named("insertCells");
  ASSERT_EQ(1u, insert.size());
  EXPECT_EQ(0.2, insert[0]->duration);
  const Rect r0 = grid_->rect0AtIndex(0);
  const auto* alpha = insert[0]->change(inserted.get(), "alpha");
  ASSERT_TRUE(alpha);
  EXPECT_EQ(ui::AnimatableValue(0.0f), alpha->from);
  const auto* bounds = insert[0]->change(inserted.get(), "bounds");
  ASSERT_TRUE(bounds);
  EXPECT_EQ(ui::AnimatableValue(Rect(0, 0, r0.size.width / 2, r0.size.height / 2)), bounds->from);
  const auto* slide = insert[0]->change(oldFirst.get(), "frame");
  ASSERT_TRUE(slide);
  EXPECT_EQ(ui::AnimatableValue(r0), slide->from);
  EXPECT_EQ(ui::AnimatableValue(grid_->rect0AtIndex(1)), slide->to);

  // Delete: the dirtied cell fades out in the first block; in the second the cell made for the
  // last place of the page comes, half size, from the place of the next index.
  source_->count = 12;
  auto gone = grid_->getCellIndex(0);
  grid_->deleteCellAtIndexs({0}, true);
  auto del = log.named("deleteCells");
  ASSERT_EQ(2u, del.size());
  ASSERT_TRUE(del[0]->change(gone.get(), "alpha"));
  auto made = grid_->getCellIndex(5);
  const auto* from = del[1]->change(made.get(), "frame");
  ASSERT_TRUE(from);
  const Rect next = grid_->rect0AtIndex(6);
  EXPECT_TRUE(sameCentre(next, std::get<Rect>(from->from)));
  EXPECT_EQ(ui::AnimatableValue(grid_->rect0AtIndex(5)), from->to);
  const auto* grown = del[1]->change(made.get(), "bounds");
  ASSERT_TRUE(grown);
  EXPECT_NEAR(next.size.width / 2, std::get<Rect>(grown->from).size.width, 0.5);
  EXPECT_EQ(0, grid_->updateType());

  // Animated reload of cells: the new cell starts where it ends, fully shown.
  auto old2 = grid_->getCellIndex(2);
  grid_->reloadCellAtIndexs({2}, true);
  auto reloaded = log.named("reloadCells");
  ASSERT_EQ(1u, reloaded.size());
  EXPECT_TRUE(reloaded[0]->change(old2.get(), "alpha"));
  auto fresh = grid_->getCellIndex(2);
  EXPECT_NE(old2, fresh);
  if (const auto* f = reloaded[0]->change(fresh.get(), "frame")) {
    EXPECT_TRUE(sameCentre(std::get<Rect>(f->from), std::get<Rect>(f->to)));
  }
  EXPECT_EQ(nullptr, reloaded[0]->change(fresh.get(), "alpha"));
  EXPECT_EQ(2, grid_->updateType());

  // A geometry change inside an enclosing animation: cells start where their index was in the
  // previous layout (3 when the page holds more cells, 4 when fewer).
  for (int rows : {3, 2}) {
    recorder_->rows = rows;
    grid_->reflushWithLoad(true, true);
    ui::Animations::begin("rotation");
    grid_->setNeedsLayout();
    grid_->layoutIfNeeded();
    ui::Animations::commit();
    EXPECT_EQ(rows == 3 ? 3 : 4, grid_->updateType());
    auto cell = grid_->getCellIndex(4);
    const auto* moved = log.last()->change(cell.get(), "frame");
    ASSERT_TRUE(moved) << rows;
    EXPECT_TRUE(sameCentre(grid_->rectOnPreLayout0(4), std::get<Rect>(moved->from)));
    EXPECT_EQ(ui::AnimatableValue(grid_->rect0AtIndex(4)), moved->to);
  }
  // Animations are on again after each cell was made.
  EXPECT_TRUE(ui::Animations::areEnabled());
}

TEST_F(GridUpdatesTest, FullReloadDiscardsEveryCellAndSettlesOnTheRequestedPage) {
  source_->reuse = false;
  makeGrid(30);
  grid_->setPage(1, false);
  recorder_->take();
  source_->asked.clear();
  source_->count = 20;
  grid_->reloadDataToPage(9);
  // Brought back to the last page (4 pages now), reported once, and only its cells made.
  EXPECT_EQ(3, grid_->getCurPage());
  EXPECT_EQ(900, scroll().contentOffset().x);
  EXPECT_EQ((Journal{"pages 5->4", "scrolled 1->3", "ended 1->3"}),
            only(recorder_->take(), {"pages", "scrolled", "ended"}));
  EXPECT_EQ((std::vector<int>{19, 18}), source_->asked);
  EXPECT_EQ(2, grid_->updateType());
  for (const auto& [id, queue] : grid_->reuseCellQueue()) EXPECT_TRUE(queue.empty());

  // The old page gone and the first one asked for: one move from the old page to it, not a
  // step back to the new last page first.
  source_->count = 8;
  grid_->reloadDataToPage(0);
  EXPECT_EQ(0, grid_->getCurPage());
  EXPECT_EQ(0, scroll().contentOffset().x);
  EXPECT_EQ((Journal{"pages 4->2", "scrolled 3->0", "ended 3->0"}),
            only(recorder_->take(), {"pages", "scrolled", "ended"}));
}

TEST_F(GridUpdatesTest, LongPressWithoutDraggingOnlyReportsBeginAndEnd) {
  configure_ = [](GridView& g) { g.setSupportDoubleTap(false); };
  makeGrid(12);
  recorder_->take();
  const Rect frame = grid_->getCellIndex(1)->frame();
  auto finger = pressLong(centreInWindow(1));
  window_->moveTouch(finger, centreInWindow(4));
  window_->endTouch(finger, centreInWindow(4));
  EXPECT_EQ((Journal{"down 1", "longBegin 1", "longEnd 1"}), recorder_->take());
  EXPECT_EQ(frame, grid_->getCellIndex(1)->frame());
  EXPECT_FALSE(grid_->inLongPress());
  EXPECT_EQ(-1, grid_->curTouchCellIndex());

  // A press between cells does nothing; a cell the delegate does not let be pressed neither.
  clock_->advance(1);
  window_->endTouch(pressLong(Point{101, 100}));
  recorder_->allowLongPress = false;
  clock_->advance(1);
  window_->endTouch(pressLong(centreInWindow(1)));
  EXPECT_EQ((Journal{"down -1", "down 1", "click 1"}), recorder_->take());
}

TEST_F(GridUpdatesTest, DraggingACellMovesTheOthersLiveAndSettlesIt) {
  source_->reuse = false;
  configure_ = [](GridView& g) { g.setCanDragging(true); };
  makeGrid(12);
  recorder_->take();
  auto dragged = grid_->getCellIndex(2);
  auto finger = pressLong(centreInWindow(2));
  slide(finger, centreInWindow(2) + Point{0, 60});
  slide(finger, centreInWindow(5) + Point{0, 5});
  // Cell 2 over 5: 3, 4 and 5 move back one, and the delegate hears of it at once.
  EXPECT_EQ("cache{ 0:0 1:1 2:3 3:4 4:5 5:2 }", contents(*grid_));
  EXPECT_EQ(5, grid_->curTouchCellIndex());
  EXPECT_NEAR(centreInWindow(5).y + 5, scroll().convertPointTo(dragged->center(), nullptr).y, 0.01);
  EXPECT_EQ(grid_->rect0AtIndex(4), grid_->getCellIndex(4)->frame());
  window_->endTouch(finger, centreInWindow(5));
  EXPECT_EQ((Journal{"down 2", "longBegin 2", "move 2->5", "longEnd 5"}), recorder_->take());
  EXPECT_EQ(grid_->rect0AtIndex(5), dragged->frame());
  EXPECT_EQ(ui::AnimatableValue(grid_->rect0AtIndex(5)),
            ui::AnimationLog::shared().last()->change(dragged.get(), "frame")->to);

  // A refused move leaves the cells in place while the cell follows the finger; a cell that
  // may not be dragged stays where it is, yet its press is reported.
  recorder_->allowMoves = false;
  clock_->advance(1);
  finger = pressLong(centreInWindow(0));
  slide(finger, centreInWindow(1));
  EXPECT_EQ("cache{ 0:0 1:1 2:3 3:4 4:5 5:2 }", contents(*grid_));
  EXPECT_NEAR(centreInWindow(1).x, scroll().convertPointTo(grid_->getCellIndex(0)->center(), nullptr).x, 0.01);
  window_->endTouch(finger);
  recorder_->allowDragging = false;
  clock_->advance(1);
  finger = pressLong(centreInWindow(0));
  slide(finger, centreInWindow(1));
  EXPECT_EQ(grid_->rect0AtIndex(0), grid_->getCellIndex(0)->frame());
  window_->endTouch(finger);
  EXPECT_EQ((Journal{"down 0", "longBegin 0", "longEnd 0", "down 0", "longBegin 0", "longEnd 0"}),
            recorder_->take());
}

TEST_F(GridUpdatesTest, HoldingADraggedCellAtTheEdgeTurnsOnePageAtATime) {
  configure_ = [](GridView& g) { g.setCanDragging(true); };
  makeGrid(30);  // 5 pages
  grid_->setPage(1, false);
  recorder_->take();
  auto finger = pressLong(centreInWindow(7));
  auto dragged = grid_->getCellIndex(7);
  // The cell's centre within a third of a cell of the right edge: one page on, the cell stays
  // under the finger.
  slide(finger, Point{285, centreInWindow(7).y});
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_NEAR(285, scroll().convertPointTo(dragged->center(), nullptr).x, 0.01);
  ASSERT_EQ(1u, ui::AnimationLog::shared().named("move next page").size());
  // Still in the zone over the same cell: held.
  slide(finger, Point{287, centreInWindow(7).y});
  slide(finger, Point{286, centreInWindow(7).y});
  EXPECT_EQ(2, grid_->getCurPage());
  // A second later the drag is looked at again and turns once more.
  clock_->advance(1.0);
  runDueMainLoopTasks();
  EXPECT_EQ(3, grid_->getCurPage());
  clock_->advance(1.0);
  runDueMainLoopTasks();
  EXPECT_EQ(4, grid_->getCurPage());
  // The last page turns nothing.
  clock_->advance(1.0);
  runDueMainLoopTasks();
  slide(finger, Point{288, centreInWindow(7).y});
  EXPECT_EQ(4, grid_->getCurPage());
  window_->endTouch(finger);
  EXPECT_EQ((Journal{"scrolled 1->2", "scrolled 2->3", "scrolled 3->4"}), only(recorder_->take(), {"scrolled"}));
  // A re-evaluation pending when the grid goes is dropped with it.
  finger = pressLong(centreInWindow(26));
  slide(finger, Point{15, centreInWindow(26).y});
  EXPECT_EQ(3, grid_->getCurPage());
  container_->removeFromSuperview();
  std::weak_ptr<GridView> weak = grid_;
  grid_.reset();
  container_.reset();
  window_->cancelTouch(finger);
  EXPECT_TRUE(weak.expired());
  clock_->advance(2);
  runDueMainLoopTasks();
}

TEST_F(GridUpdatesTest, PageChangesUnderTheScrollingModelsReportOnce) {
  for (int model : {3, 4, 5}) {
    configure_ = [model](GridView& g) { g.setFlipPageModel(model); };
    makeGrid(30);
    recorder_->take();
    grid_->setPage(2, false);
    EXPECT_EQ((Journal{"scrolled 0->2", "ended 0->2", "animationFinished"}), recorder_->take()) << model;
    grid_->setPage(2, true);  // the current page: nothing at all
    EXPECT_TRUE(recorder_->take().empty());
    grid_->setPage(-3, true);
    clock_->advance(1);
    runDueMainLoopTasks();
    EXPECT_EQ((Journal{"scrolled 2->0", "ended 2->0", "animationFinished"}), recorder_->take()) << model;
    EXPECT_EQ(0, grid_->getCurPage());
    EXPECT_TRUE(grid_->canBounce());
    EXPECT_EQ(nullptr, grid_->flipView());
    container_->removeFromSuperview();
    container_ = std::make_shared<ui::View>(Rect(0, 0, 320, 480));
    window_->addSubview(container_);
  }
}

// The home screen's grid, 3 columns by 2 rows at 306 × 354, through an insert, a delete, a drag
// and page changes; each state is dumped and rendered for a reviewer.
TEST_F(GridUpdatesTest, HomeGridScriptRenderedForReview) {
  source_ = std::make_shared<gridtest::PaintedSource>();
  source_->reuse = false;
  recorder_->rows = 2;
  recorder_->cols = 3;
  recorder_->ratioX = 12;
  recorder_->ratioY = 12;
  configure_ = [](GridView& g) { g.setCanDragging(true); };
  window_->setBackgroundColor(ui::Color{1, 1, 1, 1});
  makeGrid(14, Rect(7, 20, 306, 354));
  recorder_->take();
  // The view trees of every state, beside the pictures.
  std::ofstream dump(ui::ContrastAudit::write(*window_, *ui::render(*window_), "grid_home_0_start")->replace_filename("grid_home_script.txt"));
  dump << "== grid_home_0_start\n" << ui::dumpViewTree(*grid_);
  auto keep = [&](const std::string& name) {
    clock_->advance(0.5);
    runDueMainLoopTasks();
    auto image = ui::render(*window_);
    ASSERT_TRUE(image);
    EXPECT_TRUE(ui::ContrastAudit::write(*window_, *image, name));
    dump << "== " << name << "\n" << ui::dumpViewTree(*grid_);
  };
  source_->count = 15;
  grid_->insertCellAtIndexs({1}, true);
  keep("grid_home_1_inserted");
  EXPECT_EQ(1, grid_->getCellIndex(1)->tag());
  EXPECT_EQ(1, grid_->getCellIndex(2)->tag());

  source_->count = 14;
  grid_->deleteCellAtIndexs({3}, true);
  keep("grid_home_2_deleted");

  auto finger = pressLong(centreInWindow(0));
  slide(finger, centreInWindow(0) + Point{40, 60});
  slide(finger, centreInWindow(4));
  keep("grid_home_3_dragging");
  window_->endTouch(finger);
  keep("grid_home_4_dropped");
  EXPECT_EQ(0, grid_->getCellIndex(4)->tag());

  grid_->setPage(2, true);
  keep("grid_home_5_last_page");
  EXPECT_EQ(2, grid_->getCurPage());
  EXPECT_EQ(12, grid_->getCellIndex(12)->tag());
  EXPECT_EQ((Journal{"move 0->4", "scrolled 0->2", "ended 0->2"}),
            only(recorder_->take(), {"move", "scrolled", "ended"}));
}

}  // namespace
}  // namespace zu
