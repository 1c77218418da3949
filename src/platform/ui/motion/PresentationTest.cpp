#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "platform/runtime/Clock.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/motion/Presentation.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/motion/TimingCurve.h"
#include "platform/ui/views/View.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

// Values of the phone's cubic timing curves, solved independently to 1e-12 by bisection.
constexpr float kEaseInOut25 = 0.129162f;
constexpr float kEaseInOut75 = 0.870838f;
constexpr float kEaseIn25 = 0.093465f;
constexpr float kEaseOut25 = 0.378138f;
constexpr float kEaseIn50 = 0.315357f;

std::shared_ptr<View> solid(const Rect& frame, const Color& color) {
  auto v = std::make_shared<View>(frame);
  v->setBackgroundColor(color);
  return v;
}

int channel(uint32_t pixel, int shift) { return static_cast<int>(pixel >> shift & 0xff); }

// The first column of row `y` whose red channel is strong and green weak (a red fill), or -1.
int firstRedColumn(const Image& image, int y) {
  for (int x = 0; x < image.pixelWidth(); ++x) {
    const uint32_t p = image.pixelAt(x, y);
    if (channel(p, 16) > 200 && channel(p, 8) < 60) return x;
  }
  return -1;
}

class PresentationTest : public ::testing::Test {
 protected:
  void SetUp() override { AnimationLog::shared().clear(); }
  void TearDown() override {
    Animations::resetForTesting();
    AnimationLog::shared().clear();
  }
  double now() const { return Clock::get()->monotonic(); }

  ScopedFakeClock clock_;
};

TEST_F(PresentationTest, CurvesAreThePhonesCubicBeziers) {
  const TimingCurve easeInOut = TimingCurve::of(AnimationCurve::EaseInOut);
  EXPECT_NEAR(kEaseInOut25, easeInOut.valueAt(0.25f), 1e-5);
  EXPECT_NEAR(0.5f, easeInOut.valueAt(0.5f), 1e-5);
  EXPECT_NEAR(kEaseInOut75, easeInOut.valueAt(0.75f), 1e-5);
  EXPECT_NEAR(kEaseIn25, TimingCurve::of(AnimationCurve::EaseIn).valueAt(0.25f), 1e-5);
  EXPECT_NEAR(kEaseIn50, TimingCurve::of(AnimationCurve::EaseIn).valueAt(0.5f), 1e-5);
  EXPECT_NEAR(kEaseOut25, TimingCurve::of(AnimationCurve::EaseOut).valueAt(0.25f), 1e-5);
  EXPECT_NEAR(0.3f, TimingCurve::of(AnimationCurve::Linear).valueAt(0.3f), 1e-6);
  // Out of range times clamp; a curve with a flat start still solves (x1 = 0).
  EXPECT_EQ(0.f, easeInOut.valueAt(-1));
  EXPECT_EQ(1.f, easeInOut.valueAt(2));
  EXPECT_EQ(0.f, easeInOut.valueAt(NAN));
  EXPECT_NEAR(1.f, TimingCurve(0, 0, 0, 1).valueAt(0.999f), 1e-2);

  // A half-way rotation stays a rotation (the matrix mix would shrink it).
  const Transform half = Transform::interpolate(Transform(), Transform::makeRotation(3.14159265f / 2), 0.5f);
  const Transform quarter = Transform::makeRotation(3.14159265f / 4);
  EXPECT_NEAR(quarter.a, half.a, 1e-5);
  EXPECT_NEAR(quarter.b, half.b, 1e-5);
  EXPECT_NEAR(quarter.c, half.c, 1e-5);
  // Scale and translation mix in a straight line.
  const Transform mixed = Transform::interpolate(Transform(), Transform{3, 0, 0, 2, 20, 0}, 0.5f);
  EXPECT_NEAR(2.f, mixed.a, 1e-5);
  EXPECT_NEAR(1.5f, mixed.d, 1e-5);
  EXPECT_NEAR(10.f, mixed.tx, 1e-4);
  EXPECT_NEAR(0.f, mixed.b, 1e-6);
}

