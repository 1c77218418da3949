#include "platform/ui/images/JpegDecoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "platform/ui/images/Image.h"

namespace zu::ui {
namespace {

using Bytes = std::vector<uint8_t>;

// A JPEG of a w×h picture, left half red and right half blue: progressive (the library's
// standard scan script) or sequential.
Bytes encode(int w, int h, bool progressive) {
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
  if (progressive) jpeg_simple_progression(&info);
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

// Offsets of the segments that start a scan: each scan's own tables (DHT) and its SOS with the
// entropy-coded data after it, up to the next marker. The last entry is the EOI's offset.
std::vector<size_t> scanStarts(const Bytes& jpeg) {
  std::vector<size_t> starts;
  size_t afterData = 0;  // where the segments after the previous scan begin
  size_t i = 2;
  while (i + 4 <= jpeg.size()) {
    if (jpeg[i] != 0xff) return {};
    const uint8_t marker = jpeg[i + 1];
    if (marker == 0xd9) break;
    const size_t length = size_t{jpeg[i + 2]} << 8 | jpeg[i + 3];
    i += 2 + length;
    if (marker != 0xda) continue;
    starts.push_back(afterData == 0 ? i - 2 - length : afterData);
    // Entropy-coded data runs to the next marker that is neither a stuffed 0xff nor a restart.
    while (i + 1 < jpeg.size() &&
           !(jpeg[i] == 0xff && jpeg[i + 1] != 0 && (jpeg[i + 1] < 0xd0 || jpeg[i + 1] > 0xd7))) {
      ++i;
    }
    afterData = i;
  }
  starts.push_back(i);
  return starts;
}

// The file with its last scan (tables included) written `copies` more times before the end.
Bytes withLastScanRepeated(const Bytes& jpeg, int copies) {
  const std::vector<size_t> starts = scanStarts(jpeg);
  EXPECT_GE(starts.size(), 3u);
  if (starts.size() < 3) return {};
  const size_t lastScan = starts[starts.size() - 2];
  const size_t eoi = starts.back();
  Bytes out(jpeg.begin(), jpeg.begin() + static_cast<long>(eoi));
  for (int c = 0; c < copies; ++c) {
    out.insert(out.end(), jpeg.begin() + static_cast<long>(lastScan),
               jpeg.begin() + static_cast<long>(eoi));
  }
  out.insert(out.end(), jpeg.begin() + static_cast<long>(eoi), jpeg.end());
  return out;
}

void expectRedAndBlue(const std::shared_ptr<Image>& image, int w, int h) {
  ASSERT_TRUE(image);
  EXPECT_EQ(w, image->pixelWidth());
  EXPECT_EQ(h, image->pixelHeight());
  const Color left = image->colorAt(2, h / 2);
  const Color right = image->colorAt(w - 3, h / 2);
  EXPECT_GT(left.red, 0.9f);
  EXPECT_LT(left.blue, 0.1f);
  EXPECT_GT(right.blue, 0.9f);
  EXPECT_LT(right.red, 0.1f);
}

TEST(JpegDecoderTest, RepeatedScansBeyondTheLimitAreRefused) {
  const Bytes jpeg = encode(64, 48, true);
  const size_t scans = scanStarts(jpeg).size() - 1;
  ASSERT_GT(scans, 5u);  // a real progressive file, several scans
  expectRedAndBlue(JpegDecoder::decode(jpeg.data(), jpeg.size()), 64, 48);

  // Repeating a refinement scan changes nothing visible; up to the limit the file decodes.
  const int withinLimit = JpegDecoder::kMaxScans - static_cast<int>(scans);
  const Bytes atLimit = withLastScanRepeated(jpeg, withinLimit);
  ASSERT_EQ(static_cast<size_t>(JpegDecoder::kMaxScans), scanStarts(atLimit).size() - 1);
  expectRedAndBlue(JpegDecoder::decode(atLimit.data(), atLimit.size()), 64, 48);

  // One scan more, or thousands (a few hundred KB that would cost minutes at full size), is
  // refused, also through Image.
  for (int extra : {withinLimit + 1, 3000}) {
    SCOPED_TRACE(extra);
    const Bytes bomb = withLastScanRepeated(jpeg, extra);
    EXPECT_EQ(nullptr, JpegDecoder::decode(bomb.data(), bomb.size()));
    EXPECT_EQ(nullptr, Image::fromData(bomb));
  }

  // The limit is the caller's to choose.
  const Bytes twenty = withLastScanRepeated(jpeg, 20 - static_cast<int>(scans));
  EXPECT_TRUE(JpegDecoder::decode(twenty.data(), twenty.size(),
                                  JpegDecoder::Limits{20, JpegDecoder::kMaxDecodeSeconds}));
  EXPECT_EQ(nullptr, JpegDecoder::decode(twenty.data(), twenty.size(),
                                         JpegDecoder::Limits{19, JpegDecoder::kMaxDecodeSeconds}));
}

TEST(JpegDecoderTest, DecodingStopsAtTheDeadline) {
  // A deadline already passed stops a progressive and a sequential file at the library's first
  // report; a generous one lets both through.
  const Bytes progressive = encode(64, 48, true);
  EXPECT_EQ(nullptr, JpegDecoder::decode(progressive.data(), progressive.size(),
                                         JpegDecoder::Limits{JpegDecoder::kMaxScans, 0}));
  expectRedAndBlue(JpegDecoder::decode(progressive.data(), progressive.size(),
                                       JpegDecoder::Limits{JpegDecoder::kMaxScans, 60}),
                   64, 48);

  const Bytes baseline = encode(16, 8, false);
  EXPECT_EQ(nullptr, JpegDecoder::decode(baseline.data(), baseline.size(),
                                         JpegDecoder::Limits{JpegDecoder::kMaxScans, 0}));
  EXPECT_TRUE(JpegDecoder::decode(baseline.data(), baseline.size(),
                                  JpegDecoder::Limits{JpegDecoder::kMaxScans, 60}));
}

}  // namespace
}  // namespace zu::ui
