#include "views/SCGIFImageView.h"

#include <cstring>

#include "platform/runtime/FileUtil.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "views/GifFrameDecoder.h"

namespace zu {

namespace {

// The logical screen size written into a frame's standalone data, or 0 × 0 without data.
int64_t screenPixels(const AnimatedGifFrame& frame) {
  if (frame.data.size() < 10) return 0;
  const uint8_t* s = frame.data.data() + 6;
  return int64_t{s[0] | s[1] << 8} * (s[2] | s[3] << 8);
}

std::shared_ptr<ui::Image> copyOf(const ui::Image& image) {
  auto copy = ui::Image::create(image.pixelWidth(), image.pixelHeight(), image.scale());
  if (copy) {
    std::memcpy(copy->mutablePixels(), image.pixels(),
                sizeof(uint32_t) * static_cast<size_t>(image.pixelWidth()) * image.pixelHeight());
  }
  return copy;
}

std::shared_ptr<SCGIFImageView> stillView(const std::vector<uint8_t>& data) {
  return std::make_shared<SCGIFImageView>(ui::Image::fromData(data));
}

}  // namespace

bool SCGIFImageView::isGifImage(const std::vector<uint8_t>& data) {
  return GifFrameDecoder::isGifImage(data.data(), data.size());
}

std::shared_ptr<SCGIFImageView> SCGIFImageView::createWithGIFData(const std::vector<uint8_t>& data) {
  if (data.size() < 4) return nullptr;
  if (!isGifImage(data)) return stillView(data);
  auto view = std::make_shared<SCGIFImageView>();
  if (!view->decodeGIF(data) || view->frames_.empty() || !view->loadImageData()) {
    auto still = stillView(data);
    still->frames_ = std::move(view->frames_);
    return still;
  }
  return view;
}

std::shared_ptr<SCGIFImageView> SCGIFImageView::createWithGIFFile(const std::filesystem::path& path) {
  return createWithGIFData(FileUtil::readFile(path).value_or(std::vector<uint8_t>()));
}

std::optional<std::vector<AnimatedGifFrame>> SCGIFImageView::getGifFrames(const std::vector<uint8_t>& data) {
  if (!isGifImage(data)) return std::nullopt;
  auto view = createWithGIFData(data);
  if (!view) return std::nullopt;
  return std::move(view->frames_);
}

void SCGIFImageView::loadGIFFile(const std::filesystem::path& path) {
  const std::vector<uint8_t> data = FileUtil::readFile(path).value_or(std::vector<uint8_t>());
  if (!isGifImage(data)) return;
  if (decodeGIF(data) && !frames_.empty()) loadImageData();
}

const std::vector<uint8_t>* SCGIFImageView::getFrameAsDataAtIndex(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= frames_.size()) return nullptr;
  const std::vector<uint8_t>& data = frames_[static_cast<size_t>(index)].data;
  return data.empty() ? nullptr : &data;
}

std::shared_ptr<ui::Image> SCGIFImageView::getFrameAsImageAtIndex(int index) const {
  const std::vector<uint8_t>* data = getFrameAsDataAtIndex(index);
  return data ? ui::Image::fromData(*data) : nullptr;
}

void SCGIFImageView::setGIF_frames(std::vector<AnimatedGifFrame> frames) {
  frames_ = std::move(frames);
  loadImageData();
}

bool SCGIFImageView::decodeGIF(const std::vector<uint8_t>& data) {
  GifFrameDecoder::Result result = GifFrameDecoder::decode(data.data(), data.size());
  frames_ = std::move(result.frames);
  return !result.overBudget;
}

SCGIFImageView::Composition SCGIFImageView::compose(std::vector<AnimatedGifFrame>& frames) {
  Composition out;
  int64_t budget = 0;
  for (AnimatedGifFrame& frame : frames) {
    if (!(frame.delay > 0)) frame.delay = 10;
    budget += screenPixels(frame);
  }
  // Checked before decoding anything, from the sizes the frames claim, and again as the
  // pictures come (a frame may claim no screen size).
  if (budget > kMaxComposedPixels) return out;
  budget = 0;

  std::shared_ptr<ui::Image> canvasImage;
  std::unique_ptr<ui::Canvas> canvas;
  ui::Rect whole;
  for (const AnimatedGifFrame& frame : frames) {
    std::shared_ptr<ui::Image> picture = frame.data.empty() ? nullptr : ui::Image::fromData(frame.data);
    if (!picture) continue;
    if (!canvas) {
      canvasImage = ui::Image::create(picture->pixelWidth(), picture->pixelHeight(), picture->scale());
      if (!canvasImage) return Composition();
      canvas = std::make_unique<ui::Canvas>(*canvasImage);
      whole = ui::Rect(ui::Point{0, 0}, canvasImage->size());
    }
    budget += int64_t{canvasImage->pixelWidth()} * canvasImage->pixelHeight();
    if (budget > kMaxComposedPixels) return Composition();
    const int disposal = frame.disposalMethod;
    std::shared_ptr<ui::Image> before;
    canvas->save();
    if (disposal == 3) before = copyOf(*canvasImage);
    if (disposal >= 1 && disposal <= 3) canvas->clip(frame.area);
    canvas->drawImage(*picture, whole);
    canvas->restore();
    out.pictures.push_back(copyOf(*canvasImage));
    out.delay += frame.delay;
    if (disposal == 3) {
      canvas->clearRect(frame.area);
      canvas->drawImage(*before, whole);
    } else if (disposal == 2) {
      canvas->clearRect(frame.area);
    }
  }
  return out;
}

bool SCGIFImageView::loadImageData() {
  Composition composed = compose(frames_);
  if (composed.pictures.empty()) {
    stopAnimating();
    return false;
  }
  setImage(composed.pictures.front());
  setAnimationImages(std::move(composed.pictures));
  setAnimationDuration(composed.delay / 100);
  setAnimationRepeatCount(0);
  startAnimating();
  return true;
}

}  // namespace zu
