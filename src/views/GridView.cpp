#include "views/GridView.h"

#include <algorithm>
#include <cmath>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/views/Window.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"
#include "views/PageTurnView.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

constexpr float kDefaultPlotratioX = 100000.0f;
constexpr float kDefaultPlotratioY = 1000000.0f;

float cut(float v) { return std::trunc(v); }

}  // namespace

std::shared_ptr<GridView> GridView::create(const ui::Rect& frame) {
  return std::make_shared<GridView>(frame);
}

GridView::GridView(const ui::Rect& frame) : GridViewCell(frame) {
  expectSize_ = frame.size;
  setSupportDoubleTap(true);
  flipClearColor_ = ui::Color{1, 1, 1, 1};
  setFlipPageModel(4);
  scrollBackGroundView_ = std::make_shared<ui::View>(
      ui::Rect(contentInsets_.left, contentInsets_.top,
               frame.size.width - contentInsets_.left - contentInsets_.right,
               frame.size.height - contentInsets_.top - contentInsets_.bottom));
  scrollBackGroundView_->setBackgroundColor(ui::Color{0, 0, 0, 0});
  scrollBackGroundView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth |
                                             ui::kAutoresizingFlexibleHeight);
  scrollBackGroundView_->setClipsToBounds(false);
  setClipsToBounds(false);
  addSubview(scrollBackGroundView_);
  NotificationCenter::defaultCenter().add(ui::Application::kDidReceiveMemoryWarningNotification, this,
                                          [this](const Notification&) { memoryWarning(); });
}

GridView::~GridView() {
  const auto loop = RunLoop::main();
  for (RunLoop::Token t : {prepareToken_, prepareLaterToken_}) {
    if (t && loop) loop->cancel(t);
  }
  for (RunLoop::Token t : pendingTokens_) {
    if (loop) loop->cancel(t);
  }
  NotificationCenter::defaultCenter().remove(this);
  releaseFilpView();
}

std::weak_ptr<ScrollViewForGridViewProtocol> GridView::selfAsScrollDelegate() {
  return std::shared_ptr<ScrollViewForGridViewProtocol>(shared(), this);
}

// --- configuration

void GridView::setSupportDoubleTap(bool support) {
  supportDoubleTap_ = support;
  if (scrollView_) scrollView_->setSupportDoubleTap(support);
}

void GridView::setAutoLayout(bool autoLayout) {
  autoLayout_ = autoLayout;
  scrollBackGroundView_->setAutoresizingMask(
      autoLayout ? ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight
                 : ui::kAutoresizingNone);
}

void GridView::setFlipPageModel(int model) {
  oldFlipPageModel_ = model;
  setTempFlipPageModel0(model);
}

void GridView::setTempFlipPageModel0(int model) {
  flipPageModel_ = model;
  if (scrollView_) scrollView_->setFlipPageModel(model);
  if (model == 1 || model == 2) {
    setCanBounce(false);
  } else {
    setCanBounce(true);
    releaseFilpView();
  }
}

void GridView::setCanBounce(bool canBounce) {
  canBounce_ = canBounce;
  if (!scrollView_) return;
  scrollView_->setBounces(canBounce);
  scrollView_->setAlwaysBounceHorizontal(canBounce && extendsHorizontal_);
  scrollView_->setAlwaysBounceVertical(canBounce && !extendsHorizontal_);
}

bool GridView::isAnimation() const {
  switch (flipPageModel_) {
    case 1:
    case 2:
      return startFlip_ || (flipView_ && flipView_->isAnimating());
    case 3:
      return escape_;
    case 4:
      return scrollView_ &&
             (scrollView_->isTracking() || scrollView_->isDragging() || scrollView_->isDecelerating());
    default:
      return false;
  }
}

// --- geometry

int GridView::firstPageCellCount() const {
  const int p = placeholderForHeaderView_;
  return extendsHorizontal_ ? rowCount_ * (colCount_ - p % colCount_)
                            : colCount_ * (rowCount_ - p % rowCount_);
}

