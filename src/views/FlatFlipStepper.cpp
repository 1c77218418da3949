#include "views/FlatFlipStepper.h"

#include <cmath>

namespace zu {

const float FlatFlipStepper::kPageIntervals[kMaxPagePass][kMaxPagePass] = {
    {0, 0, 0, 0, 0, 0, 0},
    {40, 40, 0, 0, 0, 0, 0},
    {30, 30, 30, 0, 0, 0, 0},
    {30, 20, 20, 30, 0, 0, 0},
    {20, 15, 15, 15, 40, 0, 0},
    {20, 15, 15, 15, 15, 30, 0},
    {20, 15, 15, 15, 15, 15, 30},
};

namespace {

// Above `high` → high, below `low` → low; a range turned inside out ends on `low`.
float clampAngle(float value, float low, float high) {
  if (value > high) value = high;
  if (value < low) value = low;
  return value;
}

// rota += rotaInc × f, in double precision, stored back as float.
float advanced(float rota, float rotaInc, double factor) {
  return static_cast<float>(static_cast<double>(rota) + static_cast<double>(rotaInc) * factor);
}

bool isFlatDirection(int code) {
  return code >= FlatFlipStepper::kL2R && code <= FlatFlipStepper::kD2U;
}

void addFrame(FlatFlipStepper::Step& step, float rota) {
  step.frameRota[static_cast<size_t>(step.frameCount)] = rota;
  ++step.frameCount;
}

}  // namespace

float FlatFlipStepper::intervalSum(int pagePass) {
  if (pagePass < 2 || pagePass > kMaxPagePass) return 0;
  float sum = 0;
  for (int i = 0; i < pagePass; ++i) sum += kPageIntervals[pagePass - 1][i];
  return sum;
}

double FlatFlipStepper::finishingFactor(float rota) {
  if (rota < 10) return 0.8;
  if (rota < 30) return 1.2;
  if (rota < 70) return 1.4;
  if (rota < 90) return 1.0;
  if (rota < 120) return 0.8;
  if (rota < 150) return 0.6;
  return 0.3;
}

double FlatFlipStepper::cancellingFactor(float rota) {
  if (rota > 170) return 0.4;
  if (rota > 150) return 1.2;
  if (rota > 110) return 1.4;
  if (rota > 90) return 1.0;
  if (rota > 60) return 0.8;
  if (rota > 30) return 0.6;
  return 0.3;
}

FlatFlipStepper::Step FlatFlipStepper::step(State& state, bool animating) {
  if (state.cancelFlip && state.cancelFlipToRota) return stepCancelFlipToRota(state, animating);
  return stepCancelOrFinished(state, animating);
}

FlatFlipStepper::Step FlatFlipStepper::stepCancelOrFinished(State& state, bool animating) {
  Step out;
  const bool bounce = state.flipOrientation == kU2DBounce;
  const float s = state.cancelFlip ? 0.0f : intervalSum(state.pagePass);
  const int phase = state.physicSimulationRound;

  float low;
  float high;
  if (bounce) {
    if (phase == 0) {
      state.rotaMax = 200;
      state.rotaMin = 0;
      low = 0;
      high = s + 200;
    } else if (phase == 1) {
      state.rotaMax = 200;
      state.rotaMin = 162;
      low = s + 162;
      high = s + 200;
    } else {
      state.rotaMax = 180;
      state.rotaMin = 162;
      low = s + 162;
      high = s + 180;
    }
  } else {
    low = -s;
    high = 180 + s;
  }
  state.rota = clampAngle(state.rota, low, high);

  if (bounce) {
    const bool turningPoint = phase == 1 ? state.rota == low : state.rota == high;
    if (turningPoint) {
      if (phase == 0) {
        state.physicSimulationRound = 1;
        state.rotaInc = state.rotaInc / -3;
      } else if (phase == 1) {
        state.physicSimulationRound = 2;
        state.rotaInc = state.rotaInc * -0.5f;
      } else if (animating) {
        addFrame(out, state.rota);
        out.stop = true;
        return out;
      } else {
        state.rota = 0;
      }
    }
  } else if (isFlatDirection(state.flipOrientation)) {
    const bool atEnd = state.cancelFlip ? state.rota == low : state.rota == high;
    if (atEnd) {
      addFrame(out, state.rota);
      state.rota = 0;
      if (animating) {
        out.stop = true;
        return out;
      }
    }
  }

  if (bounce || isFlatDirection(state.flipOrientation)) addFrame(out, state.rota);

  if (bounce) {
    // The phase may just have turned: the new phase's easing over this call's bounds.
    const int nowPhase = state.physicSimulationRound;
    const double range = static_cast<double>(high) - static_cast<double>(low);
    double p;
    double f;
    if (nowPhase == 1) {
      p = (static_cast<double>(high) - state.rota) / range;
      f = -1.2 * p * p + p + 0.5;
    } else {
      p = (static_cast<double>(state.rota) - low) / range;
      f = nowPhase == 0 ? -0.4 * p * p + 0.7 * p + 0.5 : 0.7 * p + 0.5;
    }
    double delta = static_cast<double>(state.rotaInc) * f;
    if (std::fabs(delta) < 1) delta = nowPhase == 1 ? -1.0 : 1.0;
    state.rota = static_cast<float>(static_cast<double>(state.rota) + delta);
  } else {
    const double f = state.cancelFlip ? cancellingFactor(state.rota) : finishingFactor(state.rota);
    state.rota = advanced(state.rota, state.rotaInc, f);
  }
  return out;
}

FlatFlipStepper::Step FlatFlipStepper::stepCancelFlipToRota(State& state, bool animating) {
  Step out;
  // A target below 0 could never be reached by a clamp to [0, target]: the turn would never
  // end. It turns at 0 instead.
  const float target = state.toRota > 0 ? state.toRota : 0.0f;
  state.rotaMax = state.toRota;
  state.rotaMin = 0;
  state.rota = clampAngle(state.rota, 0, target);

  if (state.physicSimulationRound == 0 && state.rota == target) {
    state.physicSimulationRound = 1;
    state.rotaInc = state.rotaInc / -3;
  }
  if (state.physicSimulationRound >= 1 && state.rota == 0) {
    if (animating) {
      if (isFlatDirection(state.flipOrientation)) addFrame(out, state.rota);
      out.stop = true;
      return out;
    }
    state.rota = 0;
  }

  if (isFlatDirection(state.flipOrientation)) addFrame(out, state.rota);
  const double f = state.physicSimulationRound == 0 ? finishingFactor(state.rota)
                                                    : cancellingFactor(state.rota);
  state.rota = advanced(state.rota, state.rotaInc, f);
  return out;
}

}  // namespace zu
