#include "platform/ui/drawing/Transform.h"

#include <algorithm>
#include <cmath>

namespace zu::ui {

Transform Transform::makeRotation(float radians) {
  const float c = std::cos(radians);
  const float s = std::sin(radians);
  return {c, s, -s, c, 0, 0};
}

Transform Transform::concat(const Transform& t1, const Transform& t2) {
  return {t1.a * t2.a + t1.b * t2.c,
          t1.a * t2.b + t1.b * t2.d,
          t1.c * t2.a + t1.d * t2.c,
          t1.c * t2.b + t1.d * t2.d,
          t1.tx * t2.a + t1.ty * t2.c + t2.tx,
          t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

Transform Transform::scaled(float sx, float sy) const { return concat(makeScale(sx, sy), *this); }

Transform Transform::translated(float x, float y) const {
  return concat(makeTranslation(x, y), *this);
}

Transform Transform::rotated(float radians) const { return concat(makeRotation(radians), *this); }

bool Transform::isInvertible() const {
  const float det = a * d - b * c;
  return det != 0 && std::isfinite(det);
}

Transform Transform::inverted() const {
  const float det = a * d - b * c;
  if (det == 0 || !std::isfinite(det)) return *this;
  Transform r;
  r.a = d / det;
  r.b = -b / det;
  r.c = -c / det;
  r.d = a / det;
  r.tx = (c * ty - d * tx) / det;
  r.ty = (b * tx - a * ty) / det;
  return r;
}

Point Transform::apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }

Size Transform::apply(Size s) const {
  return {a * s.width + c * s.height, b * s.width + d * s.height};
}

Rect Transform::apply(const Rect& r) const {
  if (r.isNull()) return r;
  const Point p[4] = {apply(Point{r.minX(), r.minY()}), apply(Point{r.maxX(), r.minY()}),
                      apply(Point{r.minX(), r.maxY()}), apply(Point{r.maxX(), r.maxY()})};
  return Rect::boundingBox(p);
}

Size Transform::sizeFilling(Size box, Size fallback) const {
  // The transformed bounds' bounding box is |a|w + |c|h wide and |b|w + |d|h high: solve for
  // the bounds size.
  const float fa = std::fabs(a), fb = std::fabs(b), fc = std::fabs(c), fd = std::fabs(d);
  const float det = fa * fd - fb * fc;
  if (det == 0 || !std::isfinite(det)) return fallback;
  const Size s{(fd * box.width - fc * box.height) / det, (fa * box.height - fb * box.width) / det};
  return {std::isfinite(s.width) ? std::fabs(s.width) : 0, std::isfinite(s.height) ? std::fabs(s.height) : 0};
}

namespace {

// The linear part as scale x, rotation, shear and scale y: (a, b) = sx·(cos r, sin r), and
// (c, d) = shear·sx·(cos r, sin r) + sy·(−sin r, cos r).
struct Parts {
  float sx = 1, sy = 1, shear = 0, rotation = 0;
};

Parts partsOf(const Transform& t) {
  Parts p;
  p.sx = std::hypot(t.a, t.b);
  if (p.sx == 0) {
    // No x axis left: treat the column (c, d) as the y axis, unrotated.
    p.sy = t.d;
    p.shear = 0;
    return p;
  }
  p.rotation = std::atan2(t.b, t.a);
  const float ca = t.a / p.sx, sa = t.b / p.sx;
  p.shear = (ca * t.c + sa * t.d) / p.sx;
  p.sy = ca * t.d - sa * t.c;
  return p;
}

Transform fromParts(const Parts& p, float tx, float ty) {
  const float ca = std::cos(p.rotation), sa = std::sin(p.rotation);
  return {p.sx * ca, p.sx * sa, p.shear * p.sx * ca - p.sy * sa, p.shear * p.sx * sa + p.sy * ca, tx, ty};
}

float mix(float a, float b, float f) { return a + (b - a) * f; }

}  // namespace

Transform Transform::interpolate(const Transform& from, const Transform& to, float f) {
  if (f <= 0) return from;
  if (f >= 1) return to;
  const Parts p0 = partsOf(from), p1 = partsOf(to);
  float turn = p1.rotation - p0.rotation;
  constexpr float kPi = 3.14159265358979f;
  if (turn > kPi) turn -= 2 * kPi;
  if (turn < -kPi) turn += 2 * kPi;
  Parts p;
  p.sx = mix(p0.sx, p1.sx, f);
  p.sy = mix(p0.sy, p1.sy, f);
  p.shear = mix(p0.shear, p1.shear, f);
  p.rotation = p0.rotation + turn * f;
  return fromParts(p, mix(from.tx, to.tx, f), mix(from.ty, to.ty, f));
}

}  // namespace zu::ui
