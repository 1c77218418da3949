#include <gif_lib.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <future>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "platform/device/DeviceProfile.h"
#include "platform/runtime/Bundle.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "testing/TempHome.h"

namespace zu::ui {
namespace {

using Bytes = std::vector<uint8_t>;

// A 4×2 test picture: red, green, blue, white / half-transparent red, clear, black, grey.
std::shared_ptr<Image> samplePicture() {
  auto image = Image::create(4, 2);
  const Color colors[8] = {Color::redColor(), Color::greenColor(), Color::blueColor(),
                           Color::whiteColor(), Color(1, 0, 0, 0.5f), Color::clearColor(),
                           Color::blackColor(), Color::white(0.5f)};
  uint32_t* px = image->mutablePixels();
  for (int i = 0; i < 8; ++i) px[i] = colors[i].premultipliedArgb();
  return image;
}

// JPEG of a w×h image whose left half is pure red and right half pure blue.
Bytes encodeJpeg(int w, int h) {
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  for (int x = 0; x < w; ++x) {
    row[3 * x] = x < w / 2 ? 255 : 0;
    row[3 * x + 1] = 0;
    row[3 * x + 2] = x < w / 2 ? 0 : 255;
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes bytes(out, out + size);
  jpeg_destroy_compress(&info);
  std::free(out);
  return bytes;
}

int writeGif(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

// A GIF89a with a 6×5 screen and one frame of 4×3 at (1, 1), palette red/green/blue/yellow,
// index 3 transparent, optionally interlaced, optionally followed by a second frame.
Bytes encodeGif(bool interlace, bool secondFrame = false, bool withTable = true) {
  Bytes bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, writeGif, &error);
  EGifSetGifVersion(gif, true);
  GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
  ColorMapObject* map = GifMakeMapObject(4, colors);
  EGifPutScreenDesc(gif, 6, 5, 2, 0, withTable ? map : nullptr);
  const GifByteType gce[4] = {0x01, 0, 0, 3};
  EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
  EGifPutImageDesc(gif, 1, 1, 4, 3, interlace, nullptr);
  GifPixelType rows[3][4] = {{0, 1, 2, 3}, {1, 1, 1, 1}, {2, 2, 3, 0}};
  // Interlaced rows are written in pass order: 0 (pass 1), 2 (pass 3), 1 (pass 4).
  const int order[3] = {0, interlace ? 2 : 1, interlace ? 1 : 2};
  for (int r : order) EGifPutLine(gif, rows[r], 4);
  if (secondFrame) {
    EGifPutImageDesc(gif, 0, 0, 6, 5, false, nullptr);
    GifPixelType line[6] = {1, 1, 1, 1, 1, 1};
    for (int r = 0; r < 5; ++r) EGifPutLine(gif, line, 6);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return bytes;
}

TEST(ImageTest, PngRoundTripKeepsColoursAndAlpha) {
  auto picture = samplePicture();
  auto png = picture->pngData();
  ASSERT_TRUE(png);
  auto back = Image::fromData(*png);
  ASSERT_TRUE(back);
  ASSERT_EQ(4, back->pixelWidth());
  ASSERT_EQ(2, back->pixelHeight());
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(picture->pixelAt(x, y), back->pixelAt(x, y)) << x << "," << y;
    }
  }
  // Half-transparent red is stored premultiplied and read back straight.
  EXPECT_EQ(0x80800000u, back->pixelAt(0, 1));
  EXPECT_EQ(Color(1, 0, 0, 128 / 255.f), back->colorAt(0, 1));
  EXPECT_EQ(Color::clearColor(), back->colorAt(9, 9));

  // GL read-back rows are bottom-up.
  auto rgba = picture->premultipliedRgba(true);
  auto flipped = Image::fromPremultipliedRgba(4, 2, rgba.data(), 16, true);
  ASSERT_TRUE(flipped);
  EXPECT_EQ(picture->pixelAt(2, 0), flipped->pixelAt(2, 0));
  EXPECT_EQ(picture->pixelAt(3, 1), flipped->pixelAt(3, 1));
}

// Noise does not compress: its PNG is as large as a PNG of those pixels can be, so the room the
// encoder sets aside for one pass must hold it, at every shape (a lone pixel, rows narrower and
// wider than libpng's buffers, a whole screen), and every pixel comes back — opaque ones exactly,
// translucent ones as their premultiplied value read back straight.
TEST(ImageTest, PngOfNoiseComesBackWhole) {
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 257}, std::pair{4099, 2}, std::pair{320, 480}}) {
    auto picture = Image::create(w, h);
    ASSERT_TRUE(picture);
    uint32_t* px = picture->mutablePixels();
    for (int i = 0; i < w * h; ++i) {
      const uint32_t a = i % 5 == 0 ? next() & 0xff : 0xff;
      const uint32_t r = (next() & 0xff) * a / 255, g = (next() & 0xff) * a / 255, b = (next() & 0xff) * a / 255;
      px[i] = a << 24 | r << 16 | g << 8 | b;
    }
    const auto png = picture->pngData();
    ASSERT_TRUE(png) << w << "×" << h;
    // Hardly smaller than the colours themselves (the alpha of the opaque ones is what shrinks).
    EXPECT_GT(png->size(), static_cast<size_t>(w) * h * 3 * 9 / 10) << "noise compressed: not the worst case";
    const auto back = Image::fromData(*png);
    ASSERT_TRUE(back) << w << "×" << h;
    ASSERT_EQ(w, back->pixelWidth());
    ASSERT_EQ(h, back->pixelHeight());
    int wrong = 0;
    for (int i = 0; i < w * h; ++i) {
      const uint32_t p = px[i];
      const uint32_t a = p >> 24;
      uint32_t expected = p;
      if (a != 0xff) {
        auto straight = [a](uint32_t c) { return a == 0 ? 0u : (c * 255 + a / 2) / a; };
        auto pm = [a](uint32_t c) { return (c * a + 127) / 255; };
        expected = a << 24 | pm(straight(p >> 16 & 0xff)) << 16 | pm(straight(p >> 8 & 0xff)) << 8 |
                   pm(straight(p & 0xff));
      }
      wrong += back->pixels()[i] != expected;
    }
    EXPECT_EQ(0, wrong) << w << "×" << h;
  }
}

