#include "platform/ui/drawing/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace zu::ui {

namespace {

std::string format(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
  return buf;
}

}  // namespace

Rect Rect::null() {
  const float inf = std::numeric_limits<float>::infinity();
  return Rect(inf, inf, 0, 0);
}

bool Rect::isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }

bool Rect::isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

Rect Rect::standardized() const {
  Rect r = *this;
  if (r.size.width < 0) {
    r.origin.x += r.size.width;
    r.size.width = -r.size.width;
  }
  if (r.size.height < 0) {
    r.origin.y += r.size.height;
    r.size.height = -r.size.height;
  }
  return r;
}

float Rect::minX() const { return std::min(origin.x, origin.x + size.width); }
float Rect::maxX() const { return std::max(origin.x, origin.x + size.width); }
float Rect::midX() const { return origin.x + size.width / 2; }
float Rect::minY() const { return std::min(origin.y, origin.y + size.height); }
float Rect::maxY() const { return std::max(origin.y, origin.y + size.height); }
float Rect::midY() const { return origin.y + size.height / 2; }
float Rect::width() const { return std::fabs(size.width); }
float Rect::height() const { return std::fabs(size.height); }

Rect Rect::insetBy(float dx, float dy) const {
  if (isNull()) return *this;
  Rect r = standardized();
  r.origin.x += dx;
  r.origin.y += dy;
  r.size.width -= 2 * dx;
  r.size.height -= 2 * dy;
  if (r.size.width < 0 || r.size.height < 0) return null();
  return r;
}

Rect Rect::offsetBy(float dx, float dy) const {
  if (isNull()) return *this;
  return Rect(origin.x + dx, origin.y + dy, size.width, size.height);
}

Rect Rect::inset(const EdgeInsets& insets) const {
  Rect r = standardized();
  return Rect(r.origin.x + insets.left, r.origin.y + insets.top,
              r.size.width - insets.left - insets.right, r.size.height - insets.top - insets.bottom);
}

Rect Rect::unionWith(const Rect& other) const {
  if (isNull()) return other;
  if (other.isNull()) return *this;
  const float x0 = std::min(minX(), other.minX());
  const float y0 = std::min(minY(), other.minY());
  const float x1 = std::max(maxX(), other.maxX());
  const float y1 = std::max(maxY(), other.maxY());
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::intersection(const Rect& other) const {
  if (isNull() || other.isNull()) return null();
  const float x0 = std::max(minX(), other.minX());
  const float y0 = std::max(minY(), other.minY());
  const float x1 = std::min(maxX(), other.maxX());
  const float y1 = std::min(maxY(), other.maxY());
  if (x1 <= x0 || y1 <= y0) return null();
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

bool Rect::intersects(const Rect& other) const { return !intersection(other).isNull(); }

bool Rect::contains(Point p) const {
  if (isEmpty()) return false;
  return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const {
  if (isNull() || other.isNull()) return false;
  return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
         other.maxY() <= maxY();
}

Rect Rect::integral() const {
  if (isNull()) return *this;
  const float x0 = std::floor(minX());
  const float y0 = std::floor(minY());
  return Rect(x0, y0, std::ceil(maxX()) - x0, std::ceil(maxY()) - y0);
}

Rect Rect::boundingBox(const Point (&p)[4]) {
  float x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
  for (const Point& q : p) {
    x0 = std::min(x0, q.x);
    x1 = std::max(x1, q.x);
    y0 = std::min(y0, q.y);
    y1 = std::max(y1, q.y);
  }
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

std::string Rect::toString() const {
  if (isNull()) return "{null}";
  return "{" + format(origin.x) + ", " + format(origin.y) + ", " + format(size.width) + ", " +
         format(size.height) + "}";
}

std::string toString(Point p) { return "{" + format(p.x) + ", " + format(p.y) + "}"; }

std::string toString(Size s) { return "{" + format(s.width) + ", " + format(s.height) + "}"; }

}  // namespace zu::ui