int GridView::firstCellPage() const {
  return placeholderForHeaderView_ / (extendsHorizontal_ ? colCount_ : rowCount_);
}

int GridView::calculationPageCount0() const {
  const int f = firstPageCellCount();
  const int n = cellsPerPage();
  const int b = firstCellPage() + 1;
  if (numberOfCells_ <= f) return b;
  return b + (numberOfCells_ - f + n - 1) / n;
}

float GridView::pageLength() const {
  if (!scrollView_) return 0;
  const ui::Rect f = scrollView_->frame();
  return extendsHorizontal_ ? f.size.width : f.size.height;
}

ui::Rect GridView::rect0AtIndex(int i) const {
  const float w = itemBounds_.size.width;
  const float h = itemBounds_.size.height;
  const float ix = w / plotratioX_;
  const float iy = h / plotratioY_;
  const int p = placeholderForHeaderView_;
  const int f = firstPageCellCount();
  const int n = cellsPerPage();
  const ui::Size page = scrollView_ ? scrollView_->bounds().size : ui::Size{};
  float x = 0;
  float y = 0;
  if (!extendsHorizontal_) {
    if (i < f) {
      x = ix + static_cast<float>(i % colCount_) * (w + ix);
      y = static_cast<float>(p) * (h + iy) + iy +
          static_cast<float>((i / colCount_) % (rowCount_ - p % rowCount_)) * (h + iy);
    } else {
      const int r = i - f;
      const int pg = p / rowCount_ + r / n + 1;
      x = ix + static_cast<float>(r % colCount_) * (w + ix);
      y = static_cast<float>(pg) * page.height + 1 + iy +
          static_cast<float>((r / colCount_) % rowCount_) * (h + iy);
    }
  } else {
    const int c1 = colCount_ - p % colCount_;
    if (i < f) {
      x = static_cast<float>(p) * (w + ix) + ix + static_cast<float>(i % c1) * (w + ix);
      y = iy + static_cast<float>((i / c1) % rowCount_) * (h + iy);
    } else {
      const int r = i - f;
      const int pg = p / colCount_ + r / n + 1;
      x = static_cast<float>(pg) * page.width + 1 + ix + static_cast<float>(r % colCount_) * (w + ix);
      y = iy + static_cast<float>((r / colCount_) % rowCount_) * (h + iy);
    }
  }
  return ui::Rect(cut(x), cut(y), cut(w), cut(h));
}

ui::Rect GridView::rectOnPreLayout0(int i) const {
  if (oldNumOfPage_ <= 0 || oldColNum_ <= 0 || oldRowNum_ <= 0) return rect0AtIndex(i);
  const int page = i / oldNumOfPage_;
  const int column = i % oldColNum_;
  const int row = (i / oldColNum_) % oldRowNum_;
  const float cx = oldIntervalx_ + static_cast<float>(column) * (oldItemWidth_ + oldIntervalx_);
  const float cy = oldIntervaly_ + static_cast<float>(row) * (oldItemHeight_ + oldIntervaly_);
  if (extendsHorizontal_) {
    return ui::Rect(static_cast<float>(page) * oldPageWidth_ + cx, cy, oldItemWidth_, oldItemHeight_);
  }
  return ui::Rect(cx, static_cast<float>(page) * oldPageHeight_ + cy, oldItemWidth_, oldItemHeight_);
}

