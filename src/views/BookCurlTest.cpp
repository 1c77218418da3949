#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"
#include "views/BookCurlGeometry.h"
#include "views/EAGLView.h"
#include "views/EAGLViewProtocol.h"

namespace zu {
namespace {

using Geometry = BookCurlGeometry;
using Corner = Geometry::Corner;
using Show = Geometry::Show;
using ui::Color;
using ui::Point;

constexpr float kW = 320;
constexpr float kH = 480;
const ui::Size kSize{kW, kH};
// One point is 1/160 of a drawing unit in both directions.
const Geometry::Extents kExtents{-1, 1, -1.5f, 1.5f};

bool finite(const Geometry::Mesh& mesh) {
  for (const auto* part : {&mesh.flat, &mesh.uncovered, &mesh.shadow, &mesh.strip}) {
    for (const auto& v : *part) {
      for (float c : {v.x, v.y, v.z, v.s, v.t, v.light, v.fade}) {
        if (!std::isfinite(c)) return false;
      }
    }
  }
  return std::isfinite(mesh.radius);
}

float area(const std::vector<Geometry::Vertex>& fan) {
  float a = 0;
  for (size_t i = 0; i < fan.size(); ++i) {
    const auto& p = fan[i];
    const auto& q = fan[(i + 1) % fan.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return std::fabs(a) / 2;
}

TEST(BookCurlGeometryTest, PathControlPointAndEasedCurve) {
  // The chord from (160, 240) to (−320, 480): dx 480, dy −240, half the chord 268.328.
  const Point p0{160, 240};
  const Point p2{-320, 480};
  const Point p1 = Geometry::pathControlPoint(p0, p2);
  EXPECT_NEAR(p1.x, -214.164, 1e-3);
  EXPECT_NEAR(p1.y, 91.672, 1e-3);
  // Curved: s = sin(0.07 π) = 0.21814 at t = 0.14.
  const Point at = Geometry::pathPoint(p0, p1, p2, 0.14, true);
  EXPECT_NEAR(at.x, 9.526, 1e-3);
  EXPECT_NEAR(at.y, 200.824, 1e-3);
  // Both paths start at p0 and end exactly on p2; t beyond 1 stays there.
  for (bool curved : {false, true}) {
    EXPECT_EQ(Geometry::pathPoint(p0, p1, p2, 0, curved), p0);
    EXPECT_EQ(Geometry::pathPoint(p0, p1, p2, 1, curved), p2);
    EXPECT_EQ(Geometry::pathPoint(p0, p1, p2, 1.12, curved), p2);
  }
  EXPECT_EQ(Geometry::pathPoint(p0, p1, p2, 0.25, false), (Point{40, 300}));
  // A vertical chord keeps a finite control point straight above the midpoint.
  const Point vertical = Geometry::pathControlPoint({100, 400}, {100, 0});
  EXPECT_EQ(vertical, (Point{100, 0}));
}

TEST(BookCurlGeometryTest, StepsGrowOnlyForChordsMoreThanAFifthOrAHalfOfTheWidth) {
  const Point o{0, 0};
  EXPECT_EQ(Geometry::tStep(o, {160, 0}, kW, false), 0.18);  // exactly half
  EXPECT_EQ(Geometry::tStep(o, {161, 0}, kW, false), 0.24);
  EXPECT_EQ(Geometry::tStep(o, {0, 64}, kW, false), 0.14);  // exactly a fifth
  EXPECT_EQ(Geometry::tStep(o, {0, 65}, kW, false), 0.18);
  EXPECT_EQ(Geometry::tStep(o, {600, 600}, kW, true), 0.14);
}

TEST(BookCurlGeometryTest, ControlPointsAtEachCornerAndDegenerateFingers) {
  // Start 20 points inside the lifted side, finger 100 further in and 100 toward the corner's
  // opposite edge: d = 156.205, cos a = 0.76822, k = d + 80 sin a = 207.420.
  struct Case {
    Corner corner;
    Point finger, start, expected;
  };
  const Case cases[] = {
      {Corner::kRightBottom, {200, 300}, {300, 400}, {160.656f, 347.213f}},
      {Corner::kRightTop, {200, 180}, {300, 80}, {160.656f, 132.787f}},
      {Corner::kLeftBottom, {120, 300}, {20, 400}, {159.344f, 347.213f}},
      {Corner::kLeftTop, {120, 180}, {20, 80}, {159.344f, 132.787f}},
  };
  for (const Case& c : cases) {
    const Point p = Geometry::fingerControlPoint(c.corner, c.finger, c.start, kSize);
    EXPECT_NEAR(p.x, c.expected.x, 1e-3) << static_cast<int>(c.corner);
    EXPECT_NEAR(p.y, c.expected.y, 1e-3) << static_cast<int>(c.corner);
  }
  // The finger on the lifted side at the start's height (d = 0) leaves the corner in place,
  // which shows the current page whole.
  EXPECT_EQ(Geometry::fingerControlPoint(Corner::kRightBottom, {320, 400}, {300, 400}, kSize),
            (Point{320, 480}));
  EXPECT_EQ(Geometry::fingerControlPoint(Corner::kLeftTop, {0, 80}, {20, 80}, kSize),
            (Point{0, 0}));
  // Nearly on it, or straight across (|cos a| rounding to just over 1), stays finite.
  for (Point f : {Point{319.9999f, 400}, Point{-1e7f, 400.0001f}, Point{320, 1e-30f}}) {
    const Point p = Geometry::fingerControlPoint(Corner::kRightBottom, f, {300, 400}, kSize);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << f.x;
  }
}

TEST(BookCurlGeometryTest, WholePagesAtTheEndsOfEachCornersRange) {
  for (Corner c : {Corner::kRightBottom, Corner::kRightTop}) {
    EXPECT_EQ(Geometry::wholePage(c, kW, kW, false), Show::kCurrentPage);
    EXPECT_EQ(Geometry::wholePage(c, 0, kW, false), Show::kCurl);
    EXPECT_EQ(Geometry::wholePage(c, 0, kW, true), Show::kPageToCome);
    EXPECT_EQ(Geometry::wholePage(c, -kW, kW, false), Show::kPageToCome);
    EXPECT_EQ(Geometry::wholePage(c, -kW + 1, kW, false), Show::kCurl);
  }
  for (Corner c : {Corner::kLeftBottom, Corner::kLeftTop}) {
    EXPECT_EQ(Geometry::wholePage(c, 0, kW, false), Show::kCurrentPage);
    EXPECT_EQ(Geometry::wholePage(c, kW, kW, true), Show::kPageToCome);
    EXPECT_EQ(Geometry::wholePage(c, kW, kW, false), Show::kCurl);
    EXPECT_EQ(Geometry::wholePage(c, 2 * kW, kW, false), Show::kPageToCome);
  }
}

TEST(BookCurlGeometryTest, CurlFromTheMiddleFoldsAtTheSpineWithItsRollAndSplit) {
  // Finger at the view's centre, drawing (0, 0); the corner at (1, −1.5): d = 1.80278,
  // θ = atan 1.5, L = 2 cos θ = 1.10940 < d, so the fold stops at the spine, meeting the
  // bottom edge at X0 and the right edge 1.33333 above the corner. R = (L + 1e-5) / π ×
  // (sin θ + 1e-5) = 0.29383 (the shrinking roll, (2L − d − 0.3125) / π, is smaller); half a
  // turn is π R = 0.92310, passed first by sample 84 (0.84 L = 0.93190).
  const Geometry::Mesh mesh =
      Geometry::curl(Corner::kRightBottom, {160, 240}, kSize, kExtents, false);
  ASSERT_EQ(mesh.show, Show::kCurl);
  EXPECT_NEAR(mesh.radius, 0.29383, 1e-4);
  EXPECT_EQ(mesh.split, 84);
  EXPECT_NEAR(area(mesh.uncovered), 1.33333, 1e-4);
  // The flat part also reaches half a point (1/320) under the roll along the fold, 2.40370
  // long.
  EXPECT_NEAR(area(mesh.flat), 6 - 1.33333 + 2.40370 / 320, 1e-4);
  ASSERT_EQ(mesh.strip.size(), 202u);
  // Sample 0 lies on the fold's ends, flat on the page, textured from where it lies.
  EXPECT_NEAR(mesh.strip[0].x, -1, 1e-5);
  EXPECT_NEAR(mesh.strip[0].y, -1.5, 1e-5);
  EXPECT_NEAR(mesh.strip[1].x, 1, 1e-5);
  EXPECT_NEAR(mesh.strip[1].y, -1.5 + 1.33333, 1e-4);
  EXPECT_NEAR(mesh.strip[1].t, (1.33333) / 3, 1e-4);
  EXPECT_EQ(mesh.strip[0].z, 0);
  // Heights grow over the roll; past the split the paper lies at the roll's diameter.
  for (int i = 1; i <= 84; ++i) EXPECT_GT(mesh.strip[2 * i].z, mesh.strip[2 * i - 2].z) << i;
  EXPECT_NEAR(mesh.strip[2 * 90].z, 2 * mesh.radius, 1e-5);
  // The last sample is the corner, its texture the picture's corner.
  EXPECT_NEAR(mesh.strip[200].s, 1, 1e-5);
  EXPECT_NEAR(mesh.strip[200].t, 0, 1e-5);

  // Column style: the spine at x = 0 halves the turning width, the left page stays flat.
  const Geometry::Mesh column =
      Geometry::curl(Corner::kRightBottom, {240, 360}, kSize, kExtents, true);
  ASSERT_EQ(column.show, Show::kCurl);
  for (const auto& v : column.uncovered) EXPECT_GE(v.x, -1e-6);
  EXPECT_GT(area(column.flat), 3);

  // Mirrored corners give mirrored meshes.
  const Geometry::Mesh top = Geometry::curl(Corner::kRightTop, {160, 240}, kSize, kExtents, false);
  const Geometry::Mesh left =
      Geometry::curl(Corner::kLeftBottom, {160, 240}, kSize, kExtents, false);
  EXPECT_EQ(top.split, 84);
  EXPECT_NEAR(top.strip[1].y, 1.5 - 1.33333, 1e-4);
  EXPECT_NEAR(left.strip[1].x, -1, 1e-5);
  EXPECT_NEAR(left.strip[0].x, 1, 1e-5);
}

TEST(BookCurlGeometryTest, DegenerateFingersNeverGiveNaNVertices) {
  const Point fingers[] = {
      {319.99999f, 479.99999f},  // on the corner
      {200, 480},                // along the bottom edge (θ = 0)
      {319.99999f, 100},         // straight above the corner (θ = 90°)
      {-319.999f, 480},          // at the far end of the range
      {100, -1e6f},              // far above the page
      {NAN, 240},
      {160, NAN},
  };
  for (Corner c : {Corner::kRightBottom, Corner::kRightTop, Corner::kLeftBottom, Corner::kLeftTop}) {
    for (Point f : fingers) {
      for (bool column : {false, true}) {
        const Point g = c == Corner::kLeftBottom || c == Corner::kLeftTop ? Point{kW - f.x, f.y} : f;
        const Point h = c == Corner::kRightTop || c == Corner::kLeftTop ? Point{g.x, kH - g.y} : g;
        EXPECT_TRUE(finite(Geometry::curl(c, h, kSize, kExtents, column)))
            << static_cast<int>(c) << " " << h.x << "," << h.y;
      }
    }
  }
  // A finger right on the corner lifts nothing.
  EXPECT_EQ(Geometry::curl(Corner::kRightBottom, {319.99999f, 480}, kSize, kExtents, false).show,
            Show::kCurrentPage);
}

// --- the curl drawn with GL

const Color kRed(1, 0, 0);
const Color kGreen(0, 1, 0);

std::shared_ptr<ui::Image> filled(Color color) {
  auto image = ui::Image::create(static_cast<int>(kW), static_cast<int>(kH));
  ui::Canvas canvas(*image);
  canvas.setFillColor(color);
  canvas.fillRect(ui::Rect(0, 0, kW, kH));
  return image;
}

bool near(Color c, Color e) {
  const float tol = 4.0f / 255;
  return std::abs(c.red - e.red) <= tol && std::abs(c.green - e.green) <= tol &&
         std::abs(c.blue - e.blue) <= tol;
}

struct Reports : EAGLViewProtocol {
  std::vector<std::string> calls;
  void EAGLViewDidFlipL2RFinish(EAGLView&) override { calls.push_back("L2RFinish"); }
  void EAGLViewDidFlipL2RCancel(EAGLView&) override { calls.push_back("L2RCancel"); }
  void EAGLViewDidFlipR2LFinish(EAGLView&) override { calls.push_back("R2LFinish"); }
  void EAGLViewDidFlipR2LCancel(EAGLView&) override { calls.push_back("R2LCancel"); }
};

class BookCurlViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = EAGLView::create(ui::Rect(0, 0, kW, kH));
    ASSERT_NE(view_, nullptr);
    view_->setFlipModel(1);
    view_->reloadTopTextureWithImage(filled(kRed).get());
    view_->reloadBottomTextureWithImage(filled(kGreen).get());
    view_->layoutIfNeeded();
    view_->redraw();
    view_->setEaglDelegate(reports_);
  }

  Color at(int x, int y) const { return view_->presentedImage()->colorAt(x, y); }

  // Runs the animation frame by frame, recording each frame's finger and keeping pictures of
  // every `keepEvery`-th frame under `name`.
  std::vector<Point> run(const std::string& name = "", int keepEvery = 0) {
    std::vector<Point> fingers;
    for (int i = 0; i < 100 && view_->isAnimating(); ++i) {
      clock_->advance(1.0 / 60);
      runDueMainLoopTasks();
      fingers.push_back(view_->finger());
      if (keepEvery > 0 && i % keepEvery == 0) {
        EXPECT_TRUE(ui::writeSnapshot(*view_->presentedImage(),
                                      name + "-frame" + std::to_string(i)).has_value());
      }
    }
    return fingers;
  }

  ScopedFakeClock clock_;
  std::shared_ptr<EAGLView> view_;
  std::shared_ptr<Reports> reports_ = std::make_shared<Reports>();
};

TEST_F(BookCurlViewTest, FingerFramesShowTheCurlOrAWholePage) {
  view_->flipBookFromRBWithFinger({kW, kH}, false);
  EXPECT_TRUE(near(at(160, 240), kRed));
  EXPECT_TRUE(near(at(316, 476), kRed));

  view_->flipBookFromRBWithFinger({160, 240}, false);
  ASSERT_TRUE(ui::writeSnapshot(*view_->presentedImage(), "curl-rb-middle").has_value());
  EXPECT_TRUE(near(at(10, 10), kRed));     // the flat current page
  EXPECT_TRUE(near(at(316, 476), kGreen));  // the page to come at the lifted corner
  EXPECT_EQ(view_->texture(EAGLView::kSlotMiddle), 0u);  // the shadow picture is gone again
  // The shadows darken the pages but leave the frame opaque, or the view tree would show
  // what lies behind the view through them.
  int translucent = 0;
  for (int y = 0; y < static_cast<int>(kH); y += 2) {
    for (int x = 0; x < static_cast<int>(kW); x += 2) translucent += at(x, y).alpha < 0.99f;
  }
  EXPECT_EQ(translucent, 0);

  view_->flipBookFromLTWithFinger({100, 120}, true);
  ASSERT_TRUE(ui::writeSnapshot(*view_->presentedImage(), "curl-lt-column").has_value());
  EXPECT_TRUE(near(at(3, 3), kGreen));
  EXPECT_TRUE(near(at(316, 476), kRed));  // the other column stays

  view_->flipBookFromRBWithFinger({0, kH}, true);
  EXPECT_TRUE(near(at(160, 240), kGreen));
  EXPECT_TRUE(near(at(3, 3), kGreen));
}

TEST_F(BookCurlViewTest, FinishFromTheMiddleRunsTheStraightPathToThePageToCome) {
  view_->flipBookFromRBWithFinger({kW / 2, kH / 2}, false);
  view_->finishFlipBookR2L_B(false);
  EXPECT_EQ(view_->bookPath()[2], (Point{-kW, kH}));
  const std::vector<Point> fingers = run("curl-finish-straight", 1);
  // Chord 536.7 > W / 2: t = 0, 0.24, 0.48, 0.72, 0.96, then 1.
  ASSERT_EQ(fingers.size(), 6u);
  EXPECT_EQ(fingers[0], (Point{160, 240}));
  EXPECT_NEAR(fingers[1].x, 160 - 0.24 * 480, 1e-3);
  EXPECT_EQ(fingers[5], (Point{-kW, kH}));
  EXPECT_EQ(reports_->calls, std::vector<std::string>{"R2LFinish"});
  EXPECT_TRUE(view_->isHidden());
  EXPECT_TRUE(near(at(160, 240), kGreen));
  EXPECT_TRUE(near(at(3, 3), kGreen));
}

TEST_F(BookCurlViewTest, CurvedPathsTakeNineFramesAndCancelsReturnToTheCorner) {
  view_->flipBookFromLTWithFinger({100, 100}, false);
  view_->setIsBeizerTans(true);
  view_->cancelFlipBookL2R_T(false);
  const std::vector<Point> fingers = run("curl-cancel-curved", 2);
  ASSERT_EQ(fingers.size(), 9u);  // t = 0, 0.14, …, 0.98, then 1
  EXPECT_EQ(fingers[0], (Point{100, 100}));
  EXPECT_EQ(fingers[8], (Point{0, 0}));
  EXPECT_EQ(reports_->calls, std::vector<std::string>{"L2RCancel"});
  EXPECT_TRUE(near(at(160, 240), kRed));

  // A curled page coming back over the current one, as a turn back in portrait plays it.
  view_->setHidden(false);
  view_->switchTopBottom();
  view_->flipBookFromRBWithFinger({-kW, kH}, false);
  EXPECT_TRUE(near(at(160, 240), kRed));  // the current page is now the page to come
  view_->cancelFlipBookR2L_B(false);
  const std::vector<Point> back = run("curl-uncurl-portrait", 2);
  EXPECT_EQ(back.back(), (Point{kW, kH}));
  EXPECT_EQ(reports_->calls.back(), "R2LCancel");
  EXPECT_TRUE(near(at(160, 240), kGreen));
}

}  // namespace
}  // namespace zu
