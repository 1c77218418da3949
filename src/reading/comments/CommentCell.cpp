#include "reading/comments/CommentCell.h"

#include "model/entry/Author.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/text/TextMetrics.h"
#include "reading/cells/FormatTimeString.h"
#include "reading/support/ReadingLook.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

constexpr float kWidth = 320;
constexpr float kTextX = 52;
constexpr float kTextY = 28;

}  // namespace

void CommentCell::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<CommentCell>();
  cell->setFrame(ui::Rect(0, 0, kWidth, 60));
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Gray);
  auto head = file.make<ui::ImageView>(ui::Rect(10, 8, 34, 34));
  auto name = file.make<ui::Label>(ui::Rect(kTextX, 6, 150, 18));
  name->setFont(ReadingLook::skinFont("fontKdnrCommentUsername", 13));
  name->setBackgroundColor(ui::Color::clearColor());
  auto time = file.make<ui::Label>(ui::Rect(200, 6, 110, 18));
  time->setFont(ReadingLook::skinFont("fontKdnrCommentTime", 11));
  time->setTextAlignment(ui::TextAlignment::Right);
  time->setBackgroundColor(ui::Color::clearColor());
  auto comment = file.make<ui::Label>(ui::Rect(kTextX, kTextY, kTextWidth, 20));
  comment->setFont(commentFont());
  comment->setNumberOfLines(0);
  comment->setLineBreakMode(ui::LineBreakMode::WordWrap);
  comment->setBackgroundColor(ui::Color::clearColor());
  auto line = file.make<ui::ImageView>(NRSkinManager::sharedManager().imageWithCodeName("imageKdpTableViewCellBottomLine"));
  line->setFrame(ui::Rect(0, 58, kWidth, 2));
  line->setAutoresizingMask(ui::kAutoresizingFlexibleTopMargin | ui::kAutoresizingFlexibleWidth);
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{head, name, time, comment, line}) {
    cell->contentView()->addSubview(view);
  }
  file.connect([cell, head, name, time, comment, line] {
    cell->headImage_ = head;
    cell->userName_ = name;
    cell->time_ = time;
    cell->comment_ = comment;
    cell->bottomLine_ = line;
  });
}

void CommentCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

std::shared_ptr<CommentCell> CommentCell::load() {
  for (const auto& object : ui::NibRegistry::shared().load(kNibName, nullptr)) {
    if (auto cell = std::dynamic_pointer_cast<CommentCell>(object)) return cell;
  }
  return nullptr;
}

CommentCell::CommentCell() : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

ui::Font CommentCell::commentFont() { return ReadingLook::skinFont("fontKdnrCommentComment", 14); }

float CommentCell::heightForText(const std::string& text) {
  const ui::Size size = ui::TextMetrics::current().sizeOf(text, commentFont(), ui::Size{kTextWidth, kTextHeightLimit},
                                                          ui::LineBreakMode::WordWrap);
  return size.height + kTextMargin;
}

void CommentCell::setComment(const Entry& comment, const std::shared_ptr<ui::Image>& avatar, bool oddRow) {
  std::string name = comment.author() ? comment.author()->name().value_or("") : std::string();
  if (name.empty()) name = kNamelessAuthor;
  const std::string text = comment.content() ? comment.content()->data().value_or("") : std::string();
  userName_->setText(name);
  userName_->setTextColor(ReadingLook::skinColor("colorKdnrCommentUsername", ui::Color::rgba8(60, 90, 140)));
  time_->setText(FormatTimeString(comment.updated()));
  time_->setTextColor(ReadingLook::skinColor("colorKdnrCommentTime", ui::Color::grayColor()));
  comment_->setText(text);
  comment_->setTextColor(ReadingLook::skinColor("colorKdnrCommentComment", ui::Color::darkGrayColor()));
  const float height = heightForText(text);
  comment_->setFrame(ui::Rect(kTextX, kTextY, kTextWidth, height - kTextMargin));
  headImage_->setImage(avatar ? avatar : ui::Image::named("touxiang64x64.png"));
  setBackgroundColor(ReadingLook::skinColor(oddRow ? "colorKdnrCommentCellBackgroundJishu" : "colorKdnrCommentCellBackgroundOushu",
                               ui::Color::whiteColor()));
  contentView()->setBackgroundColor(backgroundColor());
}

}  // namespace zu
