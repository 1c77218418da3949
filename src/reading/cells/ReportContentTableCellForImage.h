// ReportContentTableCellForImage: the article list's row of two picture albums. Adds to the
// two-item row its day and night look: the boards ("album_board.png") and the thumbnails'
// normal-state background shown until a thumbnail arrives ("album_pic_loading.png"), each with
// its "black_" twin at night, and titles black by day and (225, 225, 225) at night. A reuse
// applies the look of the current mode, clears both masks and empties both titles. Made only
// from the interface file of its class name, also its reuse identifier. Main thread only.
#pragma once

#include "reading/cells/ReportContentTableCellImageAndVideo.h"

namespace zu {

class ReportContentTableCellForImage : public ReportContentTableCellImageAndVideo {
 public:
  static constexpr const char* kNibName = "ReportContentTableCellForImage";

  static void registerNib();

  ReportContentTableCellForImage();

  bool nightMode() const { return nightMode_; }
  void setNightMode(bool night);
  void prepareForReuse() override;

  void awakeFromNib() override;
  std::string className() const override { return kNibName; }

 private:
  static void build(ui::NibLoading& file);
  void applyLook();

  bool nightMode_ = false;
};

}  // namespace zu
