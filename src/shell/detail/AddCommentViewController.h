// AddCommentViewController: the form in which the reader rates a column with one to five stars
// and writes a review. The column detail pushes it from its review button (made from the
// interface file "AddCommentViewController", registerNib()), gives it the column and itself as
// delegate, and is told of the posted review through CommentDelegate.
//
// "发表评价" is enabled while the text holds at least one UTF-16 unit and a rating is chosen.
// Sending shows the waiting indicator and posts the rating and the text trimmed of white space
// and line ends; the first notification of the task ends the waiting display and the
// observation: a review entry, or a finish of 0 or more without one (a rating without text),
// closes the form and tells the delegate; a negative finish shows the error alert and keeps
// the form, its text and rating.
//
// Where we differ on purpose (faults mended): a finish of 0 or more is success, never an
// alert; the send button is disabled while a post runs (a second tap posts nothing) and
// enabled again when it failed; a form left while its post runs ends the waiting display.
//
// The delegate is not retained. Tasks come from a ColumnDetailEngine. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/text/TextView.h"
#include "platform/ui/controllers/ViewController.h"
#include "shell/widgets/StarsView.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
class NibLoading;
}  // namespace ui

struct Notification;
class Column;
class ColumnDetailEngine;
class Entry;
class Task;

// Told when a review was posted (`entry`: the stored review, null when only a rating was sent).
class CommentDelegate {
 public:
  virtual ~CommentDelegate() = default;
  virtual void didPostNewComment(const std::shared_ptr<Entry>& entry) = 0;
};

class AddCommentViewController : public ui::ViewController,
                                 public StarsViewDelegate,
                                 public ui::TextViewDelegate {
 public:
  static constexpr const char* kNibName = "AddCommentViewController";
  static constexpr float kStarPadding = 7;

  static void registerNib();

  AddCommentViewController();
  ~AddCommentViewController() override;

  std::shared_ptr<CommentDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<CommentDelegate> delegate) { delegate_ = std::move(delegate); }
  const std::shared_ptr<Column>& column() const { return column_; }
  void setColumn(std::shared_ptr<Column> column) { column_ = std::move(column); }
  const std::shared_ptr<ColumnDetailEngine>& engine() const { return engine_; }
  void setEngine(std::shared_ptr<ColumnDetailEngine> engine);

  uint32_t rate() const { return rate_; }
  bool isSending() const { return sendingTaskId_.has_value(); }
  const std::shared_ptr<StarsView>& starsView() const { return starsView_; }
  const std::shared_ptr<ui::TextView>& commentTextView() const { return commentTextView_; }
  const std::shared_ptr<ui::ImageView>& backImage() const { return backImage_; }
  const std::shared_ptr<ui::Label>& noteLabel() const { return noteLabel_; }
  // The navigation bar's buttons (null until the view loaded).
  const std::shared_ptr<ui::Button>& backButton() const { return backButton_; }
  const std::shared_ptr<ui::Button>& sendButton() const { return sendButton_; }

  void initStarsView();
  void commentButtonPressed();
  void postCompleted(const Notification& notification);
  void backButtonPressed();

  void markedNumChanged(int32_t markedNum) override;
  void textViewDidChange(ui::TextView& textView) override;

  void viewDidLoad() override;
  void viewDidUnload() override;

 private:
  static void build(ui::NibLoading& file);
  void updateSendButton();
  void finishSending();

  std::weak_ptr<CommentDelegate> delegate_;
  std::shared_ptr<Column> column_;
  uint32_t rate_ = 0;
  std::shared_ptr<StarsView> starsView_;
  std::shared_ptr<ui::TextView> commentTextView_;
  std::shared_ptr<ui::ImageView> backImage_;
  std::shared_ptr<ui::Label> noteLabel_;
  std::shared_ptr<ColumnDetailEngine> engine_;
  std::shared_ptr<ui::Button> backButton_;
  std::shared_ptr<ui::Button> sendButton_;
  // The post being sent, until its first notification.
  std::optional<std::string> sendingTaskId_;
};

}  // namespace zu
