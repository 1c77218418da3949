// GridView: the long press on a cell. Without dragging it only reports the press's begin and
// end; with dragging the pressed cell follows the finger, the other cells move aside live as it
// passes over them (the delegate hears of each move at once), and holding it near the page's
// leading or trailing edge turns one page, then waits until the cell is over another cell, or
// for a second, before turning again. On release the cell glides into its slot.
//
// A drag that leaves the grid's cells goes on as inside: the interactive delegate is not told.
#include "platform/ui/motion/Animations.h"
#include "views/GridView.h"
#include "views/GridViewProtocol.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

// After a page turn the drag is looked at again this much later even if the finger rests.
constexpr double kReevaluateAfterTurn = 1.0;
constexpr double kTurnDelay = 0.1;
constexpr double kSettleDelay = 0.01;

}  // namespace

bool GridView::supportLongPress0AtIndex(int index) {
  auto d = delegate_.lock();
  return !d || d->gridViewSupportLongPressAtIndex(*this, index);
}

bool GridView::supportDragging0AtIndex(int index) {
  auto d = delegate_.lock();
  return !d || d->gridViewSupportDraggingAtIndex(*this, index);
}

void GridView::scrollViewLongGestureOnPoint(ScrollViewForGridView&, ui::GestureState gesture,
                                            ui::Point point) {
  const int index = curTouchCellIndex_;
  if (index < 0) return;
  auto keep = shared();
  const int state = static_cast<int>(gesture);
  if (!canDragging_ && !supportLongPress0AtIndex(index)) return;
  inLongPress_ = true;
  auto cell = cellFromCacheAndQueueAtIndex0(index);
  if (!canDragging_) {
    if (state == 2) return;
  } else if (state == 2) {
    if (!supportDragging0AtIndex(index)) return;
    if (cell) {
      if (auto super = cell->superview()) {
        cell->setCenter(super->convertPointFrom(ui::Point{point.x + deltaX_, point.y + deltaY_}, nullptr));
      }
    }
  }
  if (state == 1 && cell) {
    if (auto super = cell->superview()) {
      const ui::Point c = super->convertPointTo(cell->center(), nullptr);
      deltaX_ = c.x - point.x;
      deltaY_ = c.y - point.y;
    }
  }
  longPressDraging0(state, index);
}

void GridView::longPressDraging0(int state, int index) {
  auto d = delegate_.lock();
  auto cell = index >= 0 ? cellFromCacheAndQueueAtIndex0(index) : nullptr;
  if (state == 1) {
    if (d) d->gridViewLongPressBeginAtIndex(*this, index);
    if (cell) {
      if (auto super = cell->superview()) super->bringSubviewToFront(cell);
    }
    clickToken_ = false;
    return;
  }
  if (state >= 3) {
    ui::Animations::begin("relayout");
    ui::Animations::setDelay(kSettleDelay);
    updateType_ = -1;
    if (d) d->gridViewLongPressEndAtIndex(*this, index);
    curTouchCellIndex_ = -1;
    inLongPress_ = false;
    relayoutCacheCell0AtIndex(index);
    ui::Animations::commit();
    return;
  }
  if (state != 2 || !cell || !scrollView_) return;
  auto super = cell->superview();
  if (!super) return;
  super->bringSubviewToFront(cell);
  const int target = indexOfCellAtPoint0(super->convertPointTo(cell->center(), nullptr));

  if (pageChanged_) {
    if (lastTargetAfterTurn_ == -2) {
      lastTargetAfterTurn_ = target;
    } else if (lastTargetAfterTurn_ != target) {
      pageChanged_ = false;
    }
    if (pageChanged_) return;
  }

  const ui::Point at = cell->center();
  const bool next = inPageTurnZone0(at, true);
  if (next || inPageTurnZone0(at, false)) {
    lastTargetAfterTurn_ = -2;
    pageChanged_ = true;
    ui::Animations::begin(next ? "move next page" : "move pre page");
    ui::Animations::setDelay(kTurnDelay);
    // The cell keeps its place on screen while the content turns one page under it.
    const float len = pageLength();
    ui::Point c = cell->center();
    if (extendsHorizontal_) {
      c.x += next ? len : -len;
    } else {
      c.y += next ? len : -len;
    }
    cell->setCenter(c);
    if (next) {
      nextPage0();
    } else {
      prePage0();
    }
    ui::Animations::commit();
    postLater(kReevaluateAfterTurn, [](GridView& grid) { grid.simulateLongPressCurTouchCell0(); });
    return;
  }

  if (!changePostionRuntime_ || target < 0 || target == index) return;
  if (d && !d->gridViewShouldCellMoveFromIndexToIndex(*this, index, target)) return;
  cellMove0FromIndex(index, target, true);
  curTouchCellIndex_ = target;
  ui::Animations::begin("relayout");
  ui::Animations::setDelay(kSettleDelay);
  updateType_ = -1;
  relayoutCells0();
  ui::Animations::commit();
}

void GridView::simulateLongPressCurTouchCell0() {
  pageChanged_ = false;
  if (curTouchCellIndex_ < 0) return;
  auto keep = shared();
  longPressDraging0(2, curTouchCellIndex_);
}

// Within a third of a cell width of the page's trailing (next) or leading edge, along the
// paging axis, and a page exists that way.
bool GridView::inPageTurnZone0(ui::Point p, bool next) const {
  if (!scrollView_) return false;
  const float z = itemBounds_.size.width / 3;
  const ui::Size page = scrollView_->bounds().size;
  const float len = extendsHorizontal_ ? page.width : page.height;
  const float q = extendsHorizontal_ ? p.x : p.y;
  if (next) return q + z >= len * static_cast<float>(curPage_ + 1) && curPage_ < numberOfPages_ - 1;
  return q - z <= len * static_cast<float>(curPage_) && curPage_ > 0;
}

void GridView::relayoutCacheCell0AtIndex(int index) {
  if (index < 0) return;
  auto cell = cellFromCacheAndQueueAtIndex0(index);
  if (!cell || index == curTouchCellIndex_) return;
  cell->setFrame(rect0AtIndex(index));
  cell->setAlpha(1);
}

}  // namespace zu
