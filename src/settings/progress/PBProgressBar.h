// PBProgressBar: an image-based progress bar — a background picture across the whole bar and,
// above it, a progress picture from the left edge over the done part (width × progress). The
// background is drawn stretchable (left cap 20, top cap 3); both pictures stretch their middle
// (content stretch x 10/w, width (w − 20)/w of the picture's width w). Used by the progress board
// (PBProgressModalView) and by views made from interface files.
//
// Where we differ on purpose (faults mended): a progress that is not a number reads as 0 (it
// would otherwise pass both clamps and reach the frame arithmetic), and a picture 0 points wide
// keeps the full content stretch instead of dividing by its width. A picture too narrow for those
// caps (the skin's are 20 points wide, which leaves nothing between them) stretches its middle
// point, and the background's left cap becomes the middle, so the bar keeps round ends and a
// track instead of a drawn-out lens.
//
// Main thread only; std::make_shared like every view. It owns its two image views.
#pragma once

#include <memory>

#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class Image;
class ImageView;
}  // namespace ui

class PBProgressBar : public ui::View {
 public:
  explicit PBProgressBar(const ui::Rect& frame = ui::Rect());

  float progress() const { return progress_; }
  // Clamped to 0..1; the done part follows at once.
  void setProgress(float progress);
  const std::shared_ptr<ui::Image>& progressImage() const { return progressImage_; }
  void setProgressImage(std::shared_ptr<ui::Image> image);
  // Kept as a stretchable copy (caps 20, 3; see leftCapFor).
  const std::shared_ptr<ui::Image>& backgroundImage() const { return backgroundImage_; }
  void setBackgroundImage(const std::shared_ptr<ui::Image>& image);

  const std::shared_ptr<ui::ImageView>& progressImageView() const { return progressImageView_; }
  const std::shared_ptr<ui::ImageView>& backgroundImageView() const { return backgroundImageView_; }

  // The content stretch both setters give their image view for a picture `width` points wide.
  static ui::Rect contentStretchFor(float width);
  // The background's left cap for a picture `width` points wide: 20, or its middle when narrower.
  static int leftCapFor(float width);

  void layoutSubviews() override;
  std::string className() const override { return "PBProgressBar"; }

 private:
  void internalInit();

  float progress_ = 0;
  std::shared_ptr<ui::Image> progressImage_;
  std::shared_ptr<ui::Image> backgroundImage_;
  std::shared_ptr<ui::ImageView> progressImageView_;
  std::shared_ptr<ui::ImageView> backgroundImageView_;
};

}  // namespace zu
