#include "platform/ui/images/PngCodec.h"

#include <png.h>

#include <cstring>

#include "platform/ui/images/Image.h"

namespace zu::ui {

bool PngCodec::hasSignature(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

std::shared_ptr<Image> PngCodec::decode(const uint8_t* data, size_t size) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data, size)) return nullptr;
  const int w = static_cast<int>(png.width);
  const int h = static_cast<int>(png.height);
  auto image = Image::create(w, h);
  if (!image || png.width > static_cast<png_uint_32>(Image::kMaxSide)) {
    png_image_free(&png);
    return nullptr;
  }
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&png);
    return nullptr;
  }
  uint32_t* out = image->mutablePixels();
  const size_t count = static_cast<size_t>(w) * h;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = &rgba[4 * i];
    const uint32_t a = p[3];
    auto pm = [a](uint32_t c) { return (c * a + 127) / 255; };
    out[i] = a << 24 | pm(p[0]) << 16 | pm(p[1]) << 8 | pm(p[2]);
  }
  return image;
}

std::optional<std::vector<uint8_t>> PngCodec::encode(const Image& image) {
  const int w = image.pixelWidth();
  const int h = image.pixelHeight();
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
  const uint32_t* px = image.pixels();
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
    const uint32_t p = px[i];
    const uint32_t a = p >> 24;
    uint8_t* o = &rgba[4 * i];
    if (a == 0xff) {
      // Opaque, as most of a screen is: nothing to divide.
      o[0] = static_cast<uint8_t>(p >> 16);
      o[1] = static_cast<uint8_t>(p >> 8);
      o[2] = static_cast<uint8_t>(p);
      o[3] = 0xff;
      continue;
    }
    auto un = [a](uint32_t c) { return a == 0 ? 0u : (c * 255 + a / 2) / a; };
    o[0] = static_cast<uint8_t>(un(p >> 16 & 0xff));
    o[1] = static_cast<uint8_t>(un(p >> 8 & 0xff));
    o[2] = static_cast<uint8_t>(un(p & 0xff));
    o[3] = static_cast<uint8_t>(a);
  }
  auto header = [w, h] {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(w);
    png.height = static_cast<png_uint_32>(h);
    png.format = PNG_FORMAT_RGBA;
    return png;
  };
  // Compressed once, into room for the largest stream the pixels can make (asking libpng for
  // the size first would compress them twice). Should that bound fall short, libpng tells how
  // much it needs, and that much is given.
  png_image png = header();
  std::vector<uint8_t> out(PNG_IMAGE_PNG_SIZE_MAX(png));
  for (int attempt = 0; attempt < 2; ++attempt) {
    png = header();
    png_alloc_size_t size = out.size();
    const bool written = png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr);
    png_image_free(&png);
    if (written) {
      out.resize(size);
      return out;
    }
    if (size <= out.size()) break;  // failed for another reason than room
    out.resize(size);
  }
  return std::nullopt;
}

}  // namespace zu::ui
