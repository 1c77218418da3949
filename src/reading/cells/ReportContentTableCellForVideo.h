// ReportContentTableCellForVideo: the article list's row of two videos (the video list's dark
// style). A reuse clears both masks, removes both thumbnails (the buttons' normal-state
// pictures) and empties both titles; setNightMode only stores the flag, as the video list keeps
// one look. Made only from the interface file of its class name, also its reuse identifier.
// Main thread only.
#pragma once

#include "reading/cells/ReportContentTableCellImageAndVideo.h"

namespace zu {

class ReportContentTableCellForVideo : public ReportContentTableCellImageAndVideo {
 public:
  static constexpr const char* kNibName = "ReportContentTableCellForVideo";

  static void registerNib();

  ReportContentTableCellForVideo();

  bool nightMode() const { return nightMode_; }
  void setNightMode(bool night) { nightMode_ = night; }
  void prepareForReuse() override;

  std::string className() const override { return kNibName; }

 private:
  static void build(ui::NibLoading& file);

  bool nightMode_ = false;
};

}  // namespace zu
