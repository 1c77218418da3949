// PageGridViewProtocol: what a PageGridView asks of and tells its page delegate, on the main
// thread, per page or per item (IndexPath). Every method is optional: each default is the value
// the paged grid uses when the delegate does not answer (or when there is none). The paged grid
// holds the delegate weakly and passes itself first. Geometry answers go to the page's own grid
// as GridViewProtocol describes them (corner codes, rows and columns below 1 counting as 1).
#pragma once

#include <memory>

#include "views/IndexPath.h"

namespace zu {

namespace ui {
class View;
}  // namespace ui

class PageGridView;

class PageGridViewProtocol {
 public:
  virtual ~PageGridViewProtocol() = default;

  // --- geometry of a page's grid
  virtual int pageGridViewRowCountAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  virtual int pageGridViewColCountAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  virtual float pageGridViewPlotratioXAtPage(PageGridView& /*grid*/, int /*page*/) { return 10000.0f; }
  virtual float pageGridViewPlotratioYAtPage(PageGridView& /*grid*/, int /*page*/) { return 10000.0f; }
  virtual std::shared_ptr<ui::View> pageGridViewTopViewAtPage(PageGridView& /*grid*/, int /*page*/) {
    return nullptr;
  }
  virtual float pageGridViewHeightForTopViewAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  virtual std::shared_ptr<ui::View> pageGridViewBottomViewAtPage(PageGridView& /*grid*/, int /*page*/) {
    return nullptr;
  }
  virtual float pageGridViewHeightForBottomViewAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  virtual std::shared_ptr<ui::View> pageGridViewLeftViewAtPage(PageGridView& /*grid*/, int /*page*/) {
    return nullptr;
  }
  virtual float pageGridViewWidthForLeftViewAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  virtual std::shared_ptr<ui::View> pageGridViewRightViewAtPage(PageGridView& /*grid*/, int /*page*/) {
    return nullptr;
  }
  virtual float pageGridViewWidthForRightViewAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  virtual std::shared_ptr<ui::View> pageGridViewHeaderViewAtPage(PageGridView& /*grid*/, int /*page*/) {
    return nullptr;
  }
  virtual int pageGridViewPlaceholderForHeaderViewAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  virtual int pageGridViewViewToFillLTCornerAtPage(PageGridView& /*grid*/, int /*page*/) { return 2; }
  virtual int pageGridViewViewToFillRTCornerAtPage(PageGridView& /*grid*/, int /*page*/) { return 2; }
  virtual int pageGridViewViewToFillLBCornerAtPage(PageGridView& /*grid*/, int /*page*/) { return 3; }
  virtual int pageGridViewViewToFillRBCornerAtPage(PageGridView& /*grid*/, int /*page*/) { return 3; }

  // --- moves
  virtual void pageGridViewPageMoveFromTo(PageGridView& /*grid*/, int /*from*/, int /*to*/) {}
  virtual void pageGridViewCellMoveFromTo(PageGridView& /*grid*/, const IndexPath& /*from*/,
                                          const IndexPath& /*to*/) {}

  // --- pages (outer) and internal pages (the pages of one page's grid)
  virtual void pageGridViewPageScrolledFromTo(PageGridView& /*grid*/, int /*from*/, int /*to*/) {}
  virtual void pageGridViewInternalPageScrolledFromToAtPage(PageGridView& /*grid*/, int /*from*/,
                                                            int /*to*/, int /*page*/) {}
  virtual void pageGridViewPageCountChangedFromTo(PageGridView& /*grid*/, int /*from*/, int /*to*/) {}
  virtual void pageGridViewInternalPageCountChangedFromToAtPage(PageGridView& /*grid*/, int /*from*/,
                                                                int /*to*/, int /*page*/) {}
  virtual void movePageOverEndInPageGridView(PageGridView& /*grid*/) {}
  virtual void pageGridViewMoveInternalPageOverEndAtPage(PageGridView& /*grid*/, int /*page*/) {}
  virtual void movePageOverBeginInPageGridView(PageGridView& /*grid*/) {}
  virtual void pageGridViewMoveInternalPageOverBeginAtPage(PageGridView& /*grid*/, int /*page*/) {}

  // --- touches
  virtual void pageGridViewCellDidClickedAtPath(PageGridView& /*grid*/, const IndexPath& /*path*/) {}
  virtual bool pageGridViewSupportLongPressAtPage(PageGridView& /*grid*/, int /*page*/) { return false; }
  virtual void pageGridViewLongPressBeginAtPage(PageGridView& /*grid*/, int /*page*/) {}
  virtual void pageGridViewLongPressEndAtPage(PageGridView& /*grid*/, int /*page*/) {}
  virtual bool pageGridViewSupportLongPressAtPath(PageGridView& /*grid*/, const IndexPath& /*path*/) {
    return false;
  }
  virtual void pageGridViewLongPressBeginAtPath(PageGridView& /*grid*/, const IndexPath& /*path*/) {}
  virtual void pageGridViewLongPressEndAtPath(PageGridView& /*grid*/, const IndexPath& /*path*/) {}
};

}  // namespace zu
