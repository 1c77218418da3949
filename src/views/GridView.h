// GridView: the reusable paged grid. It shows the cells of a data source in pages of rows by
// columns inside its own scroll view (a ScrollViewForGridView_3_0, made by the first layout
// pass), with optional edge views around the pages and a header on the first page; keeps live
// cells for the visible page and a window of pages around it; parks cells that leave the window
// in a reuse queue per identifier (invisible, with their content, so they come back without
// asking the data source); hands parked and free cells to the data source for reuse; and makes
// the missing cells of the window afterwards, nearest first. A grid is itself a cell, so a grid
// can be a cell of an outer grid.
//
// Under page models 1 and 2 the grid's pan turns pages with a page-turn view that it lays over
// itself in its superview (a PageTurnView, by default the GL EAGLPageTurnView): a flat flip
// under model 1, a book curl under model 2 (and for page-animated reloads of types 5 and 6);
// in portrait the curl turns one page whose spine is the left edge, in landscape two facing
// pages about the centre line.
//
// Use: make it with GridView::create(frame), set a data source and a delegate (both weak),
// add it to a view tree; nothing is asked of them before the first layout pass. All calls,
// data-source and delegate calls and cell work happen on the main thread.
//
// Kept from the phone:
//  - A delegate that does not answer yields the defaults of GridViewProtocol; without a data
//    source the grid has no cells and one page.
//  - Cell rectangles: cells run row by row within a page; every page after the first is
//    shifted 1 point along the paging axis; all four values are cut toward zero.
//  - Parked cells keep their key and content (alpha 0); free cells of index k wait under key
//    -(k + 1); dequeue prefers free cells and else takes a parked one.
//  - Page reports: gridViewPageScrolledFromTo per boundary crossed; gridViewPageScrollEndedFromTo
//    once per settle, from where the change began, never for a return to the reported page.
//  - The hit test gives no cell in the gaps, in the band before the first cell of a page and in
//    the header's placeholder; its inequalities are strict.
// Where we differ on purpose (faults mended):
//  - Rows or columns below 1 count as 1 and plot ratios of 0 or less as the default, and page
//    arithmetic and hit testing are skipped while the page length or cell size is 0.
//  - When a relayout leaves fewer pages than the current page, the scroll-ended report names
//    the page the grid is on afterwards (the old page no longer exists).
//  - Cells around the visible page are prepared by a chain of main-loop steps (nearest first,
//    alternating below and above the visible range, the count read afresh at each step) rather
//    than by a thread that waits on the main thread; the steps and the delayed removals of
//    cleared cells are cancelled when the grid goes, and the page-turn view's delegate cleared.
//  - Only the indexes whose pages meet the window are looked at, so a page costs the same in a
//    grid of any size.
//  - A move carries its source cell also when it is parked (left under its old key, the
//    renumbering would cover it: a cell lost as an invisible subview); a cell displaced
//    from a key by renumbering leaves the scroll view instead of staying there unheld.
//  - A delete that removes the current page makes the last page current, reports its end as
//    that page, and shows it; a full reload brings the requested page within the new count
//    before it becomes current, so no report names a page that does not exist.
//  - In a move, a touched index between source and target follows its cell.
//  - A resize keeps the current page: the scroll view, grown past the old content, pulls its
//    offset back before the grid has laid the pages out for the new size, and that offset is
//    not taken for a page change.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/Color.h"
#include "views/GridViewCell.h"
#include "views/PageTurnView.h"
#include "views/ScrollViewForGridViewProtocol.h"

namespace zu {

class GridViewDataSourceProtocol;
class GridViewProtocol;
class ScrollViewForGridView_3_0;

class GridView : public GridViewCell, public ScrollViewForGridViewProtocol, public PageTurnViewDelegate {
 public:
  static std::shared_ptr<GridView> create(const ui::Rect& frame);
  explicit GridView(const ui::Rect& frame);
  ~GridView() override;

