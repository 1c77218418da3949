#include "platform/ui/motion/ScrollMotion.h"

#include <algorithm>
#include <cmath>

namespace zu::ui {

namespace {

// Closer than this to its target a motion is there.
constexpr double kRestDistance = 0.5;

bool finite(double v) { return std::isfinite(v); }

}  // namespace

ScrollMotion ScrollMotion::still(float offset) {
  ScrollMotion m;
  m.start_ = offset;
  m.rest_ = offset;
  return m;
}

ScrollMotion ScrollMotion::decelerate(float start, float velocity, float rate, float min, float max,
                                      bool bounces) {
  if (!finite(start) || !finite(min) || !finite(max)) return still(start);
  if (max < min) max = min;
  if (!finite(velocity)) velocity = 0;
  if (start < min || start > max) {
    const float edge = start < min ? min : max;
    return bounces ? spring(start, velocity, edge) : still(edge);
  }
  if (!(rate > 0) || !(rate < 1)) return still(start);
  const double r = rate;
  const double lnR = std::log(r);
  // Points the fling would travel if nothing stopped it; its speed at t ms is
  // distance·(−ln r)·r^t points per millisecond.
  const double distance = velocity / 1000.0 * r / (1 - r);
  const double speed0 = std::fabs(distance * lnR) * 1000;
  if (!(speed0 > kStopSpeed)) return still(start);
  ScrollMotion m;
  m.start_ = start;
  m.distance_ = static_cast<float>(distance);
  m.rate_ = r;
  double stopMs = std::log(kStopSpeed / speed0) / lnR;
  stopMs = std::min(stopMs, kLongest * 1000);
  const double end = start + distance * (1 - std::pow(r, stopMs));
  if (end > max || end < min) {
    const float edge = end > max ? max : min;
    // Where the curve reaches the edge: r^t = 1 − (edge − start)/distance.
    const double crossMs = std::log(1 - (edge - start) / distance) / lnR;
    m.switchMs_ = finite(crossMs) && crossMs > 0 ? crossMs : 0;
    if (!bounces) {
      m.rest_ = edge;
      m.duration_ = m.switchMs_ / 1000;
      return m;
    }
    m.hasSpring_ = true;
    m.target_ = edge;
    m.x0_ = 0;
    m.v0_ = -distance * lnR * std::pow(r, m.switchMs_) * 1000;
    m.endSpringAtRest();
    return m;
  }
  m.switchMs_ = stopMs;
  m.rest_ = static_cast<float>(end);
  m.duration_ = stopMs / 1000;
  return m;
}

ScrollMotion ScrollMotion::decelerateTo(float start, float target, float rate) {
  if (!finite(start) || !finite(target)) return still(finite(target) ? target : start);
  const double distance = static_cast<double>(target) - start;
  if (std::fabs(distance) < kRestDistance || !(rate > 0) || !(rate < 1)) return still(target);
  ScrollMotion m;
  m.start_ = start;
  m.distance_ = static_cast<float>(distance);
  m.rate_ = rate;
  // Until what is left of the distance is under the rest distance, then on the target.
  m.switchMs_ = std::min(std::log(kRestDistance / std::fabs(distance)) / std::log(m.rate_),
                         kLongest * 1000);
  m.rest_ = target;
  m.duration_ = m.switchMs_ / 1000;
  return m;
}

ScrollMotion ScrollMotion::spring(float start, float velocity, float target) {
  if (!finite(start) || !finite(target)) return still(finite(target) ? target : start);
  ScrollMotion m;
  m.start_ = start;
  m.hasSpring_ = true;
  m.target_ = target;
  m.x0_ = static_cast<double>(start) - target;
  m.v0_ = finite(velocity) ? velocity : 0;
  m.endSpringAtRest();
  return m;
}

void ScrollMotion::endSpringAtRest() {
  // Steps of a millisecond until the spring is both near its target and slow; it is critically
  // damped, so once there it stays there.
  const double omega = kSpringOmega;
  const double b = v0_ + omega * x0_;
  double s = 0;
  for (; s < kLongest; s += 0.001) {
    const double e = std::exp(-omega * s);
    const double x = (x0_ + b * s) * e;
    const double v = (v0_ - omega * b * s) * e;
    if (std::fabs(x) < kRestDistance && std::fabs(v) < kStopSpeed) break;
  }
  rest_ = target_;
  duration_ = switchMs_ / 1000 + s;
}

float ScrollMotion::decelerationAt(double ms) const {
  return static_cast<float>(start_ + distance_ * (1 - std::pow(rate_, ms)));
}

float ScrollMotion::offsetAt(double seconds) const {
  if (!(seconds < duration_)) return rest_;
  if (!(seconds > 0)) return start_;
  const double ms = seconds * 1000;
  if (!hasSpring_ || ms < switchMs_) return decelerationAt(ms);
  const double s = (ms - switchMs_) / 1000;
  const double omega = kSpringOmega;
  return static_cast<float>(target_ + (x0_ + (v0_ + omega * x0_) * s) * std::exp(-omega * s));
}

float ScrollMotion::velocityAt(double seconds) const {
  if (!(seconds < duration_)) return 0;
  if (seconds < 0) seconds = 0;
  const double ms = seconds * 1000;
  if (!hasSpring_ || ms < switchMs_) {
    return static_cast<float>(-distance_ * std::log(rate_) * std::pow(rate_, ms) * 1000);
  }
  const double s = (ms - switchMs_) / 1000;
  const double omega = kSpringOmega;
  return static_cast<float>((v0_ - omega * (v0_ + omega * x0_) * s) * std::exp(-omega * s));
}

}  // namespace zu::ui
