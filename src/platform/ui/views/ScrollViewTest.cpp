#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/runtime/Clock.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/motion/Presentation.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/Window.h"
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
  // Turns frames of the main loop for `seconds` of the clock.
  void runFrames(double seconds) {
    for (double t = 0; t < seconds; t += ScrollView::kFrameInterval) {
      clock_->advance(ScrollView::kFrameInterval);
      runDueMainLoopTasks();
    }
  }
  // A button in the content at (100, 100, 120, 40) that notes its touch down, up inside and
  // cancel in `events`.
  std::shared_ptr<Button> contentButton(Journal& events) {
    auto button = Button::create(ButtonType::RoundedRect);
    button->setFrame(Rect(100, 100, 120, 40));
    scroll_->addSubview(button);
    button->addTarget(this, kControlEventTouchDown, [&events](Control&) { events.push_back("down"); });
    button->addTarget(this, kControlEventTouchUpInside, [&events](Control&) { events.push_back("upInside"); });
    button->addTarget(this, kControlEventTouchCancel, [&events](Control&) { events.push_back("cancel"); });
    return button;
  }
  // A 320 × 480 view filling the content, the one the delegate gives to zoom, up to 3 times.
  std::shared_ptr<View> zoomablePicture() {
    auto picture = std::make_shared<View>(Rect(0, 0, 320, 480));
    scroll_->addSubview(picture);
    scroll_->setContentSize(Size{320, 480});
    recorder_->zoomView = picture;
    scroll_->setMaximumZoomScale(3);
    return picture;
  }
  // Where `content` is drawn in the scroll view's visible area `time` from now.
  Rect shownAt(const View& content, double time) const {
    const Presentation presentation(Clock::get()->monotonic() + time);
    const PresentedState scroll = presentation.stateOf(*scroll_);
    return presentation.stateOf(content).frame().offsetBy(-scroll.bounds.origin.x, -scroll.bounds.origin.y);
  }
  // Journal entries from `from` on that are not did-scroll reports.
  Journal withoutScrolls(size_t from = 0) const {
    Journal out;
    for (size_t i = from; i < recorder_->journal.size(); ++i) {
      if (recorder_->journal[i].rfind("scroll ", 0) != 0) out.push_back(recorder_->journal[i]);
    }
    return out;
  }

  ScopedFakeClock clock_;
  std::shared_ptr<Window> window_;
  std::shared_ptr<ScrollView> scroll_;
  std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
};

