#include "views/PageGridView.h"

#include <algorithm>

#include "views/PageGridViewDataSourceProtocol.h"
#include "views/PageGridViewProtocol.h"

namespace zu {

std::shared_ptr<PageGridView> PageGridView::create(const ui::Rect& frame) {
  auto view = std::make_shared<PageGridView>(frame);
  view->pageView_->setDataSource(std::shared_ptr<GridViewDataSourceProtocol>(view, view.get()));
  view->pageView_->setGridViewDelegate(std::shared_ptr<GridViewProtocol>(view, view.get()));
  return view;
}

PageGridView::PageGridView(const ui::Rect& frame) : ui::View(frame) {
  pageView_ = GridView::create(bounds());
  pageView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  addSubview(pageView_);
}

// --- one page's grid

std::shared_ptr<GridView> PageGridView::pageGridAtPage(int page) const {
  if (page < 0 || page >= pageView_->numberOfCells()) return nullptr;
  return std::dynamic_pointer_cast<GridView>(pageView_->getCellIndex(page));
}

void PageGridView::setPageInternalPage(int page, int internalPage, bool animated) {
  if (auto grid = pageGridAtPage(page)) grid->setPage(internalPage, animated);
}

int PageGridView::getCurInternalPage() const {
  auto grid = pageGridAtPage(pageView_->getCurPage());
  return grid ? grid->getCurPage() : -1;
}

std::shared_ptr<GridViewCell> PageGridView::dequeueReusableCellWithIdentifierAtPage(
    const std::string& identifier, int page) {
  auto grid = pageGridAtPage(page);
  return grid ? grid->dequeueReusableCellWithIdentifier(identifier) : nullptr;
}

std::shared_ptr<GridViewCell> PageGridView::getCellAtIndexPath(const IndexPath& path) {
  auto grid = pageGridAtPage(path.pageIndex());
  return grid ? grid->getCellIndex(path.cellIndex()) : nullptr;
}

std::vector<int> PageGridView::indexsForVisibleCellsAtPage(int page) const {
  auto grid = pageGridAtPage(page);
  return grid ? grid->indexsForVisibleCells() : std::vector<int>();
}

std::vector<int> PageGridView::indexsForCacheCellsAtPage(int page) const {
  auto grid = pageGridAtPage(page);
  return grid ? grid->indexsForCacheCells() : std::vector<int>();
}

std::shared_ptr<ui::View> PageGridView::topViewAtPage(int page) const {
  auto grid = pageGridAtPage(page);
  return grid ? grid->topView() : nullptr;
}

std::shared_ptr<ui::View> PageGridView::bottomViewAtPage(int page) const {
  auto grid = pageGridAtPage(page);
  return grid ? grid->bottomView() : nullptr;
}

std::shared_ptr<ui::View> PageGridView::leftViewAtPage(int page) const {
  auto grid = pageGridAtPage(page);
  return grid ? grid->leftView() : nullptr;
}

std::shared_ptr<ui::View> PageGridView::rightViewAtPage(int page) const {
  auto grid = pageGridAtPage(page);
  return grid ? grid->rightView() : nullptr;
}

// --- the whole grid of grids

std::vector<IndexPath> PageGridView::indexPathsForVisibleCells() const {
  std::vector<IndexPath> paths;
  for (int page : indexsForVisiblePages()) {
    for (int item : indexsForVisibleCellsAtPage(page)) paths.emplace_back(page, item);
  }
  return paths;
}

std::vector<IndexPath> PageGridView::indexPathsForCacheCells() const {
  std::vector<IndexPath> paths;
  for (int page : indexsForCachePages()) {
    for (int item : indexsForCacheCellsAtPage(page)) paths.emplace_back(page, item);
  }
  return paths;
}

void PageGridView::setNeedReflush() {
  pageView_->setNeedReflush();
  for (int page : indexsForCachePages()) {
    if (auto grid = pageGridAtPage(page)) grid->setNeedReflush();
  }
}

void PageGridView::reflushIfNeeded() {
  auto keep = shared();
  pageView_->reflushIfNeeded();
  for (int page : indexsForCachePages()) {
    if (auto grid = pageGridAtPage(page)) grid->reflushIfNeeded();
  }
}

void PageGridView::releaseCacheQueueNoDisplay() {
  pageView_->releaseCacheQueueNoDisplay();
  if (auto grid = pageGridAtPage(pageView_->getCurPage())) grid->releaseCacheQueueNoDisplay();
}

void PageGridView::batchByPage(const std::vector<IndexPath>& paths,
                               void (GridView::*operation)(const std::vector<int>&, bool), bool animated) {
  auto keep = shared();
  // Pages in order of first mention; each path taken once.
  std::vector<int> pageOrder;
  std::vector<std::vector<int>> itemsOfPage;
  std::vector<IndexPath> seen;
  for (const IndexPath& path : paths) {
    if (path.pageIndex() == -1) continue;
    if (std::find(seen.begin(), seen.end(), path) != seen.end()) continue;
    seen.push_back(path);
    auto at = std::find(pageOrder.begin(), pageOrder.end(), path.pageIndex());
    if (at == pageOrder.end()) {
      pageOrder.push_back(path.pageIndex());
      itemsOfPage.emplace_back();
      at = pageOrder.end() - 1;
    }
    itemsOfPage[static_cast<size_t>(at - pageOrder.begin())].push_back(path.cellIndex());
  }
  for (size_t i = 0; i < pageOrder.size(); ++i) {
    if (auto grid = pageGridAtPage(pageOrder[i])) ((*grid).*operation)(itemsOfPage[i], animated);
  }
}

void PageGridView::reloadCellAtIndexPaths(const std::vector<IndexPath>& paths, bool animated) {
  batchByPage(paths, &GridView::reloadCellAtIndexs, animated);
}

void PageGridView::insertCellAtIndexPaths(const std::vector<IndexPath>& paths, bool animated) {
  batchByPage(paths, &GridView::insertCellAtIndexs, animated);
}

void PageGridView::deleteCellIndexPaths(const std::vector<IndexPath>& paths, bool animated) {
  batchByPage(paths, &GridView::deleteCellAtIndexs, animated);
}

// --- data-source answers

int PageGridView::numberOfCellsInGridView(GridView& grid) {
  auto source = dataSource();
  if (!source) return 0;
  return isOuter(grid) ? source->numberOfPagesInPageGridView(*this)
                       : source->pageGridViewNumberOfCellsAtPage(*this, pageOf(grid));
}

std::shared_ptr<GridViewCell> PageGridView::gridViewCellAtIndex(GridView& grid, int index) {
  if (!isOuter(grid)) {
    auto source = dataSource();
    return source ? source->pageGridViewCellAtIndexPath(*this, IndexPath(pageOf(grid), index)) : nullptr;
  }
  if (auto reused = std::dynamic_pointer_cast<GridView>(pageView_->dequeueReusableCellWithIdentifier(kPageIdentifier))) {
    // The outer grid numbers the grid after this returns, so its items are reloaded for the new
    // page at its next layout pass, before it is shown; what it showed goes now.
    reused->reflushWithLoad(true, true);
    return reused;
  }
  auto page = GridView::create(bounds());
  page->setIdentifiy(kPageIdentifier);
  page->setCanDragging(true);
  page->setDataSource(std::shared_ptr<GridViewDataSourceProtocol>(shared(), this));
  page->setGridViewDelegate(std::shared_ptr<GridViewProtocol>(shared(), this));
  page->setClipsToBounds(false);
  page->setFlipPageModel(1);
  page->setCanBounce(false);
  page->setBackgroundColor(ui::Color{1, 1, 1, 1});
  return page;
}

void PageGridView::gridViewLayoutCellAtIndex(GridView& grid, GridViewCell& cell, int index) {
  if (isOuter(grid)) {
    if (auto page = dynamic_cast<GridView*>(&cell)) page->prepareCells();
    return;
  }
  if (auto source = dataSource()) {
    source->pageGridViewLayoutCellAtIndexPath(*this, cell, IndexPath(pageOf(grid), index));
  }
}

// --- delegate answers: the outer grid gets fixed values, a page grid its page's answers

int PageGridView::rowCountInGridView(GridView& grid) {
  if (isOuter(grid)) return 1;
  auto d = pageDelegate();
  return d ? d->pageGridViewRowCountAtPage(*this, pageOf(grid)) : 0;
}

int PageGridView::colCountInGridView(GridView& grid) {
  if (isOuter(grid)) return 1;
  auto d = pageDelegate();
  return d ? d->pageGridViewColCountAtPage(*this, pageOf(grid)) : 0;
}

float PageGridView::plotratioXInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewPlotratioXAtPage(*this, pageOf(grid)) : 10000.0f;
}

