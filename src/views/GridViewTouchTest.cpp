#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui/input/LongPressGestureRecognizer.h"
#include "platform/ui/input/PanGestureRecognizer.h"
#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "testing/MainLoopTurn.h"
#include "views/GridViewTesting.h"

namespace zu {
namespace {

using gridtest::GridFixture;
using Journal = std::vector<std::string>;
using ui::Point;
using ui::Rect;

// Only the page reports of a journal.
Journal pages(const Journal& journal) {
  Journal out;
  for (const auto& line : journal) {
    if (line.rfind("scrolled", 0) == 0 || line.rfind("ended", 0) == 0 || line.rfind("over", 0) == 0 ||
        line.rfind("swipe", 0) == 0) {
      out.push_back(line);
    }
  }
  return out;
}

class GridTouchTest : public GridFixture {};

TEST_F(GridTouchTest, TouchDownClickAndCancelFromRawTouches) {
  makeGrid(30);
  recorder_->take();
  window_->tap(Point{50, 100});
  clock_->advance(1);  // no double tap
  // Between two cells: the delegate hears of the touch as -1 and nothing at its end.
  window_->tap(Point{100, 100});
  clock_->advance(1);
  // Down on cell 0, lifted over cell 3 below it, then over the gap: a cancel, no click.
  window_->endTouch(window_->beginTouch(Point{50, 100}), Point{50, 300});
  clock_->advance(1);
  window_->endTouch(window_->beginTouch(Point{150, 100}), Point{150, 193});
  EXPECT_EQ((Journal{"down 0", "click 0", "down -1", "down 0", "cancel 0", "down 1", "cancel 1"}),
            recorder_->take());
  EXPECT_EQ(-1, grid_->curTouchCellIndex());

  // A cancelled touch reports its cell (or -1) as cancelled.
  clock_->advance(1);
  window_->cancelTouch(window_->beginTouch(Point{250, 300}));
  EXPECT_EQ((Journal{"down 5", "cancel 5"}), recorder_->take());
}

TEST_F(GridTouchTest, SecondFingerAndRepeatedTapsAreSwallowed) {
  makeGrid(30);
  recorder_->take();
  // A second finger is ignored, and its end clears the tracking of the first, whose end is
  // then ignored too.
  auto first = window_->beginTouch(Point{50, 100});
  auto second = window_->beginTouch(Point{150, 100});
  window_->endTouch(second);
  window_->endTouch(first);
  EXPECT_EQ((Journal{"down 0"}), recorder_->take());
  EXPECT_FALSE(scroll().isTrackingTouch());

  // The second tap of a double tap never reaches the grid as a touch; the recogniser reports
  // it for the cell under it, and for no cell in a gap.
  clock_->advance(1);
  window_->tap(Point{250, 300});
  window_->tap(Point{250, 300});
  EXPECT_EQ((Journal{"down 5", "click 5", "doubleTap 5"}), recorder_->take());
  clock_->advance(1);
  window_->tap(Point{100, 100});
  window_->tap(Point{100, 100});
  EXPECT_EQ((Journal{"down -1"}), recorder_->take());

  // Without double taps the repeated tap is still swallowed.
  clock_->advance(1);
  grid_->setSupportDoubleTap(false);
  EXPECT_EQ(nullptr, scroll().tapGesture());
  window_->tap(Point{250, 300});
  window_->tap(Point{250, 300});
  EXPECT_EQ((Journal{"down 5", "click 5"}), recorder_->take());
}

TEST_F(GridTouchTest, HitTestBandsHeaderAndStrictEdges) {
  makeGrid(8);
  const float w = grid_->itemBounds().size.width;
  const float h = grid_->itemBounds().size.height;
  const float sx = w / 10.0f;
  const float sy = h / 10.0f;
  // The band before the first column, its end, and just inside the cell.
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{sx / 2, 100}));
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{sx - 0.01f, 100}));
  EXPECT_EQ(0, grid_->indexOfCellAtPoint0(Point{sx + 0.5f, 100}));
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{sx + w + 0.01f, 100}));
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{50, sy}));
  EXPECT_EQ(4, grid_->indexOfCellAtPoint0(Point{150, 300}));
  // Page 1 holds cells 6 and 7 only; its band is sx wide too.
  EXPECT_EQ(6, grid_->indexOfCellAtPoint0(Point{300 + sx + 2, 100}));
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{305, 100}));
  EXPECT_EQ(7, grid_->indexOfCellAtPoint0(Point{450, 100}));
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{350, 300}));  // index 9: past the count
  // Window points go through the scroll offset.
  scroll().setContentOffset(Point{300, 0});
  EXPECT_EQ(6, grid_->indexOfCellAtPoint0(Point{sx + 2, 100}));
}

