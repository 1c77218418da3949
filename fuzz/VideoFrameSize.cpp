// Fuzz target for the sizes video frames declare (read before a decoder sees a frame the
// service's video address sent): any bytes, as any of the codecs, give an answer without
// reading past them, and a declared size fits what the codec can write.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/ui/system/VideoFrameSize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::ui::VideoFrameSize;
  // A copy of exactly `size` bytes, so a read past the end is caught.
  const std::vector<uint8_t> frame(data, data + size);
  const uint8_t* bytes = frame.empty() ? nullptr : frame.data();
  if (const auto vp8 = VideoFrameSize::declared(VideoFrameSize::Codec::kVP8, bytes, frame.size())) {
    if (vp8->width > 0x3fff || vp8->height > 0x3fff) std::abort();
  }
  if (const auto vp9 = VideoFrameSize::declared(VideoFrameSize::Codec::kVP9, bytes, frame.size())) {
    if (vp9->width == 0 || vp9->height == 0 || vp9->width > 0x10000 || vp9->height > 0x10000) std::abort();
  }
  if (const auto theora = VideoFrameSize::declared(VideoFrameSize::Codec::kTheora, bytes, frame.size())) {
    if (theora->width % 16 != 0 || theora->height % 16 != 0 || theora->width > 0xffff * 16) std::abort();
  }
  return 0;
}
