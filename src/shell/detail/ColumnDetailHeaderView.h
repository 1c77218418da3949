// ColumnDetailHeaderView: the column detail's header — cover, title, star rating, subscriber
// count, update frequency and the subscribe, unsubscribe and review buttons — and, with its
// buttons hidden, each related column's row below the reviews. Made only by the interface file
// "ColumnDetailHeaderView" (registerNib()); its one top-level object is the view. The column
// detail screen fills it and wires the buttons (the view itself runs no action).
//
// awakeFromNib applies the day or night look to the labels and button images and remembers the
// places the file gave the title, the part below it (bottomView) and the view's height, so a
// reused row is laid out from those places and not from the title it showed before. The file's
// cover is the default cover picture (defaultCover()), shown until a column's own arrives.
//
// Its cover comes from outside (downloaded thumbnails): coverLoader() decodes it off the main
// thread for whoever fills the view, and drops what it would deliver once the view is gone.
//
// A table cell whose rows never show a highlight or selection. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/images/ImageLoader.h"

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class Button;
class Image;
class ImageView;
class Label;
class NibLoading;
}  // namespace ui

class StarsView;

class ColumnDetailHeaderView : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "ColumnDetailHeaderView";
  static constexpr const char* kReuseIdentifier = "suggestion";

  static void registerNib();
  // The bundle's "column_cover_default.png": the cover of a column without one of its own.
  static std::shared_ptr<ui::Image> defaultCover();

  explicit ColumnDetailHeaderView(const ui::Rect& frame = ui::Rect());

  const std::shared_ptr<ui::ImageView>& coverImageView() const { return coverImageView_; }
  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<StarsView>& starsView() const { return starsView_; }
  const std::shared_ptr<ui::Label>& subscriptionLabel() const { return subscriptionLabel_; }
  const std::shared_ptr<ui::Label>& updateFrequencyLabel() const { return updateFrequencyLabel_; }
  const std::shared_ptr<ui::Button>& commentButton() const { return commentButton_; }
  const std::shared_ptr<ui::View>& bottomView() const { return bottomView_; }
  const std::shared_ptr<ui::Button>& unsubscribeButton() const { return unsubscribeButton_; }
  const std::shared_ptr<ui::Button>& subscribeButton() const { return subscribeButton_; }

  // The frames the interface file gave (read in awakeFromNib).
  const ui::Rect& builtTitleFrame() const { return builtTitleFrame_; }
  const ui::Rect& builtBottomFrame() const { return builtBottomFrame_; }
  float builtHeight() const { return builtHeight_; }
  ui::ImageLoader& coverLoader() { return coverLoader_; }

  void setHighlighted(bool, bool) override {}
  void setSelected(bool, bool) override {}
  void awakeFromNib() override;
  std::string className() const override { return "ColumnDetailHeaderView"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::ImageView> coverImageView_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<StarsView> starsView_;
  std::shared_ptr<ui::Label> subscriptionLabel_;
  std::shared_ptr<ui::Label> updateFrequencyLabel_;
  std::shared_ptr<ui::Button> commentButton_;
  std::shared_ptr<ui::View> bottomView_;
  std::shared_ptr<ui::Button> unsubscribeButton_;
  std::shared_ptr<ui::Button> subscribeButton_;
  ui::Rect builtTitleFrame_;
  ui::Rect builtBottomFrame_;
  float builtHeight_ = 0;
  ui::ImageLoader coverLoader_;  // declared last: cancelled before the views go
};

}  // namespace zu
