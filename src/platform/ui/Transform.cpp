#include "platform/ui/Transform.h"

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

}  // namespace zu::ui
