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

// A list of ten rows, reloaded each time it appears, as the accounts screen is: its rows and
// its section header come as from a nib, sized and with an icon placed; its title label and a
// button are made when the view loads.
class Rows : public TableViewController {
 public:
  void viewDidLoad() override {
    TableViewController::viewDidLoad();
    auto title = std::make_shared<Label>(Rect(42, 9, 236, 28));
    title->setText("帐号绑定");
    navigationItem()->setTitleView(title);
    title->sizeToFit();
    auto bind = Button::create(ButtonType::Custom);
    bind->setFrame(Rect(0, 0, 54, 30));
    navigationItem()->setRightBarButtonItem(std::make_shared<BarButtonItem>(bind));
  }
  int64_t numberOfRowsInSection(TableView&, int64_t) override { return 10; }
  std::optional<float> heightForRow(TableView&, const IndexPath&) override { return 65; }
  std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath& path) override {
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, std::string("row"));
    cell->setFrame(Rect(0, 0, 320, 65));
    auto icon = std::make_shared<View>(Rect(10, 10, 45, 45));
    cell->contentView()->addSubview(icon);
    cell->textLabel()->setText("row " + std::to_string(path.row));
    return cell;
  }
  std::optional<float> heightForHeaderInSection(TableView&, int64_t) override { return 50; }
  std::shared_ptr<View> viewForHeaderInSection(TableView&, int64_t) override {
    auto header = std::make_shared<View>();
    header->setFrame(Rect(0, 0, 320, 50));
    return header;
  }
  void viewWillAppear(bool animated) override {
    tableView()->reloadData();
    TableViewController::viewWillAppear(animated);
  }
};

// A screen of one colour whose title is a block of another, and which hides or shows the
// navigation bar as it appears, as the home grid (no bar) and the article list (a bar) do.
class Titled : public Plain {
 public:
  Titled(const Color& color, const Color& title, bool barHidden)
      : Plain(color), title_(title), barHidden_(barHidden) {}
  void viewDidLoad() override {
    Plain::viewDidLoad();
    auto block = std::make_shared<View>(Rect(0, 0, 100, 30));
    block->setBackgroundColor(title_);
    navigationItem()->setTitleView(block);
  }
  void viewWillAppear(bool animated) override {
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(barHidden_, animated);
  }

 private:
  Color title_;
  bool barHidden_;
};

int channel(uint32_t pixel, int shift) { return static_cast<int>(pixel >> shift & 0xff); }

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
// goes back to the content only when the slide is over. A push or a pop begun while the bar
// slides: a second screen pushed keeps the bar going out (not back at its place to slide out
// again), and a pop half way brings it back with the root screen.
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

  // A screen whose appearance takes its time (a list built as it appears): the bar still moves
  // with the screens, not ahead of them.
  class Slow : public Plain {
   public:
    Slow(ScopedFakeClock& clock) : Plain(Color::whiteColor()), clock_(clock) {}
    void viewWillAppear(bool) override { clock_->advance(0.05); }

   private:
    ScopedFakeClock& clock_;
  };
  auto slow = std::make_shared<Slow>(clock_);
  slow->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(slow, true);
  clock_->advance(NavigationController::kTransitionDuration / 2);
  mid = Presentation::now();
  EXPECT_FLOAT_EQ(mid.stateOf(*root->view()).frame().minX(), mid.stateOf(*bar).frame().minX());
  EXPECT_TRUE(gapRows().empty());
  clock_->advance(1);
  runDueMainLoopTasks();
  nav->popViewController(false);
  ASSERT_FALSE(bar->isHidden());

  const double half = NavigationController::kTransitionDuration / 2;
  auto barX = [&] { return Presentation::now().stateOf(*bar).frame().minX(); };
  nav->pushViewController(deep, true);
  clock_->advance(half);
  const float out = barX();
  EXPECT_LT(out, -20);
  nav->pushViewController(std::make_shared<Plain>(Color::whiteColor()), true);
  clock_->advance(0.02);
  EXPECT_LE(barX(), out);
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_TRUE(bar->isHidden());

  nav->popToRootViewController(false);
  ASSERT_FALSE(bar->isHidden());
  nav->pushViewController(deep, true);
  clock_->advance(half);
  nav->popViewController(true);
  clock_->advance(0.1);
  EXPECT_FLOAT_EQ(Presentation::now().stateOf(*root->view()).frame().minX(), barX());
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_FALSE(bar->isHidden());
  EXPECT_FLOAT_EQ(0, barX());
  EXPECT_FLOAT_EQ(480 - 20 - 44 - TabBar::kHeight, root->view()->frame().size.height);
}