TEST_F(ScrollViewTest, DragThatSnapsOntoAPage) {
  scroll_->setPagingEnabled(true);
  scroll_->beginDrag(Point{300, 100});
  scroll_->dragTo(Point{300, 100});  // no movement: still a drag start, no scroll
  scroll_->dragTo(Point{100, 120});  // vertical movement ignored: content is one screen high
  EXPECT_EQ((Point{200, 0}), scroll_->contentOffset());
  EXPECT_TRUE(scroll_->endDrag());   // 200 is nearer page 1 (320) than page 0
  EXPECT_EQ((Point{200, 0}), scroll_->contentOffset());
  EXPECT_EQ((Point{320, 0}), scroll_->decelerationTarget());
  // The snap is a critically damped spring: 320 − 120·(1 + 20t)·e^(−20t).
  clock_->advance(0.1);
  runDueMainLoopTasks();
  EXPECT_NEAR(271.28f, scroll_->contentOffset().x, 0.02f);
  clock_->advance(0.1);
  runDueMainLoopTasks();
  EXPECT_NEAR(309.01f, scroll_->contentOffset().x, 0.02f);
  EXPECT_TRUE(scroll_->isDecelerating());
  runFrames(0.5);
  EXPECT_FALSE(scroll_->isDecelerating());
  EXPECT_EQ((Point{320, 0}), scroll_->contentOffset());
  ASSERT_GT(journal().size(), 6u);
  EXPECT_EQ((Journal{"willBeginDragging [TD-]", "scroll {200, 0} [TD-]", "didEndDragging decelerate [-D-]",
                     "willBeginDecelerating [--E]"}),
            Journal(journal().begin(), journal().begin() + 4));
  // One did scroll a frame while decelerating; the end is reported once, at rest.
  for (size_t i = 4; i + 1 < journal().size(); ++i) {
    EXPECT_EQ(0u, journal()[i].rfind("scroll {", 0));
    EXPECT_EQ(" [--E]", journal()[i].substr(journal()[i].size() - 6));
  }
  EXPECT_EQ("scroll {320, 0} [--E]", journal()[journal().size() - 2]);
  EXPECT_EQ("didEndDecelerating [---]", journal().back());

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
  EXPECT_NEAR(-15.69f, scroll_->contentOffset().x, 0.01f);  // the rubber band's resistance
  EXPECT_TRUE(scroll_->endDrag());
  runFrames(1);
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

TEST_F(ScrollViewTest, GrowingPastTheOffsetBringsItBackToTheLargestOne) {
  scroll_->setFrame(Rect(0, 0, 320, 200));
  scroll_->setContentSize(Size{320, 300});
  scroll_->setContentOffset(Point{0, 80});
  journal().clear();
  // Still reachable: it stays.
  scroll_->setFrame(Rect(0, 0, 320, 220));
  EXPECT_EQ((Point{0, 80}), scroll_->contentOffset());
  EXPECT_TRUE(journal().empty());
  // Grown over all the content: back to the top, heard as a scroll.
  scroll_->setFrame(Rect(0, 0, 320, 416));
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  EXPECT_EQ((Journal{"scroll {0, 0} [---]"}), journal());
  EXPECT_EQ((Rect(0, 0, 320, 416)), scroll_->frame());
  // Part of the way: to the largest offset left.
  scroll_->setFrame(Rect(0, 0, 320, 100));
  scroll_->setContentOffset(Point{0, 200});
  scroll_->setFrame(Rect(0, 0, 320, 150));
  EXPECT_EQ((Point{0, 150}), scroll_->contentOffset());
  // A finger on the content keeps what it pulled.
  scroll_->setContentOffset(Point{0, 150});
  scroll_->beginDrag(Point{100, 100});
  scroll_->dragTo(Point{100, 60});
  const Point pulled = scroll_->contentOffset();
  scroll_->setFrame(Rect(0, 0, 320, 300));
  EXPECT_EQ(pulled, scroll_->contentOffset());
  scroll_->endDrag();
  scroll_->finishDecelerating();
}

// A view grown for a moment (a screen's bottom bar sliding away under it) and given its size
// back returns to the offset it had before, as long as nothing else moved the content or gave it
// another size between (a list reloaded with other rows is shown from the offset it got).
TEST_F(ScrollViewTest, AViewGrownAndShrunkBackKeepsItsOffset) {
  auto growPastTheEnd = [&](float contentHeight) {
    scroll_->setFrame(Rect(0, 0, 320, 367));
    scroll_->setContentSize(Size{320, contentHeight});
    scroll_->setContentOffset(Point{0, contentHeight - 367});
    scroll_->setFrame(Rect(0, 0, 320, 416));
  };
  growPastTheEnd(404);
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  scroll_->setFrame(Rect(0, 0, 320, 390));
  EXPECT_EQ((Point{0, 14}), scroll_->contentOffset());
  scroll_->setFrame(Rect(0, 0, 320, 367));
  EXPECT_EQ((Point{0, 37}), scroll_->contentOffset());
  // An offset set while grown is the one kept.
  scroll_->setFrame(Rect(0, 0, 320, 390));
  scroll_->setContentOffset(Point{0, 4});
  scroll_->setFrame(Rect(0, 0, 320, 367));
  EXPECT_EQ((Point{0, 4}), scroll_->contentOffset());
  // Content of another size while grown keeps the offset it got.
  growPastTheEnd(404);
  scroll_->setContentSize(Size{320, 2000});
  scroll_->setFrame(Rect(0, 0, 320, 367));
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  // The same size set again (a layout pass) is no change of the content.
  growPastTheEnd(2000);
  EXPECT_EQ((Point{0, 1584}), scroll_->contentOffset());
  scroll_->setContentSize(Size{320, 2000});
  scroll_->setFrame(Rect(0, 0, 320, 367));
  EXPECT_EQ((Point{0, 1633}), scroll_->contentOffset());
}

// A fling's end was planned for the content at its release; content that shrinks (or a view that
// grows) on the way leaves its resting offset past the new end, and the content springs back
// there instead of resting over nothing.
TEST_F(ScrollViewTest, ADecelerationThatEndsPastAShrunkenContentSpringsBack) {
  scroll_->setContentSize(Size{320, 5000});
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 250});
  ASSERT_TRUE(scroll_->endDrag(Point{0, 2000}));
  runFrames(0.1);
  ASSERT_TRUE(scroll_->isDecelerating());
  scroll_->setContentSize(Size{320, 600});  // the end is now at 120
  for (int frame = 0; frame < 600 && scroll_->isDecelerating(); ++frame) runFrames(ScrollView::kFrameInterval);
  EXPECT_FALSE(scroll_->isDecelerating());
  EXPECT_EQ((Point{0, 120}), scroll_->contentOffset());
  EXPECT_EQ("didEndDecelerating [---]", journal().back());

  // Grown while it moves, then stopped at once: at rest inside the content too.
  scroll_->setContentSize(Size{320, 5000});
  scroll_->setContentOffset(Point{0, 0});
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 250});
  ASSERT_TRUE(scroll_->endDrag(Point{0, 2000}));
  runFrames(0.1);
  scroll_->setFrame(Rect(0, 0, 320, 4900));  // the end is now at 100
  scroll_->finishDecelerating();
  EXPECT_FALSE(scroll_->isDecelerating());
  EXPECT_EQ((Point{0, 100}), scroll_->contentOffset());

  // Without bounces it stops on the end.
  scroll_->setFrame(Rect(0, 0, 320, 480));
  scroll_->setBounces(false);
  scroll_->setContentOffset(Point{0, 0});
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 250});
  ASSERT_TRUE(scroll_->endDrag(Point{0, 2000}));
  runFrames(0.1);
  scroll_->setContentSize(Size{320, 600});
  for (int frame = 0; frame < 600 && scroll_->isDecelerating(); ++frame) runFrames(ScrollView::kFrameInterval);
  EXPECT_EQ((Point{0, 120}), scroll_->contentOffset());
}