// A PNG that cannot be written whole (here the file-size limit stops it part way) leaves
// neither the file nor a temporary one behind.
TEST(ImageTest, AFailedPngWriteLeavesNothing) {
  TempHome home;
  auto picture = Image::create(64, 64);
  ASSERT_TRUE(picture);
  {
    Canvas canvas(*picture);
    for (int i = 0; i < 64; ++i) {
      canvas.setFillColor(Color::rgba8(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11), 90));
      canvas.fillRect(Rect(static_cast<float>(i % 8) * 8, static_cast<float>(i / 8) * 8, 5, 3));
    }
  }
  ASSERT_GT(picture->pngData()->size(), 200u);
  const auto folder = home.path() / "pictures";
  std::filesystem::create_directories(folder);
  struct rlimit before {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = picture->writePng(folder / "picture.png");
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_TRUE(picture->writePng(folder / "picture.png"));
  EXPECT_TRUE(Image::fromFile(folder / "picture.png"));
}

TEST(ImageTest, JpegAndGifDecode) {
  auto jpeg = Image::fromData(encodeJpeg(16, 8));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(16, jpeg->pixelWidth());
  EXPECT_EQ(8, jpeg->pixelHeight());
  const Color left = jpeg->colorAt(2, 4);
  const Color right = jpeg->colorAt(13, 4);
  EXPECT_GT(left.red, 0.9f);
  EXPECT_LT(left.blue, 0.1f);
  EXPECT_GT(right.blue, 0.9f);
  EXPECT_LT(right.red, 0.1f);
  EXPECT_EQ(1.f, left.alpha);

  for (bool interlace : {false, true}) {
    SCOPED_TRACE(interlace ? "interlaced" : "progressive rows");
    auto gif = Image::fromData(encodeGif(interlace, true));
    ASSERT_TRUE(gif);
    // The logical screen, with the first frame at (1, 1); outside it and index 3: clear.
    EXPECT_EQ(6, gif->pixelWidth());
    EXPECT_EQ(5, gif->pixelHeight());
    EXPECT_EQ(0u, gif->pixelAt(0, 0));
    EXPECT_EQ(0xffff0000u, gif->pixelAt(1, 1));
    EXPECT_EQ(0xff00ff00u, gif->pixelAt(2, 1));
    EXPECT_EQ(0xff0000ffu, gif->pixelAt(3, 1));
    EXPECT_EQ(0u, gif->pixelAt(4, 1));
    EXPECT_EQ(0xff00ff00u, gif->pixelAt(1, 2));
    EXPECT_EQ(0xff0000ffu, gif->pixelAt(1, 3));
    EXPECT_EQ(0u, gif->pixelAt(3, 3));
    EXPECT_EQ(0xffff0000u, gif->pixelAt(4, 3));
    EXPECT_EQ(0u, gif->pixelAt(5, 4));  // the second frame is not drawn
  }
}

