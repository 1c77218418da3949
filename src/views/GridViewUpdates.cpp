// GridView: following changes of the data — full reloads, reloads of some cells, insertions,
// deletions and moves — and the renumbering of the cache and the queues they need.
//
// The update type tells a cell made while the cells are placed where it starts, so that the
// animation around the placing looks right:
//   -1  at its rectangle (no visible change); placing walks upward.
//    0  (animated delete) at the rectangle of the next index, half size; it then grows while
//       it slides to its own place; placing walks upward.
//    1  (animated insert) at its own rectangle, half size and transparent; it grows and fades
//       in; placing walks downward.
//    2  (reloads, a new expected size) at its rectangle; placing walks downward.
//    3  (a geometry change keeping or raising the cells per page) at its rectangle in the
//       previous layout; parked cells move with the change; placing walks upward.
//    4  the same when the cells per page went down; placing walks downward.
// The change is animated only when the placing runs inside an animation block.
#include <algorithm>
#include <cstdio>
#include <set>

#include "platform/ui/motion/Animations.h"
#include "views/GridView.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

constexpr double kUpdateDuration = 0.2;
constexpr double kMoveDelay = 0.01;

}  // namespace

// --- renumbering

bool GridView::rekeyCell0(int from, int to) {
  auto rekeyIn = [&](CellMap& map) {
    auto it = map.find(from);
    if (it == map.end()) return false;
    auto cell = it->second;
    map.erase(it);
    // A cell already under the new key would be lost from the dictionaries while still in the
    // scroll view: it goes from the view too.
    if (auto displaced = map.find(to); displaced != map.end()) {
      displaced->second->removeFromSuperview();
      map.erase(displaced);
    }
    map[to] = cell;
    cell->setIndexNumber(to);
    return true;
  };
  if (rekeyIn(cellCache_)) return true;
  for (auto& [id, queue] : reuseCellQueue_) {
    if (rekeyIn(queue)) return true;
  }
  return false;
}

void GridView::cellMove0FromIndex(int from, int to, bool callBack) {
  if (from != to) {
    // The moving cell leaves its place first, parked or not, so that the shift cannot cover
    // it with a neighbour's key.
    std::shared_ptr<GridViewCell> moving;
    if (auto it = cellCache_.find(from); it != cellCache_.end()) {
      moving = it->second;
      cellCache_.erase(it);
    } else {
      for (auto& [id, queue] : reuseCellQueue_) {
        if (auto q = queue.find(from); q != queue.end()) {
          moving = q->second;
          queue.erase(q);
          break;
        }
      }
    }
    if (moving) moving->setIndexNumber(-1);
    if (from < to) {
      for (int k = from + 1; k <= to; ++k) rekeyCell0(k, k - 1);
    } else {
      for (int k = from - 1; k >= to; --k) rekeyCell0(k, k + 1);
    }
    if (moving) {
      if (auto displaced = cellCache_.find(to); displaced != cellCache_.end()) {
        displaced->second->removeFromSuperview();
      }
      cellCache_[to] = moving;
      moving->setIndexNumber(to);
    }
    debugCaches("cellMove");
  }
  if (callBack) {
    if (auto d = delegate_.lock()) d->gridViewCellMoveFromIndexToIndex(*this, from, to);
  }
}

void GridView::updateCountAndPages(int expected, const char* what, int changed) {
  const int before = numberOfCells_;
  auto source = dataSource_.lock();
  numberOfCells_ = std::max(0, source ? source->numberOfCellsInGridView(*this) : 0);
  if (expected != numberOfCells_) {
    std::fprintf(stderr, "%s前后的cell个数不一致.%s前:%d , %s后:%d ,%s个数：%d\n", what, what, before, what,
                 numberOfCells_, what, changed);
  }
  const int pages = calculationPageCount0();
  if (pages != numberOfPages_) {
    if (auto d = delegate_.lock()) d->gridViewChangePageCountTo(*this, numberOfPages_, pages);
  }
  numberOfPages_ = pages;
}

// --- reloads

void GridView::reloadDataToPage(int page) {
  auto keep = shared();
  updateType_ = 2;
  curPageEnded_ = -1;
  curTouchCellIndex_ = -1;
  dirtyAllCells();
  releaseAllQueue0();
  // The old page is remembered and page 0, which every page count has, made current before the
  // relayout: a grid that shrank below its old page then reports no step back to its last page
  // of its own, only the one move from the old page to the requested one. That page is brought
  // within the new page count before it becomes current, so no report names a page the grid
  // never had.
  const int oldPage = curPage_;
  curPage_ = 0;
  relayout0();
  curPage_ = std::clamp(page, 0, std::max(0, numberOfPages_ - 1));
  calculationItemBounds0();
  calculationScrollViewContent0();
  layoutHeaderView0();
  scrollToPageWithoutRelayout(curPage_);
  pageScrolled0From(oldPage, curPage_);
  relayoutCells0();
  scrollViewDidEndDecelerating2(*scrollView_);
  markPicturesDue();
}

