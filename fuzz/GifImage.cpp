// Fuzz target for the GIF first-frame reader: any bytes decode to an image of sane size whose
// pixels are either clear or opaque palette colours, or to null.
#include <cstdint>
#include <cstdlib>

#include "platform/ui/images/GifDecoder.h"
#include "platform/ui/images/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto image = zu::ui::GifDecoder::decodeFirstFrame(data, size);
  if (!image) return 0;
  const int64_t w = image->pixelWidth();
  const int64_t h = image->pixelHeight();
  if (w <= 0 || h <= 0 || w * h > zu::ui::Image::kMaxPixels) std::abort();
  for (int64_t i = 0; i < w * h; ++i) {
    const uint32_t a = image->pixels()[i] >> 24;
    if (a != 0 && a != 0xff) std::abort();
  }
  return 0;
}