  // --- configuration
  std::shared_ptr<GridViewDataSourceProtocol> dataSource() const { return dataSource_.lock(); }
  void setDataSource(std::weak_ptr<GridViewDataSourceProtocol> d) { dataSource_ = std::move(d); }
  std::shared_ptr<GridViewProtocol> gridViewDelegate() const { return delegate_.lock(); }
  void setGridViewDelegate(std::weak_ptr<GridViewProtocol> d) { delegate_ = std::move(d); }
  // The object a drag that leaves the grid's cells is meant for (held weakly); the drag
  // handling only asks whether it is there.
  std::shared_ptr<Object> gridViewInteractiveDelegate() const { return interactiveDelegate_.lock(); }
  void setGridViewInteractiveDelegate(std::weak_ptr<Object> d) { interactiveDelegate_ = std::move(d); }
  const ui::EdgeInsets& contentInsets() const { return contentInsets_; }
  // Stores only; the next relayout uses them.
  void setContentInsets(const ui::EdgeInsets& insets) { contentInsets_ = insets; }
  bool extendsHorizontal() const { return extendsHorizontal_; }
  // Changes the scrolling direction and re-places the cells at once (the cell size stays).
  void setExtendsHorizontal(bool horizontal);
  float cacheCapacity() const { return cacheCapacity_; }
  void setCacheCapacity(float pages) { cacheCapacity_ = pages; }
  int noCacheCountForPage() const { return noCacheCountForPage_; }
  void setNoCacheCountForPage(int count) { noCacheCountForPage_ = count; }
  bool cacheSingle() const { return cacheSingle_; }
  void setCacheSingle(bool single) { cacheSingle_ = single; }
  ui::Size expectSize() const { return expectSize_; }
  // Lays the grid out at once for `size`; only when autoLayout is off, else ignored.
  void setExpectSize(ui::Size size);
  bool autoLayout() const { return autoLayout_; }
  void setAutoLayout(bool autoLayout);
  bool canDragging() const { return canDragging_; }
  void setCanDragging(bool can) { canDragging_ = can; }
  float bouncesLen() const { return bouncesLen_; }
  void setBouncesLen(float len) { bouncesLen_ = len; }
  int flipPageModel() const { return flipPageModel_; }
  // Page model 1 to 5: 1 and 2 turn pages with the page-turn view (no bouncing), 3 and 5 by
  // swipes, 4 (and any other value) by plain paged scrolling.
  void setFlipPageModel(int model);
  bool canBounce() const { return canBounce_; }
  // Bouncing along the paging axis only, or in neither direction.
  void setCanBounce(bool canBounce);
  bool gestureEscapeEnable() const { return gestureEscapeEnable_; }
  void setGestureEscapeEnable(bool enable) { gestureEscapeEnable_ = enable; }
  bool supportDoubleTap() const { return supportDoubleTap_; }
  void setSupportDoubleTap(bool support);
  const std::optional<ui::Color>& filpViewClearColorRGB() const { return flipClearColor_; }
  void setFilpViewClearColorRGB(std::optional<ui::Color> color) { flipClearColor_ = color; }
  bool releaseNoCacheQueueWhenMemoryWarning() const { return releaseNoCacheOnWarning_; }
  void setReleaseNoCacheQueueWhenMemoryWarning(bool on) { releaseNoCacheOnWarning_ = on; }
  bool releaseCacheQueueNoDisplayWhenMemoryWarning() const { return releaseNoDisplayOnWarning_; }
  void setReleaseCacheQueueNoDisplayWhenMemoryWarning(bool on) { releaseNoDisplayOnWarning_ = on; }
  bool trackCaches() const { return trackCaches_; }
  void setTrackCaches(bool track) { trackCaches_ = track; }

  // --- read-only state
  int numberOfCells() const { return numberOfCells_; }
  int numberOfPages() const { return numberOfPages_; }
  std::shared_ptr<ui::View> topView() const { return topView_.lock(); }
  std::shared_ptr<ui::View> bottomView() const { return bottomView_.lock(); }
  std::shared_ptr<ui::View> leftView() const { return leftView_.lock(); }
  std::shared_ptr<ui::View> rightView() const { return rightView_.lock(); }
  const std::shared_ptr<ui::View>& scrollBackGroundView() const { return scrollBackGroundView_; }
  // Null before the first layout pass.
  std::shared_ptr<ScrollViewForGridView_3_0> contentScrollView() const { return scrollView_; }
  const std::shared_ptr<PageTurnView>& flipView() const { return flipView_; }
  // Does nothing: only the grid itself sets its page-turn view.
  void setFlipView(const std::shared_ptr<PageTurnView>&) {}
  bool isAnimation() const;
  int getCurPage() const { return curPage_; }
  ui::Rect itemBounds() const { return itemBounds_; }

