#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/AnimationLog.h"
#include "platform/ui/Animations.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Journal = std::vector<std::string>;

class Recorder : public ScrollViewDelegate {
 public:
  Journal journal;
  std::shared_ptr<View> zoomView;
  void scrollViewDidScroll(ScrollView& s) override { note("scroll " + toString(s.contentOffset()), s); }
  void scrollViewWillBeginDragging(ScrollView& s) override { note("willBeginDragging", s); }
  void scrollViewDidEndDragging(ScrollView& s, bool decelerate) override {
    note(std::string("didEndDragging ") + (decelerate ? "decelerate" : "stop"), s);
  }
  void scrollViewWillBeginDecelerating(ScrollView& s) override { note("willBeginDecelerating", s); }
  void scrollViewDidEndDecelerating(ScrollView& s) override { note("didEndDecelerating", s); }
  void scrollViewDidEndScrollingAnimation(ScrollView& s) override { note("didEndScrollingAnimation", s); }
  std::shared_ptr<View> viewForZooming(ScrollView&) override { return zoomView; }
  void scrollViewDidZoom(ScrollView& s) override { journal.push_back("zoom " + std::to_string(s.zoomScale())); }
  void scrollViewDidEndZooming(ScrollView&, View*, float scale) override {
    journal.push_back("endZooming " + std::to_string(scale));
  }

 private:
  // Flags as they are during the callback: tracking, dragging, decelerating.
  void note(const std::string& what, ScrollView& s) {
    journal.push_back(what + " [" + (s.isTracking() ? "T" : "-") + (s.isDragging() ? "D" : "-") +
                      (s.isDecelerating() ? "E" : "-") + "]");
  }
};

class ScrollViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    scroll_ = std::make_shared<ScrollView>(Rect(0, 0, 320, 480));
    scroll_->setContentSize(Size{960, 480});
    scroll_->setDelegate(recorder_);
    window_->addSubview(scroll_);
  }
  void TearDown() override {
    Application::shared().resetForTesting();
    Animations::resetForTesting();
    AnimationLog::shared().clear();
  }
  Journal& journal() { return recorder_->journal; }

  ScopedFakeClock clock_;
  std::shared_ptr<Window> window_;
  std::shared_ptr<ScrollView> scroll_;
  std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
};

TEST_F(ScrollViewTest, DragThatDeceleratesOntoAPage) {
  scroll_->setPagingEnabled(true);
  scroll_->beginDrag(Point{300, 100});
  scroll_->dragTo(Point{300, 100});  // no movement: still a drag start, no scroll
  scroll_->dragTo(Point{100, 120});  // vertical movement ignored: content is one screen high
  EXPECT_EQ((Point{200, 0}), scroll_->contentOffset());
  EXPECT_TRUE(scroll_->endDrag());   // 200 is nearer page 1 (320) than page 0
  EXPECT_EQ((Point{200, 0}), scroll_->contentOffset());
  clock_->advance(ScrollView::kDecelerationDuration - 0.01);
  runDueMainLoopTasks();
  EXPECT_TRUE(scroll_->isDecelerating());
  clock_->advance(0.01);
  runDueMainLoopTasks();
  EXPECT_EQ((Point{320, 0}), scroll_->contentOffset());
  EXPECT_EQ((Journal{"willBeginDragging [TD-]", "scroll {200, 0} [TD-]", "didEndDragging decelerate [-D-]",
                     "willBeginDecelerating [--E]", "scroll {320, 0} [--E]", "didEndDecelerating [---]"}),
            journal());

  // A fling goes to the next page even from close to the start page; never two pages at once.
  journal().clear();
  scroll_->beginDrag(Point{200, 100});
  scroll_->dragTo(Point{190, 100});
  EXPECT_TRUE(scroll_->endDrag(Point{2000, 0}));
  scroll_->finishDecelerating();
  EXPECT_EQ((Point{640, 0}), scroll_->contentOffset());
}

TEST_F(ScrollViewTest, DragThatEndsWithoutDeceleratingAndEdges) {
  scroll_->beginDrag(Point{300, 100});
  scroll_->dragTo(Point{250, 100});
  EXPECT_FALSE(scroll_->endDrag());
  EXPECT_EQ((Journal{"willBeginDragging [TD-]", "scroll {50, 0} [TD-]", "didEndDragging stop [-D-]"}), journal());

  // Pulled past the start it bounces back by decelerating; without bouncing it stops at 0.
  journal().clear();
  scroll_->setContentOffset(Point{0, 0});
  scroll_->beginDrag(Point{100, 100});
  scroll_->dragTo(Point{130, 100});
  EXPECT_EQ((Point{-30, 0}), scroll_->contentOffset());
  EXPECT_TRUE(scroll_->endDrag());
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  scroll_->setBounces(false);
  scroll_->beginDrag(Point{100, 100});
  scroll_->dragTo(Point{130, 100});
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  scroll_->endDrag();

  // A finger on the window drives the same through the scroll view's pan.
  journal().clear();
  window_->drag(Point{300, 200}, Point{100, 200}, 4);
  EXPECT_EQ((Point{200, 0}), scroll_->contentOffset());
  EXPECT_EQ("willBeginDragging [TD-]", journal().front());
  // No time passed between the moves: no velocity, no deceleration.
  EXPECT_EQ("didEndDragging stop [-D-]", journal().back());
  // Nothing to scroll: the pan does not begin and the offset stays.
  scroll_->setContentSize(Size{320, 480});
  scroll_->setContentOffset(Point{0, 0});
  journal().clear();
  window_->drag(Point{300, 200}, Point{100, 200}, 4);
  EXPECT_TRUE(journal().empty());
}

