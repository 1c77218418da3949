#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/input/LongPressGestureRecognizer.h"
#include "platform/ui/input/PanGestureRecognizer.h"
#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/views/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Journal = std::vector<std::string>;

// Notes every touch callback it gets; passes nothing on.
class TouchView : public View {
 public:
  TouchView(std::string name, Journal* journal, const Rect& frame)
      : View(frame), name_(std::move(name)), journal_(journal) {}
  void touchesBegan(const TouchSet& t, const Event&) override { note("began", t); }
  void touchesMoved(const TouchSet& t, const Event&) override { note("moved", t); }
  void touchesEnded(const TouchSet& t, const Event&) override { note("ended", t); }
  void touchesCancelled(const TouchSet& t, const Event&) override { note("cancelled", t); }

 private:
  void note(const std::string& what, const TouchSet& t) {
    const Point p = t.front()->locationInView(this);
    journal_->push_back(name_ + " " + what + " " + toString(p) + " taps=" + std::to_string(t.front()->tapCount()));
  }
  std::string name_;
  Journal* journal_;
};

const char* stateName(GestureState s) {
  static const char* names[] = {"possible", "began", "changed", "ended", "cancelled", "failed"};
  return names[static_cast<int>(s)];
}

class Delegate : public GestureRecognizerDelegate {
 public:
  bool begin = true;
  bool receive = true;
  bool together = false;
  bool gestureRecognizerShouldBegin(GestureRecognizer&) override { return begin; }
  bool shouldReceiveTouch(GestureRecognizer&, const Touch&) override { return receive; }
  bool shouldRecognizeSimultaneously(GestureRecognizer&, GestureRecognizer&) override { return together; }
};

class GestureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override { Application::shared().resetForTesting(); }

  template <typename R>
  std::shared_ptr<R> add(View& view, const std::string& name) {
    auto r = std::make_shared<R>();
    r->addTarget(this, [this, name](GestureRecognizer& g) {
      journal_.push_back(name + " " + stateName(g.state()));
    });
    view.addGestureRecognizer(r);
    return r;
  }


  ScopedFakeClock clock_;
  std::shared_ptr<Window> window_;
  Journal journal_;
};

TEST_F(GestureTest, TouchesGoToTheViewTheyFirstHitAndUpTheResponderChain) {
  auto a = std::make_shared<TouchView>("a", &journal_, Rect(0, 0, 100, 100));
  auto b = std::make_shared<TouchView>("b", &journal_, Rect(100, 0, 100, 100));
  auto plain = std::make_shared<View>(Rect(10, 10, 20, 20));  // handles nothing: goes to a
  window_->addSubview(a);
  window_->addSubview(b);
  a->addSubview(plain);

  auto t = window_->beginTouch(Point{50, 50});
  window_->moveTouch(t, Point{150, 50});  // leaves a, stays a's touch
  window_->endTouch(t);
  EXPECT_EQ((Journal{"a began {50, 50} taps=1", "a moved {150, 50} taps=1", "a ended {150, 50} taps=1"}), journal_);

  // A new touch is hit-tested anew; taps close in time and place count up.
  journal_.clear();
  clock_->advance(1);
  window_->tap(Point{150, 20});
  clock_->advance(0.2);
  window_->tap(Point{152, 22});
  EXPECT_EQ((Journal{"b began {50, 20} taps=1", "b ended {50, 20} taps=1", "b began {52, 22} taps=2",
                     "b ended {52, 22} taps=2"}),
            journal_);
  journal_.clear();
  clock_->advance(1);
  window_->tap(Point{15, 15});  // on the plain subview, handled by a in a's coordinates
  EXPECT_EQ((Journal{"a began {15, 15} taps=1", "a ended {15, 15} taps=1"}), journal_);

  // Exclusive and multiple touch rules.
  journal_.clear();
  b->setExclusiveTouch(true);
  auto first = window_->beginTouch(Point{150, 50});
  auto second = window_->beginTouch(Point{50, 50});   // a while exclusive b holds a touch: ignored
  auto third = window_->beginTouch(Point{160, 50});   // b does not take multiple touches: ignored
  window_->endTouch(second);
  window_->endTouch(third);
  window_->endTouch(first);
  EXPECT_EQ((Journal{"b began {50, 50} taps=1", "b ended {50, 50} taps=1"}), journal_);
  journal_.clear();
  b->setExclusiveTouch(false);
  b->setMultipleTouchEnabled(true);
  clock_->advance(1);
  first = window_->beginTouch(Point{150, 50});
  second = window_->beginTouch(Point{190, 90});
  window_->cancelTouch(first);
  window_->endTouch(second);
  EXPECT_EQ(4u, journal_.size());
  EXPECT_EQ("b cancelled {50, 50} taps=1", journal_[2]);
}

