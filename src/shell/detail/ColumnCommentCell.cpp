#include "shell/detail/ColumnCommentCell.h"

#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/widgets/StarsView.h"

namespace zu {

void ColumnCommentCell::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ColumnCommentCell>();
  cell->setFrame(ui::Rect(0, 0, 320, 60));
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  auto name = file.make<ui::Label>(ui::Rect(10, 8, 150, 20));
  name->setBackgroundColor(ui::Color::clearColor());
  name->setFont(ui::Font::named("Helvetica", 15));
  auto time = file.make<ui::Label>(ui::Rect(10, 8, 90, 20));
  time->setBackgroundColor(ui::Color::clearColor());
  time->setFont(ui::Font::systemFont(12));
  time->setTextColor(ui::Color::white(0.6f));
  auto stars = file.make<StarsView>(ui::Rect(240, 11, 70, 14));
  auto text = file.make<ui::Label>(ui::Rect(10, 32, 300, 20));
  text->setBackgroundColor(ui::Color::clearColor());
  text->setFont(ui::Font::systemFont(13));
  text->setNumberOfLines(0);
  text->setLineBreakMode(ui::LineBreakMode::CharacterWrap);
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{name, time, stars, text}) {
    cell->contentView()->addSubview(part);
  }
  file.connect([cell, name, time, stars, text] {
    cell->usernameLabel_ = name;
    cell->timeLabel_ = time;
    cell->starsView_ = stars;
    cell->commentLabel_ = text;
  });
}

void ColumnCommentCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

ColumnCommentCell::ColumnCommentCell()
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

void ColumnCommentCell::awakeFromNib() {
  TableViewCell::awakeFromNib();
  if (usernameLabel_) usernameLabel_->setTextColor(MyFaceSettings::getColorForDetailViewCommentNameLabel());
  if (commentLabel_) commentLabel_->setTextColor(MyFaceSettings::getColorForDetailViewCommentContentLabel());
  // The time: a grey dark enough for the day ground, the 0.6 grey by night.
  if (timeLabel_) timeLabel_->setTextColor(ui::Color::white(gIsNight ? 0.6f : 0.42f));
}

}  // namespace zu
