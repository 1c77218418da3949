#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {
namespace {

void snapshot(const Image& image, const std::string& name) {
  EXPECT_TRUE(writeSnapshot(image, name)) << name;
}

class DrawView : public View {
 public:
  explicit DrawView(const Rect& frame, std::function<void(Canvas&, const Rect&)> fn)
      : View(frame), fn_(std::move(fn)) {}
  void draw(Canvas& canvas, const Rect& rect) override { fn_(canvas, rect); }

 private:
  std::function<void(Canvas&, const Rect&)> fn_;
};

std::shared_ptr<View> solid(const Rect& frame, const Color& color) {
  auto v = std::make_shared<View>(frame);
  v->setBackgroundColor(color);
  return v;
}

// Compares 8-bit channels with a tolerance of one step (rounding in compositing).
void expectPixel(const Image& image, int x, int y, int r, int g, int b, int a) {
  const uint32_t p = image.pixelAt(x, y);
  const int pa = static_cast<int>(p >> 24), pr = static_cast<int>(p >> 16 & 0xff);
  const int pg = static_cast<int>(p >> 8 & 0xff), pb = static_cast<int>(p & 0xff);
  EXPECT_TRUE(std::abs(pr - r) <= 1 && std::abs(pg - g) <= 1 && std::abs(pb - b) <= 1 &&
              std::abs(pa - a) <= 1)
      << "at " << x << "," << y << ": got " << pr << " " << pg << " " << pb << " " << pa
      << ", want " << r << " " << g << " " << b << " " << a;
}

TEST(RenderTest, TreeCompositesFillsAlphaClippingScrollOffsetsAndHiddenViews) {
  auto root = solid(Rect(0, 0, 40, 40), Color::whiteColor());
  root->addSubview(solid(Rect(0, 0, 20, 20), Color::redColor()));
  auto faded = solid(Rect(20, 0, 20, 20), Color::blueColor());
  faded->setAlpha(0.5f);
  root->addSubview(faded);
  auto clipper = solid(Rect(0, 20, 20, 20), Color::greenColor());
  clipper->setClipsToBounds(true);
  clipper->addSubview(solid(Rect(10, 10, 20, 20), Color::blackColor()));
  root->addSubview(clipper);
  // (0, -10) in the scrolled view's space is (15, 5) in the root's, over the red square.
  auto spill = solid(Rect(0, -10, 5, 5), Color::blackColor());
  auto scrolled = solid(Rect(20, 20, 20, 20), Color::yellowColor());
  scrolled->setBounds(Rect(5, 5, 20, 20));
  scrolled->addSubview(solid(Rect(5, 5, 5, 5), Color::magentaColor()));
  scrolled->addSubview(spill);  // not clipped: spills over the root's corner
  root->addSubview(scrolled);
  auto cover = solid(Rect(0, 0, 40, 40), Color::blackColor());
  cover->setHidden(true);
  root->addSubview(cover);

  auto image = render(*root);
  ASSERT_TRUE(image);
  snapshot(*image, "render-tree");
  ASSERT_EQ(40, image->pixelWidth());
  expectPixel(*image, 5, 5, 255, 0, 0, 255);
  expectPixel(*image, 30, 10, 128, 128, 255, 255);  // half blue over white
  expectPixel(*image, 5, 25, 0, 255, 0, 255);
  expectPixel(*image, 15, 35, 0, 0, 0, 255);        // the clipped child, inside
  expectPixel(*image, 22, 22, 255, 0, 255, 255);    // (5, 5) scrolled to the corner
  expectPixel(*image, 27, 27, 255, 255, 0, 255);
  expectPixel(*image, 17, 7, 0, 0, 0, 255);
  expectPixel(*image, 14, 7, 255, 0, 0, 255);
  // The clipped child stops at the green view's edge: right of it is the yellow view.
  expectPixel(*image, 21, 35, 255, 255, 0, 255);
  expectPixel(*image, 20, 30, 255, 255, 0, 255);

  // A view's alpha fades the group: overlapping black children stay one even grey.
  auto group = std::make_shared<View>(Rect(0, 0, 40, 40));
  group->setAlpha(0.5f);
  group->addSubview(solid(Rect(0, 0, 20, 10), Color::blackColor()));
  group->addSubview(solid(Rect(10, 0, 20, 10), Color::blackColor()));
  root->addSubview(group);
  auto faded2 = render(*root);
  expectPixel(*faded2, 5, 5, 128, 0, 0, 255);
  expectPixel(*faded2, 12, 2, 128, 0, 0, 255);  // where the two overlap
  expectPixel(*faded2, 25, 5, 64, 64, 128, 255);
}

TEST(RenderTest, TransformsCornersBordersAndDrawOrder) {
  auto root = solid(Rect(0, 0, 40, 40), Color::whiteColor());
  auto scaled = solid(Rect(15, 15, 10, 10), Color::redColor());
  scaled->setTransform(Transform::makeScale(2, 2));  // covers 10…30
  root->addSubview(scaled);
  auto image = render(*root);
  expectPixel(*image, 11, 11, 255, 0, 0, 255);
  expectPixel(*image, 28, 28, 255, 0, 0, 255);
  expectPixel(*image, 9, 9, 255, 255, 255, 255);
  expectPixel(*image, 31, 20, 255, 255, 255, 255);

  // Rounded corners with a border: the corner pixel is clear, the edge is border, inside is fill.
  auto card = solid(Rect(0, 0, 20, 20), Color::redColor());
  card->layer().cornerRadius = 8;
  card->layer().borderWidth = 2;
  card->layer().borderColor = Color::blueColor();
  // The border is drawn above subviews.
  card->addSubview(solid(Rect(0, 9, 20, 2), Color::greenColor()));
  auto picture = render(*card);
  snapshot(*picture, "render-card");
  expectPixel(*picture, 0, 0, 0, 0, 0, 0);
  expectPixel(*picture, 10, 0, 0, 0, 255, 255);
  expectPixel(*picture, 10, 5, 255, 0, 0, 255);
  expectPixel(*picture, 0, 10, 0, 0, 255, 255);
  expectPixel(*picture, 10, 10, 0, 255, 0, 255);

  // draw() comes after the background and before the subviews, in bounds space.
  auto custom = std::make_shared<DrawView>(Rect(0, 0, 10, 10), [](Canvas& c, const Rect& rect) {
    EXPECT_EQ(Rect(0, 0, 10, 10), rect);
    c.setFillColor(Color::blueColor());
    c.fillRect(Rect(0, 0, 10, 5));
  });
  custom->setBackgroundColor(Color::redColor());
  custom->addSubview(solid(Rect(0, 0, 5, 10), Color::greenColor()));
  auto drawn = render(*custom);
  expectPixel(*drawn, 2, 2, 0, 255, 0, 255);
  expectPixel(*drawn, 7, 2, 0, 0, 255, 255);
  expectPixel(*drawn, 7, 7, 255, 0, 0, 255);

  // Zero-sized trees render to nothing rather than failing.
  auto empty = std::make_shared<View>();
  EXPECT_EQ(nullptr, render(*empty));
}

TEST(RenderTest, StretchableImagesKeepTheirCaps) {
  // 5×5: a two-pixel red frame around a green middle pixel.
  auto tile = Image::create(5, 5);
  uint32_t* px = tile->mutablePixels();
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      px[y * 5 + x] = (x == 2 && y == 2 ? Color::greenColor() : Color::redColor()).premultipliedArgb();
    }
  }
  auto stretchable = tile->stretchableImage(2, 2);
  auto target = Image::create(20, 12);
  {
    Canvas canvas(*target);
    canvas.drawImage(*stretchable, Rect(0, 0, 20, 12));
  }
  expectPixel(*target, 0, 0, 255, 0, 0, 255);
  expectPixel(*target, 1, 6, 255, 0, 0, 255);
  expectPixel(*target, 18, 6, 255, 0, 0, 255);
  expectPixel(*target, 10, 1, 255, 0, 0, 255);
  expectPixel(*target, 10, 6, 0, 255, 0, 255);
  expectPixel(*target, 3, 3, 0, 255, 0, 255);
  expectPixel(*target, 16, 9, 0, 255, 0, 255);

  // An image view scaled to fill keeps the caps too (its contentStretch is the whole unit
  // rectangle), and a stretchable image keeps its caps whatever the view's contentStretch.
  auto view = std::make_shared<ImageView>(Rect(0, 0, 20, 12));
  view->setImage(stretchable);
  for (const Rect& stretch : {Rect(0, 0, 1, 1), Rect(0.4f, 0.4f, 0.2f, 0.2f)}) {
    view->setContentStretch(stretch);
    auto drawn = render(*view);
    expectPixel(*drawn, 1, 6, 255, 0, 0, 255);
    expectPixel(*drawn, 4, 6, 0, 255, 0, 255);
    expectPixel(*drawn, 15, 6, 0, 255, 0, 255);
    expectPixel(*drawn, 18, 6, 255, 0, 0, 255);
  }

  // Aspect fit inside a wide rectangle leaves the sides untouched.
  auto fitted = Image::create(30, 10);
  {
    Canvas canvas(*fitted);
    canvas.drawImage(*tile, Rect(0, 0, 30, 10), ContentMode::ScaleAspectFit);
  }
  expectPixel(*fitted, 2, 5, 0, 0, 0, 0);
  expectPixel(*fitted, 11, 1, 255, 0, 0, 255);
  expectPixel(*fitted, 25, 5, 0, 0, 0, 0);
}