TEST_F(ScrollViewTest, AnimatedOffsetChangesAreLoggedAndEndByTheClock) {
  scroll_->setContentOffset(Point{320, 0}, true);
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  auto record = AnimationLog::shared().last();
  ASSERT_TRUE(record);
  EXPECT_EQ(AnimatableValue(Point{320, 0}), record->change(scroll_.get(), "contentOffset")->to);
  // Frame by frame, eased: a quarter of the way after a fifth of the time, half-way half-way.
  clock_->advance(ScrollView::kScrollAnimationDuration * 0.2);
  runDueMainLoopTasks();
  EXPECT_NEAR(33.28f, scroll_->contentOffset().x, 0.01f);
  clock_->advance(ScrollView::kScrollAnimationDuration * 0.3);
  runDueMainLoopTasks();
  EXPECT_NEAR(160, scroll_->contentOffset().x, 0.01f);
  EXPECT_TRUE(scroll_->isScrollAnimating());
  clock_->advance(ScrollView::kScrollAnimationDuration * 0.5);
  runDueMainLoopTasks();
  EXPECT_FALSE(scroll_->isScrollAnimating());
  ASSERT_EQ(4u, journal().size());
  EXPECT_EQ((Journal{"scroll {320, 0} [---]", "didEndScrollingAnimation [---]"}),
            Journal(journal().begin() + 2, journal().end()));

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
  EXPECT_TRUE(watcher->endDragDeceleratingTo(Point{400, 0}));
  watcher->finishDecelerating();
  watcher->setContentOffset(Point{10, 0}, true);
  clock_->advance(ScrollView::kScrollAnimationDuration);
  runDueMainLoopTasks();
  watcher->setContentOffset(Point{20, 0}, false);
  EXPECT_EQ((Journal{"{50, 0} T", "{400, 0} E", "{10, 0}", "{20, 0}"}), watcher->seen);
  EXPECT_EQ((Point{20, 0}), watcher->contentOffset());

  // So does each frame of a deceleration.
  watcher->seen.clear();
  watcher->beginDrag(Point{300, 100});
  watcher->dragTo(Point{290, 100});
  EXPECT_TRUE(watcher->endDragDeceleratingTo(Point{100, 0}));
  clock_->advance(0.05);
  runDueMainLoopTasks();
  clock_->advance(0.05);
  runDueMainLoopTasks();
  ASSERT_EQ(3u, watcher->seen.size());
  EXPECT_EQ(" E", watcher->seen[2].substr(watcher->seen[2].size() - 2));

  // Flashes are counted, one per call.
  EXPECT_EQ(0, watcher->scrollIndicatorFlashes());
  watcher->flashScrollIndicators();
  watcher->flashScrollIndicators();
  EXPECT_EQ(2, watcher->scrollIndicatorFlashes());
}

// A fling decelerates by the phone's curve: from a release at v points per second, the offset
// after t ms is v/1000 · r·(1 − r^t)/(1 − r) further, r = 0.998, until its speed is under 10
// points per second.
TEST_F(ScrollViewTest, FlingFollowsTheExponentialCurveAndStopsWhenSlow) {
  scroll_->setContentSize(Size{320, 5000});
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 250});
  ASSERT_EQ((Point{0, 50}), scroll_->contentOffset());
  EXPECT_TRUE(scroll_->endDrag(Point{0, 2000}));
  // 998 points in all: 181.07 after 0.1 s, 631.23 after 0.5 s, 863.21 after 1 s.
  clock_->advance(0.1);
  runDueMainLoopTasks();
  EXPECT_NEAR(50 + 181.07f, scroll_->contentOffset().y, 0.05f);
  clock_->advance(0.4);
  runDueMainLoopTasks();
  EXPECT_NEAR(50 + 631.23f, scroll_->contentOffset().y, 0.05f);
  clock_->advance(0.5);
  runDueMainLoopTasks();
  EXPECT_NEAR(50 + 863.21f, scroll_->contentOffset().y, 0.05f);
  EXPECT_EQ(0, scroll_->contentOffset().x);
  // Under 10 points per second 2.646 s after the release, 5 points short of the whole way.
  clock_->advance(1.6);
  runDueMainLoopTasks();
  EXPECT_TRUE(scroll_->isDecelerating());
  clock_->advance(0.05);
  runDueMainLoopTasks();
  EXPECT_FALSE(scroll_->isDecelerating());
  EXPECT_NEAR(50 + 993.0f, scroll_->contentOffset().y, 0.05f);
  EXPECT_EQ((Journal{"willBeginDragging [TD-]", "didEndDragging decelerate [-D-]", "willBeginDecelerating [--E]",
                     "didEndDecelerating [---]"}),
            withoutScrolls());

  // A faster rate stops sooner: 0.99 keeps a 2000 point-per-second fling to 198 points.
  journal().clear();
  scroll_->setDecelerationRate(ScrollView::kDecelerationRateFast);
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 290});
  const float from = scroll_->contentOffset().y;
  EXPECT_TRUE(scroll_->endDrag(Point{0, 2000}));
  EXPECT_NEAR(from + 198 - 1, scroll_->decelerationTarget().y, 0.2f);
  runFrames(1);
  EXPECT_FALSE(scroll_->isDecelerating());
  EXPECT_EQ(scroll_->decelerationTarget(), scroll_->contentOffset());
}

