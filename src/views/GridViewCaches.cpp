// GridView: the cell cache, the reuse queues and the preparation of cells around the visible
// page.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/ui/motion/Animations.h"
#include "views/GridView.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

// How long cells dropped from the queues during a geometry change stay on screen, so that they
// move with the change before they go.
constexpr double kDelayedRemoval = 0.1;

}  // namespace

bool GridView::isTouchedOrDragged(int index) const {
  return index == curTouchCellIndex_ || index == draggingIndex_;
}

// --- moves between cache and queues

std::shared_ptr<GridViewCell> GridView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
  auto q = reuseCellQueue_.find(identifier);
  if (q == reuseCellQueue_.end() || q->second.empty()) return nullptr;
  // Keys are ordered, so a free cell (negative key) comes first when there is one.
  auto it = q->second.begin();
  auto cell = it->second;
  q->second.erase(it);
  cell->removeFromSuperview();
  cell->setIndexNumber(-1);
  cell->setCompleted(true);
  return cell;
}

std::shared_ptr<GridViewCell> GridView::cellFromCacheAndQueueAtIndex0(int index) {
  if (auto it = cellCache_.find(index); it != cellCache_.end()) return it->second;
  for (auto& [id, queue] : reuseCellQueue_) {
    auto it = queue.find(index);
    if (it == queue.end()) continue;
    auto cell = it->second;
    cellCache_[index] = cell;
    queue.erase(it);
    debugCaches("resueQueue -> cellCache");
    cell->setAlpha(1);
    return cell;
  }
  return nullptr;
}

void GridView::setCellToCacheAtIndex0(const std::shared_ptr<GridViewCell>& cell, int index) {
  if (cellCache_.count(index)) return;
  cellCache_[index] = cell;
  cell->setIndexNumber(index);
  debugCaches("setCell to cellCache");
}

void GridView::fetchCellFromCacheToQueue0AtIndex(int index) {
  if (index == curTouchCellIndex_) return;
  auto it = cellCache_.find(index);
  if (it == cellCache_.end()) return;
  auto cell = it->second;
  if (updateType_ == 3 || updateType_ == 4) {
    cell->setFrame(rect0AtIndex(index));
    cell->setAlpha(1);
  } else {
    cell->setAlpha(0);
  }
  reuseCellQueue_[cell->identifiy()][index] = cell;
  cellCache_.erase(it);
  debugCaches("_cellCache -> reuseQueue");
}

void GridView::fetchNoDisplayCellFromCacheToQueue0AtIndex(int index) {
  if (index == draggingIndex_) return;
  if (!rect0AtIndex(index).intersects(visibleRect())) fetchCellFromCacheToQueue0AtIndex(index);
}

void GridView::dirtyOneCellOfCacheAndQueue0WithNumber(int k) {
  auto free = [&](CellMap& queue, const std::shared_ptr<GridViewCell>& cell) {
    if (auto old = queue.find(-(k + 1)); old != queue.end()) {
      old->second->removeFromSuperview();
      queue.erase(old);
    }
    queue[-(k + 1)] = cell;
    cell->setIndexNumber(-1);
  };
  if (auto it = cellCache_.find(k); it != cellCache_.end()) {
    auto cell = it->second;
    cell->setAlpha(0);
    free(reuseCellQueue_[cell->identifiy()], cell);
    cellCache_.erase(it);
    debugCaches("dirtyOneCellOfCacheAndQueue0WithNumber");
    return;
  }
  for (auto& [id, queue] : reuseCellQueue_) {
    auto it = queue.find(k);
    if (it == queue.end()) continue;
    auto cell = it->second;
    queue.erase(it);
    free(queue, cell);
    debugCaches("dirtyOneCellOfCacheAndQueue0WithNumber");
  }
}

void GridView::dirtyAllCells() {
  for (int i : indexsForCacheCells()) {
    if (i < numberOfCells_) dirtyOneCellOfCacheAndQueue0WithNumber(i);
  }
}

void GridView::dirtyCellsOfCacheAndQueue0WithIndexs(const std::vector<int>& indexes) {
  for (int k : indexes) dirtyOneCellOfCacheAndQueue0WithNumber(k);
}