TEST_F(PresentationTest, AMoveAndAFadeAreDrawnAlongTheEaseInOutCurve) {
  auto root = solid(Rect(0, 0, 120, 20), Color::whiteColor());
  auto box = solid(Rect(0, 0, 10, 10), Color::redColor());
  auto fade = solid(Rect(0, 10, 120, 10), Color::blackColor());
  fade->setAlpha(0);
  root->addSubview(box);
  root->addSubview(fade);
  Animations::animate(0.4, [&] {
    box->setFrame(Rect(100, 0, 10, 10));
    fade->setAlpha(1);
  });
  EXPECT_EQ(100.f, box->frame().origin.x);  // the model is at its end at once
  const float expected[] = {0, kEaseInOut25, 0.5f, kEaseInOut75, 1};
  for (int step = 0; step <= 4; ++step) {
    auto image = render(*root);
    ASSERT_TRUE(image);
    if (step == 2) {
      EXPECT_TRUE(writeSnapshot(*image, "presentation-move-halfway"));
      // Drawn into a context, the tree shows its model values.
      auto model = Image::create(120, 20);
      {
        Canvas canvas(*model);
        drawTree(canvas, *root);
      }
      EXPECT_EQ(100, firstRedColumn(*model, 5));
    }
    EXPECT_NEAR(100 * expected[step], firstRedColumn(*image, 5), 1.0) << "step " << step;
    // Black at alpha f over white: 255 × (1 − f).
    EXPECT_NEAR(255 * (1 - expected[step]), channel(image->pixelAt(60, 15), 16), 1.5) << "step " << step;
    clock_->advance(0.1);
  }
}

// A backdrop darkening inside an animation (a screen flipping in front of it) is drawn along the
// curve, not black from the first frame.
TEST_F(PresentationTest, ABackgroundColourIsDrawnAlongTheCurve) {
  auto root = solid(Rect(0, 0, 40, 20), Color::whiteColor());
  auto backdrop = std::make_shared<View>(Rect(0, 0, 40, 20));
  backdrop->setBackgroundColor(Color::blackColor().withAlpha(0));
  root->addSubview(backdrop);
  Animations::animate(0.4, [&] { backdrop->setBackgroundColor(Color::blackColor()); });
  const float expected[] = {0, kEaseInOut25, 0.5f, kEaseInOut75, 1};
  for (int step = 0; step <= 4; ++step) {
    auto image = render(*root);
    ASSERT_TRUE(image);
    EXPECT_NEAR(255 * (1 - expected[step]), channel(image->pixelAt(20, 10), 8), 1.5) << "step " << step;
    clock_->advance(0.1);
  }
  auto image = render(*root);
  EXPECT_EQ(0, channel(image->pixelAt(20, 10), 8));  // over: the model value
}

// Layer attributes set inside a block animate with it, as the view's own properties do.
TEST_F(PresentationTest, ALayerAttributeIsDrawnAlongTheCurve) {
  auto root = solid(Rect(0, 0, 40, 40), Color::whiteColor());
  auto box = solid(Rect(0, 0, 40, 40), Color::blueColor());
  box->layer().borderColor = Color::redColor();
  root->addSubview(box);
  Animations::animate(0.4, [&] { box->layer().borderWidth = 10; });
  EXPECT_EQ(10.f, box->layer().borderWidth);  // the model at once
  const PropertyChange* change = AnimationLog::shared().last()->change(box.get(), "borderWidth");
  ASSERT_TRUE(change);
  EXPECT_EQ(AnimatableValue(0.f), change->from);
  auto isRed = [](const Image& image, int x) { return channel(image.pixelAt(x, 20), 16) > 200; };
  EXPECT_FALSE(isRed(*render(*root), 1));  // no border yet
  clock_->advance(0.2);  // half way: 5 wide
  auto halfway = render(*root);
  EXPECT_TRUE(isRed(*halfway, 3));
  EXPECT_FALSE(isRed(*halfway, 7));
  clock_->advance(0.2);
  EXPECT_TRUE(isRed(*render(*root), 7));
}

