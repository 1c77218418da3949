// PageGridView: a grid of grids. An outer GridView shows one cell per page; every such cell is
// an inner GridView (reuse identifier "page") showing the items of that page, which turns its
// own internal pages with the finger-driven flat flip (page model 1). Items are addressed by
// IndexPath (page, index on that page). The paged grid does no layout, caching or animation of
// its own: it answers both levels' grid questions by asking its own data source and page
// delegate per page or per index path, and forwards its operations to the right grid. It keeps
// no list of page grids: the outer grid's cell cache and reuse queue own them, and a page has a
// grid only while the outer grid holds one for it.
//
// Use: make it with PageGridView::create(frame), set a data source and a page delegate (both
// weak), add it to a view tree. Main thread only.
//
// Where we differ on purpose:
//  - The outer grid fills the paged grid's bounds, not its frame (a paged grid placed away from
//    its superview's origin would otherwise show its pages shifted by its own position); page
//    grids are made with the same rectangle, the outer grid places them.
//  - The outer grid's layout completion of a page prepares that page grid's cells on the main
//    thread (grids do their cell work on the main loop only).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "views/GridView.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"
#include "views/IndexPath.h"

namespace zu {

class PageGridViewDataSourceProtocol;
class PageGridViewProtocol;

class PageGridView : public ui::View, public GridViewProtocol, public GridViewDataSourceProtocol {
 public:
  // The reuse identifier of page grids.
  static constexpr const char* kPageIdentifier = "page";

  static std::shared_ptr<PageGridView> create(const ui::Rect& frame);
  explicit PageGridView(const ui::Rect& frame);

  std::shared_ptr<PageGridViewDataSourceProtocol> dataSource() const { return dataSource_.lock(); }
  void setDataSource(std::weak_ptr<PageGridViewDataSourceProtocol> d) { dataSource_ = std::move(d); }
  std::shared_ptr<PageGridViewProtocol> pageDelegate() const { return pageDelegate_.lock(); }
  void setPageDelegate(std::weak_ptr<PageGridViewProtocol> d) { pageDelegate_ = std::move(d); }
  const std::shared_ptr<GridView>& pageView() const { return pageView_; }

  // --- the outer grid's settings
  const ui::EdgeInsets& contentInsets() const { return pageView_->contentInsets(); }
  void setContentInsets(const ui::EdgeInsets& insets) { pageView_->setContentInsets(insets); }
  float cacheCapacity() const { return pageView_->cacheCapacity(); }
  void setCacheCapacity(float pages) { pageView_->setCacheCapacity(pages); }
  bool cacheSingle() const { return pageView_->cacheSingle(); }
  void setCacheSingle(bool single) { pageView_->setCacheSingle(single); }
  ui::Size expectSize() const { return pageView_->expectSize(); }
  void setExpectSize(ui::Size size) { pageView_->setExpectSize(size); }
  bool autoLayout() const { return pageView_->autoLayout(); }
  void setAutoLayout(bool autoLayout) { pageView_->setAutoLayout(autoLayout); }
  bool canDragging() const { return pageView_->canDragging(); }
  void setCanDragging(bool can) { pageView_->setCanDragging(can); }
  float bouncesLen() const { return pageView_->bouncesLen(); }
  void setBouncesLen(float len) { pageView_->setBouncesLen(len); }
  const std::shared_ptr<PageTurnView>& flipView() const { return pageView_->flipView(); }
  void setFlipView(const std::shared_ptr<PageTurnView>& view) { pageView_->setFlipView(view); }
  void setExtendsHorizontal(bool horizontal) { pageView_->setExtendsHorizontal(horizontal); }

  // --- pages (the outer grid)
  void reloadData() { pageView_->reloadData(); }
  void setPage(int page, bool animated) { pageView_->setPage(page, animated); }
  int getCurPage() const { return pageView_->getCurPage(); }
  std::vector<int> indexsForVisiblePages() const { return pageView_->indexsForVisibleCells(); }
  std::vector<int> indexsForCachePages() const { return pageView_->indexsForCacheCells(); }
  void reloadPagesAtIndexs(const std::vector<int>& pages, bool animated) {
    pageView_->reloadCellAtIndexs(pages, animated);
  }
  void insertPagesAtIndexs(const std::vector<int>& pages, bool animated) {
    pageView_->insertCellAtIndexs(pages, animated);
  }
  void deletePagesAtIndexs(const std::vector<int>& pages, bool animated) {
    pageView_->deleteCellAtIndexs(pages, animated);
  }