void GridView::postLater(double delay, std::function<void(GridView&)> step) {
  auto token = std::make_shared<RunLoop::Token>(0);
  std::weak_ptr<GridView> weak = std::static_pointer_cast<GridView>(shared());
  *token = RunLoop::main()->postDelayed(delay, [weak, token, step = std::move(step)] {
    auto self = weak.lock();
    if (!self) return;
    self->pendingTokens_.erase(*token);
    step(*self);
  });
  if (*token) pendingTokens_.insert(*token);
}

void GridView::removeCellsLater(std::vector<std::shared_ptr<GridViewCell>> cells) {
  postLater(kDelayedRemoval, [cells = std::move(cells)](GridView&) {
    for (const auto& cell : cells) cell->removeFromSuperview();
  });
}

void GridView::clearAllQueue0() {
  std::vector<std::shared_ptr<GridViewCell>> dropped;
  for (auto& [id, queue] : reuseCellQueue_) {
    for (auto& [key, cell] : queue) dropped.push_back(cell);
    queue.clear();
  }
  if (dropped.empty()) return;
  if (updateType_ == 3 || updateType_ == 4) {
    removeCellsLater(std::move(dropped));
  } else {
    for (const auto& cell : dropped) cell->removeFromSuperview();
  }
  debugCaches("clearAllQueue");
}

void GridView::releaseAllQueue0() {
  const int type = updateType_;
  std::vector<std::shared_ptr<GridViewCell>> dropped;
  for (auto& [id, queue] : reuseCellQueue_) {
    for (auto& [key, cell] : queue) dropped.push_back(cell);
  }
  reuseCellQueue_.clear();
  if (type == 3 || type == 4) {
    if (!dropped.empty()) removeCellsLater(std::move(dropped));
  } else {
    for (const auto& cell : dropped) cell->removeFromSuperview();
  }
  debugCaches("releaseAllQueue");
}

// --- which cells are worth keeping, and where

bool GridView::needCache0AtIndex(int i) const {
  if (i == curTouchCellIndex_) return true;
  if (noCacheCountForPage_ <= 0) return true;
  const int f = firstPageCellCount();
  if (i < f) return i >= noCacheCountForPage_;
  return (i - f) % cellsPerPage() >= noCacheCountForPage_;
}

ui::Rect GridView::rectForPrepareContent0(const ui::Rect& v) const {
  const float c = cacheCapacity_;
  const ui::Size content = scrollView_ ? scrollView_->contentSize() : ui::Size{};
  auto window = [&](float at, float len, float contentLen) {
    float start = at - (c - 1) * len / 2;
    if (cacheSingle_) start = goBack_ ? at - (c - 1) * len : at;
    const float extent = len * c;
    if (start + extent > contentLen) start -= start + extent - contentLen;
    if (start < 0) start = 0;
    return start;
  };
  if (extendsHorizontal_) {
    return ui::Rect(window(v.origin.x, v.size.width, content.width), v.origin.y, v.size.width * c,
                    v.size.height);
  }
  return ui::Rect(v.origin.x, window(v.origin.y, v.size.height, content.height), v.size.width,
                  v.size.height * c);
}

std::vector<int> GridView::indexsForVisibleCells() const {
  const ui::Rect v = visibleRect();
  std::vector<int> out;
  auto shown = [&](int key) { return key == curTouchCellIndex_ || rect0AtIndex(key).intersects(v); };
  for (const auto& [key, cell] : cellCache_) {
    if (shown(key)) out.push_back(key);
  }
  for (const auto& [id, queue] : reuseCellQueue_) {
    for (const auto& [key, cell] : queue) {
      if (key >= 0 && shown(key)) out.push_back(key);
    }
  }
  return out;
}

std::vector<int> GridView::indexsForCacheCells() const {
  std::vector<int> out;
  for (const auto& [key, cell] : cellCache_) out.push_back(key);
  for (const auto& [id, queue] : reuseCellQueue_) {
    for (const auto& [key, cell] : queue) {
      if (key >= 0) out.push_back(key);
    }
  }
  return out;
}