TEST_F(ScrollViewTest, AnimatedOffsetChangesAreLoggedAndEndByTheClock) {
  scroll_->setContentOffset(Point{320, 0}, true);
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  auto record = AnimationLog::shared().last();
  ASSERT_TRUE(record);
  EXPECT_EQ(AnimatableValue(Point{320, 0}), record->change(scroll_.get(), "contentOffset")->to);
  clock_->advance(ScrollView::kScrollAnimationDuration);
  runDueMainLoopTasks();
  EXPECT_EQ((Journal{"scroll {320, 0} [---]", "didEndScrollingAnimation [---]"}), journal());

  // Same offset: no animation, no callbacks. Unanimated: did scroll only when it changes.
  journal().clear();
  scroll_->setContentOffset(Point{320, 0}, true);
  scroll_->setContentOffset(Point{320, 0});
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_TRUE(journal().empty());
  // A later change replaces a running animation, which then never reports its end.
  scroll_->setContentOffset(Point{640, 0}, true);
  scroll_->setContentOffset(Point{100, 0}, true);
  clock_->advance(1);
  runDueMainLoopTasks();
  EXPECT_EQ((Journal{"scroll {100, 0} [---]", "didEndScrollingAnimation [---]"}), journal());

  journal().clear();
  scroll_->scrollRectToVisible(Rect(700, 0, 100, 10), false);
  EXPECT_EQ((Point{480, 0}), scroll_->contentOffset());
  scroll_->scrollRectToVisible(Rect(500, 0, 10, 10), false);
  EXPECT_EQ((Point{480, 0}), scroll_->contentOffset());
  scroll_->scrollRectToVisible(Rect(10, 0, 10, 10), false);
  EXPECT_EQ((Point{10, 0}), scroll_->contentOffset());
}

// A subclass that notes every unanimated offset change with the scroll state at that moment.
class OffsetWatcher : public ScrollView {
 public:
  using ScrollView::ScrollView;
  using ScrollView::setContentOffset;
  Journal seen;
  void setContentOffset(Point offset) override {
    seen.push_back(toString(offset) + (isTracking() ? " T" : "") + (isDecelerating() ? " E" : ""));
    ScrollView::setContentOffset(offset);
  }
};

TEST_F(ScrollViewTest, EveryOffsetChangeReachesTheSubclassOverride) {
  auto watcher = std::make_shared<OffsetWatcher>(Rect(0, 0, 320, 480));
  watcher->setContentSize(Size{960, 480});
  window_->addSubview(watcher);

  // A drag's moves, the end of its deceleration, an animation's end and a plain set.
  watcher->beginDrag(Point{300, 100});
  watcher->dragTo(Point{250, 100});
  EXPECT_TRUE(watcher->endDrag(Point{1000, 0}));
  watcher->finishDecelerating();
  watcher->setContentOffset(Point{10, 0}, true);
  clock_->advance(ScrollView::kScrollAnimationDuration);
  runDueMainLoopTasks();
  watcher->setContentOffset(Point{20, 0}, false);
  EXPECT_EQ((Journal{"{50, 0} T", "{400, 0} E", "{10, 0}", "{20, 0}"}), watcher->seen);
  EXPECT_EQ((Point{20, 0}), watcher->contentOffset());

  // Flashes are counted, one per call.
  EXPECT_EQ(0, watcher->scrollIndicatorFlashes());
  watcher->flashScrollIndicators();
  watcher->flashScrollIndicators();
  EXPECT_EQ(2, watcher->scrollIndicatorFlashes());
}

TEST_F(ScrollViewTest, ScrollingCancelsTheTouchOfAButtonInTheContent) {
  auto button = Button::create(ButtonType::RoundedRect);
  button->setFrame(Rect(100, 100, 120, 40));
  scroll_->addSubview(button);
  Journal events;
  button->addTarget(this, kControlEventTouchDown, [&](Control&) { events.push_back("down"); });
  button->addTarget(this, kControlEventTouchUpInside, [&](Control&) { events.push_back("upInside"); });
  button->addTarget(this, kControlEventTouchCancel, [&](Control&) { events.push_back("cancel"); });
  // A small wobble stays a tap.
  auto t = window_->beginTouch(Point{150, 120});
  window_->moveTouch(t, Point{155, 120});
  window_->endTouch(t);
  EXPECT_EQ((Journal{"down", "upInside"}), events);
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  // Past the pan's threshold the scroll view takes over and the button's touch is cancelled.
  events.clear();
  clock_->advance(1);
  window_->drag(Point{150, 120}, Point{50, 120}, 5);
  EXPECT_EQ((Journal{"down", "cancel"}), events);
  EXPECT_EQ((Point{100, 0}), scroll_->contentOffset());
  EXPECT_FALSE(button->isHighlighted());
}

TEST_F(ScrollViewTest, ZoomScalesTheDelegatesViewWithinLimits) {
  auto picture = std::make_shared<View>(Rect(0, 0, 320, 480));
  scroll_->addSubview(picture);
  recorder_->zoomView = picture;
  scroll_->setMinimumZoomScale(1);
  scroll_->setMaximumZoomScale(3);
  scroll_->setZoomScale(2);
  EXPECT_EQ(Rect(0, 0, 640, 960), picture->frame());
  EXPECT_EQ((Size{640, 960}), scroll_->contentSize());
  scroll_->setZoomScale(10, true);
  EXPECT_EQ(3.f, scroll_->zoomScale());
  clock_->advance(ScrollView::kScrollAnimationDuration);
  runDueMainLoopTasks();
  EXPECT_EQ((Journal{"zoom 2.000000", "zoom 3.000000", "endZooming 3.000000"}), journal());
}

}  // namespace
}  // namespace zu::ui
