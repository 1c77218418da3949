// ColumnSummaryCell: the column detail's summary row — one label of wrapped text in the day or
// night summary colour. Made only by the interface file "ColumnSummaryCell" (registerNib()),
// reused under "COLUMN_SUMMARY_CELL"; the detail screen places and fills the label. Its row
// never shows a highlight or selection. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class Label;
class NibLoading;
}  // namespace ui

class ColumnSummaryCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "ColumnSummaryCell";
  static constexpr const char* kReuseIdentifier = "COLUMN_SUMMARY_CELL";

  static void registerNib();

  ColumnSummaryCell();

  const std::shared_ptr<ui::Label>& summaryLabel() const { return summaryLabel_; }

  void setHighlighted(bool, bool) override {}
  void setSelected(bool, bool) override {}
  void awakeFromNib() override;
  std::string className() const override { return "ColumnSummaryCell"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::Label> summaryLabel_;
};

}  // namespace zu
