#include "settings/guide/MoreSettingsUserGuideViewController.h"

#include <gtest/gtest.h>

#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {
namespace {

using Guide = MoreSettingsUserGuideViewController;

class UserGuideTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    SettingsNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    root_ = std::make_shared<ui::ViewController>();
    ui::ViewController::installAsRoot(*window_, root_);
  }
  void TearDown() override {
    root_.reset();
    window_.reset();
    ShellFixture::TearDown();
  }

  // The guide whose view lies topmost on the window (its page indicator's delegate).
  std::shared_ptr<Guide> shownGuide() const {
    const auto& views = window_->subviews();
    if (views.empty()) return nullptr;
    for (const auto& child : views.back()->subviews()) {
      if (auto pages = std::dynamic_pointer_cast<PageControl>(child)) {
        auto* guide = dynamic_cast<Guide*>(pages->delegate());
        return guide ? std::static_pointer_cast<Guide>(guide->shared()) : nullptr;
      }
    }
    return nullptr;
  }
  static void pressClose(Guide& guide) {
    auto button = std::dynamic_pointer_cast<ui::Button>(guide.selfNavigationItem()->leftBarButtonItem()->customView());
    ASSERT_TRUE(button);
    button->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  }
  static void swipeLeft(Guide& guide) {
    GridView& grid = *guide.gridView();
    grid.swipeLeftAction(*grid.contentScrollView());
  }
  bool onWindow(Guide& guide) const {
    return guide.isViewLoaded() && guide.view()->superview().get() == window_.get();
  }
  std::shared_ptr<ui::ImageView> pictureOfPage(Guide& guide, int page) {
    auto cell = guide.gridView()->getCellIndex(page);
    return cell ? std::dynamic_pointer_cast<ui::ImageView>(cell->viewWithTag(Guide::kImageTag)) : nullptr;
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::ViewController> root_;
};

TEST_F(UserGuideTest, TheShellsFirstRunGuideSlidesInFromTheBottomWithItsBarAndPages) {
  ScreenRequest::createHelpView("help", 6, *window_);
  EXPECT_TRUE(openedScreens().empty());  // not the stand-in
  auto guide = shownGuide();
  ASSERT_TRUE(guide);
  EXPECT_EQ("help", guide->helpImageName());
  EXPECT_EQ(6, guide->helpImageNum());
  EXPECT_EQ(Guide::kFromBottom, guide->animationFrom());
  EXPECT_TRUE(guide->isHoldingItself());
  // It slides from below the screen to its place under the status bar.
  auto slide = ui::AnimationLog::shared().last();
  ASSERT_TRUE(slide);
  EXPECT_DOUBLE_EQ(0.3, slide->duration);
  const ui::PropertyChange* frame = slide->change(guide->view().get(), "frame");
  ASSERT_TRUE(frame);
  EXPECT_EQ(ui::AnimatableValue(ui::Rect(0, 480, 320, 460)), frame->from);
  EXPECT_EQ(ui::Rect(0, 20, 320, 460), guide->view()->frame());

  // Its own bar: the skin's title and a "关闭" button; six dots, the first current.
  EXPECT_EQ(std::string(Guide::kTitle),
            NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*guide->selfNavigationItem()));
  auto close = std::dynamic_pointer_cast<ui::Button>(guide->selfNavigationItem()->leftBarButtonItem()->customView());
  ASSERT_TRUE(close);
  EXPECT_EQ(std::optional<std::string>("关闭"), close->titleForState(ui::kControlStateNormal));
  EXPECT_EQ(6, guide->pageControl()->numberOfPages());
  EXPECT_EQ(0, guide->pageControl()->currentPage());

  settle(1);
  window_->layoutIfNeeded();
  ASSERT_TRUE(pictureOfPage(*guide, 0));
  EXPECT_TRUE(pictureOfPage(*guide, 0)->image());
  auto screen = ui::renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_TRUE(ui::writeSnapshot(*screen, "guide-first").has_value());
  // The first picture fills the page under the bar: its blue field, not the grid behind it.
  const uint32_t page = screen->pixelAt(20, 20 + 44 + 20);
  const int r = page >> 16 & 0xff, b = page & 0xff;
  EXPECT_GT(b, r + 60);
  // The bar above it is the skin's light bar.
  const uint32_t bar = screen->pixelAt(160, 30);
  EXPECT_GT(bar >> 16 & 0xff, 150u);
  // The current page's dot is the bright one on the picture's dark foot.
  const ui::Point first = guide->pageControl()->convertPointTo(
      ui::Point(guide->pageControl()->bounds().midX() - 2.5f * PageControl::kDotPitch, 10), window_.get());
  const uint32_t current = screen->pixelAt(static_cast<int>(first.x), static_cast<int>(first.y));
  const uint32_t other =
      screen->pixelAt(static_cast<int>(first.x + PageControl::kDotPitch), static_cast<int>(first.y));
  EXPECT_EQ(0xffu, current >> 16 & 0xff);
  EXPECT_GT(current >> 16 & 0xff, (other >> 16 & 0xff) + 60);
}

