#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/ui/drawing/ContentMode.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/drawing/Transform.h"

namespace zu::ui {
namespace {

void expectRectNear(const Rect& expected, const Rect& actual) {
  EXPECT_NEAR(expected.origin.x, actual.origin.x, 1e-4) << actual.toString();
  EXPECT_NEAR(expected.origin.y, actual.origin.y, 1e-4) << actual.toString();
  EXPECT_NEAR(expected.size.width, actual.size.width, 1e-4) << actual.toString();
  EXPECT_NEAR(expected.size.height, actual.size.height, 1e-4) << actual.toString();
}

TEST(GeometryTest, RectEdgesAreHalfOpenAndSharedEdgesDoNotIntersect) {
  const Rect a(0, 0, 10, 10);
  const Rect right(10, 0, 10, 10);
  EXPECT_TRUE(a.contains(Point{0, 0}));
  EXPECT_FALSE(a.contains(Point{10, 5}));
  EXPECT_TRUE(right.contains(Point{10, 5}));
  EXPECT_FALSE(a.intersects(right));
  EXPECT_TRUE(a.intersection(right).isNull());
  EXPECT_FALSE(a.intersects(Rect(10, 10, 5, 5)));  // corner only
  EXPECT_EQ(Rect(5, 5, 5, 5), a.intersection(Rect(5, 5, 10, 10)));
  // An empty rectangle holds nothing, not even its own origin.
  EXPECT_FALSE(Rect(3, 3, 0, 4).contains(Point{3, 4}));
  EXPECT_FALSE(Rect(3, 3, 0, 4).intersects(a));

  EXPECT_EQ(a, a.unionWith(Rect::null()));
  EXPECT_EQ(Rect(0, 0, 20, 10), a.unionWith(right));
  EXPECT_TRUE(a.contains(Rect(0, 0, 10, 10)));
  EXPECT_FALSE(a.contains(Rect(1, 1, 10, 1)));
}

TEST(GeometryTest, NegativeSizesAndInsetsStandardise) {
  const Rect r(10, 0, -4, 2);
  EXPECT_FLOAT_EQ(6, r.minX());
  EXPECT_FLOAT_EQ(10, r.maxX());
  EXPECT_TRUE(r.contains(Point{7, 1}));
  EXPECT_EQ(Rect(7, 1, 2, 0), r.insetBy(1, 1));
  EXPECT_TRUE(r.insetBy(3, 0).isNull());  // would turn inside out
  EXPECT_EQ(Rect(2, 1, 6, 7), Rect(0, 0, 10, 10).inset(EdgeInsets{1, 2, 2, 2}));
  EXPECT_EQ(Rect(0, 0, 3, 4), Rect(0.2f, 0.5f, 2.5f, 3.4f).integral());
}

TEST(GeometryTest, TransformsComposeInOrderAndInvert) {
  const Transform scaleThenMove =
      Transform::concat(Transform::makeScale(2, 3), Transform::makeTranslation(10, 20));
  EXPECT_EQ((Point{12, 23}), scaleThenMove.apply(Point{1, 1}));
  const Transform moveThenScale =
      Transform::concat(Transform::makeTranslation(10, 20), Transform::makeScale(2, 3));
  EXPECT_EQ((Point{22, 63}), moveThenScale.apply(Point{1, 1}));
  // scaled() prepends: the scale acts before the translation already in the transform.
  EXPECT_EQ(scaleThenMove, Transform::makeTranslation(10, 20).scaled(2, 3));

  const Transform t = Transform::makeRotation(0.3f).translated(4, -7).scaled(2, 0.5f);
  const Point back = t.inverted().apply(t.apply(Point{3, 9}));
  EXPECT_NEAR(3, back.x, 1e-4);
  EXPECT_NEAR(9, back.y, 1e-4);
  const Transform singular = Transform::makeScale(0, 1);
  EXPECT_FALSE(singular.isInvertible());
  EXPECT_EQ(singular, singular.inverted());

  // A quarter turn maps a wide rectangle onto a tall bounding box.
  expectRectNear(Rect(-20, 0, 20, 10),
                 Transform::makeRotation(std::numbers::pi_v<float> / 2).apply(Rect(0, 0, 10, 20)));
}

TEST(GeometryTest, ContentModesPlaceContent) {
  const Rect bounds(0, 0, 100, 50);
  EXPECT_EQ(Rect(25, 0, 50, 50), contentRect(ContentMode::ScaleAspectFit, Size{20, 20}, bounds));
  EXPECT_EQ(Rect(0, -25, 100, 100), contentRect(ContentMode::ScaleAspectFill, Size{20, 20}, bounds));
  EXPECT_EQ(Rect(40, 15, 20, 20), contentRect(ContentMode::Center, Size{20, 20}, bounds));
  EXPECT_EQ(Rect(80, 30, 20, 20), contentRect(ContentMode::BottomRight, Size{20, 20}, bounds));
  EXPECT_EQ(bounds, contentRect(ContentMode::ScaleToFill, Size{20, 20}, bounds));
  // Nothing to fit: no division by zero, no NaN.
  const Rect none = contentRect(ContentMode::ScaleAspectFit, Size{0, 20}, bounds);
  EXPECT_EQ(Rect(0, 0, 0, 0), none);
}

}  // namespace
}  // namespace zu::ui