class HeaderDelegate : public gridtest::Recorder {
 public:
  int placeholderForHeaderViewInGridView(GridView&) override { return 1; }
  std::shared_ptr<ui::View> headerViewInGridView(GridView&) override { return header; }
  std::shared_ptr<ui::View> header = std::make_shared<ui::View>();
};

TEST_F(GridTouchTest, HitTestSkipsTheHeaderPlaceholder) {
  recorder_ = std::make_shared<HeaderDelegate>();
  makeGrid(12);
  const float w = grid_->itemBounds().size.width;
  const float sx = w / 10.0f;
  // One header column: the first page's cells start after it, two per row.
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{sx + w - 1, 100}));
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{2 * sx + w, 100}));
  EXPECT_EQ(0, grid_->indexOfCellAtPoint0(Point{2 * sx + w + 1, 100}));
  EXPECT_EQ(2, grid_->indexOfCellAtPoint0(Point{120, 300}));
  EXPECT_EQ(3, grid_->indexOfCellAtPoint0(Point{250, 300}));
  EXPECT_EQ(4, grid_->indexOfCellAtPoint0(Point{350, 100}));
  // The same in a vertical grid: one header row.
  makeGrid(12, Rect(0, 0, 300, 400), false);
  const float h = grid_->itemBounds().size.height;
  const float sy = h / 10.0f;
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(Point{50, sy + h + 1}));
  EXPECT_EQ(0, grid_->indexOfCellAtPoint0(Point{50, 2 * sy + h + 1}));
  EXPECT_EQ(3, grid_->indexOfCellAtPoint0(Point{50, 430}));
}

TEST_F(GridTouchTest, PageReportsForDragsAndProgrammaticChanges) {
  makeGrid(30);  // 5 pages of 300 points
  EXPECT_EQ((Journal{"pages 0->5", "scrolled 0->0", "ended 0->0"}), recorder_->take());

  // A drag across two pages: one report per boundary, one end from where it began.
  scroll().beginDrag(Point{250, 100});
  scroll().dragTo(Point{100, 100});   // offset 150: page 1's half
  scroll().dragTo(Point{-250, 100});  // offset 500
  scroll().endDragDeceleratingTo(Point{600, 0});
  scroll().finishDecelerating();
  EXPECT_EQ(600, scroll().contentOffset().x);
  EXPECT_EQ((Journal{"scrolled 0->1", "scrolled 1->2", "ended 0->2", "animationFinished"}),
            recorder_->take());

  // A drag that returns to the reported page: two page reports and no end.
  scroll().beginDrag(Point{250, 100});
  scroll().dragTo(Point{50, 100});
  scroll().dragTo(Point{250, 100});
  scroll().endDrag();
  EXPECT_EQ((Journal{"scrolled 2->3", "scrolled 3->2"}), pages(recorder_->take()));

  // A programmatic change, unanimated and animated; the same page again does nothing.
  grid_->setPage(4, false);
  EXPECT_EQ((Journal{"scrolled 2->4", "ended 2->4", "animationFinished"}), recorder_->take());
  grid_->setPage(4, true);
  grid_->setPage(9, true);
  EXPECT_EQ(Journal{}, recorder_->take());
  grid_->setPage(1, true);
  clock_->advance(ui::ScrollView::kScrollAnimationDuration);
  runDueMainLoopTasks();
  EXPECT_EQ((Journal{"scrolled 4->1", "ended 4->1", "animationFinished"}), recorder_->take());
  EXPECT_EQ(1, grid_->getCurPage());
}

