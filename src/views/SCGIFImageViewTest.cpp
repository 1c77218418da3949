#include "views/SCGIFImageView.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/runtime/FileUtil.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "testing/TempHome.h"
#include "views/GifTestFiles.h"

namespace zu {
namespace {

using giftest::Bytes;
using giftest::Gif;

constexpr uint32_t kRed = 0xffff0000u;
constexpr uint32_t kGreen = 0xff00ff00u;
constexpr uint32_t kBlue = 0xff0000ffu;
constexpr uint32_t kWhite = 0xffffffffu;
constexpr uint32_t kClear = 0;

std::vector<uint8_t> fill(int n, uint8_t v) { return std::vector<uint8_t>(static_cast<size_t>(n), v); }

// Red canvas kept (1); green square restored away (3); blue corner cleared after (2); white
// pixel left (0). Delays 0, 0, 20, 10.
Gif disposals(int scale = 1) {
  const int s = scale;
  Gif gif(4 * s, 3 * s);
  gif.control(1, 0).image(0, 0, 4 * s, 3 * s, fill(12 * s * s, 0))
      .control(3, 0).image(2 * s, 1 * s, 2 * s, 2 * s, fill(4 * s * s, 1))
      .control(2, 20).image(0, 0, s, s, fill(s * s, 2))
      .control(0, 10).image(3 * s, 0, s, s, fill(s * s, 3))
      .trailer();
  return gif;
}

TEST(SCGIFImageViewTest, ComposesByDisposalAndPlaysForEverOverTheSumOfDelays) {
  auto view = SCGIFImageView::createWithGIFData(disposals().bytes);
  ASSERT_TRUE(view);
  const auto& pictures = view->animationImages();
  ASSERT_EQ(4u, pictures.size());
  auto at = [&](size_t i, int x, int y) { return pictures[i]->pixelAt(x, y); };
  EXPECT_EQ(4, pictures[0]->pixelWidth());
  EXPECT_EQ(kRed, at(0, 3, 2));
  EXPECT_EQ(kGreen, at(1, 2, 1));
  EXPECT_EQ(kRed, at(1, 1, 1));
  // Disposal 3 put the canvas back as it was before the green square.
  EXPECT_EQ(kRed, at(2, 2, 1));
  EXPECT_EQ(kBlue, at(2, 0, 0));
  // Disposal 2 left the blue corner transparent.
  EXPECT_EQ(kClear, at(3, 0, 0));
  EXPECT_EQ(kWhite, at(3, 3, 0));
  EXPECT_EQ(kRed, at(3, 1, 0));

  // Delays 0 count as 10: (10 + 10 + 20 + 10) / 100 s; repeated for ever, starting on frame 0.
  EXPECT_DOUBLE_EQ(0.5, view->animationDuration());
  EXPECT_EQ(0, view->animationRepeatCount());
  EXPECT_TRUE(view->isAnimating());
  EXPECT_EQ(pictures[0], view->image());
  EXPECT_EQ(10, view->GIF_frames()[0].delay);

  // Frame access: data and pictures by index, nothing outside the list.
  const int count = static_cast<int>(view->GIF_frames().size());
  EXPECT_EQ(4, count);
  ASSERT_TRUE(view->getFrameAsDataAtIndex(1));
  EXPECT_EQ(view->GIF_frames()[1].data, *view->getFrameAsDataAtIndex(1));
  EXPECT_EQ(nullptr, view->getFrameAsDataAtIndex(count));
  EXPECT_EQ(nullptr, view->getFrameAsDataAtIndex(-1));
  EXPECT_EQ(nullptr, view->getFrameAsImageAtIndex(-1));
  auto single = view->getFrameAsImageAtIndex(1);
  ASSERT_TRUE(single);
  EXPECT_EQ(kGreen, single->pixelAt(3, 2));
  EXPECT_EQ(kClear, single->pixelAt(0, 0));

  auto frames = SCGIFImageView::getGifFrames(disposals().bytes);
  ASSERT_TRUE(frames);
  EXPECT_EQ(20, (*frames)[2].delay);
  EXPECT_EQ(10, (*frames)[1].delay);

  // A picture for a reviewer: each composed frame of a larger copy, side by side.
  auto big = SCGIFImageView::createWithGIFData(disposals(20).bytes);
  ASSERT_TRUE(big);
  auto sheet = ui::Image::create(4 * 80 + 3 * 8, 60);
  {
    ui::Canvas canvas(*sheet);
    canvas.setFillColor(ui::Color::white(0.5f));
    canvas.fillRect(ui::Rect(0, 0, 4 * 80 + 3 * 8, 60));
    for (size_t i = 0; i < big->animationImages().size(); ++i) {
      canvas.drawImage(*big->animationImages()[i], ui::Rect(static_cast<float>(i) * 88, 0, 80, 60));
    }
  }
  EXPECT_TRUE(ui::writeSnapshot(*sheet, "gif-composed-frames"));
}

TEST(SCGIFImageViewTest, StillImagesAndHostileFiles) {
  // Too short: no view. Not a GIF: a view with whatever still image the data makes.
  EXPECT_FALSE(SCGIFImageView::createWithGIFData(Bytes{'G', 'I', 'F'}));
  auto notGif = SCGIFImageView::createWithGIFData(Bytes{'a', 'b', 'c', 'd', 'e'});
  ASSERT_TRUE(notGif);
  EXPECT_FALSE(notGif->image());
  EXPECT_FALSE(SCGIFImageView::getGifFrames(Bytes{'a', 'b', 'c', 'd', 'e'}));

  // A GIF87a file (no control blocks) shows as its still picture.
  Gif old(2, 2, 0x81, "GIF87a");
  old.image(0, 0, 2, 2, fill(4, 2)).trailer();
  auto still = SCGIFImageView::createWithGIFData(old.bytes);
  ASSERT_TRUE(still);
  EXPECT_FALSE(still->isAnimating());
  ASSERT_TRUE(still->image());
  EXPECT_EQ(kBlue, still->image()->pixelAt(1, 1));
  auto none = SCGIFImageView::getGifFrames(old.bytes);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());

