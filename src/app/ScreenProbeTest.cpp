#include "app/ScreenProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/ReplayScript.h"
#include "app/ScreenHost.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"
#include "platform/web/RecordingWebBackend.h"
#include "platform/web/WebView.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

struct HomeScreen : ui::ViewController {};
struct ListScreen : ui::ViewController {};
struct DetailScreen : ui::ViewController {};
struct SettingsScreen : ui::ViewController {};

std::shared_ptr<ui::Label> labelOf(const std::string& text, ui::Rect frame) {
  auto label = std::make_shared<ui::Label>(frame);
  label->setText(text);
  return label;
}

class ScreenProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(ui::Screen::main().bounds());
    home_ = std::make_shared<HomeScreen>();
    home_->setTitle("我的订阅");
    navigation_ = std::make_shared<ui::NavigationController>(home_);
    tabs_ = std::make_shared<ui::TabBarController>();
    tabs_->setViewControllers({navigation_, std::make_shared<SettingsScreen>()});
    ui::ViewController::installAsRoot(*window_, tabs_);
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    window_.reset();
    ui::MenuController::shared().resetForTesting();
    ui::Application::shared().resetForTesting();
    ui::Animations::resetForTesting();
    ui::AnimationLog::shared().clear();
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<HomeScreen> home_;
  std::shared_ptr<ui::NavigationController> navigation_;
  std::shared_ptr<ui::TabBarController> tabs_;
  TempHome home;
};

// The top screen follows the selected tab, the navigation stack and a presented screen; the
// bar's title is the title of the bar in sight.
TEST_F(ScreenProbeTest, TopScreenAndBarTitleFollowTabsStacksAndPresentedScreens) {
  EXPECT_EQ("HomeScreen", ScreenProbe::topScreen());
  EXPECT_EQ("我的订阅", ScreenProbe::barTitle());

  auto list = std::make_shared<ListScreen>();
  list->setTitle("Harbour Morning News");
  navigation_->pushViewController(list, false);
  EXPECT_EQ("ListScreen", ScreenProbe::topScreen());
  EXPECT_EQ("Harbour Morning News", ScreenProbe::barTitle());

  // A title view's texts stand for the title.
  auto titleView = std::make_shared<ui::View>(ui::Rect(0, 0, 120, 30));
  titleView->addSubview(labelOf("码头", ui::Rect(0, 0, 60, 30)));
  titleView->addSubview(labelOf("微博", ui::Rect(60, 0, 60, 30)));
  list->navigationItem()->setTitleView(titleView);
  EXPECT_EQ("码头 微博", ScreenProbe::barTitle());

  list->presentModalViewController(std::make_shared<DetailScreen>(), false);
  EXPECT_EQ("DetailScreen", ScreenProbe::topScreen());
  EXPECT_EQ("", ScreenProbe::barTitle());  // the presented screen has no bar

  list->dismissModalViewController(false);
  tabs_->setSelectedIndex(1);
  EXPECT_EQ("SettingsScreen", ScreenProbe::topScreen());

  // A screen laid into the window by hand, in a navigation controller of its own, is on top
  // while it covers half the screen or more and is in sight.
  auto detail = std::make_shared<ui::NavigationController>(std::make_shared<DetailScreen>());
  detail->view()->setFrame(ui::Rect(20, 20, 280, 100));
  window_->addSubview(detail->view());
  EXPECT_EQ("SettingsScreen", ScreenProbe::topScreen());  // too small: a tile's flip under way
  detail->view()->setFrame(ui::Rect(0, 20, 320, 460));
  EXPECT_EQ("DetailScreen", ScreenProbe::topScreen());
  detail->view()->setHidden(true);
  EXPECT_EQ("SettingsScreen", ScreenProbe::topScreen());
}