std::vector<int> GridView::candidateIndexes(const ui::Rect& rect) const {
  std::vector<int> out;
  const float len = pageLength();
  if (len <= 0 || numberOfCells_ <= 0 || rect.isEmpty()) return out;
  const float lo = extendsHorizontal_ ? rect.minX() : rect.minY();
  const float hi = extendsHorizontal_ ? rect.maxX() : rect.maxY();
  // One page of slack on each side covers the 1-point shift of later pages.
  const int firstPage = std::max(0, static_cast<int>(std::floor(lo / len)) - 1);
  const int lastPage = std::min(numberOfPages_ - 1, static_cast<int>(std::floor(hi / len)) + 1);
  const int ph = firstCellPage();
  const int f = firstPageCellCount();
  const int n = cellsPerPage();
  for (int pg = std::max(firstPage, ph); pg <= lastPage; ++pg) {
    const int begin = pg == ph ? 0 : f + (pg - ph - 1) * n;
    const int end = std::min(numberOfCells_, pg == ph ? f : begin + n);
    for (int i = begin; i < end; ++i) out.push_back(i);
  }
  return out;
}

ui::Rect GridView::visibleRect() const {
  if (!scrollView_) return ui::Rect();
  return ui::Rect(scrollView_->contentOffset(), scrollView_->bounds().size);
}

// --- layout

void GridView::relayout0() {
  auto delegate = delegate_.lock();
  auto source = dataSource_.lock();
  rowCount_ = std::max(1, delegate ? delegate->rowCountInGridView(*this) : 1);
  colCount_ = std::max(1, delegate ? delegate->colCountInGridView(*this) : 1);
  plotratioX_ = delegate ? delegate->plotratioXInGridView(*this) : kDefaultPlotratioX;
  if (!(plotratioX_ > 0)) plotratioX_ = kDefaultPlotratioX;
  plotratioY_ = delegate ? delegate->plotratioYInGridView(*this) : kDefaultPlotratioY;
  if (!(plotratioY_ > 0)) plotratioY_ = kDefaultPlotratioY;
  numberOfCells_ = std::max(0, source ? source->numberOfCellsInGridView(*this) : 0);

  if (auto header = headerView_.lock()) header->removeFromSuperview();
  auto header = delegate ? delegate->headerViewInGridView(*this) : nullptr;
  headerView_ = header;
  placeholderForHeaderView_ =
      header ? std::max(0, delegate->placeholderForHeaderViewInGridView(*this)) : 0;

  const int pages = calculationPageCount0();
  if (pages != numberOfPages_ && delegate) {
    delegate->gridViewChangePageCountTo(*this, numberOfPages_, pages);
  }
  if (pages <= curPage_) {
    pageScrolled0From(curPage_, pages - 1);
    curPage_ = pages - 1;
    pageScrollEnded0At(curPage_);
  }
  numberOfPages_ = pages;

  scrollBackGroundView_->setFrame(ui::Rect(
      contentInsets_.left, contentInsets_.top,
      expectSize_.width - contentInsets_.left - contentInsets_.right,
      expectSize_.height - contentInsets_.top - contentInsets_.bottom));
  layoutEdgeViews();

  const ui::Rect bg = scrollBackGroundView_->bounds();
  const ui::Rect frame(cut(leftWidth_), cut(topHeight_),
                       cut(bg.size.width - leftWidth_ - rightWidth_),
                       cut(bg.size.height - topHeight_ - bottomHeight_));
  if (!scrollView_) {
    scrollView_ = ScrollViewForGridView_3_0::create(frame);
    scrollView_->setFlipPageModel(flipPageModel_);
    scrollView_->setSupportDoubleTap(supportDoubleTap_);
    scrollView_->setMultipleTouchEnabled(false);
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    setCanBounce(canBounce_);
    scrollView_->setBackgroundColor(ui::Color{0, 0, 0, 0});
    scrollView_->setScrollViewForGridViewDelegate(selfAsScrollDelegate());
    scrollView_->setClipsToBounds(true);
    scrollView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
    scrollBackGroundView_->addSubview(scrollView_);
  } else {
    dontScroll_ = true;
    scrollView_->setFrame(frame);
    dontScroll_ = false;
  }
  scrollBackGroundView_->bringSubviewToFront(scrollView_);
}