std::shared_ptr<GridViewCell> GridView::getCellIndex(int index) {
  if (index < 0 || index >= numberOfCells_) {
    std::fprintf(stderr, "下标越界.index:%d , numberOfCells: %d\n", index, numberOfCells_);
    return nullptr;
  }
  return cellFromCacheAndQueueAtIndex0(index);
}

// --- placing the visible cells

void GridView::parkCachedCellsOutside(const ui::Rect& v, const ui::Rect& c, bool keepDragged) {
  std::vector<int> keys;
  for (const auto& [key, cell] : cellCache_) keys.push_back(key);
  for (int i : keys) {
    if (keepDragged && i == draggingIndex_) continue;
    const ui::Rect r = rect0AtIndex(i);
    if (!(r.intersects(c) && (r.intersects(v) || needCache0AtIndex(i)))) fetchCellFromCacheToQueue0AtIndex(i);
  }
}

void GridView::relayoutCells0() {
  if (!scrollView_) return;
  relayoutCellsWithRect0(visibleRect());
}

void GridView::relayoutCellsWithRect0(const ui::Rect& v) {
  const ui::Rect c = rectForPrepareContent0(v);
  parkCachedCellsOutside(v, c, false);
  std::vector<int> order = candidateIndexes(v.unionWith(c));
  if (curTouchCellIndex_ >= 0 && curTouchCellIndex_ < numberOfCells_ &&
      !std::binary_search(order.begin(), order.end(), curTouchCellIndex_)) {
    order.insert(std::lower_bound(order.begin(), order.end(), curTouchCellIndex_), curTouchCellIndex_);
  }
  if (updateType_ == 1 || updateType_ == 2 || updateType_ == 4) std::reverse(order.begin(), order.end());
  for (int i : order) {
    const ui::Rect r = rect0AtIndex(i);
    if (i == curTouchCellIndex_ || r.intersects(v)) {
      relayoutACell0AtIndex(i);
    } else if (r.intersects(c) && needCache0AtIndex(i)) {
      if (auto cell = cellFromCacheAndQueueAtIndex0(i)) cell->setFrame(r);
    }
  }
}

void GridView::applyStartingState(GridViewCell& cell, int index, const ui::Rect& r) {
  auto halve = [&cell](const ui::Rect& at) {
    cell.setFrame(at);
    cell.setBounds(ui::Rect(0, 0, at.size.width / 2, at.size.height / 2));
  };
  switch (updateType_) {
    case 0:
      halve(rect0AtIndex(index + 1));
      cell.setAlpha(1);
      break;
    case 1:
      halve(r);
      cell.setAlpha(0);
      break;
    case 3:
    case 4:
      cell.setFrame(rectOnPreLayout0(index));
      cell.setAlpha(1);
      break;
    default:
      cell.setFrame(r);
      cell.setAlpha(1);
      break;
  }
}

void GridView::relayoutACell0AtIndex(int i) {
  const ui::Rect r = rect0AtIndex(i);
  if (i != curTouchCellIndex_ && !r.intersects(visibleRect())) return;
  if (auto cell = cellFromCacheAndQueueAtIndex0(i)) {
    if (i != curTouchCellIndex_) {
      cell->setFrame(r);
      cell->setAlpha(1);
    }
    cell->setNeedsLayout();
    cell->layoutIfNeeded();
    return;
  }
  // The cell is made and given its starting state with animations off; they are switched on
  // again for the move to its place, so that an enclosing block animates it.
  ui::Animations::setEnabled(false);
  auto cell = cellAtIndex0(i);
  if (!cell) {
    ui::Animations::setEnabled(true);
    return;
  }
  setCellToCacheAtIndex0(cell, i);
  scrollView_->addSubview(cell);
  applyStartingState(*cell, i, r);
  ui::Animations::setEnabled(true);
  cell->setAlpha(1);
  cell->setBounds(ui::Rect(0, 0, itemBounds_.size.width, itemBounds_.size.height));
  if (i == curTouchCellIndex_) {
    cell->setCenter(curTouchCellCenter_);
  } else {
    cell->setFrame(r);
  }
  cell->setNeedsLayout();
  cell->layoutIfNeeded();
}

