// GridView: the grid's side of its scroll view — touches, the double tap, swipes, the scrolling
// callbacks with the page reports — and the hit test of cells under a point.
#include <cmath>

#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "views/GridView.h"
#include "views/GridViewProtocol.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

// After a programmatic scroll animation the cells around the new page are prepared this much
// later, once the page has settled.
constexpr double kPrepareAfterAnimation = 0.1;

}  // namespace

// --- delegate forwarding

void GridView::touchDownCellAtIndex0(int index) {
  if (auto d = delegate_.lock()) d->gridViewTouchDownCellAtIndex(*this, index);
}

void GridView::touchCancelCellAtIndex0(int index) {
  if (auto d = delegate_.lock()) d->gridViewTouchCancelCellAtIndex(*this, index);
}

void GridView::clickCellAtIndex0(int index) {
  if (auto d = delegate_.lock()) d->gridViewDidClickCellAtIndex(*this, index);
}

void GridView::animationFinished0() {
  if (auto d = delegate_.lock()) d->animationFinished(*this);
}

// --- page reports

void GridView::pageScrolled0From(int from, int to) {
  if (!pageChanging_) {
    oldPage_ = from;
    pageChanging_ = true;
  }
  if (auto d = delegate_.lock()) d->gridViewPageScrolledFromTo(*this, from, to);
}

void GridView::pageScrollEnded0At(int page) {
  if (!pageChanging_ || page == curPageEnded_) return;
  curPageEnded_ = page;
  pageChanging_ = false;
  if (auto d = delegate_.lock()) d->gridViewPageScrollEndedFromTo(*this, oldPage_, page);
}

// --- touches

void GridView::scrollViewTouchesStarted(ScrollViewForGridView&, ui::Point point) {
  auto keep = shared();
  curTouchCellIndex_ = indexOfCellAtPoint0(point);
  if (curTouchCellIndex_ >= 0) clickToken_ = true;
  touchDownCellAtIndex0(curTouchCellIndex_);
}

void GridView::scrollViewTouchesEnded(ScrollViewForGridView&, ui::Point point) {
  auto keep = shared();
  if (curTouchCellIndex_ >= 0 && clickToken_) {
    if (indexOfCellAtPoint0(point) == curTouchCellIndex_) {
      clickCellAtIndex0(curTouchCellIndex_);
    } else {
      touchCancelCellAtIndex0(curTouchCellIndex_);
    }
  }
  if (!inLongPress_) curTouchCellIndex_ = -1;
  clickToken_ = false;
}

void GridView::scrollViewTouchesCancelled(ScrollViewForGridView&, ui::Point) {
  auto keep = shared();
  touchCancelCellAtIndex0(curTouchCellIndex_);
  if (!inLongPress_) curTouchCellIndex_ = -1;
}

void GridView::scrollViewTapGestureOnPoint(ScrollViewForGridView&, ui::TapGestureRecognizer& tap,
                                           ui::Point point) {
  const int index = indexOfCellAtPoint0(point);
  if (index < 0) return;
  if (auto d = delegate_.lock()) d->gridViewTapGestuseAtIndex(*this, tap, index);
}

// --- swipes

void GridView::swipeLeftAction(ScrollViewForGridView&) { swipeToward(true); }

void GridView::swipeRightAction(ScrollViewForGridView&) { swipeToward(false); }

void GridView::swipeToward(bool next) {
  auto keep = shared();
  if (gestureEscapeEnable_ && gestureEscape_) return;
  auto d = delegate_.lock();
  if (flipPageModel_ == 5) {
    if (d) d->gridViewSwipe(*this, next ? ui::kSwipeDirectionLeft : ui::kSwipeDirectionRight);
    return;
  }
  if (next ? curPage_ >= numberOfPages_ - 1 : curPage_ <= 0) {
    if (d) {
      if (next) {
        d->movePageOverEndOnGridView(*this);
      } else {
        d->movePageOverBeginOnGridView(*this);
      }
    }
    return;
  }
  gestureEscape_ = true;
  escape_ = true;
  setPage(curPage_ + (next ? 1 : -1), true);
}

// --- scrolling

