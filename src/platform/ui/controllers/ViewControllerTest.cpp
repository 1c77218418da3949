#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/MeasureRecorder.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controllers/TabBar.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/controllers/TabBarItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Log = std::vector<std::string>;

// Writes each life-cycle callback as "name:callback" (with "+" when animated).
class Recorder : public ViewController {
 public:
  Recorder(std::string name, Log* log) : name_(std::move(name)), log_(log) {}
  void viewDidLoad() override { note("load"); }
  void viewDidUnload() override { note("unload"); }
  void viewWillAppear(bool a) override { note(a ? "willAppear+" : "willAppear"); }
  void viewDidAppear(bool a) override { note(a ? "didAppear+" : "didAppear"); }
  void viewWillDisappear(bool a) override { note(a ? "willDisappear+" : "willDisappear"); }
  void viewDidDisappear(bool a) override { note(a ? "didDisappear+" : "didDisappear"); }

 private:
  void note(const std::string& what) { log_->push_back(name_ + ":" + what); }
  std::string name_;
  Log* log_;
};

class ShowRecorder : public NavigationControllerDelegate {
 public:
  explicit ShowRecorder(Log* log) : log_(log) {}
  void navigationControllerWillShow(NavigationController&, ViewController& c, bool) override {
    log_->push_back("willShow:" + c.navigationItem()->title().value_or("?"));
  }
  void navigationControllerDidShow(NavigationController&, ViewController& c, bool) override {
    log_->push_back("didShow:" + c.navigationItem()->title().value_or("?"));
  }

 private:
  Log* log_;
};

class ViewControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    Keyboard::shared().resetForTesting();
    Animations::resetForTesting();
    AnimationLog::shared().clear();
    Application::shared().resetForTesting();
    Device::current().resetForTesting();
  }

  std::shared_ptr<Recorder> make(const std::string& name) {
    auto c = std::make_shared<Recorder>(name, &log_);
    c->setTitle(name);
    return c;
  }

  // Runs every main-loop task due now.
  static void drain() {
    bool done = false;
    RunLoop::main()->post([&] { done = true; });
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 10));
  }

  Log take() { return std::exchange(log_, {}); }

  ScopedFakeClock clock_;
  std::shared_ptr<Window> window_;
  Log log_;
};

TEST_F(ViewControllerTest, NavigationTransitionsCallBackInThePhonesOrder) {
  auto a = make("A");
  auto b = make("B");
  auto c = make("C");
  auto nav = std::make_shared<NavigationController>(a);
  auto shows = std::make_shared<ShowRecorder>(&log_);
  nav->setDelegate(shows);
  ViewController::installAsRoot(*window_, nav);
  EXPECT_EQ((Log{"A:load", "A:willAppear", "A:didAppear"}), take());
  EXPECT_EQ(nav.get(), a->navigationController());

  // Without animation everything happens inside the call.
  ASSERT_TRUE(nav->pushViewController(b, false));
  // The new view loads first; the delegate hears of the push before any appearance callback.
  EXPECT_EQ((Log{"B:load", "willShow:B", "A:willDisappear", "B:willAppear", "A:didDisappear", "B:didAppear",
                 "didShow:B"}),
            take());
  EXPECT_EQ("B", nav->navigationBar()->topItem()->title().value());
  EXPECT_EQ(b->view()->superview()->superview(), nav->view());
  EXPECT_FALSE(a->view()->window());

  // Animated: the will-callbacks at once, the did-callbacks when the animation ends.
  ASSERT_TRUE(nav->pushViewController(c, true));
  EXPECT_EQ((Log{"C:load", "willShow:C", "B:willDisappear+", "C:willAppear+"}), take());
  drain();
  clock_->advance(NavigationController::kTransitionDuration);
  drain();
  EXPECT_EQ((Log{"B:didDisappear+", "C:didAppear+", "didShow:C"}), take());
  EXPECT_FALSE(nav->pushViewController(c, false));  // already on the stack

  // Pop to root: only the old top and the root take part.
  auto popped = nav->popToRootViewController(true);
  ASSERT_EQ(2u, popped.size());
  EXPECT_EQ(b, popped[0]);
  EXPECT_EQ(c, popped[1]);
  EXPECT_EQ(nullptr, c->parentViewController());
  // A second transition while the first animates ends the first at once.
  ASSERT_TRUE(nav->pushViewController(b, false));
  EXPECT_EQ((Log{"willShow:A", "C:willDisappear+", "A:willAppear+", "C:didDisappear+", "A:didAppear+",
                 "didShow:A", "willShow:B", "A:willDisappear", "B:willAppear", "A:didDisappear", "B:didAppear",
                 "didShow:B"}),
            take());
  drain();
  clock_->advance(1);
  drain();
  EXPECT_TRUE(take().empty());  // the stale animation end changes nothing

  // The back button pops, animated; the root has no back button.
  EXPECT_EQ("A", nav->navigationBar()->backButtonItem()->displayTitle());
  EXPECT_TRUE(nav->navigationBar()->backButtonTapped());
  clock_->advance(1);
  drain();
  EXPECT_EQ((Log{"willShow:A", "B:willDisappear+", "A:willAppear+", "B:didDisappear+", "A:didAppear+",
                 "didShow:A"}),
            take());
  EXPECT_EQ(1u, nav->viewControllers().size());
  EXPECT_FALSE(nav->navigationBar()->backButtonItem());
  EXPECT_FALSE(nav->navigationBar()->backButtonTapped());
  EXPECT_EQ(nullptr, nav->popViewController(false));
}

