// The rolled part of the book curl as the reader sees it: the strip's samples never cross,
// the paper's picture runs one way over the roll and its back, and the light falls as the paper
// turns away from the viewer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "views/BookCurlGeometry.h"
#include "views/EAGLView.h"

namespace zu {
namespace {

using Geometry = BookCurlGeometry;
using Corner = Geometry::Corner;
using ui::Color;
using ui::Point;

constexpr float kW = 320;
constexpr float kH = 480;
const Geometry::Extents kExtents{-1, 1, -1.5f, 1.5f};
constexpr float kPi = 3.14159265f;

struct Case {
  Corner corner;
  float degrees;
};

std::vector<Case> cases() {
  std::vector<Case> out;
  for (Corner c : {Corner::kRightBottom, Corner::kRightTop, Corner::kLeftBottom, Corner::kLeftTop}) {
    for (float degrees : {10.0f, 45.0f, 80.0f}) out.push_back({c, degrees});
  }
  return out;
}

std::string name(const Case& c) {
  static const char* names[] = {"rb", "rt", "lb", "lt"};
  return std::string(names[static_cast<int>(c.corner)]) + "-" +
         std::to_string(static_cast<int>(c.degrees));
}

Point cornerOf(Corner c) {
  const bool right = c == Corner::kRightBottom || c == Corner::kRightTop;
  const bool bottom = c == Corner::kRightBottom || c == Corner::kLeftBottom;
  return {right ? kW : 0, bottom ? kH : 0};
}

// The unit vector from the corner toward the finger, `degrees` off the horizontal.
Point towardFinger(const Case& c) {
  const Point corner = cornerOf(c.corner);
  const float a = c.degrees * kPi / 180;
  return {(corner.x > 0 ? -1 : 1) * std::cos(a), (corner.y > 0 ? -1 : 1) * std::sin(a)};
}

// A finger short of where the fold would reach the spine, so every case curls.
Point fingerFor(const Case& c) {
  const Point dir = towardFinger(c);
  const Point corner = cornerOf(c.corner);
  const float d = 0.8f * kW * std::fabs(dir.x);
  return {corner.x + d * dir.x, corner.y + d * dir.y};
}

TEST(BookCurlRollTest, StripSamplesRunFromTheFoldToTheCornerWithoutCrossing) {
  for (const Case& c : cases()) {
    const Geometry::Mesh mesh = Geometry::curl(c.corner, fingerFor(c), {kW, kH}, kExtents, false);
    ASSERT_EQ(mesh.show, Geometry::Show::kCurl) << name(c);
    ASSERT_EQ(mesh.strip.size(), 2u * Geometry::kSamples);
    // Where each vertex comes from on the page, as a distance from the corner along CF.
    const Point dir = towardFinger(c);
    const float cs = cornerOf(c.corner).x / kW;
    const float ct = 1 - cornerOf(c.corner).y / kH;
    auto along = [&](const Geometry::Vertex& v) {
      return (v.s - cs) * 2 * dir.x + (v.t - ct) * 3 * -dir.y;  // page units of kExtents
    };
    float crossSign = 0;
    for (int i = 0; i + 1 < Geometry::kSamples; ++i) {
      const auto& a0 = mesh.strip[2 * i];
      const auto& b0 = mesh.strip[2 * i + 1];
      const auto& a1 = mesh.strip[2 * i + 2];
      // Both edges of the strip come nearer the corner with every sample, by the same step.
      EXPECT_LT(along(a1), along(a0)) << name(c) << " sample " << i;
      EXPECT_NEAR(along(a0), along(b0), 1e-4) << name(c) << " sample " << i;
      // The pairs keep their order: every quad of the strip turns the same way on the page.
      const float cross = (b0.s - a0.s) * (a1.t - a0.t) - (b0.t - a0.t) * (a1.s - a0.s);
      if (std::fabs(cross) < 1e-7f) continue;
      if (crossSign == 0) crossSign = cross;
      EXPECT_GT(cross * crossSign, 0) << name(c) << " sample " << i;
    }
    // The last pair is the corner itself.
    EXPECT_NEAR(along(mesh.strip.back()), 0, 1e-4) << name(c);
  }
}

TEST(BookCurlRollTest, LightFallsAsThePaperTurnsAwayAndTheBackIsDarkerAndFaded) {
  // The light of the paper by the angle of its normal to the line of sight.
  float previous = 2;
  for (int deg = 0; deg <= 90; deg += 5) {
    const float light = Geometry::lightAt(static_cast<float>(deg) * kPi / 180);
    EXPECT_LT(light, previous) << deg;
    previous = light;
  }
  EXPECT_FLOAT_EQ(Geometry::lightAt(0), 1);
  EXPECT_NEAR(Geometry::lightAt(kPi / 2), Geometry::kAmbient, 1e-5);
  // The back, at the same lean, a little darker, with the paper's white over its picture.
  EXPECT_LT(Geometry::lightAt(kPi - 0.3f), Geometry::lightAt(0.3f));
  EXPECT_GT(Geometry::lightAt(kPi - 0.3f), 0.8f * Geometry::lightAt(0.3f));
  EXPECT_EQ(Geometry::fadeAt(0.3f), 0);
  EXPECT_GT(Geometry::fadeAt(kPi - 0.3f), 0.3f);

  // On the mesh: the roll's front darkens sample by sample up to the quarter turn, the back
  // past the split lies flat toward the viewer at the back's own light.
  const Geometry::Mesh mesh =
      Geometry::curl(Corner::kRightBottom, {160, 240}, {kW, kH}, kExtents, false);
  ASSERT_GT(mesh.split, 0);
  EXPECT_FLOAT_EQ(mesh.strip[0].light, 1);
  int i = 1;
  for (; 0.01f * static_cast<float>(i) * 1.10940f / mesh.radius < kPi / 2; ++i) {
    EXPECT_LT(mesh.strip[2 * i].light, mesh.strip[2 * i - 2].light) << i;
    EXPECT_EQ(mesh.strip[2 * i].fade, 0) << i;
  }
  for (int j = mesh.split; j < Geometry::kSamples; ++j) {
    EXPECT_NEAR(mesh.strip[2 * j].light, Geometry::kBackShade, 1e-5) << j;
    EXPECT_EQ(mesh.strip[2 * j + 1].fade, Geometry::kBackFade) << j;
  }
}

// --- drawn

// A page whose red grows with the distance from `corner` across and whose green falls with it
// up and down; blue is nought. Light multiplies all three alike and the paper's white adds to
// all three alike, so (r − b) / (g − b) on the screen tells how far from the corner along CF
// the paper seen there lies, whatever its light.
std::shared_ptr<ui::Image> coordinatePage(Point corner) {
  const int w = static_cast<int>(kW);
  const int h = static_cast<int>(kH);
  std::vector<uint8_t> rgba(static_cast<size_t>(w * h * 4));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgba[static_cast<size_t>((y * w + x) * 4)];
      const float dx = std::fabs(static_cast<float>(x) + 0.5f - corner.x) / kW;
      const float dy = std::fabs(static_cast<float>(y) + 0.5f - corner.y) / kH;
      p[0] = static_cast<uint8_t>(std::lround(255 * (0.1f + 0.9f * dx)));
      p[1] = static_cast<uint8_t>(std::lround(255 * (1 - 0.5f * dy)));
      p[2] = 0;
      p[3] = 255;
    }
  }
  return ui::Image::fromPremultipliedRgba(w, h, rgba.data(), static_cast<size_t>(w * 4), false);
}

