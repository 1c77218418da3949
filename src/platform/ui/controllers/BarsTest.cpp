// The bars around a screen: bar button items with custom controls, the navigation bar's title
// placement, bars hiding in step with the content, and a push inside an animation block.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/TabBar.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/motion/Presentation.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

const Color kGap = Color::magentaColor();

// A screen filled with one colour.
class Plain : public ViewController {
 public:
  explicit Plain(const Color& color) : color_(color) {}
  void viewDidLoad() override { view()->setBackgroundColor(color_); }

 private:
  Color color_;
};

// A list of ten rows, reloaded each time it appears (as the accounts screen does).
class Rows : public TableViewController {
 public:
  int64_t numberOfRowsInSection(TableView&, int64_t) override { return 10; }
  std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath& path) override {
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, std::string("row"));
    cell->textLabel()->setText("row " + std::to_string(path.row));
    return cell;
  }
  void viewWillAppear(bool animated) override {
    tableView()->reloadData();
    TableViewController::viewWillAppear(animated);
  }
};

class BarsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->setBackgroundColor(kGap);
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    Animations::resetForTesting();
    AnimationLog::shared().clear();
    Application::shared().resetForTesting();
  }

  // Rows of the window's picture now (as presented), below the status bar, where the window's
  // own colour shows through.
  std::vector<int> gapRows() {
    auto image = render(*window_);
    std::vector<int> rows;
    for (int y = 20; y < image->pixelHeight(); ++y) {
      for (int x = 0; x < image->pixelWidth(); x += 4) {
        if (image->pixelAt(x, y) == 0xffff00ffu) {
          rows.push_back(y);
          break;
        }
      }
    }
    return rows;
  }

  ScopedFakeClock clock_;
  std::shared_ptr<Window> window_;
};

// setEnabled on an item with a custom button (a skinned 取消) switches the button: a tap on it
// does nothing while a save runs, and acts again afterwards.
TEST_F(BarsTest, DisablingAnItemSwitchesItsCustomControl) {
  auto screen = std::make_shared<Plain>(Color::whiteColor());
  auto nav = std::make_shared<NavigationController>(screen);
  ViewController::installAsRoot(*window_, nav);
  int pops = 0;
  auto button = Button::create(ButtonType::Custom);
  button->setFrame(Rect(0, 0, 50, 30));
  button->addTarget(this, kControlEventTouchUpInside, [&](Control&) { ++pops; });
  auto item = std::make_shared<BarButtonItem>(button);
  screen->navigationItem()->setLeftBarButtonItem(item);
  window_->layoutIfNeeded();
  const Point onButton = button->convertPointTo(Point{25, 15}, nullptr);

  item->setEnabled(false);
  EXPECT_FALSE(button->isEnabled());
  window_->tap(onButton);
  EXPECT_EQ(0, pops);
  item->setEnabled(true);
  window_->tap(onButton);
  EXPECT_EQ(1, pops);

  // A custom control given to a disabled item is disabled with it.
  item->setEnabled(false);
  auto other = Button::create(ButtonType::Custom);
  item->setCustomView(other);
  EXPECT_FALSE(other->isEnabled());
}

// A title view whose width changes after the bar placed it (sizeToFit on the skin's title label)
// is centred again, with or without a button beside it.
TEST_F(BarsTest, ATitleIsCentredWheneverItsWidthChanges) {
  auto screen = std::make_shared<Plain>(Color::whiteColor());
  auto nav = std::make_shared<NavigationController>(screen);
  ViewController::installAsRoot(*window_, nav);
  auto title = std::make_shared<Label>(Rect(42, 9, 236, 28));
  screen->navigationItem()->setTitleView(title);
  title->setText("更多");
  title->sizeToFit();
  window_->layoutIfNeeded();
  EXPECT_LT(title->frame().size.width, 100);
  EXPECT_FLOAT_EQ(160, title->frame().midX());

  screen->navigationItem()->setLeftBarButtonItem(
      std::make_shared<BarButtonItem>(std::string("返回"), BarButtonItemStyle::Bordered));
  title->setText("离线阅读管理");
  title->sizeToFit();
  window_->layoutIfNeeded();
  EXPECT_FLOAT_EQ(160, title->frame().midX());
  EXPECT_FLOAT_EQ(22, title->frame().midY());
}

