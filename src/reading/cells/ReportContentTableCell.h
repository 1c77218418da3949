// ReportContentTableCell: a text row of the column article list — title, time and summary —
// and the base of the row with a thumbnail (ReportContentTableCellWithImage). Made only from the
// interface file of its class name (registerNib()), which is also its reuse identifier; the
// list fills and moves the labels per row, the cell itself owns the read colour of the title,
// the day and night look, and the reset on reuse (labels back to their resting places, texts
// emptied, unread). Titles: unread (70, 70, 70) by day and (195, 195, 195) at night, read
// (153, 153, 153) in both; summaries (102, 102, 102) by day, (153, 153, 153) at night.
//
// The separator lines belong to the interface file (the cell keeps them weakly); only the upper
// one gets a picture from the cell. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class ImageView;
class Label;
class NibLoading;
}  // namespace ui

class ReportContentTableCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "ReportContentTableCell";
  // Where prepareForReuse puts the summary (y, height) and the time (y) back.
  static constexpr float kSummaryY = 47;
  static constexpr float kSummaryHeight = 34;
  static constexpr float kUpdatedY = 31;

  static void registerNib();

  explicit ReportContentTableCell(std::string reuseIdentifier = kNibName);

  const std::shared_ptr<ui::Label>& contentCellTitle() const { return title_; }
  const std::shared_ptr<ui::Label>& contentCellSummary() const { return summary_; }
  const std::shared_ptr<ui::Label>& contentCellUpdated() const { return updated_; }
  std::shared_ptr<ui::ImageView> upperLineView() const { return upperLine_.lock(); }
  std::shared_ptr<ui::ImageView> bottomLineView() const { return bottomLine_.lock(); }

  bool nightMode() const { return nightMode_; }
  bool isRead() const { return read_; }
  // Stores the flag and recolours the title at once.
  void setRead(bool read);
  void setNightMode(bool night);
  void prepareForReuse() override;

  void awakeFromNib() override;
  std::string className() const override { return kNibName; }

 protected:
  // Lays out the labels and lines of a text row whose text column is `textWidth` wide, and
  // wires them to `cell`.
  static void buildRow(ui::NibLoading& file, const std::shared_ptr<ReportContentTableCell>& cell,
                       float textWidth);
  // The picture frame of the image row, put on before the upper line.
  virtual void applyFramePicture() {}

 private:
  static void build(ui::NibLoading& file);
  void applyUpperLine();

  std::shared_ptr<ui::Label> title_;
  std::shared_ptr<ui::Label> summary_;
  std::shared_ptr<ui::Label> updated_;
  std::weak_ptr<ui::ImageView> upperLine_;
  std::weak_ptr<ui::ImageView> bottomLine_;
  bool nightMode_ = false;
  bool read_ = false;
};

}  // namespace zu
