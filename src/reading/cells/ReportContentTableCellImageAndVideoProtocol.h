// ReportContentTableCellImageAndVideoProtocol: what a two-item row of the article list
// (pictures albums, videos) tells its list when the reader taps one of its items: the cell and
// the tapped button's tag (1 the first item, 2 the second). The list maps it to the entry at
// cellId × 2 + tag − 1. Called on the main thread from the button's action.
#pragma once

namespace zu {

class ReportContentTableCellImageAndVideo;

class ReportContentTableCellImageAndVideoProtocol {
 public:
  virtual ~ReportContentTableCellImageAndVideoProtocol() = default;
  virtual void ImageAndVideoButtonPressed(ReportContentTableCellImageAndVideo& cell,
                                          int pressedButton) = 0;
};

}  // namespace zu
