// ColumnCell: a row of the content centre's catalogue — the cover, the title, and either a
// category (its description and an arrow, opening a further level) or a subscribable column
// (five tiny stars, "<n>人订阅" and a subscribe button).
//
// Made by the interface file "ColumnCell" (registerNib()), reused under "COLUMN_CELL";
// columnCellWithTableView() dequeues or loads one and fills it completely from the column, so a
// reused row keeps nothing of the column it showed before. Context 0 is the catalogue: a column
// with an alternate link is a category, and a subscribed column's button is disabled. Any other
// context shows every column as a leaf with its button enabled.
//
// A press of the subscribe button disables it at once and asks the delegate to subscribe (or,
// for a subscribed column, to unsubscribe); the delegate's reload of the row sets the button
// again.
//
// Where we differ on purpose: the number label and its background are hidden for a leaf and for
// a category with a count of 1 or more, and also for a category without a count, instead of
// keeping whatever the previous use of the row left shown. Main thread only; the delegate is not
// retained.
#pragma once

#include <memory>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class NibLoading;
class TableView;
}  // namespace ui

class Column;
class StarsView;

// The controller that acts on a row's subscribe button.
class ColumnCellDelegate {
 public:
  virtual ~ColumnCellDelegate() = default;
  virtual void subscribe(const std::shared_ptr<Column>& column) = 0;
  virtual void dissubscribe(const std::shared_ptr<Column>&) {}
};

class ColumnCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "ColumnCell";
  static constexpr const char* kReuseIdentifier = "COLUMN_CELL";
  static constexpr float kRowHeight = 60;

  static void registerNib();

  // A free row of the table (which may be null), else a new one from the file, filled from the
  // column. Null only when the file is not registered.
  static std::shared_ptr<ColumnCell> columnCellWithTableView(ui::TableView* table,
                                                             const std::shared_ptr<Column>& column, int context);

  ColumnCell();

  void buttonPressed();

  const std::shared_ptr<Column>& column() const { return column_; }
  std::shared_ptr<ColumnCellDelegate> metaDelegate() const { return metaDelegate_.lock(); }
  void setMetaDelegate(std::weak_ptr<ColumnCellDelegate> delegate) { metaDelegate_ = std::move(delegate); }

  const std::shared_ptr<ui::View>& bgView() const { return bgView_; }
  const std::shared_ptr<ui::ImageView>& coverImageView() const { return coverImageView_; }
  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<ui::Label>& tagLabel() const { return tagLabel_; }
  const std::shared_ptr<StarsView>& starsView() const { return starsView_; }
  const std::shared_ptr<ui::Label>& subscriptionLabel() const { return subscriptionLabel_; }
  const std::shared_ptr<ui::Button>& subscribeButton() const { return subscribeButton_; }
  const std::shared_ptr<ui::ImageView>& bottomLine() const { return bottomLine_; }
  const std::shared_ptr<ui::Label>& numberLabel() const { return numberLabel_; }
  const std::shared_ptr<ui::ImageView>& numberBackground() const { return numberBackground_; }
  const std::shared_ptr<ui::ImageView>& arrowImageView() const { return arrowImageView_; }

  std::string className() const override { return "ColumnCell"; }

 private:
  static void build(ui::NibLoading& file);
  void fill(const std::shared_ptr<Column>& column, int context);

  std::shared_ptr<ui::View> bgView_;
  std::shared_ptr<ui::ImageView> coverImageView_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> tagLabel_;
  std::shared_ptr<StarsView> starsView_;
  std::shared_ptr<ui::Label> subscriptionLabel_;
  std::shared_ptr<ui::Button> subscribeButton_;
  std::shared_ptr<Column> column_;
  std::shared_ptr<ui::ImageView> bottomLine_;
  std::shared_ptr<ui::Label> numberLabel_;
  std::shared_ptr<ui::ImageView> numberBackground_;
  std::weak_ptr<ColumnCellDelegate> metaDelegate_;
  std::shared_ptr<ui::ImageView> arrowImageView_;
};

}  // namespace zu
