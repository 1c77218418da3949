#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"
#include "views/PageGridView.h"
#include "views/PageGridViewDataSourceProtocol.h"
#include "views/PageGridViewProtocol.h"

namespace zu {
namespace {

using Journal = std::vector<std::string>;
using ui::Rect;

std::string pathText(const IndexPath& p) {
  return std::to_string(p.pageIndex()) + "." + std::to_string(p.cellIndex());
}

// Items tagged page * 100 + index, coloured by page and index, reused through the page grid's queue;
// every item asked for goes into the journal.
class Source : public PageGridViewDataSourceProtocol {
 public:
  int pages = 0;
  int itemsPerPage = 6;
  Journal asked;

  int numberOfPagesInPageGridView(PageGridView&) override { return pages; }
  int pageGridViewNumberOfCellsAtPage(PageGridView&, int) override { return itemsPerPage; }
  std::shared_ptr<GridViewCell> pageGridViewCellAtIndexPath(PageGridView& grid, const IndexPath& path) override {
    asked.push_back(pathText(path));
    auto cell = grid.dequeueReusableCellWithIdentifierAtPage("item", path.pageIndex());
    if (!cell) {
      cell = std::make_shared<GridViewCell>();
      cell->setIdentifiy("item");
    }
    cell->setTag(path.pageIndex() * 100 + path.cellIndex());
    const float hue = static_cast<float>(path.pageIndex() % 4) / 4.0f;
    cell->setBackgroundColor(ui::Color{0.3f + 0.6f * hue, 0.8f - 0.4f * hue, 0.4f + 0.1f * path.cellIndex(), 1});
    return cell;
  }
  Journal take() {
    Journal out;
    out.swap(asked);
    return out;
  }
};

class Delegate : public PageGridViewProtocol {
 public:
  Journal journal;
  int pageGridViewRowCountAtPage(PageGridView&, int) override { return 2; }
  int pageGridViewColCountAtPage(PageGridView&, int) override { return 3; }
  void pageGridViewCellDidClickedAtPath(PageGridView&, const IndexPath& p) override {
    journal.push_back("click " + pathText(p));
  }
  void pageGridViewPageScrolledFromTo(PageGridView&, int from, int to) override {
    journal.push_back("page " + std::to_string(from) + "->" + std::to_string(to));
  }
  void pageGridViewInternalPageScrolledFromToAtPage(PageGridView&, int from, int to, int page) override {
    journal.push_back("internal " + std::to_string(from) + "->" + std::to_string(to) + " at " +
                      std::to_string(page));
  }
};

class PageGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    grid_.reset();
    ui::Application::shared().resetForTesting();
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
  }

  // A paged grid of `pages` pages at `frame` in the window, laid out with its page grids made.
  void make(int pages, const Rect& frame = Rect(10, 40, 300, 400)) {
    source_->pages = pages;
    grid_ = PageGridView::create(frame);
    grid_->setDataSource(source_);
    grid_->setPageDelegate(delegate_);
    grid_->setCacheCapacity(3);
    window_->addSubview(grid_);
    settle();
  }
  // Lays out every level and lets the outer grid prepare its neighbouring pages.
  void settle() {
    for (int i = 0; i < 3; ++i) {
      window_->layoutIfNeeded();
      clock_->advance(0.05);
      EXPECT_TRUE(RunLoop::main()->runUntil([this] { return !grid_->pageView()->isPreparing(); }, 10));
      for (int page : grid_->indexsForCachePages()) {
        if (auto g = grid_->pageGridAtPage(page)) g->layoutIfNeeded();
      }
    }
  }

  ScopedFakeClock clock_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<Source> source_ = std::make_shared<Source>();
  std::shared_ptr<Delegate> delegate_ = std::make_shared<Delegate>();
  std::shared_ptr<PageGridView> grid_;
};

TEST_F(PageGridTest, OuterGridFillsBoundsAndPageGridsTurnByFlatFlip) {
  make(3);
  // Placed away from the window's origin, the outer grid still covers the paged grid exactly.
  EXPECT_EQ(Rect(0, 0, 300, 400), grid_->pageView()->frame());
  auto page0 = grid_->pageGridAtPage(0);
  ASSERT_NE(nullptr, page0);
  EXPECT_EQ("page", page0->identifiy());
  EXPECT_EQ(1, page0->flipPageModel());
  EXPECT_FALSE(page0->canBounce());
  EXPECT_TRUE(page0->canDragging());
  EXPECT_EQ(0, page0->indexNumber());
  // Items of page 0 are addressed (0, i) and carry their page.
  auto item = grid_->getCellAtIndexPath(IndexPath(0, 4));
  ASSERT_NE(nullptr, item);
  EXPECT_EQ(4, item->tag());
  auto item1 = grid_->getCellAtIndexPath(IndexPath(1, 2));
  ASSERT_NE(nullptr, item1);
  EXPECT_EQ(102, item1->tag());

  std::vector<std::string> visible;
  for (const IndexPath& p : grid_->indexPathsForVisibleCells()) visible.push_back(pathText(p));
  EXPECT_EQ((Journal{"0.0", "0.1", "0.2", "0.3", "0.4", "0.5"}), visible);

  auto image = ui::render(*window_);
  EXPECT_TRUE(ui::ContrastAudit::write(*window_, *image, "paged_grid"));
}