TEST_F(ViewControllerTest, OffScreenStackChangesCallNothingAndMemoryWarningsUnloadHiddenViews) {
  auto a = make("A");
  auto b = make("B");
  auto nav = std::make_shared<NavigationController>(a);
  nav->pushViewController(b, false);
  EXPECT_TRUE(take().empty());  // nothing loaded or shown yet
  ASSERT_TRUE(nav->view());
  EXPECT_EQ((Log{"B:load"}), take());
  ViewController::installAsRoot(*window_, nav);
  EXPECT_EQ((Log{"B:willAppear", "B:didAppear"}), take());
  nav->popViewController(false);
  take();

  // B left the stack and the window, A is on screen: only B unloads; a warning never touches a
  // view in a window.
  Application::shared().simulateMemoryWarning();
  EXPECT_EQ((Log{"B:unload"}), take());
  EXPECT_FALSE(b->isViewLoaded());
  EXPECT_TRUE(a->isViewLoaded());
  nav->pushViewController(b, false);
  EXPECT_EQ((Log{"B:load", "A:willDisappear", "B:willAppear", "A:didDisappear", "B:didAppear"}), take());
  Application::shared().simulateMemoryWarning();
  EXPECT_EQ((Log{"A:unload"}), take());
  nav->popViewController(false);
  EXPECT_EQ((Log{"A:load", "B:willDisappear", "A:willAppear", "B:didDisappear", "A:didAppear"}), take());
}