std::shared_ptr<ui::Image> plain(Color color) {
  const int w = static_cast<int>(kW);
  const int h = static_cast<int>(kH);
  std::vector<uint8_t> rgba(static_cast<size_t>(w * h * 4));
  for (size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = static_cast<uint8_t>(std::lround(255 * color.red));
    rgba[i + 1] = static_cast<uint8_t>(std::lround(255 * color.green));
    rgba[i + 2] = static_cast<uint8_t>(std::lround(255 * color.blue));
    rgba[i + 3] = 255;
  }
  return ui::Image::fromPremultipliedRgba(w, h, rgba.data(), static_cast<size_t>(w * 4), false);
}

class BookCurlRollViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = EAGLView::create(ui::Rect(0, 0, kW, kH));
    if (!view_) GTEST_SKIP() << "no GL context";
    view_->setFlipModel(1);
    view_->layoutIfNeeded();
    view_->redraw();
  }

  void curl(Corner corner, Point finger) {
    switch (corner) {
      case Corner::kRightBottom: view_->flipBookFromRBWithFinger(finger, false); break;
      case Corner::kRightTop: view_->flipBookFromRTWithFinger(finger, false); break;
      case Corner::kLeftBottom: view_->flipBookFromLBWithFinger(finger, false); break;
      case Corner::kLeftTop: view_->flipBookFromLTWithFinger(finger, false); break;
    }
  }

  std::shared_ptr<EAGLView> view_;
};