std::shared_ptr<GridViewCell> GridView::cellAtIndex0(int index) {
  auto source = dataSource_.lock();
  if (!source) return nullptr;
  const bool enabled = ui::Animations::areEnabled();
  ui::Animations::setEnabled(false);
  auto cell = source->gridViewCellAtIndex(*this, index);
  ui::Animations::setEnabled(enabled);
  if (cell) cell->setCompleted(false);
  return cell;
}

// --- preparation

void GridView::prepareCells() {
  if (!scrollView_) return;
  ui::Rect v = visibleRect();
  ui::Rect c = rectForPrepareContent0(v);
  int lowest = numberOfCells_;
  int highest = -1;
  for (int i : candidateIndexes(v)) {
    if (rect0AtIndex(i).intersects(v)) {
      lowest = std::min(lowest, i);
      highest = std::max(highest, i);
    }
  }
  parkCachedCellsOutside(v, c, true);
  // Outward from the visible range, one below then one above; indexes outside the window's
  // pages never meet it, so the walk stops at them.
  const std::vector<int> window = candidateIndexes(c);
  const int floor = window.empty() ? 0 : window.front();
  const int ceiling = window.empty() ? -1 : window.back();
  int d = std::min(lowest - 1, ceiling);
  int u = std::max(highest + 1, floor);
  auto step = [&](int k) {
    v = visibleRect();
    c = rectForPrepareContent0(v);
    if (rect0AtIndex(k).intersects(c) && needCache0AtIndex(k) && !cellFromCacheAndQueueAtIndex0(k)) {
      cellAtIndex0OnMainThread(k);
    }
  };
  while (d >= floor || (u <= ceiling && u < numberOfCells_)) {
    if (d >= floor) step(d--);
    if (u <= ceiling && u < numberOfCells_) step(u++);
  }
  clearAllQueue0();
  gestureEscape_ = false;
}

GridView::PrepareSet GridView::getIndexsForPrepareAndFetchNoPrepareCacheCell2Queue0() {
  PrepareSet set;
  const ui::Rect v = visibleRect();
  const ui::Rect c = rectForPrepareContent0(v);
  int lowest = numberOfCells_;
  int highest = -1;
  for (int i : candidateIndexes(v.unionWith(c))) {
    const ui::Rect r = rect0AtIndex(i);
    if (r.intersects(v)) {
      lowest = std::min(lowest, i);
      highest = std::max(highest, i);
    } else if (i == draggingIndex_ || (r.intersects(c) && needCache0AtIndex(i))) {
      set.indexes.insert(i);
    }
  }
  if (draggingIndex_ >= 0 && draggingIndex_ < numberOfCells_ && !rect0AtIndex(draggingIndex_).intersects(v)) {
    set.indexes.insert(draggingIndex_);
  }
  std::vector<int> keys;
  for (const auto& [key, cell] : cellCache_) keys.push_back(key);
  for (int i : keys) {
    if (i != draggingIndex_ && !rect0AtIndex(i).intersects(v) && !set.indexes.count(i)) {
      fetchCellFromCacheToQueue0AtIndex(i);
    }
  }
  set.indexMax = highest + 1;
  set.indexMin = lowest - 1;
  return set;
}

void GridView::asynPrepareCells0(PrepareSet set) {
  if (prepareToken_) RunLoop::main()->cancel(prepareToken_);
  prepareToken_ = 0;
  if (set.indexes.empty()) return;
  auto shared = std::make_shared<PrepareSet>(std::move(set));
  std::weak_ptr<GridView> weak = std::static_pointer_cast<GridView>(this->shared());
  const int d = shared->indexMin;
  const int u = shared->indexMax;
  prepareToken_ = RunLoop::main()->postDelayed(0.01, [weak, shared, d, u] {
    if (auto self = weak.lock()) {
      self->prepareToken_ = 0;
      self->prepareStep(shared, d, u, true);
    }
  });
}

