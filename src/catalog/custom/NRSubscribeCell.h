// NRSubscribeCell: the base subscribe row of the subscription centre, built in code (reuse
// identifier "SubscribeCell"): an icon, a title and a detail line, a top and a bottom line, a
// selected background, a subscribe button (hidden until a subclass shows it) and a waiting
// picture with a running spinner shown while a press is being answered. Subclasses place the
// views and give the real heights (the base answers 0).
//
// cellWithColumn() dequeues a row from the table or makes one, then resets it for the column;
// every reset refills the row. A press of the button shows the waiting picture and hands the
// column to the delegate, when there is one.
//
// Main thread only. The table and the delegate are not retained.
#pragma once

#include <memory>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class TableView;
}  // namespace ui

class Column;

class NRSubscribeCellDelegate {
 public:
  virtual ~NRSubscribeCellDelegate() = default;
  virtual void subscribeButtonPressedWithColumn(const std::shared_ptr<Column>& column) = 0;
};

class NRSubscribeCell : public ui::TableViewCell {
 public:
  static constexpr const char* kReuseIdentifier = "SubscribeCell";

  static std::shared_ptr<NRSubscribeCell> cellWithColumn(const std::shared_ptr<Column>& column,
                                                         const std::shared_ptr<ui::TableView>& tableView);
  static float cellHeightWithColumn(const std::shared_ptr<Column>&) { return 0; }
  static float cellHeightWithColumn(const std::shared_ptr<Column>&, float) { return 0; }

  explicit NRSubscribeCell(const std::string& reuseIdentifier = kReuseIdentifier);

  // The hidden waiting picture: "contentC_add_btn_empty" with a grey spinner turning in its middle.
  static std::shared_ptr<ui::ImageView> makeWaitingImageView();

  void resetWithColumn(const std::shared_ptr<Column>& column, const std::shared_ptr<ui::TableView>& tableView);
  // Shows or hides the top line (onTop) or the bottom line.
  void showLine(bool show, bool onTop);
  void subscribeButtonAction();
  // The row shown just above this one: the previous row of the section, or the last row of the
  // section before; null for the very first row or a row not shown.
  std::shared_ptr<ui::TableViewCell> cellUpon() const;

  const std::shared_ptr<Column>& column() const { return column_; }
  std::shared_ptr<ui::TableView> fatherTableView() const { return fatherTableView_.lock(); }
  std::shared_ptr<NRSubscribeCellDelegate> subscribeCellDelegate() const { return delegate_.lock(); }
  void setSubscribeCellDelegate(std::weak_ptr<NRSubscribeCellDelegate> delegate) { delegate_ = std::move(delegate); }

  const std::shared_ptr<ui::ImageView>& iconImageView() const { return iconImageView_; }
  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<ui::Label>& detailTitleLable() const { return detailTitleLable_; }
  const std::shared_ptr<ui::ImageView>& topLine() const { return topLine_; }
  const std::shared_ptr<ui::ImageView>& bottomLine() const { return bottomLine_; }
  const std::shared_ptr<ui::ImageView>& selectedBackgroundImageView() const { return selectedBackgroundImageView_; }
  const std::shared_ptr<ui::ImageView>& waitingImageView() const { return waitingImageView_; }
  const std::shared_ptr<ui::Button>& subscribeButton() const { return subscribeButton_; }

  void setSelected(bool selected, bool animated = false) override;
  std::string className() const override { return "NRSubscribeCell"; }

 protected:
  // Gives up the waiting picture (a subclass that shows none).
  void dropWaitingImageView();
  void setSubscribeButtonImages();

  std::shared_ptr<Column> column_;
  std::weak_ptr<ui::TableView> fatherTableView_;
  std::shared_ptr<ui::ImageView> iconImageView_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> detailTitleLable_;
  std::shared_ptr<ui::ImageView> topLine_;
  std::shared_ptr<ui::ImageView> bottomLine_;
  std::shared_ptr<ui::ImageView> selectedBackgroundImageView_;
  std::shared_ptr<ui::ImageView> waitingImageView_;
  std::shared_ptr<ui::Button> subscribeButton_;
  std::weak_ptr<NRSubscribeCellDelegate> delegate_;
};

}  // namespace zu
