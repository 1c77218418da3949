#include "platform/ui/input/PinchGestureRecognizer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/system/Application.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {
namespace {

class Zooming : public ScrollViewDelegate {
 public:
  std::shared_ptr<View> content;
  std::vector<float> ends;
  std::shared_ptr<View> viewForZooming(ScrollView&) override { return content; }
  void scrollViewDidEndZooming(ScrollView&, View*, float scale) override { ends.push_back(scale); }
};

class PinchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    scroll_ = std::make_shared<ScrollView>(Rect(0, 0, 320, 400));
    zooming_->content = std::make_shared<View>(Rect(0, 0, 320, 400));
    scroll_->addSubview(zooming_->content);
    scroll_->setContentSize(Size(320, 400));
    scroll_->setDelegate(zooming_);
    scroll_->setMinimumZoomScale(1);
    scroll_->setMaximumZoomScale(3);
    window_->addSubview(scroll_);
  }
  void TearDown() override { Application::shared().resetForTesting(); }

  // Two fingers about (160, 200) going from `from` to `to` points apart, horizontally.
  void pinch(float from, float to, int steps = 6) {
    auto a = window_->beginTouch(Point{160 - from / 2, 200});
    auto b = window_->beginTouch(Point{160 + from / 2, 200});
    for (int i = 1; i <= steps; ++i) {
      const float d = from + (to - from) * static_cast<float>(i) / static_cast<float>(steps);
      window_->moveTouch(a, Point{160 - d / 2, 200});
      window_->moveTouch(b, Point{160 + d / 2, 200});
    }
    window_->endTouch(a);
    window_->endTouch(b);
  }

  std::shared_ptr<Window> window_;
  std::shared_ptr<ScrollView> scroll_;
  std::shared_ptr<Zooming> zooming_ = std::make_shared<Zooming>();
};

// Fingers 120 points apart that spread to 180 zoom by 1.5, keeping the content under their
// midpoint where it was; closing past the smallest zoom stops there; the end of each pinch is
// reported with the zoom it left.
TEST_F(PinchTest, APinchZoomsTheScrollViewAboutTheFingers) {
  pinch(120, 180);
  EXPECT_FLOAT_EQ(1.5f, scroll_->zoomScale());
  EXPECT_EQ(Size(480, 600), scroll_->contentSize());
  // The content point (160, 200) is now at (240, 300), still under the fingers at (160, 200).
  EXPECT_EQ((Point{80, 100}), scroll_->contentOffset());
  EXPECT_EQ(Rect(0, 0, 480, 600), zooming_->content->frame());

  pinch(200, 20);
  EXPECT_FLOAT_EQ(1.0f, scroll_->zoomScale());
  EXPECT_EQ((Point{0, 0}), scroll_->contentOffset());  // kept inside the content
  EXPECT_EQ((std::vector<float>{1.5f, 1.0f}), zooming_->ends);

  // A spread of less than the hysteresis is no pinch; nothing zooms.
  pinch(120, 126);
  EXPECT_FLOAT_EQ(1.0f, scroll_->zoomScale());
  EXPECT_EQ(2u, zooming_->ends.size());
}

// Without zoom limits that differ, or without a view to zoom, two fingers zoom nothing and the
// pinch takes no part.
TEST_F(PinchTest, NothingToZoomLeavesThePinchOut) {
  scroll_->setMaximumZoomScale(1);
  pinch(100, 200);
  EXPECT_FLOAT_EQ(1.0f, scroll_->zoomScale());
  scroll_->setMaximumZoomScale(3);
  zooming_->content = nullptr;
  pinch(100, 200);
  EXPECT_FLOAT_EQ(1.0f, scroll_->zoomScale());
  EXPECT_TRUE(zooming_->ends.empty());

  // The recogniser itself: scale over the distance when the second finger went down.
  auto view = std::make_shared<View>(Rect(0, 0, 320, 480));
  view->setMultipleTouchEnabled(true);
  auto recognizer = std::make_shared<PinchGestureRecognizer>();
  std::vector<std::pair<GestureState, float>> seen;
  recognizer->addTarget(this, [&](GestureRecognizer& g) {
    seen.emplace_back(g.state(), static_cast<PinchGestureRecognizer&>(g).scale());
  });
  view->addGestureRecognizer(recognizer);
  scroll_->removeFromSuperview();
  window_->addSubview(view);
  auto one = window_->beginTouch(Point{100, 100});
  window_->moveTouch(one, Point{150, 100});  // one finger never pinches
  auto two = window_->beginTouch(Point{250, 100});
  window_->moveTouch(two, Point{350 - 50, 100});  // 100 → 150 apart
  window_->moveTouch(one, Point{100, 100});       // 200 apart
  window_->endTouch(two);
  window_->endTouch(one);
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(GestureState::Began, seen[0].first);
  EXPECT_FLOAT_EQ(1.5f, seen[0].second);
  EXPECT_EQ(GestureState::Changed, seen[1].first);
  EXPECT_FLOAT_EQ(2.0f, seen[1].second);
  EXPECT_EQ(GestureState::Ended, seen[2].first);
}

}  // namespace
}  // namespace zu::ui