TEST_F(ViewControllerTest, TabSwitchesAndHiddenBottomBar) {
  auto home = make("home");
  auto deep = make("deep");
  auto nav = std::make_shared<NavigationController>(home);
  auto more = make("more");
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({nav, more});
  ViewController::installAsRoot(*window_, tabs);
  EXPECT_EQ((Log{"home:load", "home:willAppear", "home:didAppear"}), take());
  EXPECT_EQ(tabs.get(), home->tabBarController());
  // The content area first, the tab bar above it, 49 points high.
  ASSERT_EQ(2u, tabs->view()->subviews().size());
  EXPECT_EQ(tabs->tabBar(), tabs->view()->subviews()[1]);
  EXPECT_EQ(Rect(0, 411, 320, 49), tabs->tabBar()->frame());

  tabs->setSelectedIndex(1);
  EXPECT_EQ((Log{"more:load", "home:willDisappear", "more:willAppear", "home:didDisappear", "more:didAppear"}),
            take());
  tabs->setSelectedIndex(1);
  tabs->setSelectedIndex(7);
  EXPECT_TRUE(take().empty());

  // A tap asks the delegate; a refusal keeps the selection (and the bar's look).
  struct Gate : TabBarControllerDelegate {
    bool allow = false;
    int did = 0;
    bool tabBarControllerShouldSelect(TabBarController&, ViewController&) override { return allow; }
    void tabBarControllerDidSelect(TabBarController&, ViewController&) override { ++did; }
  };
  auto gate = std::make_shared<Gate>();
  tabs->setDelegate(gate);
  EXPECT_TRUE(tabs->tabBar()->tapItem(0));
  EXPECT_EQ(1u, tabs->selectedIndex());
  EXPECT_EQ(tabs->tabBar()->items()[1], tabs->tabBar()->selectedItem());
  gate->allow = true;
  tabs->tabBar()->tapItem(0);
  EXPECT_EQ(0u, tabs->selectedIndex());
  EXPECT_EQ(1, gate->did);
  EXPECT_EQ((Log{"more:willDisappear", "home:willAppear", "more:didDisappear", "home:didAppear"}), take());

  // A pushed controller that hides the bottom bar hides it while it is on the stack.
  deep->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(deep, false);
  EXPECT_TRUE(tabs->tabBar()->isHidden());
  EXPECT_EQ(480 - 20 - 44, deep->view()->frame().size.height);
  // Tapping the selected tab pops its navigation stack to the root.
  take();
  tabs->tabBar()->tapItem(0);
  clock_->advance(1);
  drain();
  EXPECT_EQ((Log{"deep:willDisappear+", "home:willAppear+", "deep:didDisappear+", "home:didAppear+"}), take());
  EXPECT_FALSE(tabs->tabBar()->isHidden());
  EXPECT_EQ(2, gate->did);
}

TEST_F(ViewControllerTest, ModalPresentationCoversTheOutermostControllerAndRefusesASecond) {
  auto a = make("A");
  auto nav = std::make_shared<NavigationController>(a);
  ViewController::installAsRoot(*window_, nav);
  take();
  auto sheet = make("sheet");
  ASSERT_TRUE(a->presentModalViewController(sheet, false));
  EXPECT_EQ((Log{"sheet:load", "A:willDisappear", "sheet:willAppear", "A:didDisappear", "sheet:didAppear"}),
            take());
  EXPECT_EQ(sheet, nav->modalViewController());
  EXPECT_EQ(sheet, a->modalViewController());
  EXPECT_EQ(nav.get(), sheet->presentingViewController());
  EXPECT_EQ(sheet, nav->visibleViewController());
  EXPECT_FALSE(nav->view()->window());
  EXPECT_EQ(window_.get(), sheet->view()->window());
  // One at a time.
  EXPECT_FALSE(nav->presentModalViewController(make("other"), false));
  EXPECT_TRUE(take().empty());

  // Dismissed by the presented controller itself, animated.
  sheet->dismissModalViewController(true);
  EXPECT_EQ((Log{"sheet:willDisappear+", "A:willAppear+"}), take());
  drain();
  clock_->advance(0.4);
  drain();
  EXPECT_EQ((Log{"sheet:didDisappear+", "A:didAppear+"}), take());
  EXPECT_FALSE(nav->modalViewController());
  EXPECT_EQ(window_.get(), nav->view()->window());
  EXPECT_FALSE(sheet->view()->window());

  // Animated present: the view comes in from below, recorded.
  ASSERT_TRUE(a->presentModalViewController(sheet, true));
  EXPECT_EQ((Log{"A:willDisappear+", "sheet:willAppear+"}), take());
  auto record = AnimationLog::shared().last();
  ASSERT_TRUE(record);
  ASSERT_TRUE(record->change(sheet->view().get(), "frame"));
  EXPECT_EQ(AnimatableValue(Rect(0, 20, 320, 460)), record->change(sheet->view().get(), "frame")->to);
  clock_->advance(0.4);
  drain();
  EXPECT_EQ((Log{"A:didDisappear+", "sheet:didAppear+"}), take());

  // Dismissed before its presentation ended: the covered screen is back for good.
  sheet->dismissModalViewController(false);
  ASSERT_TRUE(a->presentModalViewController(sheet, true));
  sheet->dismissModalViewController(true);
  clock_->advance(1);
  drain();
  EXPECT_FALSE(nav->modalViewController());
  EXPECT_EQ(window_.get(), nav->view()->window());
  EXPECT_FALSE(sheet->view()->window());
}