// A screen pushed without animation inside an animation block (a transition around the push)
// shows laid out at its final frame: neither it, its rows and their icons, its section header,
// nor its title and buttons in the bar move or grow from their first frames.
TEST_F(BarsTest, AScreenPushedInsideAnAnimationBlockIsLaidOutFirst) {
  auto root = std::make_shared<Plain>(Color::whiteColor());
  auto nav = std::make_shared<NavigationController>(root);
  ViewController::installAsRoot(*window_, nav);
  window_->layoutIfNeeded();
  auto rows = std::make_shared<Rows>();
  auto pushInBlock = [&] {
    Animations::begin("moveIn");
    Animations::setTransition(kAnimationTransitionCurlDown, nav->view());
    Animations::setDuration(0.3);
    nav->pushViewController(rows, false);
    Animations::commit();
  };
  // Halfway through the block every view of the screen and of its bar shows where it is.
  auto expectShownInPlace = [&] {
    clock_->advance(0.1);
    const Presentation mid = Presentation::now();
    std::vector<std::shared_ptr<View>> shown = nav->navigationBar()->subviews();  // title, buttons
    shown.push_back(rows->view());
    for (const auto& cell : rows->tableView()->visibleCells()) {
      shown.insert(shown.end(), cell->contentView()->subviews().begin(), cell->contentView()->subviews().end());
    }
    for (const auto& view : rows->tableView()->subviews()) shown.push_back(view);  // rows, header
    for (const auto& view : shown) {
      EXPECT_EQ(view->frame(), mid.stateOf(*view).frame()) << view->className() << view->dumpDetails();
    }
    clock_->advance(1);
    runDueMainLoopTasks();
  };

  pushInBlock();
  const auto cells = rows->tableView()->visibleCells();
  ASSERT_FALSE(cells.empty());
  EXPECT_EQ(Rect(0, 50 + 65, 320, 65), cells[1]->frame());
  expectShownInPlace();
  window_->layoutIfNeeded();
  EXPECT_FLOAT_EQ(160, rows->navigationItem()->titleView()->frame().midX());

  // Pushed again, its view loaded already: the bar's new back button does not grow either.
  nav->popViewController(false);
  pushInBlock();
  expectShownInPlace();
}

// The bar's title and buttons fade with a push and a pop: part-way the old title and the new one
// are both seen, mixed; at the end only the new one.
TEST_F(BarsTest, TheBarsTitleFadesIntoTheNewOneWithAPushAndAPop) {
  auto root = std::make_shared<Titled>(Color::whiteColor(), Color::redColor(), false);
  auto nav = std::make_shared<NavigationController>(root);
  ViewController::installAsRoot(*window_, nav);
  window_->layoutIfNeeded();
  auto titleAt = [&] { return render(*window_)->pixelAt(160, 20 + 22); };
  ASSERT_EQ(0xffff0000u, titleAt());

  nav->pushViewController(std::make_shared<Titled>(Color::whiteColor(), Color::blueColor(), false), true);
  clock_->advance(NavigationController::kTransitionDuration / 4);
  uint32_t p = titleAt();
  EXPECT_GT(channel(p, 16), channel(p, 0)) << std::hex << p;  // mostly the old title still
  EXPECT_GT(channel(p, 0), 5) << std::hex << p;               // the new one coming in
  clock_->advance(NavigationController::kTransitionDuration / 2);
  p = titleAt();
  EXPECT_LT(channel(p, 16), channel(p, 0)) << std::hex << p;  // mostly the new one
  EXPECT_GT(channel(p, 16), 5) << std::hex << p;
  clock_->advance(NavigationController::kTransitionDuration);
  runDueMainLoopTasks();
  EXPECT_EQ(0xff0000ffu, titleAt());

  nav->popViewController(true);
  clock_->advance(NavigationController::kTransitionDuration / 2);
  p = titleAt();
  EXPECT_GT(channel(p, 16), 40) << std::hex << p;
  EXPECT_GT(channel(p, 0), 40) << std::hex << p;
  clock_->advance(NavigationController::kTransitionDuration);
  runDueMainLoopTasks();
  EXPECT_EQ(0xffff0000u, titleAt());

  // Off screen, or without animation, the title changes at once.
  nav->pushViewController(std::make_shared<Titled>(Color::whiteColor(), Color::blueColor(), false), false);
  EXPECT_EQ(0xff0000ffu, titleAt());
}