TEST_F(GridTouchTest, PullingPastTheEnds) {
  makeGrid(12);  // 2 pages
  recorder_->take();
  scroll().beginDrag(Point{100, 100});
  // The rubber band shows a pull of 15 points as 8 before page 0: not yet past the 20 points;
  // pulls of 50 and 60 show as 25 and 29.
  scroll().dragTo(Point{115, 100});
  scroll().dragTo(Point{150, 100});
  scroll().dragTo(Point{160, 100});
  EXPECT_EQ((Journal{"overBegin", "overBegin"}), pages(recorder_->take()));
  scroll().endDrag();
  scroll().finishDecelerating();
  recorder_->take();
  grid_->setPage(1, false);
  recorder_->take();
  scroll().beginDrag(Point{200, 100});
  scroll().dragTo(Point{190, 100});  // shown 5 past the start of the last page
  scroll().dragTo(Point{150, 100});  // shown 25 past
  EXPECT_EQ((Journal{"overEnd"}), pages(recorder_->take()));
  scroll().endDrag();
}

TEST_F(GridTouchTest, SwipesTurnPagesOrGoToTheDelegate) {
  makeGrid(12);  // 2 pages
  grid_->setFlipPageModel(3);
  grid_->setGestureEscapeEnable(true);
  EXPECT_FALSE(scroll().isScrollEnabled());
  recorder_->take();
  auto swipe = [&](float from, float to) {
    clock_->advance(1);
    window_->drag(Point{from, 200}, Point{to, 200}, 3);
  };
  swipe(250, 150);  // left: the next page, animated
  EXPECT_TRUE(grid_->isAnimation());
  swipe(250, 150);  // blocked until the new page's cells are prepared
  EXPECT_EQ(Journal{}, pages(recorder_->take()));
  clock_->advance(ui::ScrollView::kScrollAnimationDuration);
  runDueMainLoopTasks();
  EXPECT_FALSE(grid_->isAnimation());
  EXPECT_EQ((Journal{"scrolled 0->1", "ended 0->1"}), pages(recorder_->take()));
  clock_->advance(0.1);
  runDueMainLoopTasks();
  swipe(250, 150);  // on the last page
  EXPECT_EQ((Journal{"overEnd"}), pages(recorder_->take()));
  EXPECT_EQ(1, grid_->getCurPage());

  // Model 5 hands swipes to the delegate: 2 left, 1 right.
  grid_->setFlipPageModel(5);
  swipe(150, 250);
  swipe(250, 150);
  EXPECT_EQ((Journal{"swipe 1", "swipe 2"}), pages(recorder_->take()));
  EXPECT_EQ(1, grid_->getCurPage());
}

class ScrollRecorder : public ScrollViewForGridViewProtocol {
 public:
  Journal journal;
  void swipeLeftAction(ScrollViewForGridView&) override { journal.push_back("swipeLeft"); }
  void swipeRightAction(ScrollViewForGridView&) override { journal.push_back("swipeRight"); }
  void scrollViewTouchesStarted(ScrollViewForGridView&, Point p) override { note("started", p); }
  void scrollViewTouchesMoved(ScrollViewForGridView&, Point p) override { note("moved", p); }
  void scrollViewTouchesEnded(ScrollViewForGridView&, Point p) override { note("ended", p); }
  void scrollViewTouchesCancelled(ScrollViewForGridView&, Point p) override { note("cancelled", p); }
  void scrollViewLongGestureOnPoint(ScrollViewForGridView&, ui::GestureState s, Point p) override {
    note("long" + std::to_string(static_cast<int>(s)), p);
  }
  void scrollViewPanGestureOnPoint(ScrollViewForGridView&, ui::GestureState s, Point p) override {
    note("pan" + std::to_string(static_cast<int>(s)), p);
  }
  void scrollViewTapGestureOnPoint(ScrollViewForGridView&, ui::TapGestureRecognizer&, Point p) override {
    note("tap", p);
  }
  void scrollViewAcquireFocus(ScrollViewForGridView&) override { journal.push_back("focus"); }