float PageGridView::plotratioYInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewPlotratioYAtPage(*this, pageOf(grid)) : 10000.0f;
}

float PageGridView::heightForTopViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewHeightForTopViewAtPage(*this, pageOf(grid)) : 0;
}

std::shared_ptr<ui::View> PageGridView::topViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewTopViewAtPage(*this, pageOf(grid)) : nullptr;
}

float PageGridView::heightForBottomViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewHeightForBottomViewAtPage(*this, pageOf(grid)) : 0;
}

std::shared_ptr<ui::View> PageGridView::bottomViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewBottomViewAtPage(*this, pageOf(grid)) : nullptr;
}

float PageGridView::widthForLeftViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewWidthForLeftViewAtPage(*this, pageOf(grid)) : 0;
}

std::shared_ptr<ui::View> PageGridView::leftViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewLeftViewAtPage(*this, pageOf(grid)) : nullptr;
}

float PageGridView::widthForRightViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewWidthForRightViewAtPage(*this, pageOf(grid)) : 0;
}

std::shared_ptr<ui::View> PageGridView::rightViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewRightViewAtPage(*this, pageOf(grid)) : nullptr;
}

int PageGridView::placeholderForHeaderViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewPlaceholderForHeaderViewAtPage(*this, pageOf(grid)) : 0;
}