// One index of the preparation walk per main-loop turn: the nearest index of the set not yet
// visited, alternating below and above the visible range while both sides last.
void GridView::prepareStep(std::shared_ptr<PrepareSet> set, int d, int u, bool downNext) {
  const int lowestWanted = set->indexes.empty() ? 0 : *set->indexes.begin();
  const int highestWanted = set->indexes.empty() ? -1 : *set->indexes.rbegin();
  for (;;) {
    const int n = numberOfCells_;
    const bool downLeft = d >= 0 && d >= lowestWanted;
    const bool upLeft = u < n && u <= highestWanted;
    if (!downLeft && !upLeft) return;
    int k;
    if ((downNext && downLeft) || !upLeft) {
      k = d--;
      downNext = false;
    } else {
      k = u++;
      downNext = true;
    }
    if (!set->indexes.count(k)) continue;
    if (!cellFromCacheAndQueueAtIndex0(k) && !prepareQueue_.count(k)) {
      prepareQueue_.insert(k);
      cellAtIndex0OnMainThread(k);
    }
    break;
  }
  std::weak_ptr<GridView> weak = std::static_pointer_cast<GridView>(shared());
  prepareToken_ = RunLoop::main()->postDelayed(0, [weak, set, d, u, downNext] {
    if (auto self = weak.lock()) {
      self->prepareToken_ = 0;
      self->prepareStep(set, d, u, downNext);
    }
  });
}

void GridView::cellAtIndex0OnMainThread(int index) {
  const ui::Rect r = rect0AtIndex(index);
  auto cell = cellFromCacheAndQueueAtIndex0(index);
  if (!cell) cell = cellAtIndex0(index);
  prepareQueue_.erase(index);
  if (!cell) return;
  setCellToCacheAtIndex0(cell, index);
  scrollView_->addSubview(cell);
  cell->setFrame(r);
  cell->setAlpha(1);
  cell->setNeedsLayout();
  cell->layoutIfNeeded();
}

// --- memory warnings

void GridView::memoryWarning() {
  updateType_ = -1;
  if (releaseNoCacheOnWarning_) releaseNoCacheCells();
  if (releaseNoDisplayOnWarning_) releaseCacheQueueNoDisplay();
}

void GridView::releaseNoCacheCells() {
  if (!cellCache_.empty() && scrollView_) {
    const ui::Rect v = visibleRect();
    parkCachedCellsOutside(v, rectForPrepareContent0(v), true);
  }
  releaseAllQueue0();
}

void GridView::releaseCacheQueueNoDisplay() {
  updateType_ = -1;
  std::vector<int> keys;
  for (const auto& [key, cell] : cellCache_) keys.push_back(key);
  for (int i : keys) fetchNoDisplayCellFromCacheToQueue0AtIndex(i);
  releaseAllQueue0();
  needLoadBottom_ = true;
}

// --- trace

void GridView::debugCaches(const std::string& tag) const {
  if (!trackCaches_) return;
  auto id = [](const void* p) { return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)); };
  std::fprintf(stderr, " \n=======================trackCaches[%s]=======================\n", tag.c_str());
  std::fprintf(stderr, "cellCache:[%d]\n", static_cast<int>(cellCache_.size()));
  for (const auto& [key, cell] : cellCache_) {
    std::fprintf(stderr, "    cell_%llu ,index = %d retainCount = %ld\n", id(cell.get()), key, cell.use_count());
  }
  for (const auto& [name, queue] : reuseCellQueue_) {
    std::fprintf(stderr, "reuseQueue_%llu[%d] , retainCount = 1\n", id(&queue), static_cast<int>(queue.size()));
    for (const auto& [key, cell] : queue) {
      const std::string where = key >= 0 ? std::to_string(key) : "invalidate";
      std::fprintf(stderr, "    cell_%llu , retainCount = %ld [%s]\n", id(cell.get()), cell.use_count(),
                   where.c_str());
    }
  }
  std::fprintf(stderr, "********************trackCaches[%s]************************\n", tag.c_str());
}

}  // namespace zu
