#include "platform/ui/images/Image.h"

#include "platform/runtime/FileUtil.h"

#include <cairo.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#include "platform/device/DeviceProfile.h"
#include "platform/runtime/Bundle.h"
#include "platform/ui/images/GifDecoder.h"
#include "platform/ui/images/JpegDecoder.h"
#include "platform/ui/images/PngCodec.h"

namespace zu::ui {

struct Image::Pixels {
  std::vector<uint32_t> data;
  // Made on first use; the flag keeps two threads drawing a shared image from both making it.
  std::once_flag surfaceOnce;
  std::atomic<cairo_surface_t*> surface{nullptr};
  ~Pixels() {
    if (cairo_surface_t* s = surface.load()) cairo_surface_destroy(s);
  }
};

namespace {

bool sizeAccepted(int w, int h) {
  return w > 0 && h > 0 && w <= Image::kMaxSide && h <= Image::kMaxSide &&
         static_cast<int64_t>(w) * h <= Image::kMaxPixels;
}

struct NamedCache {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Image>, std::less<>> images;
};

NamedCache& namedCache() {
  static NamedCache* cache = new NamedCache;  // never destroyed: used until exit
  return *cache;
}

}  // namespace

Image::Image(int w, int h, float scale)
    : pixels_(std::make_shared<Pixels>()), width_(w), height_(h), scale_(scale > 0 ? scale : 1) {
  pixels_->data.assign(static_cast<size_t>(w) * h, 0);
}

Image::Image(std::shared_ptr<Pixels> pixels, int w, int h, float scale)
    : pixels_(std::move(pixels)), width_(w), height_(h), scale_(scale) {}

Image::~Image() = default;

std::shared_ptr<Image> Image::create(int w, int h, float scale) {
  if (!sizeAccepted(w, h)) return nullptr;
  return std::make_shared<Image>(w, h, scale);
}

std::shared_ptr<Image> Image::fromData(const uint8_t* data, size_t size) {
  if (!data || size < 4) return nullptr;
  if (PngCodec::hasSignature(data, size)) return PngCodec::decode(data, size);
  if (JpegDecoder::hasSignature(data, size)) return JpegDecoder::decode(data, size);
  if (GifDecoder::hasSignature(data, size)) return GifDecoder::decodeFirstFrame(data, size);
  return nullptr;
}

std::shared_ptr<Image> Image::fromData(const std::vector<uint8_t>& data) {
  return fromData(data.data(), data.size());
}

std::shared_ptr<Image> Image::fromFile(const std::filesystem::path& path) {
  // Only a regular file is read: a named pipe in its place is refused at once (O_NONBLOCK: the
  // open does not wait for a writer), never read until someone closes it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  const std::optional<Bytes> bytes = FileUtil::readOpenFile(fd);
  ::close(fd);
  return bytes ? fromData(*bytes) : nullptr;
}

std::shared_ptr<Image> Image::fromPremultipliedRgba(int w, int h, const uint8_t* rgba,
                                                    size_t stride, bool bottomUp, float scale) {
  if (!rgba || !sizeAccepted(w, h) || stride < static_cast<size_t>(w) * 4) return nullptr;
  auto image = create(w, h, scale);
  uint32_t* out = image->mutablePixels();
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = rgba + stride * static_cast<size_t>(bottomUp ? h - 1 - y : y);
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + 4 * x;
      out[static_cast<size_t>(y) * w + x] =
          uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
  }
  return image;
}

std::shared_ptr<Image> Image::withContentsOfFile(const std::filesystem::path& path) {
  if (DeviceProfile::screenScale() >= 2 && path.has_filename()) {
    // The double-density picture beside it where there is one, drawn at the same size in points.
    std::filesystem::path twin = path;
    twin.replace_filename(path.stem().string() + "@2x" + path.extension().string());
    std::error_code ec;
    if (std::filesystem::is_regular_file(twin, ec)) {
      if (auto decoded = fromFile(twin)) {
        return std::shared_ptr<Image>(new Image(decoded->pixels_, decoded->width_, decoded->height_, 2));
      }
    }
  }
  return fromFile(path);
}

