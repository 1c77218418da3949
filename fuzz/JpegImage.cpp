// Fuzz target for the JPEG reader: any bytes decode to an opaque image of sane size or to null,
// without crashing or hanging inside libjpeg's error paths. Inputs go up to 512 KiB, room for a
// progressive file of thousands of repeated scans (the decoder must refuse it within its scan
// and time limits).
#include <cstdint>
#include <cstdlib>

#include "DefaultMaxLen.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/images/JpegDecoder.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  zu::fuzz::addDefaultMaxLen(argc, argv, 512 * 1024);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto image = zu::ui::JpegDecoder::decode(data, size);
  if (!image) return 0;
  const int64_t w = image->pixelWidth();
  const int64_t h = image->pixelHeight();
  if (w <= 0 || h <= 0 || w * h > zu::ui::Image::kMaxPixels) std::abort();
  for (int64_t i = 0; i < w * h; ++i) {
    if ((image->pixels()[i] >> 24) != 0xff) std::abort();
  }
  return 0;
}
