#include <gtest/gtest.h>

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "views/GridViewTesting.h"
#include "views/PageTurnView.h"

namespace zu {
namespace {

using gridtest::GridFixture;
using ui::Rect;

class GridLayoutTest : public GridFixture {};

// A 300 × 400 page of 2 rows by 3 columns with ratios 10: W = 300 / 3.4, H = 400 / 2.3, gaps a
// tenth of a cell; every value cut toward zero.
TEST_F(GridLayoutTest, CellRectanglesShiftLaterPagesByOnePointInBothDirections) {
  makeGrid(13, Rect(0, 0, 300, 400), false);
  EXPECT_EQ(Rect(0, 0, 300, 400), scroll().frame());
  EXPECT_NEAR(88.235f, grid_->itemBounds().size.width, 0.001f);
  EXPECT_EQ(3, grid_->numberOfPages());
  EXPECT_EQ((ui::Size{300, 1200}), scroll().contentSize());
  EXPECT_EQ(Rect(8, 17, 88, 173), grid_->rect0AtIndex(0));
  EXPECT_EQ(Rect(105, 208, 88, 173), grid_->rect0AtIndex(4));
  // The first cell of page 1 lies at 400 + 1 + 17.39, one point below a plain page multiple.
  EXPECT_EQ(Rect(8, 418, 88, 173), grid_->rect0AtIndex(6));
  EXPECT_EQ(Rect(8, 818, 88, 173), grid_->rect0AtIndex(12));

  grid_->setExtendsHorizontal(true);
  EXPECT_EQ((ui::Size{900, 400}), scroll().contentSize());
  EXPECT_EQ(Rect(105, 208, 88, 173), grid_->rect0AtIndex(4));
  EXPECT_EQ(Rect(309, 17, 88, 173), grid_->rect0AtIndex(6));
  EXPECT_EQ(Rect(406, 208, 88, 173), grid_->rect0AtIndex(10));
}

TEST_F(GridLayoutTest, PageCountsWithAndWithoutHeader) {
  makeGrid(6);
  EXPECT_EQ(1, grid_->calculationPageCount0());
  source_->count = 7;
  grid_->reflushWithLoad(true, false);
  grid_->reflushIfNeeded();
  EXPECT_EQ(2, grid_->numberOfPages());
  source_->count = 0;
  grid_->reflushWithLoad(true, false);
  grid_->reflushIfNeeded();
  EXPECT_EQ(1, grid_->numberOfPages());
  EXPECT_EQ((std::vector<std::string>{"pages 0->1", "pages 1->2", "pages 2->1"}),
            [&] {
              std::vector<std::string> pages;
              for (auto& line : recorder_->take()) {
                if (line.rfind("pages", 0) == 0) pages.push_back(line);
              }
              return pages;
            }());
}

class HeaderRecorder : public gridtest::Recorder {
 public:
  int placeholder = 1;
  std::shared_ptr<ui::View> header = std::make_shared<ui::View>();
  std::shared_ptr<ui::View> top, bottom, left, right;
  int lt = 2, rt = 2, lb = 3, rb = 3;
  int placeholderForHeaderViewInGridView(GridView&) override { return placeholder; }
  std::shared_ptr<ui::View> headerViewInGridView(GridView&) override { return header; }
  std::shared_ptr<ui::View> topViewInGridView(GridView&) override { return top; }
  std::shared_ptr<ui::View> bottomViewInGridView(GridView&) override { return bottom; }
  std::shared_ptr<ui::View> leftViewInGridView(GridView&) override { return left; }
  std::shared_ptr<ui::View> rightViewInGridView(GridView&) override { return right; }
  float heightForTopViewInGridView(GridView&) override { return 40; }
  float heightForBottomViewInGridView(GridView&) override { return 50; }
  float widthForLeftViewInGridView(GridView&) override { return 30; }
  float widthForRightViewInGridView(GridView&) override { return 20; }
  int viewToFillLTCornerInGridView(GridView&) override { return lt; }
  int viewToFillRTCornerInGridView(GridView&) override { return rt; }
  int viewToFillLBCornerInGridView(GridView&) override { return lb; }
  int viewToFillRBCornerInGridView(GridView&) override { return rb; }
};

TEST_F(GridLayoutTest, HeaderPlaceholderTakesRowsOrColumnsOfTheFirstPage) {
  auto rec = std::make_shared<HeaderRecorder>();
  recorder_ = rec;
  // Vertical, one header row: the first page keeps 3 × (2 − 1) cells below a header 1 × (H + iy)
  // high; page 1 starts at index 3.
  makeGrid(7, Rect(0, 0, 300, 400), false);
  EXPECT_EQ(2, grid_->numberOfPages());
  EXPECT_EQ(Rect(0, 0, 300, 400.0f / 2.3f * 1.1f), rec->header->frame());
  EXPECT_EQ(scroll().shared(), rec->header->superview());
  EXPECT_EQ(Rect(8, 208, 88, 173), grid_->rect0AtIndex(0));
  EXPECT_EQ(Rect(8, 418, 88, 173), grid_->rect0AtIndex(3));

  // Three header rows fill page 0 and one row of page 1, whose cells begin below them.
  rec->placeholder = 3;
  grid_->reflushWithLoad(true, true);
  grid_->reflushIfNeeded();
  EXPECT_EQ(3, grid_->numberOfPages());
  EXPECT_EQ(Rect(8, 591, 88, 173), grid_->rect0AtIndex(0));

  // Horizontal, one header column: the first page keeps 2 × (3 − 1) cells right of it.
  rec->placeholder = 1;
  grid_->setExtendsHorizontal(true);
  grid_->reflushWithLoad(true, true);
  grid_->reflushIfNeeded();
  EXPECT_EQ(2, grid_->numberOfPages());
  EXPECT_EQ(Rect(0, 0, 300.0f / 3.4f * 1.1f, 400), rec->header->frame());
  EXPECT_EQ(Rect(105, 17, 88, 173), grid_->rect0AtIndex(0));
  EXPECT_EQ(Rect(105, 208, 88, 173), grid_->rect0AtIndex(2));
  EXPECT_EQ(Rect(309, 17, 88, 173), grid_->rect0AtIndex(4));
}

TEST_F(GridLayoutTest, EdgeViewsCornersAndInsets) {
  auto rec = std::make_shared<HeaderRecorder>();
  rec->header = nullptr;
  rec->top = std::make_shared<ui::View>();
  rec->left = std::make_shared<ui::View>();
  recorder_ = rec;
  makeGrid(6);
  // Top-left corner to the top view (2): the left view starts below it.
  EXPECT_EQ(Rect(0, 0, 300, 40), rec->top->frame());
  EXPECT_EQ(Rect(0, 40, 30, 360), rec->left->frame());
  EXPECT_EQ(Rect(30, 40, 270, 360), scroll().frame());
  EXPECT_EQ(rec->top, grid_->topView());

  // To the left view (0): the top view starts right of it. An answer outside {0, 2} is 2.
  rec->lt = 0;
  grid_->setNeedReflush();
  grid_->reflushIfNeeded();
  EXPECT_EQ(Rect(30, 0, 270, 40), rec->top->frame());
  EXPECT_EQ(Rect(0, 0, 30, 400), rec->left->frame());
  rec->lt = 1;
  grid_->setNeedReflush();
  grid_->reflushIfNeeded();
  EXPECT_EQ(Rect(0, 40, 30, 360), rec->left->frame());

  // All four, right corners to the right view, bottom-left to the bottom view; insets
  // (top 10, left 20, bottom 30, right 40) shrink the background view.
  rec->bottom = std::make_shared<ui::View>();
  rec->right = std::make_shared<ui::View>();
  rec->lt = 2;
  rec->rt = 1;
  rec->rb = 1;
  grid_->setContentInsets(ui::EdgeInsets{10, 20, 30, 40});
  grid_->setNeedReflush();
  grid_->reflushIfNeeded();
  EXPECT_EQ(Rect(20, 10, 240, 360), grid_->scrollBackGroundView()->frame());
  EXPECT_EQ(Rect(0, 0, 220, 40), rec->top->frame());
  EXPECT_EQ(Rect(0, 310, 220, 50), rec->bottom->frame());
  EXPECT_EQ(Rect(0, 40, 30, 270), rec->left->frame());
  EXPECT_EQ(Rect(220, 0, 20, 360), rec->right->frame());
  EXPECT_EQ(Rect(30, 40, 190, 270), scroll().frame());
  // The scroll view is in front of the edge views.
  EXPECT_EQ(grid_->contentScrollView(), grid_->scrollBackGroundView()->subviews().back());
}

class BareRecorder : public GridViewProtocol {};

TEST_F(GridLayoutTest, MissingAnswersZeroGeometryAndDefaults) {
  // No delegate: one cell fills each page (practically no gaps); no data source: one page.
  grid_ = GridView::create(Rect(0, 0, 300, 400));
  container_->addSubview(grid_);
  grid_->layoutIfNeeded();
  EXPECT_EQ(0, grid_->numberOfCells());
  EXPECT_EQ(1, grid_->numberOfPages());
  EXPECT_EQ(Rect(0, 0, 299, 399), grid_->rect0AtIndex(0));
  EXPECT_FALSE(grid_->contentScrollView()->isMultipleTouchEnabled());
  EXPECT_TRUE(grid_->contentScrollView()->isPagingEnabled());
  EXPECT_TRUE(grid_->contentScrollView()->supportDoubleTap());
  EXPECT_TRUE(grid_->contentScrollView()->alwaysBounceHorizontal());
  EXPECT_FALSE(grid_->contentScrollView()->alwaysBounceVertical());

  // Zero rows and columns, negative ratios and a zero-size frame: no division by zero, one
  // cell per page, and nothing is hit.
  recorder_->rows = 0;
  recorder_->cols = -2;
  recorder_->ratioX = 0;
  recorder_->ratioY = -1;
  makeGrid(5, Rect(0, 0, 0, 0));
  EXPECT_EQ(5, grid_->numberOfPages());
  EXPECT_EQ(Rect(1, 0, 0, 0), grid_->rect0AtIndex(3));
  EXPECT_EQ(-1, grid_->indexOfCellAtPoint0(ui::Point{0, 0}));
  scroll().setContentOffset(ui::Point{10, 0});
  EXPECT_EQ(0, grid_->getCurPage());

  // The flip view is the grid's own.
  grid_->setFlipView(std::make_shared<gridtest::RecordingPageTurnView>());
  EXPECT_EQ(nullptr, grid_->flipView());
}

TEST_F(GridLayoutTest, RelayoutToFewerPagesReportsThePageItEndsOn) {
  makeGrid(30);  // 5 pages
  grid_->setPage(3, false);
  recorder_->take();
  source_->count = 7;  // 2 pages
  grid_->reflushWithLoad(true, true);
  grid_->reflushIfNeeded();
  EXPECT_EQ(1, grid_->getCurPage());
  EXPECT_EQ((std::vector<std::string>{"pages 5->2", "scrolled 3->1", "ended 3->1", "scrolled 1->1"}),
            recorder_->take());
  EXPECT_EQ((ui::Point{300, 0}), scroll().contentOffset());
}

// A grid turned on its side on its last page: the scroll view, wider than the old content, pulls
// its offset back before the grid lays out again; the grid stays on its page.
TEST_F(GridLayoutTest, AResizeKeepsTheCurrentPage) {
  makeGrid(24);  // 4 pages of 300 x 400
  grid_->setPage(3, false);
  recorder_->take();
  grid_->setFrame(Rect(0, 0, 400, 300));
  grid_->layoutIfNeeded();
  EXPECT_EQ(3, grid_->getCurPage());
  for (const auto& line : recorder_->take()) EXPECT_EQ(std::string::npos, line.find("scrolled 3->2")) << line;
  EXPECT_EQ((ui::Point{1200, 0}), scroll().contentOffset());
}

TEST_F(GridLayoutTest, ExpectedSizeLandscapeAndAutoLayout) {
  // A grid placed directly in the window while the status bar is landscape lays itself out
  // for its frame turned sideways.
  ui::Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kLandscapeRight);
  source_->count = 6;
  grid_ = GridView::create(Rect(0, 0, 320, 480));
  grid_->setDataSource(source_);
  grid_->setGridViewDelegate(recorder_);
  window_->addSubview(grid_);
  grid_->layoutIfNeeded();
  EXPECT_EQ((ui::Size{480, 320}), grid_->expectSize());
  EXPECT_EQ(Rect(0, 0, 480, 320), scroll().frame());
  ui::Application::shared().setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);

