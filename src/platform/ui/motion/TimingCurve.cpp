#include "platform/ui/motion/TimingCurve.h"

#include <algorithm>
#include <cmath>

namespace zu::ui {

namespace {

// Bernstein form with the end points fixed at 0 and 1: 3(1−s)²s·p1 + 3(1−s)s²·p2 + s³.
double bezier(double s, double p1, double p2) {
  const double r = 1 - s;
  return 3 * r * r * s * p1 + 3 * r * s * s * p2 + s * s * s;
}

}  // namespace

TimingCurve::TimingCurve(float x1, float y1, float x2, float y2)
    : x1_(std::clamp(double{x1}, 0.0, 1.0)), y1_(y1), x2_(std::clamp(double{x2}, 0.0, 1.0)), y2_(y2) {}

TimingCurve TimingCurve::of(AnimationCurve curve) {
  switch (curve) {
    case AnimationCurve::EaseIn:
      return {0.42f, 0, 1, 1};
    case AnimationCurve::EaseOut:
      return {0, 0, 0.58f, 1};
    case AnimationCurve::Linear:
      return {0, 0, 1, 1};
    case AnimationCurve::EaseInOut:
      break;
  }
  return {0.42f, 0, 0.58f, 1};
}

double TimingCurve::x(double s) const { return bezier(s, x1_, x2_); }

double TimingCurve::y(double s) const { return bezier(s, y1_, y2_); }

double TimingCurve::dx(double s) const {
  const double r = 1 - s;
  return 3 * r * r * x1_ + 6 * r * s * (x2_ - x1_) + 3 * s * s * (1 - x2_);
}

float TimingCurve::valueAt(float time) const {
  if (!(time > 0)) return 0;
  if (time >= 1) return 1;
  const double t = time;
  // x(s) rises monotonically from 0 to 1 (the control x's are in 0…1): Newton's method from
  // s = t, falling back to bisection where the slope is flat or a step leaves the bracket.
  double lo = 0, hi = 1, s = t;
  for (int i = 0; i < 32; ++i) {
    const double err = x(s) - t;
    if (std::fabs(err) < 1e-7) break;
    if (err > 0) {
      hi = s;
    } else {
      lo = s;
    }
    const double slope = dx(s);
    double next = slope > 1e-6 ? s - err / slope : (lo + hi) / 2;
    if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    s = next;
  }
  return static_cast<float>(y(s));
}

}  // namespace zu::ui