// A later animation of a view's centre takes over only the position of an earlier frame
// change: the size goes on growing along the first animation's curve.
TEST_F(PresentationTest, ACentreAnimationLeavesAnEarlierFramesSizeAnimating) {
  auto box = solid(Rect(0, 0, 10, 10), Color::redColor());
  const unsigned linear = kAnimationOptionCurveLinear;
  bool firstFinished = true;
  int firstEnded = 0;
  Animations::animate(1.0, 0, linear, [&] { box->setFrame(Rect(0, 0, 50, 10)); }, [&](bool finished) {
    firstFinished = finished;
    ++firstEnded;
  });
  clock_->advance(0.5);
  runDueMainLoopTasks();
  Animations::animate(1.0, 0, linear, [&] { box->setCenter(Point{100, 5}); });
  EXPECT_EQ(0, firstEnded);  // not ended early: its size still animates
  clock_->advance(0.25);
  runDueMainLoopTasks();
  const PresentedState shown = Presentation::now().stateOf(*box);
  EXPECT_NEAR(40, shown.bounds.size.width, 1e-3);  // 10 → 50 at 0.75
  // The centre: from the model's 25 to 100, a quarter of the way.
  EXPECT_NEAR(25 + 75 * 0.25, shown.center.x, 1e-3);
  clock_->advance(0.25);
  runDueMainLoopTasks();
  EXPECT_EQ(1, firstEnded);
  EXPECT_FALSE(firstFinished);  // part of it was taken over
  const PresentedState later = Presentation::now().stateOf(*box);
  EXPECT_EQ(50, later.bounds.size.width);
  EXPECT_NEAR(25 + 75 * 0.5, later.center.x, 1e-3);

  // A shorter centre animation that ends first: the frame change goes on with its size alone,
  // the view staying where the centre animation left it.
  clock_->advance(1);
  runDueMainLoopTasks();
  Animations::animate(1.0, 0, linear, [&] { box->setFrame(Rect(0, 0, 10, 10)); });
  clock_->advance(0.25);
  Animations::animate(0.25, 0, linear, [&] { box->setCenter(Point{200, 5}); });
  clock_->advance(0.5);
  const PresentedState after = Presentation::now().stateOf(*box);
  EXPECT_NEAR(20, after.bounds.size.width, 1e-3);  // 50 → 10 at 0.75
  EXPECT_NEAR(200, after.center.x, 1e-3);
}

TEST_F(PresentationTest, DelayRepeatsAndAutoreverse) {
  auto root = solid(Rect(0, 0, 120, 10), Color::whiteColor());
  auto box = solid(Rect(0, 0, 10, 10), Color::redColor());
  root->addSubview(box);
  Animations::begin("swing");
  Animations::setDuration(0.4);
  Animations::setDelay(0.2);
  Animations::setCurve(AnimationCurve::Linear);
  Animations::setRepeatCount(1.5f);
  Animations::setRepeatAutoreverses(true);
  box->setCenter(Point{105, 5});
  Animations::commit();
  // (time since commit, left edge): waiting shows the start; forward, back, forward again; at
  // the end (0.2 + 0.4 × 1.5 × 2 = 1.4 s) the model value.
  const std::pair<double, int> path[] = {{0.1, 0},  {0.3, 25},  {0.6, 100}, {0.7, 75},
                                         {1.1, 25}, {1.3, 75},  {1.4, 100}};
  double at = 0;
  for (const auto& [time, left] : path) {
    clock_->advance(time - at);
    at = time;
    EXPECT_NEAR(left, firstRedColumn(*render(*root), 5), 1.0) << "at " << time;
  }
}

