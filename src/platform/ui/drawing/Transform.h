// Transform: a 2-D affine transform (the phone's affine transform, float like it), mapping
// (x, y) to (a·x + c·y + tx, b·x + d·y + ty). A plain value, usable from any thread.
//
// Kept from the phone: concat(t1, t2) applies t1 first, then t2; scaled/translated/rotated
// prepend the step (it acts in the transform's own space, before the rest); applying to a
// rectangle returns the bounding box of the four transformed corners; inverting a singular
// transform returns it unchanged. Animating from one transform to another goes through its parts
// (translation, scale, shear and rotation by the shorter way round), as the phone's does, so a
// half-way rotation stays a rotation rather than shrinking through the mixed matrix.
#pragma once

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

struct Transform {
  float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  bool operator==(const Transform&) const = default;

  static Transform identity() { return {}; }
  static Transform makeScale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
  static Transform makeTranslation(float x, float y) { return {1, 0, 0, 1, x, y}; }
  // Counter-clockwise in a y-up space, which is clockwise on screen (y down).
  static Transform makeRotation(float radians);

  bool isIdentity() const { return *this == Transform(); }

  // `first` then `second`.
  static Transform concat(const Transform& first, const Transform& second);
  Transform scaled(float sx, float sy) const;
  Transform translated(float x, float y) const;
  Transform rotated(float radians) const;
  // The inverse; this transform itself when it cannot be inverted.
  Transform inverted() const;
  bool isInvertible() const;

  Point apply(Point p) const;
  // Only the linear part (no translation).
  Size apply(Size s) const;
  // The bounding box of the transformed rectangle.
  Rect apply(const Rect& r) const;

  // The size whose transformed bounding box is `box` (how a frame sets the bounds under this
  // transform); `fallback` when the linear part cannot be solved.
  Size sizeFilling(Size box, Size fallback) const;

  // The transform the fraction `f` of the way from `from` to `to` (0 gives `from`, 1 `to`).
  static Transform interpolate(const Transform& from, const Transform& to, float f);
};

}  // namespace zu::ui