  // --- one page's grid; nothing (null, empty, -1) when that page has no grid
  // The page grid the outer grid holds for `page` (brought back from its queue when parked).
  std::shared_ptr<GridView> pageGridAtPage(int page) const;
  // Turns that page's grid; the outer grid does not move.
  void setPageInternalPage(int page, int internalPage, bool animated);
  int getCurInternalPage() const;
  std::shared_ptr<GridViewCell> dequeueReusableCellWithIdentifierAtPage(const std::string& identifier,
                                                                        int page);
  std::shared_ptr<GridViewCell> getCellAtIndexPath(const IndexPath& path);
  std::vector<int> indexsForVisibleCellsAtPage(int page) const;
  std::vector<int> indexsForCacheCellsAtPage(int page) const;
  std::shared_ptr<ui::View> topViewAtPage(int page) const;
  std::shared_ptr<ui::View> bottomViewAtPage(int page) const;
  std::shared_ptr<ui::View> leftViewAtPage(int page) const;
  std::shared_ptr<ui::View> rightViewAtPage(int page) const;

  // --- the whole grid of grids
  std::vector<IndexPath> indexPathsForVisibleCells() const;
  std::vector<IndexPath> indexPathsForCacheCells() const;
  // The outer grid first, then every page grid it holds.
  void setNeedReflush();
  void reflushIfNeeded();
  // The outer grid, then the current page's grid.
  void releaseCacheQueueNoDisplay();
  // Each page grid gets one call with the item indexes of all its index paths (pages in order
  // of first mention, items in argument order, each path once); paths of a page without a grid
  // and of page -1 are dropped.
  void reloadCellAtIndexPaths(const std::vector<IndexPath>& paths, bool animated);
  void insertCellAtIndexPaths(const std::vector<IndexPath>& paths, bool animated);
  void deleteCellIndexPaths(const std::vector<IndexPath>& paths, bool animated);

  // --- answers to the two levels of grids
  int numberOfCellsInGridView(GridView& grid) override;
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override;
  void gridViewLayoutCellAtIndex(GridView& grid, GridViewCell& cell, int index) override;
  int rowCountInGridView(GridView& grid) override;
  int colCountInGridView(GridView& grid) override;
  float plotratioXInGridView(GridView& grid) override;
  float plotratioYInGridView(GridView& grid) override;
  float heightForTopViewInGridView(GridView& grid) override;
  std::shared_ptr<ui::View> topViewInGridView(GridView& grid) override;
  float heightForBottomViewInGridView(GridView& grid) override;
  std::shared_ptr<ui::View> bottomViewInGridView(GridView& grid) override;
  float widthForLeftViewInGridView(GridView& grid) override;
  std::shared_ptr<ui::View> leftViewInGridView(GridView& grid) override;
  float widthForRightViewInGridView(GridView& grid) override;
  std::shared_ptr<ui::View> rightViewInGridView(GridView& grid) override;
  int placeholderForHeaderViewInGridView(GridView& grid) override;
  std::shared_ptr<ui::View> headerViewInGridView(GridView& grid) override;
  int viewToFillLTCornerInGridView(GridView& grid) override;
  int viewToFillRTCornerInGridView(GridView& grid) override;
  int viewToFillLBCornerInGridView(GridView& grid) override;
  int viewToFillRBCornerInGridView(GridView& grid) override;
  void gridViewCellMoveFromIndexToIndex(GridView& grid, int from, int to) override;
  void gridViewPageScrolledFromTo(GridView& grid, int from, int to) override;
  void gridViewChangePageCountTo(GridView& grid, int from, int to) override;
  void movePageOverEndOnGridView(GridView& grid) override;
  void movePageOverBeginOnGridView(GridView& grid) override;
  void gridViewDidClickCellAtIndex(GridView& grid, int index) override;
  void gridViewLongPressBeginAtIndex(GridView& grid, int index) override;
  void gridViewLongPressEndAtIndex(GridView& grid, int index) override;
  bool gridViewSupportLongPressAtIndex(GridView& grid, int index) override;

  std::string className() const override { return "PageGridView"; }

 private:
  bool isOuter(const GridView& grid) const { return &grid == pageView_.get(); }
  // The page a page grid serves.
  int pageOf(const GridView& grid) const { return pageView_->indexOfCell(grid); }
  // One call per page grid with the item indexes of that page.
  void batchByPage(const std::vector<IndexPath>& paths,
                   void (GridView::*operation)(const std::vector<int>&, bool), bool animated);

  std::shared_ptr<GridView> pageView_;
  std::weak_ptr<PageGridViewDataSourceProtocol> dataSource_;
  std::weak_ptr<PageGridViewProtocol> pageDelegate_;
};

}  // namespace zu
