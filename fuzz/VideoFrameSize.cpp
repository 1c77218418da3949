// Fuzz target for the sizes video frames declare (read before a decoder sees a frame the
// service's video address sent): any bytes, as any of the codecs, give an answer without
// reading past them, and a declared size fits what the codec can write; a picture's bytes split
// in two declare what they declare whole.
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
  // Pictures: the bytes whole, and split in two where the first byte says; a header the whole
  // declares is found across the split too.
  for (const auto codec : {VideoFrameSize::Codec::kPng, VideoFrameSize::Codec::kJpeg}) {
    const auto whole = VideoFrameSize::declared(codec, bytes, frame.size());
    if (whole && codec == VideoFrameSize::Codec::kJpeg && (whole->width > 0xffff || whole->height > 0xffff)) std::abort();
    const size_t split = frame.empty() ? 0 : frame[0] % (frame.size() + 1);
    const std::vector<uint8_t> first(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(split));
    const std::vector<uint8_t> second(frame.begin() + static_cast<std::ptrdiff_t>(split), frame.end());
    std::vector<uint8_t> carried;
    auto parts = VideoFrameSize::declaredInStream(codec, carried, first.empty() ? nullptr : first.data(), first.size());
    parts = VideoFrameSize::larger(
        parts, VideoFrameSize::declaredInStream(codec, carried, second.empty() ? nullptr : second.data(), second.size()));
    if (parts != whole) std::abort();
  }
  return 0;
}