// A screen that is popped or dismissed takes the keyboard along as it starts to go (its text
// entry resigns, the text kept), not when its slide has ended.
TEST_F(ViewControllerTest, TheKeyboardLeavesWithAScreenThatIsPoppedOrDismissed) {
  auto a = make("A");
  auto nav = std::make_shared<NavigationController>(a);
  ViewController::installAsRoot(*window_, nav);
  auto form = make("form");
  nav->pushViewController(form, false);
  auto text = std::make_shared<TextView>(Rect(10, 10, 300, 100));
  form->view()->addSubview(text);
  ASSERT_TRUE(text->becomeFirstResponder());
  Keyboard::shared().type("早班船");
  nav->popViewController(true);
  EXPECT_FALSE(text->isFirstResponder());
  EXPECT_FALSE(Keyboard::shared().isVisible());
  EXPECT_EQ("早班船", text->text());
  EXPECT_TRUE(text->window());  // still sliding out

  auto sheet = make("sheet");
  ASSERT_TRUE(a->presentModalViewController(sheet, false));
  sheet->view()->addSubview(text);
  ASSERT_TRUE(text->becomeFirstResponder());
  sheet->dismissModalViewController(true);
  EXPECT_FALSE(Keyboard::shared().isVisible());
  EXPECT_TRUE(text->window());
  clock_->advance(1);
  drain();
}

// A full-screen navigation controller presented over the status bar: its screen already has
// the whole height when it hears that it will appear (its layout there is the one shown).
TEST_F(ViewControllerTest, APresentedScreenHasItsPlaceWhenItWillAppear) {
  class Measuring : public ViewController {
   public:
    Measuring() : ViewController(std::nullopt) {}
    void viewWillAppear(bool) override { seen = view()->frame(); }
    Rect seen;
  };
  auto root = make("A");
  ViewController::installAsRoot(*window_, root);
  auto screen = std::make_shared<Measuring>();
  screen->setWantsFullScreenLayout(true);
  auto nav = std::make_shared<NavigationController>(screen);
  nav->setNavigationBarHidden(true);
  nav->setWantsFullScreenLayout(true);
  ASSERT_TRUE(root->presentModalViewController(nav, false));
  EXPECT_EQ(Rect(0, 0, 320, 480), screen->seen);
  EXPECT_EQ(Rect(0, 0, 320, 480), nav->view()->frame());
}

// A screen dismissed while it is still sliding in goes, and the covered screen stays in the
// window: the end of the presentation it overtook leaves the screens alone.
TEST_F(ViewControllerTest, AModalDismissedWhileComingInLeavesTheCoveredScreenShown) {
  auto a = make("A");
  ViewController::installAsRoot(*window_, a);
  auto sheet = make("sheet");
  ASSERT_TRUE(a->presentModalViewController(sheet, true));
  drain();
  clock_->advance(0.1);
  drain();
  sheet->dismissModalViewController(true);
  for (int i = 0; i < 5; ++i) {
    clock_->advance(0.1);
    drain();
  }
  EXPECT_FALSE(a->modalViewController());
  EXPECT_EQ(window_.get(), a->view()->window());
  EXPECT_FALSE(sheet->view()->window());
  // The next presentation works as ever.
  ASSERT_TRUE(a->presentModalViewController(make("next"), false));
}

