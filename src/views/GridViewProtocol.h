// GridViewProtocol: what a GridView asks of and tells its delegate, on the main thread. Every
// method is optional: each default below is the value the grid uses when the delegate does not
// answer (or when there is no delegate). The grid holds its delegate weakly and passes itself
// first. Edge and header views are owned by the delegate; a size is asked only for a view that
// is given. Corner codes: 0 the left view, 1 the right view, 2 the top view, 3 the bottom view;
// each corner accepts only its two neighbours, any other answer counts as the corner's default.
#pragma once

#include <memory>

namespace zu {

namespace ui {
class TapGestureRecognizer;
class View;
}  // namespace ui

class GridView;

class GridViewProtocol {
 public:
  virtual ~GridViewProtocol() = default;

  // A programmatic page turn or reload animation has ended.
  virtual void animationFinished(GridView& /*grid*/) {}

  // --- geometry (rows or columns below 1 count as 1, ratios of 0 or less as the default)
  virtual int rowCountInGridView(GridView& /*grid*/) { return 1; }
  virtual int colCountInGridView(GridView& /*grid*/) { return 1; }
  // Cell width over horizontal gap, cell height over vertical gap: practically no gap.
  virtual float plotratioXInGridView(GridView& /*grid*/) { return 100000.0f; }
  virtual float plotratioYInGridView(GridView& /*grid*/) { return 1000000.0f; }
  virtual float heightForTopViewInGridView(GridView& /*grid*/) { return 0; }
  virtual std::shared_ptr<ui::View> topViewInGridView(GridView& /*grid*/) { return nullptr; }
  virtual float heightForBottomViewInGridView(GridView& /*grid*/) { return 0; }
  virtual std::shared_ptr<ui::View> bottomViewInGridView(GridView& /*grid*/) { return nullptr; }
  virtual float widthForLeftViewInGridView(GridView& /*grid*/) { return 0; }
  virtual std::shared_ptr<ui::View> leftViewInGridView(GridView& /*grid*/) { return nullptr; }
  virtual float widthForRightViewInGridView(GridView& /*grid*/) { return 0; }
  virtual std::shared_ptr<ui::View> rightViewInGridView(GridView& /*grid*/) { return nullptr; }
  // Rows (columns when the grid scrolls horizontally) of the first page given to the header.
  virtual int placeholderForHeaderViewInGridView(GridView& /*grid*/) { return 0; }
  virtual std::shared_ptr<ui::View> headerViewInGridView(GridView& /*grid*/) { return nullptr; }
  virtual int viewToFillLTCornerInGridView(GridView& /*grid*/) { return 2; }
  virtual int viewToFillRTCornerInGridView(GridView& /*grid*/) { return 2; }
  virtual int viewToFillLBCornerInGridView(GridView& /*grid*/) { return 3; }
  virtual int viewToFillRBCornerInGridView(GridView& /*grid*/) { return 3; }

  // --- moves
  virtual bool gridViewShouldCellMoveFromIndexToIndex(GridView& /*grid*/, int /*from*/, int /*to*/) {
    return true;
  }
  virtual void gridViewCellMoveFromIndexToIndex(GridView& /*grid*/, int /*from*/, int /*to*/) {}

  // --- pages
  // The current page changed (once per page boundary crossed).
  virtual void gridViewPageScrolledFromTo(GridView& /*grid*/, int /*from*/, int /*to*/) {}
  // The page count changed (sent only when the new count differs).
  virtual void gridViewChangePageCountTo(GridView& /*grid*/, int /*oldCount*/, int /*newCount*/) {}
  // Scrolling came to rest on a page other than the one last reported, `from` being the page
  // where the change began.
  virtual void gridViewPageScrollEndedFromTo(GridView& /*grid*/, int /*from*/, int /*to*/) {}
  virtual void movePageOverEndOnGridView(GridView& /*grid*/) {}
  virtual void movePageOverBeginOnGridView(GridView& /*grid*/) {}

  // --- touches and gestures (index -1: no cell)
  virtual void gridViewTouchDownCellAtIndex(GridView& /*grid*/, int /*index*/) {}
  virtual void gridViewTouchCancelCellAtIndex(GridView& /*grid*/, int /*index*/) {}
  virtual void gridViewDidClickCellAtIndex(GridView& /*grid*/, int /*index*/) {}
  // A double tap on a cell, with the scroll view's tap recogniser.
  virtual void gridViewTapGestuseAtIndex(GridView& /*grid*/, ui::TapGestureRecognizer& /*tap*/,
                                         int /*index*/) {}
  virtual void gridViewLongPressBeginAtIndex(GridView& /*grid*/, int /*index*/) {}
  virtual void gridViewLongPressEndAtIndex(GridView& /*grid*/, int /*index*/) {}
  virtual bool gridViewSupportLongPressAtIndex(GridView& /*grid*/, int /*index*/) { return true; }
  virtual bool gridViewSupportDraggingAtIndex(GridView& /*grid*/, int /*index*/) { return true; }
  // A swipe under the swipe-to-delegate page model: 2 left, 1 right.
  virtual void gridViewSwipe(GridView& /*grid*/, unsigned /*direction*/) {}
};

}  // namespace zu
