#include "reading/cells/ReportContentTableCellWithImage.h"

#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/support/ReadingLook.h"

namespace zu {

void ReportContentTableCellWithImage::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ReportContentTableCellWithImage>();
  buildRow(file, cell, 206);
  auto frame = file.make<ui::ImageView>(ui::Rect(226, 12, 84, 66));
  auto image = file.make<ui::ImageView>(ui::Rect(228, 14, 80, 62));
  image->setContentMode(ui::ContentMode::ScaleAspectFill);
  image->setClipsToBounds(true);
  cell->contentView()->addSubview(frame);
  cell->contentView()->addSubview(image);
  file.connect([cell, frame, image] {
    cell->frame_ = frame;
    cell->image_ = image;
  });
}

void ReportContentTableCellWithImage::registerNib() {
  ui::NibRegistry::shared().add(kNibName, build);
}

ReportContentTableCellWithImage::ReportContentTableCellWithImage()
    : ReportContentTableCell(kNibName) {}

void ReportContentTableCellWithImage::applyFramePicture() {
  if (frame_) frame_->setImage(ReadingLook::image("list_pic_bj.png", nightMode()));
}

void ReportContentTableCellWithImage::prepareForReuse() {
  ReportContentTableCell::prepareForReuse();
  if (image_) image_->setImage(nullptr);
}

}  // namespace zu