  // --- layout
  void layoutSubviews() override;
  // A full reflush at the next layout pass; `load` also (re)loads cells, `reload` discards
  // every cell first.
  void reflushWithLoad(bool load, bool reload);
  void setNeedReflush() { reflushWithLoad(false, false); }
  void reflushIfNeeded();
  // The rectangle of a cell in scroll-view coordinates, and the one it had before the last
  // reflush.
  ui::Rect rect0AtIndex(int index) const;
  ui::Rect rectOnPreLayout0(int index) const;
  int calculationPageCount0() const;

  // --- updates (the caller changes its data first; the grid asks for the new count)
  void reloadData() { reloadDataToPage(0); }
  // Discards every cell and loads the grid again on `page` (brought back to the last page).
  void reloadDataToPage(int page);
  // The same behind a page-turn animation of `type` passing `passCount` pages, started on the
  // main loop after the call returns; under page models 4 and 5 a plain reload.
  void reloadDataWithPageAnimation(int type, int passCount, int page = 0);
  void reloadCellAtIndexs(const std::vector<int>& indexes, bool animated);
  // `indexes` are the new indexes, after the insertion.
  void insertCellAtIndexs(const std::vector<int>& indexes, bool animated);
  // `indexes` are the old indexes, before the deletion.
  void deleteCellAtIndexs(const std::vector<int>& indexes, bool animated);
  // Nothing for equal or out-of-range indexes or when the delegate refuses the move.
  void moveCellFromIndex(int from, int to, bool animated = false);
  // How a cell made now starts (see the update types in GridViewUpdates.cpp).
  int updateType() const { return updateType_; }

  // --- paging
  // Clamped to the pages; the current page changes as the scroll view reports its offset.
  // Under page models 1 and 2 an animated change is a turn of the page-turn view.
  void setPage(int page, bool animated);
  // Switches the model without changing the owner's, and back to the owner's.
  void setTempFlipPageModel0(int model);
  void resumeFlipPageModel0() { setTempFlipPageModel0(oldFlipPageModel_); }
  // Under page models 1 and 2 both page pictures are taken again before the next turn.
  void reflushFlipView() { markPicturesDue(); }
  // The picture shown between the pages of a turn that passes several.
  void setExcessiveTextureWithPath(const std::string& path);

  // --- the page-turn view (page models 1 and 2)
  // Makes the page-turn view; by default an EAGLPageTurnView. A factory that gives null (no GL
  // context) leaves the grid without one: pages then change without a turn.
  using PageTurnViewFactory = std::function<std::shared_ptr<PageTurnView>(const ui::Rect& frame)>;
  void setPageTurnViewFactory(PageTurnViewFactory factory) { pageTurnViewFactory_ = std::move(factory); }
  // Makes the page-turn view over the grid in its superview (hidden), or fits it to the grid.
  void createFlipView0();
  void releaseFilpView();
  // The ends of the page-turn view's turns.
  void EAGLViewDidFlipL2RFinish(PageTurnView& view) override;
  void EAGLViewDidFlipL2RCancel(PageTurnView& view) override;
  void EAGLViewDidFlipR2LFinish(PageTurnView& view) override;
  void EAGLViewDidFlipR2LCancel(PageTurnView& view) override;
  void EAGLViewDidFlipU2DFinish(PageTurnView& view) override;
  void EAGLViewDidFlipD2UFinish(PageTurnView& view) override;
  void setPage0(int page, bool animated);
  // Scrolls to `page` at once; the scroll callbacks do not relay the cells out meanwhile.
  void scrollToPageWithoutRelayout(int page);
  void nextPage0() { setPage0(curPage_ + 1, false); }
  void prePage0() { setPage0(curPage_ - 1, false); }