  // A 65535 × 65535 screen: refused before anything is decoded; no picture at all.
  Gif huge(65535, 65535);
  huge.control(0, 10).image(0, 0, 2, 2, fill(4, 1)).control(0, 10).image(0, 0, 2, 2, fill(4, 2)).trailer();
  auto refused = SCGIFImageView::createWithGIFData(huge.bytes);
  ASSERT_TRUE(refused);
  EXPECT_FALSE(refused->isAnimating());
  EXPECT_FALSE(refused->image());

  // A frame whose data makes no picture (no table anywhere) is skipped with its delay.
  Gif tableless(2, 2, 0x00);
  tableless.control(0, 30).image(0, 0, 2, 2, fill(4, 1))
      .control(0, 40).image(0, 0, 2, 2, fill(4, 1), 0x81).trailer();
  auto partly = SCGIFImageView::createWithGIFData(tableless.bytes);
  ASSERT_TRUE(partly);
  ASSERT_EQ(1u, partly->animationImages().size());
  EXPECT_DOUBLE_EQ(0.4, partly->animationDuration());
  // Frames claiming too many pixels together compose nothing.
  std::vector<AnimatedGifFrame> claimed(2);
  for (auto& f : claimed) {
    Gif g(8192, 8192);
    g.control(0, 1).image(0, 0, 1, 1, {0}).trailer();
    f.data = g.standalone(0, 0);
  }
  EXPECT_TRUE(SCGIFImageView::compose(claimed).pictures.empty());
  // An empty frame list stops the animation and keeps what is shown.
  auto view = SCGIFImageView::createWithGIFData(disposals().bytes);
  auto shown = view->image();
  view->setGIF_frames({});
  EXPECT_FALSE(view->isAnimating());
  EXPECT_EQ(shown, view->image());
}

TEST(SCGIFImageViewTest, LoadingFilesIntoAnExistingView) {
  TempHome home;
  const auto folder = home.path();
  const auto animated = folder / "a.gif";
  const auto old = folder / "old.gif";
  const auto text = folder / "t.txt";
  ASSERT_TRUE(FileUtil::writeFileAtomically(animated, disposals().bytes));
  Gif oldGif(2, 2, 0x81, "GIF87a");
  oldGif.image(0, 0, 2, 2, fill(4, 2)).trailer();
  ASSERT_TRUE(FileUtil::writeFileAtomically(old, oldGif.bytes));
  ASSERT_TRUE(FileUtil::writeFileAtomically(text, std::string("not a picture")));

  auto view = std::make_shared<SCGIFImageView>(ui::Rect(0, 0, 40, 30));
  view->loadGIFFile(folder / "missing.gif");
  view->loadGIFFile(text);
  EXPECT_FALSE(view->image());
  view->loadGIFFile(animated);
  EXPECT_TRUE(view->isAnimating());
  EXPECT_EQ(4u, view->GIF_frames().size());
  auto shown = view->image();
  // A GIF without frames empties the list and leaves the pictures.
  view->loadGIFFile(old);
  EXPECT_TRUE(view->GIF_frames().empty());
  EXPECT_EQ(shown, view->image());
  EXPECT_EQ(4u, view->animationImages().size());

  auto fromFile = SCGIFImageView::createWithGIFFile(animated);
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(4u, fromFile->animationImages().size());
  EXPECT_FALSE(SCGIFImageView::createWithGIFFile(folder / "missing.gif"));
}

}  // namespace
}  // namespace zu