std::shared_ptr<Image> Image::named(std::string_view name) {
  if (name.empty()) return nullptr;
  // One cache entry per name and scale (a NUL, which no file name holds, marks scale 2): the
  // screen's scale is set before the first picture is drawn, but tests draw at both.
  std::string key(name);
  if (DeviceProfile::screenScale() >= 2) key += std::string_view("\0" "2", 2);
  NamedCache& cache = namedCache();
  {
    std::lock_guard lock(cache.mutex);
    auto it = cache.images.find(key);
    if (it != cache.images.end()) return it->second;
  }
  const bool hasExtension = std::filesystem::path(name).has_extension();
  auto path = Bundle::mainBundle()->pathForResource(name, hasExtension ? "" : "png");
  if (!path) return nullptr;
  auto image = withContentsOfFile(*path);
  if (!image) return nullptr;
  image->setName(std::string(name));
  std::lock_guard lock(cache.mutex);
  // Another thread may have loaded it meanwhile: keep the first, so one name is one object.
  auto [it, inserted] = cache.images.emplace(key, image);
  return it->second;
}

void Image::clearNamedCache() {
  NamedCache& cache = namedCache();
  std::lock_guard lock(cache.mutex);
  cache.images.clear();
}

Size Image::size() const {
  return {static_cast<float>(width_) / scale_, static_cast<float>(height_) / scale_};
}

const uint32_t* Image::pixels() const {
  if (cairo_surface_t* s = pixels_->surface.load()) cairo_surface_flush(s);
  return pixels_->data.data();
}

uint32_t* Image::mutablePixels() {
  if (cairo_surface_t* s = pixels_->surface.load()) {
    cairo_surface_flush(s);
    cairo_surface_mark_dirty(s);
  }
  return pixels_->data.data();
}

uint32_t Image::pixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels()[static_cast<size_t>(y) * width_ + x];
}

Color Image::colorAt(int x, int y) const {
  const uint32_t p = pixelAt(x, y);
  const uint32_t a = p >> 24;
  if (a == 0) return Color::clearColor();
  auto channel = [a](uint32_t v) { return static_cast<float>(v) / static_cast<float>(a); };
  return Color(channel(p >> 16 & 0xff), channel(p >> 8 & 0xff), channel(p & 0xff), a / 255.f);
}

std::vector<uint8_t> Image::premultipliedRgba(bool bottomUp) const {
  std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * 4);
  const uint32_t* px = pixels();
  for (int y = 0; y < height_; ++y) {
    const uint32_t* row = px + static_cast<size_t>(bottomUp ? height_ - 1 - y : y) * width_;
    uint8_t* o = out.data() + static_cast<size_t>(y) * width_ * 4;
    for (int x = 0; x < width_; ++x) {
      const uint32_t p = row[x];
      o[4 * x] = p >> 16 & 0xff;
      o[4 * x + 1] = p >> 8 & 0xff;
      o[4 * x + 2] = p & 0xff;
      o[4 * x + 3] = p >> 24;
    }
  }
  return out;
}

std::optional<std::vector<uint8_t>> Image::pngData() const { return PngCodec::encode(*this); }

bool Image::writePng(const std::filesystem::path& path) const {
  auto data = pngData();
  return data && FileUtil::writeFileAtomically(path, *data, FileUtil::Sync::kDeferred);
}

std::shared_ptr<Image> Image::stretchableImage(int leftCapWidth, int topCapHeight) const {
  std::shared_ptr<Image> copy(new Image(pixels_, width_, height_, scale_));
  // Caps are points; the stretched middle column and row must stay inside the pixels.
  const int widest = static_cast<int>((static_cast<float>(width_) - 1) / scale_);
  const int highest = static_cast<int>((static_cast<float>(height_) - 1) / scale_);
  copy->leftCap_ = std::clamp(leftCapWidth, 0, widest);
  copy->topCap_ = std::clamp(topCapHeight, 0, highest);
  copy->name_ = name_;
  return copy;
}

std::shared_ptr<Image> Image::resizableImage(const EdgeInsets& capInsets) const {
  std::shared_ptr<Image> copy(new Image(pixels_, width_, height_, scale_));
  // Each pair of caps leaves at least one pixel between them to stretch.
  auto cut = [this](float before, float after, int pixels) {
    const float total = (static_cast<float>(pixels) - 1) / scale_;
    before = std::clamp(before, 0.f, std::max(0.f, total));
    after = std::clamp(after, 0.f, std::max(0.f, total - before));
    return std::pair{before, after};
  };
  const auto [left, right] = cut(capInsets.left, capInsets.right, width_);
  const auto [top, bottom] = cut(capInsets.top, capInsets.bottom, height_);
  copy->capInsets_ = EdgeInsets{top, left, bottom, right};
  copy->name_ = name_;
  return copy;
}

cairo_surface_t* Image::surface() const {
  Pixels& p = *pixels_;
  std::call_once(p.surfaceOnce, [&p, this] {
    p.surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(p.data.data()),
                                                    CAIRO_FORMAT_ARGB32, width_, height_, width_ * 4);
  });
  return p.surface.load();
}

}  // namespace zu::ui