// A flipping modal turns the screen from the covered content to the presented one and back: the
// presented view joins (and leaves) the window inside the transition.
TEST_F(ViewControllerTest, AFlippingModalTurnsFromTheCoveredScreenToThePresentedOne) {
  auto a = make("A");
  ViewController::installAsRoot(*window_, a);
  a->view()->setBackgroundColor(Color::redColor());
  auto sheet = make("sheet");
  sheet->view()->setBackgroundColor(Color::blueColor());
  sheet->setModalTransitionStyle(ModalTransitionStyle::FlipHorizontal);
  // Which face shows at the centre: 'r', 'b', or '?' (edge-on, nothing).
  auto face = [&] {
    const uint32_t p = render(*window_)->pixelAt(160, 240);
    const int r = static_cast<int>(p >> 16 & 0xff), b = static_cast<int>(p & 0xff);
    return r > 60 && b < 30 ? 'r' : b > 60 && r < 30 ? 'b' : '?';
  };
  ASSERT_TRUE(a->presentModalViewController(sheet, true));
  clock_->advance(0.1);
  EXPECT_EQ('r', face());
  clock_->advance(0.2);
  EXPECT_EQ('b', face());
  clock_->advance(0.1);
  drain();
  EXPECT_EQ('b', face());
  sheet->dismissModalViewController(true);
  EXPECT_FALSE(sheet->view()->window());
  clock_->advance(0.1);
  EXPECT_EQ('b', face());
  clock_->advance(0.2);
  EXPECT_EQ('r', face());
  clock_->advance(0.1);
  drain();
  EXPECT_FALSE(a->modalViewController());
  EXPECT_EQ('r', face());
}

TEST_F(ViewControllerTest, BarsFollowTheItemsAndGiveTheirRoomToTheContent) {
  auto a = make("文章");
  auto b = make("B");
  auto nav = std::make_shared<NavigationController>(a);
  ViewController::installAsRoot(*window_, nav);
  const std::shared_ptr<NavigationBar>& bar = nav->navigationBar();
  nav->pushViewController(b, false);
  // The back button shows the item below: its back item's title when it has one.
  EXPECT_EQ("文章", bar->backButtonItem()->displayTitle());
  a->navigationItem()->setBackBarButtonItem(std::make_shared<BarButtonItem>("返回", BarButtonItemStyle::Bordered));
  EXPECT_EQ("返回", bar->backButtonItem()->displayTitle());
  b->navigationItem()->setHidesBackButton(true);
  EXPECT_FALSE(bar->backButtonItem());
  // A left item replaces the back button; subviews that others put in the bar stay.
  auto background = std::make_shared<View>(Rect(0, 0, 320, 44));
  background->setTag(20110705);
  bar->insertSubviewAt(background, 0);
  int taps = 0;
  b->navigationItem()->setLeftBarButtonItem(
      std::make_shared<BarButtonItem>("关闭", BarButtonItemStyle::Done, [&](BarButtonItem&) { ++taps; }));
  b->navigationItem()->setHidesBackButton(false);
  EXPECT_FALSE(bar->backButtonItem());
  EXPECT_EQ(background, bar->subviews().front());
  EXPECT_EQ(background, bar->viewWithTag(20110705));
  // A touch on the left item's button sends its action.
  const Rect left = b->navigationItem()->leftBarButtonItem()->view()->frame();
  window_->tap(bar->convertPointTo(Point{left.midX(), left.midY()}, window_.get()));
  EXPECT_EQ(1, taps);

  // Hiding the bar gives its 44 points to the content, animated as one record.
  EXPECT_EQ(Rect(0, 44, 320, 416), b->view()->superview()->frame());
  nav->setNavigationBarHidden(true, true);
  EXPECT_EQ(Rect(0, 0, 320, 460), b->view()->superview()->frame());
  EXPECT_EQ(460, b->view()->frame().size.height);
  ASSERT_TRUE(AnimationLog::shared().last());
  EXPECT_TRUE(AnimationLog::shared().last()->change(bar.get(), "frame"));
  clock_->advance(1);
  drain();
  EXPECT_TRUE(bar->isHidden());
  // The toolbar takes the bottom 44 points; a flexible space pushes the next item to the right.
  nav->setToolbarHidden(false);
  auto share = std::make_shared<BarButtonItem>(BarButtonSystemItem::Action);
  share->setWidth(40);
  nav->toolbar()->setItems({std::make_shared<BarButtonItem>(BarButtonSystemItem::FlexibleSpace), share});
  EXPECT_EQ(Rect(0, 416, 320, 44), nav->toolbar()->frame());
  EXPECT_EQ(Rect(320 - 12 - 40, 7, 40, 30), share->view()->frame());
  EXPECT_EQ(416, b->view()->frame().size.height);
}

