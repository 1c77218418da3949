// ReportContentTableCellMBlog: a microblog post in the column article list — the author's
// avatar in its frame, the author line, the time, a line about the retweeted post, the post's
// text flowing beside the thumbnail at its top right (TextWrapAroundView) and the thumbnail in
// a frame (the subview with tag 10). Made only from the interface file of its class name, also
// its reuse identifier; the list fills and places the parts per row. The cell owns its day and
// night look (author line (51, 51, 51) by day, (153, 153, 153) at night; "weibo_pic_bg.png",
// "listpage_line.png" and the pressed background, each with its "black_" twin) and the reset on
// reuse, which puts the text view, the thumbnail and its frame back to their resting frames,
// hides the thumbnail and shows the default avatar.
//
// Kept from the phone: a highlight shows as a selection (the selected background), so a row
// pressed in the list looks selected; the cell never shows the platform's highlight.
// Main thread only.
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

class TextWrapAroundView;

class ReportContentTableCellMBlog : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "ReportContentTableCellMBlog";
  static constexpr int kImageFrameTag = 10;
  static constexpr const char* kDefaultAvatar = "weibo_touxiang.png";

  static void registerNib();

  ReportContentTableCellMBlog();

  const std::shared_ptr<ui::ImageView>& contentCellIcon() const { return icon_; }
  const std::shared_ptr<ui::ImageView>& iconBKImage() const { return iconFrame_; }
  const std::shared_ptr<ui::Label>& contentCellName() const { return name_; }
  const std::shared_ptr<ui::Label>& contentCellRetweetString() const { return retweet_; }
  const std::shared_ptr<ui::Label>& contentCellUpdated() const { return updated_; }
  const std::shared_ptr<TextWrapAroundView>& contentWrapContent() const { return text_; }
  const std::shared_ptr<ui::ImageView>& contentCellImage() const { return image_; }
  const std::shared_ptr<ui::ImageView>& contentCellBKImage() const { return retweetBackground_; }
  std::shared_ptr<ui::ImageView> upperLineView() const { return upperLine_.lock(); }

  bool nightMode() const { return nightMode_; }
  void setNightMode(bool night);
  void prepareForReuse() override;
  // Shows the highlight as a selection; the platform's highlight is not used.
  void setHighlighted(bool highlighted, bool animated = false) override;

  void awakeFromNib() override;
  std::string className() const override { return kNibName; }

 private:
  static void build(ui::NibLoading& file);
  void applyModeParts();

  std::shared_ptr<ui::ImageView> icon_;
  std::shared_ptr<ui::ImageView> iconFrame_;
  std::shared_ptr<ui::Label> name_;
  std::shared_ptr<ui::Label> retweet_;
  std::shared_ptr<ui::Label> updated_;
  std::shared_ptr<TextWrapAroundView> text_;
  std::shared_ptr<ui::ImageView> image_;
  std::shared_ptr<ui::ImageView> retweetBackground_;
  std::weak_ptr<ui::ImageView> upperLine_;
  bool nightMode_ = false;
};

}  // namespace zu
