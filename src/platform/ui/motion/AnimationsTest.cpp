#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/views/View.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

class AnimationsTest : public ::testing::Test {
 protected:
  void SetUp() override { AnimationLog::shared().clear(); }
  void TearDown() override {
    Animations::resetForTesting();
    AnimationLog::shared().clear();
  }

  ScopedFakeClock clock_;
  std::vector<std::string> ends_;
};

TEST_F(AnimationsTest, BeginCommitChangesValuesAtOnceAndEndsByTheClock) {
  auto v = std::make_shared<View>(Rect(0, 0, 10, 10));
  int context = 0;
  Animations::begin("relayout", &context);
  Animations::setDuration(0.3);
  Animations::setDelay(0.1);
  Animations::setCurve(AnimationCurve::EaseOut);
  Animations::setDidStop([&](const std::string& name, bool finished, void* ctx) {
    ends_.push_back(name + (finished ? " finished" : " cut"));
    EXPECT_EQ(&context, ctx);
  });
  v->setFrame(Rect(5, 5, 10, 10));
  v->setFrame(Rect(50, 5, 20, 10));
  v->setAlpha(0);
  v->setAlpha(0);  // unchanged value: no second change
  EXPECT_EQ(Rect(50, 5, 20, 10), v->frame());
  Animations::commit();
  EXPECT_EQ(0.f, v->alpha());

  auto record = AnimationLog::shared().last();
  ASSERT_TRUE(record);
  EXPECT_EQ("relayout", record->name);
  EXPECT_EQ(0.3, record->duration);
  EXPECT_EQ(0.1, record->delay);
  EXPECT_EQ(AnimationCurve::EaseOut, record->curve);
  ASSERT_EQ(2u, record->changes.size());
  const PropertyChange* frame = record->change(v.get(), "frame");
  ASSERT_TRUE(frame);
  // A property set twice keeps its first "from" and its last "to".
  EXPECT_EQ(AnimatableValue(Rect(0, 0, 10, 10)), frame->from);
  EXPECT_EQ(AnimatableValue(Rect(50, 5, 20, 10)), frame->to);
  EXPECT_EQ(AnimatableValue(0.f), record->change(v.get(), "alpha")->to);

  runDueMainLoopTasks();
  clock_->advance(0.39);
  runDueMainLoopTasks();
  EXPECT_TRUE(ends_.empty());
  EXPECT_FALSE(record->completed);
  clock_->advance(0.01);
  runDueMainLoopTasks();
  EXPECT_EQ((std::vector<std::string>{"relayout finished"}), ends_);
  EXPECT_TRUE(record->completed);
}

TEST_F(AnimationsTest, ReplacedAnimationsEndUnfinished) {
  auto v = std::make_shared<View>(Rect(0, 0, 10, 10));
  auto w = std::make_shared<View>(Rect(0, 0, 10, 10));
  auto note = [this](std::string what) {
    return [this, what](bool finished) { ends_.push_back(what + (finished ? " finished" : " cut")); };
  };
  // Fully replaced: ends on the next turn, before the replacement.
  Animations::animate(1.0, [&] { v->setAlpha(0.5f); }, note("fade"));
  Animations::animate(0.5, [&] { v->setAlpha(1); }, note("unfade"));
  runDueMainLoopTasks();
  EXPECT_EQ((std::vector<std::string>{"fade cut"}), ends_);
  clock_->advance(0.5);
  runDueMainLoopTasks();
  EXPECT_EQ((std::vector<std::string>{"fade cut", "unfade finished"}), ends_);

  // Partly replaced: ends at its own time, unfinished. Another view's change replaces nothing;
  // a center change takes over the position of a frame change, whose size goes on.
  ends_.clear();
  Animations::animate(1.0, [&] {
    v->setAlpha(0.2f);
    v->setFrame(Rect(1, 1, 10, 10));
  }, note("both"));
  Animations::animate(0.2, [&] { w->setAlpha(0.3f); }, note("other view"));
  Animations::animate(0.2, [&] { v->setCenter(Point{40, 40}); }, note("move"));
  runDueMainLoopTasks();
  EXPECT_TRUE(ends_.empty());
  clock_->advance(0.2);
  runDueMainLoopTasks();
  EXPECT_EQ((std::vector<std::string>{"other view finished", "move finished"}), ends_);
  clock_->advance(0.8);
  runDueMainLoopTasks();
  EXPECT_EQ("both cut", ends_.back());
  auto both = AnimationLog::shared().records()[2];
  EXPECT_FALSE(both->change(v.get(), "frame")->replaced);
  EXPECT_EQ(kPartPosition, both->change(v.get(), "frame")->replacedParts);
  EXPECT_FALSE(both->change(v.get(), "alpha")->replaced);

  // Zero-duration blocks replace nothing and end on the next turn.
  ends_.clear();
  Animations::animate(1.0, [&] { v->setAlpha(0.9f); }, note("long"));
  Animations::animate(0, [&] { v->setAlpha(0.1f); }, note("instant"));
  runDueMainLoopTasks();
  EXPECT_EQ((std::vector<std::string>{"instant finished"}), ends_);
}