// A title view wider than the room between the buttons (a label sized to a pasted title of
// thousands of addresses) is narrowed to that room, and the label shortens its text with "…".
TEST_F(ViewControllerTest, AWideTitleViewStaysBetweenTheButtons) {
  auto screen = make("A");
  auto nav = std::make_shared<NavigationController>(screen);
  ViewController::installAsRoot(*window_, nav);
  std::string title;
  for (int i = 0; i < 4000; ++i) title += "http://h.example/" + std::to_string(i) + " ";
  auto label = std::make_shared<Label>(Rect(0, 0, 100, 28));
  label->setText(title);
  label->sizeToFit();
  ASSERT_GT(label->frame().size.width, 320);
  screen->navigationItem()->setLeftBarButtonItem(std::make_shared<BarButtonItem>("返回", BarButtonItemStyle::Bordered));
  screen->navigationItem()->setRightBarButtonItem(std::make_shared<BarButtonItem>("完成", BarButtonItemStyle::Done));
  screen->navigationItem()->setTitleView(label);
  const std::shared_ptr<NavigationBar>& bar = nav->navigationBar();
  bar->layoutIfNeeded();
  const Rect left = screen->navigationItem()->leftBarButtonItem()->view()->frame();
  const Rect right = screen->navigationItem()->rightBarButtonItem()->view()->frame();
  EXPECT_GE(label->frame().minX(), left.maxX());
  EXPECT_LE(label->frame().maxX(), right.minX());
  const auto shown = TextMetrics::current().lines(label->text(), label->font(),
                                                  label->bounds().size, label->lineBreakMode());
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("…", shown[0].substr(shown[0].size() - 3));
}

// The bar measures only as much of its title as it can show, so a title of a megabyte (a
// column's name as the service sent it) costs a frame what a short one does; a short title is
// measured whole.
TEST_F(ViewControllerTest, TheBarMeasuresOnlyTheTitleItShows) {
  auto screen = make("A");
  auto nav = std::make_shared<NavigationController>(screen);
  ViewController::installAsRoot(*window_, nav);
  const std::shared_ptr<NavigationBar>& bar = nav->navigationBar();
  auto metrics = std::make_shared<MeasureRecorder>();
  TextMetrics::setCurrent(metrics);
  std::string huge;
  while (huge.size() < (1u << 20)) huge += "一条很长的标题 with words ";
  std::vector<size_t> longest;
  for (const std::string& title : {huge, std::string("短标题")}) {
    screen->navigationItem()->setTitle(title);
    bar->layoutIfNeeded();
    metrics->longest = 0;
    render(*bar);
    longest.push_back(metrics->longest);
  }
  TextMetrics::setCurrent(nullptr);
  EXPECT_GT(longest[0], 0u);
  EXPECT_LT(longest[0], 16u * 1024);
  EXPECT_EQ(longest[1], 3u);
}