  // With autoLayout a new expected size is ignored; without it the grid is laid out for it at
  // once and no longer follows its frame.
  makeGrid(12);
  grid_->setExpectSize(ui::Size{150, 200});
  EXPECT_EQ((ui::Size{300, 400}), grid_->expectSize());
  grid_->setAutoLayout(false);
  grid_->setExpectSize(ui::Size{150, 200});
  EXPECT_EQ(Rect(0, 0, 150, 200), scroll().frame());
  EXPECT_EQ(Rect(4, 8, 44, 86), grid_->rect0AtIndex(0));
  grid_->setFrame(Rect(0, 0, 600, 800));
  grid_->layoutIfNeeded();
  EXPECT_EQ(Rect(0, 0, 150, 200), scroll().frame());
}

TEST_F(GridLayoutTest, PagesRenderedForReview) {
  source_ = std::make_shared<gridtest::PaintedSource>();
  auto rec = std::make_shared<HeaderRecorder>();
  rec->placeholder = 1;
  rec->header->setBackgroundColor(ui::Color{0.2f, 0.2f, 0.6f, 1});
  rec->top = std::make_shared<ui::View>();
  rec->top->setBackgroundColor(ui::Color{0.9f, 0.9f, 0.2f, 1});
  recorder_ = rec;
  window_->setBackgroundColor(ui::Color{1, 1, 1, 1});
  makeGrid(20, Rect(0, 0, 320, 480), false);
  auto page0 = ui::render(*window_);
  ASSERT_TRUE(page0);
  EXPECT_TRUE(ui::writeSnapshot(*page0, "grid_page0_header_top"));
  // Cell 1 (below the header row, under the top view) shows its colour at its centre.
  const auto inWindow = scroll().convertRectTo(grid_->rect0AtIndex(1), nullptr);
  const ui::Color c = page0->colorAt(static_cast<int>(inWindow.midX()), static_cast<int>(inWindow.midY()));
  EXPECT_NEAR(0.3f + 0.7f / 6.0f, c.red, 0.02f);

  grid_->setPage(1, false);
  auto page1 = ui::render(*window_);
  ASSERT_TRUE(page1);
  EXPECT_TRUE(ui::writeSnapshot(*page1, "grid_page1"));
}

}  // namespace
}  // namespace zu