// A stretchable button picture at a fractional position and width (a bar button sized to its
// title) meets its caps inside a pixel: that pixel is the picture's colour, not lightened by the
// background showing between the parts. A fade still fades the whole picture once.
TEST(RenderTest, StretchableImageAtFractionalWidthHasNoSeam) {
  auto tile = Image::create(11, 6);
  for (int p = 0; p < 11 * 6; ++p) tile->mutablePixels()[p] = Color::rgba8(40, 60, 90).premultipliedArgb();
  auto stretchable = tile->stretchableImage(5, 0);
  for (float x : {3.25f, 3.5f, 3.75f}) {
    for (float width : {30.3f, 30.5f, 31.7f}) {
      auto target = Image::create(40, 6);
      {
        Canvas canvas(*target);
        canvas.setFillColor(Color::whiteColor());
        canvas.fillRect(Rect(0, 0, 40, 6));
        canvas.drawImage(*stretchable, Rect(x, 0, width, 6));
      }
      const int first = static_cast<int>(std::ceil(x));
      const int last = static_cast<int>(std::floor(x + width)) - 1;
      for (int px = first; px <= last; ++px) {
        SCOPED_TRACE(testing::Message() << "x " << x << " width " << width << " pixel " << px);
        expectPixel(*target, px, 3, 40, 60, 90, 255);
      }
    }
  }
  auto faded = Image::create(40, 6);
  {
    Canvas canvas(*faded);
    canvas.drawImage(*stretchable, Rect(3.5f, 0, 30.5f, 6), 0.5f);
  }
  for (int px : {4, 8, 9, 10, 20, 28, 29, 30, 32}) expectPixel(*faded, px, 3, 20, 30, 45, 128);
}