  // --- cells
  std::shared_ptr<GridViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
  // The live cell of `index`, brought back from a queue when parked; null (and a log line)
  // outside 0 … count − 1.
  std::shared_ptr<GridViewCell> getCellIndex(int index);
  int indexOfCell(const GridViewCell& cell) const { return cell.indexNumber(); }
  std::vector<int> indexsForVisibleCells() const;
  // The dictionaries themselves, read-only: index → live cell, and identifier → (key → parked
  // cell, or free cell under a negative key).
  using CellMap = std::map<int, std::shared_ptr<GridViewCell>>;
  const CellMap& cellCache() const { return cellCache_; }
  const std::map<std::string, CellMap>& reuseCellQueue() const { return reuseCellQueue_; }
  std::vector<int> indexsForCacheCells() const;
  void memoryWarning();
  void releaseNoCacheCells();
  void releaseCacheQueueNoDisplay();
  bool needCache0AtIndex(int index) const;
  ui::Rect rectForPrepareContent0(const ui::Rect& visible) const;
  // Places the visible cells (making missing ones) and parks those that left the window.
  void relayoutCells0();
  // Makes the cells of the window around the visible range, nearest first, now.
  void prepareCells();
  // Frees the cells of `index` (cache or queue) under -(index + 1).
  void dirtyOneCellOfCacheAndQueue0WithNumber(int index);
  void dirtyCellsOfCacheAndQueue0WithIndexs(const std::vector<int>& indexes);
  void clearAllQueue0();
  void releaseAllQueue0();
  // Whether a background preparation is still queued on the main loop.
  bool isPreparing() const { return prepareToken_ != 0; }
  void debugCaches(const std::string& tag) const;

  // --- touches and scrolling (the scroll view's reports)
  void swipeLeftAction(ScrollViewForGridView& scrollView) override;
  void swipeRightAction(ScrollViewForGridView& scrollView) override;
  void scrollViewTouchesStarted(ScrollViewForGridView& scrollView, ui::Point point) override;
  void scrollViewTouchesMoved(ScrollViewForGridView&, ui::Point) override {}
  void scrollViewTouchesEnded(ScrollViewForGridView& scrollView, ui::Point point) override;
  void scrollViewTouchesCancelled(ScrollViewForGridView& scrollView, ui::Point point) override;
  void scrollViewLongGestureOnPoint(ScrollViewForGridView& scrollView, ui::GestureState state,
                                    ui::Point point) override;
  void scrollViewPanGestureOnPoint(ScrollViewForGridView& scrollView, ui::GestureState state,
                                   ui::Point point) override;
  void scrollViewTapGestureOnPoint(ScrollViewForGridView& scrollView, ui::TapGestureRecognizer& tap,
                                   ui::Point point) override;
  void scrollViewAcquireFocus(ScrollViewForGridView&) override {}
  void scrollViewDidScroll(ui::ScrollView& scrollView) override;
  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;
  void scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) override;
  // The end of a scroll without telling the delegate an animation finished (reloads).
  void scrollViewDidEndDecelerating2(ui::ScrollView& scrollView);
  // The cell under a window point, or -1.
  int indexOfCellAtPoint0(ui::Point windowPoint) const;
  int curTouchCellIndex() const { return curTouchCellIndex_; }
  bool inLongPress() const { return inLongPress_; }
  void pageScrolled0From(int from, int to);
  void pageScrollEnded0At(int page);

  std::string className() const override { return "GridView"; }

 private:
  struct PrepareSet {
    std::set<int> indexes;
    int indexMin = 0;
    int indexMax = 0;
  };

  // --- layout steps
  void relayout0();
  void layoutEdgeViews();
  void calculationItemBounds0();
  void calculationScrollViewContent0();
  void layoutHeaderView0();
  void relayoutCacheCell0();
  void takePreLayoutSnapshot();
  void markPicturesDue();
  // First-page cell count and the page the first cells lie on.
  int firstPageCellCount() const;
  int firstCellPage() const;
  int cellsPerPage() const { return rowCount_ * colCount_; }
  float pageLength() const;
  // Indexes whose rectangles may meet `rect` (their pages meet it), ascending.
  std::vector<int> candidateIndexes(const ui::Rect& rect) const;
  ui::Rect visibleRect() const;

