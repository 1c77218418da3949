// MoreSettingsUserGuideViewController: the user guide — full-screen pictures from the bundle that
// the reader pages through, laid over whatever is on screen, with the guide's own navigation bar
// ("使用指引", a "关闭" button) and a page indicator under the pictures. Paging past the last
// picture or pressing "关闭" closes it. Page i (from 0) shows the bundle's "<name><i + 1>.jpg"
// ("help1.jpg" … "help6.jpg"); the grid turns pages by swipes (page model 3) and the indicator
// and the grid follow each other. Its dots are light on the pictures' dark foot, the current
// page's white.
//
// Opening: createHelpView(name, num, view) — or the interface file
// "MoreSettingsUserGuideViewController" loaded with a ScreenRequest owner carrying "name", "num"
// and the window to cover (the shell's ScreenRequest::createHelpView) — makes the guide and
// shows it from the bottom. The guide holds itself while it is shown: 320 × 460 at rest at
// (0, 20), sliding in and out in 0.3 s from and to the side its direction names (0 right, 1 left,
// 2 top, 3 bottom and any other value; 4 appears in place and leaves through the bottom). A guide
// closed by paging past its end leaves to the left. When the leaving slide has ended its view is
// taken off the screen and the guide lets itself go.
//
// Where we differ on purpose (faults mended):
//  - The guide lets go of itself exactly once, when its leaving slide ends; a second close
//    (during the slide or after it) does nothing, and a slide ending after the guide was let go
//    of touches nothing.
//  - A missing or unreadable picture is an empty page, not a failure.
//  - The indicator's delegate is this guide, held as a plain pointer: it is cleared when the
//    view is unloaded and when the guide goes, so a late tap never reaches a freed guide.
//
// Main thread only; portrait only. The outlets belong to the view tree; the grid and the page
// indicator hold the guide weakly (data source, delegates).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/controllers/ViewController.h"
#include "shell/widgets/PageControl.h"
#include "views/GridView.h"
#include "views/GridViewDataSourceProtocol.h"
#include "views/GridViewProtocol.h"

namespace zu {

namespace ui {
class NavigationBar;
class NavigationItem;
class NibLoading;
}  // namespace ui

class MoreSettingsUserGuideViewController : public ui::ViewController,
                                            public GridViewDataSourceProtocol,
                                            public GridViewProtocol,
                                            public PageControlDelegate {
 public:
  static constexpr const char* kNibName = "MoreSettingsUserGuideViewController";
  static constexpr const char* kCellIdentifier = "MoreSettingsUserGuideCellIdentify";
  static constexpr const char* kTitle = "使用指引";
  static constexpr int kImageTag = 100;
  static constexpr double kSlideDuration = 0.3;
  // Directions of the slides in and out.
  static constexpr int kFromRight = 0;
  static constexpr int kFromLeft = 1;
  static constexpr int kFromTop = 2;
  static constexpr int kFromBottom = 3;
  static constexpr int kNoSlide = 4;

  // The interface file: the guide for a ScreenRequest owner (shown over the view the request
  // covers, when it names one), the guide's view for the guide itself.
  static void registerNib();

  // Makes a guide of `num` pictures named after `name` and shows it over `view` from the
  // bottom. The guide keeps itself until it has closed; the pointer given back is weak.
  static std::weak_ptr<MoreSettingsUserGuideViewController> createHelpView(const std::string& name, int num,
                                                                           ui::View& view);

  MoreSettingsUserGuideViewController(std::string helpImageName, int helpImageNum);
  ~MoreSettingsUserGuideViewController() override;

  // Holds itself, adds its view to `view` and slides it in from `animationFrom`.
  void showInView(ui::View& view, int animationFrom);
  // Closes the guide: ignored once closing; else no more touches and the leaving slide.
  void returnBarButtonPressed();

  // The frames of the slides.
  static ui::Rect restingFrame();
  static ui::Rect startFrame(int animationFrom);
  static ui::Rect leavingFrame(int animationFrom);

  // --- state (read by tests)
  const std::string& helpImageName() const { return helpImageName_; }
  int helpImageNum() const { return helpImageNum_; }
  int animationFrom() const { return animationFrom_; }
  bool returnPressed() const { return returnPressed_; }
  // Whether the guide still holds itself (shown and not yet gone).
  bool isHoldingItself() const { return self_ != nullptr; }

  // --- outlets (null until the view loaded)
  const std::shared_ptr<GridView>& gridView() const { return gridView_; }
  const std::shared_ptr<PageControl>& pageControl() const { return pageControl_; }
  const std::shared_ptr<ui::NavigationBar>& selfNavigationBar() const { return selfNavigationBar_; }
  const std::shared_ptr<ui::NavigationItem>& selfNavigationItem() const { return selfNavigationItem_; }

  // --- the grid
  int numberOfCellsInGridView(GridView& grid) override;
  std::shared_ptr<GridViewCell> gridViewCellAtIndex(GridView& grid, int index) override;
  int rowCountInGridView(GridView&) override { return 1; }
  int colCountInGridView(GridView&) override { return 1; }
  void gridViewPageScrolledFromTo(GridView& grid, int from, int to) override;
  void movePageOverEndOnGridView(GridView& grid) override;

  // --- the page indicator
  void pageControlPageDidChange(PageControl& control) override;

  // --- the view
  void viewDidLoad() override;
  void viewDidUnload() override;

 private:
  static void build(ui::NibLoading& file);
  static void buildView(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsUserGuideViewController> sharedGuide();
  void initNavBar();
  // The end of the leaving slide: off the screen, and the guide lets go of itself.
  void closed();

  std::string helpImageName_;
  int helpImageNum_ = 0;
  int animationFrom_ = kFromBottom;
  bool returnPressed_ = false;
  // The guide's hold on itself while shown.
  std::shared_ptr<MoreSettingsUserGuideViewController> self_;

  std::shared_ptr<GridView> gridView_;
  std::shared_ptr<PageControl> pageControl_;
  std::shared_ptr<ui::NavigationBar> selfNavigationBar_;
  std::shared_ptr<ui::NavigationItem> selfNavigationItem_;
};

}  // namespace zu
