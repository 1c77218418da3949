// ReportContentTableCellImageAndVideo: a row of two items side by side (picture albums or
// videos), each a thumbnail on a board with a press mask over it (tags 7 and 8: the button's
// tag + 6) and a title; each half is one button (tags 1 and 2, ReportContentSlotButton) that
// covers the half, thumbnail, title and margins alike. The base of ReportContentTableCellForImage
// and ReportContentTableCellForVideo, which are made from interface files of their class names
// (buildSlots lays out both slots; the second slot's decoration views carry tags 22, 23 and 24
// so the list can hide them with the slot for a row of one item).
//
// Touches: touch-down in a half shows its mask at alpha 0.3, a touch that ends outside, or
// that the list takes over to scroll (touch cancel), takes it back to 0; a tap (touch-up inside) reports the button's tag to the delegate and
// leaves the mask at 0.3 (the list or a reuse resets it). With no delegate a tap does nothing.
// The delegate is held weakly: a list that goes away before its cells leaves them with no
// delegate, and their taps do nothing. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class NibLoading;
}  // namespace ui

class ReportContentTableCellImageAndVideoProtocol;

class ReportContentTableCellImageAndVideo : public ui::TableViewCell {
 public:
  static constexpr int kFirstTag = 1;
  static constexpr int kSecondTag = 2;
  // A mask's tag is its button's tag plus this.
  static constexpr int kMaskTagOffset = 6;
  static constexpr int kSecondSlotDecorationTags[3] = {22, 23, 24};
  static constexpr float kMaskPressedAlpha = 0.3f;

  explicit ReportContentTableCellImageAndVideo(std::string reuseIdentifier);

  const std::shared_ptr<ui::Button>& contentCellButtonFirst() const { return button_[0]; }
  const std::shared_ptr<ui::Button>& contentCellButtonSecond() const { return button_[1]; }
  const std::shared_ptr<ui::ImageView>& contentCellMaskFirst() const { return mask_[0]; }
  const std::shared_ptr<ui::ImageView>& contentCellMaskSecond() const { return mask_[1]; }
  const std::shared_ptr<ui::ImageView>& contentCellImageFirst() const { return board_[0]; }
  const std::shared_ptr<ui::ImageView>& contentCellImageSecond() const { return board_[1]; }
  const std::shared_ptr<ui::Label>& titleCellImageFirst() const { return title_[0]; }
  const std::shared_ptr<ui::Label>& titleCellImageSecond() const { return title_[1]; }

  std::shared_ptr<ReportContentTableCellImageAndVideoProtocol> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ReportContentTableCellImageAndVideoProtocol> delegate) {
    delegate_ = std::move(delegate);
  }
  int cellId() const { return cellId_; }
  void setCellId(int id) { cellId_ = id; }

  // The buttons' actions.
  void ButtonDown(ui::View& button);
  void ButtonOutside(ui::View& button);
  void FirstButtonPress(ui::View& button);
  void SecondButtonPress(ui::View& button);

 protected:
  // Lays out both slots in `cell` and connects the buttons' actions and the outlets.
  static void buildSlots(ui::NibLoading& file,
                         const std::shared_ptr<ReportContentTableCellImageAndVideo>& cell);
  // Both masks clear and both titles empty (the part of a reuse both kinds share).
  void clearSlots();

 private:
  void report(ui::View& button);

  std::shared_ptr<ui::Button> button_[2];
  std::shared_ptr<ui::ImageView> mask_[2];
  std::shared_ptr<ui::ImageView> board_[2];
  std::shared_ptr<ui::Label> title_[2];
  std::weak_ptr<ReportContentTableCellImageAndVideoProtocol> delegate_;
  int cellId_ = 0;
};

}  // namespace zu
