// ReportContentSlotButton: the button of one half of an album or video row
// (ReportContentTableCellImageAndVideo). It covers the whole half — its picture, its title and
// the margins around them — so that a finger anywhere in the half presses it and a tap opens
// that half's item, as the reader expects of a tile. Its pictures keep to the picture frame
// inside it: the background image (the loading picture) is drawn there and the image (the
// thumbnail) is centred there, as when the button was only the picture.
//
// Made by the row's interface file; main thread only.
#pragma once

#include "platform/ui/controls/Button.h"

namespace zu {

class ReportContentSlotButton : public ui::Button {
 public:
  // `frame` is the half in the row, `pictureFrame` the picture's place in the button.
  ReportContentSlotButton(const ui::Rect& frame, const ui::Rect& pictureFrame);

  const ui::Rect& pictureFrame() const { return pictureFrame_; }

  void layoutSubviews() override;
  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;

 private:
  ui::Rect pictureFrame_;
};

}  // namespace zu