void GridView::scrollViewDidScroll(ui::ScrollView& scrollView) {
  if (pageControlUsed_ || dontScroll_) return;
  // Resized and not yet laid out again (the scroll view only kept its offset within the old
  // content): the page stays, and the relayout scrolls back to it.
  if (laidOutScrollSize_ != ui::Size{} && scrollView.frame().size != laidOutScrollSize_) return;
  auto keep = shared();
  if (!noRelayout_) relayoutCells0();
  if (!scrollView.isPagingEnabled()) return;
  const float len = pageLength();
  if (len <= 0) return;
  const float o = extendsHorizontal_ ? scrollView.contentOffset().x : scrollView.contentOffset().y;
  const float b = bouncesLen_;
  auto d = delegate_.lock();
  if (static_cast<int>(std::floor((o - b) / len)) + 1 >= numberOfPages_ && d) {
    d->movePageOverEndOnGridView(*this);
  }
  if (o + b < 0 && d) d->movePageOverBeginOnGridView(*this);
  int p = static_cast<int>(std::floor((o - len / 2) / len)) + 1;
  p = std::max(0, std::min(p, numberOfPages_ - 1));
  if (p != curPage_) pageScrolled0From(curPage_, p);
  if (flipPageModel_ != 1 && flipPageModel_ != 2) {
    if (p > curPage_) goBack_ = false;
    if (p < curPage_) goBack_ = true;
  }
  curPage_ = p;
}

void GridView::scrollViewWillBeginDragging(ui::ScrollView&) { pageControlUsed_ = false; }

void GridView::scrollViewDidEndDecelerating2(ui::ScrollView&) {
  auto keep = shared();
  pageScrollEnded0At(curPage_);
  prepareCells();
  pageControlUsed_ = false;
  if (noRelayout_) {
    setPage0(curPage_, false);
    noRelayout_ = false;
  }
}

void GridView::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  auto keep = shared();
  scrollViewDidEndDecelerating2(scrollView);
  animationFinished0();
}

void GridView::scrollViewDidEndScrollingAnimation(ui::ScrollView&) {
  auto keep = shared();
  pageScrollEnded0At(curPage_);
  if (prepareLaterToken_) RunLoop::main()->cancel(prepareLaterToken_);
  std::weak_ptr<GridView> weak = std::static_pointer_cast<GridView>(shared());
  prepareLaterToken_ = RunLoop::main()->postDelayed(kPrepareAfterAnimation, [weak] {
    if (auto self = weak.lock()) {
      self->prepareLaterToken_ = 0;
      self->prepareCells();
    }
  });
  escape_ = false;
  animationFinished0();
}

// --- hit test

int GridView::indexOfCellAtPoint0(ui::Point windowPoint) const {
  if (!scrollView_) return -1;
  const float w = itemBounds_.size.width;
  const float h = itemBounds_.size.height;
  const ui::Size page = scrollView_->bounds().size;
  if (w <= 0 || h <= 0 || page.width < 1 || page.height < 1) return -1;
  const ui::Point pt = scrollView_->convertPointFrom(windowPoint, nullptr);
  const float x = pt.x;
  const float y = pt.y;
  const float sx = w / plotratioX_;
  const float sy = h / plotratioY_;
  const int a = placeholderForHeaderView_;
  const int rows = rowCount_;
  const int cols = colCount_;
  auto div = [](float v, float by) { return static_cast<int>(std::trunc(v)) / static_cast<int>(std::trunc(by)); };

  float rowStart = 0;
  float colStart = 0;
  int rowsToScan = rows;
  int colsToScan = cols;
  int rowStride = cols;
  int base = 0;
  if (extendsHorizontal_) {
    const int r = a % cols;
    const int c1 = cols - r;
    const int ph = (c1 + a) / cols - 1;
    const float x0 = static_cast<float>(ph) * page.width;
    const float headerEnd = x0 + static_cast<float>(r) * (sx + w);
    if (x < headerEnd) return -1;
    if (x <= x0 + page.width) {
      colStart = headerEnd;
      colsToScan = c1;
      rowStride = c1;
    } else {
      colStart = static_cast<float>(div(x, page.width)) * page.width;
      base = div(x - x0 - page.width, page.width) * cols * rows + c1 * rows;
    }
  } else {
    const int r = a % rows;
    const int r1 = rows - r;
    const int ph = (r1 + a) / rows - 1;
    const float y0 = static_cast<float>(ph) * page.height;
    const float headerEnd = y0 + static_cast<float>(r) * (sy + h);
    if (y < headerEnd) return -1;
    if (y <= y0 + page.height) {
      rowStart = headerEnd;
      rowsToScan = r1;
    } else {
      rowStart = static_cast<float>(div(y, page.height)) * page.height;
      base = div(y - y0 - page.height, page.height) * cols * rows + r1 * cols;
    }
  }
  int index = base;
  bool rowHit = false;
  float top = rowStart + sy;
  for (int row = 0; row < rowsToScan; ++row) {
    if (top < y && y < top + h) {
      rowHit = true;
      break;
    }
    index += rowStride;
    top += h + sy;
  }
  if (!rowHit) return -1;
  bool colHit = false;
  float left = colStart + sx;
  for (int col = 0; col < colsToScan; ++col) {
    if (left < x && x < left + w) {
      colHit = true;
      break;
    }
    ++index;
    left += w + sx;
  }
  if (!colHit || index < 0 || index >= numberOfCells_) return -1;
  return index;
}

}  // namespace zu
