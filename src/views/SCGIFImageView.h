// SCGIFImageView: an image view that plays an animated GIF. It splits the file into frames
// (GifFrameDecoder), lets the image decoder (giflib, through Image::fromData) turn each frame's
// standalone GIF into a picture, composes the pictures on one canvas by each frame's disposal
// method, and plays the composed pictures with the image view's image-sequence animation.
// Data that is not a GIF, or a GIF without animation frames, shows as a still image.
// Main thread, like every view; made with create…() or std::make_shared (a plain image view).
//
// Kept from the phone:
//  - createWithGIFData: null for fewer than 4 bytes; not "GIF8…": a view with the still image;
//    a GIF with frames: plays them; a GIF without: the still image.
//  - Composition, per frame in order: disposal 3 first keeps a copy of the canvas; disposals 1,
//    2 and 3 draw the picture clipped to the frame's rectangle, others unclipped; a delay not
//    above 0 becomes 10; the canvas is copied as the frame's composed picture; then disposal 2
//    clears the rectangle and disposal 3 clears it and puts the kept copy back. The canvas has
//    the size of the first picture.
//  - The animation shows the first composed picture, runs for ever and lasts the sum of the
//    delays / 100 seconds, the pictures at an even pace.
//  - loadGIFFile leaves the view alone for a file that is not a GIF; a GIF without frames
//    empties the frame list and leaves the pictures shown.
// Where we differ on purpose (faults mended; GIF files come from the network):
//  - A frame whose data makes no picture is skipped (its delay does not count); when no frame
//    makes one, or when the composed pictures would exceed kMaxComposedPixels, the view shows
//    the still image instead, as it does when the frames' data exceed the decoder's budget.
//  - Negative frame indexes answer null; setGIF_frames with no usable frame stops the
//    animation and leaves the image shown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/views/ImageView.h"
#include "views/AnimatedGifFrame.h"

namespace zu {

class SCGIFImageView : public ui::ImageView {
 public:
  // The composed pictures of one view together may hold this many pixels (256 MiB).
  static constexpr int64_t kMaxComposedPixels = int64_t{64} << 20;

  struct Composition {
    std::vector<std::shared_ptr<ui::Image>> pictures;
    // Sum of the composed frames' delays, in hundredths of a second.
    double delay = 0;
  };

  using ui::ImageView::ImageView;

  static bool isGifImage(const std::vector<uint8_t>& data);
  static std::shared_ptr<SCGIFImageView> createWithGIFData(const std::vector<uint8_t>& data);
  static std::shared_ptr<SCGIFImageView> createWithGIFFile(const std::filesystem::path& path);
  // The frames a view made from `data` would hold (delays normalised); nullopt when that view
  // is null or the data is not a GIF.
  static std::optional<std::vector<AnimatedGifFrame>> getGifFrames(const std::vector<uint8_t>& data);
  // Composes the frames' pictures (see above), normalising their delays. Empty when no frame
  // makes a picture or the pictures would exceed kMaxComposedPixels.
  static Composition compose(std::vector<AnimatedGifFrame>& frames);

  void loadGIFFile(const std::filesystem::path& path);
  // Null when the index is outside the frame list or the frame has no data.
  const std::vector<uint8_t>* getFrameAsDataAtIndex(int index) const;
  std::shared_ptr<ui::Image> getFrameAsImageAtIndex(int index) const;
  const std::vector<AnimatedGifFrame>& GIF_frames() const { return frames_; }
  void setGIF_frames(std::vector<AnimatedGifFrame> frames);

 private:
  // Splits `data` into frames_ (emptied first); false when it went over budget.
  bool decodeGIF(const std::vector<uint8_t>& data);
  // Composes frames_ and plays them; false when nothing could be composed.
  bool loadImageData();

  std::vector<AnimatedGifFrame> frames_;
};

}  // namespace zu