TEST_F(AnimationsTest, DisabledNestedAndRepeatedAnimations) {
  auto v = std::make_shared<View>(Rect(0, 0, 10, 10));
  // Switched off: values change, nothing is recorded, the block ends at once, finished.
  Animations::setEnabled(false);
  Animations::animate(2.0, [&] { v->setAlpha(0.5f); }, [&](bool f) { ends_.push_back(f ? "off finished" : "off cut"); });
  Animations::setEnabled(true);
  EXPECT_EQ(0.5f, v->alpha());
  EXPECT_TRUE(AnimationLog::shared().last()->changes.empty());
  EXPECT_TRUE(AnimationLog::shared().last()->disabled);
  runDueMainLoopTasks();
  EXPECT_EQ((std::vector<std::string>{"off finished"}), ends_);

  // Nesting: the inner block inherits the duration, takes the changes made inside it, and is
  // logged first because it commits first.
  AnimationLog::shared().clear();
  Animations::begin("outer");
  Animations::setDuration(0.7);
  v->setAlpha(1);
  Animations::begin("inner");
  v->setCenter(Point{1, 2});
  Animations::commit();
  v->setTransform(Transform::makeScale(2, 2));
  Animations::commit();
  const auto& records = AnimationLog::shared().records();
  ASSERT_EQ(2u, records.size());
  EXPECT_EQ("inner", records[0]->name);
  EXPECT_EQ(0.7, records[0]->duration);
  EXPECT_TRUE(records[0]->change(v.get(), "center"));
  EXPECT_EQ(2u, records[1]->changes.size());
  // Block animations inherit unless told to override.
  Animations::begin("outer2");
  Animations::setDuration(0.4);
  Animations::animate(3, 0, 0, [] {});
  Animations::animate(3, 0, kAnimationOptionOverrideInheritedDuration, [] {});
  Animations::commit();
  EXPECT_EQ(0.4, records[2]->duration);
  EXPECT_EQ(3.0, records[3]->duration);

  // Repeats multiply the time; autoreverse doubles it; repeating forever never ends.
  ends_.clear();
  Animations::begin("blink");
  Animations::setDuration(0.25);
  Animations::setRepeatCount(3);
  Animations::setRepeatAutoreverses(true);
  Animations::setDidStop([&](const std::string& n, bool, void*) { ends_.push_back(n); });
  v->setAlpha(0);
  Animations::commit();
  Animations::animate(0.1, 0, kAnimationOptionRepeat, [&] { v->setCenter(Point{9, 9}); },
                      [&](bool) { ends_.push_back("forever"); });
  runDueMainLoopTasks();
  clock_->advance(1.49);
  runDueMainLoopTasks();
  // The replaced "outer"/"inner"/"outer2" blocks ended meanwhile; "blink" not yet.
  EXPECT_EQ(0, std::count(ends_.begin(), ends_.end(), "blink"));
  clock_->advance(0.01);
  runDueMainLoopTasks();
  EXPECT_EQ(1, std::count(ends_.begin(), ends_.end(), "blink"));
  clock_->advance(100);
  runDueMainLoopTasks();
  EXPECT_EQ(0, std::count(ends_.begin(), ends_.end(), "forever"));
}

TEST_F(AnimationsTest, TheLogKeepsOnlyTheNewestRecords) {
  for (size_t i = 0; i < AnimationLog::kCapacity + 5; ++i) {
    Animations::begin("step " + std::to_string(i));
    Animations::commit();
  }
  const auto& records = AnimationLog::shared().records();
  ASSERT_EQ(AnimationLog::kCapacity, records.size());
  EXPECT_EQ("step 5", records.front()->name);
  EXPECT_EQ("step " + std::to_string(AnimationLog::kCapacity + 4), records.back()->name);
  // Completions of dropped records still run.
  int ended = 0;
  Animations::begin("first");
  Animations::setDidStop([&](const std::string&, bool, void*) { ++ended; });
  Animations::commit();
  for (size_t i = 0; i < AnimationLog::kCapacity; ++i) Animations::animate(0, [] {});
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_EQ(1, ended);
}

TEST_F(AnimationsTest, TransitionsRecordTheirKindAndView) {
  auto container = std::make_shared<View>(Rect(0, 0, 10, 10));
  Animations::begin("flip");
  Animations::setTransition(kAnimationTransitionFlipFromLeft, container);
  Animations::commit();
  Animations::begin("ripple");
  Animations::setTransition(110, container);  // a raw kind passed as a number
  Animations::commit();
  bool ended = false;
  Animations::transition(container, 0.6, kAnimationOptionTransitionCurlUp | kAnimationOptionCurveLinear,
                         [&] { container->setHidden(true); }, [&](bool) { ended = true; });
  const auto& records = AnimationLog::shared().records();
  ASSERT_EQ(3u, records.size());
  EXPECT_EQ(kAnimationTransitionFlipFromLeft, records[0]->transition);
  EXPECT_EQ(container, records[0]->transitionView.lock());
  EXPECT_EQ(110, records[1]->transition);
  EXPECT_EQ(kAnimationTransitionCurlUp, records[2]->transition);
  EXPECT_EQ(AnimationCurve::Linear, records[2]->curve);
  EXPECT_TRUE(container->isHidden());
  clock_->advance(0.6);
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return ended; }, 10));
}

}  // namespace
}  // namespace zu::ui
