// CommentCell: one comment's row on the comments screen — the author's avatar (the cached
// picture of the comment's cover thumbnail, else "touxiang64x64.png"), name and time, the
// comment's text and a bottom line. Made from the interface file "CommentCell" (its reuse
// identifier is "CommentCellIdentifier"), which takes the skin's comment fonts and the bottom
// line's picture; setComment fills it and sizes the text to the row.
//
// The text is a multi-line label rather than a non-editable, transparent text view, so that what the row measures (heightForText) and what it draws agree. A comment whose author
// has no name — a guest's, the reader's own new one included, as the service stores it — is
// signed "zu阅读网友" rather than left with an empty name line. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu::ui {
struct Font;
class Image;
class ImageView;
class Label;
class NibLoading;
}  // namespace zu::ui

namespace zu {

class Entry;

class CommentCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "CommentCell";
  static constexpr const char* kReuseIdentifier = "CommentCellIdentifier";
  static constexpr float kTextWidth = 250;
  static constexpr float kTextHeightLimit = 330;
  static constexpr float kTextMargin = 37;
  // The name line of a comment whose author has no name.
  static constexpr const char* kNamelessAuthor = "zu阅读网友";

  static void registerNib();
  // A new row from the interface file.
  static std::shared_ptr<CommentCell> load();

  CommentCell();

  // The row's height for a comment of this text: the text wrapped within 250 × 330 in the
  // skin's comment font, plus 37.
  static float heightForText(const std::string& text);
  static ui::Font commentFont();

  // Fills the row: name, time text, avatar (null: the default picture), text, and the
  // background of an odd or even row.
  void setComment(const Entry& comment, const std::shared_ptr<ui::Image>& avatar, bool oddRow);

  const std::shared_ptr<ui::ImageView>& headImage() const { return headImage_; }
  const std::shared_ptr<ui::Label>& userName() const { return userName_; }
  const std::shared_ptr<ui::Label>& time() const { return time_; }
  const std::shared_ptr<ui::Label>& comment() const { return comment_; }

  std::string className() const override { return "CommentCell"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::ImageView> headImage_;
  std::shared_ptr<ui::Label> userName_;
  std::shared_ptr<ui::Label> time_;
  std::shared_ptr<ui::Label> comment_;
  std::shared_ptr<ui::ImageView> bottomLine_;
};

}  // namespace zu