void GridView::layoutEdgeViews() {
  auto delegate = delegate_.lock();
  for (auto* old : {&topView_, &bottomView_, &leftView_, &rightView_}) {
    if (auto v = old->lock()) v->removeFromSuperview();
    old->reset();
  }
  topHeight_ = bottomHeight_ = leftWidth_ = rightWidth_ = 0;
  if (!delegate) return;
  auto top = delegate->topViewInGridView(*this);
  if (top) topHeight_ = delegate->heightForTopViewInGridView(*this);
  auto bottom = delegate->bottomViewInGridView(*this);
  if (bottom) bottomHeight_ = delegate->heightForBottomViewInGridView(*this);
  auto left = delegate->leftViewInGridView(*this);
  if (left) leftWidth_ = delegate->widthForLeftViewInGridView(*this);
  auto right = delegate->rightViewInGridView(*this);
  if (right) rightWidth_ = delegate->widthForRightViewInGridView(*this);
  topView_ = top;
  bottomView_ = bottom;
  leftView_ = left;
  rightView_ = right;

  // Corner codes, asked only when both neighbouring views are present; each corner accepts
  // only its two neighbours and otherwise keeps its default.
  auto corner = [&](bool both, int answer, int side, int fallback) {
    if (!both) return fallback;
    return answer == side ? side : fallback;
  };
  const int lt = (top && left) ? corner(true, delegate->viewToFillLTCornerInGridView(*this), 0, 2) : 2;
  const int rt = (top && right) ? corner(true, delegate->viewToFillRTCornerInGridView(*this), 1, 2) : 2;
  const int lb = (bottom && left) ? corner(true, delegate->viewToFillLBCornerInGridView(*this), 0, 3) : 3;
  const int rb = (bottom && right) ? corner(true, delegate->viewToFillRBCornerInGridView(*this), 1, 3) : 3;

  const ui::Rect bg = scrollBackGroundView_->bounds();
  const float bw = bg.size.width;
  const float bh = bg.size.height;
  if (top) {
    const float x = left && lt == 0 ? leftWidth_ : 0;
    const float w = bw - x - (right && rt == 1 ? rightWidth_ : 0);
    top->setFrame(ui::Rect(x, 0, w, topHeight_));
    top->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleBottomMargin);
    scrollBackGroundView_->addSubview(top);
  }
  if (bottom) {
    const float x = left && lb == 0 ? leftWidth_ : 0;
    const float w = bw - x - (right && rb == 1 ? rightWidth_ : 0);
    bottom->setFrame(ui::Rect(x, bh - bottomHeight_, w, bottomHeight_));
    bottom->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleTopMargin);
    scrollBackGroundView_->addSubview(bottom);
  }
  if (left) {
    const float y = top && lt == 2 ? topHeight_ : 0;
    const float h = bh - y - (bottom && lb == 3 ? bottomHeight_ : 0);
    left->setFrame(ui::Rect(0, y, leftWidth_, h));
    left->setAutoresizingMask(ui::kAutoresizingFlexibleHeight | ui::kAutoresizingFlexibleRightMargin);
    scrollBackGroundView_->addSubview(left);
  }
  if (right) {
    const float y = top && rt == 2 ? topHeight_ : 0;
    const float h = bh - y - (bottom && rb == 3 ? bottomHeight_ : 0);
    right->setFrame(ui::Rect(bw - rightWidth_, y, rightWidth_, h));
    right->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleHeight);
    scrollBackGroundView_->addSubview(right);
  }
}

void GridView::calculationItemBounds0() {
  const ui::Size s = scrollView_->frame().size;
  const float cols = static_cast<float>(colCount_);
  const float rows = static_cast<float>(rowCount_);
  itemBounds_ = ui::Rect(0, 0, s.width / (cols + (cols + 1) / plotratioX_),
                         s.height / (rows + (rows + 1) / plotratioY_));
}

void GridView::calculationScrollViewContent0() {
  const ui::Size s = scrollView_->frame().size;
  laidOutScrollSize_ = s;
  const float pages = static_cast<float>(numberOfPages_);
  dontScroll_ = true;
  scrollView_->setContentSize(extendsHorizontal_ ? ui::Size{cut(s.width * pages), cut(s.height)}
                                                 : ui::Size{cut(s.width), cut(s.height * pages)});
  dontScroll_ = false;
}

