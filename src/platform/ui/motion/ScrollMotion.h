// ScrollMotion: how a scroll view's content moves by itself on one axis after the finger lifts,
// as a function of the time since the release. A value type; the ScrollView that owns it asks
// offsetAt(t) once a frame (on the main run loop, by the injected clock) until isFinishedAt(t).
//
// Three kinds, as on the phone:
//  - A deceleration (a fling): each millisecond the speed is multiplied by the rate r (0.998
//    normally, 0.99 fast), so a release at speed v (points per millisecond) is at
//    start + v·r·(1 − r^t)/(1 − r) after t milliseconds. It ends where its speed falls under
//    kStopSpeed, at the curve's own value there (no jump at the end).
//  - A deceleration onto an exact target (the driver's endDragDeceleratingTo): the same curve
//    with the distance fixed instead of the speed; it ends on the target.
//  - A spring (a paging snap, the bounce back from past an edge): critically damped, pulling
//    the offset to its target from where it is and with the speed it has, so the displacement
//    from the target is x(t) = (x0 + (v0 + ω·x0)·t)·e^(−ω·t); it ends on the target once the
//    displacement is under half a point and the speed under kStopSpeed.
// A deceleration that would cross an edge (minimum or maximum offset) turns, where it crosses,
// into a spring back to that edge carrying its speed — the overshoot and the bounce back — or,
// without bouncing, ends at the edge. A deceleration that starts past an edge is a spring to it.
// Non-finite inputs give a motion that is finished at its start.
#pragma once

namespace zu::ui {

class ScrollMotion {
 public:
  // The speed under which a motion is at rest: points per second.
  static constexpr float kStopSpeed = 10;
  // The spring's ω, per second: a 320-point snap settles in about half a second.
  static constexpr double kSpringOmega = 20;
  // The longest a motion may last, seconds.
  static constexpr double kLongest = 10;

  // A motion that does not move: finished at once, resting at `offset`.
  static ScrollMotion still(float offset);
  // A fling released at `start` with `velocity` (points per second) and `rate` per millisecond,
  // kept between `min` and `max` (bouncing off them when `bounces`).
  static ScrollMotion decelerate(float start, float velocity, float rate, float min, float max,
                                 bool bounces);
  // A deceleration with `rate` from `start` ending exactly on `target`.
  static ScrollMotion decelerateTo(float start, float target, float rate);
  // A spring from `start` moving at `velocity` (points per second) to `target`.
  static ScrollMotion spring(float start, float velocity, float target);

  // The offset `seconds` after the release (the resting offset from the end on).
  float offsetAt(double seconds) const;
  // The speed (points per second) `seconds` after the release; 0 once finished.
  float velocityAt(double seconds) const;
  bool isFinishedAt(double seconds) const { return !(seconds < duration_); }
  // Where it comes to rest, and when (seconds after the release).
  float restingOffset() const { return rest_; }
  double duration() const { return duration_; }
  bool moves() const { return duration_ > 0; }

 private:
  ScrollMotion() = default;
  void endSpringAtRest();
  float decelerationAt(double ms) const;

  float start_ = 0;
  // The deceleration: start + distance·(1 − rate^t), t in ms, until switchMs_.
  float distance_ = 0;
  double rate_ = 1;
  double switchMs_ = 0;
  // The spring from switchMs_ on: target + (x0 + (v0 + ω·x0)·s)·e^(−ω·s), s in seconds.
  bool hasSpring_ = false;
  float target_ = 0;
  double x0_ = 0;
  double v0_ = 0;
  float rest_ = 0;
  double duration_ = 0;
};

}  // namespace zu::ui
