// PngCodec: PNG decoding and encoding for Image over libpng's simplified API. Decoding refuses
// (null) anything libpng cannot read whole and images beyond Image::kMaxPixels; encoding writes
// 8-bit RGBA, un-premultiplied. Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zu::ui {

class Image;

class PngCodec {
 public:
  static bool hasSignature(const uint8_t* data, size_t size);
  static std::shared_ptr<Image> decode(const uint8_t* data, size_t size);
  static std::optional<std::vector<uint8_t>> encode(const Image& image);
};

}  // namespace zu::ui
