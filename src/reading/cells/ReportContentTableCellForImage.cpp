#include "reading/cells/ReportContentTableCellForImage.h"

#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/support/ReadingLook.h"

namespace zu {

void ReportContentTableCellForImage::build(ui::NibLoading& file) {
  buildSlots(file, file.makeTopLevel<ReportContentTableCellForImage>());
}

void ReportContentTableCellForImage::registerNib() {
  ui::NibRegistry::shared().add(kNibName, build);
}

ReportContentTableCellForImage::ReportContentTableCellForImage()
    : ReportContentTableCellImageAndVideo(kNibName) {}

void ReportContentTableCellForImage::awakeFromNib() {
  ReportContentTableCellImageAndVideo::awakeFromNib();
  applyLook();
}

void ReportContentTableCellForImage::applyLook() {
  auto board = ReadingLook::image("album_board.png", nightMode_);
  auto loading = ReadingLook::image("album_pic_loading.png", nightMode_);
  const ui::Color titleColor = nightMode_ ? ReadingLook::grey(225) : ui::Color::blackColor();
  for (const auto& view : {contentCellImageFirst(), contentCellImageSecond()}) {
    if (view) view->setImage(board);
  }
  for (const auto& button : {contentCellButtonFirst(), contentCellButtonSecond()}) {
    if (button) button->setBackgroundImage(loading, ui::kControlStateNormal);
  }
  for (const auto& title : {titleCellImageFirst(), titleCellImageSecond()}) {
    if (title) title->setTextColor(titleColor);
  }
}

void ReportContentTableCellForImage::setNightMode(bool night) {
  nightMode_ = night;
  applyLook();
}

void ReportContentTableCellForImage::prepareForReuse() {
  ReportContentTableCellImageAndVideo::prepareForReuse();
  applyLook();
  clearSlots();
}

}  // namespace zu
