// CommentField: a comment sheet that slides down from the top edge over an article screen,
// pushing that screen's view down by its own height, takes up to 500 characters, posts them as a
// comment on the article and slides away again. The counter shows the characters left (grey while
// more than 10 remain, orange at 10 or fewer) or the characters over (red, "已超出"); "评论" sends
// a text of 1 to 500 characters. A stored comment raises the article's count and is announced
// with "CommentsUpdate", as the comments screen announces its own. No screen presents it yet.
//
// The owner makes it with create(), sets browseController (the article screen, held weakly),
// detailData and columnData, then calls pushFromView(); cancel() hides it, and so does a post
// that succeeded. Its frames follow the article screen's orientation (portrait 320 × 244,
// landscape 480 × 145) below a 20-point strip when the screen lays out under the status bar.
//
// Where we differ on purpose: a failed post shows the "操作失败" alert and leaves the sheet open
// with its text, so nothing typed is lost; the article screen is held weakly, so a sheet that
// outlives it touches nothing. Main thread only; tasks come from a CommentsEngine.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/text/TextView.h"
#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class ViewController;
}  // namespace ui

struct Notification;
class Column;
class CommentsEngine;
class NewsDetail;

class CommentField : public ui::View, public ui::TextViewDelegate {
 public:
  static constexpr int kMaxLength = 500;
  static constexpr double kSlideDuration = 0.3;

  static std::shared_ptr<CommentField> create();
  CommentField();
  ~CommentField() override;

  void setBrowseController(std::weak_ptr<ui::ViewController> controller) { browseController_ = std::move(controller); }
  std::shared_ptr<ui::ViewController> browseController() const { return browseController_.lock(); }
  void setDetailData(std::shared_ptr<NewsDetail> detail) { detailData_ = std::move(detail); }
  const std::shared_ptr<NewsDetail>& detailData() const { return detailData_; }
  void setColumnData(std::shared_ptr<Column> column) { columnData_ = std::move(column); }
  void setEngine(std::shared_ptr<CommentsEngine> engine) { engine_ = std::move(engine); }

  // Styles the sheet and slides it in over the article screen (the argument is not used).
  void pushFromView(const std::shared_ptr<ui::View>& from = nullptr);
  // Slides the sheet away and takes it out of its superview.
  void cancel();
  // Posts the text (cut to 500 characters first).
  void commitComment();

  void textViewDidChange(ui::TextView& textView) override;
  void layoutSubviews() override;
  std::string className() const override { return "CommentField"; }

  const std::shared_ptr<ui::TextView>& commentText() const { return commentText_; }
  const std::shared_ptr<ui::Label>& wordsCount() const { return wordsCount_; }
  const std::shared_ptr<ui::Label>& textLabel() const { return textLabel_; }
  const std::shared_ptr<ui::Label>& ziLabel() const { return ziLabel_; }
  const std::shared_ptr<ui::Label>& guestLabel() const { return guestLabel_; }
  const std::shared_ptr<ui::ImageView>& bgImageView() const { return bgImageView_; }
  const std::shared_ptr<ui::Button>& send() const { return send_; }
  const std::shared_ptr<ui::Button>& cancelBut() const { return cancelBut_; }

 private:
  void build();
  // The counter's number as wide as its digits need, its words before it.
  void placeCounter();
  void getResultOnMainThread(const Notification& notification);
  std::shared_ptr<CommentField> sharedField();

  std::weak_ptr<ui::ViewController> browseController_;
  std::shared_ptr<NewsDetail> detailData_;
  std::shared_ptr<Column> columnData_;
  std::shared_ptr<CommentsEngine> engine_;
  std::optional<std::string> taskId_;

  std::shared_ptr<ui::TextView> commentText_;
  std::shared_ptr<ui::Label> wordsCount_;
  std::shared_ptr<ui::Label> textLabel_;
  std::shared_ptr<ui::Label> ziLabel_;
  std::shared_ptr<ui::Label> guestLabel_;
  std::shared_ptr<ui::ImageView> bgImageView_;
  std::shared_ptr<ui::Button> send_;
  std::shared_ptr<ui::Button> cancelBut_;
};

}  // namespace zu