TEST_F(BookCurlRollViewTest, PaperSeenAlongTheFingersLineFoldsOnceAndNeverCrosses) {
  view_->reloadBottomTextureWithImage(plain(Color(0, 0, 1)).get());
  for (const Case& c : cases()) {
    view_->reloadTopTextureWithImage(coordinatePage(cornerOf(c.corner)).get());
    const Point finger = fingerFor(c);
    curl(c.corner, finger);
    const auto image = view_->presentedImage();
    ASSERT_TRUE(image);
    ASSERT_TRUE(ui::writeSnapshot(*image, "curl-roll-" + name(c)).has_value());
    // From the corner through the finger on toward the spine: past the page to come, the
    // paper's distance from the corner first falls (the roll's top, then its back, up to the
    // corner lying on the page) and then only grows (the flat page): one turn, no other.
    const Point dir = towardFinger(c);
    const Point corner = cornerOf(c.corner);
    std::vector<float> seen;
    for (float k = 1;; k += 1) {
      const int x = static_cast<int>(std::floor(corner.x + k * dir.x));
      const int y = static_cast<int>(std::floor(corner.y + k * dir.y));
      if (x < 0 || y < 0 || x >= static_cast<int>(kW) || y >= static_cast<int>(kH)) break;
      const Color p = image->colorAt(x, y);
      const float across = p.red - p.blue;
      const float upDown = p.green - p.blue;
      if (upDown < 0.06f) continue;  // the page to come
      seen.push_back(across / upDown);
    }
    ASSERT_GT(seen.size(), 20u) << name(c);
    size_t turn = 0;
    for (size_t i = 1; i < seen.size(); ++i) {
      if (seen[i] < seen[turn]) turn = i;
    }
    EXPECT_GT(turn, 2u) << name(c);  // the roll and the back come before the flat page
    const float tolerance = 0.08f;
    for (size_t i = 1; i <= turn; ++i) {
      EXPECT_LE(seen[i], seen[i - 1] + tolerance) << name(c) << " at " << i;
    }
    for (size_t i = turn + 1; i < seen.size(); ++i) {
      EXPECT_GE(seen[i], seen[i - 1] - tolerance) << name(c) << " at " << i;
    }
  }
}

TEST_F(BookCurlRollViewTest, TheRollDarkensFromTheFoldTowardItsRim) {
  view_->reloadTopTextureWithImage(plain(Color(1, 1, 1)).get());
  view_->reloadBottomTextureWithImage(plain(Color(0, 0, 1)).get());
  const Case c{Corner::kRightBottom, 45};
  const Point finger = fingerFor(c);
  curl(c.corner, finger);
  const auto image = view_->presentedImage();
  ASSERT_TRUE(image);
  // The fold passes through the finger; the roll's top lies from there toward the corner, its
  // light falling as the paper leans away from the viewer, down to the rim's ambient.
  const Geometry::Mesh mesh = Geometry::curl(c.corner, finger, {kW, kH}, kExtents, false);
  const float radius = mesh.radius * kW / 2;  // points
  const Point dir = towardFinger(c);
  std::vector<float> light;
  for (float k = 2; k < radius - 2; k += 1) {
    const Color p = image->colorAt(static_cast<int>(finger.x - k * dir.x),
                                   static_cast<int>(finger.y - k * dir.y));
    EXPECT_GT(p.green, 0.1f) << k;  // still the paper, not the page to come
    light.push_back(p.green);
  }
  ASSERT_GT(light.size(), 10u);
  for (size_t i = 1; i < light.size(); ++i) EXPECT_LE(light[i], light[i - 1] + 2.0f / 255) << i;
  EXPECT_GT(light.front() - light.back(), 0.3f);
  EXPECT_NEAR(light.front(), Geometry::kBackShade, 0.05f);
  // Across the fold the roll's top runs on into the paper's back at the same light: no band.
  const Color back = image->colorAt(static_cast<int>(finger.x + 3 * dir.x),
                                    static_cast<int>(finger.y + 3 * dir.y));
  const Color top = image->colorAt(static_cast<int>(finger.x - 3 * dir.x),
                                   static_cast<int>(finger.y - 3 * dir.y));
  EXPECT_NEAR(back.green, top.green, 0.03f);
  EXPECT_NEAR(back.green, Geometry::kBackShade, 0.03f);
  // The flat page just beyond the back is lit full.
  EXPECT_GT(image->colorAt(20, 20).green, 0.98f);
}

}  // namespace
}  // namespace zu