// A fling into the end runs past it a little, slows and comes back to rest exactly on it; without
// bouncing it stops there.
TEST_F(ScrollViewTest, FlingIntoTheEdgeOvershootsAndBouncesBack) {
  scroll_->setContentSize(Size{320, 1000});  // the end is at 520
  scroll_->setContentOffset(Point{0, 400});
  journal().clear();
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 290});
  EXPECT_TRUE(scroll_->endDrag(Point{0, 3000}));
  EXPECT_EQ((Point{0, 520}), scroll_->decelerationTarget());
  float furthest = 0;
  for (int frame = 0; frame < 120 && scroll_->isDecelerating(); ++frame) {
    runFrames(ScrollView::kFrameInterval);
    furthest = std::max(furthest, scroll_->contentOffset().y);
  }
  EXPECT_FALSE(scroll_->isDecelerating());
  EXPECT_GT(furthest, 530);
  EXPECT_LT(furthest, 600);
  EXPECT_EQ((Point{0, 520}), scroll_->contentOffset());
  EXPECT_EQ("didEndDecelerating [---]", journal().back());

  scroll_->setBounces(false);
  scroll_->setContentOffset(Point{0, 400});
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 290});
  EXPECT_TRUE(scroll_->endDrag(Point{0, 3000}));
  for (int frame = 0; frame < 120 && scroll_->isDecelerating(); ++frame) {
    runFrames(ScrollView::kFrameInterval);
    EXPECT_LE(scroll_->contentOffset().y, 520);
  }
  EXPECT_EQ((Point{0, 520}), scroll_->contentOffset());

  // A scroll view freed while it moves leaves nothing behind that would run.
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 350});
  EXPECT_TRUE(scroll_->endDrag(Point{0, -3000}));
  scroll_->setContentOffset(Point{0, 100}, true);
  scroll_->removeFromSuperview();
  scroll_.reset();
  runFrames(1);
}

// Past an edge the content follows the finger with resistance, (1 − 1/(x·0.55/d + 1))·d for a
// pull of x over a length d; a new drag picks up where the band is, and the release springs back.
TEST_F(ScrollViewTest, RubberBandPastTheEdgeAndTheBounceBack) {
  scroll_->setContentSize(Size{320, 1000});
  scroll_->beginDrag(Point{100, 100});
  scroll_->dragTo(Point{100, 200});  // 100 points past the top of a 480-point view
  EXPECT_NEAR(-49.35f, scroll_->contentOffset().y, 0.01f);
  scroll_->dragTo(Point{100, 300});
  EXPECT_NEAR(-89.49f, scroll_->contentOffset().y, 0.01f);
  scroll_->dragTo(Point{100, 100});  // back where it began: no resistance left
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  scroll_->dragTo(Point{100, 200});
  EXPECT_TRUE(scroll_->endDrag());
  // Caught again mid-bounce: no jump, and the pull goes on from where the band is.
  clock_->advance(0.05);
  runDueMainLoopTasks();
  const float caught = scroll_->contentOffset().y;
  EXPECT_LT(caught, -10);
  EXPECT_GT(caught, -49.35f);
  scroll_->beginDrag(Point{100, 150});
  scroll_->dragTo(Point{100, 150});
  EXPECT_NEAR(caught, scroll_->contentOffset().y, 0.01f);
  journal().clear();
  EXPECT_TRUE(scroll_->endDrag());
  float nearest = caught;
  for (int frame = 0; frame < 60 && scroll_->isDecelerating(); ++frame) {
    runFrames(ScrollView::kFrameInterval);
    EXPECT_GE(scroll_->contentOffset().y, nearest);  // straight back, never past the edge
    nearest = scroll_->contentOffset().y;
  }
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  EXPECT_EQ((Journal{"didEndDragging decelerate [-D-]", "willBeginDecelerating [--E]", "didEndDecelerating [---]"}),
            withoutScrolls());
  // The bottom edge resists the same way.
  scroll_->setContentOffset(Point{0, 520});
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 200});
  EXPECT_NEAR(520 + 49.35f, scroll_->contentOffset().y, 0.01f);
  scroll_->endDrag();
  scroll_->finishDecelerating();
  EXPECT_EQ((Point{0, 520}), scroll_->contentOffset());
}