std::shared_ptr<ui::View> PageGridView::headerViewInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewHeaderViewAtPage(*this, pageOf(grid)) : nullptr;
}

int PageGridView::viewToFillLTCornerInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewViewToFillLTCornerAtPage(*this, pageOf(grid)) : 2;
}

int PageGridView::viewToFillRTCornerInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewViewToFillRTCornerAtPage(*this, pageOf(grid)) : 2;
}

int PageGridView::viewToFillLBCornerInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewViewToFillLBCornerAtPage(*this, pageOf(grid)) : 3;
}

int PageGridView::viewToFillRBCornerInGridView(GridView& grid) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  return d ? d->pageGridViewViewToFillRBCornerAtPage(*this, pageOf(grid)) : 3;
}

void PageGridView::gridViewCellMoveFromIndexToIndex(GridView& grid, int from, int to) {
  auto d = pageDelegate();
  if (!d) return;
  if (isOuter(grid)) {
    d->pageGridViewPageMoveFromTo(*this, from, to);
  } else {
    const int page = pageOf(grid);
    d->pageGridViewCellMoveFromTo(*this, IndexPath(page, from), IndexPath(page, to));
  }
}

void PageGridView::gridViewPageScrolledFromTo(GridView& grid, int from, int to) {
  auto d = pageDelegate();
  if (!d) return;
  if (isOuter(grid)) {
    d->pageGridViewPageScrolledFromTo(*this, from, to);
  } else {
    d->pageGridViewInternalPageScrolledFromToAtPage(*this, from, to, pageOf(grid));
  }
}

void PageGridView::gridViewChangePageCountTo(GridView& grid, int from, int to) {
  auto d = pageDelegate();
  if (!d) return;
  if (isOuter(grid)) {
    d->pageGridViewPageCountChangedFromTo(*this, from, to);
  } else {
    d->pageGridViewInternalPageCountChangedFromToAtPage(*this, from, to, pageOf(grid));
  }
}

void PageGridView::movePageOverEndOnGridView(GridView& grid) {
  auto d = pageDelegate();
  if (!d) return;
  if (isOuter(grid)) {
    d->movePageOverEndInPageGridView(*this);
  } else {
    d->pageGridViewMoveInternalPageOverEndAtPage(*this, pageOf(grid));
  }
}

void PageGridView::movePageOverBeginOnGridView(GridView& grid) {
  auto d = pageDelegate();
  if (!d) return;
  if (isOuter(grid)) {
    d->movePageOverBeginInPageGridView(*this);
  } else {
    d->pageGridViewMoveInternalPageOverBeginAtPage(*this, pageOf(grid));
  }
}

void PageGridView::gridViewDidClickCellAtIndex(GridView& grid, int index) {
  auto d = isOuter(grid) ? nullptr : pageDelegate();
  if (d) d->pageGridViewCellDidClickedAtPath(*this, IndexPath(pageOf(grid), index));
}

void PageGridView::gridViewLongPressBeginAtIndex(GridView& grid, int index) {
  auto d = pageDelegate();
  if (!d) return;
  if (isOuter(grid)) {
    d->pageGridViewLongPressBeginAtPage(*this, index);
  } else {
    d->pageGridViewLongPressBeginAtPath(*this, IndexPath(pageOf(grid), index));
  }
}

void PageGridView::gridViewLongPressEndAtIndex(GridView& grid, int index) {
  auto d = pageDelegate();
  if (!d) return;
  if (isOuter(grid)) {
    d->pageGridViewLongPressEndAtPage(*this, index);
  } else {
    d->pageGridViewLongPressEndAtPath(*this, IndexPath(pageOf(grid), index));
  }
}

bool PageGridView::gridViewSupportLongPressAtIndex(GridView& grid, int index) {
  auto d = pageDelegate();
  if (!d) return false;
  return isOuter(grid) ? d->pageGridViewSupportLongPressAtPage(*this, index)
                       : d->pageGridViewSupportLongPressAtPath(*this, IndexPath(pageOf(grid), index));
}

}  // namespace zu