 private:
  void note(const std::string& what, Point p) {
    journal.push_back(what + " " + std::to_string(static_cast<int>(p.x)) + "," +
                      std::to_string(static_cast<int>(p.y)));
  }
};

TEST_F(GridTouchTest, ScrollViewRecognisersFollowTheModel) {
  auto recorder = std::make_shared<ScrollRecorder>();
  auto sv = ScrollViewForGridView_3_0::create(Rect(0, 0, 320, 480));
  sv->setScrollViewForGridViewDelegate(recorder);
  window_->addSubview(sv);
  EXPECT_TRUE(sv->isMultipleTouchEnabled());
  EXPECT_FALSE(sv->isPagingEnabled());
  EXPECT_EQ(recorder, std::dynamic_pointer_cast<ScrollRecorder>(sv->delegate()));

  sv->setFlipPageModel(1);
  auto pan = sv->panGesture();
  ASSERT_TRUE(pan);
  EXPECT_FALSE(sv->isScrollEnabled());
  EXPECT_TRUE(sv->isPagingEnabled());
  sv->setFlipPageModel(1);
  EXPECT_EQ(pan, sv->panGesture());
  sv->setFlipPageModel(3);
  EXPECT_EQ(nullptr, sv->panGesture());
  ASSERT_TRUE(sv->swipeLeftRecognizer());
  EXPECT_FALSE(sv->isScrollEnabled());
  sv->setFlipPageModel(4);
  EXPECT_EQ(nullptr, sv->swipeLeftRecognizer());
  EXPECT_TRUE(sv->isScrollEnabled());

  // Simultaneous recognition by exact class.
  auto tap = std::make_shared<ui::TapGestureRecognizer>();
  auto longPress = std::make_shared<ui::LongPressGestureRecognizer>();
  auto otherPan = std::make_shared<ui::PanGestureRecognizer>();
  auto ownPan = sv->panGestureRecognizer();
  EXPECT_FALSE(sv->shouldRecognizeSimultaneously(*tap, *tap));
  EXPECT_TRUE(sv->shouldRecognizeSimultaneously(*longPress, *longPress));
  EXPECT_TRUE(sv->shouldRecognizeSimultaneously(*longPress, *tap));
  EXPECT_FALSE(sv->shouldRecognizeSimultaneously(*longPress, *ownPan));
  EXPECT_FALSE(sv->shouldRecognizeSimultaneously(*otherPan, *otherPan));
  sv->setFlipPageModel(2);
  EXPECT_TRUE(sv->shouldRecognizeSimultaneously(*otherPan, *otherPan));
  EXPECT_FALSE(sv->shouldRecognizeSimultaneously(*ownPan, *otherPan));

  // The long press reports where the tracked finger is now; the lift reports focus, then the
  // end.
  sv->setFlipPageModel(4);
  recorder->journal.clear();
  auto touch = window_->beginTouch(Point{100, 100});
  window_->moveTouch(touch, Point{104, 103});
  clock_->advance(1);
  runDueMainLoopTasks();
  window_->endTouch(touch);
  EXPECT_EQ((Journal{"started 100,100", "moved 104,103", "long1 104,103", "long3 104,103", "focus",
                     "ended 104,103"}),
            recorder->journal);
}

}  // namespace
}  // namespace zu
