// GifDecoder: the first frame of a GIF (GIF87a or GIF89a) over giflib, composited onto a
// transparent canvas of the file's logical screen size, honouring the frame's position,
// interlacing and the transparent index of the graphic control extension before it. Files
// without a frame or a colour table, or whose data ends early, give null. Stateless; any
// thread. (Reading every frame of an animation is the animated GIF view's business.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zu::ui {

class Image;

class GifDecoder {
 public:
  static bool hasSignature(const uint8_t* data, size_t size);
  static std::shared_ptr<Image> decodeFirstFrame(const uint8_t* data, size_t size);
};

}  // namespace zu::ui
