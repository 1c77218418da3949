// Geometry: the view kit's value types in points, as float like the phone's: Point, Size, Rect,
// EdgeInsets, and the free functions over them. Plain values, usable from any thread.
//
// Kept from the phone:
//  - A rectangle is the half-open area [minX, maxX) × [minY, maxY). contains(point) is true on
//    the min edges and false on the max edges, so a point on the edge two views share belongs to
//    exactly one of them.
//  - Rectangles that only share an edge (or a corner) do not intersect: intersects() is false and
//    intersection() is the null rectangle. An empty rectangle (zero width or height) intersects
//    nothing and contains nothing.
//  - The null rectangle (Rect::null(), infinite origin) is what an empty intersection returns;
//    union with null yields the other rectangle. Negative sizes are standardised by the
//    functions that read edges (minX of {10, 0, -4, 2} is 6).
// Where we differ on purpose: divisions by zero (midpoint of nothing, aspect ratios) are
// guarded by the callers that divide; nothing here divides.
#pragma once

#include <string>

namespace zu::ui {

struct Point {
  float x = 0;
  float y = 0;

  constexpr Point() = default;
  constexpr Point(float px, float py) : x(px), y(py) {}
  bool operator==(const Point&) const = default;
};

struct Size {
  float width = 0;
  float height = 0;

  constexpr Size() = default;
  constexpr Size(float w, float h) : width(w), height(h) {}
  bool operator==(const Size&) const = default;
};

struct Rect {
  Point origin;
  Size size;

  Rect() = default;
  Rect(Point o, Size s) : origin(o), size(s) {}
  Rect(float x, float y, float w, float h) : origin{x, y}, size{w, h} {}

  bool operator==(const Rect&) const = default;

  // The null rectangle: the result of an empty intersection.
  static Rect null();
  bool isNull() const;
  // Null, or zero width or height.
  bool isEmpty() const;

  // The same area with non-negative width and height.
  Rect standardized() const;
  float minX() const;
  float midX() const;
  float maxX() const;
  float minY() const;
  float midY() const;
  float maxY() const;
  float width() const;
  float height() const;
  Point center() const { return {midX(), midY()}; }

  // Shrunk by dx on the left and right and dy on top and bottom (negative grows); a rectangle
  // that would turn inside out becomes null.
  Rect insetBy(float dx, float dy) const;
  Rect offsetBy(float dx, float dy) const;
  // Shrunk by the insets on each side.
  Rect inset(const struct EdgeInsets& insets) const;
  // The smallest rectangle holding both (null parts ignored).
  Rect unionWith(const Rect& other) const;
  // The common area; null when they do not overlap (a shared edge is no overlap).
  Rect intersection(const Rect& other) const;
  bool intersects(const Rect& other) const;
  // Half-open: the min edges are inside, the max edges outside.
  bool contains(Point p) const;
  // True when `other` lies wholly inside (edges may coincide).
  bool contains(const Rect& other) const;
  // Smallest rectangle with integral edges that holds this one.
  Rect integral() const;
  // The smallest rectangle holding the four points (a transformed rectangle's corners).
  static Rect boundingBox(const Point (&corners)[4]);

  std::string toString() const;
};

struct EdgeInsets {
  float top = 0;
  float left = 0;
  float bottom = 0;
  float right = 0;
  bool operator==(const EdgeInsets&) const = default;
};

std::string toString(Point p);
std::string toString(Size s);

}  // namespace zu::ui