// From a screen without the bar (the home grid) to one with it (a list) the bar comes in with the
// new screen and the old one keeps its place: no screen is pushed down and no part of the window
// shows between them, the tab bar going out with the old screen too. Back, the bar goes out with
// the list showing the list's title, never the grid's own (hidden) title.
TEST_F(BarsTest, ABarThatComesOrGoesWithAScreenSlidesWithIt) {
  const Color grid = Color::rgba8(0, 160, 0);
  auto root = std::make_shared<Titled>(grid, Color::redColor(), true);
  auto nav = std::make_shared<NavigationController>(root);
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({nav});
  ViewController::installAsRoot(*window_, tabs);
  window_->layoutIfNeeded();
  ASSERT_TRUE(nav->isNavigationBarHidden());
  auto list = std::make_shared<Titled>(Color::whiteColor(), Color::blueColor(), false);
  list->setHidesBottomBarWhenPushed(true);
  const auto& bar = nav->navigationBar();
  // The first rows of the window that show the grid's colour, the bar's title blocks, and the
  // window behind everything.
  auto look = [&](const char* when) {
    auto image = render(*window_);
    int gridTop = -1;
    for (int y = 20; y < 480 && gridTop < 0; ++y) {
      for (int x = 0; x < 320; x += 2) {
        if (image->pixelAt(x, y) == 0xff00a000u) {
          gridTop = y;
          break;
        }
      }
    }
    bool red = false;
    for (int y = 20; y < 64; ++y) {
      for (int x = 0; x < 320; ++x) red = red || image->pixelAt(x, y) == 0xffff0000u;
    }
    EXPECT_TRUE(gapRows().empty()) << when;
    EXPECT_FALSE(red) << when << ": the grid's own title shows on the bar";
    return gridTop;
  };

  nav->pushViewController(list, true);
  for (int step = 1; step < 5; ++step) {
    clock_->advance(NavigationController::kTransitionDuration / 5);
    const std::string when = "push, step " + std::to_string(step);
    EXPECT_EQ(20, look(when.c_str())) << when << ": the grid is pushed down";
    const Presentation now = Presentation::now();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_FLOAT_EQ(now.stateOf(*list->view()).frame().minX(), now.stateOf(*bar).frame().minX()) << when;
    EXPECT_FLOAT_EQ(0, now.stateOf(*bar).frame().minY()) << when;
  }
  clock_->advance(NavigationController::kTransitionDuration);
  runDueMainLoopTasks();
  EXPECT_EQ(Rect(0, 0, 320, 44), bar->frame());
  EXPECT_EQ(Rect(0, 44, 320, 480 - 20 - 44), list->view()->convertRectTo(list->view()->bounds(), nav->view().get()));
  EXPECT_TRUE(gapRows().empty());

  nav->popViewController(true);
  EXPECT_TRUE(bar->isHidden());  // the bar is gone; a picture of it leaves with the list
  for (int step = 1; step < 5; ++step) {
    clock_->advance(NavigationController::kTransitionDuration / 5);
    const std::string when = "pop, step " + std::to_string(step);
    EXPECT_EQ(20, look(when.c_str())) << when << ": the grid comes in lower";
    // The list's title leaves with the list, while its middle is on the screen.
    const int titleX = static_cast<int>(Presentation::now().stateOf(*list->view()).frame().minX()) + 160;
    if (titleX < 320) EXPECT_EQ(0xff0000ffu, render(*window_)->pixelAt(titleX, 20 + 22)) << when;
  }
  clock_->advance(NavigationController::kTransitionDuration);
  runDueMainLoopTasks();
  EXPECT_EQ(Rect(0, 0, 320, 480 - 20 - TabBar::kHeight), root->view()->convertRectTo(root->view()->bounds(), nav->view().get()));
  EXPECT_EQ(1u, window_->subviews().size());
  EXPECT_EQ(3u, nav->view()->subviews().size());  // content, bar, toolbar: the picture is gone
  EXPECT_TRUE(gapRows().empty());
}

// A list scrolled to its end keeps its place while a screen that hides the tab bar pushes it
// away, and while one that hides the navigation bar does: it is not grown into the bars' room
// (which would pull its rows down as its end came up).
TEST_F(BarsTest, AListScrolledToItsEndKeepsItsPlaceAsItIsPushedAway) {
  for (const bool hidesNavigationBar : {false, true}) {
    SCOPED_TRACE(hidesNavigationBar ? "the navigation bar goes" : "the tab bar goes");
    auto rows = std::make_shared<Rows>();
    auto nav = std::make_shared<NavigationController>(rows);
    auto tabs = std::make_shared<TabBarController>();
    tabs->setViewControllers({nav});
    ViewController::installAsRoot(*window_, tabs);
    window_->layoutIfNeeded();
    auto& table = *rows->tableView();
    table.setContentOffset(table.maximumContentOffset());
    window_->layoutIfNeeded();
    const Point end = table.contentOffset();
    ASSERT_GT(end.y, 100);
    const Rect size = rows->view()->frame();
    auto top = [&] { return rows->view()->convertRectTo(rows->view()->bounds(), nullptr).minY(); };
    const float before = top();
    auto next = std::make_shared<Titled>(Color::whiteColor(), Color::blueColor(), hidesNavigationBar);
    next->setHidesBottomBarWhenPushed(true);
    nav->pushViewController(next, true);
    for (int step = 1; step < 5; ++step) {
      clock_->advance(NavigationController::kTransitionDuration / 5);
      EXPECT_EQ(end, table.contentOffset()) << step;
      EXPECT_EQ(size.size, rows->view()->frame().size) << step;
      // Where it shows: only sliding sideways.
      EXPECT_FLOAT_EQ(before, top()) << step;
      EXPECT_FLOAT_EQ(rows->view()->frame().minY(), Presentation::now().stateOf(*rows->view()).frame().minY())
          << step;
      EXPECT_TRUE(gapRows().empty()) << step;
    }
    clock_->advance(1);
    runDueMainLoopTasks();
    window_->setRootViewController(nullptr);
  }
}

}  // namespace
}  // namespace zu::ui
