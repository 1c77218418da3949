// ImageView: a view showing an image (or its highlighted image while highlighted), fitted by the
// content mode, and able to play a sequence of images. Main thread; std::make_shared.
//
// Kept from the phone: made with an image, the view takes the image's size; user interaction is
// off; sizeThatFits is the image's size. Playing animationImages shows each for
// animationDuration / count seconds (default 1/30 s each) by the injected clock, repeating
// animationRepeatCount times (0: for ever), then stops by itself and shows the still image
// again; stopAnimating stops at once. isAnimating tells whether it plays. Scaled to fill, the
// image stretches only the part inside the view's contentStretch (a stretchable image keeps
// its own caps instead).
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/images/Image.h"
#include "platform/ui/system/Timer.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class ImageView : public View {
 public:
  explicit ImageView(const Rect& frame = Rect());
  explicit ImageView(std::shared_ptr<Image> image);
  ~ImageView() override;

  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image);
  const std::shared_ptr<Image>& highlightedImage() const { return highlightedImage_; }
  void setHighlightedImage(std::shared_ptr<Image> image);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);

  const std::vector<std::shared_ptr<Image>>& animationImages() const { return frames_; }
  void setAnimationImages(std::vector<std::shared_ptr<Image>> images);
  double animationDuration() const { return duration_; }
  void setAnimationDuration(double seconds) { duration_ = seconds > 0 ? seconds : 0; }
  int animationRepeatCount() const { return repeatCount_; }
  void setAnimationRepeatCount(int count) { repeatCount_ = count > 0 ? count : 0; }
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return timer_ != nullptr; }

  // What is shown now: the animation frame while playing, else the (highlighted) image.
  std::shared_ptr<Image> displayedImage() const;

  Size sizeThatFits(Size size) const override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 private:
  void step();

  std::shared_ptr<Image> image_;
  std::shared_ptr<Image> highlightedImage_;
  bool highlighted_ = false;
  std::vector<std::shared_ptr<Image>> frames_;
  double duration_ = 0;
  int repeatCount_ = 0;
  std::shared_ptr<Timer> timer_;
  size_t shown_ = 0;  // frames shown since start
};

}  // namespace zu::ui
