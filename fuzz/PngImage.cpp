// Fuzz target for the PNG reader: any bytes decode to a sane image or to null; a decoded image
// encodes back to a PNG that decodes to the same pixels.
#include <cstdint>
#include <cstdlib>

#include "platform/ui/Image.h"
#include "platform/ui/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto image = zu::ui::PngCodec::decode(data, size);
  if (!image) return 0;
  const int64_t w = image->pixelWidth();
  const int64_t h = image->pixelHeight();
  if (w <= 0 || h <= 0 || w * h > zu::ui::Image::kMaxPixels) std::abort();
  // Premultiplied pixels never have a channel above their alpha.
  for (int64_t i = 0; i < w * h; ++i) {
    const uint32_t p = image->pixels()[i];
    const uint32_t a = p >> 24;
    if ((p >> 16 & 0xff) > a || (p >> 8 & 0xff) > a || (p & 0xff) > a) std::abort();
  }
  if (w * h > 1 << 16) return 0;  // keep round trips cheap
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
  return 0;
}