TEST_F(PresentationTest, BeginningFromTheCurrentStateStartsWhereTheViewIsShown) {
  auto root = solid(Rect(0, 0, 120, 10), Color::whiteColor());
  auto box = solid(Rect(0, 0, 10, 10), Color::redColor());
  root->addSubview(box);
  const unsigned linear = kAnimationOptionCurveLinear;
  Animations::animate(1.0, 0, linear, [&] { box->setFrame(Rect(100, 0, 10, 10)); });
  clock_->advance(0.5);
  Animations::animate(1.0, 0, linear | kAnimationOptionBeginFromCurrentState,
                      [&] { box->setFrame(Rect(0, 0, 10, 10)); });
  const Rect* from = std::get_if<Rect>(&AnimationLog::shared().last()->changes[0].from);
  ASSERT_TRUE(from);
  EXPECT_NEAR(50, from->origin.x, 1e-3);
  clock_->advance(0.5);
  EXPECT_NEAR(25, firstRedColumn(*render(*root), 5), 1.0);

  // Without it the new animation starts from the model value, and the one it replaced stops
  // drawing at once.
  clock_->advance(1);
  Animations::animate(1.0, 0, linear, [&] { box->setFrame(Rect(100, 0, 10, 10)); });
  clock_->advance(0.5);
  Animations::animate(1.0, 0, linear, [&] { box->setFrame(Rect(60, 0, 10, 10)); });
  EXPECT_NEAR(100, firstRedColumn(*render(*root), 5), 1.0);
  clock_->advance(0.5);
  EXPECT_NEAR(80, firstRedColumn(*render(*root), 5), 1.0);
}

TEST_F(PresentationTest, FreedViewsEmptyDurationsAndTheRunningQuery) {
  auto root = solid(Rect(0, 0, 120, 10), Color::whiteColor());
  EXPECT_FALSE(AnimationLog::shared().isAnimating(now()));

  // Zero and negative durations show the end value at once and run nothing.
  auto box = solid(Rect(0, 0, 10, 10), Color::redColor());
  root->addSubview(box);
  Animations::animate(0, [&] { box->setFrame(Rect(50, 0, 10, 10)); });
  Animations::animate(-1, [&] { box->setAlpha(0.5f); });
  EXPECT_FALSE(AnimationLog::shared().isAnimating(now()));
  auto image = render(*root);
  // Half red over white, from x = 50.
  EXPECT_EQ(255, channel(image->pixelAt(45, 5), 8));
  EXPECT_NEAR(128, channel(image->pixelAt(50, 5), 8), 1);
  EXPECT_NEAR(128, channel(image->pixelAt(59, 5), 8), 1);
  box->setAlpha(1);

  // A delayed animation counts as running while it waits.
  Animations::animate(0.3, 0.2, 0, [&] { box->setFrame(Rect(0, 0, 10, 10)); });
  EXPECT_TRUE(AnimationLog::shared().isAnimating(now()));
  EXPECT_TRUE(AnimationLog::shared().isAnimating(now() + 0.49));
  EXPECT_FALSE(AnimationLog::shared().isAnimating(now() + 0.5));
  clock_->advance(0.5);

  // A view freed mid-animation: nothing running is left, nothing draws, and the picture a
  // transition of it took is let go.
  std::weak_ptr<View> gone;
  {
    auto doomed = solid(Rect(0, 0, 10, 10), Color::redColor());
    auto holder = solid(Rect(0, 0, 120, 10), Color::whiteColor());
    holder->addSubview(doomed);
    root->addSubview(holder);
    Animations::transition(holder, 1.0, kAnimationOptionTransitionFlipFromLeft, [&] { doomed->setHidden(true); });
    Animations::animate(1.0, [&] { doomed->setFrame(Rect(100, 0, 10, 10)); });
    gone = doomed;
    EXPECT_TRUE(AnimationLog::shared().isAnimating(now()));
    holder->removeFromSuperview();
  }
  EXPECT_TRUE(gone.expired());
  EXPECT_FALSE(AnimationLog::shared().isAnimating(now()));
  // A new view (perhaps at the freed one's address) draws its model values.
  auto fresh = solid(Rect(0, 0, 10, 10), Color::redColor());
  root->addSubview(fresh);
  box->removeFromSuperview();
  clock_->advance(0.25);
  EXPECT_EQ(0, firstRedColumn(*render(*root), 5));
  for (const auto& record : AnimationLog::shared().records()) {
    if (record->transition == kAnimationTransitionFlipFromLeft) {
      clock_->advance(1);
      runDueMainLoopTasks();
      EXPECT_TRUE(record->completed);
      EXPECT_FALSE(record->before);
    }
  }

  // Repeating for ever runs for as long as the view lives.
  Animations::animate(0.1, 0, kAnimationOptionRepeat, [&] { fresh->setAlpha(0.2f); });
  EXPECT_TRUE(AnimationLog::shared().isAnimating(now() + 1000));
  fresh.reset();
  root.reset();
  EXPECT_FALSE(AnimationLog::shared().isAnimating(now() + 1000));
}

