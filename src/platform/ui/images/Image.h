// Image: a decoded bitmap — premultiplied ARGB32 pixels (one uint32_t 0xAARRGGBB per pixel,
// rows top-down, no padding: cairo's own image format, so a Canvas draws into it and from it
// without conversion) with a scale (pixels per point: 2 for a bundle's "@2x" picture, else 1).
//
// Kept from the phone:
//  - Decoding from data or a file reads PNG, JPEG and GIF (first frame, composited onto the
//    logical screen); whatever is not a complete, sane image of those yields null, never a
//    crash and never a partly filled image.
//  - named() reads the bundle's "<name>" (".png" added when the name has no extension) and keeps
//    the image in a process-wide cache, so the same name returns the same object; a missing
//    or bad file is null and is not cached. On a screen of scale 2 (DeviceProfile) it takes
//    "<name>@2x" first when the bundle has it (withContentsOfFile), as an image of scale 2
//    (the same size in points).
//  - stretchableImage(left, top) takes its caps in points, draws its corners unscaled and
//    stretches the one-pixel middle column and row (right cap = width − left − 1 pixels), as the
//    phone's stretchable images do.
//  - resizableImage(capInsets) takes four caps in points, draws the corners unscaled and
//    stretches what lies between the caps (stretched, not tiled: the same for the plain boards
//    it is used with).
// Where we differ on purpose: images larger than kMaxPixels are refused (null) rather than
// exhausting memory; there is no lazy decoding.
//
// Threads: an Image is immutable once shared and may be read from any thread; named() and its
// cache are thread-safe. Drawing into an image with a Canvas is for its single owner, before it
// is shared (images made by create() or render()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace zu::ui {

class Image {
 public:
  // The largest image accepted from outside (and made by create()), in pixels.
  static constexpr int64_t kMaxPixels = 4096LL * 4096;
  static constexpr int kMaxSide = 16384;

  // A transparent image of the given pixel size; null when the size is not positive or too big.
  static std::shared_ptr<Image> create(int pixelWidth, int pixelHeight, float scale = 1);
  // Decodes PNG, JPEG or GIF (told apart by their signatures). Null for anything else.
  static std::shared_ptr<Image> fromData(const uint8_t* data, size_t size);
  static std::shared_ptr<Image> fromData(const std::vector<uint8_t>& data);
  // Decodes the regular file at `path`; null for anything else (a named pipe is not waited on).
  static std::shared_ptr<Image> fromFile(const std::filesystem::path& path);
  // As fromFile, but on a screen of scale 2 the "<stem>@2x<extension>" file beside `path` is
  // read first where it exists, as an image of scale 2 (the phone's contents-of-file lookup).
  static std::shared_ptr<Image> withContentsOfFile(const std::filesystem::path& path);
  // From premultiplied RGBA bytes (GL read-back); `bottomUp` flips the rows.
  static std::shared_ptr<Image> fromPremultipliedRgba(int pixelWidth, int pixelHeight,
                                                      const uint8_t* rgba, size_t stride,
                                                      bool bottomUp, float scale = 1);
  // The bundle image of that name, cached (see above).
  static std::shared_ptr<Image> named(std::string_view name);
  // Empties the cache of named images (a memory warning may call it).
  static void clearNamedCache();

  Image(int pixelWidth, int pixelHeight, float scale);
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  int pixelWidth() const { return width_; }
  int pixelHeight() const { return height_; }
  float scale() const { return scale_; }
  // Size in points (pixels divided by the scale).
  Size size() const;

  // Row-major pixels, pixelWidth() per row.
  const uint32_t* pixels() const;
  uint32_t* mutablePixels();
  // The premultiplied pixel at (x, y); 0 outside the image.
  uint32_t pixelAt(int x, int y) const;
  // The pixel at (x, y), un-premultiplied; clear outside the image.
  Color colorAt(int x, int y) const;
  // Premultiplied RGBA bytes, 4 per pixel, no padding.
  std::vector<uint8_t> premultipliedRgba(bool bottomUp = false) const;

  // PNG encoding; nullopt when libpng fails.
  std::optional<std::vector<uint8_t>> pngData() const;
  // Writes a PNG (FileUtil::writeFileAtomically: a new temporary file renamed into place, removed
  // on failure). False on failure.
  bool writePng(const std::filesystem::path& path) const;

  // A new image sharing these pixels that draws stretched with the given caps.
  std::shared_ptr<Image> stretchableImage(int leftCapWidth, int topCapHeight) const;
  int leftCapWidth() const { return leftCap_; }
  int topCapHeight() const { return topCap_; }
  // A new image sharing these pixels whose middle, between the four caps, stretches. Caps are
  // cut so that at least one pixel stays between them.
  std::shared_ptr<Image> resizableImage(const EdgeInsets& capInsets) const;
  const std::optional<EdgeInsets>& capInsets() const { return capInsets_; }
  // Whether the image draws stretched between caps (either kind).
  bool hasCaps() const { return leftCap_ > 0 || topCap_ > 0 || capInsets_.has_value(); }

  // The name given to named() (empty otherwise), shown by view-tree dumps.
  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }

  // A cairo surface over the pixels (owned by the image), for Canvas.
  cairo_surface_t* surface() const;

 private:
  struct Pixels;
  Image(std::shared_ptr<Pixels> pixels, int w, int h, float scale);

  std::shared_ptr<Pixels> pixels_;
  int width_;
  int height_;
  float scale_;
  int leftCap_ = 0;
  int topCap_ = 0;
  std::optional<EdgeInsets> capInsets_;
  std::string name_;
};

}  // namespace zu::ui