TEST_F(GestureTest, TouchesGoToTheFrontmostWindowThatTakesThem) {
  auto overlay = std::make_shared<Window>(Rect(0, 0, 1000, 1000));
  overlay->setWindowLevel(kWindowLevelStatusBar + 1);
  overlay->setUserInteractionEnabled(false);  // a dimming layer over everything
  overlay->setHidden(false);
  auto alert = std::make_shared<Window>(Rect(0, 240, 320, 240));
  alert->setWindowLevel(kWindowLevelAlert);
  alert->setHidden(false);
  EXPECT_EQ(window_, Application::shared().windowForTouch(Point{10, 10}));
  EXPECT_EQ(alert, Application::shared().windowForTouch(Point{10, 300}));
  alert->setHidden(true);
  EXPECT_EQ(window_, Application::shared().windowForTouch(Point{10, 300}));
}

TEST_F(GestureTest, LongPressBeginsByTheClockAndFailsWhenMovedEarly) {
  auto v = std::make_shared<TouchView>("v", &journal_, Rect(0, 0, 320, 480));
  window_->addSubview(v);
  auto press = add<LongPressGestureRecognizer>(*v, "press");
  press->setCancelsTouchesInView(false);

  auto t = window_->beginTouch(Point{100, 100});
  clock_->advance(0.49);
  runDueMainLoopTasks();
  EXPECT_EQ(GestureState::Possible, press->state());
  clock_->advance(0.01);
  runDueMainLoopTasks();
  EXPECT_EQ(GestureState::Began, press->state());
  window_->moveTouch(t, Point{150, 100});
  EXPECT_EQ((Point{150, 100}), press->locationInView(v.get()));
  window_->endTouch(t);
  EXPECT_EQ((Journal{"v began {100, 100} taps=1", "press began", "press changed", "v moved {150, 100} taps=1",
                     "press ended", "v ended {150, 100} taps=1"}),
            journal_);
  EXPECT_EQ(GestureState::Possible, press->state());  // reset for the next press

  // Moving more than 10 points before the time fails it; so does lifting early.
  journal_.clear();
  t = window_->beginTouch(Point{100, 100});
  window_->moveTouch(t, Point{111, 100});
  clock_->advance(1);
  runDueMainLoopTasks();
  window_->endTouch(t);
  clock_->advance(1);
  t = window_->beginTouch(Point{100, 100});
  clock_->advance(0.3);
  window_->endTouch(t);
  clock_->advance(1);
  runDueMainLoopTasks();
  for (const auto& line : journal_) EXPECT_EQ(std::string::npos, line.find("press")) << line;
}

TEST_F(GestureTest, SwipesRecogniseOnlyTheirDirections) {
  auto v = std::make_shared<TouchView>("v", &journal_, Rect(0, 0, 320, 480));
  window_->addSubview(v);
  auto left = add<SwipeGestureRecognizer>(*v, "left");
  left->setDirection(kSwipeDirectionLeft);
  auto right = add<SwipeGestureRecognizer>(*v, "right");  // default: right
  right->setDelegate(std::make_shared<Delegate>());        // expired at once: no delegate

  window_->drag(Point{200, 100}, Point{120, 105}, 4);
  // The left swipe recognised at 40 points (the first 20-point step was too short); the view's
  // touch is cancelled first, then the action runs.
  EXPECT_EQ((Journal{"v began {200, 100} taps=1", "v moved {180, 101.25} taps=1",
                     "v cancelled {160, 102.5} taps=1", "left ended"}),
            journal_);
  journal_.clear();
  clock_->advance(1);
  window_->drag(Point{100, 100}, Point{180, 100}, 4);
  EXPECT_NE(journal_.end(), std::find(journal_.begin(), journal_.end(), "right ended"));
  EXPECT_EQ(journal_.end(), std::find(journal_.begin(), journal_.end(), "left ended"));
  // Too slow: nothing.
  journal_.clear();
  clock_->advance(1);
  auto t = window_->beginTouch(Point{200, 100});
  clock_->advance(0.6);
  window_->moveTouch(t, Point{100, 100});
  window_->endTouch(t);
  EXPECT_EQ(journal_.end(), std::find(journal_.begin(), journal_.end(), "left ended"));
}

