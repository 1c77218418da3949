#include "platform/ui/drawing/DisplayChanges.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

class DisplayChangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    changes().setWakeHandler([this] { ++wakes_; });
    changes().clear();
  }
  void TearDown() override {
    changes().setWakeHandler(nullptr);
    Animations::resetForTesting();
    AnimationLog::shared().clear();
  }
  static DisplayChanges& changes() { return DisplayChanges::shared(); }
  // True when `change` marked the screen; clears the mark again.
  bool marks(const std::function<void()>& change) {
    changes().clear();
    change();
    const bool dirty = changes().isDirty();
    changes().clear();
    return dirty;
  }

  ScopedFakeClock clock_;
  int wakes_ = 0;
};

TEST_F(DisplayChangesTest, ChangesThatShowMarkTheScreenAndWakeItOnce) {
  auto parent = std::make_shared<View>(Rect(0, 0, 100, 100));
  auto view = std::make_shared<View>(Rect(0, 0, 10, 10));
  auto other = std::make_shared<View>(Rect(0, 0, 10, 10));
  EXPECT_TRUE(marks([&] { parent->addSubview(view); }));
  parent->addSubview(other);
  EXPECT_TRUE(marks([&] { view->setFrame(Rect(5, 5, 10, 10)); }));
  EXPECT_TRUE(marks([&] { view->setCenter(Point{1, 1}); }));
  EXPECT_TRUE(marks([&] { view->setBounds(Rect(3, 0, 10, 10)); }));  // a scroll
  EXPECT_TRUE(marks([&] { view->setTransform(Transform::makeScale(2, 2)); }));
  EXPECT_TRUE(marks([&] { view->setAlpha(0.5f); }));
  EXPECT_TRUE(marks([&] { view->setHidden(true); }));
  EXPECT_TRUE(marks([&] { view->setBackgroundColor(Color::whiteColor()); }));
  EXPECT_TRUE(marks([&] { view->layer().cornerRadius = 4; }));
  EXPECT_TRUE(marks([&] { view->layer().shadowOpacity = 0.5f; }));
  EXPECT_TRUE(marks([&] { view->layer().masksToBounds = true; }));
  EXPECT_TRUE(marks([&] { view->setNeedsDisplay(); }));
  EXPECT_TRUE(marks([&] { parent->bringSubviewToFront(view); }));
  EXPECT_TRUE(marks([&] { parent->exchangeSubviews(0, 1); }));
  EXPECT_TRUE(marks([&] { view->removeFromSuperview(); }));
  auto label = std::make_shared<Label>(Rect(0, 0, 50, 20));
  EXPECT_TRUE(marks([&] { label->setText("新"); }));

  // Setting what is already there shows nothing new.
  EXPECT_FALSE(marks([&] { view->setAlpha(0.5f); }));
  EXPECT_FALSE(marks([&] { view->setHidden(true); }));
  EXPECT_FALSE(marks([&] { view->setCenter(view->center()); }));
  EXPECT_FALSE(marks([&] { view->setBackgroundColor(Color::whiteColor()); }));
  EXPECT_FALSE(marks([&] { view->layer().cornerRadius = 4; }));

  // The host is woken on the first change after a frame, not on every one.
  wakes_ = 0;
  view->setAlpha(0.1f);
  view->setAlpha(0.2f);
  parent->setNeedsLayout();
  EXPECT_EQ(1, wakes_);
  changes().clear();
  view->setAlpha(0.3f);
  EXPECT_EQ(2, wakes_);
}

TEST_F(DisplayChangesTest, AnAnimationKeepsFramesComingUntilItEnds) {
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  auto view = std::make_shared<View>(Rect(0, 0, 10, 10));
  window->addSubview(view);
  wakes_ = 0;
  Animations::animate(0.4, [&] { view->setAlpha(0); });
  EXPECT_GE(wakes_, 1);
  changes().clear();
  EXPECT_TRUE(changes().needsFrame());
  clock_->advance(0.39);
  runDueMainLoopTasks();
  EXPECT_TRUE(changes().needsFrame());
  clock_->advance(0.01);
  runDueMainLoopTasks();
  EXPECT_FALSE(changes().needsFrame());

  // An animation whose view went away moves nothing; one with animations switched off neither.
  auto doomed = std::make_shared<View>(Rect(0, 0, 10, 10));
  Animations::animate(1, [&] { doomed->setCenter(Point{50, 50}); });
  changes().clear();
  EXPECT_TRUE(changes().needsFrame());
  doomed.reset();
  EXPECT_FALSE(changes().needsFrame());
  Animations::setEnabled(false);
  Animations::animate(1, [&] { view->setAlpha(1); });
  changes().clear();
  EXPECT_FALSE(changes().needsFrame());
}

TEST_F(DisplayChangesTest, ADeceleratingScrollViewMarksEachFrameAndStops) {
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  auto scroll = std::make_shared<ScrollView>(Rect(0, 0, 320, 480));
  scroll->setContentSize(Size{320, 4000});
  window->addSubview(scroll);
  scroll->beginDrag(Point{100, 300});
  scroll->dragTo(Point{100, 200});
  ASSERT_TRUE(scroll->endDrag(Point{0, 1500}));
  int frames = 0;
  for (int i = 0; i < 600; ++i) {
    changes().clear();
    clock_->advance(ScrollView::kFrameInterval);
    runDueMainLoopTasks();
    if (changes().isDirty()) ++frames;
  }
  EXPECT_FALSE(scroll->isDecelerating());
  // About 2.5 seconds of motion and the indicators' fade, then nothing.
  EXPECT_GT(frames, 120);
  EXPECT_LT(frames, 240);
  changes().clear();
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_FALSE(changes().needsFrame());
}

}  // namespace
}  // namespace zu::ui