// Texts count only where the reader can see them: not hidden, not transparent, not scrolled
// out of a view that clips; a field shows its placeholder until it holds text; a window in
// front (an alert's) counts too.
TEST_F(ScreenProbeTest, TextsInSightOnly) {
  auto view = home_->view();
  view->addSubview(labelOf("shown", ui::Rect(10, 100, 100, 20)));
  auto hidden = labelOf("hidden", ui::Rect(10, 130, 100, 20));
  hidden->setHidden(true);
  view->addSubview(hidden);
  auto transparent = labelOf("transparent", ui::Rect(10, 160, 100, 20));
  transparent->setAlpha(0);
  view->addSubview(transparent);
  auto clipping = std::make_shared<ui::View>(ui::Rect(0, 200, 320, 40));
  clipping->setClipsToBounds(true);
  clipping->addSubview(labelOf("inside", ui::Rect(10, 10, 100, 20)));
  clipping->addSubview(labelOf("scrolled away", ui::Rect(10, 60, 100, 20)));
  view->addSubview(clipping);
  // Outside a view that does not clip, a subview is still drawn.
  auto unclipped = std::make_shared<ui::View>(ui::Rect(0, 250, 320, 10));
  unclipped->addSubview(labelOf("overflowing", ui::Rect(10, 20, 100, 20)));
  view->addSubview(unclipped);
  view->addSubview(labelOf("off the screen", ui::Rect(400, 100, 100, 20)));
  auto field = std::make_shared<ui::TextField>(ui::Rect(10, 300, 200, 30));
  field->setPlaceholder("搜索");
  view->addSubview(field);

  auto texts = ScreenProbe::texts();
  auto has = [&](const std::string& text) { return std::count(texts.begin(), texts.end(), text) > 0; };
  EXPECT_TRUE(has("shown"));
  EXPECT_TRUE(has("inside"));
  EXPECT_TRUE(has("overflowing"));
  EXPECT_TRUE(has("搜索"));
  EXPECT_TRUE(has("我的订阅"));  // the bar's title
  for (const char* unseen : {"hidden", "transparent", "scrolled away", "off the screen"}) {
    EXPECT_FALSE(has(unseen)) << unseen;
  }
  EXPECT_TRUE(ScreenProbe::shows("how"));  // part of a text
  field->setText("harbour");
  EXPECT_FALSE(ScreenProbe::shows("搜索"));
  EXPECT_TRUE(ScreenProbe::shows("harbour"));

  auto alert = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  alert->setWindowLevel(2000);
  alert->addSubview(labelOf("还没有绑定微博", ui::Rect(40, 200, 240, 20)));
  alert->setHidden(false);
  EXPECT_TRUE(ScreenProbe::shows("还没有绑定微博"));
  EXPECT_EQ("HomeScreen", ScreenProbe::topScreen());  // a window without a controller is no screen

  // An alert draws its own title, message and buttons.
  auto shown = std::make_shared<ui::AlertView>(std::string("连接错误"), std::string("认证失败"),
                                               std::weak_ptr<ui::AlertViewDelegate>(), std::string("好"));
  shown->show();
  for (const char* text : {"连接错误", "认证失败", "好"}) EXPECT_TRUE(ScreenProbe::shows(text)) << text;
  shown->dismissWithClickedButtonIndex(0, false);
  EXPECT_FALSE(ScreenProbe::shows("认证失败"));

  // The edit menu draws its items' titles itself; they are in sight while it shows.
  struct LookingUp : ui::View {
    using ui::View::View;
    bool canPerformAction(const std::string& action, Object*) override { return action == "lookUp:"; }
  };
  auto word = std::make_shared<LookingUp>(ui::Rect(10, 300, 100, 20));
  view->addSubview(word);
  auto& menu = ui::MenuController::shared();
  menu.setMenuItems({{"词典", "lookUp:"}, {"翻译", "translate:"}});
  menu.setTargetRect(word->bounds(), word);
  ASSERT_TRUE(menu.setMenuVisible(true));
  EXPECT_TRUE(ScreenProbe::shows("词典"));
  EXPECT_FALSE(ScreenProbe::shows("翻译"));  // no view in the chain handles it: not shown
  menu.setMenuVisible(false);
  EXPECT_FALSE(ScreenProbe::shows("词典"));
}

