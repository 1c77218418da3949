// Fuzz target for the PNG reader: any bytes decode to a sane image or to null; a decoded image
// encodes back to a PNG that decodes to the same pixels. Each input is read twice: as it is
// (a mutated chunk is almost always stopped by its CRC) and with every chunk's CRC recomputed,
// so that the decoder sees the mutated chunk contents.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/ui/images/Image.h"
#include "platform/ui/images/PngCodec.h"

namespace {

void check(const uint8_t* data, size_t size) {
  auto image = zu::ui::PngCodec::decode(data, size);
  if (!image) return;
  const int64_t w = image->pixelWidth();
  const int64_t h = image->pixelHeight();
  if (w <= 0 || h <= 0 || w * h > zu::ui::Image::kMaxPixels) std::abort();
  // Premultiplied pixels never have a channel above their alpha.
  for (int64_t i = 0; i < w * h; ++i) {
    const uint32_t p = image->pixels()[i];
    const uint32_t a = p >> 24;
    if ((p >> 16 & 0xff) > a || (p >> 8 & 0xff) > a || (p & 0xff) > a) std::abort();
  }
  if (w * h > 1 << 16) return;  // keep round trips cheap
  auto png = image->pngData();
  if (!png) std::abort();
  auto again = zu::ui::PngCodec::decode(png->data(), png->size());
  if (!again || again->pixelWidth() != w || again->pixelHeight() != h) std::abort();
  for (int64_t i = 0; i < w * h; ++i) {
    // Un-premultiplying and premultiplying again may move a channel by rounding only.
    const uint32_t p = image->pixels()[i];
    const uint32_t q = again->pixels()[i];
    for (int shift = 0; shift < 32; shift += 8) {
      const int d = static_cast<int>(p >> shift & 0xff) - static_cast<int>(q >> shift & 0xff);
      if (d > 1 || d < -1) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check(data, size);
  // Chunks after the 8-byte signature: length (4, big-endian), type (4), data, CRC of type+data.
  std::vector<uint8_t> fixed(data, data + size);
  size_t at = 8;
  while (at + 12 <= fixed.size()) {
    const uint8_t* c = fixed.data() + at;
    const size_t length = size_t{c[0]} << 24 | size_t{c[1]} << 16 | size_t{c[2]} << 8 | c[3];
    if (length > fixed.size() - at - 12) break;
    const uLong crc = crc32_z(0L, c + 4, length + 4);
    for (int i = 0; i < 4; ++i) {
      fixed[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }
    at += 12 + length;
  }
  if (fixed != std::vector<uint8_t>(data, data + size)) check(fixed.data(), fixed.size());
  return 0;
}