// Draws a red fill over the rectangle it is given.
class RedFill : public View {
 public:
  using View::View;
  void draw(Canvas& canvas, const Rect& rect) override {
    canvas.setFillColor(Color::redColor());
    canvas.fillRect(rect);
  }
};

TEST_F(PresentationTest, AViewWithAnimatedBoundsDrawsIntoTheBoundsShown) {
  auto root = solid(Rect(0, 0, 120, 10), Color::whiteColor());
  auto shrinking = std::make_shared<RedFill>(Rect(0, 0, 100, 10));
  root->addSubview(shrinking);
  Animations::animate(1.0, 0, kAnimationOptionCurveLinear, [&] { shrinking->setFrame(Rect(0, 0, 20, 10)); });
  clock_->advance(0.5);  // 60 wide on screen, 20 in the model
  auto image = render(*root);
  EXPECT_EQ(0xffff0000u, image->pixelAt(58, 5));
  EXPECT_EQ(0xffffffffu, image->pixelAt(61, 5));
  clock_->advance(0.5);
  image = render(*root);
  EXPECT_EQ(0xffff0000u, image->pixelAt(18, 5));
  EXPECT_EQ(0xffffffffu, image->pixelAt(22, 5));
}

// A container showing red, flipped or curled to blue.
class TransitionTest : public PresentationTest {
 protected:
  // A red view in a container; the transition puts a blue one in its place.
  void makeViews() {
    root_ = solid(Rect(0, 0, 100, 60), Color::whiteColor());
    container_ = std::make_shared<View>(Rect(0, 0, 100, 60));
    red_ = solid(Rect(0, 0, 100, 60), Color::redColor());
    blue_ = solid(Rect(0, 0, 100, 60), Color::blueColor());
    container_->addSubview(red_);
    root_->addSubview(container_);
  }
  void swap() {
    red_->removeFromSuperview();
    container_->addSubview(blue_);
  }
  void start(unsigned options) {
    makeViews();
    Animations::transition(container_, 1.0, options | kAnimationOptionCurveLinear, [&] { swap(); });
  }
  // The same through a begin/commit block, with a transition number of any kind.
  void startNumbered(const char* name, int kind) {
    makeViews();
    Animations::begin(name);
    Animations::setTransition(kind, container_);
    Animations::setDuration(1.0);
    Animations::setCurve(AnimationCurve::Linear);
    swap();
    Animations::commit();
  }
  // The colour at (x, y) as 'r', 'b', 'w' (white) or '?' (shaded or mixed), judged by hue.
  char colourAt(const Image& image, int x, int y) {
    const uint32_t p = image.pixelAt(x, y);
    const int r = channel(p, 16), g = channel(p, 8), b = channel(p, 0);
    if (r > 240 && g > 240 && b > 240) return 'w';
    if (r > 60 && g < 30 && b < 30) return 'r';
    if (b > 60 && r < 30 && g < 30) return 'b';
    return '?';
  }

  std::shared_ptr<View> root_, container_, red_, blue_;
};

TEST_F(TransitionTest, FlipShowsTheOldContentNarrowingThenTheNew) {
  start(kAnimationOptionTransitionFlipFromLeft);
  clock_->advance(0.25);  // θ = π/4: the old face, cos θ ≈ 0.71 of its width, centred
  auto before = render(*root_);
  EXPECT_TRUE(writeSnapshot(*before, "transition-flip-before-halfway"));
  EXPECT_EQ('r', colourAt(*before, 50, 30));
  EXPECT_EQ('r', colourAt(*before, 16, 30));
  EXPECT_EQ('w', colourAt(*before, 13, 30));
  EXPECT_EQ('w', colourAt(*before, 87, 30));
  // Shaded: darker than the plain red, and darker at the receding edge.
  const int nearRed = channel(before->pixelAt(16, 30), 16), farRed = channel(before->pixelAt(83, 30), 16);
  EXPECT_LT(nearRed, 250);
  EXPECT_LT(farRed, nearRed);

  clock_->advance(0.25);  // edge-on: nothing of it shows
  EXPECT_EQ('w', colourAt(*render(*root_), 50, 30));

  clock_->advance(0.15);  // θ = 0.65π: the new face, |cos θ| ≈ 0.45 of its width
  auto after = render(*root_);
  EXPECT_TRUE(writeSnapshot(*after, "transition-flip-after-halfway"));
  EXPECT_EQ('b', colourAt(*after, 50, 30));
  EXPECT_EQ('b', colourAt(*after, 29, 30));
  EXPECT_EQ('w', colourAt(*after, 25, 30));

  clock_->advance(0.35);  // over: the new content, plain
  auto end = render(*root_);
  EXPECT_EQ(0xff0000ffu, end->pixelAt(2, 30));
  EXPECT_EQ(0xff0000ffu, end->pixelAt(97, 30));
}