TEST_F(UserGuideTest, ClosingByTheButtonLeavesThroughTheBottomOnceAndFreesTheGuide) {
  std::weak_ptr<Guide> weak = Guide::createHelpView("help", 6, *window_);
  settle(1);
  {
    auto guide = weak.lock();
    ASSERT_TRUE(guide);
    EXPECT_TRUE(onWindow(*guide));
    const size_t before = ui::AnimationLog::shared().records().size();
    pressClose(*guide);
    EXPECT_TRUE(guide->returnPressed());
    EXPECT_FALSE(guide->view()->isUserInteractionEnabled());
    EXPECT_EQ(ui::Rect(0, 480, 320, 460), guide->view()->frame());
    // A second close during the slide starts nothing.
    settle(0.1);
    pressClose(*guide);
    guide->returnBarButtonPressed();
    EXPECT_EQ(before + 1, ui::AnimationLog::shared().records().size());
    EXPECT_TRUE(onWindow(*guide));
    EXPECT_TRUE(guide->isHoldingItself());
  }
  settle(0.3);
  // Off the window and let go of: nothing else held it.
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(1u, window_->subviews().size());  // the root controller's view
}

TEST_F(UserGuideTest, PagingKeepsTheIndicatorAndGridInStepAndPastTheEndLeavesLeft) {
  std::weak_ptr<Guide> weak = Guide::createHelpView("newhelp", 5, *window_);
  settle(1);
  auto guide = weak.lock();
  ASSERT_TRUE(guide);
  window_->layoutIfNeeded();
  swipeLeft(*guide);
  settle(1);
  EXPECT_EQ(1, guide->gridView()->getCurPage());
  EXPECT_EQ(1, guide->pageControl()->currentPage());
  // A tap on the fourth dot moves the grid there.
  guide->pageControl()->setCurrentPage(3);
  guide->pageControlPageDidChange(*guide->pageControl());
  settle(1);
  EXPECT_EQ(3, guide->gridView()->getCurPage());
  EXPECT_EQ(3, guide->pageControl()->currentPage());
  swipeLeft(*guide);
  settle(1);
  EXPECT_EQ(4, guide->gridView()->getCurPage());
  EXPECT_EQ(4, guide->pageControl()->currentPage());
  EXPECT_FALSE(guide->returnPressed());
  // Past the last picture: the guide leaves to the left, once.
  swipeLeft(*guide);
  EXPECT_TRUE(guide->returnPressed());
  EXPECT_EQ(Guide::kFromLeft, guide->animationFrom());
  EXPECT_EQ(ui::Rect(-320, 20, 320, 460), guide->view()->frame());
  const size_t after = ui::AnimationLog::shared().records().size();
  guide->movePageOverEndOnGridView(*guide->gridView());
  EXPECT_EQ(after, ui::AnimationLog::shared().records().size());
  guide.reset();
  settle(1);
  EXPECT_TRUE(weak.expired());
}

TEST_F(UserGuideTest, DirectionsPlaceAndTakeTheGuideAndAMissingPictureIsAnEmptyPage) {
  // From the top: starts above the screen, leaves further up.
  auto top = std::make_shared<Guide>("nothing", 2);
  top->showInView(*window_, Guide::kFromTop);
  const ui::PropertyChange* frame = ui::AnimationLog::shared().last()->change(top->view().get(), "frame");
  ASSERT_TRUE(frame);
  EXPECT_EQ(ui::AnimatableValue(ui::Rect(0, -440, 320, 460)), frame->from);
  settle(1);
  window_->layoutIfNeeded();
  auto picture = pictureOfPage(*top, 0);
  ASSERT_TRUE(picture);
  EXPECT_FALSE(picture->image());
  top->returnBarButtonPressed();
  EXPECT_EQ(ui::Rect(0, -540, 320, 460), top->view()->frame());
  settle(1);
  EXPECT_FALSE(top->isHoldingItself());
  EXPECT_FALSE(top->view()->superview());
  // A close after it has gone does nothing.
  top->returnBarButtonPressed();
  settle(1);
  EXPECT_FALSE(top->view()->superview());

  // Without a slide: in place at once, and out through the bottom.
  const size_t before = ui::AnimationLog::shared().records().size();
  auto still = std::make_shared<Guide>("help", 6);
  still->showInView(*window_, Guide::kNoSlide);
  EXPECT_EQ(before, ui::AnimationLog::shared().records().size());
  EXPECT_EQ(ui::Rect(0, 20, 320, 460), still->view()->frame());
  still->returnBarButtonPressed();
  EXPECT_EQ(ui::Rect(0, 480, 320, 460), still->view()->frame());
  // From the right it leaves to the right.
  EXPECT_EQ(ui::Rect(320, 20, 320, 460), Guide::startFrame(Guide::kFromRight));
  EXPECT_EQ(ui::Rect(320, 20, 320, 460), Guide::leavingFrame(Guide::kFromRight));
  EXPECT_EQ(ui::Rect(-320, 20, 320, 460), Guide::startFrame(Guide::kFromLeft));
  settle(1);
}

}  // namespace
}  // namespace zu
