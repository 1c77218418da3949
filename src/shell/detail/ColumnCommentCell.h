// ColumnCommentCell: one review row of the column detail — the reviewer's name, the review's
// age, the reviewer's stars and the review text — in the day or night name and text colours.
// Made only by the interface file "ColumnCommentCell" (registerNib()), reused under
// "COLUMN_COMMENT_CELL"; the detail screen places and fills the parts. Its row never shows a
// highlight or selection. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class Label;
class NibLoading;
}  // namespace ui

class StarsView;

class ColumnCommentCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "ColumnCommentCell";
  static constexpr const char* kReuseIdentifier = "COLUMN_COMMENT_CELL";

  static void registerNib();

  ColumnCommentCell();

  const std::shared_ptr<ui::Label>& usernameLabel() const { return usernameLabel_; }
  const std::shared_ptr<ui::Label>& timeLabel() const { return timeLabel_; }
  const std::shared_ptr<StarsView>& starsView() const { return starsView_; }
  const std::shared_ptr<ui::Label>& commentLabel() const { return commentLabel_; }

  void setHighlighted(bool, bool) override {}
  void setSelected(bool, bool) override {}
  void awakeFromNib() override;
  std::string className() const override { return "ColumnCommentCell"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::Label> usernameLabel_;
  std::shared_ptr<ui::Label> timeLabel_;
  std::shared_ptr<StarsView> starsView_;
  std::shared_ptr<ui::Label> commentLabel_;
};

}  // namespace zu
