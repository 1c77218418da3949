// ReportContentTableCellWithImage: the article list's text row with a thumbnail in a framed
// picture area at the right. Everything of ReportContentTableCell (read and night colours, the
// reset on reuse) plus the picture frame of the mode ("list_pic_bj.png", its "black_" twin at
// night) and a thumbnail that a reuse clears. Made only from the interface file of its class
// name, also its reuse identifier; the list loads the thumbnail. Main thread only.
#pragma once

#include <memory>

#include "reading/cells/ReportContentTableCell.h"

namespace zu {

class ReportContentTableCellWithImage : public ReportContentTableCell {
 public:
  static constexpr const char* kNibName = "ReportContentTableCellWithImage";

  static void registerNib();

  ReportContentTableCellWithImage();

  const std::shared_ptr<ui::ImageView>& contentCellImage() const { return image_; }
  const std::shared_ptr<ui::ImageView>& bkImageView() const { return frame_; }

  void prepareForReuse() override;
  std::string className() const override { return kNibName; }

 protected:
  void applyFramePicture() override;

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::ImageView> image_;
  std::shared_ptr<ui::ImageView> frame_;
};

}  // namespace zu
