// GifFrameDecoder: splits a GIF file into AnimatedGifFrame records without decoding any
// picture: each graphic control extension starts a frame, and the image that follows completes
// it with its rectangle and its standalone GIF89a data (see AnimatedGifFrame). An image without
// a graphic control extension of its own replaces the image of the frame before it; one before
// any frame is read and kept nowhere. Stateless; any thread.
//
// The file comes from the network, so the reading is strict where the format allows it:
//  - Extensions are walked by their label and sub-block lengths; only a graphic control block
//    of size 4 makes a frame, so bytes 0xF9 0x04 inside a comment or application block (or a
//    loop count with a zero byte) are data, never a frame. On ordinary files every frame's data
//    is byte for byte what a scan of the extension bytes produces.
//  - Reading stops at the first read past the end; a frame whose image was not read whole is
//    dropped (a replacing image that ends early leaves the frame before it as it was).
//  - The frames (their records and standalone data) together may take at most kMaxFrameBytes;
//    beyond that decoding stops with no frames and the result says so (the caller shows the
//    still image instead).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "views/AnimatedGifFrame.h"

namespace zu {

class GifFrameDecoder {
 public:
  static constexpr size_t kMaxFrameBytes = size_t{64} << 20;

  struct Result {
    std::vector<AnimatedGifFrame> frames;
    // The frames' data would have exceeded kMaxFrameBytes.
    bool overBudget = false;
  };

  // "GIF8" at the start; false for fewer than four bytes.
  static bool isGifImage(const uint8_t* data, size_t size);
  // Expects a GIF (isGifImage); any bytes give a result, never a crash.
  static Result decode(const uint8_t* data, size_t size);
};

}  // namespace zu