TEST_F(ViewControllerTest, BarSubviewHookRunsAfterEveryInsertionAndSendToBack) {
  auto a = make("A");
  auto nav = std::make_shared<NavigationController>(a);
  ViewController::installAsRoot(*window_, nav);
  const std::shared_ptr<NavigationBar>& bar = nav->navigationBar();
  auto lowest = std::make_shared<View>(Rect(0, 0, 320, 44));
  bar->insertSubviewAt(lowest, 0);
  int runs = 0;
  NavigationBar::setSubviewHook([&](NavigationBar& b) {
    ++runs;
    b.View::sendSubviewToBack(lowest);
  });
  // Someone else's view put at the bottom, a pushed item's views and a view sent to the back
  // all end above the one the hook keeps lowest.
  auto other = std::make_shared<View>(Rect(0, 0, 10, 10));
  bar->insertSubviewAt(other, 0);
  EXPECT_EQ(lowest, bar->subviews().front());
  nav->pushViewController(make("B"), false);
  EXPECT_EQ(lowest, bar->subviews().front());
  bar->sendSubviewToBack(other);
  EXPECT_EQ(lowest, bar->subviews().front());
  EXPECT_EQ(other, bar->subviews()[1]);
  EXPECT_GE(runs, 3);
  // Switched off, bars order their subviews as any view does.
  NavigationBar::setSubviewHook({});
  EXPECT_FALSE(NavigationBar::hasSubviewHook());
  bar->sendSubviewToBack(other);
  EXPECT_EQ(other, bar->subviews().front());
}

TEST_F(ViewControllerTest, StackReplacementTitlesAndOrientation) {
  auto a = make("A");
  auto b = make("B");
  auto c = make("C");
  auto nav = std::make_shared<NavigationController>(a);
  ViewController::installAsRoot(*window_, nav);
  take();
  // Replacing the stack with one whose top is new goes forward; duplicates and nulls are dropped.
  nav->setViewControllers({a, nullptr, b, a, c}, false);
  ASSERT_EQ(3u, nav->viewControllers().size());
  EXPECT_EQ((Log{"C:load", "A:willDisappear", "C:willAppear", "A:didDisappear", "C:didAppear"}), take());
  EXPECT_EQ(nav.get(), b->parentViewController());
  EXPECT_EQ(3u, nav->navigationBar()->items().size());
  // Popping to a controller that is not on the stack does nothing.
  auto stranger = make("X");
  EXPECT_TRUE(nav->popToViewController(stranger.get(), false).empty());
  EXPECT_TRUE(nav->popToViewController(c.get(), false).empty());  // already on top
  EXPECT_EQ(1u, nav->popToViewController(b.get(), false).size());
  EXPECT_EQ(b, nav->topViewController());
  // A controller on one stack cannot be pushed on another.
  auto other = std::make_shared<NavigationController>();
  EXPECT_FALSE(other->pushViewController(b, false));
  take();

  // A title set later reaches the items already shown.
  b->tabBarItem();
  b->setTitle("新标题");
  EXPECT_EQ("新标题", nav->navigationBar()->topItem()->title().value());
  EXPECT_EQ("新标题", b->tabBarItem()->title().value());
  EXPECT_TRUE(b->shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation::kPortrait));
  EXPECT_FALSE(nav->shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation::kLandscapeLeft));
}

TEST_F(ViewControllerTest, ViewsAddedByHandGetCallbacksFromVersionFive) {
  // A plain controller hosting a navigation controller's view, as the shell's root tabs do.
  auto inner = make("inner");
  auto nav = std::make_shared<NavigationController>(inner);
  auto host = make("host");
  host->view()->addSubview(nav->view());
  take();
  ViewController::installAsRoot(*window_, host);
  EXPECT_EQ((Log{"host:willAppear", "inner:willAppear", "host:didAppear", "inner:didAppear"}), take());

  // Before 5.0 the host has to pass them on itself.
  auto window2 = std::make_shared<Window>(Rect(0, 0, 320, 480));
  Device::current().setSystemVersion("4.3");
  auto inner2 = make("inner2");
  auto nav2 = std::make_shared<NavigationController>(inner2);
  auto host2 = make("host2");
  host2->view()->addSubview(nav2->view());
  take();
  ViewController::installAsRoot(*window2, host2);
  EXPECT_EQ((Log{"host2:willAppear", "host2:didAppear"}), take());
}

}  // namespace
}  // namespace zu::ui