// Hidden or shown with animation, the navigation bar slides with the content's frame: no band
// of the empty screen opens between them, and the bar is hidden once it is out.
TEST_F(BarsTest, TheNavigationBarHidesAndShowsInStepWithTheContent) {
  auto screen = std::make_shared<Plain>(Color::whiteColor());
  auto nav = std::make_shared<NavigationController>(screen);
  ViewController::installAsRoot(*window_, nav);
  window_->layoutIfNeeded();
  ASSERT_TRUE(gapRows().empty());

  nav->setNavigationBarHidden(true, true);
  EXPECT_TRUE(nav->isNavigationBarHidden());
  for (int step = 0; step < 4; ++step) {
    clock_->advance(NavigationController::kBarAnimationDuration / 5);
    EXPECT_TRUE(gapRows().empty()) << "hiding, step " << step;
  }
  EXPECT_FALSE(nav->navigationBar()->isHidden());  // still sliding out
  clock_->advance(NavigationController::kBarAnimationDuration);
  runDueMainLoopTasks();
  EXPECT_TRUE(nav->navigationBar()->isHidden());

  nav->setNavigationBarHidden(false, true);
  EXPECT_FALSE(nav->navigationBar()->isHidden());
  for (int step = 0; step < 4; ++step) {
    clock_->advance(NavigationController::kBarAnimationDuration / 5);
    EXPECT_TRUE(gapRows().empty()) << "showing, step " << step;
  }
  // Hidden again before the slide in ended: the stale end leaves the bar hidden.
  nav->setNavigationBarHidden(true, false);
  clock_->advance(NavigationController::kBarAnimationDuration);
  runDueMainLoopTasks();
  EXPECT_TRUE(nav->navigationBar()->isHidden());
}

// A pushed screen that hides the tab bar takes it along as it pushes the old screen out (the bar
// slides with the old screen), and popping brings it back with the root screen; the bar's room
// goes back to the content only when the slide is over.
TEST_F(BarsTest, TheTabBarSlidesWithTheScreensOfAPushAndAPop) {
  auto root = std::make_shared<Plain>(Color::whiteColor());
  auto nav = std::make_shared<NavigationController>(root);
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({nav});
  ViewController::installAsRoot(*window_, tabs);
  window_->layoutIfNeeded();
  auto deep = std::make_shared<Plain>(Color::whiteColor());
  deep->setHidesBottomBarWhenPushed(true);
  const auto& bar = tabs->tabBar();
  const float barTop = bar->frame().minY();

  nav->pushViewController(deep, true);
  clock_->advance(NavigationController::kTransitionDuration / 2);
  Presentation mid = Presentation::now();
  EXPECT_FALSE(bar->isHidden());
  const float rootX = mid.stateOf(*root->view()).frame().minX();
  EXPECT_LT(rootX, -20);
  EXPECT_FLOAT_EQ(rootX, mid.stateOf(*bar).frame().minX());
  EXPECT_FLOAT_EQ(barTop, mid.stateOf(*bar).frame().minY());
  EXPECT_TRUE(gapRows().empty());
  clock_->advance(NavigationController::kTransitionDuration);
  runDueMainLoopTasks();
  EXPECT_TRUE(bar->isHidden());
  EXPECT_FLOAT_EQ(480 - 20 - 44, deep->view()->frame().size.height);

  nav->popViewController(true);
  EXPECT_FALSE(bar->isHidden());
  // The screens keep the full height while the bar slides in over them.
  EXPECT_FLOAT_EQ(480 - 20 - 44, root->view()->frame().size.height);
  clock_->advance(NavigationController::kTransitionDuration / 2);
  mid = Presentation::now();
  EXPECT_FLOAT_EQ(mid.stateOf(*root->view()).frame().minX(), mid.stateOf(*bar).frame().minX());
  EXPECT_TRUE(gapRows().empty());
  clock_->advance(NavigationController::kTransitionDuration);
  runDueMainLoopTasks();
  EXPECT_FALSE(bar->isHidden());
  EXPECT_FLOAT_EQ(0, bar->frame().minX());
  EXPECT_FLOAT_EQ(480 - 20 - 44 - TabBar::kHeight, root->view()->frame().size.height);
}

// A screen pushed without animation inside an animation block (a transition around the push)
// shows laid out at its final frame: neither it nor its rows grow from their first size.
TEST_F(BarsTest, AScreenPushedInsideAnAnimationBlockIsLaidOutFirst) {
  auto root = std::make_shared<Plain>(Color::whiteColor());
  auto nav = std::make_shared<NavigationController>(root);
  ViewController::installAsRoot(*window_, nav);
  window_->layoutIfNeeded();
  auto rows = std::make_shared<Rows>();

  Animations::begin("moveIn");
  Animations::setTransition(kAnimationTransitionCurlDown, nav->view());
  Animations::setDuration(0.3);
  nav->pushViewController(rows, false);
  Animations::commit();

  auto table = rows->tableView();
  const auto cells = table->visibleCells();
  ASSERT_FALSE(cells.empty());
  const auto& record = AnimationLog::shared().records().back();
  EXPECT_EQ(nullptr, record->change(rows->view().get(), "frame"));
  for (const auto& cell : cells) EXPECT_EQ(nullptr, record->change(cell.get(), "frame"));
  EXPECT_EQ(Rect(0, 44, 320, 44), cells[1]->frame());
  clock_->advance(0.1);
  EXPECT_EQ(cells[1]->frame(), Presentation::now().stateOf(*cells[1]).frame());
}

}  // namespace
}  // namespace zu::ui
