// The sizes video frames declare, read from what GStreamer's own encoders make: VP8 and VP9 key
// frames and a Theora identification header give the picture's size, inter frames none; a VP9
// superframe declares the largest of its frames; broken frames declare nothing.
#include "platform/ui/system/VideoFrameSize.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/system/MoviePlayback.h"

namespace zu::ui {
namespace {

using Codec = VideoFrameSize::Codec;
using Size = VideoFrameSize::Size;
using Bytes = std::vector<uint8_t>;

// The buffers `encoder` makes of three pictures of `width` × `height` in `format`.
std::vector<Bytes> encoded(const std::string& encoder, int width, int height, const std::string& format = "I420") {
  std::vector<Bytes> out;
  if (!MoviePlayback::available()) return out;
  const std::string description = "videotestsrc num-buffers=3 ! video/x-raw,format=" + format + ",width=" + std::to_string(width) +
                                  ",height=" + std::to_string(height) + ",framerate=25/1 ! " + encoder +
                                  " ! appsink name=out sync=false";
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
  if (error) g_error_free(error);
  if (!pipeline) return out;
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 30 * GST_SECOND)) {
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
      out.emplace_back(map.data, map.data + map.size);
      gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(sink);
  gst_object_unref(pipeline);
  return out;
}

std::optional<Size> declared(Codec codec, const Bytes& frame) {
  return VideoFrameSize::declared(codec, frame.data(), frame.size());
}

// Every prefix of `frame` declares nothing or `size` (a broken header never declares another).
void expectPrefixesDeclareNothingElse(Codec codec, const Bytes& frame, Size size) {
  for (size_t n = 0; n < std::min<size_t>(frame.size(), 64); ++n) {
    const auto found = VideoFrameSize::declared(codec, frame.data(), n);
    if (found) EXPECT_EQ(size, *found) << n;
  }
}

TEST(VideoFrameSizeTest, KeyFramesAndHeadersDeclareThePictureSize) {
  EXPECT_EQ(Codec::kVP8, VideoFrameSize::codecOf("video/x-vp8"));
  EXPECT_EQ(Codec::kVP9, VideoFrameSize::codecOf("video/x-vp9"));
  EXPECT_EQ(Codec::kTheora, VideoFrameSize::codecOf("video/x-theora"));
  EXPECT_FALSE(VideoFrameSize::codecOf("video/x-h264"));

  const auto vp8 = encoded("vp8enc deadline=1 keyframe-max-dist=25", 176, 144);
  ASSERT_EQ(3u, vp8.size());
  EXPECT_EQ((Size{176, 144}), declared(Codec::kVP8, vp8[0]));
  EXPECT_FALSE(declared(Codec::kVP8, vp8[1]));  // an inter frame
  expectPrefixesDeclareNothingElse(Codec::kVP8, vp8[0], Size{176, 144});

  const auto vp9 = encoded("vp9enc deadline=1 keyframe-max-dist=25", 200, 120);
  ASSERT_EQ(3u, vp9.size());
  EXPECT_EQ((Size{200, 120}), declared(Codec::kVP9, vp9[0]));
  EXPECT_FALSE(declared(Codec::kVP9, vp9[2]));  // takes its size from a reference
  expectPrefixesDeclareNothingElse(Codec::kVP9, vp9[0], Size{200, 120});
  // Profile 1 (4:4:4) describes its colours at more length.
  const auto vp9Full = encoded("vp9enc deadline=1", 96, 80, "Y444");
  ASSERT_FALSE(vp9Full.empty());
  EXPECT_EQ((Size{96, 80}), declared(Codec::kVP9, vp9Full[0]));

  // Theora's frame is whole macroblocks: 100 × 50 takes 112 × 64.
  const auto theora = encoded("theoraenc", 100, 50);
  ASSERT_FALSE(theora.empty());
  EXPECT_EQ((Size{112, 64}), declared(Codec::kTheora, theora[0]));
  EXPECT_FALSE(declared(Codec::kTheora, theora.back()));
  expectPrefixesDeclareNothingElse(Codec::kTheora, theora[0], Size{112, 64});
}

// A superframe holds several frames, its index at its end: the largest declaration counts, so a
// huge frame cannot hide behind a small one.
TEST(VideoFrameSizeTest, AVp9SuperframeDeclaresItsLargestFrame) {
  const auto vp9 = encoded("vp9enc deadline=1 keyframe-max-dist=25", 64, 48);
  ASSERT_FALSE(vp9.empty());
  const Bytes& key = vp9[0];
  ASSERT_EQ((Size{64, 48}), declared(Codec::kVP9, key));
  // The same key frame claiming 9000 × 7000: its size follows the frame marker, profile, flags,
  // sync code and colour bits (profile 0: 2 + 2 + 1 + 3 + 24 + 4 bits = bit 36).
  Bytes huge = key;
  auto setBits = [&](size_t bit, int count, uint32_t value) {
    for (int i = 0; i < count; ++i, ++bit) {
      const uint8_t mask = static_cast<uint8_t>(0x80 >> (bit % 8));
      huge[bit / 8] = (value >> (count - 1 - i)) & 1 ? huge[bit / 8] | mask : huge[bit / 8] & ~mask;
    }
  };
  setBits(36, 16, 9000 - 1);
  setBits(52, 16, 7000 - 1);
  ASSERT_EQ((Size{9000, 7000}), declared(Codec::kVP9, huge));

  auto superframe = [](const std::vector<const Bytes*>& frames) {
    Bytes out;
    const uint8_t marker = static_cast<uint8_t>(0xc0 | (3 << 3) | (frames.size() - 1));  // 4-byte sizes
    for (const Bytes* f : frames) out.insert(out.end(), f->begin(), f->end());
    out.push_back(marker);
    for (const Bytes* f : frames) {
      for (int b = 0; b < 4; ++b) out.push_back(static_cast<uint8_t>(f->size() >> (8 * b)));
    }
    out.push_back(marker);
    return out;
  };
  EXPECT_EQ((Size{9000, 7000}), declared(Codec::kVP9, superframe({&key, &huge})));
  EXPECT_EQ((Size{64, 48}), declared(Codec::kVP9, superframe({&key, &vp9[2]})));
  // An index whose sizes run past the data: the frames that lie within count, no more.
  Bytes cut = superframe({&key, &huge});
  cut[cut.size() - 2] = 0x7f;
  EXPECT_EQ((Size{64, 48}), declared(Codec::kVP9, cut));
  EXPECT_FALSE(VideoFrameSize::declared(Codec::kVP9, nullptr, 10));
}

// A PNG or JPEG picture reaches its decoder as a file's bytes, split wherever the network split
// them: its header is read in whichever buffer it lies, and across the split between two.
TEST(VideoFrameSizeTest, PictureHeadersAreReadWhereverTheBytesAreSplit) {
  EXPECT_EQ(Codec::kPng, VideoFrameSize::codecOf("image/png"));
  EXPECT_EQ(Codec::kJpeg, VideoFrameSize::codecOf("image/jpeg"));
  for (const auto& [codec, encoder] : {std::pair{Codec::kPng, "pngenc"}, std::pair{Codec::kJpeg, "jpegenc"}}) {
    SCOPED_TRACE(encoder);
    const auto pictures = encoded(encoder, 120, 90, codec == Codec::kPng ? "RGB" : "I420");
    ASSERT_FALSE(pictures.empty());
    // After some bytes of no picture, as a stream of two pictures would have them.
    Bytes stream(100, 0x42);
    stream.insert(stream.end(), pictures[0].begin(), pictures[0].end());
    EXPECT_EQ((Size{120, 90}), declared(codec, stream));
    for (size_t split = 0; split <= stream.size(); ++split) {
      std::vector<uint8_t> carried;
      auto found = VideoFrameSize::declaredInStream(codec, carried, stream.data(), split);
      found = VideoFrameSize::larger(found, VideoFrameSize::declaredInStream(codec, carried, stream.data() + split,
                                                                             stream.size() - split));
      ASSERT_EQ((Size{120, 90}), found) << split;
    }
    // A byte at a time.
    std::vector<uint8_t> carried;
    std::optional<Size> found;
    for (uint8_t byte : stream) found = VideoFrameSize::larger(found, VideoFrameSize::declaredInStream(codec, carried, &byte, 1));
    EXPECT_EQ((Size{120, 90}), found);
  }
}

}  // namespace
}  // namespace zu::ui