// A text counts only where a reader can see it: not under the navigation bar, the keyboard, an
// alert's panel or any view or window drawn over it with an opaque ground. A ground that is
// hidden, clipped away, translucent (the dimming below an alert) or over less than half of the
// text leaves it in sight; a text drawn over the ground is in sight.
TEST_F(ScreenProbeTest, TextsCoveredByWhatIsDrawnOverThemAreNotInSight) {
  ScopedFakeClock clock;
  auto view = home_->view();
  window_->layoutIfNeeded();
  // Points of the window in the home screen's view.
  auto at = [&](float x, float y, float w, float h) {
    return view->convertRectFrom(ui::Rect(x, y, w, h), window_.get());
  };
  // Scrolled up beneath the bar, as a table's header is.
  auto list = std::make_shared<ui::ScrollView>(view->bounds());
  view->addSubview(list);
  list->addSubview(labelOf("under the bar", at(10, 30, 200, 24)));
  list->addSubview(labelOf("below the bar", at(10, 90, 200, 24)));

  auto covered = labelOf("covered", at(10, 130, 100, 20));
  auto halfCovered = labelOf("partly covered", at(10, 160, 100, 20));
  auto underHidden = labelOf("under a hidden view", at(10, 190, 100, 20));
  auto underTint = labelOf("under a tint", at(10, 220, 100, 20));
  auto underClipped = labelOf("under a clipped view", at(10, 250, 100, 20));
  for (const auto& label : {covered, halfCovered, underHidden, underTint, underClipped}) view->addSubview(label);
  auto ground = [&](ui::Rect frame, ui::Color colour) {
    auto v = std::make_shared<ui::View>(frame);
    v->setBackgroundColor(colour);
    view->addSubview(v);
    return v;
  };
  ground(at(0, 125, 320, 30), ui::Color::whiteColor());
  ground(at(0, 160, 40, 20), ui::Color::whiteColor());  // three tenths of the label
  ground(at(0, 185, 320, 30), ui::Color::whiteColor())->setHidden(true);
  ground(at(0, 215, 320, 30), ui::Color::white(0, 0.5f));
  auto clipping = std::make_shared<ui::View>(at(0, 280, 320, 20));
  clipping->setClipsToBounds(true);
  auto clippedAway = std::make_shared<ui::View>(ui::Rect(0, -40, 320, 30));
  clippedAway->setBackgroundColor(ui::Color::whiteColor());
  clipping->addSubview(clippedAway);
  view->addSubview(clipping);
  // A text drawn over a ground is on it, not under it.
  auto card = ground(at(0, 330, 320, 40), ui::Color::whiteColor());
  card->addSubview(labelOf("on a card", ui::Rect(10, 10, 200, 20)));
  auto shown = [] (const std::string& text) {
    const auto texts = ScreenProbe::texts();
    return std::count(texts.begin(), texts.end(), text) > 0;
  };
  for (const char* seen : {"below the bar", "partly covered", "under a hidden view", "under a tint",
                           "under a clipped view", "on a card", "我的订阅"}) {
    EXPECT_TRUE(shown(seen)) << seen;
  }
  EXPECT_FALSE(shown("under the bar"));
  EXPECT_FALSE(shown("covered"));

  // The keyboard covers what lies under it while it is up, and only then.
  auto field = std::make_shared<ui::TextField>(at(10, 100, 200, 20));
  view->addSubview(field);
  auto low = labelOf("by the keyboard's keys", at(10, 380, 200, 20));
  view->addSubview(low);
  EXPECT_TRUE(shown("by the keyboard's keys"));
  ASSERT_TRUE(field->becomeFirstResponder());
  clock->advance(1);
  EXPECT_FALSE(shown("by the keyboard's keys"));
  EXPECT_FALSE(shown("on a card"));
  EXPECT_TRUE(shown("below the bar"));
  field->resignFirstResponder();
  clock->advance(1);
  EXPECT_TRUE(shown("by the keyboard's keys"));

  // An alert's panel covers the screen below it; the dimming around it does not.
  auto middle = labelOf("in the middle", at(110, 230, 100, 20));
  view->addSubview(middle);
  auto alert = std::make_shared<ui::AlertView>(std::string("连接错误"), std::string("认证失败"),
                                               std::weak_ptr<ui::AlertViewDelegate>(), std::string("好"));
  alert->show();
  EXPECT_FALSE(shown("in the middle"));
  EXPECT_TRUE(shown("below the bar"));
  EXPECT_TRUE(shown("认证失败"));
  alert->dismissWithClickedButtonIndex(0, false);
  EXPECT_TRUE(shown("in the middle"));

  // A window of a higher level with a ground covers the windows below it; the bar's title under
  // it is no longer the title in sight.
  auto cover = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  cover->setWindowLevel(1);
  cover->setBackgroundColor(ui::Color::blackColor());
  cover->addSubview(labelOf("over everything", ui::Rect(40, 200, 240, 20)));
  cover->setHidden(false);
  EXPECT_TRUE(shown("over everything"));
  EXPECT_FALSE(shown("below the bar"));
  EXPECT_EQ("", ScreenProbe::barTitle());
  cover->setHidden(true);
  EXPECT_EQ("我的订阅", ScreenProbe::barTitle());
}

