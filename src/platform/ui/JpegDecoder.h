// JpegDecoder: JPEG decoding for Image over libjpeg-turbo (grayscale, YCbCr and RGB files; CMYK
// is refused). Errors longjmp out of the library into a null result; a file that ends before
// its last scan is refused too instead of coming back half grey. Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zu::ui {

class Image;

class JpegDecoder {
 public:
  static bool hasSignature(const uint8_t* data, size_t size);
  static std::shared_ptr<Image> decode(const uint8_t* data, size_t size);
};

}  // namespace zu::ui