void GridView::reloadCellAtIndexs(const std::vector<int>& indexes, bool animated) {
  if (!scrollView_) return;
  auto keep = shared();
  updateType_ = animated ? 2 : -1;
  if (curTouchCellIndex_ >= 0) {
    auto touched = curTouchCellIndex_ < numberOfCells_ ? cellFromCacheAndQueueAtIndex0(curTouchCellIndex_)
                                                       : nullptr;
    curTouchCellCenter_ = touched ? touched->center() : ui::Point{};
  }
  if (animated) {
    ui::Animations::begin("reloadCells");
    ui::Animations::setDuration(kUpdateDuration);
  }
  dirtyCellsOfCacheAndQueue0WithIndexs(indexes);
  relayoutCells0();
  if (animated) ui::Animations::commit();
  markPicturesDue();
}

// --- insertion and deletion

void GridView::insertCellAtIndexs(const std::vector<int>& indexes, bool animated) {
  if (!scrollView_) return;
  auto keep = shared();
  updateCountAndPages(numberOfCells_ + static_cast<int>(indexes.size()), "insert",
                      static_cast<int>(indexes.size()));
  updateType_ = animated ? 1 : -1;

  // Old keys from the smallest inserted index up move past the inserted indexes before them;
  // carried out from the highest key down so that no key is overwritten.
  const int n = numberOfCells_;
  const std::set<int> inserted(indexes.begin(), indexes.end());
  int m = n;
  if (!inserted.empty() && *inserted.begin() < n) m = std::max(0, *inserted.begin());
  std::vector<std::pair<int, int>> moves;
  int o = m;
  int s = 0;
  for (int i = m; i < n; ++i) {
    if (inserted.count(i)) {
      ++s;
      continue;
    }
    if (s > 0) moves.emplace_back(o, o + s);
    ++o;
  }
  for (auto it = moves.rbegin(); it != moves.rend(); ++it) rekeyCell0(it->first, it->second);
  if (!moves.empty()) debugCaches("insert");

  calculationScrollViewContent0();
  if (animated) {
    ui::Animations::begin("insertCells");
    ui::Animations::setDuration(kUpdateDuration);
  }
  relayoutCells0();
  if (animated) ui::Animations::commit();
  markPicturesDue();
  updateType_ = -1;
  prepareCells();
}

void GridView::deleteCellAtIndexs(const std::vector<int>& indexes, bool animated) {
  if (!scrollView_) return;
  auto keep = shared();
  updateType_ = animated ? 0 : -1;
  if (animated) {
    ui::Animations::begin("deleteCells");
    ui::Animations::setDuration(kUpdateDuration);
  }
  dirtyCellsOfCacheAndQueue0WithIndexs(indexes);

  // Keys above the smallest deleted index move down past the deleted ones before them, from
  // the lowest key up.
  const int n = numberOfCells_;
  const std::set<int> deleted(indexes.begin(), indexes.end());
  int m = n;
  if (!deleted.empty() && *deleted.begin() < n) m = std::max(0, *deleted.begin());
  int s = 0;
  for (int i = m; i < n; ++i) {
    if (deleted.count(i)) {
      ++s;
    } else if (s > 0) {
      rekeyCell0(i, i - s);
    }
  }
  if (m < n) debugCaches("delete");

  if (curTouchCellIndex_ >= 0) {
    int below = 0;
    for (int k : indexes) {
      if (k == curTouchCellIndex_) {
        curTouchCellIndex_ = -1;
        break;
      }
      if (k < curTouchCellIndex_) ++below;
    }
    if (curTouchCellIndex_ >= 0) curTouchCellIndex_ -= below;
  }
  if (animated) ui::Animations::commit();

  updateCountAndPages(n - static_cast<int>(indexes.size()), "delete", static_cast<int>(indexes.size()));
  if (curPage_ >= numberOfPages_) {
    // The page the grid was on is gone: the last page becomes current, and the grid shows it.
    pageScrolled0From(curPage_, numberOfPages_ - 1);
    curPage_ = numberOfPages_ - 1;
    pageScrollEnded0At(curPage_);
    calculationScrollViewContent0();
    scrollToPageWithoutRelayout(curPage_);
  } else {
    calculationScrollViewContent0();
  }
  if (animated) {
    ui::Animations::begin("deleteCells");
    ui::Animations::setDuration(kUpdateDuration);
  }
  relayoutCells0();
  if (animated) ui::Animations::commit();
  markPicturesDue();
}

// --- moves

void GridView::moveCellFromIndex(int from, int to, bool animated) {
  if (!scrollView_) return;
  if (from < 0 || to < 0 || from == to || from >= numberOfCells_ || to >= numberOfCells_) return;
  auto keep = shared();
  if (auto d = delegate_.lock(); d && !d->gridViewShouldCellMoveFromIndexToIndex(*this, from, to)) return;
  cellMove0FromIndex(from, to, false);
  // The touched index follows its cell.
  if (curTouchCellIndex_ == from) {
    curTouchCellIndex_ = to;
  } else if (from < to && curTouchCellIndex_ > from && curTouchCellIndex_ <= to) {
    --curTouchCellIndex_;
  } else if (from > to && curTouchCellIndex_ >= to && curTouchCellIndex_ < from) {
    ++curTouchCellIndex_;
  }
  if (animated) {
    ui::Animations::begin("relayout");
    ui::Animations::setDelay(kMoveDelay);
    updateType_ = -1;
    relayoutCells0();
    ui::Animations::commit();
  } else {
    relayoutCells0();
  }
}

}  // namespace zu