TEST_F(PageGridTest, PathsAreBatchedIntoOneCallPerPageGrid) {
  make(3);
  ASSERT_NE(nullptr, grid_->pageGridAtPage(0));
  ASSERT_NE(nullptr, grid_->pageGridAtPage(1));
  source_->take();
  // Page order of first mention, items in argument order, a repeated path once, page -1 and a
  // page without a grid dropped.
  grid_->reloadCellAtIndexPaths({IndexPath(0, 3), IndexPath(1, 2), IndexPath(0, 1), IndexPath(0, 3),
                                 IndexPath(-1, 0), IndexPath(40, 1)},
                                false);
  settle();
  Journal asked = source_->take();
  // The page grid makes a reload's cells in index order.
  EXPECT_EQ((Journal{"0.1", "0.3", "1.2"}), asked);

  // Deleting two items of page 1 leaves that page's grid with four; page 0 keeps six.
  source_->itemsPerPage = 4;
  grid_->deleteCellIndexPaths({IndexPath(1, 5), IndexPath(1, 0)}, false);
  settle();
  EXPECT_EQ(4, grid_->pageGridAtPage(1)->numberOfCells());
  EXPECT_EQ(6, grid_->pageGridAtPage(0)->numberOfCells());
  source_->itemsPerPage = 5;
  grid_->insertCellAtIndexPaths({IndexPath(1, 0)}, false);
  settle();
  EXPECT_EQ(5, grid_->pageGridAtPage(1)->numberOfCells());
  EXPECT_EQ(100, grid_->getCellAtIndexPath(IndexPath(1, 0))->tag());
}

TEST_F(PageGridTest, ReusedPageGridsShowTheirNewPage) {
  make(8);
  std::set<const GridView*> grids;
  for (int page = 0; page < 8; ++page) {
    grid_->setPage(page, false);
    settle();
    auto g = grid_->pageGridAtPage(page);
    ASSERT_NE(nullptr, g) << page;
    grids.insert(g.get());
    EXPECT_EQ(page, g->indexNumber());
    // Every item of the page's grid belongs to that page, none left from an earlier one.
    for (const auto& [index, cell] : g->cellCache()) {
      EXPECT_EQ(page * 100 + index, cell->tag()) << "page " << page;
    }
    EXPECT_EQ(6, g->numberOfCells());
  }
  // Page grids went round the outer grid's reuse queue instead of being made per page.
  EXPECT_LT(grids.size(), 8u);
  EXPECT_EQ(7, grid_->getCurPage());
}

TEST_F(PageGridTest, PagesWithoutGridsAnswerNothing) {
  make(0);
  EXPECT_EQ(0, grid_->pageView()->numberOfCells());
  EXPECT_EQ(-1, grid_->getCurInternalPage());
  EXPECT_EQ(nullptr, grid_->dequeueReusableCellWithIdentifierAtPage("item", 0));
  EXPECT_TRUE(grid_->indexsForVisibleCellsAtPage(0).empty());
  EXPECT_TRUE(grid_->indexPathsForCacheCells().empty());
  EXPECT_EQ(nullptr, grid_->getCellAtIndexPath(IndexPath(0, 0)));
  grid_->setPageInternalPage(0, 1, false);  // nothing to turn

  // Internal pages: page 1's grid turns without moving the outer grid.
  source_->pages = 3;
  source_->itemsPerPage = 14;  // three internal pages of six
  grid_->reloadData();
  settle();
  EXPECT_EQ(0, grid_->getCurInternalPage());
  delegate_->journal.clear();
  grid_->setPageInternalPage(1, 2, false);
  settle();
  EXPECT_EQ(0, grid_->getCurPage());
  EXPECT_EQ(2, grid_->pageGridAtPage(1)->getCurPage());
  EXPECT_EQ((Journal{"internal 0->2 at 1"}), delegate_->journal);
}

TEST_F(PageGridTest, TapOnItemReportsItsPath) {
  make(2);
  delegate_->journal.clear();
  // Items are 100 wide and 200 high in a 300 x 400 page; the paged grid sits at (10, 40).
  window_->tap(ui::Point{10 + 150, 40 + 300});
  clock_->advance(1);
  RunLoop::main()->runUntil([] { return true; }, 1);
  EXPECT_EQ((Journal{"click 0.4"}), delegate_->journal);
}

}  // namespace
}  // namespace zu
