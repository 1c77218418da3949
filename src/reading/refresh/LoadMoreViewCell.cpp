#include "reading/refresh/LoadMoreViewCell.h"

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/support/ReadingLook.h"

namespace zu {

void LoadMoreViewCell::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<LoadMoreViewCell>();
  cell->setFrame(ui::Rect(0, 0, 320, 50));
  auto status = file.make<ui::Label>(ui::Rect(135, 15, 170, 20));
  status->setFont(ui::Font::boldSystemFont(13));
  status->setBackgroundColor(ui::Color::clearColor());
  status->setShadowOffset(ui::Size{0, 1});
  status->setText("正在载入更多");
  auto activity = file.make<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  activity->setFrame(ui::Rect(110, 15, 20, 20));
  cell->contentView()->addSubview(status);
  cell->contentView()->addSubview(activity);
  file.connect([cell, status, activity] {
    cell->status_ = status;
    cell->activity_ = activity;
  });
}

void LoadMoreViewCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

LoadMoreViewCell::LoadMoreViewCell()
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kNibName)) {}

void LoadMoreViewCell::awakeFromNib() {
  TableViewCell::awakeFromNib();
  setNightMode(false);
}

void LoadMoreViewCell::prepareForReuse() {
  TableViewCell::prepareForReuse();
  if (status_) ReadingLook::dressStatusLine(*status_, nightMode_, ReadingLook::grey(153));
}

void LoadMoreViewCell::setNightMode(bool night) {
  if (status_) ReadingLook::dressStatusLine(*status_, night, ReadingLook::grey(153));
  if (activity_) {
    activity_->setStyle(night ? ui::ActivityIndicatorStyle::White : ui::ActivityIndicatorStyle::Gray);
  }
  nightMode_ = night;
}

void LoadMoreViewCell::setStyle2() {
  if (status_) ReadingLook::dressDarkStatusLine(*status_, nightMode_ ? 0.75f : 1.0f);
  if (activity_) activity_->setStyle(ui::ActivityIndicatorStyle::White);
}

}  // namespace zu