// A web page's text is in sight once the page has answered for it; each look asks again.
TEST_F(ScreenProbeTest, AWebPagesTextComesOnALaterTurn) {
  auto page = std::make_shared<web::WebView>(ui::Rect(0, 20, 320, 400));
  home_->view()->addSubview(page);
  const std::string ask = "document.body ? document.body.innerText : ''";
  page->recorder()->setScriptAnswer(ask, "Ferry timetable changes for the winter\n冬季时刻表");
  EXPECT_FALSE(ScreenProbe::shows("冬季时刻表"));
  ASSERT_TRUE(turnMainLoopUntil([] { return ScreenProbe::shows("冬季时刻表"); }, 5));
  page->recorder()->setScriptAnswer(ask, "The fish market");
  ASSERT_TRUE(turnMainLoopUntil([] { return ScreenProbe::shows("fish market"); }, 5));
  page->setHidden(true);
  EXPECT_FALSE(ScreenProbe::shows("fish market"));
}

// An expect step waits, frame by frame, for what it expects; one that never holds stops the
// play after the expect time, naming its line and what the screen showed, and plays no more.
TEST_F(ScreenProbeTest, ExpectWaitsForTheScreenThenFailsWithItsLine) {
  ScopedFakeClock clock;
  auto late = labelOf("loaded", ui::Rect(10, 100, 100, 20));
  RunLoop::main()->postDelayed(2, [&] { home_->view()->addSubview(late); });
  const auto script = ReplayScript::parse(
      "expect screen HomeScreen\n"
      "expect text loaded\n"
      "# the bar says otherwise\n"
      "expect title 内容中心\n"
      "tap 160 240\n");
  ASSERT_FALSE(script.error) << *script.error;
  ScreenHost host(true, std::nullopt, {});
  bool done = false;
  std::optional<std::string> failure;
  host.play(script.steps, [&] { done = true; }, [&](const std::string& why) { failure = why; });

  auto advance = [&](double seconds) {
    for (double t = 0; t < seconds; t += ReplayPlayer::kFrameSeconds) {
      clock->advance(ReplayPlayer::kFrameSeconds);
      runDueMainLoopTasks();
    }
  };
  advance(1);
  EXPECT_FALSE(failure);  // still waiting for "loaded"
  advance(ReplayPlayer::kExpectSeconds - 0.5);
  EXPECT_FALSE(failure);  // "loaded" came at 2 s; the title has waited some 8.5 s
  advance(2);
  ASSERT_TRUE(failure);
  EXPECT_EQ("line 4: expect title 内容中心: the bar's title is \"我的订阅\"", *failure);
  advance(1);
  EXPECT_FALSE(done);
}

// A replay drags a slider inside a scrolling view to either end, the finger wandering up and
// down, and expect slider reads its value where a finger would touch it: the slider follows,
// the list never scrolls, and a value it does not show fails the play with the one it shows.
TEST_F(ScreenProbeTest, ExpectSliderReadsTheSliderADragMoved) {
  ScopedFakeClock clock;
  auto list = std::make_shared<ui::ScrollView>(ui::Rect(0, 0, 320, 300));
  list->setContentSize(ui::Size{320, 900});
  home_->view()->addSubview(list);
  auto slider = std::make_shared<ui::Slider>(ui::Rect(60, 100, 200, 23));
  slider->setValue(0.5f);
  list->addSubview(slider);
  window_->layoutIfNeeded();
  const ui::Rect at = slider->convertRectTo(slider->bounds(), nullptr);
  char script[512];
  std::snprintf(script, sizeof script,
                "drag %.0f %.0f %.0f %.0f\n"
                "expect slider %.0f %.0f 1\n"
                "drag %.0f %.0f %.0f %.0f 0.5\n"
                "expect slider %.0f %.0f 0\n"
                "expect slider %.0f %.0f 0.5\n",
                at.midX(), at.midY(), at.maxX() + 40, at.midY() + 40, at.midX(), at.midY(),
                at.maxX() - 11, at.midY(), at.minX() - 40, at.midY() - 30, at.midX(), at.midY(), at.midX(), at.midY());
  const auto steps = ReplayScript::parse(script);
  ASSERT_FALSE(steps.error) << *steps.error;
  ScreenHost host(true, std::nullopt, {});
  std::optional<std::string> failure;
  host.play(steps.steps, {}, [&](const std::string& why) { failure = why; });
  for (double t = 0; !failure && t < 30; t += ReplayPlayer::kFrameSeconds) {
    clock->advance(ReplayPlayer::kFrameSeconds);
    runDueMainLoopTasks();
  }
  ASSERT_TRUE(failure);
  EXPECT_EQ("line 5: expect slider " + steps.steps[4].text + ": the slider is at 0.000", *failure);
  EXPECT_EQ((ui::Point{0, 0}), list->contentOffset());
  EXPECT_EQ(std::nullopt, ScreenProbe::sliderValueAt(ui::Point{at.midX(), at.maxY() + 20}));
}

}  // namespace
}  // namespace zu
