#include "reading/cells/ReportContentTableCell.h"

#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/support/ReadingLook.h"

namespace zu {

namespace {

constexpr float kRowWidth = 320;
constexpr float kRowHeight = 90;

}  // namespace

void ReportContentTableCell::buildRow(ui::NibLoading& file,
                                      const std::shared_ptr<ReportContentTableCell>& cell,
                                      float textWidth) {
  cell->setFrame(ui::Rect(0, 0, kRowWidth, kRowHeight));
  auto title = file.make<ui::Label>(ui::Rect(10, 8, textWidth, 20));
  title->setFont(ui::Font::boldSystemFont(16));
  auto updated = file.make<ui::Label>(ui::Rect(10, kUpdatedY, textWidth, 14));
  updated->setFont(ui::Font::systemFont(11));
  updated->setTextColor(ReadingLook::timeColor(false));
  auto summary = file.make<ui::Label>(ui::Rect(10, kSummaryY, textWidth, kSummaryHeight));
  summary->setFont(ui::Font::systemFont(13));
  summary->setNumberOfLines(2);
  auto upper = file.make<ui::ImageView>(ui::Rect(0, 0, kRowWidth, 2));
  auto bottom = file.make<ui::ImageView>(ui::Rect(0, kRowHeight - 1, kRowWidth, 1));
  for (const auto& label : {title, updated, summary}) {
    label->setBackgroundColor(ui::Color::clearColor());
    cell->contentView()->addSubview(label);
  }
  cell->contentView()->addSubview(upper);
  cell->contentView()->addSubview(bottom);
  file.connect([cell, title, updated, summary, upper, bottom] {
    cell->title_ = title;
    cell->updated_ = updated;
    cell->summary_ = summary;
    cell->upperLine_ = upper;
    cell->bottomLine_ = bottom;
  });
}

void ReportContentTableCell::build(ui::NibLoading& file) {
  buildRow(file, file.makeTopLevel<ReportContentTableCell>(), 300);
}

void ReportContentTableCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

ReportContentTableCell::ReportContentTableCell(std::string reuseIdentifier)
    : TableViewCell(ui::TableViewCellStyle::Default, std::move(reuseIdentifier)) {}

void ReportContentTableCell::awakeFromNib() {
  TableViewCell::awakeFromNib();
  setNightMode(false);
}

void ReportContentTableCell::setRead(bool read) {
  read_ = read;
  if (title_) title_->setTextColor(ReadingLook::titleColor(read_, nightMode_));
}

void ReportContentTableCell::setNightMode(bool night) {
  nightMode_ = night;
  if (summary_) summary_->setTextColor(ReadingLook::summaryColor(night));
  if (updated_) updated_->setTextColor(ReadingLook::timeColor(night));
  setSelectedBackgroundView(ReadingLook::pressBackground(night));
  if (title_) title_->setTextColor(ReadingLook::titleColor(read_, night));
  applyFramePicture();
  applyUpperLine();
}

void ReportContentTableCell::prepareForReuse() {
  TableViewCell::prepareForReuse();
  read_ = false;
  if (title_) title_->setTextColor(ReadingLook::unreadTitleColor(nightMode_));
  if (summary_) summary_->setTextColor(ReadingLook::summaryColor(nightMode_));
  applyFramePicture();
  applyUpperLine();
  if (title_) title_->setText("");
  if (summary_) {
    summary_->setText("");
    const ui::Rect f = summary_->frame();
    summary_->setFrame(ui::Rect(f.minX(), kSummaryY, f.width(), kSummaryHeight));
  }
  if (updated_) {
    updated_->setText("");
    const ui::Rect f = updated_->frame();
    updated_->setFrame(ui::Rect(f.minX(), kUpdatedY, f.width(), f.height()));
  }
}

void ReportContentTableCell::applyUpperLine() {
  if (auto line = upperLine_.lock()) line->setImage(ReadingLook::image("listpage_line.png", nightMode_));
}

}  // namespace zu
