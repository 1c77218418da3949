#include "views/FlatFlipStepper.h"

#include <gtest/gtest.h>

#include <vector>

namespace zu {
namespace {

struct Frames {
  std::vector<float> drawn;  // leaf angle of every frame drawn, in order
  int calls = 0;
  bool stopped = false;
};

// Steps a running animation until it asks to stop (or 500 frames pass).
Frames runToEnd(FlatFlipStepper::State& state) {
  Frames run;
  while (!run.stopped && run.calls < 500) {
    FlatFlipStepper::Step step = FlatFlipStepper::step(state, true);
    for (int i = 0; i < step.frameCount; ++i) run.drawn.push_back(step.frameRota[i]);
    run.stopped = step.stop;
    ++run.calls;
  }
  return run;
}

void expectAngles(const std::vector<float>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(actual[i], expected[i], 1e-3) << "frame " << i;
  }
}

TEST(FlatFlipStepperTest, FinishRightToLeftEasesThroughTheBandsAndEndsExactlyOn180) {
  FlatFlipStepper::State state;
  state.flipOrientation = FlatFlipStepper::kR2L;
  state.rotaInc = 12;  // a single page
  Frames run = runToEnd(state);
  ASSERT_TRUE(run.stopped);
  // 12 × 0.8, ×1.2, ×1.4 (three times), ×1.0, ×0.8 (three), ×0.6 (four), ×0.3 to past 180.
  expectAngles(run.drawn, {0,     9.6,   19.2,  33.6,  50.4,  67.2,  84,    96,
                           105.6, 115.2, 124.8, 132,   139.2, 146.4, 153.6, 157.2,
                           160.8, 164.4, 168,   171.6, 175.2, 178.8, 180});
  EXPECT_EQ(run.drawn.back(), 180.0f);  // clamped to the exact bound, then the end
  EXPECT_EQ(run.calls, 23);
  EXPECT_EQ(state.rota, 0.0f);
}

TEST(FlatFlipStepperTest, PassingPagesRunsOnByTheTrailingLeavesSpan) {
  FlatFlipStepper::State state;
  state.flipOrientation = FlatFlipStepper::kL2R;
  state.pagePass = 3;
  state.rotaInc = 20;
  Frames run = runToEnd(state);
  ASSERT_TRUE(run.stopped);
  std::vector<double> expected = {0, 16, 40, 68, 96, 112, 128, 140, 152};
  for (double a = 158; a <= 266; a += 6) expected.push_back(a);
  expected.push_back(270);  // 180 + 30 + 30 + 30
  expectAngles(run.drawn, expected);

  // A cancel passes no pages: its floor is 0, not −90.
  FlatFlipStepper::State cancel;
  cancel.flipOrientation = FlatFlipStepper::kL2R;
  cancel.pagePass = 3;
  cancel.cancelFlip = true;
  cancel.rotaInc = -20;
  cancel.rota = 10;
  Frames back = runToEnd(cancel);
  expectAngles(back.drawn, {10, 4, 0});
}

TEST(FlatFlipStepperTest, CancelFallsToZeroAndEndsAtOnceWhenAlreadyThere) {
  FlatFlipStepper::State state;
  state.flipOrientation = FlatFlipStepper::kR2L;
  state.cancelFlip = true;
  state.rotaInc = -12;
  state.rota = 120;
  Frames run = runToEnd(state);
  // −12 × 1.4, ×1.0 (twice), ×0.8 (twice), ×0.6 (five times), ×0.3 until below 0.
  expectAngles(run.drawn, {120, 103.2, 91.2, 79.2, 69.6, 60, 52.8, 45.6, 38.4, 31.2, 24, 20.4,
                           16.8, 13.2, 9.6, 6, 2.4, 0});

  FlatFlipStepper::State atZero;
  atZero.flipOrientation = FlatFlipStepper::kD2U;
  atZero.cancelFlip = true;
  atZero.rotaInc = -12;
  Frames first = runToEnd(atZero);
  EXPECT_EQ(first.calls, 1);
  expectAngles(first.drawn, {0});
}

TEST(FlatFlipStepperTest, TurnBackRunsForwardToItsAngleThenFallsAtOneThirdSpeed) {
  FlatFlipStepper::State state;
  state.flipOrientation = FlatFlipStepper::kL2R;
  state.cancelFlip = true;
  state.cancelFlipToRota = true;
  state.toRota = 50;
  state.rotaInc = 12;
  state.rota = 10;
  Frames run = runToEnd(state);
  ASSERT_TRUE(run.stopped);
  // Up: 10 +14.4 +14.4 +16.8 (55.6, clamped to 50). Down at −4: ×0.6 while above 30, then ×0.3.
  std::vector<double> expected = {10, 24.4, 38.8, 50, 47.6, 45.2, 42.8, 40.4, 38, 35.6, 33.2,
                                  30.8, 28.4};
  for (int k = 1; k <= 23; ++k) expected.push_back(28.4 - 1.2 * k);
  expected.push_back(0);
  expectAngles(run.drawn, expected);
  EXPECT_EQ(state.physicSimulationRound, 1);
  EXPECT_FLOAT_EQ(state.rotaInc, -4);

  // A target below 0 turns at 0 instead of running forever.
  FlatFlipStepper::State negative;
  negative.flipOrientation = FlatFlipStepper::kU2D;
  negative.cancelFlip = true;
  negative.cancelFlipToRota = true;
  negative.toRota = -5;
  negative.rotaInc = 12;
  EXPECT_TRUE(runToEnd(negative).stopped);
}

TEST(FlatFlipStepperTest, BounceReachesItsThreeTurningPointsExactly) {
  FlatFlipStepper::State state;
  state.flipOrientation = FlatFlipStepper::kU2DBounce;
  state.rotaInc = 15;
  Frames run = runToEnd(state);
  ASSERT_TRUE(run.stopped);
  const std::vector<float>& d = run.drawn;
  // Phase 0: p = rota / 200, f = −0.4p² + 0.7p + 0.5.
  ASSERT_GT(d.size(), 3u);
  EXPECT_NEAR(d[1], 7.5, 1e-4);                                // 15 × 0.5
  EXPECT_NEAR(d[2], 7.5 + 15 * (-0.4 * 0.0375 * 0.0375 + 0.7 * 0.0375 + 0.5), 1e-4);

  size_t top = 0;
  while (top < d.size() && d[top] != 200.0f) ++top;
  ASSERT_LT(top + 1, d.size());
  // Phase 1 at −15 / 3 = −5, its first step from p = 0: f = 0.5.
  EXPECT_NEAR(d[top + 1], 197.5, 1e-4);
  size_t low = top;
  while (low < d.size() && d[low] != 162.0f) ++low;
  ASSERT_LT(low + 2, d.size());
  // Phase 2 at −5 × −0.5 = 2.5: from 162 f = 0.5, then p = 1.25 / 18, f = 0.7p + 0.5.
  EXPECT_NEAR(d[low + 1], 163.25, 1e-4);
  EXPECT_NEAR(d[low + 2], 163.25 + 2.5 * (0.7 * (1.25 / 18) + 0.5), 1e-4);
  EXPECT_EQ(d.back(), 180.0f);
  EXPECT_EQ(state.physicSimulationRound, 2);
  EXPECT_FLOAT_EQ(state.rotaMax, 180);
  EXPECT_FLOAT_EQ(state.rotaMin, 162);
  for (size_t i = 1; i < d.size(); ++i) {
    if (i > top && i <= low) {
      EXPECT_LT(d[i], d[i - 1]) << i;
    } else {
      EXPECT_GT(d[i], d[i - 1]) << i;
    }
  }

  // With two pages passing, every turning point moves up by 80.
  FlatFlipStepper::State pages;
  pages.flipOrientation = FlatFlipStepper::kU2DBounce;
  pages.pagePass = 2;
  pages.rotaInc = 15;
  Frames passing = runToEnd(pages);
  ASSERT_TRUE(passing.stopped);
  EXPECT_EQ(passing.drawn.back(), 260.0f);
  bool reached280 = false;
  bool reached242 = false;
  for (float a : passing.drawn) {
    reached280 = reached280 || a == 280.0f;
    reached242 = reached242 || a == 242.0f;
  }
  EXPECT_TRUE(reached280 && reached242);
}

TEST(FlatFlipStepperTest, WithoutAFrameSourceTheEndIsNotReportedAndTheLeafStartsOver) {
  FlatFlipStepper::State state;
  state.flipOrientation = FlatFlipStepper::kL2R;
  state.rotaInc = 12;
  state.rota = 179;
  FlatFlipStepper::Step step = FlatFlipStepper::step(state, false);
  EXPECT_FALSE(step.stop);
  ASSERT_EQ(step.frameCount, 1);
  state.rota = 190;  // clamped to 180: the end frame, then a frame at 0
  step = FlatFlipStepper::step(state, false);
  EXPECT_FALSE(step.stop);
  ASSERT_EQ(step.frameCount, 2);
  EXPECT_EQ(step.frameRota[0], 180.0f);
  EXPECT_EQ(step.frameRota[1], 0.0f);
  EXPECT_NEAR(state.rota, 9.6, 1e-4);

  // A book-curl code draws no flat frame and never ends a flat animation.
  FlatFlipStepper::State curl;
  curl.flipOrientation = 7;
  curl.rota = 180;
  step = FlatFlipStepper::step(curl, true);
  EXPECT_EQ(step.frameCount, 0);
  EXPECT_FALSE(step.stop);
}

}  // namespace
}  // namespace zu
