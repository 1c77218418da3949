// FlatFlipStepper: the per-frame arithmetic of the page-turn view's flat flip animations — a
// finish, a cancel, a cancel that first runs forward to an angle (turn-back), and the
// top-to-bottom finish with a bounce. It owns no GL state and draws nothing: each call takes
// the animation's state, advances it by one frame, and says which frames to draw (at which
// leaf angle) and whether the animation ends with this call. The view draws those frames and
// stops its frame source. Being a pure function of its state, it can be stepped frame by frame
// in a test.
//
// Angles are degrees, `rota` 0 is the leaf flat on its starting half, 180 flat on the other
// half. Each step clamps `rota` to the bounds of the animation and detects the end by the
// exact bound, so a finish ends exactly on 180 (plus the trailing leaves' span), a cancel
// exactly on 0. A turn-back whose target angle is below 0 turns at 0, where a clamp to
// [0, target] would otherwise never reach its turning point and run for ever.
//
// Stateless; any thread.
#pragma once

#include <array>

namespace zu {

class FlatFlipStepper {
 public:
  static constexpr int kMaxPagePass = 7;

  // Orientation codes of the flat flip (the view's `_flipOrientation`).
  static constexpr int kL2R = 0;
  static constexpr int kR2L = 1;
  static constexpr int kU2D = 2;
  static constexpr int kD2U = 3;
  static constexpr int kU2DBounce = 4;

  // The animation state the view keeps; every field is the view's own.
  struct State {
    float rota = 0;
    float rotaInc = 0;
    int pagePass = 1;
    int flipOrientation = 0;
    bool cancelFlip = false;
    bool cancelFlipToRota = false;
    float toRota = 0;
    int physicSimulationRound = 0;
    float rotaMax = 0;
    float rotaMin = 0;
  };

  // What one call asks of the view: draw `frameCount` frames of the state's orientation, the
  // i-th with the leaf angle `frameRota[i]`, then stop the animation when `stop` is set.
  struct Step {
    int frameCount = 0;
    std::array<float, 2> frameRota{};
    bool stop = false;
  };

  // Angles between successive trailing leaves; row n − 1 for a turn passing n pages.
  static const float kPageIntervals[kMaxPagePass][kMaxPagePass];
  // Sum of the row for `pagePass` (0 outside 2 to 7).
  static float intervalSum(int pagePass);

  // Speed factor of a finishing (rising) leaf at `rota`, and of a cancelling (falling) one.
  static double finishingFactor(float rota);
  static double cancellingFactor(float rota);

  // One frame of the running animation: the turn-back when both cancel flags are set, else the
  // finish / cancel / bounce. `animating` is whether the view's frame source runs; when it
  // does not (a layout or redraw while idle), the end of an animation is not reported: the
  // angle goes back to 0 and the step goes on.
  static Step step(State& state, bool animating);
  static Step stepCancelOrFinished(State& state, bool animating);
  static Step stepCancelFlipToRota(State& state, bool animating);
};

}  // namespace zu