  // --- cache moves
  std::shared_ptr<GridViewCell> cellFromCacheAndQueueAtIndex0(int index);
  void setCellToCacheAtIndex0(const std::shared_ptr<GridViewCell>& cell, int index);
  void fetchCellFromCacheToQueue0AtIndex(int index);
  void fetchNoDisplayCellFromCacheToQueue0AtIndex(int index);
  void parkCachedCellsOutside(const ui::Rect& visible, const ui::Rect& window, bool keepDragged);
  void relayoutCellsWithRect0(const ui::Rect& visible);
  void relayoutACell0AtIndex(int index);
  void applyStartingState(GridViewCell& cell, int index, const ui::Rect& rect);
  std::shared_ptr<GridViewCell> cellAtIndex0(int index);
  PrepareSet getIndexsForPrepareAndFetchNoPrepareCacheCell2Queue0();
  void asynPrepareCells0(PrepareSet set);
  void prepareStep(std::shared_ptr<PrepareSet> set, int down, int up, bool downNext);
  void cellAtIndex0OnMainThread(int index);
  void removeCellsLater(std::vector<std::shared_ptr<GridViewCell>> cells);
  bool isTouchedOrDragged(int index) const;

  // --- page turns
  void reloadAnimation0(int type, int passCount, int page);
  // The finger-driven flat flip (page model 1), points in window coordinates.
  // A finger's first touch of a page turn: the pan is followed only with a page-turn view and
  // a touch outside the dead band round the fold.
  void beginFlipPan(ui::Point p, bool outsideDeadBand);
  // The content had scrolled a page under the finger: back to the page it left.
  void undoContentScroll(bool next);
  void flipFlat(int state, ui::Point windowPoint);
  // Moves the content to the next (previous) page under the leaf and takes its picture, or
  // tells the delegate there is none.
  void prepareFlip(bool next);
  // The leaf over the grid, on the current page's picture.
  void showLeaf();
  // The finger's point becomes the start of the pan unless that would put the start on or
  // across the centre line.
  void rebasePan(ui::Point point, float middle);
  void finishOrHideFlip(bool next);
  void endFlip(bool next);
  // A whole-page book curl on (next) or back from the page-turn view's rest position, on a
  // curved path: one page in portrait (a turn back curls the previous page in over the current
  // one), two facing pages in landscape.
  void curlWholePage(bool next);
  // The finger-driven book curl (page model 2), points in window coordinates: the corner on the
  // finger's side of where the pan began follows the finger.
  void flipBook(int state, ui::Point windowPoint);
  void endBook(bool next);
  void finishBook(bool next, ui::Point p, bool landscape);
  bool steepFromFirstPanStart(ui::Point p) const;
  bool beginEndOfTurn();
  void finishTurn(PageTurnView& view, bool next);
  void finishVerticalTurn(PageTurnView& view);
  std::weak_ptr<PageTurnViewDelegate> selfAsPageTurnDelegate();

  // --- renumbering
  // Moves the cell under key `from` (the cache's, else the first queue's holding it) to key
  // `to` in the same dictionary; false when no cell has that key.
  bool rekeyCell0(int from, int to);
  // Carries the cell of `from` (cached or parked) to `to` in the cache and shifts the keys in
  // between by one toward `from`; tells the delegate when `callBack`.
  void cellMove0FromIndex(int from, int to, bool callBack);
  void updateCountAndPages(int expected, const char* what, int changed);

  // --- long-press drag
  void longPressDraging0(int state, int index);
  void simulateLongPressCurTouchCell0();
  bool inPageTurnZone0(ui::Point contentPoint, bool next) const;
  void relayoutCacheCell0AtIndex(int index);
  bool supportLongPress0AtIndex(int index);
  bool supportDragging0AtIndex(int index);

  // Runs `step` on the main loop after `delay` seconds unless the grid has gone first.
  void postLater(double delay, std::function<void(GridView&)> step);

  // A left swipe shows the next page, a right one the previous (or tells the delegate).
  void swipeToward(bool next);
  // Frees the cells of every index (a reload).
  void dirtyAllCells();