void GridView::layoutHeaderView0() {
  auto header = headerView_.lock();
  if (!header) return;
  const ui::Size s = scrollView_->frame().size;
  const float p = static_cast<float>(placeholderForHeaderView_);
  const float w = itemBounds_.size.width;
  const float h = itemBounds_.size.height;
  if (extendsHorizontal_) {
    header->setFrame(ui::Rect(0, 0, p * (w + w / plotratioX_), s.height));
  } else {
    header->setFrame(ui::Rect(0, 0, s.width, p * (h + h / plotratioY_)));
  }
  if (header->superview() != scrollView_) scrollView_->addSubview(header);
}

void GridView::relayoutCacheCell0() {
  for (auto& [key, cell] : cellCache_) cell->setFrame(rect0AtIndex(key));
  for (auto& [id, queue] : reuseCellQueue_) {
    for (auto& [key, cell] : queue) {
      if (key >= 0) cell->setFrame(rect0AtIndex(key));
    }
  }
}

void GridView::takePreLayoutSnapshot() {
  oldNumOfPage_ = scrollView_ ? cellsPerPage() : 0;
  if (scrollView_) {
    oldPageWidth_ = scrollView_->bounds().size.width;
    oldPageHeight_ = scrollView_->bounds().size.height;
  }
  oldColNum_ = colCount_;
  oldRowNum_ = rowCount_;
  oldItemWidth_ = itemBounds_.size.width;
  oldItemHeight_ = itemBounds_.size.height;
  oldIntervalx_ = oldItemWidth_ / plotratioX_;
  oldIntervaly_ = oldItemHeight_ / plotratioY_;
}

void GridView::markPicturesDue() {
  if (flipPageModel_ == 1 || flipPageModel_ == 2) {
    needLoadTop_ = true;
    needLoadBottom_ = true;
  }
}

void GridView::layoutSubviews() {
  GridViewCell::layoutSubviews();
  if (!autoLayout_ && !reflush_) return;
  ui::Size size = frame().size;
  auto super = superview();
  if (super && super.get() == window()) {
    if (!SystemEnvironment::isStatusBarPortrait()) std::swap(size.width, size.height);
  }
  expectSize_ = size;
  if (reflush_) {
    takePreLayoutSnapshot();
    relayout0();
    calculationItemBounds0();
    calculationScrollViewContent0();
    layoutHeaderView0();
    scrollToPageWithoutRelayout(curPage_);
    pageScrolled0From(curPage_, curPage_);
    pageScrollEnded0At(curPage_);
    updateType_ = oldNumOfPage_ == 0 ? -1 : (oldNumOfPage_ > cellsPerPage() ? 4 : 3);
    if (needLoad_) {
      relayoutCells0();
      asynPrepareCells0(getIndexsForPrepareAndFetchNoPrepareCacheCell2Queue0());
      needLoad_ = false;
    } else {
      relayoutCacheCell0();
    }
    reflush_ = false;
  } else {
    updateType_ = -1;
    if (!scrollView_) return;
    calculationItemBounds0();
    calculationScrollViewContent0();
    layoutHeaderView0();
    relayoutCacheCell0();
    scrollToPageWithoutRelayout(curPage_);
  }
  if (flipPageModel_ == 1 || flipPageModel_ == 2) {
    needLoadTop_ = true;
    needLoadBottom_ = true;
    if (flipView_) {
      flipView_->view().setHidden(true);
      flipInterrupted_ = true;
    }
  }
}

void GridView::reflushWithLoad(bool load, bool reload) {
  updateType_ = -1;
  if (reload) {
    dirtyAllCells();
    releaseAllQueue0();
    curTouchCellIndex_ = -1;
    needLoadTop_ = true;
    needLoadBottom_ = true;
  }
  needLoad_ = load;
  reflush_ = true;
}