// The indicators show while the content moves and fade out after it stops.
TEST_F(ScrollViewTest, IndicatorsShowWhileScrollingAndFade) {
  scroll_->setContentSize(Size{320, 1920});  // a quarter of it visible
  scroll_->setBackgroundColor(Color::whiteColor());
  auto barAt = [&](int x, int y) {
    auto picture = render(*scroll_);
    return picture->colorAt(x, y) != Color::whiteColor();
  };
  EXPECT_FALSE(barAt(316, 60));
  scroll_->beginDrag(Point{100, 300});
  scroll_->dragTo(Point{100, 200});  // offset 100 of 1440: the bar, 119 long, from y 26.8
  EXPECT_EQ(1.f, scroll_->scrollIndicatorAlpha());
  EXPECT_TRUE(barAt(316, 60));
  EXPECT_FALSE(barAt(316, 160));
  EXPECT_FALSE(barAt(300, 60));
  EXPECT_FALSE(barAt(160, 476));  // nothing to scroll across: no horizontal bar
  EXPECT_TRUE(writeSnapshot(*render(*scroll_), "scroll-indicator").has_value());
  EXPECT_FALSE(scroll_->endDrag());
  clock_->advance(ScrollView::kIndicatorFadeDelay);
  runDueMainLoopTasks();
  EXPECT_EQ(1.f, scroll_->scrollIndicatorAlpha());
  runFrames(ScrollView::kIndicatorFadeDuration / 2);
  EXPECT_GT(scroll_->scrollIndicatorAlpha(), 0.2f);
  EXPECT_LT(scroll_->scrollIndicatorAlpha(), 0.8f);
  runFrames(ScrollView::kIndicatorFadeDuration / 2 + 0.05);
  EXPECT_EQ(0.f, scroll_->scrollIndicatorAlpha());
  EXPECT_FALSE(barAt(316, 60));

  // A flash shows them for a second; hidden indicators are never drawn.
  scroll_->flashScrollIndicators();
  EXPECT_TRUE(barAt(316, 60));
  runFrames(ScrollView::kFlashDuration - 0.02);
  EXPECT_EQ(1.f, scroll_->scrollIndicatorAlpha());
  runFrames(0.02);
  runFrames(ScrollView::kIndicatorFadeDuration + 0.05);
  EXPECT_EQ(0.f, scroll_->scrollIndicatorAlpha());
  scroll_->setShowsVerticalScrollIndicator(false);
  scroll_->flashScrollIndicators();
  EXPECT_FALSE(barAt(316, 60));
}

// The wheel scrolls the scroll view under the pointer as a drag without a finger; a paged view
// goes on to the next page in the wheel's direction, one page per gesture.
TEST_F(ScrollViewTest, WheelScrollsTheViewUnderThePointer) {
  scroll_->setPagingEnabled(true);
  auto inner = std::make_shared<ScrollView>(Rect(20, 20, 200, 200));
  inner->setContentSize(Size{200, 1000});
  auto innerRecorder = std::make_shared<Recorder>();
  inner->setDelegate(innerRecorder);
  auto content = std::make_shared<View>(Rect(0, 0, 200, 1000));
  inner->addSubview(content);
  scroll_->addSubview(inner);

  // Over the inner view a vertical wheel scrolls it, in steps, held inside its edges.
  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{100, 100}, Point{0, 40}));
  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{100, 100}, Point{0, 40}));
  EXPECT_EQ((Point{0, 80}), inner->contentOffset());
  EXPECT_TRUE(inner->isDragging());
  clock_->advance(ScrollView::kWheelPause);
  runDueMainLoopTasks();
  EXPECT_FALSE(inner->isTracking());
  EXPECT_EQ((Journal{"willBeginDragging [TD-]", "scroll {0, 40} [TD-]", "scroll {0, 80} [TD-]", "didEndDragging stop [-D-]"}),
            innerRecorder->journal);
  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{100, 100}, Point{0, 5000}));
  EXPECT_EQ((Point{0, 800}), inner->contentOffset());
  clock_->advance(ScrollView::kWheelPause);
  runDueMainLoopTasks();
  // At its end the inner view keeps the wheel: the paged view around it does not turn.
  EXPECT_FALSE(ScrollView::wheelAt(*window_, Point{100, 100}, Point{0, 40}));
  EXPECT_EQ((Point{0, 800}), inner->contentOffset());
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());

  // Beside it the paged view takes the vertical wheel across, and settles on the next page.
  EXPECT_TRUE(journal().empty());
  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{280, 400}, Point{0, 40}));
  EXPECT_EQ((Point{40, 0}), scroll_->contentOffset());
  clock_->advance(ScrollView::kWheelPause);
  runDueMainLoopTasks();
  EXPECT_TRUE(scroll_->isDecelerating());
  runFrames(0.6);
  EXPECT_EQ((Point{320, 0}), scroll_->contentOffset());
  EXPECT_EQ((Journal{"willBeginDragging [TD-]", "didEndDragging decelerate [-D-]", "willBeginDecelerating [--E]",
                     "didEndDecelerating [---]"}),
            withoutScrolls());
  // Back: a small turn the other way returns to page 0; at the start there is nothing to take.
  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{280, 400}, Point{0, -10}));
  clock_->advance(ScrollView::kWheelPause);
  runDueMainLoopTasks();
  scroll_->finishDecelerating();
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  EXPECT_FALSE(ScrollView::wheelAt(*window_, Point{280, 400}, Point{0, -10}));
  // A finger takes over a wheel gesture: the wheel's drag ends first.
  journal().clear();
  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{280, 400}, Point{0, 10}));
  scroll_->beginDrag(Point{280, 400});
  EXPECT_FALSE(ScrollView::wheelAt(*window_, Point{280, 400}, Point{0, 10}));
  EXPECT_EQ((Journal{"willBeginDragging [TD-]", "scroll {10, 0} [TD-]", "didEndDragging stop [-D-]"}), journal());
  scroll_->endDrag();
  // Scrolling switched off: the wheel does nothing.
  scroll_->finishDecelerating();
  scroll_->setScrollEnabled(false);
  EXPECT_FALSE(ScrollView::wheelAt(*window_, Point{280, 400}, Point{0, 40}));
}