TEST(ImageTest, BadImagesAreNull) {
  const Bytes png = *samplePicture()->pngData();
  const Bytes jpeg = encodeJpeg(16, 16);
  const Bytes gif = encodeGif(false);
  auto cut = [](const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + static_cast<long>(n)); };

  EXPECT_EQ(nullptr, Image::fromData(Bytes{}));
  EXPECT_EQ(nullptr, Image::fromData(Bytes{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(nullptr, Image::fromData(cut(png, png.size() - 20)));
  EXPECT_EQ(nullptr, Image::fromData(cut(png, 30)));
  EXPECT_EQ(nullptr, Image::fromData(cut(jpeg, jpeg.size() / 2)));
  EXPECT_EQ(nullptr, Image::fromData(cut(jpeg, 3)));
  EXPECT_EQ(nullptr, Image::fromData(cut(gif, gif.size() - 6)));
  EXPECT_EQ(nullptr, Image::fromData(cut(gif, 13)));

  // A PNG header claiming 100000 × 100000 pixels is refused before any allocation.
  Bytes huge = png;
  const uint8_t side[4] = {0x00, 0x01, 0x86, 0xa0};
  std::memcpy(&huge[16], side, 4);
  std::memcpy(&huge[20], side, 4);
  EXPECT_EQ(nullptr, Image::fromData(huge));

  // A GIF whose frame has no colour table anywhere.
  EXPECT_EQ(nullptr, Image::fromData(encodeGif(false, false, false)));

  EXPECT_EQ(nullptr, Image::create(0, 10));
  EXPECT_EQ(nullptr, Image::create(Image::kMaxSide + 1, 1));
  EXPECT_EQ(nullptr, Image::fromFile("/nonexistent/picture.png"));
}

// A named pipe in a picture's place (the screens load pictures from the home's folders on the
// main thread) is refused at once: never waited on for a writer, nor read to its end. Here a
// whole picture waits in the pipe and its writing end stays open, so a read would take the
// picture and then wait; the end is closed after a while in any case, so such a read ends.
TEST(ImageTest, APipeInAPicturesPlaceIsRefusedNotWaitedOn) {
  TempHome home;
  const std::filesystem::path pipe = home.path() / "0_large";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int ends = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(ends, 0);
  const Bytes png = *samplePicture()->pngData();
  ASSERT_EQ(::write(ends, png.data(), png.size()), static_cast<ssize_t>(png.size()));
  std::promise<void> loaded;
  std::thread release([&ends, done = loaded.get_future()] {
    done.wait_for(std::chrono::seconds(3));
    ::close(ends);
  });
  const std::shared_ptr<Image> image = Image::fromFile(pipe);
  loaded.set_value();
  release.join();
  EXPECT_EQ(image, nullptr);
}

TEST(ImageTest, NamedImagesComeFromTheBundleOnceAtTheScreensScale) {
  TempHome home;
  const auto dir = home.path() / "resources";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(samplePicture()->writePng(dir / "dot.png"));
  auto big = Image::create(8, 8);
  ASSERT_TRUE(big->writePng(dir / "dot@2x.png"));
  {
    std::ofstream bad(dir / "bad.png", std::ios::binary);
    bad << "not a picture";
  }
  Bundle::setMainBundleForTesting(dir);
  Image::clearNamedCache();

  auto dot = Image::named("dot");
  ASSERT_TRUE(dot);
  EXPECT_EQ(4, dot->pixelWidth());
  EXPECT_EQ(1.f, dot->scale());
  EXPECT_EQ("dot", dot->name());
  EXPECT_EQ(dot, Image::named("dot"));
  EXPECT_EQ(4, Image::named("dot.png")->pixelWidth());
  EXPECT_EQ(nullptr, Image::named("bad"));
  EXPECT_EQ(nullptr, Image::named("missing"));
  EXPECT_EQ(nullptr, Image::named("../escape"));

  Image::clearNamedCache();
  EXPECT_NE(dot, Image::named("dot"));

  // On a double-density screen the "@2x" picture, as many points and twice the pixels; a name
  // without one falls back to the plain picture; the plain one is still had at scale 1.
  ASSERT_TRUE(samplePicture()->writePng(dir / "plain.png"));
  EXPECT_EQ(1.f, Image::named("dot@2x")->scale());  // asked for by its own name
  DeviceProfile::setScreenScale(2);
  auto twice = Image::named("dot");
  ASSERT_TRUE(twice);
  EXPECT_EQ(8, twice->pixelWidth());
  EXPECT_EQ(2.f, twice->scale());
  EXPECT_EQ((Size{4, 4}), twice->size());
  EXPECT_EQ("dot", twice->name());
  EXPECT_EQ(twice, Image::named("dot"));
  EXPECT_EQ(8, Image::named("dot.png")->pixelWidth());
  EXPECT_EQ(1.f, Image::named("plain")->scale());
  EXPECT_EQ(nullptr, Image::named("bad"));
  DeviceProfile::setScreenScale(1);
  EXPECT_EQ(4, Image::named("dot")->pixelWidth());
  Image::clearNamedCache();
  Bundle::resetMainBundleForTesting();
}

// Caps are points: a double-density picture keeps caps of twice the pixels, so its ends come
// out the same size in points as the plain picture's.
TEST(ImageTest, StretchableCapsArePointsAtEitherScale) {
  for (float scale : {1.f, 2.f}) {
    const int s = static_cast<int>(scale);
    // 9 points wide: 4-point blue ends around a red middle point.
    auto picture = Image::create(9 * s, 2 * s, scale);
    for (int y = 0; y < 2 * s; ++y) {
      for (int x = 0; x < 9 * s; ++x) {
        const bool middle = x >= 4 * s && x < 5 * s;
        picture->mutablePixels()[y * 9 * s + x] = (middle ? Color::redColor() : Color::blueColor()).premultipliedArgb();
      }
    }
    auto stretchable = picture->stretchableImage(4, 0);
    EXPECT_EQ(4, stretchable->leftCapWidth());
    auto target = Image::create(40 * s, 2 * s, scale);
    {
      Canvas canvas(*target);
      canvas.drawImage(*stretchable, Rect(0, 0, 40, 2));
    }
    SCOPED_TRACE(scale);
    EXPECT_EQ(Color::blueColor(), target->colorAt(static_cast<int>(3.5f * scale), 0));
    EXPECT_EQ(Color::redColor(), target->colorAt(static_cast<int>(4.5f * scale), 0));
    EXPECT_EQ(Color::redColor(), target->colorAt(static_cast<int>(35.5f * scale), 0));
    EXPECT_EQ(Color::blueColor(), target->colorAt(static_cast<int>(36.5f * scale), 0));
  }
  // A cap wider than the picture is cut so that a middle column remains.
  EXPECT_EQ(8, Image::create(18, 4, 2)->stretchableImage(20, 0)->leftCapWidth());
}

// Four caps: a 10 × 6 picture with 2-point blue left and top edges, a 3-point green right edge
// and a 1-point yellow bottom edge keeps each edge's size at any size; the red middle stretches.
TEST(ImageTest, ResizableImagesKeepFourCaps) {
  auto picture = Image::create(10, 6, 1);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 10; ++x) {
      Color c = Color::redColor();
      if (x < 2 || y < 2) c = Color::blueColor();
      if (x >= 7) c = Color::greenColor();
      if (y >= 5) c = Color::yellowColor();
      picture->mutablePixels()[y * 10 + x] = c.premultipliedArgb();
    }
  }
  auto board = picture->resizableImage(EdgeInsets{2, 2, 1, 3});
  EXPECT_TRUE(board->hasCaps());
  EXPECT_FALSE(picture->hasCaps());
  EXPECT_EQ((EdgeInsets{2, 2, 1, 3}), *board->capInsets());
  auto target = Image::create(40, 20, 1);
  {
    Canvas canvas(*target);
    canvas.drawImage(*board, Rect(0, 0, 40, 20));
  }
  EXPECT_EQ(Color::blueColor(), target->colorAt(1, 10));
  EXPECT_EQ(Color::blueColor(), target->colorAt(20, 1));
  EXPECT_EQ(Color::redColor(), target->colorAt(2, 2));
  EXPECT_EQ(Color::redColor(), target->colorAt(36, 18));
  EXPECT_EQ(Color::greenColor(), target->colorAt(37, 10));
  EXPECT_EQ(Color::yellowColor(), target->colorAt(20, 19));
  // Caps wider than the picture are cut so that a middle pixel remains.
  const EdgeInsets cut = *picture->resizableImage(EdgeInsets{4, 8, 4, 8})->capInsets();
  EXPECT_EQ((EdgeInsets{4, 8, 1, 1}), cut);
}

}  // namespace
}  // namespace zu::ui