  // --- delegate forwarding
  void touchDownCellAtIndex0(int index);
  void touchCancelCellAtIndex0(int index);
  void clickCellAtIndex0(int index);
  void animationFinished0();

  // The grid as its scroll view's delegate.
  std::weak_ptr<ScrollViewForGridViewProtocol> selfAsScrollDelegate();

  std::weak_ptr<GridViewDataSourceProtocol> dataSource_;
  std::weak_ptr<GridViewProtocol> delegate_;
  std::weak_ptr<Object> interactiveDelegate_;
  ui::EdgeInsets contentInsets_;
  bool extendsHorizontal_ = true;
  float cacheCapacity_ = 1.0f;
  int noCacheCountForPage_ = 0;
  bool cacheSingle_ = false;
  ui::Size expectSize_;
  bool autoLayout_ = true;
  bool canDragging_ = false;
  float bouncesLen_ = 20.0f;
  int flipPageModel_ = 4;
  int oldFlipPageModel_ = 4;
  bool canBounce_ = true;
  bool gestureEscapeEnable_ = false;
  bool supportDoubleTap_ = false;
  std::optional<ui::Color> flipClearColor_;
  bool releaseNoCacheOnWarning_ = true;
  bool releaseNoDisplayOnWarning_ = false;
  bool trackCaches_ = false;

  std::shared_ptr<ui::View> scrollBackGroundView_;
  std::shared_ptr<ScrollViewForGridView_3_0> scrollView_;
  float topHeight_ = 0, bottomHeight_ = 0, leftWidth_ = 0, rightWidth_ = 0;
  std::weak_ptr<ui::View> topView_, bottomView_, leftView_, rightView_, headerView_;
  int placeholderForHeaderView_ = 0;
  ui::Rect itemBounds_;
  int rowCount_ = 1, colCount_ = 1;
  float plotratioX_ = 100000.0f, plotratioY_ = 1000000.0f;
  int numberOfCells_ = 0, numberOfPages_ = 0;
  int curPage_ = 0, curPageEnded_ = -1, oldPage_ = 0;

  CellMap cellCache_;
  std::map<std::string, CellMap> reuseCellQueue_;
  std::set<int> prepareQueue_;

  int updateType_ = -1;
  int draggingIndex_ = -1;
  int curTouchCellIndex_ = -1;
  ui::Point curTouchCellCenter_;
  bool inLongPress_ = false, clickToken_ = false, pageControlUsed_ = false;
  bool pageChanging_ = false;
  bool reflush_ = true, needLoad_ = true, dontScroll_ = false, noRelayout_ = false;
  // The scroll view's size when the content was last laid out for it.
  ui::Size laidOutScrollSize_;
  bool goBack_ = false, gestureEscape_ = false, escape_ = false;
  bool reloadWithAnimation_ = false;
  int oldNumOfPage_ = 0, oldColNum_ = 0, oldRowNum_ = 0;
  float oldPageWidth_ = 0, oldPageHeight_ = 0, oldItemWidth_ = 0, oldItemHeight_ = 0;
  float oldIntervalx_ = 0, oldIntervaly_ = 0;
  std::shared_ptr<PageTurnView> flipView_;
  bool needLoadTop_ = false, needLoadBottom_ = false, flipInterrupted_ = false;
  bool startFlip_ = false;
  PageTurnViewFactory pageTurnViewFactory_;
  ui::Point panStart_;
  ui::Point firstPanStart_;
  bool panChangeFirst_ = false, panChange2s_ = false, needFlip_ = false, canFlip_ = false;
  bool contentScrolled_ = false, hasLTextrue_ = false, hasRTextrue_ = false;
  float lastRota_ = 0;
  float oldCacheCapacity_ = 0;
  bool oldCacheSingle_ = false;

  // Main-loop work that must not outlive the grid.
  RunLoop::Token prepareToken_ = 0;
  RunLoop::Token prepareLaterToken_ = 0;
  std::set<RunLoop::Token> pendingTokens_;
  // The drag's target right after its last page turn; -2 before any.
  int lastTargetAfterTurn_ = -2;
  float deltaX_ = 0, deltaY_ = 0;
  bool pageChanged_ = false;
  bool changePostionRuntime_ = true;
};

}  // namespace zu
