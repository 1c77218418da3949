#include "shell/detail/ColumnSummaryCell.h"

#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/skin/MyFaceSettings.h"

namespace zu {

void ColumnSummaryCell::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ColumnSummaryCell>();
  cell->setFrame(ui::Rect(0, 0, 320, 44));
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  auto label = file.make<ui::Label>(ui::Rect(10, 10, 300, 24));
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::systemFont(13));
  label->setNumberOfLines(0);
  label->setLineBreakMode(ui::LineBreakMode::CharacterWrap);
  cell->contentView()->addSubview(label);
  file.connect([cell, label] { cell->summaryLabel_ = label; });
}

void ColumnSummaryCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

ColumnSummaryCell::ColumnSummaryCell()
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

void ColumnSummaryCell::awakeFromNib() {
  TableViewCell::awakeFromNib();
  if (summaryLabel_) summaryLabel_->setTextColor(MyFaceSettings::getColorForDetailViewSummaryLabel());
}

}  // namespace zu