// A vertical wheel over a short page (a web page's scroll view: no room, but it bounces up and
// down) stops there instead of turning the paged browser around it to the next article; a
// sideways wheel still turns it, and so does a vertical one over a part with no vertical
// scroller (the home grid's tiles).
TEST_F(ScrollViewTest, AVerticalWheelStopsAtTheVerticalScrollerItStartedOver) {
  scroll_->setPagingEnabled(true);
  auto page = std::make_shared<ScrollView>(Rect(0, 0, 320, 300));
  page->setContentSize(Size{320, 200});
  page->setAlwaysBounceVertical(true);
  scroll_->addSubview(page);
  auto tile = std::make_shared<View>(Rect(0, 300, 320, 180));
  scroll_->addSubview(tile);

  EXPECT_FALSE(ScrollView::wheelAt(*window_, Point{100, 100}, Point{0, 40}));
  EXPECT_FALSE(ScrollView::wheelAt(*window_, Point{100, 100}, Point{0, -40}));
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  EXPECT_TRUE(journal().empty());

  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{100, 100}, Point{40, 0}));
  EXPECT_EQ((Point{40, 0}), scroll_->contentOffset());
  clock_->advance(ScrollView::kWheelPause);
  runDueMainLoopTasks();
  scroll_->finishDecelerating();
  EXPECT_EQ((Point{320, 0}), scroll_->contentOffset());

  EXPECT_TRUE(ScrollView::wheelAt(*window_, Point{100, 400}, Point{0, 40}));
  clock_->advance(ScrollView::kWheelPause);
  runDueMainLoopTasks();
  scroll_->finishDecelerating();
  EXPECT_EQ((Point{640, 0}), scroll_->contentOffset());
}