// An image view's contentStretch: a 20-pixel image with 4-pixel blue ends and a red middle,
// stretched only in its middle, keeps 4-point ends at any width; a view narrower than the ends
// shrinks them in proportion; an empty stretch scales the whole image.
TEST(RenderTest, ContentStretchKeepsTheEndsOfAnImageView) {
  auto bar = Image::create(20, 2);
  uint32_t* px = bar->mutablePixels();
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 20; ++x) {
      px[y * 20 + x] = (x < 4 || x >= 16 ? Color::blueColor() : Color::redColor()).premultipliedArgb();
    }
  }
  auto view = std::make_shared<ImageView>(Rect(0, 0, 100, 2));
  view->setImage(bar);
  view->setContentStretch(Rect(4.f / 20, 0, 12.f / 20, 1));
  auto wide = render(*view);
  expectPixel(*wide, 3, 1, 0, 0, 255, 255);
  expectPixel(*wide, 4, 1, 255, 0, 0, 255);
  expectPixel(*wide, 95, 1, 255, 0, 0, 255);
  expectPixel(*wide, 96, 1, 0, 0, 255, 255);

  view->setFrame(Rect(0, 0, 4, 2));
  auto narrow = render(*view);
  expectPixel(*narrow, 0, 1, 0, 0, 255, 255);
  expectPixel(*narrow, 3, 1, 0, 0, 255, 255);

  view->setFrame(Rect(0, 0, 100, 2));
  view->setContentStretch(Rect(0, 0, 0, 0));
  auto scaled = render(*view);
  expectPixel(*scaled, 10, 1, 0, 0, 255, 255);
  expectPixel(*scaled, 50, 1, 255, 0, 0, 255);
  expectPixel(*scaled, 90, 1, 0, 0, 255, 255);
}

TEST(RenderTest, ScreenCompositesVisibleWindowsByLevel) {
  auto alert = std::make_shared<Window>(Rect(0, 0, 320, 480));
  alert->setWindowLevel(kWindowLevelAlert);
  alert->addSubview(solid(Rect(100, 100, 20, 20), Color::blueColor()));
  alert->setHidden(false);
  auto main = std::make_shared<Window>(Rect(0, 0, 320, 480));
  main->setBackgroundColor(Color::redColor());
  main->makeKeyAndVisible();
  auto hidden = std::make_shared<Window>(Rect(0, 0, 320, 480));
  hidden->setBackgroundColor(Color::greenColor());
  hidden->setWindowLevel(kWindowLevelStatusBar);

  auto screen = renderScreen();
  snapshot(*screen, "render-screen");
  EXPECT_EQ(320, screen->pixelWidth());
  EXPECT_EQ(480, screen->pixelHeight());
  // The status bar covers the window's top 20 points.
  expectPixel(*screen, 5, 25, 255, 0, 0, 255);
  expectPixel(*screen, 110, 110, 0, 0, 255, 255);
  Application::shared().resetForTesting();
}

}  // namespace
}  // namespace zu::ui
