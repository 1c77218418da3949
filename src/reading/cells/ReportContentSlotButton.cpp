#include "reading/cells/ReportContentSlotButton.h"

#include "platform/ui/drawing/Canvas.h"

namespace zu {

ReportContentSlotButton::ReportContentSlotButton(const ui::Rect& frame, const ui::Rect& pictureFrame)
    : Button(ui::ButtonType::Custom, frame), pictureFrame_(pictureFrame) {}

void ReportContentSlotButton::layoutSubviews() {
  // The content lies in the picture frame, whatever height the row gives the button.
  const ui::Size size = bounds().size;
  const ui::EdgeInsets insets{pictureFrame_.minY(), pictureFrame_.minX(), size.height - pictureFrame_.maxY(),
                              size.width - pictureFrame_.maxX()};
  if (!(insets == contentEdgeInsets())) setContentEdgeInsets(insets);
  Button::layoutSubviews();
}

void ReportContentSlotButton::draw(ui::Canvas& canvas, const ui::Rect&) {
  if (auto background = currentBackgroundImage()) canvas.drawImage(*background, pictureFrame_, backgroundImageAlpha());
}

}  // namespace zu