TEST_F(TransitionTest, CurlUpLiftsTheOldContentOffFromTheBottom) {
  start(kAnimationOptionTransitionCurlUp);
  clock_->advance(0.5);  // the fold at y = 30; the flap above it, at most 12 high
  auto image = render(*root_);
  EXPECT_TRUE(writeSnapshot(*image, "transition-curl-up-halfway"));
  EXPECT_EQ('r', colourAt(*image, 50, 5));    // still lying flat
  EXPECT_EQ('?', colourAt(*image, 50, 25));   // the pale back of the flap
  EXPECT_EQ('b', colourAt(*image, 50, 50));   // the new content under it
  // Curling down is the same fold run backwards with the new content on top.
  Animations::resetForTesting();
  start(kAnimationOptionTransitionCurlDown);
  clock_->advance(0.25);
  image = render(*root_);
  EXPECT_EQ('b', colourAt(*image, 50, 1));    // the new content, laid down above the fold
  EXPECT_EQ('r', colourAt(*image, 50, 55));   // the old one still showing below it
}

// A move-in from the top brings the new content down from above over the old, which stays put:
// the new content's lower part shows at the top, the old content's lower part below it.
TEST_F(TransitionTest, MoveInFromTopBringsTheNewContentDownOverTheOld) {
  startNumbered("moveIn", kAnimationTransitionMoveInFromTop);
  clock_->advance(0.5);  // the new content's bottom edge at y = 30
  auto half = render(*root_);
  EXPECT_TRUE(writeSnapshot(*half, "transition-move-in-halfway"));
  EXPECT_EQ('b', colourAt(*half, 50, 2));
  EXPECT_EQ('b', colourAt(*half, 50, 28));
  EXPECT_EQ('r', colourAt(*half, 50, 32));
  EXPECT_EQ('r', colourAt(*half, 50, 58));
  clock_->advance(0.4);
  auto late = render(*root_);
  EXPECT_EQ('b', colourAt(*late, 50, 52));
  EXPECT_EQ('r', colourAt(*late, 50, 58));
}

// A transition number the kit has no picture of (the launch cover's 108) fades the old content
// into the new instead of changing at once.
TEST_F(TransitionTest, AnUnknownKindFadesTheOldContentIntoTheNew) {
  startNumbered("setCoverPic", 108);
  clock_->advance(0.25);
  auto quarter = render(*root_);
  EXPECT_NEAR(191, channel(quarter->pixelAt(50, 30), 16), 2);  // red × 0.75
  EXPECT_NEAR(64, channel(quarter->pixelAt(50, 30), 0), 2);    // blue × 0.25
  EXPECT_EQ(255, channel(quarter->pixelAt(50, 30), 24));       // opaque all the way
  clock_->advance(0.5);
  auto late = render(*root_);
  EXPECT_NEAR(64, channel(late->pixelAt(50, 30), 16), 2);
  EXPECT_NEAR(191, channel(late->pixelAt(50, 30), 0), 2);
  clock_->advance(0.25);
  EXPECT_EQ(0xff0000ffu, render(*root_)->pixelAt(50, 30));
  // A cross-dissolve is drawn the same way.
  Animations::resetForTesting();
  start(kAnimationOptionTransitionCrossDissolve);
  clock_->advance(0.25);
  EXPECT_NEAR(191, channel(render(*root_)->pixelAt(50, 30), 16), 2);
}

}  // namespace
}  // namespace zu::ui
