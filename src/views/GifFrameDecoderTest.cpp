#include "views/GifFrameDecoder.h"

#include <gtest/gtest.h>

#include "views/GifTestFiles.h"

namespace zu {
namespace {

using giftest::Bytes;
using giftest::Gif;

GifFrameDecoder::Result decode(const Bytes& b) { return GifFrameDecoder::decode(b.data(), b.size()); }

std::vector<uint8_t> pixels(int n, uint8_t v) { return std::vector<uint8_t>(static_cast<size_t>(n), v); }

TEST(GifFrameDecoderTest, FramesAreStandaloneFilesByteForByte) {
  // Screen packed 0xB9: global table, colour resolution bits 0x30, sorted, size code 1.
  Gif gif(4, 3, 0xB9);
  gif.raw(giftest::loopBlock())
      .control(2, 0)
      .image(0, 0, 4, 3, pixels(12, 0))
      .raw(giftest::trickyComment())
      .raw(giftest::trickyApplication())
      .control(1, 20, 3)
      .image(2, 1, 2, 2, {1, 2, 3, 0}, 0xE1)  // local sorted table, interlaced
      .trailer();
  auto result = decode(gif.bytes);
  EXPECT_FALSE(result.overBudget);
  ASSERT_EQ(2u, result.frames.size());
  const AnimatedGifFrame& a = result.frames[0];
  EXPECT_EQ(gif.standalone(0, 0), a.data);
  EXPECT_EQ(gif.headers[0], a.header);
  EXPECT_EQ(10 * 0, a.delay);  // as stored: normalising is the view's business
  EXPECT_EQ(2, a.disposalMethod);
  EXPECT_EQ(ui::Rect(0, 0, 4, 3), a.area);
  const AnimatedGifFrame& b = result.frames[1];
  EXPECT_EQ(gif.standalone(1, 1), b.data);
  EXPECT_EQ(20, b.delay);
  EXPECT_EQ(1, b.disposalMethod);
  EXPECT_EQ(ui::Rect(2, 1, 2, 2), b.area);
  // The interlace bit survives; the local table's flags move to the screen.
  EXPECT_EQ(0x40, b.data[6 + 7 + 12 + 8 + 1 + 8]);
  EXPECT_EQ(0xB9, b.data[10]);

  // A 16-bit delay and the disposal bits beyond the usual four.
  Gif wide(2, 2);
  wide.control(7, 0x1234).image(0, 0, 2, 2, pixels(4, 1)).trailer();
  auto w = decode(wide.bytes);
  ASSERT_EQ(1u, w.frames.size());
  EXPECT_EQ(0x1234, w.frames[0].delay);
  EXPECT_EQ(7, w.frames[0].disposalMethod);
}

TEST(GifFrameDecoderTest, ImagesWithoutTheirOwnControlBlock) {
  // Before any frame: read and kept nowhere. After one: it replaces that frame's image.
  Gif gif(4, 4);
  gif.image(0, 0, 4, 4, pixels(16, 2))
      .control(0, 5)
      .image(0, 0, 4, 4, pixels(16, 0))
      .image(1, 1, 2, 2, pixels(4, 1))
      .trailer();
  auto result = decode(gif.bytes);
  ASSERT_EQ(1u, result.frames.size());
  EXPECT_EQ(ui::Rect(1, 1, 2, 2), result.frames[0].area);
  EXPECT_EQ(gif.standalone(2, 0), result.frames[0].data);

  // Two control blocks in a row: the first frame never gets an image.
  Gif twice(2, 2);
  twice.control(0, 1).control(0, 2).image(0, 0, 2, 2, pixels(4, 1)).trailer();
  auto t = decode(twice.bytes);
  ASSERT_EQ(2u, t.frames.size());
  EXPECT_TRUE(t.frames[0].data.empty());
  EXPECT_EQ(twice.standalone(0, 1), t.frames[1].data);

  // A GIF87a file has no control blocks: no frames. Neither has a file of only a screen.
  Gif old(2, 2, 0x81, "GIF87a");
  old.image(0, 0, 2, 2, pixels(4, 1)).trailer();
  EXPECT_TRUE(decode(old.bytes).frames.empty());
  EXPECT_TRUE(decode(Bytes(old.bytes.begin(), old.bytes.begin() + 13)).frames.empty());
}

TEST(GifFrameDecoderTest, HostileAndTruncatedFiles) {
  Gif gif(4, 3);
  gif.control(0, 10).image(0, 0, 4, 3, pixels(12, 1)).control(1, 10).image(0, 0, 2, 2, pixels(4, 2)).trailer();
  const size_t firstEnd = 6 + 7 + 12 + 8 + 10 + gif.images[0].size();
  // Every prefix: never a crash, and every frame kept is complete.
  for (size_t n = 0; n <= gif.bytes.size(); ++n) {
    auto r = decode(Bytes(gif.bytes.begin(), gif.bytes.begin() + static_cast<long>(n)));
    const size_t expected = n < firstEnd ? 0 : n < gif.bytes.size() - 1 ? 1 : 2;
    ASSERT_EQ(expected, r.frames.size()) << n;
    for (const auto& f : r.frames) {
      ASSERT_FALSE(f.data.empty());
      EXPECT_EQ(0x3B, f.data.back());
    }
  }
  // A replacing image that ends early leaves the frame as it was.
  Gif replaced(4, 3);
  replaced.control(0, 10).image(0, 0, 4, 3, pixels(12, 1)).image(1, 1, 2, 2, pixels(4, 2));
  Bytes cut(replaced.bytes.begin(), replaced.bytes.end() - 2);
  auto r = decode(cut);
  ASSERT_EQ(1u, r.frames.size());
  EXPECT_EQ(replaced.standalone(0, 0), r.frames[0].data);

  // A control block of another size, or with a stray sub-block, and unknown extensions.
  Gif odd(2, 2);
  odd.raw({0x21, 0xF9, 0x05, 1, 2, 3, 4, 5, 0})
      .raw({0x21, 0xF9, 0x04, 0x04, 3, 0, 0, 2, 'a', 'b', 0})
      .raw({0x21, 0x01, 3, 'p', 'q', 'r', 0})
      .image(0, 0, 2, 2, pixels(4, 3))
      .trailer();
  auto o = decode(odd.bytes);
  ASSERT_EQ(1u, o.frames.size());
  EXPECT_EQ((Bytes{0x21, 0xF9, 0x04, 0x04, 3, 0, 0, 0}), o.frames[0].header);
  EXPECT_EQ(1, o.frames[0].disposalMethod);

  // A file of nothing but control blocks runs into the budget instead of growing without end.
  Gif bare(2, 2);
  const Bytes control = bare.control(0, 1).headers[0];
  const size_t count = GifFrameDecoder::kMaxFrameBytes / (sizeof(AnimatedGifFrame) + 8) + 1;
  bare.bytes.reserve(bare.bytes.size() + count * control.size());
  for (size_t i = 1; i < count; ++i) bare.raw(control);
  auto flood = decode(bare.trailer().bytes);
  EXPECT_TRUE(flood.overBudget);
  EXPECT_TRUE(flood.frames.empty());

  EXPECT_TRUE(decode(Bytes{}).frames.empty());
  EXPECT_FALSE(GifFrameDecoder::isGifImage(reinterpret_cast<const uint8_t*>("GIF"), 3));
  EXPECT_TRUE(GifFrameDecoder::isGifImage(reinterpret_cast<const uint8_t*>("GIF8"), 4));
}

}  // namespace
}  // namespace zu
