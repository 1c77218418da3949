#include "shell/widgets/PageControl.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"

namespace zu {
namespace {

using ui::Point;
using ui::Rect;

struct RecordingDelegate : PageControlDelegate {
  std::vector<int> pages;
  void pageControlPageDidChange(PageControl& control) override {
    pages.push_back(control.currentPage());
  }
};

// A control of 320 × 20 points at y 400 of a window: its bounds' centre is window (160, 410).
class PageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(Rect(0, 0, 320, 480));
    control_ = std::make_shared<PageControl>(Rect(0, 400, 320, 20));
    window_->addSubview(control_);
    window_->makeKeyAndVisible();
  }
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<PageControl> control_;
};

TEST_F(PageControlTest, CurrentPageIsClampedToTheCountAndMinusOneWithoutPages) {
  control_->setNumberOfPages(-3);
  EXPECT_EQ(control_->numberOfPages(), 0);
  EXPECT_EQ(control_->currentPage(), -1);

  control_->setNumberOfPages(10);
  control_->setCurrentPage(5);
  control_->setNumberOfPages(3);
  EXPECT_EQ(control_->currentPage(), 2);

  control_->setNumberOfPages(4);
  control_->setCurrentPage(-1);
  EXPECT_EQ(control_->currentPage(), 0);
  control_->setCurrentPage(9);
  EXPECT_EQ(control_->currentPage(), 3);
  // A page that went to −1 with the pages comes back to 0 when pages return.
  control_->setNumberOfPages(0);
  control_->setNumberOfPages(2);
  EXPECT_EQ(control_->currentPage(), 0);
}

TEST_F(PageControlTest, TapsChooseThePageWithinTheMarginAndEndsIncluded) {
  RecordingDelegate delegate;
  control_->setNumberOfPages(4);  // strip: window x 131 … 189, y 402.75 … 417.25
  control_->setCurrentPage(2);

  window_->tap(Point{140, 410});  // without a delegate nothing changes
  EXPECT_EQ(control_->currentPage(), 2);

  control_->setDelegate(&delegate);
  window_->tap(Point{133.25f, 410});  // 2 points left of the first dot
  window_->tap(Point{189, 410});      // the strip's right end: the last page
  window_->tap(Point{131, 402.75f});  // the top left corner
  window_->tap(Point{160, 417.25f});  // the bottom edge, on page 2
  EXPECT_EQ(delegate.pages, (std::vector<int>{0, 3, 0, 2}));

  // Just outside the strip, on every side.
  window_->tap(Point{130.5f, 410});
  window_->tap(Point{189.5f, 410});
  window_->tap(Point{160, 402});
  window_->tap(Point{160, 418});
  EXPECT_EQ(delegate.pages.size(), 4u);
  EXPECT_EQ(control_->currentPage(), 2);

  // With no pages a tap at the centre chooses nothing (and is never page −1 or 0 reported).
  control_->setNumberOfPages(0);
  window_->tap(Point{160, 410});
  EXPECT_EQ(delegate.pages.size(), 4u);
  EXPECT_EQ(control_->currentPage(), -1);
}

// Pixel colours: dots are drawn centred at 14.5-point steps, the current one in its colour;
// colour setters take effect at the next redraw only.
TEST_F(PageControlTest, DrawsCentredDotsInTheirColours) {
  auto dotColour = [](const ui::Image& image, int i, int n) {
    const float row = n * 6.0f + (n - 1) * 8.5f;
    const float left = 160 - row / 2 + i * 14.5f;
    return image.colorAt(static_cast<int>(left + 3), 10);
  };
  control_->setNumberOfPages(3);
  control_->setCurrentPage(1);
  control_->setDotColorCurrentPage(ui::Color::redColor());
  control_->setDotColorOtherPage(ui::Color::blueColor());
  auto image = ui::render(*control_);
  ASSERT_TRUE(image);
  EXPECT_GT(dotColour(*image, 0, 3).blue, 0.9f);
  EXPECT_GT(dotColour(*image, 1, 3).red, 0.9f);
  EXPECT_GT(dotColour(*image, 2, 3).blue, 0.9f);
  EXPECT_LT(image->colorAt(150, 10).alpha, 0.1f);  // the gap between dots 0 and 1
  EXPECT_LT(image->colorAt(130, 10).alpha, 0.1f);  // left of the row
  EXPECT_TRUE(ui::ContrastAudit::write(*control_, *image, "page-control-three-dots"));

  // One page: a single dot in the middle, in the current colour.
  control_->setNumberOfPages(1);
  image = ui::render(*control_);
  EXPECT_GT(image->colorAt(160, 10).red, 0.9f);

  // No pages: nothing drawn.
  control_->setNumberOfPages(0);
  image = ui::render(*control_);
  EXPECT_LT(image->colorAt(160, 10).alpha, 0.1f);
}

TEST(PageControlMade, ByCodeAndByInterfaceFileStartWithTheirOwnColours) {
  PageControl code(Rect(0, 0, 100, 20));
  EXPECT_EQ(code.dotColorCurrentPage().red, 0.f);
  EXPECT_FLOAT_EQ(code.dotColorOtherPage().red, 2.f / 3);
  PageControl filed(PageControl::FromInterfaceFile{}, Rect(0, 0, 100, 20));
  EXPECT_FLOAT_EQ(filed.dotColorCurrentPage().green, 0.6f);
  EXPECT_NEAR(filed.dotColorOtherPage().blue, 0.882353f, 1e-5);
  ASSERT_TRUE(filed.backgroundColor());
  EXPECT_EQ(filed.backgroundColor()->alpha, 0.f);
}

}  // namespace
}  // namespace zu