TEST_F(ScrollViewTest, ScrollingCancelsTheTouchOfAButtonInTheContent) {
  Journal events;
  auto button = contentButton(events);
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

// A scroll view that may not cancel content touches leaves a button the touch it has held for
// the content delay; a finger that moves sooner still scrolls.
TEST_F(ScrollViewTest, ContentKeepsATouchItHeldWhenTheScrollViewMayNotCancelIt) {
  scroll_->setCanCancelContentTouches(false);
  Journal events;
  auto button = contentButton(events);
  auto t = window_->beginTouch(Point{150, 120});
  clock_->advance(ScrollView::kContentTouchDelay);
  for (float x = 140; x >= 50; x -= 10) window_->moveTouch(t, Point{x, 120});
  window_->moveTouch(t, Point{150, 120});
  window_->endTouch(t);
  EXPECT_EQ((Journal{"down", "upInside"}), events);
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  EXPECT_FALSE(scroll_->isDragging());

  events.clear();
  clock_->advance(1);
  window_->drag(Point{150, 120}, Point{50, 120}, 5);
  EXPECT_EQ((Journal{"down", "cancel"}), events);
  EXPECT_EQ((Point{100, 0}), scroll_->contentOffset());
}

// A slider in the content keeps the touch it tracks: dragged from its thumb past either end, with
// the finger wandering up and down by more than a scroll's threshold, it follows to the end and
// sends its value as it moves, and the scroll view never scrolls; a drag that begins beside it
// still scrolls, and a disabled slider, which tracks nothing, lets the drag scroll.
TEST_F(ScrollViewTest, ASliderInTheContentKeepsTheTouchItTracks) {
  scroll_->setContentSize(Size{320, 960});
  auto slider = std::make_shared<Slider>(Rect(60, 100, 200, 23));
  scroll_->addSubview(slider);
  std::vector<float> sent;
  slider->addTarget(this, kControlEventValueChanged, [&sent](Control& c) { sent.push_back(static_cast<Slider&>(c).value()); });
  auto t = window_->beginTouch(Point{71, 111});
  for (float x = 81; x <= 400; x += 20) window_->moveTouch(t, Point{x, 111 + (x > 200 ? 40.f : -15.f)});
  EXPECT_FLOAT_EQ(1, slider->value());
  window_->moveTouch(t, Point{-40, 60});
  window_->endTouch(t);
  EXPECT_FLOAT_EQ(0, slider->value());
  ASSERT_GT(sent.size(), 8u);
  EXPECT_FLOAT_EQ(1, *std::max_element(sent.begin(), sent.end()));
  EXPECT_FLOAT_EQ(0, sent.back());
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  EXPECT_TRUE(journal().empty()) << journal().front();

  slider->setEnabled(false);
  clock_->advance(1);
  window_->drag(Point{71, 111}, Point{171, 61}, 5);
  EXPECT_EQ((Point{0, 50}), scroll_->contentOffset());
  EXPECT_FLOAT_EQ(0, slider->value());

  clock_->advance(1);
  window_->drag(Point{30, 300}, Point{30, 200}, 5);
  EXPECT_EQ((Point{0, 150}), scroll_->contentOffset());
}

// A slider keeps only a touch it has taken hold of: a swipe up or down that begins on its track,
// away from the thumb, scrolls and moves nothing (the slider's touch is cancelled, no value is
// sent); a drag along the track from there follows the finger; a tap on the track sets the value
// where it lifts; a finger that lands just beside the thumb holds it, keeping where it took hold,
// and keeps it whichever way it moves.
TEST_F(ScrollViewTest, ASwipeThatBeginsOnASlidersTrackScrolls) {
  scroll_->setContentSize(Size{320, 960});
  auto slider = std::make_shared<Slider>(Rect(60, 100, 200, 23));
  slider->setValue(0.5f);  // the thumb at x 148.5–171.5 of the scroll view
  scroll_->addSubview(slider);
  std::vector<float> sent;
  int cancels = 0;
  slider->addTarget(this, kControlEventValueChanged, [&sent](Control& c) { sent.push_back(static_cast<Slider&>(c).value()); });
  slider->addTarget(this, kControlEventTouchCancel, [&cancels](Control&) { ++cancels; });

  window_->drag(Point{90, 111}, Point{94, 11}, 10);
  EXPECT_EQ((Point{0, 100}), scroll_->contentOffset());
  EXPECT_FLOAT_EQ(0.5f, slider->value());
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(1, cancels);

  // Along the track from the same place (now 100 points higher on the screen): the thumb's middle
  // goes to the finger and follows it past the end, however far up or down it then wanders.
  clock_->advance(1);
  scroll_->finishDecelerating();
  auto t = window_->beginTouch(Point{90, 11});
  EXPECT_FLOAT_EQ(0.5f, slider->value());
  window_->moveTouch(t, Point{84, 12});
  EXPECT_NEAR((24 - 11.5f) / 177, slider->value(), 1e-4);
  for (float x = 100; x <= 340; x += 30) window_->moveTouch(t, Point{x, 11 + (x - 100) / 3});
  window_->endTouch(t);
  EXPECT_FLOAT_EQ(1, slider->value());
  EXPECT_EQ((Point{0, 100}), scroll_->contentOffset());
  EXPECT_GT(sent.size(), 5u);

  sent.clear();
  clock_->advance(1);
  t = window_->beginTouch(Point{71.5f, 11});
  EXPECT_FLOAT_EQ(1, slider->value());
  window_->moveTouch(t, Point{73.5f, 12});
  window_->endTouch(t);
  EXPECT_NEAR(2 / 177.f, slider->value(), 1e-4);
  EXPECT_EQ((std::vector<float>{slider->value()}), sent);

  // 4 points right of the thumb (now at x 62–85): the finger holds it, 15.5 points right of its
  // middle, moves it that far from itself, and keeps it on a swipe up.
  clock_->advance(1);
  t = window_->beginTouch(Point{89, 11});
  EXPECT_NEAR(2 / 177.f, slider->value(), 1e-4);
  for (float y = 1; y >= -99; y -= 10) window_->moveTouch(t, Point{109, y});
  window_->endTouch(t);
  EXPECT_NEAR(22 / 177.f, slider->value(), 1e-4);
  EXPECT_EQ((Point{0, 100}), scroll_->contentOffset());
  EXPECT_EQ(1, cancels);
}

// The indicator style colours the bar: dark with a light rim, dark alone, or white.
TEST_F(ScrollViewTest, TheIndicatorStyleColoursTheBar) {
  scroll_->setBackgroundColor(Color::blackColor());
  scroll_->setShowsVerticalScrollIndicator(false);
  scroll_->flashScrollIndicators();
  // The horizontal bar lies 2 points above the bottom edge, 3 thick: rows 475–477.
  auto level = [&](int y) {
    auto image = render(*scroll_);
    return static_cast<int>(image->pixelAt(20, y) >> 8 & 0xff);
  };
  EXPECT_EQ(ScrollViewIndicatorStyle::Default, scroll_->indicatorStyle());
  EXPECT_NEAR(128, level(474), 3);  // the rim, light over the black content
  EXPECT_NEAR(64, level(476), 3);   // the bar, dark over the rim
  scroll_->setIndicatorStyle(ScrollViewIndicatorStyle::Black);
  EXPECT_EQ(0, level(474));
  EXPECT_EQ(0, level(476));
  scroll_->setIndicatorStyle(ScrollViewIndicatorStyle::White);
  EXPECT_EQ(0, level(474));
  EXPECT_NEAR(128, level(476), 3);
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
  EXPECT_EQ((Journal{"zoom 2.000000", "zoom 3.000000", "endZooming 3.000000"}), withoutScrolls());
}

// An animated zoom keeps the middle of the visible content in the middle, moving the offset in
// step with the scale, so its last frame is where it comes to rest; zooming out from a corner
// brings the content back inside the new edges instead of leaving it off screen.
TEST_F(ScrollViewTest, AnAnimatedZoomKeepsTheMiddleAndRestsWhereItsLastFrameShowed) {
  auto picture = zoomablePicture();
  auto shown = [&](double time) { return shownAt(*picture, time); };
  const double duration = ScrollView::kScrollAnimationDuration;
  scroll_->setZoomScale(2, true);
  EXPECT_EQ((Point{160, 240}), scroll_->contentOffset());
  EXPECT_EQ(Rect(0, 0, 320, 480), shown(0));
  const Rect middle = shown(duration / 2);
  EXPECT_NEAR(480, middle.size.width, 1);  // half way between 320 and 640
  EXPECT_NEAR(160, middle.midX(), 1);      // about the visible middle all the way
  EXPECT_NEAR(240, middle.midY(), 1);
  const Rect last = shown(duration - 0.001);
  EXPECT_NEAR(-160, last.minX(), 1);
  EXPECT_NEAR(-240, last.minY(), 1);
  EXPECT_NEAR(640, last.size.width, 1);
  runFrames(duration + 0.05);
  EXPECT_EQ(Rect(-160, -240, 640, 960), shown(0));

  // From the bottom right corner back to 1: the offset comes home along the same curve.
  scroll_->setContentOffset(Point{320, 480});
  scroll_->setZoomScale(1, true);
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  EXPECT_EQ(Rect(-320, -480, 640, 960), shown(0));
  const Rect before = shown(duration - 0.001);
  EXPECT_NEAR(0, before.minX(), 1);
  EXPECT_NEAR(320, before.size.width, 1);
  runFrames(duration + 0.05);
  EXPECT_EQ(Rect(0, 0, 320, 480), shown(0));

  // A rectangle to zoom to comes to the middle, in the same animation.
  scroll_->zoomToRect(Rect(160, 240, 160, 240), true);
  EXPECT_EQ(2.f, scroll_->zoomScale());
  EXPECT_EQ((Point{320, 480}), scroll_->contentOffset());
  EXPECT_EQ(Rect(0, 0, 320, 480), shown(0));
  runFrames(duration + 0.05);
  EXPECT_EQ(Rect(-320, -480, 640, 960), shown(0));
}

// A zoom that starts while a flung content decelerates ends the deceleration where it is: the
// content then moves only with the zoom, and comes to rest where the zoom's last frame showed
// it, the delegate told that the deceleration ended.
TEST_F(ScrollViewTest, AZoomDuringADecelerationStopsItAndRestsWhereItsLastFrameShowed) {
  auto picture = zoomablePicture();
  scroll_->setZoomScale(2, false);
  ASSERT_EQ((Point{160, 240}), scroll_->contentOffset());
  // A fling towards the bottom right.
  scroll_->beginDrag(Point{200, 300});
  scroll_->dragTo(Point{190, 290});
  ASSERT_TRUE(scroll_->endDragDeceleratingTo(Point{300, 460}));
  runFrames(0.05);
  ASSERT_TRUE(scroll_->isDecelerating());
  const Point at = scroll_->contentOffset();
  const size_t mark = journal().size();
  scroll_->setZoomScale(1, true);
  EXPECT_FALSE(scroll_->isDecelerating());
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  auto shown = [&] { return shownAt(*picture, 0); };
  // Every frame shows the picture between where the fling left it and its resting place.
  for (int frame = 0; frame < 30; ++frame) {
    runFrames(ScrollView::kFrameInterval);
    const Rect now = shown();
    EXPECT_GE(now.minX(), -at.x - 0.5f);
    EXPECT_LE(now.minX(), 0.5f);
    EXPECT_GE(now.minY(), -at.y - 0.5f);
    EXPECT_LE(now.minY(), 0.5f);
  }
  EXPECT_EQ(Rect(0, 0, 320, 480), shown());
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());
  const Journal after = withoutScrolls(mark);
  EXPECT_NE(after.end(), std::find(after.begin(), after.end(), "didEndDecelerating [---]"));
}

}  // namespace
}  // namespace zu::ui
