// DownloadTableViewCell: one row of the offline download pop-up — the column's title at the
// left, its state text ("等待下载", "正在下载: 40%", "已经完成", or "正在检查新文章" shown by the
// pop-up) at the right, and the done mark beside it. Made by the interface file
// "DownloadTableViewCell" (registerNib(); the cell is the file's last top-level object, with the
// file's name as its reuse identifier); the offline download manager fills it as the table's data
// source. Main thread only; the cell owns its three outlets.
#pragma once

#include <memory>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class ImageView;
class Label;
}  // namespace ui

class DownloadTableViewCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "DownloadTableViewCell";
  // The done mark's picture (one look by day and night: it is green on both).
  static constexpr const char* kDoneMarkImage = "lixian_finish.png";
  // A done row's state text, and the colour it is written in (66A300) by day and by night.
  static constexpr const char* kDoneState = "已经完成";
  static ui::Color doneColor() { return ui::Color::rgba8(0x66, 0xA3, 0x00); }

  static void registerNib();
  // The last object of the interface file, or null when the file is not registered.
  static std::shared_ptr<DownloadTableViewCell> loadFromNib();

  DownloadTableViewCell();

  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<ui::Label>& detailLabel() const { return detailLabel_; }
  const std::shared_ptr<ui::ImageView>& iconImageView() const { return iconImageView_; }
  void setTitleLabel(std::shared_ptr<ui::Label> label) { titleLabel_ = std::move(label); }
  void setDetailLabel(std::shared_ptr<ui::Label> label) { detailLabel_ = std::move(label); }
  void setIconImageView(std::shared_ptr<ui::ImageView> view) { iconImageView_ = std::move(view); }

  std::string className() const override { return "DownloadTableViewCell"; }

 private:
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> detailLabel_;
  std::shared_ptr<ui::ImageView> iconImageView_;
};

}  // namespace zu
