// Fuzz target for the animated GIF view's frame splitting and composition: any bytes split
// into frames whose standalone data is a complete file (signature, trailer, 8-byte control
// header) within the decoder's budget; frames of modest size are then composed, giving one
// picture of the canvas size per frame that makes a picture, never a null one.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "views/GifFrameDecoder.h"
#include "views/SCGIFImageView.h"

namespace {

// Composition is exercised where it is quick; its budget is checked by the unit tests.
constexpr int64_t kComposePixels = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto result = zu::GifFrameDecoder::decode(data, size);
  size_t total = 0;
  int64_t pixels = 0;
  for (const auto& frame : result.frames) {
    if (frame.header.size() != 8 || frame.disposalMethod < 0 || frame.disposalMethod > 7) std::abort();
    if (frame.data.empty()) continue;
    if (frame.data.size() < 6 + 7 + 8 + 1 + 9 + 1 + 1 + 1) std::abort();
    if (std::memcmp(frame.data.data(), "GIF89a", 6) != 0 || frame.data.back() != 0x3B) std::abort();
    total += frame.data.size();
    const uint8_t* s = frame.data.data() + 6;
    pixels += int64_t{s[0] | s[1] << 8} * (s[2] | s[3] << 8);
  }
  if (total > zu::GifFrameDecoder::kMaxFrameBytes) std::abort();
  if (pixels > kComposePixels) return 0;
  auto composed = zu::SCGIFImageView::compose(result.frames);
  for (const auto& picture : composed.pictures) {
    if (!picture || picture->pixelWidth() != composed.pictures[0]->pixelWidth() ||
        picture->pixelHeight() != composed.pictures[0]->pixelHeight()) {
      std::abort();
    }
  }
  for (const auto& frame : result.frames) {
    if (!(frame.delay > 0)) std::abort();
  }
  return 0;
}