void GridView::reflushIfNeeded() {
  setNeedsLayout();
  layoutIfNeeded();
}

void GridView::setExpectSize(ui::Size size) {
  if (autoLayout_) return;
  expectSize_ = size;
  updateType_ = 2;
  dirtyAllCells();
  releaseAllQueue0();
  dontScroll_ = true;
  relayout0();
  calculationItemBounds0();
  calculationScrollViewContent0();
  layoutHeaderView0();
  setPage0(curPage_, false);
  dontScroll_ = false;
  relayoutCells0();
  prepareCells();
  if ((flipPageModel_ == 1 || flipPageModel_ == 2) && flipView_) {
    flipView_->reloadTopTextureWithView(this);
    needLoadTop_ = false;
    needLoadBottom_ = true;
  }
}

void GridView::setExtendsHorizontal(bool horizontal) {
  const int page = curPage_;
  extendsHorizontal_ = horizontal;
  if (!scrollView_) return;
  setCanBounce(canBounce_);
  calculationScrollViewContent0();
  layoutHeaderView0();
  relayoutCacheCell0();
  scrollToPageWithoutRelayout(page);
  relayoutCells0();
}

// --- paging

void GridView::setPage0(int page, bool animated) {
  if (!scrollView_) return;
  page = std::clamp(page, 0, std::max(0, numberOfPages_ - 1));
  const ui::Size s = scrollView_->frame().size;
  const float at = static_cast<float>(page);
  scrollView_->scrollRectToVisible(extendsHorizontal_ ? ui::Rect(at * s.width, 0, s.width, s.height)
                                                      : ui::Rect(0, at * s.height, s.width, s.height),
                                   animated);
}

void GridView::scrollToPageWithoutRelayout(int page) {
  noRelayout_ = true;
  setPage0(page, false);
  noRelayout_ = false;
}

void GridView::setPage(int page, bool animated) {
  if (page >= numberOfPages_) page = numberOfPages_ - 1;
  if (page < 0) page = 0;
  if (page == curPage_) return;
  auto keep = shared();
  goBack_ = page < curPage_;
  const bool flipModel = flipPageModel_ == 1 || flipPageModel_ == 2;
  if (animated && !flipModel) {
    reloadWithAnimation_ = true;
    setPage0(page, true);
    return;
  }
  if (animated) {
    createFlipView0();
    if (flipView_) {
      reloadWithAnimation_ = true;
      const int d = page - curPage_;
      if (needLoadTop_) {
        flipView_->reloadTopTextureWithView(this);
        needLoadTop_ = false;
      }
      scrollToPageWithoutRelayout(page);
      relayoutCells0();
      flipView_->reloadBottomTextureWithView(this);
      flipView_->redraw();
      flipView_->view().setHidden(false);
      flipView_->setPagePass(d < 1 ? -d : d);
      if (flipPageModel_ == 2) {
        curlWholePage(d >= 1);
      } else if (d < 1) {
        flipView_->finishFlipL2R();
      } else {
        flipView_->finishFlipR2L();
      }
      canFlip_ = true;
      return;
    }
  }
  scrollToPageWithoutRelayout(page);
  relayoutCells0();
  if (!flipModel) {
    if (scrollView_) scrollViewDidEndDecelerating(*scrollView_);
    return;
  }
  // The new page's picture is taken on a later turn of the main loop, unless a turn takes it
  // first.
  pageScrollEnded0At(page);
  needLoadTop_ = true;
  needLoadBottom_ = true;
  postLater(0, [](GridView& grid) {
    if (grid.needLoadTop_ && grid.flipView_) {
      grid.flipView_->reloadTopTextureWithView(&grid);
      grid.needLoadTop_ = false;
    }
  });
}

void GridView::setExcessiveTextureWithPath(const std::string& path) {
  if (flipView_) flipView_->reloadMidTextureWithPath(path);
}

}  // namespace zu
