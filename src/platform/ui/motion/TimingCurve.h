// TimingCurve: the pace of an animation — a cubic Bézier from (0, 0) to (1, 1) with two control
// points, mapping the fraction of the time elapsed to the fraction of the way travelled. A plain
// value, usable from any thread.
//
// Kept from the phone: the four named curves are its cubic timing curves (ease-in-out
// (0.42, 0, 0.58, 1), ease-in (0.42, 0, 1, 1), ease-out (0, 0, 0.58, 1), linear), and a value is
// found by solving the curve for x = time, then reading its y: no polynomial stand-in. Times
// outside 0…1 clamp to the ends.
#pragma once

#include "platform/ui/motion/AnimationLog.h"

namespace zu::ui {

class TimingCurve {
 public:
  // The control points (x1, y1) and (x2, y2); x1 and x2 are clamped to 0…1 so the curve is a
  // function of time.
  TimingCurve(float x1, float y1, float x2, float y2);

  static TimingCurve of(AnimationCurve curve);

  // The fraction of the way at the fraction `time` of the duration.
  float valueAt(float time) const;

 private:
  // The curve's x and y at the parameter s (0…1), and dx/ds.
  double x(double s) const;
  double y(double s) const;
  double dx(double s) const;

  double x1_, y1_, x2_, y2_;
};

}  // namespace zu::ui