TEST_F(GestureTest, DoubleTapWinsOverASingleTapThatRequiresItToFail) {
  auto v = std::make_shared<View>(Rect(0, 0, 320, 480));
  window_->addSubview(v);
  auto single = add<TapGestureRecognizer>(*v, "single");
  auto twice = add<TapGestureRecognizer>(*v, "double");
  twice->setNumberOfTapsRequired(2);
  single->requireGestureRecognizerToFail(twice);

  window_->tap(Point{50, 50});
  clock_->advance(0.1);
  runDueMainLoopTasks();
  window_->tap(Point{52, 50});
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_EQ((Journal{"double ended"}), journal_);

  // A lone tap fires the single tap once the double tap has given up, not before.
  journal_.clear();
  clock_->advance(1);
  window_->tap(Point{50, 50});
  clock_->advance(0.3);
  runDueMainLoopTasks();
  EXPECT_TRUE(journal_.empty());
  clock_->advance(0.1);
  runDueMainLoopTasks();
  EXPECT_EQ((Journal{"single ended"}), journal_);
  EXPECT_EQ(GestureState::Possible, single->state());
  EXPECT_EQ(GestureState::Possible, twice->state());
}

TEST_F(GestureTest, PanTranslationVelocityCancellationAndDelegates) {
  auto v = std::make_shared<TouchView>("v", &journal_, Rect(0, 0, 320, 480));
  window_->addSubview(v);
  auto pan = add<PanGestureRecognizer>(*v, "pan");
  auto t = window_->beginTouch(Point{100, 100});
  clock_->advance(0.1);
  window_->moveTouch(t, Point{105, 100});  // under the 10-point threshold
  EXPECT_EQ(GestureState::Possible, pan->state());
  clock_->advance(0.1);
  window_->moveTouch(t, Point{120, 110});
  EXPECT_EQ(GestureState::Began, pan->state());
  EXPECT_EQ((Point{20, 10}), pan->translationInView(v.get()));
  EXPECT_EQ((Point{150, 100}), pan->velocityInView(v.get()));
  pan->setTranslation(Point{0, 0}, v.get());
  clock_->advance(0.1);
  window_->moveTouch(t, Point{130, 110});
  EXPECT_EQ((Point{10, 0}), pan->translationInView(v.get()));
  window_->endTouch(t);
  EXPECT_EQ((Journal{"v began {100, 100} taps=1", "v moved {105, 100} taps=1",
                     "v cancelled {120, 110} taps=1", "pan began", "pan changed", "pan ended"}),
            journal_);

  // A delegate can refuse the touch or the beginning; two pans share a touch only when allowed.
  journal_.clear();
  auto delegate = std::make_shared<Delegate>();
  pan->setDelegate(delegate);
  pan->setCancelsTouchesInView(false);
  delegate->begin = false;
  window_->drag(Point{10, 10}, Point{100, 10});
  delegate->begin = true;
  delegate->receive = false;
  window_->drag(Point{10, 10}, Point{100, 10});
  EXPECT_EQ(journal_.end(), std::find(journal_.begin(), journal_.end(), "pan began"));
  delegate->receive = true;

  auto other = add<PanGestureRecognizer>(*window_, "outer");
  journal_.clear();
  window_->drag(Point{10, 10}, Point{100, 10}, 2);
  EXPECT_EQ(1, std::count(journal_.begin(), journal_.end(), "pan began"));
  EXPECT_EQ(0, std::count(journal_.begin(), journal_.end(), "outer began"));
  delegate->together = true;
  journal_.clear();
  window_->drag(Point{10, 10}, Point{100, 10}, 2);
  EXPECT_EQ(1, std::count(journal_.begin(), journal_.end(), "pan began"));
  EXPECT_EQ(1, std::count(journal_.begin(), journal_.end(), "outer began"));

  // A test may drive a recogniser's state directly.
  journal_.clear();
  other->setState(GestureState::Began);
  other->setState(GestureState::Changed);
  other->setState(GestureState::Ended);
  EXPECT_EQ((Journal{"outer began", "outer changed", "outer ended"}), journal_);
}

TEST_F(GestureTest, ARecogniserWhoseViewIsGoneCallsNoAction) {
  // The window holds the pan while its touch lasts, and the touch the subview it landed on; the
  // pan's view goes in the middle of the drag.
  auto v = std::make_shared<View>(Rect(0, 0, 320, 480));
  window_->addSubview(v);
  v->addSubview(std::make_shared<TouchView>("inner", &journal_, Rect(0, 0, 320, 480)));
  auto pan = add<PanGestureRecognizer>(*v, "pan");
  auto t = window_->beginTouch(Point{100, 100});
  clock_->advance(0.1);
  window_->moveTouch(t, Point{130, 100});
  EXPECT_EQ(GestureState::Began, pan->state());
  v->removeFromSuperview();
  v.reset();
  journal_.clear();
  window_->cancelTouch(t);
  EXPECT_EQ(Journal{}, journal_);
  // One never put on a view still calls its actions when a test drives it.
  auto loose = std::make_shared<PanGestureRecognizer>();
  loose->addTarget(this, [this](GestureRecognizer& g) { journal_.push_back(std::string("loose ") + stateName(g.state())); });
  loose->setState(GestureState::Began);
  EXPECT_EQ(Journal{"loose began"}, journal_);
}

}  // namespace
}  // namespace zu::ui
